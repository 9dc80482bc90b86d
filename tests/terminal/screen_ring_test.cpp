// The ring, the scrolling region and the history view: which line ends up
// where, what stays in the history, and what the scroll bar says.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/screen_rig.h"

namespace palvex {
namespace {

using testing::LengthOf;
using testing::ScreenRig;

// One distinct character per line written, so a line's first cell names it.
char Label(int k) {
    static const char kSet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    return kSet[k % (sizeof kSet - 1)];
}

// Labels the screen rows, then scrolls `count` lines at the bottom, labelling
// each new line; returns the labels in the order they were written.
std::string FillAndScroll(ScreenRig& rig, int count) {
    std::string written;
    for (int r = 0; r < rig.s.rows; ++r) {
        written += Label(static_cast<int>(written.size()));
        rig.Put(r, std::string(1, written.back()));
    }
    rig.s.cursorRow = rig.s.rows - 1;
    for (int i = 0; i < count; ++i) {
        LineFeed(rig.s);
        written += Label(static_cast<int>(written.size()));
        rig.Put(rig.s.rows - 1, std::string(1, written.back()));
    }
    return written;
}

TEST(ScreenRing, KeepsTheNewestLinesAndCountsScrolledLines) {
    struct Case { int lines, rows, scrolls; int livePos, oldest, ringFull; };
    const Case cases[] = {
        {24, 24, 1, 0, 1, 1},    // no history at all: the top line is lost at once
        {30, 24, 6, 6, 0, 0},    // exactly N - rows: history full, ring not yet wrapped
        {30, 24, 7, 6, 1, 1},    // one more: the oldest line goes
        {30, 24, 67, 6, 1, 1},   // several laps
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "N=" << c.lines << " rows=" << c.rows << " scrolls=" << c.scrolls);
        ScreenRig rig(c.rows, c.lines);
        EXPECT_EQ(rig.display.vMax, c.lines - c.rows);
        const std::string written = FillAndScroll(rig, c.scrolls);
        EXPECT_EQ((std::vector<int>{rig.s.livePos, rig.s.viewPos, rig.display.vPos, rig.HistoryAboveView()}),
                  std::vector<int>(4, c.livePos));
        EXPECT_EQ(rig.s.oldest, c.oldest);
        EXPECT_EQ(rig.s.ringFull, c.ringFull);
        const size_t held = std::min<size_t>(written.size(), static_cast<size_t>(c.lines));
        EXPECT_EQ(rig.HeldColumn0(), written.substr(written.size() - held));
        EXPECT_EQ(rig.Column0(c.rows), written.substr(written.size() - static_cast<size_t>(c.rows)));
    }
}

TEST(ScreenRing, AMovedLineShowsNothingOfWhatItsRowHeldBefore) {
    ScreenRig rig(10, 40);
    rig.Put(2, "xy");
    rig.Put(3, "a much longer line");
    rig.s.marginTop = 3;
    rig.s.marginBottom = 4;
    ScrollRegionDown(rig.s);  // row 3 now holds "xy"
    rig.s.cursorRow = 3;
    rig.s.cursorCol = 6;
    PutChar(rig.s, 'Z');
    EXPECT_EQ(rig.Row(3), "xy    Z");
}

// 10 lines of history (livePos 10) on a 24-row screen in a 100-line ring.
TEST(ScreenHistory, ViewMovesWithinTheHeldLinesOnly) {
    struct Step {
        ScrollCode code;
        int thumb;
        int viewPos;
        const char* lastCall;  // nullptr: nothing drawn
    };
    const Step steps[] = {
        {ScrollCode::PageUp, 0, 0, "all"},           // fewer than rows lines held: stops at oldest
        {ScrollCode::LineUp, 0, 0, nullptr},         // already at the oldest line
        {ScrollCode::LineDown, 0, 1, "row 23"}, {ScrollCode::LineUp, 0, 0, "row 0"},
        {ScrollCode::ThumbPosition, 4, 4, "all"}, {ScrollCode::PageDown, 0, 10, "all"},  // not past the live screen
        {ScrollCode::LineDown, 0, 10, nullptr}, {ScrollCode::ThumbPosition, 500, 10, "all"},
        {ScrollCode::ThumbPosition, -7, 0, "all"},
    };
    ScreenRig rig(24, 100);
    const std::string written = FillAndScroll(rig, 10);
    const int liveTop = rig.s.liveTop;
    int i = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << "step " << i++);
        rig.display.calls.clear();
        HistoryScroll(rig.s, step.code, step.thumb);
        EXPECT_EQ(rig.s.viewPos, step.viewPos);
        EXPECT_EQ(rig.HistoryAboveView(), step.viewPos);
        EXPECT_EQ(rig.Column0(24), written.substr(static_cast<size_t>(step.viewPos), 24));
        EXPECT_EQ(rig.s.liveTop, liveTop);
        if (step.lastCall == nullptr) {
            EXPECT_TRUE(rig.display.calls.empty());
        } else {
            ASSERT_FALSE(rig.display.calls.empty());
            EXPECT_EQ(rig.display.calls.back(), step.lastCall);
            EXPECT_EQ(rig.display.vPos, step.viewPos);
        }
    }
}

TEST(ScreenHistory, OutputWhileLookingBackLandsOnTheLiveScreen) {
    ScreenRig rig(24, 100);
    const std::string written = FillAndScroll(rig, 10);
    HistoryScroll(rig.s, ScrollCode::PageUp);
    rig.s.cursorRow = 0;
    rig.s.cursorCol = 0;
    PutChar(rig.s, '#');
    EXPECT_EQ(rig.Row(0), "A");  // the view still shows the history, untouched

    rig.display.calls.clear();
    ShowLiveScreen(rig.s);
    EXPECT_EQ(rig.display.calls, std::vector<std::string>{"all"});
    EXPECT_EQ(rig.s.viewPos, 10);
    EXPECT_EQ(rig.display.vPos, 10);
    EXPECT_EQ(rig.Row(0), "#");
    EXPECT_EQ(rig.Column0(24).substr(1), written.substr(11, 23));
}

TEST(ScreenRows, ResizingKeepsTheTopOfTheScreenAndTheHistoryConsistent) {
    struct Case { const char* name; int lines, rows, scrolls, newRows; int livePos, vMax; };
    const Case cases[] = {
        {"grow", 100, 24, 0, 30, 0, 70}, {"grow into a full ring", 30, 24, 40, 28, 2, 2},
        {"grow past the end of a ring not yet full", 30, 24, 4, 28, 2, 2},
        {"shrink a full ring", 30, 24, 40, 20, 6, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScreenRig rig(c.rows, c.lines);
        const std::string written = FillAndScroll(rig, c.scrolls);
        rig.s.cursorRow = c.rows - 1;
        HistoryScroll(rig.s, ScrollCode::LineUp);  // resizing must bring the live screen back

        SetScreenRows(rig.s, c.newRows);

        EXPECT_EQ(rig.s.rows, c.newRows);
        EXPECT_EQ(rig.s.marginBottom, c.newRows);
        EXPECT_EQ(rig.s.cursorRow, std::min(c.rows, c.newRows) - 1);
        EXPECT_EQ((std::vector<int>{rig.s.livePos, rig.s.viewPos, rig.display.vPos, rig.HistoryAboveView()}),
                  std::vector<int>(4, c.livePos));
        EXPECT_EQ(rig.display.vMax, c.vMax);
        EXPECT_EQ(rig.s.bottom, rig.s.newest);
        // The screen keeps its top rows; rows added at the bottom are blank.
        const std::string kept = written.substr(written.size() - static_cast<size_t>(c.rows),
                                                static_cast<size_t>(std::min(c.rows, c.newRows)));
        EXPECT_EQ(rig.Column0(c.newRows), kept + std::string(std::max(0, c.newRows - c.rows), '.'));
        EXPECT_EQ(rig.display.calls.back(), "all");

        // The ring keeps working: more output keeps the view and the history in step.
        for (int i = 0; i < 50; ++i) {
            rig.s.cursorRow = c.newRows - 1;
            LineFeed(rig.s);
            ASSERT_EQ(rig.HistoryAboveView(), rig.s.livePos) << "after " << i + 1 << " more lines";
        }
        EXPECT_EQ(rig.s.livePos, std::min(c.lines - c.newRows, c.livePos + 50));
    }
}

TEST(ScreenRows, MoreRowsThanTheRingBuildsANewRingOfThatSize) {
    ScreenRig rig(24, 30);
    FillAndScroll(rig, 10);
    SetScreenRows(rig.s, 40);
    EXPECT_EQ(rig.s.rows, 40);
    EXPECT_EQ(rig.s.scrollRange, 40);
    EXPECT_EQ(rig.s.marginBottom, 40);
    EXPECT_EQ(rig.s.livePos, 0);
    EXPECT_EQ(rig.display.vMax, 0);
    EXPECT_EQ(rig.Column0(40), std::string(40, '.'));
    rig.s.cursorRow = 39;
    LineFeed(rig.s);
    EXPECT_EQ(rig.s.livePos, 0);
    EXPECT_EQ(rig.s.oldest, 1);
}

TEST(ScreenBuffer, ClearBufferEmptiesEveryLineAndRewindsTheRing) {
    ScreenRig rig(24, 50);
    FillAndScroll(rig, 40);
    rig.s.hOffset = 3;
    rig.s.cursorCol = 17;
    rig.display.calls.clear();
    ClearBuffer(rig.s);
    const TerminalScreen& s = rig.s;
    EXPECT_EQ((std::vector<int>{s.livePos, s.viewPos, s.ringFull, s.oldest, s.top, s.newest, s.liveBottom, s.hOffset,
                                s.cursorCol, rig.display.vPos, rig.display.hPos}),
              (std::vector<int>{0, 0, 0, 0, 0, 23, 23, 0, 0, 0, 0}));
    EXPECT_EQ(rig.display.calls, std::vector<std::string>{"fill 0 54 1056 1654"});
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(LengthOf(*rig.s.ring[i]), 0) << i;
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(rig.s.ring[i]->text), 132), std::string(132, ' ')) << i;
        ASSERT_EQ(std::count(rig.s.attrPlane + i * kLineStride, rig.s.attrPlane + i * kLineStride + 132, 0), 132) << i;
    }
}

}  // namespace
}  // namespace palvex
