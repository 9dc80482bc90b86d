// The shared DEC actions called directly, for the variants the other emulators
// rely on: parameter reading, the caret during a burst and the
// answer forms.
#include <gtest/gtest.h>

#include <string>

#include "comm/memory_port.h"
#include "terminal/dec_common.h"
#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using testing::Term;

dec::EscText Text(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), static_cast<int>(s.size())}; }

TEST(DecParams, ReadLikeTheRuntimeDecimalConversion) {
    struct Case { std::string text; int pos; int value; } cases[] = {
        {"[12;34", 1, 12}, {"[12;34", 4, 34}, {"[", 1, 0},       {"[?25", 1, 0},     {"[?25", 2, 25},
        {"[ 7", 1, 7},     {"[-7", 1, -7},    {"[+7", 1, 7},     {"[--7", 1, 0},     {"[7x9", 1, 7},
        {"[007", 1, 7},    {"[;5", 1, 0},     {"[5", 9, 0},      {"[5", -3, 0},
        {"[99999999999999999999", 1, dec::kParamCeiling}, {"[-99999999999999999999", 1, -dec::kParamCeiling},
    };
    for (const Case& c : cases) EXPECT_EQ(dec::NumberAt(Text(c.text), c.pos), c.value) << c.text << " @" << c.pos;

    // The text ends where the final was: with "2" as the final, "[12" reads 1.
    const std::string withFinal = "[12H";
    EXPECT_EQ(dec::NumberAt(dec::TextOf(reinterpret_cast<const uint8_t*>(withFinal.data()), 3), 1), 1);
    EXPECT_EQ(dec::NumberAfter(Text("[3;4;5"), 1, ';'), 4);
    EXPECT_EQ(dec::NumberAfter(Text("[3"), 1, ';'), 0);
    EXPECT_EQ(dec::CountParam(Text("[")), 1);
    EXPECT_EQ(dec::CountParam(Text("")), 1);
    EXPECT_EQ(dec::CountParam(Text("[0")), 0);
}

TEST(DecCaret, MovesWithoutShowingDuringABurst) {
    RecordingDisplay display;
    TermOptions o;
    o.type = kTypeVt220;
    TerminalRig rig(o, &display);
    rig.screen.cursorRow = 3;
    rig.screen.cursorCol = 5;
    display.HideCaret();
    dec::MoveCaret(rig.screen);
    EXPECT_FALSE(display.caretShown);
    EXPECT_EQ(display.caretX, 5 * rig.screen.cellWidth);
    EXPECT_EQ(display.caretY, kTextTop + 3 * rig.screen.cellHeight);
    // A cursor in columns scrolled off to the left leaves the caret where it was.
    rig.screen.hOffset = 10;
    dec::MoveCaret(rig.screen);
    EXPECT_EQ(display.caretX, 5 * rig.screen.cellWidth);
}

TEST(DecAnswers, SevenAndEightBitForms) {
    struct Case { const char* text; bool eightBit; std::string sent; } cases[] = {
        {"\x1b[0n", false, "\x1b[0n"}, {"\x1b[0n", true, "\x9b" "0n"},
        {"\x1b/Z", true, "\x1b/Z"},  // only a leading ESC [ has an 8-bit form
        {"\x1b[?62;1;2;9;11;14c", true, "\x9b?62;1;2;9;11;14c"},
    };
    for (const Case& c : cases) {
        Term t(kTypeVt220);
        MemoryPort line(nullptr, 0);
        line.Open("COM1:");
        t.rig.port.handle = &line;
        dec::SendAnswer(t.rig.session, c.text, c.eightBit);
        t.rig.port.handle = nullptr;
        EXPECT_EQ(std::string(line.written.begin(), line.written.end()), c.sent)
            << ::testing::PrintToString(std::string(c.text));
    }
}

}  // namespace
}  // namespace palvex
