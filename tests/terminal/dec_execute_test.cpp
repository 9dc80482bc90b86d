// The VT100 and VT102/VT220/VT320 final tables side by side: cursor movement,
// scrolling, erasing, editing, renditions, modes, answers and the printer
// controller. A row marked for both families runs on VT100, VT100(Ansi Color),
// VT102, VT220 and VT320.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::CountingSpool;
using testing::Show;
using testing::Term;

enum Family { B, V100, V220 };

std::vector<int> TypesOf(Family f) {
    if (f == V100) return {kTypeVt100, kTypeVt100Color};
    if (f == V220) return {kTypeVt102, kTypeVt220, kTypeVt320};
    return {kTypeVt100, kTypeVt100Color, kTypeVt102, kTypeVt220, kTypeVt320};
}

std::string What(int type, const std::string& bytes) { return std::to_string(type) + " " + Show(bytes); }

const char* const kSame = "abcdefghijklmnopqrstuvwx";

TEST(DecCursor, MovesAndLimits) {
    struct Case {
        Family f;
        std::string bytes;  // from row 10, column 10
        int row, col;
        bool autoWrap = false;
        int columns = 80;
    } cases[] = {
        {B, "\x1b[3A", 7, 10}, {B, "\x1b" "A", 10, 10},  // ESC A alone is no command
        {V220, "\x1b[0A", 10, 10}, {V220, "\x1b[40A", 0, 10}, {V220, "\x1b[-3A", 10, 10}, {B, "\x1b[99B", 23, 10},
        {V220, "\x1bOB", 11, 10},  // the first byte is not checked: ESC O B is ESC [ B
        {B, "\x1b[200C", 10, 79}, {V220, "\x1b[200C", 10, 131, false, 132},
        {B, "\x1b[72C", 11, 2, true},  // past the last column: on into the next row
        {V220, "\x1b[13B\x1b[65C\x1b[200C", 23, 35, true},  // never below the last row
        {B, "\x1b[50D", 10, 0}, {B, "\x1b" "D", 11, 10}, {B, "\x1b[5E", 11, 0},  // once, whatever the count
        {B, "\x1b" "H", 10, 10},  // a tab stop, and stops are fixed
        {B, "\x1b[5;7f", 4, 6}, {B, "\x1b[10;200H", 9, 79}, {B, "\x1b[99;5f", 23, 4}, {V220, "\x1b[5H", 4, 0},
        {V220, "\x1b[;7H", 0, 6}, {V220, "\x1b[0;0H", 0, 0},
        {V220, "\x1b[99999999999999999999;3H", 23, 2},  // saturates instead of overflowing
        {V220, "\x1b" "f", 0, 0},
        {B, "\x1b[5;10r\x1b[2;3H", 1, 2},  // addressing counts from the screen top, not the margin
        {V100, "\x1b[2M", 9, 10},          // one row, whatever the count
    };
    for (const Case& c : cases) {
        for (int type : TypesOf(c.f)) {
            Term t(type, c.columns, 24, c.autoWrap);
            t.At(10, 10).Feed(c.bytes);
            EXPECT_EQ(t.CursorRow(), c.row) << What(type, c.bytes);
            EXPECT_EQ(t.CursorCol(), c.col) << What(type, c.bytes);
            EXPECT_FALSE(t.Collecting()) << What(type, c.bytes);
        }
    }
    // Without auto-wrap text runs on past column 79; a move right comes back to the last column.
    Term t(kTypeVt102);
    t.At(0, 100).Feed("\x1b[C");
    EXPECT_EQ(t.CursorCol(), 79);
}

TEST(DecScroll, IndexReverseIndexAndLinesAtTheMargins) {
    struct Case {
        Family f;
        const char* region;  // sent before the cursor is placed
        int row;
        std::string bytes;
        const char* rows;    // first letter of each row afterwards
        int history;
    } cases[] = {
        {B, "", 23, "\x1b" "D", "bcdefghijklmnopqrstuvwx.", 1},
        {B, "\x1b[5;10r", 9, "\x1b" "D", "abcdfghij.klmnopqrstuvwx", 0},
        {B, "\x1b[5;10r", 23, "\x1b" "D", kSame, 0},  // below the region
        {B, "", 0, "\x1bM", ".abcdefghijklmnopqrstuvw", 0},
        {B, "\x1b[5;10r", 4, "\x1bM", "abcd.efghiklmnopqrstuvwx", 0},
        {B, "\x1b[5;10r", 0, "\x1bM", kSame, 0},  // above the region
        {B, "\x1b[5;10r", 9, "\x1b[3E", "abcdfghij.klmnopqrstuvwx", 0},
        {V220, "\x1b[20;10r", 9, "\x1b" "D", "abcdefghi.klmnopqrstuvwx", 0},  // inverted region: no crash
        {V100, "", 0, "\x1b[3M", ".abcdefghijklmnopqrstuvw", 0},  // ESC [ M is a reverse index
        {V100, "", 3, "\x1b[L\x1b[2L", kSame, 0},                // insert and delete lines are not VT100
        {V220, "", 5, "\x1b[3L", "abcde...fghijklmnopqrstu", 0},
        {V220, "", 5, "\x1b[99L", "abcde...................", 0}, {V220, "", 5, "\x1b[0L", kSame, 0},
        {V220, "", 5, "\x1b[3M", "abcdeijklmnopqrstuvwx...", 0},
        {V220, "", 23, "\x1b[2L", "abcdefghijklmnopqrstuvw.", 0},
        {V220, "\x1b[3;10r", 5, "\x1b[2L", "abcde..fghklmnopqrstuvwx", 0},
        {V220, "\x1b[3;10r", 5, "\x1b[2M", "abcdehij..klmnopqrstuvwx", 0},
        {V220, "\x1b[3;10r", 15, "\x1b[2L", kSame, 0},  // below the region
        {V220, "\x1b[3;10r", 0, "\x1b[L", ".abcdefghiklmnopqrstuvwx", 0},  // the top margin is not consulted
    };
    for (const Case& c : cases) {
        for (int type : TypesOf(c.f)) {
            Term t(type);
            t.Feed(c.region).Lettered().At(c.row, 3).Feed(c.bytes);
            const std::string what = What(type, c.region + c.bytes);
            EXPECT_EQ(t.Column0(), c.rows) << what;
            EXPECT_EQ(t.CursorRow(), c.row) << what;
            EXPECT_EQ(t.History(), c.history) << what;
        }
    }
    // An index on the bottom margin ignores Scroll Lock; a line feed there honours it.
    Term t(kTypeVt220);
    t.rig.screen.scrollLock = 1;
    t.Lettered().At(23, 0).Feed("\x1b" "D");
    EXPECT_EQ(t.Row(0), "b");
    t.At(23, 0).Feed("\n");
    EXPECT_EQ(t.Row(0), "b");
}

TEST(DecScroll, SetRegionClampsAndHomesTheCursor) {
    struct Case { const char* bytes; int top, bottom; } cases[] = {
        {"\x1b[5;10r", 5, 10},   {"\x1b[r", 1, 24},      {"\x1b[5r", 5, 24},   {"\x1b[;10r", 1, 10},
        {"\x1b[20;10r", 20, 10}, {"\x1b[0;99r", 1, 24},  {"\x1b[30;5r", 1, 5}, {"\x1b[24;24r", 24, 24},
    };
    for (const Case& c : cases) {
        for (int type : TypesOf(B)) {
            Term t(type);
            t.Feed("\x1b[3;3r").At(10, 10).Feed(c.bytes);
            EXPECT_EQ(t.rig.screen.marginTop, c.top) << What(type, c.bytes);
            EXPECT_EQ(t.rig.screen.marginBottom, c.bottom) << What(type, c.bytes);
            EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), 0) << What(type, c.bytes);
        }
    }
}

TEST(DecErase, InDisplayAndInLine) {
    const char* const kFull = "abcdefghij";
    struct Case {
        Family f;
        std::string bytes;
        bool selective;
        int row, col;  // cursor before
        const char *row4, *row5, *row6;
        int history;
    } cases[] = {
        {B, "\x1b[K", false, 5, 4, kFull, "abcd", kFull, 0},
        {B, "\x1b[1K", false, 5, 4, kFull, "    efghij", kFull, 0},  // keeps the cursor cell
        {B, "\x1b[2K", false, 5, 4, kFull, "", kFull, 0}, {V220, "\x1b[3K", false, 5, 4, kFull, kFull, kFull, 0},
        {B, "\x1b[?K", false, 5, 4, kFull, kFull, kFull, 0}, {V220, "\x1b[?K", true, 5, 4, kFull, "abcd", kFull, 0},
        {V100, "\x1b[?K\x1b[?2J", true, 5, 4, kFull, kFull, kFull, 0},  // no selective forms
        {B, "\x1b[J", false, 5, 4, kFull, "abcd", "", 0}, {B, "\x1b[1J", false, 5, 4, "", "    efghij", kFull, 0},
        {B, "\x1b[2J", false, 5, 4, "", "", "", 24},  // the cursor goes home
        {B, "\x1b[J", false, 0, 0, "", "", "", 24},   // at home: the screen goes to the history first
        {V220, "\x1b[J", false, 0, 1, "", "", "", 0}, {B, "\x1b[?2J", false, 5, 4, kFull, kFull, kFull, 0},
        {V220, "\x1b[?2J", true, 5, 4, "", "", "", 24}, {V220, "\x1b[?1J", true, 5, 4, "", "    efghij", kFull, 0},
    };
    for (const Case& c : cases) {
        for (int type : TypesOf(c.f)) {
            Term t(type);
            t.rig.modes.selectiveErase = c.selective;
            for (int r = 0; r < 24; ++r) t.Put(r, kFull);
            t.At(c.row, c.col).Feed(c.bytes);
            const std::string what = What(type, c.bytes) + (c.selective ? " selective" : "");
            EXPECT_EQ(t.Row(4), c.row4) << what;
            EXPECT_EQ(t.Row(5), c.row5) << what;
            EXPECT_EQ(t.Row(6), c.row6) << what;
            EXPECT_EQ(t.History(), c.history) << what;
            const bool homes = c.history == 24;
            EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), homes ? 0 : c.row * 100 + c.col) << what;
        }
    }
}

TEST(DecErase, TheClearedScreenStaysInTheHistoryAndErasedCellsTakeAttributeZero) {
    for (int type : TypesOf(B)) {
        Term t(type);
        t.Lettered().At(7, 7).Feed("\x1b[2J");
        EXPECT_EQ(t.Row(-24), "a") << type;
        EXPECT_EQ(t.Row(-1), "x") << type;
        t.Feed("\x1b[7mAB\x1b[1;2H\x1b[K");
        EXPECT_EQ(t.AttrOf(0, 0), 0x07) << type;
        EXPECT_EQ(t.AttrOf(0, 1), 0x00) << type;
    }
    // Erasing from a cursor waiting past the last cell leaves the line.
    Term t(kTypeVt220, 132, 24, true);
    t.Feed(std::string(132, 'w'));
    ASSERT_EQ(t.CursorCol(), 132);
    t.Feed("\x1b[K");
    EXPECT_EQ(t.Row(0), std::string(132, 'w'));
}

// Cell editing on "ABCDEFGH", each letter with its own attribute (0x11 * (i+1)).
TEST(DecEdit, InsertDeleteAndEraseCharacters) {
    struct Case {
        Family f;
        std::string bytes;
        int col;
        const char* text;
        int length;
        const char* attrs;  // attribute of each cell shown, as letters: 'A' = 0x11 ... '.' = 0
    } cases[] = {
        {V220, "\x1b[3P", 2, "ABFGH", 5, "ABFGH"},
        {V220, "\x1b[5P", 7, "ABCDEFGH", 8, "ABCDEFGH"},  // on the last character: nothing changes
        {V220, "\x1b[0P", 2, "ABCDEFGH", 8, "ABCDEFGH"},
        // The length drops by the whole count, even past the cursor: cells
        // before it stay stored but are no longer part of the line.
        {V220, "\x1b[200P", 2, "", 0, "AB"}, {V220, "\x1b[4P", 5, "ABCD", 4, "ABCD"},
        {V220, "\x1b[P", 20, "ABCDEFGH", 8, "ABCDEFGH"}, {V220, "\x1b[@", 2, "AB CDEFGH", 9, "AB.CDEFGH"},
        {V220, "\x1b[@", 8, "ABCDEFGH", 9, "ABCDEFGH."}, {V220, "\x1b[3X", 2, "AB   FGH", 8, "AB...FGH"},
        {V220, "\x1b[0X", 2, "ABCDEFGH", 8, "ABCDEFGH"}, {V220, "\x1b[200X", 2, "AB", 8, "AB......"},
        {V220, "\x1b" "X", 2, "ABCDEFGH", 8, "ABCDEFGH"},  // ESC X alone is no command
        {V100, "\x1b[2P\x1b[P\x1b[2@\x1b[X", 2, "ABCDEFGH", 8, "ABCDEFGH"},  // none of them is VT100
    };
    for (const Case& c : cases) {
        for (int type : TypesOf(c.f)) {
            Term t(type);
            for (int i = 0; i < 8; ++i) {
                t.rig.screen.attr = static_cast<uint8_t>(0x11 * (i + 1));
                PutChar(t.rig.screen, static_cast<uint8_t>('A' + i));
            }
            t.rig.screen.attr = 0x70;
            t.At(0, c.col).Feed(c.bytes);
            const std::string what = What(type, c.bytes) + " at " + std::to_string(c.col);
            EXPECT_EQ(t.Row(0), c.text) << what;
            EXPECT_EQ(t.Length(0), c.length) << what;
            for (int i = 0; c.attrs[i]; ++i) {
                const uint8_t want = c.attrs[i] == '.' ? 0 : static_cast<uint8_t>(0x11 * (c.attrs[i] - 'A' + 1));
                EXPECT_EQ(t.AttrOf(0, i), want) << what << " cell " << i;
            }
            EXPECT_EQ(t.CursorCol(), c.col) << what << ": editing never moves the cursor";
        }
    }
    // An insert drops what passes the width.
    const struct { int columns, col, n; char last; } wide[] = {{80, 76, 2, 'Z'}, {80, 0, 500, ' '}, {132, 130, 1, 'A'}};
    for (const auto& c : wide) {
        Term t(kTypeVt220, c.columns);
        std::string line;
        for (int i = 0; i < c.columns; ++i) line += static_cast<char>('A' + i % 26);
        t.Put(0, line).At(0, c.col).Feed("\x1b[" + std::to_string(c.n) + "@");
        EXPECT_EQ(t.Length(0), c.columns);
        EXPECT_EQ(LineAt(t.rig.screen, 0).text[c.columns - 1], static_cast<uint8_t>(c.last)) << c.col << " " << c.n;
        EXPECT_EQ(LineAt(t.rig.screen, 0).text[c.col], ' ');
    }
}

// The attribute each family ends with; -1: not checked for that one.
TEST(DecRendition, MonochromeSkipsColoursColourTypesHonourThem) {
    struct Case { std::string bytes; int vt100, colour, vt220, sco; } cases[] = {
        {"\x1b[m", 0x70, 0x70, 0x70, 0x70},          {"\x1b[1m", 0xF0, 0xF0, 0xF0, -1},
        {"\x1b[5m", -1, -1, 0xF0, -1},               {"\x1b[7m", 0x07, 0x07, 0x07, -1},
        {"\x1b[7;7m", 0x70, 0x70, 0x70, -1},         {"\x1b[1;7m", 0x0F, 0x0F, 0x0F, -1},
        {"\x1b[7;1m", -1, -1, 0x87, -1},             {"\x1b[8m", 0x00, 0x00, 0x00, -1},
        {"\x1b[32;8m", -1, -1, -1, 0x00},            {"\x1b[1;0m", 0x70, 0x70, -1, -1},
        {"\x1b[2;3;6;9;21;23;26m", 0x70, 0x70, 0x70, -1},
        {"\x1b[31m", 0x70, 0x10, 0x70, 0x10},        {"\x1b[1;31m", 0xF0, 0x90, 0xF0, -1},
        {"\x1b[31;1m", 0xF0, 0x90, -1, -1},          {"\x1b[31m\x1b[1m", -1, -1, -1, 0x90},  // bold brightens the red
        {"\x1b[44m", 0x70, 0x74, 0x70, -1},          {"\x1b[41m", -1, -1, -1, 0x71},
        {"\x1b[31;44m", 0x70, 0x14, -1, -1},         {"\x1b[1;33;44m", -1, -1, -1, 0xB4},
        {"\x1b[30;47m", -1, -1, -1, 0x07},           {"\x1b[7;31m", 0x07, 0x17, -1, 0x17},
        {"\x1b[31;7m", -1, -1, -1, 0x01},            {"\x1b[;31m", 0x70, 0x10, -1, -1},  // an empty field resets
        {"\x1b[31;m", 0x70, 0x70, -1, -1},           {"\x1b[38;5;196m", -1, -1, -1, 0xF0},  // 38 skipped, 5 blinks
        {"\x1b[99;31m", 0x70, 0x10, -1, -1},
        // 22, 25 and 27 do nothing on the VT100s.
        {"\x1b[1m\x1b[22m", 0xF0, 0xF0, -1, -1},     {"\x1b[7m\x1b[27m", 0x07, 0x07, 0x70, -1},
        {"\x1b[7m\x1b[22m", -1, -1, 0x07, -1},       {"\x1b[1m\x1b[25m", -1, -1, 0x70, -1},
        {"\x1b[7m\x1b[0m\x1b[22m", -1, -1, 0x70, -1}, {"\x1b[7m\x1b[m\x1b[22m", -1, -1, 0x07, -1},  // m keeps reverse
        {"\x1b[1;31m\x1b[32m", -1, -1, -1, 0xA0},
        {"\x1b[1m\x1b[m\x1b[31m", -1, -1, -1, 0x10},  // ESC [ m ends bold for later colours
        {"\x1b[44m\x1b[1m", 0xF0, 0xF4, -1, -1},
    };
    const int types[] = {kTypeVt100, kTypeVt100Color, kTypeVt220, kTypeVt320, kTypeScoAnsi};
    for (const Case& c : cases) {
        const int want[] = {c.vt100, c.colour, c.vt220, c.vt220, c.sco};
        for (int i = 0; i < 5; ++i) {
            if (want[i] < 0) continue;
            Term t(types[i]);
            t.Feed(c.bytes + "X");
            EXPECT_EQ(t.AttrOf(0, 0), want[i]) << What(types[i], c.bytes);
            EXPECT_EQ(t.rig.screen.attr, want[i]) << What(types[i], c.bytes);
            EXPECT_EQ(t.Row(0), "X") << What(types[i], c.bytes);
        }
    }
    // Each change also marks the cell under the cursor, and only that one, even past the text.
    for (int type : {kTypeVt100Color, kTypeVt320, kTypeScoAnsi}) {
        Term t(type);
        t.Feed("ABC\x1b[1;2H\x1b[7m\x1b[1;10H\x1b[0m");
        EXPECT_EQ(std::string() + char(t.AttrOf(0, 0)) + char(t.AttrOf(0, 1)) + char(t.AttrOf(0, 2)),
                  "\x70\x07\x70") << type;
        EXPECT_EQ(t.AttrOf(0, 9), 0x70) << type;
        EXPECT_EQ(t.Row(0), "ABC") << type;
    }
}

TEST(DecModes, SetAndResetByBytePosition) {
    enum Field { AutoRepeat, NewLine, Insert, AutoWrap, CursorKeys, Columns, None };
    struct Case { Family f; std::string bytes; Field field; int value; } cases[] = {
        {B, "\x1b[?8l", AutoRepeat, 0},  {V220, "\x1b[?8l\x1b[?8h", AutoRepeat, 1},
        {B, "\x1b[?20h", NewLine, 1},    {B, "\x1b[20h", None, 0},
        {V220, "\x1b[?2h", None, 0},     // no line feed/new line mode without "?"
        {B, "\x1b[4h", Insert, 1},       {B, "\x1b[?7h", AutoWrap, 1},
        {B, "\x1b[?7h\x1b[7l", AutoWrap, 1},  // the test is on the third byte
        {B, "\x1b[?1h", CursorKeys, 1},  {V220, "\x1b[?3h", Columns, 132}, {V220, "\x1b[?3h\x1b[?3l", Columns, 80},
        {V100, "\x1b[?3h", None, 0},     // no 132 columns on a VT100
        {B, "\x1b[?25l\x1b[?6h", None, 0},
    };
    for (const Case& c : cases) {
        for (int type : TypesOf(c.f)) {
            Term t(type);
            t.Feed(c.bytes);
            const TerminalModes& m = t.rig.modes;
            const TerminalScreen& s = t.rig.screen;
            const int values[] = {m.autoRepeat, m.newLineMode, s.insertMode, s.autoWrap, m.cursorKeysApp, s.columns};
            const int defaults[] = {1, 0, 0, 0, 0, 80};
            for (int f = AutoRepeat; f <= Columns; ++f)
                EXPECT_EQ(values[f], f == c.field ? c.value : defaults[f]) << What(type, c.bytes) << " field " << f;
        }
    }
    // The modes take effect: the width, the wrap and insert mode.
    Term t(kTypeVt220);
    t.Feed("\x1b[?3h\x1b[1;200H");
    EXPECT_EQ(t.CursorCol(), 131);
    Term u(kTypeVt220);
    u.Feed("\x1b[?7h" + std::string(81, 'x') + "\x1b[H\x1b[4hX\x1b[4lY");
    EXPECT_EQ(u.Row(0).substr(0, 4), "XYxx");
    EXPECT_EQ(u.Row(1), "x");
}

TEST(DecAnswers, IdentificationStatusAndPosition) {
    struct Case {
        int type;
        bool c1;  // 8-bit answers switched on directly
        std::string bytes, answer;
    } cases[] = {
        {kTypeVt100, false, "\x1b[5n", "\x1b[0n"},
        {kTypeVt100Color, true, "\x1b[5;10H\x1b[6n", "\x1b[5;10R"},  // VT100 answers are always 7-bit
        {kTypeVt100, false, "\x1b[?25n\x1b[?6n\x1b[n\x1b[15n", ""}, {kTypeVt100, true, "\x1b[c", "\x1b[?1;2c"},
        {kTypeVt100Color, false, "\x1b" "c", "\x1b[?1;2c"},
        {kTypeVt100, false, "\x1b(c", "\x1b[?1;2c"},  // any sequence ending in c
        {kTypeVt100, false, "\x1b[0c\x1b[1c\x1b[>c", ""}, {kTypeVt100Color, false, "\x1b[Z", "\x1b[?1;2c"},
        {kTypeVt102, false, "\x1b[c", "\x1b[?6c"}, {kTypeVt220, false, "\x1b[c", "\x1b[?62;1;2;9;11;14c"},
        {kTypeVt320, false, "\x1b[c", "\x1b[?63;1;2;9;11;14c"}, {kTypeVt102, false, "\x1bZ", "\x1b[?6c"},
        {kTypeVt220, false, "\x1b[Z", "\x1b[?62;1;2;9;11;14c"}, {kTypeVt220, false, "\x1b[0c\x1b[>c", ""},
        {kTypeVt220, false, "\x1b[5n", "\x1b[0n"}, {kTypeVt102, false, "\x1b[5;10H\x1b[6n", "\x1b[5;10R"},
        {kTypeVt320, false, "\x1b[?25n", "\x1b[?20n"}, {kTypeVt320, false, "\x1b[?26n\x1b[7n\x1b[?6n", ""},
        {kTypeVt220, false, "\x1b G\x1b[5;10H\x1b[6n", "\x9b" "5;10R"}, {kTypeVt102, false, "\x1b G\x1b[c", "\x9b?6c"},
        {kTypeVt220, false, "\x1b G\x1b F\x1b[6n", "\x1b[1;1R"},
        {kTypeVt220, false, "\x1b[3G\x1b[6n", "\x9b" "1;1R"},  // any sequence ending in G
    };
    for (const Case& c : cases) {
        Term t(c.type);
        t.rig.modes.c1Answers = c.c1;
        t.Feed(c.bytes);
        EXPECT_EQ(t.Answers(), c.answer) << What(c.type, c.bytes);
    }
    // The cursor report counts the columns scrolled off to the left.
    Term t(kTypeVt220, 132);
    t.rig.screen.hOffset = 40;
    t.Feed("\x1b[2;100H\x1b[6n");
    EXPECT_EQ(t.Answers(), "\x1b[2;100R");
}

TEST(DecPrinterController, MediaCopyFollowsTransparentPrint) {
    struct Case {
        int type;
        bool transparent;
        int active;  // PrintControllerActive before
        std::string bytes;
        int activeAfter, starts, ends;
        const char *spooled, *row0;
    } cases[] = {
        {kTypeVt100, true, 0, "\x1b[5iabc\x1b[4iD", 0, 1, 1, "abc", "D"},
        {kTypeVt100, true, 0, "\x1b[5iabc", 1, 1, 0, "abc", ""},
        {kTypeVt100, false, 0, "\x1b[5iabc", 0, 0, 0, "", "abc"},
        {kTypeVt100Color, false, 1, "\x1b[4icd", 0, 0, 1, "", "cd"},  // turned off while running
        {kTypeVt220, true, 1, "\x1b[5i", 1, 0, 0, "", ""},  // already on: the capture stays open
        {kTypeVt220, false, 1, "\x1b[0i", 0, 0, 0, "", ""},
        {kTypeVt102, true, 0, "a\x1b[5iprinted\r\n\x1b[4ib", 0, 1, 1, "printed\r\n", "ab"},
        {kTypeVt52, true, 0, "\x1bWabc\x1bXD", 0, 1, 1, "abc", "D"},
        {kTypeVt52, true, 0, "\x1bWab\x1bWc", 1, 1, 0, "abc", ""},  // a second W opens nothing more
        {kTypeVt52, false, 0, "\x1bWabc", 0, 0, 0, "", "abc"},
        {kTypeVt52, true, 0, "\x1bXabc", 0, 0, 0, "", "abc"},  // X with nothing running ends nothing
    };
    for (const Case& c : cases) {
        for (bool withSpool : {true, false}) {  // without a spool the controller still switches
            Term t(c.type);
            CountingSpool spool;
            if (withSpool) t.rig.session.spool = &spool;
            t.rig.modes.transparentPrint = c.transparent;
            t.rig.pump.PrintControllerActive = c.active;
            t.Feed(c.bytes);
            const std::string what = What(c.type, c.bytes) + (withSpool ? "" : " no spool");
            EXPECT_EQ(t.rig.pump.PrintControllerActive, c.activeAfter) << what;
            EXPECT_EQ(t.Row(0), c.row0) << what;
            if (!withSpool) continue;
            EXPECT_EQ(spool.starts, c.starts) << what;
            EXPECT_EQ(spool.ends, c.ends) << what;
            EXPECT_EQ(spool.bytes, c.spooled) << what;
        }
    }
}

TEST(DecSelectiveErase, SetAndClearedByQuoteQ) {
    const struct { std::string bytes; int value; } cases[] = {
        {"\x1b[\"q", 1}, {"\x1b[2\"q", 1}, {"\x1b[\"q\x1b[1\"q", 0}, {"\x1b[\"q\x1b[3\"q", 1}, {"\x1b[1q", 0},
    };
    for (const auto& c : cases) {
        Term t(kTypeVt220);
        t.Feed(c.bytes);
        EXPECT_EQ(t.rig.modes.selectiveErase, c.value) << Show(c.bytes);
    }
}

}  // namespace
}  // namespace palvex
