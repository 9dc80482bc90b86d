// The display's arithmetic: visible width and horizontal range, fitting the
// font or the page to the window, what a row paints, the selection overlay,
// horizontal scrolling, and the font dialog's lists.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/screen_rig.h"
#include "terminal/display_layout.h"

namespace palvex {
namespace {

using testing::ScreenRig;

TEST(DisplayWidth, VisibleColumnsAndHorizontalRange) {
    struct Case { int clientWidth, cellWidth, columns, hOffset; int visible, range; };
    const Case cases[] = {
        {80 * 7 + 16, 7, 80, 0, 80, 0}, {80 * 7 + 16 - 1, 7, 80, 0, 79, 1},
        {80 * 7 + 16, 7, 132, 60, 72, 52},     // no more than is left of the terminal
        {10, 7, 80, 0, 0, 80},                 // narrower than the scroll bar
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.clientWidth << "/" << c.cellWidth << " " << c.columns << "+"
                                          << c.hOffset);
        EXPECT_EQ(VisibleTextColumns(c.clientWidth, c.cellWidth, c.columns, c.hOffset), c.visible);
        EXPECT_EQ(HScrollRange(c.clientWidth, c.cellWidth, c.columns), c.range);
    }
}

TEST(DisplayFit, FontPageRowsAndTrackingHeights) {
    // "Font": height from the rows, width always from 80 columns.
    EXPECT_EQ(FontForWindow(1076, 470, 40).height, 9);
    EXPECT_EQ(FontForWindow(1076, 470, 40).width, 13);
    // "Term": one cell of slack under the page, held to 24..99 rows.
    struct Rows { int clientHeight, cellHeight, rows; };
    for (const Rows& r : {Rows{86 + 31 * 14 + 13, 14, 30}, Rows{86 + 25 * 14, 14, 24}, Rows{300, 14, 24},
                          Rows{86 + 200 * 8, 8, 99}})
        EXPECT_EQ(RowsForWindow(r.clientHeight, r.cellHeight), r.rows) << r.clientHeight << "/" << r.cellHeight;

    const int frame = 40;
    const TrackingHeights none = TrackingHeightsFor(0, frame, 14, 30);
    EXPECT_TRUE(none.setMin && none.setMax);
    EXPECT_EQ(none.minHeight, frame + 31 * 14 + 86);
    EXPECT_EQ(none.maxHeight, none.minHeight);
    const TrackingHeights term = TrackingHeightsFor(1, frame, 14, 30);
    EXPECT_TRUE(term.setMin && !term.setMax);
    EXPECT_EQ(term.minHeight, frame + 25 * 14 + 86);
    const TrackingHeights font = TrackingHeightsFor(2, frame, 14, 30);
    EXPECT_FALSE(font.setMin || font.setMax);
}

// Keeps what a row paints as text: "cell x y ch attr", "run x y text", "blank x y right".
struct RecordingPainter : RowPainter {
    std::vector<std::string> calls;
    void Cell(int x, int y, uint8_t ch, uint8_t attr) override {
        char line[64];
        std::snprintf(line, sizeof line, "cell %d %d %c %02X", x, y, ch >= 0x20 ? ch : '?', unsigned{attr});
        calls.push_back(line);
    }
    void Run(int x, int y, const uint8_t* text, int count) override {
        calls.push_back("run " + std::to_string(x) + " " + std::to_string(y) + " " +
                        std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(count)));
    }
    void Blank(int x, int y, int right) override {
        calls.push_back("blank " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(right));
    }
};

TEST(PaintRow, CellsFromTheOffsetToTheLengthByType) {
    // Cells are 8 x 16 (the rig's default), row 1 is at y 70, the text area
    // ends at x 640.
    struct Case {
        const char* what;
        int type;
        std::string text;
        int hOffset, textRight;
        bool firstColumnOnly;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"attributes per cell", kTypeVt100Color, "AB", 0, 640, false,
         {"cell 0 70 A 14", "cell 8 70 B 14", "blank 16 70 640"}},
        {"a control character stops the row", kTypeVt100, "AB\x01" "CD", 0, 640, false,
         {"cell 0 70 A 14", "cell 8 70 B 14", "blank 16 70 640"}},
        {"but not in TTY", kTypeTty, "AB\x01" "CD", 0, 640, false,
         {"run 0 70 AB\x01" "CD", "blank 40 70 640"}},
        {"high bytes are drawn", kTypeScoAnsi, "\xB3\xC4", 0, 640, false,
         {"cell 0 70 \xB3 14", "cell 8 70 \xC4 14", "blank 16 70 640"}},
        {"offset 10: column 10 at x 0", kTypeVt100Color, "0123456789ABC", 10, 640, false,
         {"cell 0 70 A 14", "cell 8 70 B 14", "cell 16 70 C 14", "blank 24 70 640"}},
        {"offset past the length", kTypeVt100, "0123", 10, 640, false, {"blank 0 70 640"}},
        {"cells right of the text area are left out", kTypeVt100, "ABCDEF", 0, 20, false,
         {"cell 0 70 A 14", "cell 8 70 B 14", "cell 16 70 C 14"}},
        {"first column only", kTypeVt100, "0123456789ABC", 10, 640, true, {"cell 0 70 A 14"}},
        {"first column only, empty there", kTypeVt100, "01", 10, 640, true, {"blank 0 70 8"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScreenRig rig(24, 100, 132);
        rig.s.attr = 0x14;
        rig.Put(1, c.text);
        rig.s.hOffset = c.hOffset;
        RecordingPainter out;
        PaintRow(rig.s, 1, c.type, c.textRight, c.firstColumnOnly, out);
        EXPECT_EQ(out.calls, c.calls);
    }
}

TEST(SelectionOverlay, OneRectangleFromTheFirstToTheLastVisibleMark) {
    struct Case { const char* what; std::vector<int> marked; int hOffset, textRight; bool any; int left, right; };
    const Case cases[] = {
        {"none", {}, 0, 640, false, 0, 0}, {"a gap is inverted too", {3, 7}, 0, 640, true, 24, 64},
        {"marks left of the offset are not shown", {5, 12}, 10, 640, true, 16, 24},
        {"cut at the text edge", {3, 12}, 0, 100, true, 24, 100},
        {"beyond the text edge only", {50}, 0, 100, false, 0, 0},
        {"the last cell", {131}, 0, 2000, true, 131 * 8, 132 * 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint8_t marks[kLineStride] = {};
        for (int col : c.marked) marks[col] = 1;
        PixelSpan span{-1, -1};
        ASSERT_EQ(SelectionSpan(marks, c.hOffset, 8, c.textRight, span), c.any);
        if (!c.any) continue;
        EXPECT_EQ(span.left, c.left);
        EXPECT_EQ(span.right, c.right);
    }
}

TEST(HorizontalScroll, EachCodeMovesTheOffsetAndNamesTheRepaint) {
    using R = HScrollStep;
    struct Case { const char* what; HScrollCode code; int thumb, hOffset; int newOffset, shift; R::Repaint repaint; };
    // 132 columns, 80 fit: the range is 52.
    const Case cases[] = {
        {"line left at 0", HScrollCode::LineLeft, 0, 0, 0, 0, R::None},
        {"line left", HScrollCode::LineLeft, 0, 10, 9, 1, R::FirstColumn},
        {"line right", HScrollCode::LineRight, 0, 10, 11, -1, R::RightEdge},
        {"page left", HScrollCode::PageLeft, 0, 90, 10, 0, R::All},  // the repaint does it all
        {"page right stops at the range", HScrollCode::PageRight, 0, 10, 52, 0, R::All},
        {"thumb", HScrollCode::ThumbPosition, 10, 0, 10, -10, R::All},
        {"thumb held to the columns", HScrollCode::ThumbPosition, 500, 0, 131, -131, R::All},
        {"tracking and the rest", HScrollCode::Other, 30, 7, 7, 0, R::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const HScrollStep step = HorizontalStep(c.code, c.thumb, c.hOffset, 52, 80, 132);
        EXPECT_EQ(step.hOffset, c.newOffset);
        EXPECT_EQ(step.shiftCells, c.shift);
        EXPECT_EQ(step.repaint, c.repaint);
    }
}

TEST(FontDialogLists, CharsetsSizesAndLabels) {
    EXPECT_STREQ(CharsetLabel(CharsetValue(kCharsets[2].name)), kCharsets[2].name);
    EXPECT_EQ(CharsetValue("ansi"), 1);
    EXPECT_STREQ(CharsetLabel(77), "Unknown");

    // Raster sizes: cell height less internal leading, in points at the
    // screen's resolution, rounded; kept sorted without repeats.
    EXPECT_EQ(RasterPointSize(16, 3, 96), 10);   // 9.75
    EXPECT_EQ(RasterPointSize(20, 2, 120), 11);  // 10.8
    std::vector<int> sizes;
    for (int p : {12, 9, 12, 10, 6}) AddSize(sizes, p);
    EXPECT_EQ(sizes, (std::vector<int>{6, 9, 10, 12}));
    EXPECT_EQ(SizeLabel(8), " 8");
    EXPECT_EQ(HeightForPoints(10, 96), -13);  // 13.33
    EXPECT_EQ(PointsForHeight(-12, 96), 9);
}

}  // namespace
}  // namespace palvex
