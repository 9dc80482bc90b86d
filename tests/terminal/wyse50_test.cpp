// Wyse 50: how the collector opens and ends sequences, cursor addressing,
// attributes, the clears that push the screen into the history, editing
// (lines, cells, erasing, insert mode), back-tab and form feed.
#include <gtest/gtest.h>

#include <string>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::Show;
using testing::Term;

const std::string kEsc = "\x1b";

std::string At(int row, int col) { return kEsc + "=" + static_cast<char>(row + 32) + static_cast<char>(col + 32); }

std::string Attrs(Term& t, int row, int count) {
    std::string out;
    for (int c = 0; c < count; ++c) out += t.AttrOf(row, c) == 0 ? '.' : t.AttrOf(row, c) == 0x70 ? 'n' : 'B';
    return out;
}

TEST(WyseAddress, TwoBiasedBytesPlaceTheCursor) {
    const struct { std::string input; int row, col; } cases[] = {
        {kEsc + "=!(", 1, 8}, {kEsc + "=7o", 23, 79},
        {kEsc + "=\xff!", 23, 1},  // a row past the screen: the last row
        {kEsc + "=\x05!", 0, 1},                             // below the bias: the top row
        {"ABC" + kEsc + "=\"p", 2, 6},                       // column 80 is off the screen: kept
        {"AB" + kEsc + "=" + kEsc + "(", 0, 8},              // an ESC is just a coordinate here
        {kEsc + "=**", 10, 10},                             // and so are bytes the table acts on
    };
    for (const auto& c : cases) {
        Term t(kTypeWyse50);
        t.Feed("top").Feed(c.input);
        EXPECT_EQ(t.CursorRow(), c.row) << Show(c.input);
        EXPECT_EQ(t.CursorCol(), c.col) << Show(c.input);
        EXPECT_FALSE(t.Collecting()) << Show(c.input);
        EXPECT_EQ(t.Row(0).substr(0, 3), "top") << "nothing but the move: " << Show(c.input);
        t.Feed("X");
        EXPECT_EQ(LineAt(t.rig.screen, c.row).text[c.col], 'X') << Show(c.input);
    }
    // An abandoned address leaves the next sequence alone.
    for (const std::string& cut : {kEsc + "=!\r", kEsc + "=\x18"}) {
        Term t(kTypeWyse50);
        t.Feed("keep" + cut + kEsc + "*");
        EXPECT_EQ(t.Row(0), "") << Show(cut) << ": the ESC * still clears";
        EXPECT_EQ(t.Row(-24), "keep") << Show(cut);
    }
}

TEST(WyseSequence, WhichBytesEndItAndWhichKeepItOpen) {
    const struct { std::string input; const char* row0; int col; bool open; } cases[] = {
        {"AB" + kEsc + "G2", "AB", 2, true},              // unknown attribute: open
        {"AB" + kEsc + "G2abc(X", "ABX", 3, false},       // until a byte that ends it
        {"AB" + kEsc + "48xJ", "AB", 2, true},            // 4 and 8 outside ESC G: collected
        {"AB" + kEsc + "x" + kEsc + "(X", "ABX", 3, false},  // ESC restarts the collector
        {"AB" + kEsc + "x\rX", "XB", 1, false},           // CR abandons it
    };
    for (const auto& c : cases) {
        Term t(kTypeWyse50);
        t.Feed(c.input);
        EXPECT_EQ(t.Row(0), c.row0) << Show(c.input);
        EXPECT_EQ(t.CursorCol(), c.col) << Show(c.input);
        EXPECT_EQ(t.Collecting(), c.open) << Show(c.input);
    }
    // These end the sequence and do nothing ("0" only acts as ESC G 0).
    for (char b : std::string("(1679:CF0")) {
        Term t(kTypeWyse50);
        t.Feed(std::string("AB\x1b") + b + "X");
        EXPECT_EQ(t.Row(0), "ABX") << b;
        EXPECT_EQ(t.rig.screen.attr, 0x70) << b;
        EXPECT_FALSE(t.Collecting()) << b;
    }
}

TEST(WyseAttribute, EscGChangesAttrAndTheCellUnderTheCursor) {
    const struct {
        uint8_t attr;
        int bold;
        std::string input;
        uint8_t attrAfter;
        int boldAfter;
        uint8_t cell;  // the cell under the cursor, written as 0x70
    } cases[] = {
        {0x70, 0, kEsc + "G8", 0xF0, 1, 0xF0}, {0x70, 0, kEsc + "Gt", 0xF0, 1, 0xF0},
        {0x17, 0, kEsc + "G4", 0x97, 1, 0x97},
        {0x97, 1, kEsc + "G4", 0x97, 1, 0x97},                // already bright: no second step
        {0xF0, 1, kEsc + "G2" + kEsc + "G0", 0x70, 0, 0x70},  // ESC in the open one restarts it
        {0xF0, 1, kEsc + "G20", 0xF0, 1, 0x70},               // ESC G 2 0 is not ESC G 0
        {0x17, 0, kEsc + "G24", 0x17, 0, 0x70},               // nor ESC G 2 4 ESC G 4
    };
    for (const auto& c : cases) {
        Term t(kTypeWyse50);
        t.Feed("XYZ\b\b");
        t.rig.screen.attr = c.attr;
        t.rig.screen.bold = c.bold;
        t.Feed(c.input);
        EXPECT_EQ(t.rig.screen.attr, c.attrAfter) << Show(c.input);
        EXPECT_EQ(t.rig.screen.bold, c.boldAfter) << Show(c.input);
        EXPECT_EQ(t.AttrOf(0, 1), c.cell) << Show(c.input);
        EXPECT_EQ(t.AttrOf(0, 2), 0x70) << Show(c.input);
        EXPECT_EQ(t.Row(0), "XYZ") << Show(c.input);
    }
}

TEST(WyseClear, TheScreenGoesIntoTheHistory) {
    for (const std::string& clear : {kEsc + "*", kEsc + "+", std::string("\x1a")}) {
        Term t(kTypeWyse50, 80, 24, false, 100);
        t.Feed("row0\r\n" + kEsc + "G4row1\r\nrow2").Feed(clear);
        EXPECT_EQ(t.Column0(), std::string(24, '.')) << Show(clear);
        EXPECT_EQ(t.AttrOf(1, 0), 0) << Show(clear);
        EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), 0) << Show(clear);
        EXPECT_EQ(t.History(), 24) << Show(clear);
        EXPECT_EQ(t.Row(-23), "row1") << Show(clear);
        EXPECT_EQ(t.AttrOf(-23, 0), 0xF0) << "history keeps the attributes";
        t.Feed("Z");
        EXPECT_EQ(t.Row(0), "Z");
    }
    // Without room for history the screen is still blanked.
    Term t(kTypeWyse50, 80, 24, false, 24);
    t.Feed("row0\r\nrow1" + kEsc + "+");
    EXPECT_EQ(t.Column0(2), "..");
    EXPECT_EQ(t.rig.screen.livePos, 0);
}

TEST(WyseLines, InsertDeleteAndScrollDownWithinTheRegion) {
    const struct { int marginBottom, row; std::string sequence; const char* rows; } cases[] = {
        {24, 1, "e", "A.BCDE"}, {24, 1, "R", "ACDE.."}, {24, 2, "j", ".ABCDE"},
        {3, 1, "E", "A.BDE."},  // the row pushed past the margin is lost
        {3, 1, "R", "AC.DE."},  // and the one pulled up comes from inside it
        {3, 2, "j", ".ABDE."},
        {3, 4, "R", "ABCDE."},  // below the margin: nothing
    };
    for (const auto& c : cases) {
        Term t(kTypeWyse50);
        t.Feed("A\r\nB\r\nC\r\nD\r\nE");
        t.rig.screen.marginBottom = c.marginBottom;
        t.Feed(At(c.row, 3) + kEsc + c.sequence);
        EXPECT_EQ(t.Column0(6), c.rows) << c.sequence << " at " << c.row;
        EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), c.row * 100 + 3) << c.sequence;
        EXPECT_EQ(t.History(), 0) << "nothing enters the history";
        EXPECT_FALSE(t.Collecting());
    }
}

TEST(WyseCells, InsertDeleteAndEraseCarryTheAttributes) {
    // Row 0 "AB" normal, "CD" bright, "EF" normal; rows 1 and 2 bright "ABCDEF" ('B' below: bright).
    const struct {
        int row, col;
        std::string sequence;
        const char *row0, *row1, *row2, *attrs;  // attrs: row 0, or row 1 for the erases
    } cases[] = {
        {0, 2, "Q", "AB CDEF", "ABCDEF", "ABCDEF", "nn.BBnn."},
        {0, 2, "w", "ABDEF", "ABCDEF", "ABCDEF", "nnBnn..."},
        {0, 5, "W", "ABCDEF", "ABCDEF", "ABCDEF", "nnBBnn.."},  // the last character: nothing
        {0, 9, "W", "ABCDEF", "ABCDEF", "ABCDEF", "nnBBnn.."},  // past the end: nothing
        {1, 2, "t", "ABCDEF", "AB", "ABCDEF", "BB......"}, {1, 2, "Y", "ABCDEF", "AB", "", "BB......"},
        {1, 2, "GT", "ABCDEF", "ABCDEF", "ABCDEF", "BBBBBB.."},  // ESC G T is an attribute, not an erase
    };
    for (const auto& c : cases) {
        Term t(kTypeWyse50);
        t.Feed("AB" + kEsc + "G4CD" + kEsc + "G0EF\r\n" + kEsc + "G4ABCDEF\r\nABCDEF" + kEsc + "G0");
        t.Feed(At(c.row, c.col) + kEsc + c.sequence);
        const std::string what = c.sequence + " at " + std::to_string(c.row) + "," + std::to_string(c.col);
        EXPECT_EQ(t.Row(0), c.row0) << what;
        EXPECT_EQ(t.Row(1), c.row1) << what;
        EXPECT_EQ(t.Row(2), c.row2) << what;
        EXPECT_EQ(t.Length(c.row), static_cast<int>(t.Row(c.row).size())) << what;
        EXPECT_EQ(Attrs(t, c.row, 8), c.attrs) << what;
        EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), c.row * 100 + c.col) << what;
    }
    // Erasing from home blanks the screen without pushing it into the history.
    Term t(kTypeWyse50);
    t.Feed("ABC\r\nDEF" + At(0, 0) + kEsc + "Y");
    EXPECT_EQ(t.Column0(2), "..");
    EXPECT_EQ(t.History(), 0);
    // Without auto-wrap a line runs on to all 132 cells; an insert keeps them and only the last falls off.
    Term u(kTypeWyse50);
    std::string full;
    for (int i = 0; i < 132; ++i) full += static_cast<char>('!' + i % 90);
    u.Feed(full + At(0, 0) + kEsc + "Q");
    EXPECT_EQ(u.Length(0), 132);
    EXPECT_EQ(u.Row(0), std::string(1, ' ').append(full, 0, 131));
}

TEST(WyseEdit, InsertModeBackTabAndFormFeed) {
    Term t(kTypeWyse50);
    t.Feed("ABC" + At(0, 1) + kEsc + "qX");
    EXPECT_EQ(t.rig.screen.insertMode, 1);
    t.Feed(kEsc + "rY");
    EXPECT_EQ(t.rig.screen.insertMode, 0);
    EXPECT_EQ(t.Row(0), "AXYC");

    const int backTab[][2] = {{0, 0}, {7, 0}, {8, 8}, {9, 8}, {79, 72}};
    for (const auto& c : backTab) {
        for (const char* letter : {"I", "i"}) {
            Term u(kTypeWyse50);
            u.Feed(At(3, c[0]) + kEsc + letter);
            EXPECT_EQ(u.CursorRow() * 100 + u.CursorCol(), 300 + c[1]) << letter << c[0];
        }
    }
    // Text run on past the last column: the stop found there is brought back onto the screen.
    Term u(kTypeWyse50);
    u.Feed(std::string(100, 'x') + kEsc + "I");
    EXPECT_EQ(u.CursorCol(), 79);

    // Form feed moves right, and wraps only with auto-wrap.
    Term v(kTypeWyse50, 80, 24, true);
    v.Feed(std::string(78, 'x') + "\x0c");
    EXPECT_EQ(v.CursorCol(), 79);
    v.Feed("\x0cZ");
    EXPECT_EQ(v.Row(1), "Z");
}

}  // namespace
}  // namespace palvex
