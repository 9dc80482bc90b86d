// The VT100 final table: cursor movement, erasing, scrolling, renditions,
// modes, answers and the printer controller, on both VT100 terminal types.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comm/terminal_rig.h"
#include "terminal/rig_helpers.h"

namespace palvex {
namespace {

using namespace palvex::testing;

TermOptions Options(int type, bool autoWrap = false, int columns = 80) {
    TermOptions o;
    o.type = type;
    o.autoWrap = autoWrap;
    o.columns = columns;
    return o;
}

TEST(Vt100Cursor, MovesAndLimits) {
    struct Case {
        std::string bytes;
        int row, col;
        bool autoWrap = false;
    } cases[] = {
        {"\x1b[3A", 7, 10},
        {"\x1b[A", 9, 10},
        {"\x1b[x A", 10, 10},         // non-numeric reads as 0
        {"\x1b" "A", 10, 10},         // ESC A alone is no VT100 command
        {"\x1b[3B", 13, 10},
        {"\x1b[99B", 23, 10},
        {"\x1b[5C", 10, 15},
        {"\x1b[200C", 10, 79},
        {"\x1b[72C", 11, 2, true},    // past the last column: on into the next row
        {"\x1b[3D", 10, 7},
        {"\x1b[50D", 10, 0},
        {"\x1b" "D", 11, 10},         // index
        {"\x1b" "E", 11, 0},          // next line
        {"\x1b[5E", 11, 0},           // once, whatever the count
        {"\x1b" "H", 10, 10},         // ESC H sets a tab stop, and stops are fixed
        {"\x1b[H", 0, 0},
        {"\x1b[5;7H", 4, 6},
        {"\x1b[5;7f", 4, 6},
        {"\x1b[10;200H", 9, 79},
        {"\x1b[99;5f", 23, 4},
        {"\x1b" "M", 9, 10},          // reverse index
        {"\x1b[M", 9, 10},
        {"\x1b[2M", 9, 10},           // one row, whatever the count
    };
    for (int type : {kTypeVt100, kTypeVt100Color}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << "type " << type << " " << c.bytes.substr(1));
            TerminalRig rig(Options(type, c.autoWrap));
            Place(rig, 10, 10);
            rig.Receive(c.bytes);
            EXPECT_EQ(rig.screen.cursorRow, c.row);
            EXPECT_EQ(rig.screen.cursorCol, c.col);
            EXPECT_EQ(rig.screen.EscapeActive, 0);
        }
    }
}

TEST(Vt100Cursor, AddressingCountsFromTheScreenTopNotTheMargin) {
    TerminalRig rig(Options(kTypeVt100));
    rig.Receive("\x1b[5;10r\x1b[2;3H");
    EXPECT_EQ(rig.screen.cursorRow, 1);
    EXPECT_EQ(rig.screen.cursorCol, 2);
}

TEST(Vt100Cursor, OwnSavedCursorLeavesTheOthersAlone) {
    TerminalRig rig(Options(kTypeVt100));
    rig.modes.savedX2 = 33;
    rig.modes.savedY2 = 7;
    rig.Receive("\x1b[4;6H\x1b[s\x1b[20;30H");
    EXPECT_EQ(rig.modes.savedX2, 33);
    EXPECT_EQ(rig.modes.savedY2, 7);
    rig.Receive("\x1b[u");
    EXPECT_EQ(rig.screen.cursorRow, 3);
    EXPECT_EQ(rig.screen.cursorCol, 5);
    // A second restore returns to the same place.
    rig.Receive("\x1b[1;1H\x1b[u");
    EXPECT_EQ(rig.screen.cursorRow, 3);
    EXPECT_EQ(rig.screen.cursorCol, 5);
}

TEST(Vt100Scroll, IndexReverseIndexAndRegions) {
    struct Case {
        const char* name;
        std::string bytes;
        int startRow;
        std::vector<std::string> rows;  // rows 0..5 after
        int cursorRow;
    } cases[] = {
        {"reverse index on the top row scrolls down", "\x1b" "M", 0, {"", "r0", "r1", "r2", "r3", "r4"}, 0},
        {"ESC [ 2 M deletes nothing and moves up one", "\x1b[2M", 3, {"r0", "r1", "r2", "r3", "r4", "r5"}, 2},
        {"ESC [ M on the top row scrolls down once", "\x1b[3M", 0, {"", "r0", "r1", "r2", "r3", "r4"}, 0},
        {"reverse index at the top margin scrolls only the region", "\x1b[2;4r\x1b[2H\x1bM", 0,
         {"r0", "", "r1", "r2", "r4", "r5"}, 1},
        {"index at the bottom margin scrolls only the region", "\x1b[2;4r\x1b[4H\x1b" "D", 0,
         {"r0", "r2", "r3", "", "r4", "r5"}, 3},
        {"next line at the bottom margin scrolls too", "\x1b[2;4r\x1b[4;5H\x1b" "E", 0,
         {"r0", "r2", "r3", "", "r4", "r5"}, 3},
        {"insert and delete lines are not VT100", "\x1b[L\x1b[2L", 2, {"r0", "r1", "r2", "r3", "r4", "r5"}, 2},
        {"an inverted region is taken as it is", "\x1b[20;10r", 5, {"r0", "r1", "r2", "r3", "r4", "r5"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Options(kTypeVt100));
        FillRows(rig);
        Place(rig, c.startRow, 0);
        rig.Receive(c.bytes);
        for (int r = 0; r < 6; ++r) EXPECT_EQ(RowText(rig.screen, r), c.rows[r]) << "row " << r;
        EXPECT_EQ(rig.screen.cursorRow, c.cursorRow);
    }
}

TEST(Vt100Scroll, SetRegionLimitsAndHomes) {
    struct Case {
        std::string bytes;
        int top, bottom;
    } cases[] = {
        {"\x1b[5;10r", 5, 10}, {"\x1b[r", 1, 24}, {"\x1b[;9r", 1, 9}, {"\x1b[20;10r", 20, 10}, {"\x1b[30;0r", 1, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(1));
        TerminalRig rig(Options(kTypeVt100Color));
        Place(rig, 12, 12);
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.screen.marginTop, c.top);
        EXPECT_EQ(rig.screen.marginBottom, c.bottom);
        EXPECT_EQ(rig.screen.cursorRow, 0);
        EXPECT_EQ(rig.screen.cursorCol, 0);
    }
}

TEST(Vt100Erase, InDisplayAndLine) {
    struct Case {
        const char* name;
        std::string bytes;
        int row, col;              // cursor before
        std::vector<std::string> rows;  // rows 0..3 after
        std::string last;          // row 23 after
        int pushed;                // lines pushed into the history
        int cursorRow, cursorCol;
    } cases[] = {
        {"J 2 clears all and homes", "\x1b[2J", 2, 1, {"", "", "", ""}, "", 24, 0, 0},
        {"J at home pushes the screen too", "\x1b[J", 0, 0, {"", "", "", ""}, "", 24, 0, 0},
        {"J 0 elsewhere erases below only", "\x1b[0J", 2, 1, {"r0", "r1", "r", ""}, "", 0, 2, 1},
        {"J 1 erases above and the row's start", "\x1b[1J", 2, 1, {"", "", " 2", "r3"}, "r23", 0, 2, 1},
        {"no selective form", "\x1b[?2J\x1b[?J\x1b[?1J", 2, 1, {"r0", "r1", "r2", "r3"}, "r23", 0, 2, 1},
        {"K erases to the end", "\x1b[K", 2, 1, {"r0", "r1", "r", "r3"}, "r23", 0, 2, 1},
        {"K 1 erases the start, keeping the cursor cell", "\x1b[1K", 2, 1, {"r0", "r1", " 2", "r3"}, "r23", 0, 2,
         1},
        {"K 2 the whole row", "\x1b[2K", 2, 1, {"r0", "r1", "", "r3"}, "r23", 0, 2, 1},
        {"no selective K either", "\x1b[?K\x1b[?2K", 2, 1, {"r0", "r1", "r2", "r3"}, "r23", 0, 2, 1},
    };
    for (bool selective : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.name << (selective ? " (selective erase set)" : ""));
            TerminalRig rig(Options(kTypeVt100));
            rig.modes.selectiveErase = selective;
            FillRows(rig);
            Place(rig, c.row, c.col);
            const int livePos = rig.screen.livePos;
            rig.Receive(c.bytes);
            for (int r = 0; r < 4; ++r) EXPECT_EQ(RowText(rig.screen, r), c.rows[r]) << "row " << r;
            EXPECT_EQ(RowText(rig.screen, 23), c.last);
            EXPECT_EQ(rig.screen.livePos - livePos, c.pushed);
            EXPECT_EQ(rig.screen.cursorRow, c.cursorRow);
            EXPECT_EQ(rig.screen.cursorCol, c.cursorCol);
        }
    }
}

TEST(Vt100Erase, ClearedScreenIsKeptInTheHistory) {
    TerminalRig rig(Options(kTypeVt100Color));
    FillRows(rig);
    rig.Receive("\x1b[2J");
    HistoryScroll(rig.screen, ScrollCode::PageUp);
    EXPECT_EQ(RowText(rig.screen, 0), "r0");
    EXPECT_EQ(RowText(rig.screen, 23), "r23");
}

TEST(Vt100Erase, DeleteCharactersIsNotVt100) {
    TerminalRig rig(Options(kTypeVt100));
    rig.Receive("ABCDEF\x1b[1;2H\x1b[2P\x1b[P");
    EXPECT_EQ(RowText(rig.screen, 0), "ABCDEF");
}

TEST(Vt100Rendition, MonochromeSkipsColoursColourHonoursThem) {
    struct Case {
        std::string bytes;
        uint8_t attr;    // for type 4 (VT100)
        uint8_t colour;  // for type 2 (VT100(Ansi Color))
        int bold = 0;
    } cases[] = {
        {"\x1b[m", 0x70, 0x70},
        {"\x1b[1m", 0xF0, 0xF0, 1},
        {"\x1b[4m", 0xF0, 0xF0, 1},
        {"\x1b[7m", 0x07, 0x07},
        {"\x1b[7;7m", 0x70, 0x70},
        {"\x1b[1;7m", 0x0F, 0x0F, 1},
        {"\x1b[8m", 0x00, 0x00},
        {"\x1b[1;8m", 0x00, 0x00, 1},
        {"\x1b[1;0m", 0x70, 0x70},
        {"\x1b[1m\x1b[m", 0x70, 0x70},
        {"\x1b[2;3;6;9m", 0x70, 0x70},
        {"\x1b[31m", 0x70, 0x10},
        {"\x1b[30m", 0x70, 0x00},
        {"\x1b[1;31m", 0xF0, 0x90, 1},
        {"\x1b[31;1m", 0xF0, 0x90, 1},    // bold makes the red bright as well
        {"\x1b[44m", 0x70, 0x74},
        {"\x1b[31;44m", 0x70, 0x14},
        {"\x1b[1;37;40m", 0xF0, 0xF0, 1},
        {"\x1b[7;31m", 0x07, 0x17},
        {"\x1b[;31m", 0x70, 0x10},     // an empty field resets
        {"\x1b[31;m", 0x70, 0x70},
        {"\x1b[38;39;48;49m", 0x70, 0x70},
        {"\x1b[99;31m", 0x70, 0x10},
        {"\x1b[1m\x1b[22m", 0xF0, 0xF0, 1},  // 22, 24, 25 and 27 do nothing here
        {"\x1b[7m\x1b[27m", 0x07, 0x07},
        {"\x1b[44m\x1b[1m", 0xF0, 0xF4, 1},
    };
    for (const Case& c : cases) {
        for (int type : {kTypeVt100, kTypeVt100Color}) {
            SCOPED_TRACE(::testing::Message() << "type " << type << " " << c.bytes);
            TerminalRig rig(Options(type));
            rig.Receive(c.bytes + "X");
            const uint8_t want = type == kTypeVt100 ? c.attr : c.colour;
            EXPECT_EQ(rig.screen.attr, want);
            EXPECT_EQ(AttrAt(rig.screen, 0)[0], want);
            EXPECT_EQ(RowText(rig.screen, 0), "X");
            EXPECT_EQ(rig.screen.bold, c.bold);
            EXPECT_EQ(rig.modes.reverse, 0);
        }
    }
}

TEST(Vt100Rendition, EachChangeMarksTheCellUnderTheCursor) {
    TerminalRig rig(Options(kTypeVt100Color));
    rig.Receive("ABC\x1b[1;2H\x1b[31m");
    const uint8_t* attrs = AttrAt(rig.screen, 0);
    EXPECT_EQ(attrs[0], 0x70);
    EXPECT_EQ(attrs[1], 0x10);
    EXPECT_EQ(attrs[2], 0x70);
    EXPECT_EQ(RowText(rig.screen, 0), "ABC");
    // The cursor past the written text still marks its cell, and not the line's length.
    rig.Receive("\x1b[1;10H\x1b[44m");
    EXPECT_EQ(AttrAt(rig.screen, 0)[9], 0x14);
    EXPECT_EQ(RowText(rig.screen, 0), "ABC");
}

TEST(Vt100Answers, StatusPositionAndIdentity) {
    struct Case {
        std::string bytes;
        std::string answer;
    } cases[] = {
        {"\x1b[5n", "\x1b[0n"},
        {"\x1b[6n", "\x1b[5;10R"},
        {"\x1b[?25n", ""},
        {"\x1b[?6n", ""},
        {"\x1b[n", ""},
        {"\x1b[15n", ""},
        {"\x1b[c", "\x1b[?1;2c"},
        {"\x1b" "c", "\x1b[?1;2c"},
        {"\x1b(c", "\x1b[?1;2c"},
        {"\x1b[0c", ""},
        {"\x1b[1c", ""},
        {"\x1b[>c", ""},
        {"\x1b" "Z", "\x1b[?1;2c"},
        {"\x1b[Z", "\x1b[?1;2c"},
        {"\x1b[5n\x1b[c", "\x1b[0n\x1b[?1;2c"},
    };
    for (int type : {kTypeVt100, kTypeVt100Color}) {
        for (int c1 : {0, 1}) {
            for (const Case& c : cases) {
                SCOPED_TRACE(::testing::Message() << "type " << type << " c1 " << c1 << " " << c.bytes.substr(1));
                TerminalRig rig(Options(type));
                rig.modes.c1Answers = c1;  // VT100 answers are always 7-bit
                Place(rig, 4, 9);
                rig.Receive(c.bytes);
                EXPECT_EQ(Answer(rig), c.answer);
            }
        }
    }
}

TEST(Vt100Modes, SetAndResetByBytePosition) {
    struct Case {
        std::string bytes;
        int cursorKeysApp, newLineMode, autoRepeat, insertMode, autoWrap;
        int columns;
    } cases[] = {
        {"\x1b[?1h", 1, 0, 1, 0, 1, 80},
        {"\x1b[?1h\x1b[?1l", 0, 0, 1, 0, 1, 80},
        {"\x1b[?20h", 0, 1, 1, 0, 1, 80},
        {"\x1b[?20h\x1b[?20l", 0, 0, 1, 0, 1, 80},
        {"\x1b[20h", 0, 0, 1, 0, 1, 80},   // no line feed/new line mode without "?"
        {"\x1b[?8l", 0, 0, 0, 0, 1, 80},
        {"\x1b[4h", 0, 0, 1, 1, 1, 80},
        {"\x1b[4h\x1b[4l", 0, 0, 1, 0, 1, 80},
        {"\x1b[?7l", 0, 0, 1, 0, 0, 80},
        {"\x1b[7l", 0, 0, 1, 0, 1, 80},    // the test is on the third byte
        {"\x1b[?3h", 0, 0, 1, 0, 1, 80},   // no 132 columns on a VT100
        {"\x1b[?6h\x1b[?25l", 0, 0, 1, 0, 1, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        TerminalRig rig(Options(kTypeVt100, true));
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.modes.cursorKeysApp, c.cursorKeysApp);
        EXPECT_EQ(rig.modes.newLineMode, c.newLineMode);
        EXPECT_EQ(rig.modes.autoRepeat, c.autoRepeat);
        EXPECT_EQ(rig.screen.insertMode, c.insertMode);
        EXPECT_EQ(rig.screen.autoWrap, c.autoWrap);
        EXPECT_EQ(rig.screen.columns, c.columns);
    }
}

TEST(Vt100PrinterController, MediaCopyFollowsTransparentPrint) {
    struct Case {
        const char* name;
        int transparent;
        std::string bytes;
        int active, starts, ends;
        std::string spooled, row0;
    } cases[] = {
        {"on and off", 1, "\x1b[5iabc\x1b[4iD", 0, 1, 1, "abc", "D"},
        {"still on", 1, "\x1b[5iabc", 1, 1, 0, "abc", ""},
        {"ignored without transparent print", 0, "\x1b[5iabc", 0, 0, 0, "", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Options(kTypeVt100));
        CountingSpool spool;
        rig.session.spool = &spool;
        rig.modes.transparentPrint = c.transparent;
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.pump.PrintControllerActive, c.active);
        EXPECT_EQ(spool.starts, c.starts);
        EXPECT_EQ(spool.ends, c.ends);
        EXPECT_EQ(spool.bytes, c.spooled);
        EXPECT_EQ(RowText(rig.screen, 0), c.row0);
    }
}

TEST(Vt100PrinterController, EndsARunningCaptureWhenTransparentPrintWasTurnedOff) {
    TerminalRig rig(Options(kTypeVt100Color));
    CountingSpool spool;
    rig.session.spool = &spool;
    rig.modes.transparentPrint = 1;
    rig.Receive("\x1b[5iab");
    rig.modes.transparentPrint = 0;
    rig.Receive("\x1b[4icd");
    EXPECT_EQ(rig.pump.PrintControllerActive, 0);
    EXPECT_EQ(spool.ends, 1);
    EXPECT_EQ(spool.bytes, "ab");
    EXPECT_EQ(RowText(rig.screen, 0), "cd");
}

}  // namespace
}  // namespace palvex
