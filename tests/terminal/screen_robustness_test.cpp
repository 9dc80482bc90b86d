// Start-up allocation with its fallbacks, and a screen driven with state that
// no well-behaved caller would set: nothing may crash or write outside a line.
#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "support/screen_rig.h"

namespace {

// Array allocations that may fail are made with nothrow new; this test binary
// can make chosen ones fail. Each of them takes the next character of the
// pattern: 'F' fails it, anything else lets it through, as does the end of the
// pattern. Passing through to the ordinary allocator keeps delete[] matched.
const char* gNothrowPattern = "";

}  // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (*gNothrowPattern != '\0' && *gNothrowPattern++ == 'F') return nullptr;
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

namespace palvex {
namespace {

using testing::LengthOf;
using testing::ScreenRig;
using testing::SpareOf;

// Allocations are made lines first, then the attribute and selection planes.
TEST(ScreenAllocation, FallsBackToAScreenSizedRingAndSaysWhy) {
    struct Case { const char* name; const char* pattern; int result, scrollRange; std::vector<std::string> texts; };
    const Case cases[] = {
        {"enough memory", "", 0, 500, {}}, {"lines short", "F", 0, 24, {"Not enough memory for scrolling"}},
        {"lines short twice", "FF", -1, -1,
         {"Not enough memory for scrolling", "Not enough memory to run this application"}},
        {"attribute plane short", ".F", -1, -1, {"Not enough memory to run this application"}},
        {"plane short on the retry", "F.F", -1, -1,
         {"Not enough memory for scrolling", "Not enough memory to run this application"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalScreen s;
        RecordingDisplay display;
        RecordingUi ui;
        s.display = &display;
        gNothrowPattern = c.pattern;
        const int result = SetupScrollback(s, 500, ui, nullptr);
        gNothrowPattern = "";

        EXPECT_EQ(result, c.result);
        std::vector<std::string> texts;
        for (const auto& m : ui.messages) {
            texts.push_back(m.text);
            EXPECT_EQ(m.style, 0x2010u);
        }
        EXPECT_EQ(texts, c.texts);
        if (result == 0) {
            EXPECT_EQ(s.scrollRange, c.scrollRange);
            EXPECT_EQ(display.vMax, c.scrollRange - 24);
            EXPECT_EQ(s.newest, 23);
            // The ring works whatever size it got.
            s.cursorRow = 23;
            for (int i = 0; i < 30; ++i) LineFeed(s);
            EXPECT_EQ(s.livePos, std::min(30, c.scrollRange - 24));
        } else {
            // Nothing usable and nothing leaked; the primitives still do no harm.
            EXPECT_EQ(s.lineBlock, nullptr);
            PutChar(s, 'x');
            LineFeed(s);
        }
    }
}

TEST(ScreenAllocation, AFailedResizeKeepsTheOldRing) {
    ScreenRig rig(24, 30);
    rig.Type("still here");
    gNothrowPattern = "F";
    SetScreenRows(rig.s, 40);
    gNothrowPattern = "";
    EXPECT_EQ(rig.s.rows, 24);
    EXPECT_EQ(rig.s.scrollRange, 30);
    EXPECT_EQ(rig.Row(0), "still here");
}

// Cursor, margins and sizes out of range, each followed by every primitive;
// afterwards every line's length must still lie within its cells.
TEST(ScreenRobustness, OutOfRangeStateNeverWritesPastALine) {
    struct Case { const char* name; void (*spoil)(TerminalScreen&); };
    const Case cases[] = {
        {"cursor far right", [](TerminalScreen& s) { s.cursorCol = 5000; }},
        {"cursor far left", [](TerminalScreen& s) { s.cursorCol = -40; }},
        {"cursor below the screen", [](TerminalScreen& s) { s.cursorRow = 300; }},
        {"cursor above the screen", [](TerminalScreen& s) { s.cursorRow = -5; }},
        {"margins reversed", [](TerminalScreen& s) { s.marginTop = 20, s.marginBottom = 3; }},
        {"margins outside", [](TerminalScreen& s) { s.marginTop = -4, s.marginBottom = 400; }},
        {"wide terminal", [](TerminalScreen& s) { s.columns = 500, s.cursorCol = 300, s.autoWrap = 1; }},
        {"zero-sized cells", [](TerminalScreen& s) { s.cellWidth = 0, s.cellHeight = 0; }},
        {"shift out of range", [](TerminalScreen& s) { s.shift = 7, s.graphics[1] = 1; }},
        {"large offset", [](TerminalScreen& s) { s.hOffset = 131, s.insertMode = 1; }},
    };
    using Step = void (*)(TerminalScreen&);
    const Step steps[] = {
        [](TerminalScreen& s) { for (uint8_t b : std::string("xjq\x7f")) PutChar(s, b); },
        [](TerminalScreen& s) { DeleteLeft(s), Tab(s), LineFeed(s); },
        [](TerminalScreen& s) { InsertLines(s, s.cursorRow, 500), DeleteLines(s, s.cursorRow, 500); },
        [](TerminalScreen& s) { ScrollRegionUp(s), ScrollRegionDown(s); },
        [](TerminalScreen& s) { EraseToLineEnd(s, CursorY(s), CursorX(s)); },
        [](TerminalScreen& s) { EraseToLineStart(s, CursorY(s), CursorX(s)); },
        [](TerminalScreen& s) { EraseToLineEnd(s, 54 + 16, 99999); },
        [](TerminalScreen& s) { SetCursorPixels(s, -99999, 99999), PutChar(s, 'y'); },
        [](TerminalScreen& s) { HistoryScroll(s, ScrollCode::ThumbPosition, 1 << 30); },
        [](TerminalScreen& s) { SetScreenRows(s, 0), SetScreenRows(s, 100000); },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScreenRig rig(24, 40);
        rig.Type("some text\r\nmore text");
        c.spoil(rig.s);
        for (size_t k = 0; k < std::size(steps); ++k) {
            steps[k](rig.s);
            for (int i = 0; i < rig.s.scrollRange; ++i) {
                const int length = LengthOf(*rig.s.ring[i]);
                ASSERT_TRUE(length >= 0 && length <= kLineCells) << "line " << i << " after step " << k;
            }
        }
        EXPECT_EQ(rig.s.rows, 24);
    }
}

}  // namespace
}  // namespace palvex
