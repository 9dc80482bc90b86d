// The completion test of the VT102/VT220/VT320 emulator (and of SCO-ANSI, which
// adds S and T): which byte ends a sequence, which keeps it open, and the short
// ESC forms the entry acts on itself.
#include <gtest/gtest.h>

#include <string>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::CountingKeyboard;
using testing::Term;

TEST(Vt220Completion, EndsOrKeepsCollecting) {
    struct Case {
        const char* bytes;
        bool open;  // still collecting afterwards
    } cases[] = {
        // Parameters, separators and intermediates are only collected.
        {"\x1b[", true}, {"\x1b[12;3", true}, {"\x1b[?", true}, {"\x1b[ ", true}, {"\x1b[!", true},
        {"\x1b[\"", true}, {"\x1bN", true}, {"\x1bO", true}, {"\x1b]", true}, {"\x1b[d", true},
        {"\x1b[S", true}, {"\x1b[T", true}, {"\x1b[x", true}, {"\x1b[\x7f", true}, {"\x1b[\xc0", true},
        // "0": only as the third byte after ( ) * + - . /
        {"\x1b[0", true}, {"\x1b(", true}, {"\x1b(1", true}, {"\x1b#0", true},
        {"\x1b(0", false}, {"\x1b)0", false}, {"\x1b*0", false}, {"\x1b+0", false},
        {"\x1b-0", false}, {"\x1b.0", false}, {"\x1b/0", false},
        // Line sizes ESC # 3..6 are dropped; elsewhere 3..6 are parameters.
        {"\x1b#3", false}, {"\x1b#4", false}, {"\x1b#5", false}, {"\x1b#6", false},
        {"\x1b[3", true}, {"\x1b[6", true},
        {"\x1b" "7", false}, {"\x1b[7", true}, {"\x1b" "8", false}, {"\x1b[8", true},
        {"\x1b<", false}, {"\x1bg", false}, {"\x1bo", false}, {"\x1bp", false}, {"\x1bw", false},
        {"\x1by", false}, {"\x1b|", false}, {"\x1b\\", false}, {"\x1b[!p", false},
        {"\x1b=", false}, {"\x1b>", false}, {"\x1b[>", false},
        {"\x1bH", false}, {"\x1bP", true},
        // Every executing byte ends the sequence wherever it stands.
        {"\x1b[@", false}, {"\x1b[A", false}, {"\x1b[B", false}, {"\x1b[C", false}, {"\x1b[D", false},
        {"\x1b[E", false}, {"\x1b[F", false}, {"\x1b[G", false}, {"\x1b[H", false}, {"\x1b[J", false},
        {"\x1b[K", false}, {"\x1b[L", false}, {"\x1b[M", false}, {"\x1b[P", false}, {"\x1b[X", false},
        {"\x1b[Z", false}, {"\x1b[c", false}, {"\x1b[f", false}, {"\x1b[h", false}, {"\x1b[i", false},
        {"\x1b[l", false}, {"\x1b[m", false}, {"\x1b[n", false}, {"\x1b[q", false}, {"\x1b[r", false},
        {"\x1b[s", false}, {"\x1b[u", false}, {"\x1b[}", false}, {"\x1b[~", false},
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        t.Feed(c.bytes);
        EXPECT_EQ(t.Collecting(), c.open) << ::testing::PrintToString(std::string(c.bytes));
    }
}

TEST(Vt220Completion, ScoAddsScrollFinals) {
    struct Case {
        int type;
        const char* bytes;
        bool open;
    } cases[] = {
        {kTypeScoAnsi, "\x1b[S", false}, {kTypeScoAnsi, "\x1b[2T", false},
        {kTypeVt102, "\x1b[S", true},    {kTypeVt320, "\x1b[2T", true},
        {kTypeScoAnsi, "\x1b[d", true},  {kTypeScoAnsi, "\x1b[5m", false},
    };
    for (const Case& c : cases) {
        Term t(c.type);
        t.Feed(c.bytes);
        EXPECT_EQ(t.Collecting(), c.open) << c.type << " " << ::testing::PrintToString(std::string(c.bytes));
    }
}

TEST(Vt220Completion, OpenSequenceSwallowsTextUntilACompletionByte) {
    // "d" is no completion byte: the text after it is taken as parameters
    // until the "m" of "more".
    Term t(kTypeVt220);
    t.Feed("\x1b[5dtext more");
    EXPECT_EQ(t.Row(0), "ore");
    EXPECT_FALSE(t.Collecting());
}

TEST(Vt220Completion, EscRestartsTheCollector) {
    Term t(kTypeVt220);
    t.Feed("\x1b[3;\x1b[5;7H");
    EXPECT_EQ(t.CursorRow(), 4);
    EXPECT_EQ(t.CursorCol(), 6);
}

TEST(Vt220Completion, CharacterSetDesignation) {
    struct Case {
        const char* bytes;
        int g0, g1;
    } cases[] = {
        {"\x1b(0", 1, 0}, {"\x1b)0", 0, 1}, {"\x1b(0\x1b)0\x1b(B", 0, 1}, {"\x1b(0\x1b)0\x1b)B", 1, 0},
        {"\x1b*0", 0, 0}, {"\x1b/0", 0, 0},
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        t.Feed(c.bytes);
        EXPECT_EQ(t.rig.screen.graphics[0], c.g0) << ::testing::PrintToString(std::string(c.bytes));
        EXPECT_EQ(t.rig.screen.graphics[1], c.g1) << ::testing::PrintToString(std::string(c.bytes));
    }
    // The designated set draws: G0 is in use after SI, G1 after SO.
    Term t(kTypeVt102);
    t.Feed("\x1b)0q\x0eqx\x0fq");
    EXPECT_EQ(t.Row(0), "q-|q");
}

TEST(Vt220Completion, SaveAndRestoreCursor) {
    Term t(kTypeVt220);
    t.Feed("\x1b[5;9H\x1b" "7\x1b[20;70H\x1b" "8X");
    EXPECT_EQ(t.CursorRow(), 4);
    EXPECT_EQ(t.CursorCol(), 9);
    EXPECT_EQ(t.Row(4), "        X");
    // ESC 7 / ESC 8 and ESC [ s / ESC [ u are two separate cursors.
    Term u(kTypeVt220);
    u.Feed("\x1b[2;2H\x1b" "7\x1b[3;3H\x1b[s\x1b[9;9H\x1b" "8");
    EXPECT_EQ(u.CursorRow(), 1);
    u.Feed("\x1b[u");
    EXPECT_EQ(u.CursorRow(), 2);
    EXPECT_EQ(u.CursorCol(), 2);
}

TEST(Vt220Completion, KeypadModes) {
    Term t(kTypeVt220);
    CountingKeyboard keyboard;
    t.rig.session.keyboard = &keyboard;
    t.Feed("\x1b=");
    EXPECT_EQ(t.rig.modes.keypadApp, 1);
    EXPECT_EQ(keyboard.numLockOn, 1);
    t.Feed("\x1b>");
    EXPECT_EQ(t.rig.modes.keypadApp, 0);
    EXPECT_EQ(keyboard.numLockOn, 1) << "ESC > leaves Num Lock alone";
    // Without a keyboard hook the mode is still set.
    Term u(kTypeVt102);
    u.Feed("\x1b=");
    EXPECT_EQ(u.rig.modes.keypadApp, 1);
}

TEST(Vt220Completion, TabSetAndLineSizeDoNothing) {
    Term t(kTypeVt220);
    t.Feed("ab\x1bH\x1b#6cd");
    EXPECT_EQ(t.Row(0), "abcd");
    EXPECT_EQ(t.CursorCol(), 4);
}

// Control strings: swallowed until ESC \ or ST, never shown.
TEST(Vt220DeviceControl, StringsEndAtTheTerminator) {
    struct Case {
        int type;
        std::string bytes;
        const char* shown;
    } cases[] = {
        {kTypeVt220, "a\x1bP1;1|17/616263\x1b\\b", "ab"},
        {kTypeVt320, "a\x1bPxyz\x9c" "b", "ab"},
        {kTypeVt220, "a\x90" "xyz\x1b\\b", "ab"},          // 8-bit DCS
        {kTypeVt220, "a\x90xyz\x9c" "b", "ab"},            // 8-bit both ends
        {kTypeVt102, "a\x1bPxyz\x1b\\b", "ab"},
        {kTypeVt220, "a\x1bPx\x1by\x1b\\b", "ab"},        // a lone ESC inside does not end it
        {kTypeVt220, "a\x1bPxy\rb", "b"},                  // CR abandons it, as any sequence
    };
    for (const Case& c : cases) {
        Term t(c.type);
        t.Feed(c.bytes);
        EXPECT_EQ(t.Row(0), c.shown) << ::testing::PrintToString(c.bytes);
        EXPECT_FALSE(t.Collecting());
    }
    // After the string the next sequence is interpreted normally.
    Term t(kTypeVt220);
    t.Feed("\x1bPq#0;2;0;0;0\x1b\\\x1b[3;4HZ");
    EXPECT_EQ(t.Row(2), "   Z");
    EXPECT_EQ(t.rig.screen.StringMode, 0);
}

TEST(Vt220DeviceControl, StringThatFillsTheCollectorEndsThere) {
    Term t(kTypeVt220);
    // ESC P plus 253 bytes fills the 255-byte collector; what follows is text.
    t.Feed("\x1bP" + std::string(253, 'k') + "shown");
    EXPECT_EQ(t.rig.screen.StringMode, 0);
    EXPECT_FALSE(t.Collecting());
    EXPECT_EQ(t.Row(0), "shown");
}

TEST(Vt220DeviceControl, ScoHasNoStringMode) {
    // SCO-ANSI collects ESC P like any open sequence, up to a completion byte.
    Term t(kTypeScoAnsi);
    t.Feed("\x1bPabc\x1b\\xy");
    EXPECT_EQ(t.rig.screen.StringMode, 0);
    EXPECT_EQ(t.Row(0), "xy");
}

}  // namespace
}  // namespace palvex
