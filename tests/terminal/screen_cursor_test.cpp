// Writing characters and moving the cursor: wrapping, insert mode, the
// line-drawing set, erasing, tabs, carriage returns and the destructive DEL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/screen_rig.h"

namespace palvex {
namespace {

using testing::LengthOf;
using testing::ScreenRig;
using testing::SpareOf;

char Letter(int i) { return static_cast<char>('A' + i % 26); }

TEST(ScreenPutChar, WrapsOrRunsOnToTheLastCell) {
    struct Case { int autoWrap, columns, count; int col, row; int row0Length; char row0Last; std::string row1; };
    const Case cases[] = {
        {1, 80, 80, 80, 0, 80, 'B', ""},     // the 80th leaves the cursor past the edge
        {1, 80, 81, 1, 1, 80, 'B', "C"},     // the 81st wraps first
        {1, 132, 133, 1, 1, 132, 'B', "C"},
        {0, 80, 100, 100, 0, 100, 'V', ""},  // no wrap: on past column 79
        {0, 80, 140, 132, 0, 132, 'J', ""},  // then column 131 is overwritten
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "autoWrap=" << c.autoWrap << " columns=" << c.columns
                                          << " count=" << c.count);
        ScreenRig rig(24, 100, c.columns);
        rig.s.autoWrap = c.autoWrap;
        std::string text;
        for (int i = 0; i < c.count; ++i) text += Letter(i);
        rig.Type(text);
        EXPECT_EQ(rig.s.cursorCol, c.col);
        EXPECT_EQ(rig.s.cursorRow, c.row);
        const std::string row0 = rig.Row(0);
        ASSERT_EQ(static_cast<int>(row0.size()), c.row0Length);
        EXPECT_EQ(row0.back(), c.row0Last);
        EXPECT_EQ(row0.substr(0, 40), text.substr(0, 40));
        EXPECT_EQ(rig.Row(1), c.row1);
        EXPECT_EQ(rig.s.AfterCR, 0);
    }
}

TEST(ScreenCursor, TabGoesToTheNextStopButNotPastTheLastColumn) {
    struct Case { int columns, from, to; };
    const Case cases[] = {
        {80, 7, 8}, {80, 8, 16}, {80, 75, 79}, {80, 79, 79}, {132, 130, 131},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.columns << " columns, from " << c.from);
        ScreenRig rig(24, 100, c.columns);
        rig.s.cursorCol = c.from;
        Tab(rig.s);
        EXPECT_EQ(rig.s.cursorCol, c.to);
        EXPECT_EQ(LengthOf(LineAt(rig.s, 0)), 0);  // nothing written
    }
}

TEST(ScreenCursor, ASecondCarriageReturnWaitsForTheFirstToBeResolved) {
    ScreenRig rig;
    rig.Type("hello");
    CarriageReturn(rig.s);
    EXPECT_EQ(rig.s.cursorCol, 0);
    EXPECT_EQ(rig.s.AfterCR, 1);

    Tab(rig.s);  // an emulator moving the cursor without resolving
    CarriageReturn(rig.s);
    EXPECT_EQ(rig.s.cursorCol, 8);  // the second CR did not move it

    ResolveAfterCR(rig.s);
    EXPECT_EQ(rig.s.cursorCol, 0);
    EXPECT_EQ(rig.s.AfterCR, 0);
    rig.s.cursorCol = 3;
    ResolveAfterCR(rig.s);  // nothing pending: stays
    EXPECT_EQ(rig.s.cursorCol, 3);

    rig.Type("\r\rJ\b\bK");  // backspace stops at column 0 and erases nothing
    EXPECT_EQ(rig.Row(0), "Kello");
}

TEST(ScreenCursor, DeleteLeftShortensTheLineAndBlanksTheCellOnScreenOnly) {
    struct Case {
        const char* name;
        std::string text;
        int col, hOffset;
        int colAfter, length;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"inside the text", "abcdef", 2, 0, 1, 5, {"cell 8 54 20 1F"}},  // the length drops by one all the same
        {"scrolled off", "abcd", 2, 3, 1, 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScreenRig rig;
        rig.Put(0, c.text);
        rig.display.calls.clear();
        rig.s.hOffset = c.hOffset;
        rig.s.cursorCol = c.col;
        rig.s.attr = 0x1F;
        DeleteLeft(rig.s);
        EXPECT_EQ(rig.s.cursorCol, c.colAfter);
        EXPECT_EQ(LengthOf(LineAt(rig.s, 0)), c.length);
        EXPECT_EQ(SpareOf(LineAt(rig.s, 0)), 0);
        EXPECT_EQ(rig.display.calls, c.calls);
        EXPECT_EQ(AttrAt(rig.s, 0)[c.colAfter], 0x1F);
        EXPECT_EQ(LineAt(rig.s, 0).text[c.colAfter], c.text[c.colAfter]) << "the text cell keeps its character";
    }
}

TEST(ScreenCursor, PixelPositionsMapToCells) {
    struct Case { int x, y, hOffset, col, row; };
    const Case cases[] = {
        {15, 69, 0, 1, 0}, {16, 70, 0, 2, 1}, {-8, 54, 3, 2, 0}, {80, 54 + 23 * 16, 4, 14, 23},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "x=" << c.x << " y=" << c.y << " hOffset=" << c.hOffset);
        ScreenRig rig;
        rig.s.hOffset = c.hOffset;
        SetCursorPixels(rig.s, c.x, c.y);
        EXPECT_EQ(rig.s.cursorCol, c.col);
        EXPECT_EQ(rig.s.cursorRow, c.row);
    }
}

}  // namespace
}  // namespace palvex
