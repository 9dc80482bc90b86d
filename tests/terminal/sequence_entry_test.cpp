// Which collected bytes end a sequence for each emulator family, which keep it
// open, the 8-bit controls, parameter reading, and what the sequences that end
// in the entry itself do.
#include <gtest/gtest.h>

#include <string>

#include "terminal/dec_common.h"
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
        {"\x1b#3", 0, 0}, {"\x1b#6", 0, 0}, {"\x1b#15", 0, -1}, {"\x1b[3", 1, 1},
        {"\x1b#8", 1, -1}, {"\x1b#0", -1, 1},  // no alignment test: 8 ends only ESC 8
        // "0": only as the third byte after ( ) * + - . /
        {"\x1b(0", 0, 0}, {"\x1b/0", 0, 0}, {"\x1b(", 1, 1}, {"\x1b(1", -1, 1}, {"\x1b[0", 1, 1},
        {"\x1b[00", 1, -1}, {"\x1b" "0", 1, -1}, {"\x1b" "7", 0, 0}, {"\x1b[7", 1, 1}, {"\x1b[?8", 1, 1},
        {"\x1b[1v", 1, -1},
        // Finals only the VT220 family knows.
        {"\x1b[1~", 1, 0}, {"\x1b F", 1, -1}, {"\x1b[1q", 1, 0}, {"\x1bN", -1, 1}, {"\x1b]", -1, 1},
        {"\x1b[!p", -1, 0}, {"\x1b[12;3", 1, 1}, {"\x1b[ ", -1, 1}, {"\x1b[\"", -1, 1},
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
        {kTypeVt100, "\x1b[3\rX", 10, 1, "X"},     // CR ends it and returns; X is text
        {kTypeVt100, "\x1b[2;5\x18H", 10, 11, "          H"},  // CAN drops it; H is text
        {kTypeVt220, "\x1b[3;\x1b[5;7H", 4, 6, ""},
        {kTypeVt220, "\x1b[5dtext more", 10, 13, "          ore"},  // d is no final: text is swallowed up to "m"
        {kTypeVt52, "\x1b" "bhello", 10, 10, ""},  // an unknown letter swallows text
        {kTypeVt52, "\x1b" "bxyzAok", 9, 12, ""},  // any completion byte acts, wherever it stands
        {kTypeVt52, "\x1b" "bxyz<ok", 10, 12, "          ok"}, {kTypeVt52, "\x1b" "bxyz\rok", 10, 2, "ok"},
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
        {kTypeVt100, "\x1b)0q\x0eq\x0fq", "q-q", 0, 1, 0, 0},  // G1 is shown after SO
        {kTypeVt100, "\x1b(0ijoswxyJ\x1b(Bq", "i|--||yJq", 0, 0, 0, 0},  // j..x only, lower case only
        {kTypeVt100Color, "\x1b(0q\x1b)0\x0eq", "qq", 0, 0, 0, 0},  // no line drawing in colour
        {kTypeVt100, "\x1b*0q", "q", 0, 0, 0, 0}, {kTypeVt220, "\x1b(0\x1b)0\x1b)B", "", 1, 0, 0, 0},
        {kTypeVt102, "\x1b)0q\x0eqx\x0fq", "q-|q", 0, 1, 0, 0}, {kTypeVt100, "\x1b=", "", 0, 0, 1, 1},
        {kTypeVt220, "\x1b=\x1b>", "", 0, 0, 0, 1},  // ESC > leaves Num Lock alone
        {kTypeVt52, "\x1b=", "", 0, 0, 1, 1},
        {kTypeVt100, "AB\x1b[1;1H\x1b[2@\x1bg\x1b<\x1b\\", "AB", 0, 0, 0, 0},
        {kTypeVt220, "ab\x1bH\x1b#6cd", "abcd", 0, 0, 0, 0},  // tab set and line size do nothing
    };
    for (const auto& c : cases) {
        for (bool hooked : {true, false}) {  // without a keyboard hook the mode is still set
            Term t(c.type);
            CountingKeyboard keyboard;
            if (hooked) t.rig.session.keyboard = &keyboard;
            t.Feed(c.bytes);
            const std::string what = std::to_string(c.type) + " " + Show(c.bytes);
            EXPECT_EQ(t.Row(0), c.row0) << what;
            EXPECT_EQ(t.rig.screen.graphics[0], c.g0) << what;
            EXPECT_EQ(t.rig.screen.graphics[1], c.g1) << what;
            EXPECT_EQ(t.rig.modes.keypadApp, c.keypadApp) << what;
            if (hooked) {
                EXPECT_EQ(keyboard.numLockOn, c.numLockOns) << what;
            }
            EXPECT_FALSE(t.Collecting());
        }
    }
}

// ESC 7 / ESC 8 and ESC [ s / ESC [ u are separate cursors on every DEC type.
TEST(SequenceEntry, SaveAndRestoreCursorPairsAreSeparate) {
    const std::string cases[] = {
        "\x1b[4;6H\x1b" "7\x1b[9;9H\x1b[s\x1b[20;30H\x1b" "8",
        "\x1b[4;6H\x1b[s\x1b[20;30H\x1b[u\x1b[1;1H\x1b[u",  // a second restore goes back there too
    };
    for (int type : {kTypeVt100, kTypeVt220}) {
        for (const auto& bytes : cases) {
            Term t(type);
            t.Feed(bytes);
            EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), 305) << type << " " << Show(bytes);
        }
    }
}

// Control strings: swallowed until ESC \ or ST, never shown.
TEST(SequenceEntry, DeviceControlStringsEndAtTheTerminator) {
    const struct { int type; std::string bytes; const char* shown; } cases[] = {
        {kTypeVt220, "a\x1bP1;1|17/616263\x1b\\b", "ab"}, {kTypeVt320, "a\x1bPxyz\x9c" "b", "ab"},
        {kTypeVt102, "a\x1bPxyz\x1b\\b", "ab"},
        {kTypeVt220, "a\x1bPx\x1by\x1b\\b", "ab"},  // a lone ESC inside does not end it
        {kTypeVt220, "a\x1bPxy\rb", "b"},           // CR abandons it, as any sequence
        {kTypeVt220, "\x1bP" + std::string(253, 'k') + "shown", "shown"},  // a full collector ends it
        {kTypeScoAnsi, "\x1bPabc\x1b\\xy", "xy"},   // no string mode: open up to a completion byte
        {kTypeVt220, "\x90" "xyz\x9b" "1;4HZ", "   Z"},  // CSI inside the string starts a sequence
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

// The 8-bit controls of VT220/VT320, which VT102 and SCO-ANSI show as characters.
TEST(SequenceEntry, EightBitControlsActAsTheirSevenBitPairs) {
    const char* const kSame = "abcdefghijklmnopqrstuvwx";
    struct Case {
        int type;
        std::string bytes;  // sent with the cursor at row 5, column 7 on a lettered screen
        int row, col;
        const char* rows;
        bool open;
    } cases[] = {
        {kTypeVt220, "\x1b[24;8H\x84", 23, 7, "bcdefghijklmnopqrstuvwx.", false},  // IND
        {kTypeVt320, "\x85", 6, 0, kSame, false},                                   // NEL
        {kTypeVt220, "\x88", 5, 7, kSame, false},                                   // HTS: nothing
        {kTypeVt220, "\x1b[H\x8d", 0, 0, ".abcdefghijklmnopqrstuvw", false},        // RI
        {kTypeVt220, "\x8ex", 5, 7, kSame, true},                                   // SS2 keeps collecting
        {kTypeVt220, "\x8f" "A", 4, 7, kSame, false},                               // SS3 A is ESC O A
        {kTypeVt220, "\x1b[2\x9b" "3A", 2, 7, kSame, false},                        // CSI restarts
        {kTypeVt220, "\x1b[3\x86" "A", 5, 8, kSame, false},                         // others end it, A shown
        {kTypeVt220, "\x80\x83", 5, 9, kSame, false},                               // below 0x84: characters
        {kTypeVt102, "\x9b" "2J", 5, 10, kSame, false},                             // VT102: characters
        {kTypeScoAnsi, "\x9b" "2J\x84", 5, 11, kSame, false},
    };
    for (const Case& c : cases) {
        Term t(c.type);
        t.Lettered().At(5, 7).Feed(c.bytes);
        const std::string what = std::to_string(c.type) + " " + Show(c.bytes);
        EXPECT_EQ(t.CursorRow() * 100 + t.CursorCol(), c.row * 100 + c.col) << what;
        EXPECT_EQ(t.Column0(), c.rows) << what;
        EXPECT_EQ(t.Collecting(), c.open) << what;
        EXPECT_EQ(t.History(), c.rows[0] == 'b' ? 1 : 0) << what;
    }
    // Characters where the type has no C1 controls, stored as they came.
    Term t(kTypeVt102);
    t.Feed("\x9b" "2J");
    EXPECT_EQ(t.Row(0), "\x9b" "2J");
}

dec::EscText Text(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), static_cast<int>(s.size())}; }

TEST(DecParams, ReadLikeTheRuntimeDecimalConversion) {
    struct Case { std::string text; int pos; int value; } cases[] = {
        {"[12;34", 4, 34}, {"[", 1, 0},   {"[?25", 1, 0}, {"[ 7", 1, 7}, {"[-7", 1, -7}, {"[--7", 1, 0},
        {"[7x9", 1, 7},    {"[;5", 1, 0}, {"[5", 9, 0},   {"[5", -3, 0},
        {"[99999999999999999999", 1, dec::kParamCeiling}, {"[-99999999999999999999", 1, -dec::kParamCeiling},
    };
    for (const Case& c : cases) EXPECT_EQ(dec::NumberAt(Text(c.text), c.pos), c.value) << c.text << " @" << c.pos;
    // The text ends where the final was: with "2" as the final, "[12" reads 1.
    const std::string withFinal = "[12H";
    EXPECT_EQ(dec::NumberAt(dec::TextOf(reinterpret_cast<const uint8_t*>(withFinal.data()), 3), 1), 1);
    EXPECT_EQ(dec::NumberAfter(Text("[3;4;5"), 1, ';'), 4);
    EXPECT_EQ(dec::NumberAfter(Text("[3"), 1, ';'), 0);
    EXPECT_EQ(dec::CountParam(Text("")), 1);
    EXPECT_EQ(dec::CountParam(Text("[0")), 0);
}

}  // namespace
}  // namespace palvex
