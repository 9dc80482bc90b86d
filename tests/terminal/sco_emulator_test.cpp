// SCO-ANSI: what differs from the VT220 (back-tab, one-line scrolls, silence on
// identification, its own saved cursor) and a check that the shared finals
// reach the shared executor. Its colours are in the rendition table.
#include <gtest/gtest.h>

#include <string>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::Show;
using testing::Term;

TEST(ScoIdentification, IsNeverAnswered) {
    for (const char* bytes : {"\x1b[c", "\x1b" "c", "\x1bZ", "\x1b[0c"}) {
        Term t(kTypeScoAnsi);
        t.Feed(bytes);
        EXPECT_EQ(t.Answers(), "") << Show(bytes);
    }
    // Status and position are still reported.
    Term t(kTypeScoAnsi);
    t.Feed("\x1b[5n\x1b[3;7H\x1b[6n");
    EXPECT_EQ(t.Answers(), "\x1b[0n\x1b[3;7R");
}

TEST(ScoBackTab, ToTheStopAtOrBeforeTheCursor) {
    struct Case { int col, columns; std::string bytes; int want; } cases[] = {
        {13, 80, "\x1b[Z", 8},   {16, 80, "\x1b[Z", 16}, {0, 80, "\x1b[Z", 0},    {7, 80, "\x1b[Z", 0},
        {79, 80, "\x1b[Z", 72},  {80, 80, "\x1b[Z", 79}, {131, 132, "\x1b[Z", 128}, {132, 132, "\x1b[Z", 128},
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
        {"", "\x1b[S", "bcdefghijklmnopqrstuvwx.", 1},
        {"", "\x1b[2S", "bcdefghijklmnopqrstuvwx.", 1},   // one line, whatever the count
        {"", "\x1b[T", ".abcdefghijklmnopqrstuvw", 0}, {"", "\x1b[9T", ".abcdefghijklmnopqrstuvw", 0},
        {"\x1b[5;10r", "\x1b[S", "abcdfghij.klmnopqrstuvwx", 0},
        {"\x1b[5;10r", "\x1b[T", "abcd.efghiklmnopqrstuvwx", 0},
    };
    for (const Case& c : cases) {
        Term t(kTypeScoAnsi);
        t.Feed(c.region).Lettered().At(12, 5).Feed(c.bytes);
        EXPECT_EQ(t.Column0(), c.rows) << Show(c.region) << Show(c.bytes);
        EXPECT_EQ(t.History(), c.history) << Show(c.bytes);
        EXPECT_EQ(t.CursorRow(), 12) << "the cursor stays";
        EXPECT_EQ(t.CursorCol(), 5);
    }
}

TEST(ScoSavedCursor, IsItsOwn) {
    Term t(kTypeScoAnsi);
    t.Feed("\x1b[4;6H\x1b[s\x1b[20;20H\x1b" "7\x1b[1;1H\x1b[u");
    EXPECT_EQ(t.CursorRow(), 3);
    EXPECT_EQ(t.CursorCol(), 5);
    EXPECT_EQ(t.rig.modes.savedX2, 0) << "the VT220 pair is not touched";
    EXPECT_EQ(t.rig.modes.savedY2, 0);
    t.Feed("\x1b" "8");
    EXPECT_EQ(t.CursorRow(), 19);
    // A VT220 uses the other pair.
    Term vt(kTypeVt220);
    vt.Feed("\x1b[4;6H\x1b[s");
    EXPECT_EQ(vt.rig.modes.savedY2, 3);
    EXPECT_EQ(vt.rig.modes.scoSavedRow, 0);
}

TEST(ScoShared, FinalsCommonWithVt220) {
    struct Case { std::string bytes; const char* row0; int row, col; } cases[] = {
        {"abcdef\x1b[1;3H\x1b[2P", "abef", 0, 2}, {"abcdef\x1b[1;3H\x1b[2@", "ab  cdef", 0, 2},
        {"abcdef\x1b[1;3H\x1b[K", "ab", 0, 2}, {"abcdef\x1b[1;3H\x1b[2X", "ab  ef", 0, 2},
        {"abcdef\x1b[10;20H\x1b[2J", "", 0, 0}, {"abcdef\x1b[2;5r", "abcdef", 0, 0},
        {"abcdef\x1b[3;4f\x1b[2A\x1b[5C", "abcdef", 0, 8}, {"ab\x1b(0qx\x1b(Bq", "ab-|q", 0, 5},
    };
    for (const Case& c : cases) {
        Term t(kTypeScoAnsi);
        t.Feed(c.bytes);
        EXPECT_EQ(t.Row(0), c.row0) << Show(c.bytes);
        EXPECT_EQ(t.CursorRow(), c.row) << Show(c.bytes);
        EXPECT_EQ(t.CursorCol(), c.col) << Show(c.bytes);
    }
}

}  // namespace
}  // namespace palvex
