// The VT52 emulator: which bytes end a sequence, the ESC Y cursor address, the
// single-letter commands and the printer controller.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comm/terminal_rig.h"
#include "terminal/rig_helpers.h"

namespace palvex {
namespace {

using namespace palvex::testing;

TermOptions Vt52(bool autoWrap = false, int columns = 80) {
    TermOptions o;
    o.type = kTypeVt52;
    o.autoWrap = autoWrap;
    o.columns = columns;
    return o;
}

TEST(Vt52Entry, OnlyTheCompletionBytesEndASequence) {
    const std::string completing = "ABCDHIJKWXZ<>=V]^_";
    for (int b = 0; b < 256; ++b) {
        if (b == 0x0D || b == 0x18) continue;  // the pump's own
        SCOPED_TRACE(::testing::Message() << "byte 0x" << std::hex << b);
        TerminalRig rig(Vt52());
        rig.Receive(std::string("\x1b") + static_cast<char>(b));
        const bool ends = completing.find(static_cast<char>(b)) != std::string::npos;
        const int expectedLength = ends ? 0 : (b == 0x1B ? 1 : 2);
        EXPECT_EQ(rig.screen.EscapeActive, ends ? 0 : 1);
        EXPECT_EQ(rig.screen.EscapeLength, expectedLength);
        EXPECT_EQ(rig.modes.vt52AddressPending, b == 'Y' ? 1 : 0);
    }
}

TEST(Vt52Entry, AnUnknownLetterSwallowsTextUntilACompletionByte) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string row5;
        int row, col;
    } cases[] = {
        {"text vanishes into the sequence", "\x1b" "bhello", "", 5, 5},
        {"until a completion byte, which acts", "\x1b" "bhello\x1b" "Ax", "", 4, 6},
        {"any completion byte acts, wherever it stands", "\x1b" "bxyzAok", "", 4, 7},
        {"an ignored byte ends it too", "\x1b" "bxyz<ok", "     ok", 5, 7},
        {"CR abandons it", "\x1b" "bxyz\rok", "ok", 5, 2},
        {"CAN abandons it", "\x1b" "bxyz\x18ok", "     ok", 5, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Vt52());
        Place(rig, 5, 5);
        rig.Receive(c.bytes);
        EXPECT_EQ(RowText(rig.screen, 5), c.row5);
        EXPECT_EQ(rig.screen.cursorRow, c.row);
        EXPECT_EQ(rig.screen.cursorCol, c.col);
    }
}

TEST(Vt52Entry, KeypadModes) {
    TerminalRig rig(Vt52());
    CountingKeyboard keyboard;
    rig.session.keyboard = &keyboard;
    rig.Receive("\x1b=");
    EXPECT_EQ(rig.modes.keypadApp, 1);
    EXPECT_EQ(keyboard.numLockOn, 1);
    rig.Receive("\x1b>");
    EXPECT_EQ(rig.modes.keypadApp, 0);
    EXPECT_EQ(keyboard.numLockOn, 1);
}

TEST(Vt52CursorAddress, RowAndColumnFromTheTwoBytes) {
    struct Case {
        const char* name;
        std::string bytes;
        int row, col;  // 0-based after
        int rows = 24;
    } cases[] = {
        {"0x25 0x2A is row 6, column 11", "\x1bY\x25\x2A", 5, 10},
        {"space space is home", "\x1bY  ", 0, 0},
        {"row beyond the screen is the last row", "\x1bY\x7F\x21", 23, 1},
        {"taller screens reach further", "\x1bY\x7F\x21", 49, 1, 50},
        {"column 132 is the last cell", "\x1bY\x21\xA3", 1, 131},
        {"column 133 leaves the column", "\x1bY\x21\xA4", 1, 7},
        {"column 0 leaves the column", "\x1bY\x22\x1F", 2, 7},
        {"a row from a control byte is the top row", "\x1bY\x01\x25", 0, 5},
        {"ESC is an address byte, not a restart", "\x1bY\x1b\x25", 0, 5},
        {"Y after an unknown letter addresses too", "\x1b" "bY\x25\x2A", 5, 10},
        {"two in a row", "\x1bY\x25\x2A\x1bY\x21\x21", 1, 1},
        {"a completion byte as an address byte", "\x1bY\x41\x41", 23, 33},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TermOptions o = Vt52();
        o.rows = c.rows;
        TerminalRig rig(o);
        Place(rig, 3, 7);
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.screen.cursorRow, c.row);
        EXPECT_EQ(rig.screen.cursorCol, c.col);
        EXPECT_EQ(rig.screen.EscapeActive, 0);
        EXPECT_EQ(rig.modes.vt52AddressPending, 0);
    }
}

TEST(Vt52CursorAddress, AnAbandonedAddressDoesNotCaptureTheNextSequence) {
    struct Case {
        const char* name;
        std::string bytes;
        int row, col;
    } cases[] = {
        {"CR before the first byte", "\x1bY\rX\x1b" "A", 2, 1},
        {"CR between the bytes", "\x1bY\x25\r\x1b" "A", 2, 0},
        {"CAN before the first byte", "\x1bY\x18\x1b" "B", 4, 7},
        {"and the next ESC Y works", "\x1bY\x25\r\x1bY\x21\x22", 1, 2},
        {"across bursts the address waits", "\x1bY\x25", 3, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Vt52());
        Place(rig, 3, 7);
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.screen.cursorRow, c.row);
        EXPECT_EQ(rig.screen.cursorCol, c.col);
    }
}

TEST(Vt52CursorAddress, BytesMaySplitAcrossBursts) {
    TerminalRig rig(Vt52());
    rig.Receive("\x1bY");
    rig.Receive("\x25");
    EXPECT_EQ(rig.screen.EscapeActive, 1);
    rig.Receive("\x2A" "Q");
    EXPECT_EQ(rig.screen.cursorRow, 5);
    EXPECT_EQ(rig.screen.cursorCol, 11);
    EXPECT_EQ(RowText(rig.screen, 5), "          Q");
}

TEST(Vt52Commands, CursorMoves) {
    struct Case {
        const char* name;
        std::string bytes;
        int row, col;        // before
        int toRow, toCol;    // after
        bool autoWrap = false;
        int marginBottom = 24;
    } cases[] = {
        {"A up", "\x1b" "A", 5, 5, 4, 5},
        {"A stops at the top", "\x1b" "A", 0, 5, 0, 5},
        {"B down", "\x1b" "B", 5, 5, 6, 5},
        {"B stops at the last row", "\x1b" "B", 23, 5, 23, 5},
        {"B stops at the bottom margin", "\x1b" "B", 9, 5, 9, 5, false, 10},
        {"B below the bottom margin does not move", "\x1b" "B", 15, 5, 15, 5, false, 10},
        {"C right", "\x1b" "C", 5, 5, 5, 6},
        {"C runs on past the width without wrap", "\x1b" "C", 5, 79, 5, 80},
        {"C stays at column 131 without wrap", "\x1b" "C", 5, 131, 5, 131},
        {"C wraps at the width", "\x1b" "C", 5, 79, 6, 0, true},
        {"C from past the width wraps", "\x1b" "C", 5, 80, 6, 1, true},
        {"C wraps but not below the bottom margin", "\x1b" "C", 9, 79, 9, 0, true, 10},
        {"D left", "\x1b" "D", 5, 5, 5, 4},
        {"D stops at column 0", "\x1b" "D", 5, 0, 5, 0},
        {"H home", "\x1b" "H", 5, 5, 0, 0},
        {"I up", "\x1b" "I", 5, 5, 4, 5},
        {"repeated", "\x1b" "A\x1b" "A\x1b" "C\x1b" "C\x1b" "C", 5, 5, 3, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Vt52(c.autoWrap));
        rig.screen.marginBottom = c.marginBottom;
        Place(rig, c.row, c.col);
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.screen.cursorRow, c.toRow);
        EXPECT_EQ(rig.screen.cursorCol, c.toCol);
    }
}

TEST(Vt52Commands, ScrollingAndErasing) {
    struct Case {
        const char* name;
        std::string bytes;
        int row, col;
        int marginTop, marginBottom;
        std::vector<std::string> rows;  // rows 0..3
        std::string row9, row10;
        int pushed;
        int toRow, toCol;
    } cases[] = {
        {"I on the top row scrolls down", "\x1b" "I", 0, 3, 1, 24, {"", "r0", "r1", "r2"}, "r8", "r9", 0, 0, 3},
        {"I scrolls from the top row to the bottom margin", "\x1b" "I", 0, 3, 3, 10, {"", "r0", "r1", "r2"}, "r8",
         "r10", 0, 0, 3},
        {"I elsewhere only moves", "\x1b" "I", 2, 3, 1, 24, {"r0", "r1", "r2", "r3"}, "r9", "r10", 0, 1, 3},
        {"J at home pushes the screen into the history", "\x1b" "J", 0, 0, 1, 24, {"", "", "", ""}, "", "", 24, 0,
         0},
        {"J elsewhere erases to the end of the screen", "\x1b" "J", 1, 1, 1, 24, {"r0", "r", "", ""}, "", "", 0, 1,
         1},
        {"K erases to the end of the line", "\x1b" "K", 2, 1, 1, 24, {"r0", "r1", "r", "r3"}, "r9", "r10", 0, 2, 1},
        {"K at column 0 empties the line", "\x1b" "K", 3, 0, 1, 24, {"r0", "r1", "r2", ""}, "r9", "r10", 0, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Vt52());
        FillRows(rig);
        rig.screen.marginTop = c.marginTop;
        rig.screen.marginBottom = c.marginBottom;
        Place(rig, c.row, c.col);
        const int livePos = rig.screen.livePos;
        rig.Receive(c.bytes);
        for (int r = 0; r < 4; ++r) EXPECT_EQ(RowText(rig.screen, r), c.rows[r]) << "row " << r;
        EXPECT_EQ(RowText(rig.screen, 9), c.row9);
        EXPECT_EQ(RowText(rig.screen, 10), c.row10);
        EXPECT_EQ(rig.screen.livePos - livePos, c.pushed);
        EXPECT_EQ(rig.screen.cursorRow, c.toRow);
        EXPECT_EQ(rig.screen.cursorCol, c.toCol);
        EXPECT_EQ(rig.screen.marginTop, c.marginTop);
    }
}

TEST(Vt52Commands, IdentifiesAsVt52) {
    TerminalRig rig(Vt52());
    rig.modes.c1Answers = 1;
    rig.Receive("\x1bZ\x1b" "bZ");
    EXPECT_EQ(Answer(rig), "\x1b/Z\x1b/Z");
}

TEST(Vt52Commands, PrinterController) {
    struct Case {
        const char* name;
        int transparent;
        std::string bytes;
        int active, starts, ends;
        std::string spooled, row0;
    } cases[] = {
        {"W and X around printed text", 1, "\x1bWabc\x1bXD", 0, 1, 1, "abc", "D"},
        {"W leaves it on", 1, "\x1bWabc", 1, 1, 0, "abc", ""},
        {"a second W opens nothing more", 1, "\x1bWab\x1bWc", 1, 1, 0, "abc", ""},
        {"W without transparent print does nothing", 0, "\x1bWabc", 0, 0, 0, "", "abc"},
        {"X with nothing running ends nothing", 1, "\x1bXabc", 0, 0, 0, "", "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TerminalRig rig(Vt52());
        CountingSpool spool;
        rig.session.spool = &spool;
        rig.modes.transparentPrint = c.transparent;
        rig.Receive(c.bytes);
        EXPECT_EQ(rig.pump.PrintControllerActive, c.active);
        EXPECT_EQ(spool.starts, c.starts);
        EXPECT_EQ(spool.ends, c.ends);
        EXPECT_EQ(spool.bytes, c.spooled);
        EXPECT_EQ(RowText(rig.screen, 0), c.row0);
    }
}

TEST(Vt52Commands, PrinterControllerWithoutASpool) {
    TerminalRig rig(Vt52());
    rig.modes.transparentPrint = 1;
    rig.Receive("\x1bW");
    EXPECT_EQ(rig.pump.PrintControllerActive, 1);
    rig.Receive("\x1bX");
    EXPECT_EQ(rig.pump.PrintControllerActive, 0);
}

TEST(Vt52Commands, HasNoRenditionsOrAnsiSequences) {
    TerminalRig rig(Vt52());
    rig.Receive("\x1b[31mA");
    // "[31m" is collected until "A" ends the sequence as cursor up.
    EXPECT_EQ(rig.screen.attr, 0x70);
    EXPECT_EQ(RowText(rig.screen, 0), "");
    EXPECT_EQ(rig.screen.EscapeActive, 0);
}

}  // namespace
}  // namespace palvex
