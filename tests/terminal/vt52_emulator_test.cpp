// The VT52 emulator: the ESC Y cursor address, the single-letter commands and
// the identification. Its completion bytes, keypad and printer controller are
// checked with the other emulators'.
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
        {"\x1bY\x25\x2A", 5, 10}, {"\x1bY  ", 0, 0},
        {"\x1bY\x7F\x21", 23, 1},      // a row beyond the screen is the last row
        {"\x1bY\x7F\x21", 49, 1, 50},  // taller screens reach further
        {"\x1bY\x21\xA3", 1, 131},     // column 132 is the last cell
        {"\x1bY\x21\xA4", 1, 7},       // column 133 leaves the column
        {"\x1bY\x22\x1F", 2, 7},       // so does column 0
        {"\x1bY\x01\x25", 0, 5},       // a row from a control byte is the top row
        {"\x1bY\x1b\x25", 0, 5},       // ESC is an address byte, not a restart
        {"\x1b" "bY\x25\x2A", 5, 10},  // Y after an unknown letter addresses too
        {"\x1bY\x25\x2A\x1bY\x21\x21", 1, 1},
        {"\x1bY\x41\x41", 23, 33},     // completion bytes as address bytes
        // An abandoned address does not capture the next sequence.
        {"\x1bY\rX\x1b" "A", 2, 1}, {"\x1bY\x25\r\x1b" "A", 2, 0}, {"\x1bY\x18\x1b" "B", 4, 7},
        {"\x1bY\x25\r\x1bY\x21\x22", 1, 2},
        {"\x1bY\x25", 3, 7},           // across bursts the address waits
    };
    for (const auto& c : cases) {
        Term t(kTypeVt52, 80, c.rows);
        t.At(3, 7).Feed(c.bytes);
        EXPECT_EQ(t.CursorRow(), c.row) << Show(c.bytes);
        EXPECT_EQ(t.CursorCol(), c.col) << Show(c.bytes);
    }
    Term t(kTypeVt52);
    t.Feed("\x1bY").Feed("\x25");
    EXPECT_TRUE(t.Collecting());
    EXPECT_EQ(t.rig.modes.vt52AddressPending, 1);
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
        {"\x1b" "A", 5, 5, 4, 5}, {"\x1b" "A", 0, 5, 0, 5}, {"\x1b" "B", 5, 5, 6, 5}, {"\x1b" "B", 23, 5, 23, 5},
        {"\x1b" "B", 9, 5, 9, 5, false, 10},    // stops at the bottom margin
        {"\x1b" "B", 15, 5, 15, 5, false, 10},  // below it does not move
        {"\x1b" "C", 5, 5, 5, 6},
        {"\x1b" "C", 5, 79, 5, 80},             // runs on past the width without wrap
        {"\x1b" "C", 5, 131, 5, 131}, {"\x1b" "C", 5, 79, 6, 0, true},
        {"\x1b" "C", 5, 80, 6, 1, true},        // from past the width
        {"\x1b" "C", 9, 79, 9, 0, true, 10},    // wraps, but not below the bottom margin
        {"\x1b" "D", 5, 5, 5, 4}, {"\x1b" "D", 5, 0, 5, 0}, {"\x1b" "H", 5, 5, 0, 0}, {"\x1b" "I", 5, 5, 4, 5},
        {"\x1b" "A\x1b" "A\x1b" "C\x1b" "C\x1b" "C", 5, 5, 3, 8},
    };
    for (const auto& c : cases) {
        Term t(kTypeVt52, 80, 24, c.autoWrap);
        t.rig.screen.marginBottom = c.marginBottom;
        t.At(c.row, c.col).Feed(c.bytes);
        EXPECT_EQ(t.CursorRow(), c.toRow) << Show(c.bytes) << " from " << c.row << "," << c.col;
        EXPECT_EQ(t.CursorCol(), c.toCol) << Show(c.bytes) << " from " << c.row << "," << c.col;
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
        {"\x1b" "I", 2, 3, 1, 24, "abcdefghijkl", 0, 1, 3},
        {"\x1b" "J", 0, 0, 1, 24, "............", 24, 0, 0},  // at home the screen goes into the history
        {"\x1b" "J", 1, 1, 1, 24, "ab..........", 0, 1, 1}, {"\x1b" "K", 2, 1, 1, 24, "abcdefghijkl", 0, 2, 1},
        {"\x1b" "K", 3, 0, 1, 24, "abc.efghijkl", 0, 3, 0},
    };
    for (const auto& c : cases) {
        Term t(kTypeVt52);
        for (int r = 0; r < 24; ++r) t.Put(r, std::string(1, static_cast<char>('a' + r)) + "xyz");
        t.rig.screen.marginTop = c.marginTop;
        t.rig.screen.marginBottom = c.marginBottom;
        t.At(c.row, c.col).Feed(c.bytes);
        EXPECT_EQ(t.Column0(12), c.rows) << Show(c.bytes) << " at " << c.row;
        EXPECT_EQ(t.History(), c.pushed) << Show(c.bytes);
        EXPECT_EQ(t.CursorRow(), c.toRow) << Show(c.bytes);
        EXPECT_EQ(t.CursorCol(), c.toCol) << Show(c.bytes);
        if (c.bytes == "\x1b" "K" || (c.bytes == "\x1b" "J" && c.pushed == 0)) {
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

}  // namespace
}  // namespace palvex
