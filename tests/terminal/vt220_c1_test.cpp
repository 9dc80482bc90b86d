// The 8-bit controls of VT220/VT320, which VT102 and SCO-ANSI show as characters.
#include <gtest/gtest.h>

#include <string>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::Show;
using testing::Term;

TEST(Vt220C1, EachControlActsAsItsSevenBitPair) {
    const char* const kSame = "abcdefghijklmnopqrstuvwx";
    struct Case {
        int type;
        std::string bytes;  // sent with the cursor at row 5, column 7 on a lettered screen
        int row, col;
        const char* rows;
        bool open;          // a sequence is still being collected
    } cases[] = {
        {kTypeVt220, "\x84", 6, 7, kSame, false},                                   // IND
        {kTypeVt220, "\x1b[24;8H\x84", 23, 7, "bcdefghijklmnopqrstuvwx.", false},
        {kTypeVt320, "\x85", 6, 0, kSame, false},                                   // NEL
        {kTypeVt220, "\x88", 5, 7, kSame, false},                                   // HTS: nothing
        {kTypeVt220, "\x8d", 4, 7, kSame, false},                                   // RI
        {kTypeVt220, "\x1b[H\x8d", 0, 0, ".abcdefghijklmnopqrstuvw", false},
        {kTypeVt220, "\x8ex", 5, 7, kSame, true},                                   // SS2 keeps collecting
        {kTypeVt220, "\x8f" "A", 4, 7, kSame, false},                               // SS3 A is ESC O A
        {kTypeVt220, "\x9b" "3;4H", 2, 3, kSame, false},                            // CSI
        {kTypeVt320, "old\x9b" "2J", 0, 0, "........................", false},
        {kTypeVt220, "\x1b[2\x9b" "3A", 2, 7, kSame, false},                        // CSI restarts
        {kTypeVt220, "\x1b[3\x86" "A", 5, 8, kSame, false},                         // others end it, A shown
        {kTypeVt220, "\x1b[3\x9f" "B", 5, 8, kSame, false}, {kTypeVt220, "\x9c", 5, 7, kSame, false},
        {kTypeVt220, "\x80\x83", 5, 9, kSame, false},                               // below 0x84: characters
        {kTypeVt102, "\x9b" "2J", 5, 10, kSame, false},                             // VT102: characters
        {kTypeVt102, "\x84\x8d", 5, 9, kSame, false}, {kTypeScoAnsi, "\x9b" "2J\x84", 5, 11, kSame, false},
    };
    for (const Case& c : cases) {
        Term t(c.type);
        t.Lettered().At(5, 7).Feed(c.bytes);
        const std::string what = std::to_string(c.type) + " " + Show(c.bytes);
        EXPECT_EQ(t.CursorRow(), c.row) << what;
        EXPECT_EQ(t.CursorCol(), c.col) << what;
        EXPECT_EQ(t.Column0(), c.rows) << what;
        EXPECT_EQ(t.Collecting(), c.open) << what;
        EXPECT_EQ(t.History(), c.rows[0] == 'b' ? 1 : c.rows[1] == '.' ? 24 : 0) << what;
    }
    // Characters where the type has no C1 controls, stored as they came.
    Term t(kTypeVt102);
    t.Feed("\x9b" "2J");
    EXPECT_EQ(t.Row(0), "\x9b" "2J");
}

TEST(Vt220C1, DeviceControlStringByC1AndStringModeFlag) {
    Term t(kTypeVt220);
    t.Feed("\x90");
    EXPECT_EQ(t.rig.screen.StringMode, 1);
    EXPECT_TRUE(t.Collecting());
    t.Feed("\x9b");  // CSI inside the string starts a sequence instead
    EXPECT_EQ(t.rig.screen.StringMode, 0);
    t.Feed("5;5H*");
    EXPECT_EQ(t.Row(4), "    *");
}

}  // namespace
}  // namespace palvex
