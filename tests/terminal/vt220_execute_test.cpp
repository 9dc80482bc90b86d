// The VT102/VT220/VT320 executor, final by final: cursor, scrolling, erasing,
// editing, renditions, modes, answers and the printer controller.
#include <gtest/gtest.h>

#include <string>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::CountingSpool;
using testing::Term;

std::string Show(const std::string& bytes) { return ::testing::PrintToString(bytes); }

TEST(Vt220Cursor, MovesWithinTheScreen) {
    struct Case {
        std::string bytes;
        int row, col;
        bool autoWrap = false;
        int columns = 80;
    } cases[] = {
        {"\x1b[3A", 7, 10},  {"\x1b[A", 9, 10},   {"\x1b[0A", 10, 10}, {"\x1b[40A", 0, 10},
        {"\x1b" "A", 10, 10},  // ESC A alone is no command
        {"\x1b[-3A", 10, 10}, {"\x1b[?A", 10, 10},
        {"\x1b[3B", 13, 10}, {"\x1b[B", 11, 10},  {"\x1b[0B", 10, 10}, {"\x1b[99B", 23, 10},
        {"\x1bOB", 11, 10},  // the first byte is not checked: ESC O B is ESC [ B
        {"\x1b[5C", 10, 15}, {"\x1b[C", 10, 11},  {"\x1b[0C", 10, 10}, {"\x1b[200C", 10, 79},
        {"\x1b[200C", 10, 131, false, 132},
        {"\x1b[75C\x1b[10C", 11, 15, true},       // a move past the edge goes on below
        {"\x1b[65C\x1b[165C", 13, 0, true},
        {"\x1b[13B\x1b[65C\x1b[200C", 23, 35, true},  // never below the last row
        {"\x1b[5D", 10, 5},  {"\x1b[D", 10, 9},   {"\x1b[0D", 10, 10}, {"\x1b[50D", 10, 0},
        {"\x1b[H", 0, 0},    {"\x1b[5H", 4, 0},   {"\x1b[;7H", 0, 6},  {"\x1b[5;7H", 4, 6},
        {"\x1b[5;7f", 4, 6}, {"\x1b[0;0H", 0, 0}, {"\x1b[10;200H", 9, 79}, {"\x1b[99;99H", 23, 79},
        {"\x1b[10;200H", 9, 131, false, 132},     {"\x1b[-5;-5H", 0, 0}, {"\x1b[;H", 0, 0},
        {"\x1b[99999999999999999999;3H", 23, 2},  // saturates instead of overflowing
        {"\x1b" "f", 0, 0},
        {"\x1b[5E", 11, 0},  {"\x1b" "E", 11, 0}, {"\x1b" "D", 11, 10}, {"\x1bM", 9, 10},
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220, c.columns, 24, c.autoWrap);
        t.At(10, 10).Feed(c.bytes);
        EXPECT_EQ(t.CursorRow(), c.row) << Show(c.bytes);
        EXPECT_EQ(t.CursorCol(), c.col) << Show(c.bytes);
    }
}

TEST(Vt220Cursor, RightFromBeyondTheEdgeComesBackToTheLastColumn) {
    // Without auto-wrap text runs on past column 79; a move right then lands
    // on the last column of the width.
    Term t(kTypeVt102);
    t.At(0, 100).Feed("\x1b[C");
    EXPECT_EQ(t.CursorCol(), 79);
}

TEST(Vt220Scroll, IndexAndReverseIndexScrollAtTheMargins) {
    struct Case {
        const char* setup;  // region, sent before the cursor is placed
        int row;
        std::string bytes;
        const char* rows;   // first letter of each row afterwards
        int cursorRow, history;
    } cases[] = {
        {"", 23, "\x1b" "D", "bcdefghijklmnopqrstuvwx.", 23, 1},
        {"", 10, "\x1b" "D", "abcdefghijklmnopqrstuvwx", 11, 0},
        {"\x1b[5;10r", 9, "\x1b" "D", "abcdfghij.klmnopqrstuvwx", 9, 0},
        {"\x1b[5;10r", 23, "\x1b" "D", "abcdefghijklmnopqrstuvwx", 23, 0},  // below the region
        {"", 0, "\x1bM", ".abcdefghijklmnopqrstuvw", 0, 0},
        {"", 10, "\x1bM", "abcdefghijklmnopqrstuvwx", 9, 0},
        {"\x1b[5;10r", 4, "\x1bM", "abcd.efghiklmnopqrstuvwx", 4, 0},
        {"\x1b[5;10r", 0, "\x1bM", "abcdefghijklmnopqrstuvwx", 0, 0},      // above the region
        {"", 23, "\x1b" "E", "bcdefghijklmnopqrstuvwx.", 23, 1},
        {"\x1b[5;10r", 9, "\x1b[3E", "abcdfghij.klmnopqrstuvwx", 9, 0},
        {"\x1b[20;10r", 9, "\x1b" "D", "abcdefghi.klmnopqrstuvwx", 9, 0},  // inverted region: no crash
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        t.Feed(c.setup).Lettered().At(c.row, 3).Feed(c.bytes);
        EXPECT_EQ(t.Column0(), c.rows) << Show(c.setup) << Show(c.bytes);
        EXPECT_EQ(t.CursorRow(), c.cursorRow) << Show(c.bytes);
        EXPECT_EQ(t.History(), c.history) << Show(c.bytes);
    }
}

TEST(Vt220Scroll, IndexIgnoresScrollLock) {
    Term t(kTypeVt220);
    t.rig.screen.scrollLock = 1;
    t.Lettered().At(23, 0).Feed("\x1b" "D");
    EXPECT_EQ(t.Row(0), "b");
    t.At(23, 0).Feed("\n");  // a line feed on the bottom margin does honour it
    EXPECT_EQ(t.Row(0), "b");
}

TEST(Vt220Region, SetWithClampsAndHomesTheCursor) {
    struct Case {
        const char* bytes;
        int top, bottom;
    } cases[] = {
        {"\x1b[5;10r", 5, 10}, {"\x1b[r", 1, 24},     {"\x1b[5r", 5, 24},   {"\x1b[;10r", 1, 10},
        {"\x1b[20;10r", 20, 10}, {"\x1b[0;99r", 1, 24}, {"\x1b[30;5r", 1, 5}, {"\x1b[-3;-4r", 1, 24},
        {"\x1b[24;24r", 24, 24},
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        t.Feed("\x1b[3;3r").At(10, 10).Feed(c.bytes);
        EXPECT_EQ(t.rig.screen.marginTop, c.top) << Show(c.bytes);
        EXPECT_EQ(t.rig.screen.marginBottom, c.bottom) << Show(c.bytes);
        EXPECT_EQ(t.CursorRow(), 0);
        EXPECT_EQ(t.CursorCol(), 0);
    }
}

TEST(Vt220Erase, InDisplayAndInLine) {
    struct Case {
        std::string bytes;
        int row, col;          // cursor before
        const char* row4;      // rows 4, 5, 6 afterwards
        const char* row5;
        const char* row6;
        int history;
        bool selective = false;
    } cases[] = {
        {"\x1b[K", 5, 4, "abcdefghij", "abcd", "abcdefghij", 0},
        {"\x1b[0K", 5, 4, "abcdefghij", "abcd", "abcdefghij", 0},
        {"\x1b[1K", 5, 4, "abcdefghij", "    efghij", "abcdefghij", 0},
        {"\x1b[2K", 5, 4, "abcdefghij", "", "abcdefghij", 0},
        {"\x1b[3K", 5, 4, "abcdefghij", "abcdefghij", "abcdefghij", 0},
        {"\x1b[?K", 5, 4, "abcdefghij", "abcdefghij", "abcdefghij", 0},
        {"\x1b[?K", 5, 4, "abcdefghij", "abcd", "abcdefghij", 0, true},
        {"\x1b[J", 5, 4, "abcdefghij", "abcd", "", 0},
        {"\x1b[0J", 5, 4, "abcdefghij", "abcd", "", 0},
        {"\x1b[1J", 5, 4, "", "    efghij", "abcdefghij", 0},
        {"\x1b[2J", 5, 4, "", "", "", 24},
        {"\x1b[J", 0, 0, "", "", "", 24},       // at home: the screen goes to the history first
        {"\x1b[J", 0, 1, "", "", "", 0},
        {"\x1b[3J", 5, 4, "abcdefghij", "abcdefghij", "abcdefghij", 0},
        {"\x1b[?2J", 5, 4, "abcdefghij", "abcdefghij", "abcdefghij", 0},
        {"\x1b[?2J", 5, 4, "", "", "", 24, true},
        {"\x1b[?1J", 5, 4, "", "    efghij", "abcdefghij", 0, true},
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        if (c.selective) t.Feed("\x1b[\"q");
        for (int r = 0; r < 24; ++r) t.Put(r, "abcdefghij");
        t.At(c.row, c.col).Feed(c.bytes);
        EXPECT_EQ(t.Row(4), c.row4) << Show(c.bytes) << " at " << c.row << "," << c.col;
        EXPECT_EQ(t.Row(5), c.row5) << Show(c.bytes);
        EXPECT_EQ(t.Row(6), c.row6) << Show(c.bytes);
        EXPECT_EQ(t.History(), c.history) << Show(c.bytes);
    }
}

TEST(Vt220Erase, ClearScreenPushesItIntoTheHistoryAndHomes) {
    Term t(kTypeVt220);
    t.Lettered().At(7, 7).Feed("\x1b[2J");
    EXPECT_EQ(t.CursorRow(), 0);
    EXPECT_EQ(t.CursorCol(), 0);
    EXPECT_EQ(t.HistoryLine(24), "a");
    EXPECT_EQ(t.HistoryLine(1), "x");
    EXPECT_EQ(t.Column0(), std::string(24, '.'));
    // Erased cells carry attribute 0, whatever the current attribute.
    t.Feed("\x1b[7mAB\x1b[1;2H\x1b[K");
    EXPECT_EQ(t.AttrOf(0, 0), 0x07);
    EXPECT_EQ(t.AttrOf(0, 1), 0x00);
}

TEST(Vt220Erase, EraseToLineEndPastTheLastCellLeavesTheLine) {
    Term t(kTypeVt220, 132, 24, true);
    t.Feed(std::string(132, 'w'));  // cursor waits at column 132
    ASSERT_EQ(t.CursorCol(), 132);
    t.Feed("\x1b[K");
    EXPECT_EQ(t.Row(0), std::string(132, 'w'));
}

// Cell editing on "ABCDEFGH", each letter with its own attribute (0x11 * (i+1)).
TEST(Vt220Edit, InsertDeleteAndEraseCharacters) {
    struct Case {
        std::string bytes;
        int col;
        const char* text;
        int length;
        const char* attrs;  // attribute of each cell shown, as letters: 'A' = 0x11 ... '.' = 0
    } cases[] = {
        {"\x1b[P", 2, "ABDEFGH", 7, "ABDEFGH"},
        {"\x1b[3P", 2, "ABFGH", 5, "ABFGH"},
        {"\x1b[5P", 7, "ABCDEFGH", 8, "ABCDEFGH"},  // on the last character: nothing changes
        {"\x1b[P", 7, "ABCDEFGH", 8, "ABCDEFGH"},
        {"\x1b[0P", 2, "ABCDEFGH", 8, "ABCDEFGH"},
        {"\x1b[3P", 5, "ABCDE", 5, "ABCDE"},
        // The length drops by the whole count, even past the cursor: cells
        // before it stay stored but are no longer part of the line.
        {"\x1b[200P", 2, "", 0, "AB"},
        {"\x1b[4P", 5, "ABCD", 4, "ABCD"},
        {"\x1b[P", 20, "ABCDEFGH", 8, "ABCDEFGH"},
        {"\x1b[-2P", 2, "ABCDEFGH", 8, "ABCDEFGH"},
        {"\x1b[P", 0, "BCDEFGH", 7, "BCDEFGH"},
        {"\x1b[@", 2, "AB CDEFGH", 9, "AB.CDEFGH"},
        {"\x1b[3@", 2, "AB   CDEFGH", 11, "AB...CDEFGH"},
        {"\x1b[0@", 2, "ABCDEFGH", 8, "ABCDEFGH"},
        {"\x1b[-1@", 2, "ABCDEFGH", 8, "ABCDEFGH"},
        {"\x1b[@", 8, "ABCDEFGH", 9, "ABCDEFGH."},
        {"\x1b[X", 2, "AB DEFGH", 8, "AB.DEFGH"},
        {"\x1b[3X", 2, "AB   FGH", 8, "AB...FGH"},
        {"\x1b[0X", 2, "ABCDEFGH", 8, "ABCDEFGH"},
        {"\x1b[200X", 2, "AB", 8, "AB......"},
        {"\x1b" "X", 2, "ABCDEFGH", 8, "ABCDEFGH"},  // ESC X alone is no command
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        for (int i = 0; i < 8; ++i) {
            t.rig.screen.attr = static_cast<uint8_t>(0x11 * (i + 1));
            PutChar(t.rig.screen, static_cast<uint8_t>('A' + i));
        }
        t.rig.screen.attr = 0x70;
        t.At(0, c.col).Feed(c.bytes);
        EXPECT_EQ(t.Row(0), c.text) << Show(c.bytes) << " at " << c.col;
        EXPECT_EQ(t.Length(0), c.length) << Show(c.bytes) << " at " << c.col;
        for (int i = 0; c.attrs[i]; ++i) {
            const uint8_t want = c.attrs[i] == '.' ? 0 : static_cast<uint8_t>(0x11 * (c.attrs[i] - 'A' + 1));
            EXPECT_EQ(t.AttrOf(0, i), want) << Show(c.bytes) << " cell " << i;
        }
        EXPECT_EQ(t.CursorCol(), c.col) << "editing never moves the cursor";
    }
}

TEST(Vt220Edit, InsertDropsWhatPassesTheWidth) {
    struct Case {
        int columns, col, n;
        int length;
        char last;  // character in the last column of the width
    } cases[] = {{80, 76, 2, 80, 'Z'}, {80, 0, 500, 80, ' '}, {132, 130, 1, 132, 'A'}};
    for (const Case& c : cases) {
        Term t(kTypeVt220, c.columns);
        std::string line;
        for (int i = 0; i < c.columns; ++i) line += static_cast<char>('A' + i % 26);
        t.Put(0, line).At(0, c.col).Feed("\x1b[" + std::to_string(c.n) + "@");
        EXPECT_EQ(t.Length(0), c.length);
        EXPECT_EQ(LineAt(t.rig.screen, 0).text[c.columns - 1], static_cast<uint8_t>(c.last)) << c.col << " " << c.n;
        EXPECT_EQ(LineAt(t.rig.screen, 0).text[c.col], ' ');
    }
}

TEST(Vt220Edit, InsertAndDeleteLinesWithinTheMargins) {
    struct Case {
        const char* region;
        int row;
        std::string bytes;
        const char* rows;
    } cases[] = {
        {"", 5, "\x1b[L", "abcde.fghijklmnopqrstuvw"},
        {"", 5, "\x1b[3L", "abcde...fghijklmnopqrstu"},
        {"", 5, "\x1b[99L", "abcde..................."},
        {"", 5, "\x1b[0L", "abcdefghijklmnopqrstuvwx"},
        {"", 5, "\x1b" "L", "abcdefghijklmnopqrstuvwx"},
        {"", 5, "\x1b[M", "abcdeghijklmnopqrstuvwx."},
        {"", 5, "\x1b[3M", "abcdeijklmnopqrstuvwx..."},
        {"", 5, "\x1b[99M", "abcde..................."},
        {"", 5, "\x1b[0M", "abcdefghijklmnopqrstuvwx"},
        {"", 23, "\x1b[2L", "abcdefghijklmnopqrstuvw."},
        {"\x1b[3;10r", 5, "\x1b[2L", "abcde..fghkl" "mnopqrstuvwx"},
        {"\x1b[3;10r", 5, "\x1b[2M", "abcdehij..kl" "mnopqrstuvwx"},
        {"\x1b[3;10r", 15, "\x1b[2L", "abcdefghijklmnopqrstuvwx"},  // below the region
        {"\x1b[3;10r", 15, "\x1b[2M", "abcdefghijklmnopqrstuvwx"},
        {"\x1b[3;10r", 0, "\x1b[L", ".abcdefghikl" "mnopqrstuvwx"},  // the top margin is not consulted
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        t.Feed(c.region).Lettered().At(c.row, 4).Feed(c.bytes);
        EXPECT_EQ(t.Column0(), c.rows) << Show(c.region) << Show(c.bytes) << " at " << c.row;
        EXPECT_EQ(t.CursorRow(), c.row);
        EXPECT_EQ(t.History(), 0);
    }
}

TEST(Vt220Modes, SetAndResetByBytePosition) {
    enum Field { AutoRepeat, NewLine, Insert, AutoWrap, CursorKeys, Columns, None };
    struct Case {
        std::string bytes;
        Field field;
        int value;
    } cases[] = {
        {"\x1b[?8l", AutoRepeat, 0}, {"\x1b[?8l\x1b[?8h", AutoRepeat, 1},
        {"\x1b[?20h", NewLine, 1},   {"\x1b[?20h\x1b[?20l", NewLine, 0},
        {"\x1b[20h", None, 0},       {"\x1b[?2h", None, 0},
        {"\x1b[4h", Insert, 1},      {"\x1b[4h\x1b[4l", Insert, 0},
        {"\x1b[?7h", AutoWrap, 1},   {"\x1b[?7h\x1b[?7l", AutoWrap, 0},
        {"\x1b[?7h\x1b[7l", AutoWrap, 1},  // the test is on the third byte
        {"\x1b[?1h", CursorKeys, 1}, {"\x1b[?1h\x1b[?1l", CursorKeys, 0},
        {"\x1b[?3h", Columns, 132},  {"\x1b[?3h\x1b[?3l", Columns, 80},
        {"\x1b[?25l", None, 0},      {"\x1b[?6h", None, 0},  {"\x1b[h", None, 0},
        {"\x1b" "h", None, 0},
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        t.Feed(c.bytes);
        const TerminalModes& m = t.rig.modes;
        const TerminalScreen& s = t.rig.screen;
        const int values[] = {m.autoRepeat, m.newLineMode, s.insertMode, s.autoWrap, m.cursorKeysApp, s.columns};
        const int defaults[] = {1, 0, 0, 0, 0, 80};
        for (int f = AutoRepeat; f <= Columns; ++f) {
            const int want = f == c.field ? c.value : defaults[f];
            EXPECT_EQ(values[f], want) << Show(c.bytes) << " field " << f;
        }
    }
}

TEST(Vt220Modes, WidthAndWrapTakeEffect) {
    Term t(kTypeVt220);
    t.Feed("\x1b[?3h\x1b[1;200H");
    EXPECT_EQ(t.CursorCol(), 131);
    EXPECT_EQ(t.Length(0), 0) << "switching the width clears nothing";
    Term u(kTypeVt220);
    u.Feed("\x1b[?7h" + std::string(81, 'x'));
    EXPECT_EQ(u.Row(1), "x");
    Term v(kTypeVt220);
    v.Feed("ABC\x1b[1;2H\x1b[4hX\x1b[4lY");
    EXPECT_EQ(v.Row(0), "AXYC");
}

TEST(Vt220Rendition, MonochromeRules) {
    struct Case {
        std::string bytes;
        uint8_t attr;
        int bold, reverse;
    } cases[] = {
        {"\x1b[1m", 0xF0, 1, 0},        {"\x1b[4m", 0xF0, 1, 0},        {"\x1b[5m", 0xF0, 1, 0},
        {"\x1b[7m", 0x07, 0, 1},        {"\x1b[7m\x1b[7m", 0x70, 0, 1}, {"\x1b[1;7m", 0x0F, 1, 1},
        {"\x1b[7;1m", 0x87, 1, 1},      {"\x1b[8m", 0x00, 0, 0},        {"\x1b[1;31m", 0xF0, 1, 0},
        {"\x1b[44m", 0x70, 0, 0},       {"\x1b[1m\x1b[m", 0x70, 0, 0},  {"\x1b[1;7m\x1b[0m", 0x70, 0, 0},
        {"\x1b[7m\x1b[22m", 0x07, 0, 1}, {"\x1b[1;7m\x1b[24m", 0x07, 0, 1}, {"\x1b[1m\x1b[25m", 0x70, 0, 0},
        {"\x1b[7m\x1b[27m", 0x70, 0, 0}, {"\x1b[1m\x1b[27m", 0xF0, 1, 0}, {"\x1b[7m\x1b[0m\x1b[22m", 0x70, 0, 0},
        {"\x1b[2;3;6;9;21;23;26m", 0x70, 0, 0}, {"\x1b[1m\x1b[-1m", 0xF0, 1, 0},
        {"\x1b[1m\x1b[99999999999m", 0xF0, 1, 0}, {"\x1b[1;m", 0x70, 0, 0},  // an empty field reads 0
        {"\x1b[7m\x1b[m\x1b[22m", 0x07, 0, 1},  // ESC [ m leaves the reverse flag
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        t.Feed(c.bytes);
        EXPECT_EQ(t.rig.screen.attr, c.attr) << Show(c.bytes);
        EXPECT_EQ(t.rig.screen.bold, c.bold) << Show(c.bytes);
        EXPECT_EQ(t.rig.modes.reverse, c.reverse) << Show(c.bytes);
    }
}

TEST(Vt220Rendition, ChangesReachTheCellUnderTheCursor) {
    Term t(kTypeVt320);
    t.Feed("AB\x1b[1;1H\x1b[7m");
    EXPECT_EQ(t.AttrOf(0, 0), 0x07);
    EXPECT_EQ(t.Row(0), "AB");
    EXPECT_EQ(t.AttrOf(0, 1), 0x70) << "only the cell under the cursor";
    EXPECT_EQ(t.AttrOf(0, 2), 0x00);
}

TEST(Vt220Answers, IdentificationStatusAndPosition) {
    struct Case {
        int type;
        std::string bytes;
        std::string answer;
    } cases[] = {
        {kTypeVt102, "\x1b[c", "\x1b[?6c"},
        {kTypeVt220, "\x1b[c", "\x1b[?62;1;2;9;11;14c"},
        {kTypeVt320, "\x1b[c", "\x1b[?63;1;2;9;11;14c"},
        {kTypeVt220, "\x1b" "c", "\x1b[?62;1;2;9;11;14c"},
        {kTypeVt102, "\x1bZ", "\x1b[?6c"},
        {kTypeVt220, "\x1b[Z", "\x1b[?62;1;2;9;11;14c"},
        {kTypeVt220, "\x1b[0c", ""},
        {kTypeVt220, "\x1b[>c", ""},
        {kTypeVt220, "\x1b[5n", "\x1b[0n"},
        {kTypeVt102, "\x1b[5;10H\x1b[6n", "\x1b[5;10R"},
        {kTypeVt220, "\x1b[24;80H\x1b[6n", "\x1b[24;80R"},
        {kTypeVt320, "\x1b[?25n", "\x1b[?20n"},
        {kTypeVt320, "\x1b[?26n", ""},
        {kTypeVt220, "\x1b[7n", ""},
        {kTypeVt220, "\x1b[?6n", ""},
        {kTypeVt220, "\x1b G\x1b[5;10H\x1b[6n", "\x9b" "5;10R"},
        {kTypeVt102, "\x1b G\x1b[c", "\x9b?6c"},
        {kTypeVt320, "\x1b G\x1b[5n\x1b[?25n", "\x9b" "0n\x9b?20n"},
        {kTypeVt220, "\x1b G\x1b F\x1b[6n", "\x1b[1;1R"},
        {kTypeVt220, "\x1b[3G\x1b[6n", "\x9b" "1;1R"},  // any sequence ending in G
    };
    for (const Case& c : cases) {
        Term t(c.type);
        t.Feed(c.bytes);
        EXPECT_EQ(t.Answers(), c.answer) << c.type << " " << Show(c.bytes);
    }
    // The cursor report counts the columns scrolled off to the left.
    Term t(kTypeVt220, 132);
    t.rig.screen.hOffset = 40;
    t.Feed("\x1b[2;100H\x1b[6n");
    EXPECT_EQ(t.Answers(), "\x1b[2;100R");
}

TEST(Vt220PrinterController, FollowsTransparentPrint) {
    struct Case {
        bool transparent;
        int active;  // PrintControllerActive before
        std::string bytes;
        int activeAfter, starts, ends;
    } cases[] = {
        {true, 0, "\x1b[5i", 1, 1, 0},
        {true, 1, "\x1b[5i", 1, 0, 0},  // already on: the capture stays open
        {true, 1, "\x1b[4i", 0, 0, 1},
        {true, 1, "\x1b[0i", 1, 0, 0},
        {false, 0, "\x1b[5i", 0, 0, 0},
        {false, 1, "\x1b[4i", 0, 0, 1},
        {false, 1, "\x1b[0i", 0, 0, 0},
        {false, 1, "\x1b[5i", 0, 0, 0},
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        CountingSpool spool;
        t.rig.session.spool = &spool;
        t.rig.modes.transparentPrint = c.transparent;
        t.rig.pump.PrintControllerActive = c.active;
        t.Feed(c.bytes);
        EXPECT_EQ(t.rig.pump.PrintControllerActive, c.activeAfter) << c.transparent << c.active << Show(c.bytes);
        EXPECT_EQ(spool.starts, c.starts) << c.transparent << c.active << Show(c.bytes);
        EXPECT_EQ(spool.ends, c.ends) << c.transparent << c.active << Show(c.bytes);
    }
}

TEST(Vt220PrinterController, TextGoesToTheSpoolWhileOn) {
    Term t(kTypeVt102);
    CountingSpool spool;
    t.rig.session.spool = &spool;
    t.rig.modes.transparentPrint = 1;
    t.Feed("a\x1b[5iprinted\r\n\x1b[4ib");
    EXPECT_EQ(spool.bytes, "printed\r\n");
    EXPECT_EQ(t.Row(0), "ab");
    // Without a spool the controller still switches, and nothing breaks.
    Term u(kTypeVt220);
    u.rig.modes.transparentPrint = 1;
    u.Feed("\x1b[5ix\x1b[4iy");
    EXPECT_EQ(u.rig.pump.PrintControllerActive, 0);
    EXPECT_EQ(u.Row(0), "y");
}

TEST(Vt220SelectiveErase, SetAndClearedByQuoteQ) {
    struct Case {
        std::string bytes;
        int value;
    } cases[] = {
        {"\x1b[\"q", 1}, {"\x1b[0\"q", 1}, {"\x1b[2\"q", 1}, {"\x1b[\"q\x1b[1\"q", 0},
        {"\x1b[3\"q", 0}, {"\x1b[\"q\x1b[3\"q", 1}, {"\x1b[1q", 0}, {"\x1b[0q", 0},
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        t.Feed(c.bytes);
        EXPECT_EQ(t.rig.modes.selectiveErase, c.value) << Show(c.bytes);
    }
}

TEST(Vt220Finals, OutsideTheTableDoNothing) {
    for (const char* bytes : {"\x1b[5}", "\x1b[5~", "\x1b[2;3~"}) {
        Term t(kTypeVt220);
        t.Lettered().At(3, 3).Feed(bytes);
        EXPECT_EQ(t.Column0(), "abcdefghijklmnopqrstuvwx");
        EXPECT_EQ(t.CursorRow(), 3);
        EXPECT_EQ(t.CursorCol(), 3);
        EXPECT_EQ(t.Answers(), "");
    }
}

}  // namespace
}  // namespace palvex
