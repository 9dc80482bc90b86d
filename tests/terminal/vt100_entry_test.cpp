// Which collected bytes end a VT100 sequence, and what the sequences that end
// in the entry itself (without reaching the final table) do.
#include <gtest/gtest.h>

#include <string>

#include "comm/terminal_rig.h"
#include "terminal/rig_helpers.h"

namespace palvex {
namespace {

using namespace palvex::testing;

TermOptions Vt100(int type = kTypeVt100) {
    TermOptions o;
    o.type = type;
    return o;
}

// After ESC [, the bytes that end the sequence; every other byte is collected.
// Bytes the pump takes itself (CR, CAN) never reach the entry.
TEST(Vt100Entry, AfterCsiOnlyTheCompletionBytesEndTheSequence) {
    const std::string completing = "<@g\\ABCDEHJKLMPZcfhilmnrsu=>";
    for (int type : {kTypeVt100, kTypeVt100Color}) {
        for (int b = 0; b < 256; ++b) {
            if (b == 0x0D || b == 0x18 || b == 0x1B) continue;
            SCOPED_TRACE(::testing::Message() << "type " << type << " byte 0x" << std::hex << b);
            TerminalRig rig(Vt100(type));
            rig.Receive(std::string("\x1b[") + static_cast<char>(b));
            const bool ends = completing.find(static_cast<char>(b)) != std::string::npos;
            EXPECT_EQ(rig.screen.EscapeActive, ends ? 0 : 1);
            EXPECT_EQ(rig.screen.EscapeLength, ends ? 0 : 3);
        }
    }
}

TEST(Vt100Entry, ContextDecidesForDigitsAndH) {
    struct Case {
        const char* name;
        std::string bytes;
        bool stillCollecting;
    } cases[] = {
        {"ESC # 3..6 are line sizes, ignored", "\x1b#3", false},
        {"ESC # 6", "\x1b#6", false},
        {"ESC # with a parameter first", "\x1b#15", false},
        {"3 after [ is a parameter", "\x1b[3", true},
        {"6 after [ is a parameter", "\x1b[16", true},
        {"ESC ( 0", "\x1b(0", false},
        {"ESC ) 0", "\x1b)0", false},
        {"ESC * 0 and friends end without effect", "\x1b*0", false},
        {"ESC + 0", "\x1b+0", false},
        {"ESC - 0", "\x1b-0", false},
        {"ESC . 0", "\x1b.0", false},
        {"ESC / 0", "\x1b/0", false},
        {"0 after [ is a parameter", "\x1b[0", true},
        {"0 in a longer parameter", "\x1b[10", true},
        {"0 after [0", "\x1b[00", true},
        {"ESC 0 alone", "\x1b" "0", true},
        {"ESC # 8 is no alignment test: 8 ends only ESC 8", "\x1b#8", true},
        {"ESC 7", "\x1b" "7", false},
        {"ESC 8", "\x1b" "8", false},
        {"7 as a parameter", "\x1b[7", true},
        {"8 as a parameter", "\x1b[?8", true},
        {"ESC H is a tab stop, ignored", "\x1bH", false},
        {"ESC [ H executes", "\x1b[H", false},
        {"bytes above u are collected", "\x1b[1v", true},
        {"tilde is collected", "\x1b[1~", true},
        {"F and G are VT220 finals only", "\x1b F", true},
        {"q is collected", "\x1b[1q", true},
        {"X is collected", "\x1b[1X", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Vt100());
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.screen.EscapeActive, c.stillCollecting ? 1 : 0);
    }
}

TEST(Vt100Entry, EscRestartsTheCollectorAndCrOrCanAbandonIt) {
    struct Case {
        std::string bytes;
        int row, col;
        std::string row4;
    } cases[] = {
        {"\x1b[12\x1b[A", 9, 10, ""},         // the restarted sequence moves one row, not 12
        {"\x1b[12\x1b" "7\x1b[3A\x1b" "8", 10, 10, ""},
        {"\x1b[3\rX", 10, 1, ""},              // CR ends it and returns; X is text
        {"\x1b[3\x18X", 10, 11, ""},           // CAN drops it; X is text
        {"\x1b[2;5\x18H", 10, 11, ""},         // the H after CAN is text too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        TerminalRig rig(Vt100());
        rig.screen.cursorRow = 10;
        rig.screen.cursorCol = 10;
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.screen.cursorRow, c.row);
        EXPECT_EQ(rig.screen.cursorCol, c.col);
        EXPECT_EQ(rig.screen.EscapeActive, 0);
    }
}

TEST(Vt100Entry, SequencesEndedByTheEntryAct) {
    struct Case {
        const char* name;
        int type;
        std::string bytes;
        std::string row0;
        int keypadApp, numLockOns, graphicsG0, graphicsG1;
    } cases[] = {
        {"ESC ( 0 on VT100 draws lines", kTypeVt100, "\x1b(0qx", "-|", 0, 0, 1, 0},
        {"ESC ) 0 designates G1, shown after SO", kTypeVt100, "\x1b)0q\x0eq\x0fq", "q-q", 0, 0, 0, 1},
        {"ESC ( B cancels it again", kTypeVt100, "\x1b(0q\x1b(Bq", "-q", 0, 0, 0, 0},
        {"colour VT100 has no line drawing", kTypeVt100Color, "\x1b(0q\x1b)0\x0eq", "qq", 0, 0, 0, 0},
        {"ESC * 0 designates nothing", kTypeVt100, "\x1b*0q", "q", 0, 0, 0, 0},
        {"ESC = sets application keypad and Num Lock", kTypeVt100, "\x1b=", "", 1, 1, 0, 0},
        {"ESC > clears it without touching Num Lock", kTypeVt100, "\x1b=\x1b>", "", 0, 1, 0, 0},
        {"ignored finals leave the line alone", kTypeVt100, "AB\x1b[1;1H\x1b[2@\x1bg\x1b<\x1b\\", "AB", 0, 0, 0,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Vt100(c.type));
        CountingKeyboard keyboard;
        rig.session.keyboard = &keyboard;
        rig.Receive(c.bytes);
        EXPECT_EQ(RowText(rig.screen, 0), c.row0);
        EXPECT_EQ(rig.modes.keypadApp, c.keypadApp);
        EXPECT_EQ(keyboard.numLockOn, c.numLockOns);
        EXPECT_EQ(rig.screen.graphics[0], c.graphicsG0);
        EXPECT_EQ(rig.screen.graphics[1], c.graphicsG1);
        EXPECT_EQ(rig.screen.EscapeActive, 0);
    }
}

TEST(Vt100Entry, KeypadWithoutAKeyboardHookStillSetsTheMode) {
    TerminalRig rig(Vt100());
    rig.Receive("\x1b=");
    EXPECT_EQ(rig.modes.keypadApp, 1);
}

TEST(Vt100Entry, SaveAndRestoreCursorWithEsc7And8) {
    struct Case {
        const char* name;
        std::string bytes;
        int row, col;
    } cases[] = {
        {"restores where ESC 7 saved", "\x1b[4;6H\x1b" "7\x1b[20;30H\x1b" "8", 3, 5},
        {"the VT100 ESC [ s slot is another one", "\x1b[4;6H\x1b" "7\x1b[9;9H\x1b[s\x1b[20;30H\x1b" "8", 3, 5},
        {"and ESC 7 does not disturb ESC [ u", "\x1b[4;6H\x1b[s\x1b[9;9H\x1b" "7\x1b[20;30H\x1b[u", 3, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Vt100());
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.screen.cursorRow, c.row);
        EXPECT_EQ(rig.screen.cursorCol, c.col);
    }
}

}  // namespace
}  // namespace palvex
