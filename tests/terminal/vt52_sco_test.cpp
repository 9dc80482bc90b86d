// VT52 (the ESC Y address, the single-letter commands, the identification)
// and what SCO-ANSI does differently from the VT220 (back-tab, one-line
// scrolls, silence on identification, its own saved cursor). Completion
// bytes, keypad, printer controller and colours are in the shared tables.
#include <gtest/gtest.h>

#include <string>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::Show;
using testing::Term;

TEST(Vt52CursorAddress, RowAndColumnFromTheTwoBytes) {
    const struct {
        std::string bytes;  // from row 3, column 7
        int row, col;       // 0-based after
        int rows = 24;
    } cases[] = {
        {"\x1bY\x25\x2A", 5, 10},
        {"\x1bY\x7F\x21", 23, 1},      // a row beyond the screen is the last row
        {"\x1bY\x7F\x21", 49, 1, 50},  // taller screens reach further
        {"\x1bY\x21\xA3", 1, 131},     // column 132 is the last cell
        {"\x1bY\x21\xA4", 1, 7},       // column 133 leaves the column
        {"\x1bY\x22\x1F", 2, 7},       // so does column 0
        {"\x1bY\x01\x25", 0, 5},       // a row from a control byte is the top row
        {"\x1bY\x1b\x25", 0, 5},       // ESC is an address byte, not a restart
        {"\x1b" "bY\x25\x2A", 5, 10},  // Y after an unknown letter addresses too
        {"\x1bY\x41\x41", 23, 33},     // completion bytes as address bytes
        // An abandoned address does not capture the next sequence.
        {"\x1bY\rX\x1b" "A", 2, 1}, {"\x1bY\x25\r\x1b" "A", 2, 0}, {"\x1bY\x18\x1b" "B", 4, 7},
    };
    for (const auto& c : cases) {
        Term t(kTypeVt52, 80, c.rows);
        t.At(3, 7).Feed(c.bytes);
        EXPECT_EQ(t.CursorRow() * 1000 + t.CursorCol(), c.row * 1000 + c.col) << Show(c.bytes);
    }
    // Across bursts the address waits.
    Term t(kTypeVt52);
    t.Feed("\x1bY").Feed("\x25");
    EXPECT_TRUE(t.Collecting());
    t.Feed("\x2A" "Q");
    EXPECT_EQ(t.Row(5), "          Q");
    EXPECT_EQ(t.rig.modes.vt52AddressPending, 0);
}

TEST(Vt52Commands, CursorMoves) {
    const struct {
        std::string bytes;
        int row, col;      // before
        int toRow, toCol;  // after
        bool autoWrap = false;
        int marginBottom = 24;
    } cases[] = {
        {"\x1b" "A", 0, 5, 0, 5}, {"\x1b" "B", 23, 5, 23, 5},
        {"\x1b" "B", 9, 5, 9, 5, false, 10},    // stops at the bottom margin
        {"\x1b" "B", 15, 5, 15, 5, false, 10},  // below it does not move
        {"\x1b" "C", 5, 79, 5, 80},             // runs on past the width without wrap
        {"\x1b" "C", 5, 131, 5, 131}, {"\x1b" "C", 5, 79, 6, 0, true},
        {"\x1b" "C", 5, 80, 6, 1, true},        // from past the width
        {"\x1b" "C", 9, 79, 9, 0, true, 10},    // wraps, but not below the bottom margin
        {"\x1b" "D", 5, 0, 5, 0}, {"\x1b" "H", 5, 5, 0, 0}, {"\x1b" "I", 5, 5, 4, 5},
    };
    for (const auto& c : cases) {
        Term t(kTypeVt52, 80, 24, c.autoWrap);
        t.rig.screen.marginBottom = c.marginBottom;
        t.At(c.row, c.col).Feed(c.bytes);
        EXPECT_EQ(t.CursorRow() * 1000 + t.CursorCol(), c.toRow * 1000 + c.toCol)
            << Show(c.bytes) << " from " << c.row << "," << c.col;
    }
}

TEST(Vt52Commands, ScrollingAndErasing) {
    const struct {
        std::string bytes;
        int row, col, marginTop, marginBottom;
        const char* rows;  // first letter of rows 0..11 afterwards
        int pushed, toRow, toCol;
    } cases[] = {
        {"\x1b" "I", 0, 3, 1, 24, ".abcdefghijk", 0, 0, 3},  // on the top row it scrolls down
        {"\x1b" "I", 0, 3, 3, 10, ".abcdefghikl", 0, 0, 3},  // from the top row to the bottom margin
        {"\x1b" "J", 0, 0, 1, 24, "............", 24, 0, 0},  // at home the screen goes into the history
        {"\x1b" "J", 1, 1, 1, 24, "ab..........", 0, 1, 1}, {"\x1b" "K", 3, 0, 1, 24, "abc.efghijkl", 0, 3, 0},
    };
    for (const auto& c : cases) {
        Term t(kTypeVt52);
        for (int r = 0; r < 24; ++r) t.Put(r, std::string(1, static_cast<char>('a' + r)) + "xyz");
        t.rig.screen.marginTop = c.marginTop;
        t.rig.screen.marginBottom = c.marginBottom;
        t.At(c.row, c.col).Feed(c.bytes);
        EXPECT_EQ(t.Column0(12), c.rows) << Show(c.bytes) << " at " << c.row;
        EXPECT_EQ(t.History(), c.pushed) << Show(c.bytes);
        EXPECT_EQ(t.CursorRow() * 1000 + t.CursorCol(), c.toRow * 1000 + c.toCol) << Show(c.bytes);
        if (c.pushed == 0 && c.bytes != "\x1b" "I") {
            EXPECT_EQ(t.Length(c.row), c.col) << Show(c.bytes) << ": erased from the cursor";
        }
    }
}

TEST(Vt52Commands, IdentifiesAsVt52InSevenBits) {
    Term t(kTypeVt52);
    t.rig.modes.c1Answers = 1;
    t.Feed("\x1bZ\x1b" "bZ");
    EXPECT_EQ(t.Answers(), "\x1b/Z\x1b/Z");
}

TEST(ScoIdentification, IsNeverAnsweredButStatusAndPositionAre) {
    Term t(kTypeScoAnsi);
    t.Feed("\x1b[c\x1b" "c\x1bZ\x1b[0c");
    EXPECT_EQ(t.Answers(), "");
    t.Feed("\x1b[5n\x1b[3;7H\x1b[6n");
    EXPECT_EQ(t.Answers(), "\x1b[0n\x1b[3;7R");
}

TEST(ScoBackTab, ToTheStopAtOrBeforeTheCursor) {
    struct Case { int col, columns; std::string bytes; int want; } cases[] = {
        {13, 80, "\x1b[Z", 8},  {16, 80, "\x1b[Z", 16},   {0, 80, "\x1b[Z", 0}, {80, 80, "\x1b[Z", 79},
        {132, 132, "\x1b[Z", 128},
        {13, 80, "\x1b[3Z", 8},  // the count is not read
        {13, 80, "\x1bZ", 13},   // ESC Z alone is the (silent) identification
    };
    for (const Case& c : cases) {
        Term t(kTypeScoAnsi, c.columns);
        t.At(3, c.col).Feed(c.bytes);
        EXPECT_EQ(t.CursorCol(), c.want) << c.col << " " << Show(c.bytes);
        EXPECT_EQ(t.CursorRow(), 3);
    }
}

TEST(ScoScroll, TAndSMoveTheRegionOneLine) {
    struct Case { const char* region; std::string bytes; const char* rows; int history; } cases[] = {
        {"", "\x1b[2S", "bcdefghijklmnopqrstuvwx.", 1},   // one line, whatever the count
        {"", "\x1b[9T", ".abcdefghijklmnopqrstuvw", 0},
        {"\x1b[5;10r", "\x1b[S", "abcdfghij.klmnopqrstuvwx", 0},
        {"\x1b[5;10r", "\x1b[T", "abcd.efghiklmnopqrstuvwx", 0},
    };
    for (const Case& c : cases) {
        Term t(kTypeScoAnsi);
        t.Feed(c.region).Lettered().At(12, 5).Feed(c.bytes);
        EXPECT_EQ(t.Column0(), c.rows) << Show(c.region) << Show(c.bytes);
        EXPECT_EQ(t.History(), c.history) << Show(c.bytes);
        EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), 1205) << "the cursor stays";
    }
}

TEST(ScoSavedCursor, IsItsOwn) {
    Term t(kTypeScoAnsi);
    t.Feed("\x1b[4;6H\x1b[s\x1b[20;20H\x1b" "7\x1b[1;1H\x1b[u");
    EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), 305);
    EXPECT_EQ(t.rig.modes.savedX2 + t.rig.modes.savedY2, 0) << "the VT220 pair is not touched";
    t.Feed("\x1b" "8");
    EXPECT_EQ(t.CursorRow(), 19);
    Term vt(kTypeVt220);
    vt.Feed("\x1b[4;6H\x1b[s");
    EXPECT_EQ(vt.rig.modes.savedY2, 3);
    EXPECT_EQ(vt.rig.modes.scoSavedRow, 0);
}

TEST(ScoShared, FinalsCommonWithVt220) {
    struct Case { std::string bytes; const char* row0; int col; } cases[] = {
        {"abcdef\x1b[1;3H\x1b[2P", "abef", 2}, {"ab\x1b(0qx\x1b(Bq", "ab-|q", 5},
    };
    for (const Case& c : cases) {
        Term t(kTypeScoAnsi);
        t.Feed(c.bytes);
        EXPECT_EQ(t.Row(0), c.row0) << Show(c.bytes);
        EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), c.col) << Show(c.bytes);
    }
}

}  // namespace
}  // namespace palvex
