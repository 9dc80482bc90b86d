// Wyse 50: how the collector opens and ends sequences, cursor addressing,
// attributes and the clears that push the screen into the history.
#include <gtest/gtest.h>

#include <string>

#include "comm/terminal_rig.h"

namespace palvex {
namespace {

const std::string kEsc = "\x1b";

TermOptions Wyse(int rows = 24, int scrollRange = 100) {
    TermOptions o;
    o.type = kTypeWyse50;
    o.rows = rows;
    o.scrollRange = scrollRange;
    return o;
}

TEST(WyseAddress, TwoBiasedBytesPlaceTheCursor) {
    struct Case {
        std::string input;
        int row, col;
    } cases[] = {
        {kEsc + "=!(", 1, 8},
        {kEsc + "=  ", 0, 0},
        {kEsc + "=7o", 23, 79},                 // last row, last column
        {kEsc + "=\x7f!", 23, 1},               // row past the screen: last row
        {kEsc + "=\xff!", 23, 1},
        {kEsc + "=\x05!", 0, 1},                // row below the bias: top row
        {"ABC" + kEsc + "=\"p", 2, 6},          // column 80 is off the screen: kept
        {"ABC" + kEsc + "=\"\x1f", 2, 6},       // so is column -1
        {"AB" + kEsc + "=" + kEsc + "(", 0, 8}, // an ESC is just a coordinate here
        {kEsc + "=**", 10, 10},                 // and so are bytes the table acts on
        {kEsc + "==R", 23, 50},
    };
    for (const Case& c : cases) {
        TerminalRig rig(Wyse());
        rig.Receive("top");
        rig.Receive(c.input);
        EXPECT_EQ(rig.screen.cursorRow, c.row) << c.input;
        EXPECT_EQ(rig.screen.cursorCol, c.col) << c.input;
        EXPECT_EQ(rig.screen.EscapeActive, 0) << c.input;
        EXPECT_EQ(RowText(rig.screen, 0).substr(0, 3), "top") << "nothing but the move: " << c.input;
        rig.Receive("X");
        EXPECT_EQ(LineAt(rig.screen, c.row).text[c.col], 'X') << c.input;
    }
}

TEST(WyseAddress, AnAbandonedAddressLeavesTheNextSequenceAlone) {
    for (const char* cut : {"\r", "\x18"}) {
        for (const std::string& partial : {kEsc + "=", kEsc + "=!"}) {
            TerminalRig rig(Wyse());
            rig.Receive("keep" + partial + cut + kEsc + "*");
            EXPECT_EQ(RowText(rig.screen, 0), "") << "the ESC * still clears";
            EXPECT_EQ(RowText(rig.screen, -24), "keep");
            EXPECT_EQ(rig.screen.EscapeActive, 0);
        }
    }
}

TEST(WyseSequence, WhichBytesEndItAndWhichKeepItOpen) {
    struct Case {
        std::string input;
        const char* row0;
        int col;
        int open;
    } cases[] = {
        {"AB" + kEsc + "G2", "AB", 2, 1},          // unknown attribute: open
        {"AB" + kEsc + "G2 abc", "AB", 2, 1},      // swallowing what follows
        {"AB" + kEsc + "G2abc(X", "ABX", 3, 0},    // until a byte that ends it
        {"AB" + kEsc + "48xJ", "AB", 2, 1},        // 4 and 8 outside ESC G: collected
        {"AB" + kEsc + "x" + kEsc + "(X", "ABX", 3, 0},  // ESC restarts the collector
        {"AB" + kEsc + "x\rX", "XB", 1, 0},        // CR abandons it
    };
    for (const Case& c : cases) {
        TerminalRig rig(Wyse());
        rig.Receive(c.input);
        EXPECT_EQ(RowText(rig.screen, 0), c.row0) << c.input;
        EXPECT_EQ(rig.screen.cursorCol, c.col) << c.input;
        EXPECT_EQ(rig.screen.EscapeActive, c.open) << c.input;
    }
    // These end the sequence and do nothing ("0" only acts as ESC G 0).
    for (char b : std::string("(1679:CF0")) {
        TerminalRig rig(Wyse());
        rig.Receive("AB" + kEsc + b + "X");
        EXPECT_EQ(RowText(rig.screen, 0), "ABX") << b;
        EXPECT_EQ(rig.screen.attr, 0x70) << b;
        EXPECT_EQ(rig.screen.EscapeActive, 0) << b;
    }
}

TEST(WyseAttribute, EscGChangesAttrAndTheCellUnderTheCursor) {
    struct Case {
        uint8_t attr;
        int bold;
        std::string input;
        uint8_t attrAfter;
        int boldAfter;
        uint8_t cell;  // the cell under the cursor, written as 0x70
    } cases[] = {
        {0x70, 0, kEsc + "G4", 0xF0, 1, 0xF0},
        {0x70, 0, kEsc + "G8", 0xF0, 1, 0xF0},
        {0x70, 0, kEsc + "GT", 0xF0, 1, 0xF0},
        {0x70, 0, kEsc + "Gt", 0xF0, 1, 0xF0},
        {0x17, 0, kEsc + "G4", 0x97, 1, 0x97},
        {0x97, 1, kEsc + "G4", 0x97, 1, 0x97},           // already bright: no second step
        {0xF0, 1, kEsc + "G0", 0x70, 0, 0x70},
        {0xF0, 1, kEsc + "G2" + kEsc + "G0", 0x70, 0, 0x70},  // ESC in the open one restarts it
        {0xF0, 1, kEsc + "G20", 0xF0, 1, 0x70},          // ESC G 2 0 is not ESC G 0
        {0x17, 0, kEsc + "G24", 0x17, 0, 0x70},          // nor ESC G 2 4 ESC G 4
    };
    for (const Case& c : cases) {
        TerminalRig rig(Wyse());
        rig.Receive("XYZ\b\b");
        rig.screen.attr = c.attr;
        rig.screen.bold = c.bold;
        rig.Receive(c.input);
        EXPECT_EQ(rig.screen.attr, c.attrAfter) << c.input;
        EXPECT_EQ(rig.screen.bold, c.boldAfter) << c.input;
        const uint8_t* attrs = AttrAt(rig.screen, 0);
        EXPECT_EQ(attrs[0], 0x70) << c.input;
        EXPECT_EQ(attrs[1], c.cell) << c.input;
        EXPECT_EQ(attrs[2], 0x70) << c.input;
        EXPECT_EQ(RowText(rig.screen, 0), "XYZ") << c.input;
    }
}

TEST(WyseAttribute, FollowingTextIsBrightUntilEscG0) {
    TerminalRig rig(Wyse());
    rig.Receive("a" + kEsc + "G4b" + kEsc + "G0c");
    const uint8_t* attrs = AttrAt(rig.screen, 0);
    EXPECT_EQ(attrs[0], 0x70);
    EXPECT_EQ(attrs[1], 0xF0);
    EXPECT_EQ(attrs[2], 0x70);
    EXPECT_EQ(RowText(rig.screen, 0), "abc");
}

TEST(WyseClear, TheScreenGoesIntoTheHistory) {
    for (const std::string& clear : {kEsc + "*", kEsc + "+", std::string("\x1a")}) {
        TerminalRig rig(Wyse());
        rig.Receive("row0\r\n" + kEsc + "G4row1\r\nrow2");
        const int topBefore = rig.screen.liveTop;
        rig.Receive(clear);
        for (int r = 0; r < 24; ++r) EXPECT_EQ(RowText(rig.screen, r), "") << r;
        EXPECT_EQ(AttrAt(rig.screen, 1)[0], 0);
        EXPECT_EQ(rig.screen.cursorRow, 0);
        EXPECT_EQ(rig.screen.cursorCol, 0);
        EXPECT_EQ(rig.screen.liveTop, topBefore + 24);
        EXPECT_EQ(rig.screen.livePos, 24);
        EXPECT_EQ(rig.screen.oldest, 0);
        EXPECT_EQ(RowText(rig.screen, -24), "row0");
        EXPECT_EQ(RowText(rig.screen, -23), "row1");
        EXPECT_EQ(AttrAt(rig.screen, -23)[0], 0xF0) << "history keeps the attributes";
        EXPECT_EQ(RowText(rig.screen, -22), "row2");
        EXPECT_EQ(rig.screen.EscapeActive, 0);
        rig.Receive("Z");
        EXPECT_EQ(RowText(rig.screen, 0), "Z");
    }
}

TEST(WyseClear, WithoutRoomForHistoryTheScreenIsStillBlanked) {
    TerminalRig rig(Wyse(24, 24));
    rig.Receive("row0\r\nrow1" + kEsc + "+");
    EXPECT_EQ(RowText(rig.screen, 0), "");
    EXPECT_EQ(RowText(rig.screen, 1), "");
    EXPECT_EQ(rig.screen.livePos, 0);
}

}  // namespace
}  // namespace palvex
