// Which collected bytes end a sequence for each emulator family, which keep it
// open, and what the sequences that end in the entry itself do.
#include <gtest/gtest.h>

#include <string>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::CountingKeyboard;
using testing::Show;
using testing::Term;

// After the prefix only the listed bytes end the sequence; every other byte is
// collected. Bytes the pump takes itself (CR, CAN, ESC, the C1 controls) are
// checked elsewhere.
TEST(SequenceEntry, OnlyTheCompletionBytesEndASequence) {
    const std::string dec = "@ABCDEFGHJKLMPXZcfhilmnpqrsu}~<=>\\gowy|";
    const struct { int type; const char* prefix; std::string completing; } cases[] = {
        {kTypeVt100, "\x1b[", "<@g\\ABCDEHJKLMPZcfhilmnrsu=>"},
        {kTypeVt100Color, "\x1b[", "<@g\\ABCDEHJKLMPZcfhilmnrsu=>"}, {kTypeVt102, "\x1b[", dec},
        {kTypeVt220, "\x1b[", dec}, {kTypeVt320, "\x1b[", dec}, {kTypeScoAnsi, "\x1b[", dec + "ST"},
        {kTypeVt52, "\x1b", "ABCDHIJKWXZ<>=V]^_"},
    };
    for (const auto& c : cases) {
        const bool c1 = c.type == kTypeVt220 || c.type == kTypeVt320;
        for (int b = 0; b < 256; ++b) {
            if (b == 0x0D || b == 0x18 || b == 0x1B || (c1 && b >= 0x80 && b < 0xA0)) continue;
            if (c.type == kTypeVt52 && b == 'Y') continue;
            Term t(c.type);
            t.Feed(std::string(c.prefix) + static_cast<char>(b));
            const bool ends = c.completing.find(static_cast<char>(b)) != std::string::npos;
            EXPECT_EQ(t.Collecting(), !ends) << c.type << " byte 0x" << std::hex << b;
            EXPECT_EQ(t.rig.screen.EscapeLength, ends ? 0 : static_cast<int>(std::string(c.prefix).size()) + 1)
                << c.type << " byte 0x" << std::hex << b;
        }
    }
}

TEST(SequenceEntry, ContextDecidesForDigitsAndIntermediates) {
    // -1: the row says nothing for that family.
    const struct { std::string bytes; int open100, open220; } cases[] = {
        // Line sizes ESC # 3..6 are dropped; elsewhere 3..6 are parameters.
        {"\x1b#3", 0, 0}, {"\x1b#6", 0, 0}, {"\x1b#15", 0, -1}, {"\x1b[3", 1, 1}, {"\x1b[16", 1, 1},
        {"\x1b#8", 1, -1}, {"\x1b#0", -1, 1},  // no alignment test: 8 ends only ESC 8
        // "0": only as the third byte after ( ) * + - . /
        {"\x1b(0", 0, 0}, {"\x1b)0", 0, 0}, {"\x1b*0", 0, 0}, {"\x1b+0", 0, 0}, {"\x1b-0", 0, 0},
        {"\x1b.0", 0, 0}, {"\x1b/0", 0, 0}, {"\x1b(", 1, 1}, {"\x1b(1", -1, 1}, {"\x1b[0", 1, 1},
        {"\x1b[10", 1, -1}, {"\x1b[00", 1, -1}, {"\x1b" "0", 1, -1},
        {"\x1b" "7", 0, 0}, {"\x1b" "8", 0, 0}, {"\x1b[7", 1, 1}, {"\x1b[?8", 1, 1},
        {"\x1bH", 0, 0}, {"\x1b[H", 0, 0}, {"\x1b[1v", 1, -1},
        // Finals only the VT220 family knows.
        {"\x1b[1~", 1, 0}, {"\x1b F", 1, -1}, {"\x1b[1q", 1, 0}, {"\x1b[1X", 1, 0},
        {"\x1bN", -1, 1}, {"\x1bO", -1, 1}, {"\x1b]", -1, 1}, {"\x1bP", -1, 1}, {"\x1b[!p", -1, 0},
        {"\x1b[12;3", 1, 1}, {"\x1b[?", 1, 1}, {"\x1b[ ", -1, 1}, {"\x1b[\"", -1, 1},
    };
    for (const auto& c : cases) {
        for (int type : {kTypeVt100, kTypeVt220}) {
            const int want = type == kTypeVt100 ? c.open100 : c.open220;
            if (want < 0) continue;
            Term t(type);
            t.Feed(c.bytes);
            EXPECT_EQ(t.Collecting(), want == 1) << type << " " << Show(c.bytes);
        }
    }
}

TEST(SequenceEntry, EscRestartsTheCollectorAndCrOrCanAbandonIt) {
    const struct {
        int type;
        std::string bytes;  // the cursor starts at row 10, column 10
        int row, col;
        const char* row10;
    } cases[] = {
        {kTypeVt100, "\x1b[12\x1b[A", 9, 10, ""},  // the restarted sequence moves one row, not 12
        {kTypeVt100, "\x1b[12\x1b" "7\x1b[3A\x1b" "8", 10, 10, ""},
        {kTypeVt100, "\x1b[3\rX", 10, 1, "X"},     // CR ends it and returns; X is text
        {kTypeVt100, "\x1b[3\x18X", 10, 11, "          X"},  // CAN drops it; X is text
        {kTypeVt100, "\x1b[2;5\x18H", 10, 11, "          H"}, {kTypeVt220, "\x1b[3;\x1b[5;7H", 4, 6, ""},
        {kTypeVt220, "\x1b[5dtext more", 10, 13, "          ore"},  // d is no final: text is swallowed up to "m"
        {kTypeVt52, "\x1b" "bhello", 10, 10, ""},  // an unknown letter swallows text
        {kTypeVt52, "\x1b" "bhello\x1b" "Ax", 9, 11, ""},
        {kTypeVt52, "\x1b" "bxyzAok", 9, 12, ""},  // any completion byte acts, wherever it stands
        {kTypeVt52, "\x1b" "bxyz<ok", 10, 12, "          ok"}, {kTypeVt52, "\x1b" "bxyz\rok", 10, 2, "ok"},
        {kTypeVt52, "\x1b" "bxyz\x18ok", 10, 12, "          ok"},
        {kTypeVt52, "\x1b[31mA", 9, 10, ""},       // no renditions: "[31m" is collected until A
    };
    for (const auto& c : cases) {
        Term t(c.type);
        t.At(10, 10).Feed(c.bytes);
        EXPECT_EQ(t.CursorRow(), c.row) << Show(c.bytes);
        EXPECT_EQ(t.CursorCol(), c.col) << Show(c.bytes);
        EXPECT_EQ(t.Row(10), c.row10) << Show(c.bytes);
        EXPECT_EQ(t.Collecting(), c.bytes == "\x1b" "bhello") << Show(c.bytes);
        if (c.type == kTypeVt52) {
            EXPECT_EQ(t.rig.screen.attr, 0x70) << Show(c.bytes);
        }
    }
}

TEST(SequenceEntry, DesignationsKeypadAndIgnoredFinals) {
    const struct { int type; std::string bytes; const char* row0; int g0, g1, keypadApp, numLockOns; } cases[] = {
        {kTypeVt100, "\x1b(0qx", "-|", 1, 0, 0, 0},
        {kTypeVt100, "\x1b)0q\x0eq\x0fq", "q-q", 0, 1, 0, 0},  // G1 is shown after SO
        {kTypeVt100, "\x1b(0q\x1b(Bq", "-q", 0, 0, 0, 0},
        {kTypeVt100Color, "\x1b(0q\x1b)0\x0eq", "qq", 0, 0, 0, 0},  // no line drawing in colour
        {kTypeVt100, "\x1b*0q", "q", 0, 0, 0, 0}, {kTypeVt220, "\x1b(0\x1b)0\x1b(B", "", 0, 1, 0, 0},
        {kTypeVt220, "\x1b(0\x1b)0\x1b)B", "", 1, 0, 0, 0}, {kTypeVt220, "\x1b/0", "", 0, 0, 0, 0},
        {kTypeVt102, "\x1b)0q\x0eqx\x0fq", "q-|q", 0, 1, 0, 0}, {kTypeVt100, "\x1b=", "", 0, 0, 1, 1},
        {kTypeVt100, "\x1b=\x1b>", "", 0, 0, 0, 1},  // ESC > leaves Num Lock alone
        {kTypeVt220, "\x1b=", "", 0, 0, 1, 1}, {kTypeVt220, "\x1b=\x1b>", "", 0, 0, 0, 1},
        {kTypeVt52, "\x1b=", "", 0, 0, 1, 1}, {kTypeVt52, "\x1b=\x1b>", "", 0, 0, 0, 1},
        {kTypeVt100, "AB\x1b[1;1H\x1b[2@\x1bg\x1b<\x1b\\", "AB", 0, 0, 0, 0},
        {kTypeVt220, "ab\x1bH\x1b#6cd", "abcd", 0, 0, 0, 0},  // tab set and line size do nothing
    };
    for (const auto& c : cases) {
        for (bool hooked : {true, false}) {  // without a keyboard hook the mode is still set
            Term t(c.type);
            CountingKeyboard keyboard;
            if (hooked) t.rig.session.keyboard = &keyboard;
            t.Feed(c.bytes);
            EXPECT_EQ(t.Row(0), c.row0) << c.type << " " << Show(c.bytes);
            EXPECT_EQ(t.rig.screen.graphics[0], c.g0) << c.type << " " << Show(c.bytes);
            EXPECT_EQ(t.rig.screen.graphics[1], c.g1) << c.type << " " << Show(c.bytes);
            EXPECT_EQ(t.rig.modes.keypadApp, c.keypadApp) << c.type << " " << Show(c.bytes);
            if (hooked) {
                EXPECT_EQ(keyboard.numLockOn, c.numLockOns) << c.type << " " << Show(c.bytes);
            }
            EXPECT_FALSE(t.Collecting());
        }
    }
}

// ESC 7 / ESC 8 and ESC [ s / ESC [ u are separate cursors on every DEC type.
TEST(SequenceEntry, SaveAndRestoreCursorPairsAreSeparate) {
    const struct { std::string bytes; int row, col; } cases[] = {
        {"\x1b[4;6H\x1b" "7\x1b[20;30H\x1b" "8", 3, 5}, {"\x1b[4;6H\x1b" "7\x1b[9;9H\x1b[s\x1b[20;30H\x1b" "8", 3, 5},
        {"\x1b[4;6H\x1b[s\x1b[9;9H\x1b" "7\x1b[20;30H\x1b[u", 3, 5},
        {"\x1b[4;6H\x1b[s\x1b[20;30H\x1b[u\x1b[1;1H\x1b[u", 3, 5},  // a second restore goes back there too
    };
    for (int type : {kTypeVt100, kTypeVt220}) {
        for (const auto& c : cases) {
            Term t(type);
            t.Feed(c.bytes);
            EXPECT_EQ(t.CursorRow(), c.row) << type << " " << Show(c.bytes);
            EXPECT_EQ(t.CursorCol(), c.col) << type << " " << Show(c.bytes);
        }
    }
    Term t(kTypeVt220);
    t.Feed("\x1b[5;9H\x1b" "7\x1b[20;70H\x1b" "8X");
    EXPECT_EQ(t.Row(4), "        X");
}

// Control strings: swallowed until ESC \ or ST, never shown.
TEST(SequenceEntry, DeviceControlStringsEndAtTheTerminator) {
    const struct { int type; std::string bytes; const char* shown; } cases[] = {
        {kTypeVt220, "a\x1bP1;1|17/616263\x1b\\b", "ab"}, {kTypeVt320, "a\x1bPxyz\x9c" "b", "ab"},
        {kTypeVt220, "a\x90" "xyz\x1b\\b", "ab"}, {kTypeVt102, "a\x1bPxyz\x1b\\b", "ab"},
        {kTypeVt220, "a\x1bPx\x1by\x1b\\b", "ab"},  // a lone ESC inside does not end it
        {kTypeVt220, "a\x1bPxy\rb", "b"},           // CR abandons it, as any sequence
        {kTypeVt220, "\x1bP" + std::string(253, 'k') + "shown", "shown"},  // a full collector ends it
        {kTypeScoAnsi, "\x1bPabc\x1b\\xy", "xy"},   // no string mode: open up to a completion byte
        {kTypeVt220, "\x1bPq#0;2;0;0;0\x1b\\\x1b[1;4HZ", "   Z"},
    };
    for (const auto& c : cases) {
        Term t(c.type);
        t.Feed(c.bytes);
        EXPECT_EQ(t.Row(0), c.shown) << Show(c.bytes);
        EXPECT_FALSE(t.Collecting()) << Show(c.bytes);
        if (c.bytes.find('\r') == std::string::npos) {
            EXPECT_EQ(t.rig.screen.StringMode, 0) << Show(c.bytes);
        }
    }
}

}  // namespace
}  // namespace palvex
