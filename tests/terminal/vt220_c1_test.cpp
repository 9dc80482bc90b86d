// The 8-bit controls of VT220/VT320, which VT102 shows as characters, and
// hostile sequences that must leave the buffer and cursor in bounds.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::Term;

std::string Show(const std::string& bytes) { return ::testing::PrintToString(bytes); }

TEST(Vt220C1, EachControlActsAsItsSevenBitPair) {
    struct Case {
        int type;
        std::string bytes;  // sent with the cursor at row 5, column 7 on a lettered screen
        int row, col;
        const char* rows;
        bool open;          // a sequence is still being collected
    } cases[] = {
        {kTypeVt220, "\x84", 6, 7, "abcdefghijklmnopqrstuvwx", false},          // IND
        {kTypeVt220, "\x1b[24;8H\x84", 23, 7, "bcdefghijklmnopqrstuvwx.", false},
        {kTypeVt320, "\x85", 6, 0, "abcdefghijklmnopqrstuvwx", false},          // NEL
        {kTypeVt220, "\x88", 5, 7, "abcdefghijklmnopqrstuvwx", false},          // HTS: nothing
        {kTypeVt220, "\x8d", 4, 7, "abcdefghijklmnopqrstuvwx", false},          // RI
        {kTypeVt220, "\x1b[H\x8d", 0, 0, ".abcdefghijklmnopqrstuvw", false},
        {kTypeVt220, "\x8ex", 5, 7, "abcdefghijklmnopqrstuvwx", true},          // SS2 keeps collecting
        {kTypeVt220, "\x8f" "A", 4, 7, "abcdefghijklmnopqrstuvwx", false},      // SS3 A is ESC O A
        {kTypeVt220, "\x9b" "3;4H", 2, 3, "abcdefghijklmnopqrstuvwx", false},   // CSI
        {kTypeVt320, "\x9b" "2J", 0, 0, "........................", false},
        {kTypeVt220, "\x1b[2\x9b" "3A", 2, 7, "abcdefghijklmnopqrstuvwx", false},  // CSI restarts
        {kTypeVt220, "\x1b[3\x86" "A", 5, 8, "abcdefghijklmnopqrstuvwx", false},  // others end it
        {kTypeVt220, "\x1b[3\x9f" "B", 5, 8, "abcdefghijklmnopqrstuvwx", false},
        {kTypeVt220, "\x9c", 5, 7, "abcdefghijklmnopqrstuvwx", false},
        {kTypeVt220, "\x80\x83", 5, 9, "abcdefghijklmnopqrstuvwx", false},      // below 0x84: characters
        {kTypeVt102, "\x9b" "2J", 5, 10, "abcdefghijklmnopqrstuvwx", false},    // VT102: characters
        {kTypeVt102, "\x84\x8d", 5, 9, "abcdefghijklmnopqrstuvwx", false},
    };
    for (const Case& c : cases) {
        Term t(c.type);
        t.Lettered().At(5, 7).Feed(c.bytes);
        EXPECT_EQ(t.CursorRow(), c.row) << c.type << " " << Show(c.bytes);
        EXPECT_EQ(t.CursorCol(), c.col) << c.type << " " << Show(c.bytes);
        EXPECT_EQ(t.Column0(), c.rows) << c.type << " " << Show(c.bytes);
        EXPECT_EQ(t.Collecting(), c.open) << c.type << " " << Show(c.bytes);
    }
    // A control that ends a sequence leaves what follows to be shown.
    Term t(kTypeVt220);
    t.Feed("\x1b[3\x86" "A");
    EXPECT_EQ(t.Row(0), "A");
}

TEST(Vt220C1, Vt102StoresTheBytesAsText) {
    Term t(kTypeVt102);
    t.Feed("\x9b" "2J");
    EXPECT_EQ(t.Row(0), "\x9b" "2J");
    EXPECT_EQ(t.History(), 0);
    Term u(kTypeVt220);
    u.Feed("old\x9b" "2J");
    EXPECT_EQ(u.Row(0), "");
    EXPECT_EQ(u.History(), 24);
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

// Hostile input: nothing may escape the screen or the 132 cells of a line.
void ExpectInBounds(Term& t, const std::string& what) {
    const TerminalScreen& s = t.rig.screen;
    ASSERT_GE(s.cursorRow, 0) << what;
    ASSERT_LT(s.cursorRow, s.rows) << what;
    ASSERT_GE(s.cursorCol, 0) << what;
    ASSERT_LE(s.cursorCol, kLineCells) << what;
    ASSERT_GE(s.marginTop, 1) << what;
    ASSERT_LE(s.marginBottom, s.rows) << what;
    ASSERT_LE(s.EscapeLength, kEscapeCapacity) << what;
    for (int r = 0; r < s.rows; ++r) {
        ASSERT_GE(t.Length(r), 0) << what;
        ASSERT_LE(t.Length(r), kLineCells) << what;
    }
}

TEST(Vt220Hostile, HugeNegativeAndMalformedParameters) {
    const std::string sequences[] = {
        "\x1b[99999999999999999999999A", "\x1b[-2147483648B", "\x1b[2147483647C", "\x1b[-2147483649D",
        "\x1b[2147483647;2147483647H", "\x1b[-1;-1f", "\x1b[-5P", "\x1b[99999999999P", "\x1b[-5@",
        "\x1b[99999999999@", "\x1b[-5X", "\x1b[99999999999X", "\x1b[-5L", "\x1b[99999999999L",
        "\x1b[-5M", "\x1b[99999999999M", "\x1b[-5;-9r", "\x1b[99999999999;99999999999r",
        "\x1b[" + std::string(300, ';') + "m", "\x1b[" + std::string(300, '9') + "m",
        "\x1b[?" + std::string(250, '3') + "h", "\x1b[" + std::string(250, '7') + "J",
        "\x1b[5;\x1b[;;;;H", std::string("\x1b[\0\0H", 5), "\x1b" "8", "\x1b[u", "\x1b[\"\"\"q",
        "\x1b[99999999999S", "\x1b[99999999999E", "\x1b(\x1b)\x1b#", "\x1b[\x9b\x9b\x9b" "5n",
    };
    for (int type : {kTypeVt102, kTypeVt220, kTypeVt320, kTypeScoAnsi}) {
        for (bool wrap : {false, true}) {
            for (const std::string& seq : sequences) {
                Term t(type, 80, 24, wrap);
                t.Lettered().At(23, 79).Feed("xyz" + seq + "text" + seq);
                ExpectInBounds(t, std::to_string(type) + " " + Show(seq));
            }
        }
    }
}

TEST(Vt220Hostile, RandomSequencesKeepEverythingInBounds) {
    // Short random sequences built from the bytes the emulator reacts to, on
    // small and large screens, with the cursor, the width and the region
    // changed by the stream itself.
    const char alphabet[] = "0123456789;?\"> (#)*PNO[ABCDEFGHJKLMPSTXZcfhilmnqrsu@\x1b\x84\x85\x8d\x8f\x90\x9b\x9c\r\nxy";
    std::mt19937 gen(1234);
    for (int type : {kTypeVt102, kTypeVt220, kTypeVt320, kTypeScoAnsi}) {
        for (int columns : {80, 132}) {
            Term t(type, columns, columns == 80 ? 24 : 40, gen() % 2 == 0);
            std::string stream;
            for (int i = 0; i < 20000; ++i) {
                if (gen() % 4 == 0) stream += "\x1b[";
                stream += alphabet[gen() % (sizeof alphabet - 1)];
            }
            for (std::size_t at = 0; at < stream.size(); at += 97) {
                t.Feed(stream.substr(at, 97));
                ExpectInBounds(t, std::to_string(type) + " at " + std::to_string(at));
            }
        }
    }
}

}  // namespace
}  // namespace palvex
