// Wyse 50: editing sequences (lines, cells, erasing, insert mode), back-tab,
// and the control characters the pump reads differently for this type.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "comm/terminal_rig.h"

namespace palvex {
namespace {

const std::string kEsc = "\x1b";

TermOptions Wyse(int columns = 80, bool autoWrap = false, int scrollRange = 100) {
    TermOptions o;
    o.type = kTypeWyse50;
    o.columns = columns;
    o.autoWrap = autoWrap;
    o.scrollRange = scrollRange;
    return o;
}

std::string At(int row, int col) {
    return kEsc + "=" + static_cast<char>(row + 32) + static_cast<char>(col + 32);
}

// Column 0 of the first `count` rows, '.' for an empty row.
std::string Column0(TerminalScreen& s, int count) {
    std::string out;
    for (int r = 0; r < count; ++r) {
        const std::string text = RowText(s, r);
        out += text.empty() ? '.' : text[0];
    }
    return out;
}

std::string Attrs(TerminalScreen& s, int row, int count) {
    std::string out;
    char hex[4];
    for (int c = 0; c < count; ++c) {
        std::snprintf(hex, sizeof hex, "%02X ", AttrAt(s, row)[c]);
        out += hex;
    }
    return out;
}

TEST(WyseLines, InsertDeleteAndScrollDownWithinTheRegion) {
    struct Case {
        int marginBottom;
        int row;
        std::string sequence;
        const char* rows;
    } cases[] = {
        {24, 1, "E", "A.BCDE"},
        {24, 1, "e", "A.BCDE"},
        {24, 1, "R", "ACDE.."},
        {24, 2, "j", ".ABCDE"},
        {3, 1, "E", "A.BDE."},   // the row pushed past the margin is lost
        {3, 1, "R", "AC.DE."},   // and the one pulled up comes from inside it
        {3, 2, "j", ".ABDE."},
        {3, 4, "E", "ABCDE."},   // below the margin: nothing
        {3, 4, "R", "ABCDE."},
    };
    for (const Case& c : cases) {
        TerminalRig rig(Wyse());
        rig.Receive("A\r\nB\r\nC\r\nD\r\nE");
        rig.screen.marginBottom = c.marginBottom;
        rig.Receive(At(c.row, 3) + kEsc + c.sequence);
        EXPECT_EQ(Column0(rig.screen, 6), c.rows) << c.sequence << " at " << c.row;
        EXPECT_EQ(rig.screen.cursorRow, c.row);
        EXPECT_EQ(rig.screen.cursorCol, 3);
        EXPECT_EQ(rig.screen.livePos, 0) << "nothing enters the history";
        EXPECT_EQ(rig.screen.EscapeActive, 0);
    }
}

TEST(WyseCells, InsertAndDeleteCarryTheAttributes) {
    struct Case {
        int col;
        std::string sequence;
        const char* text;
        int length;
        const char* attrs;
    } cases[] = {
        {2, "Q", "AB CDEF", 7, "70 70 00 F0 F0 70 70 00 "},
        {0, "Q", " ABCDEF", 7, "00 70 70 F0 F0 70 70 00 "},
        {2, "W", "ABDEF", 5, "70 70 F0 70 70 00 00 00 "},
        {2, "w", "ABDEF", 5, "70 70 F0 70 70 00 00 00 "},
        {4, "W", "ABCDF", 5, "70 70 F0 F0 70 00 00 00 "},
        {5, "W", "ABCDEF", 6, "70 70 F0 F0 70 70 00 00 "},  // the last character: nothing
        {9, "W", "ABCDEF", 6, "70 70 F0 F0 70 70 00 00 "},  // past the end: nothing
    };
    for (const Case& c : cases) {
        TerminalRig rig(Wyse());
        rig.Receive("AB" + kEsc + "G4CD" + kEsc + "G0EF" + At(0, c.col) + kEsc + c.sequence);
        EXPECT_EQ(RowText(rig.screen, 0), c.text) << c.sequence << c.col;
        EXPECT_EQ(static_cast<int>(LineAt(rig.screen, 0).length), c.length) << c.sequence << c.col;
        EXPECT_EQ(Attrs(rig.screen, 0, 8), c.attrs) << c.sequence << c.col;
        EXPECT_EQ(rig.screen.cursorCol, c.col);
        EXPECT_EQ(rig.screen.EscapeActive, 0);
    }
}

// Without auto-wrap a line runs on past the width to all 132 cells; the
// inserted cell keeps them and only the last one falls off.
TEST(WyseCells, InsertWorksOnTheWholeLineNotJustTheWidth) {
    TerminalRig rig(Wyse(80));
    std::string full;
    for (int i = 0; i < 132; ++i) full += static_cast<char>('!' + i % 90);
    rig.Receive(full + At(0, 0) + kEsc + "Q");
    EXPECT_EQ(static_cast<int>(LineAt(rig.screen, 0).length), 132);
    EXPECT_EQ(RowText(rig.screen, 0), " " + full.substr(0, 131));
}

TEST(WyseErase, ToLineEndAndToScreenEnd) {
    struct Case {
        std::string sequence;
        const char* row0;
        const char* row1;
        const char* row2;
    } cases[] = {
        {"T", "ABCDEF", "AB", "ABCDEF"},
        {"t", "ABCDEF", "AB", "ABCDEF"},
        {"Y", "ABCDEF", "AB", ""},
        {"y", "ABCDEF", "AB", ""},
        {"GT", "ABCDEF", "ABCDEF", "ABCDEF"},  // ESC G T is an attribute, not an erase
    };
    for (const Case& c : cases) {
        TerminalRig rig(Wyse());
        rig.Receive(kEsc + "G4ABCDEF\r\nABCDEF\r\nABCDEF" + kEsc + "G0" + At(1, 2) + kEsc + c.sequence);
        EXPECT_EQ(RowText(rig.screen, 0), c.row0) << c.sequence;
        EXPECT_EQ(RowText(rig.screen, 1), c.row1) << c.sequence;
        EXPECT_EQ(RowText(rig.screen, 2), c.row2) << c.sequence;
        if (c.sequence != "GT") {
            EXPECT_EQ(static_cast<int>(LineAt(rig.screen, 1).length), 2);
            EXPECT_EQ(AttrAt(rig.screen, 1)[2], 0) << "erased cells take attribute 0";
        }
        EXPECT_EQ(rig.screen.cursorRow, 1);
        EXPECT_EQ(rig.screen.cursorCol, 2);
    }
    // Erasing from home blanks the screen without pushing it into the history.
    TerminalRig rig(Wyse());
    rig.Receive("ABC\r\nDEF" + At(0, 0) + kEsc + "Y");
    EXPECT_EQ(RowText(rig.screen, 0), "");
    EXPECT_EQ(RowText(rig.screen, 1), "");
    EXPECT_EQ(rig.screen.livePos, 0);
}

TEST(WyseInsertMode, QSwitchesItOnAndRSwitchesItOff) {
    TerminalRig rig(Wyse());
    rig.Receive("ABC" + At(0, 1) + kEsc + "qX");
    EXPECT_EQ(rig.screen.insertMode, 1);
    EXPECT_EQ(RowText(rig.screen, 0), "AXBC");
    rig.Receive(kEsc + "rY");
    EXPECT_EQ(rig.screen.insertMode, 0);
    EXPECT_EQ(RowText(rig.screen, 0), "AXYC");
}

TEST(WyseBackTab, ToTheStopAtOrBeforeTheCursor) {
    struct Case {
        int from, to;
    } cases[] = {{0, 0}, {1, 0}, {7, 0}, {8, 8}, {9, 8}, {17, 16}, {79, 72}};
    for (const Case& c : cases) {
        for (const char* letter : {"I", "i"}) {
            TerminalRig rig(Wyse());
            rig.Receive(At(3, c.from) + kEsc + letter);
            EXPECT_EQ(rig.screen.cursorCol, c.to) << letter << c.from;
            EXPECT_EQ(rig.screen.cursorRow, 3);
        }
    }
    // Without auto-wrap text runs on past the last column; the stop found
    // there is brought back onto the screen.
    TerminalRig rig(Wyse());
    rig.Receive(std::string(100, 'x') + kEsc + "I");
    EXPECT_EQ(rig.screen.cursorCol, 79);
}

TEST(WyseControls, FormFeedWrapsOnlyWithAutoWrap) {
    TerminalRig rig(Wyse(80, true));
    rig.Receive(std::string(78, 'x') + "\x0c");
    EXPECT_EQ(rig.screen.cursorCol, 79);
    rig.Receive("\x0c");
    EXPECT_EQ(rig.screen.cursorRow, 1);
    EXPECT_EQ(rig.screen.cursorCol, 0);
    rig.Receive("Z");
    EXPECT_EQ(RowText(rig.screen, 1), "Z");
}

}  // namespace
}  // namespace palvex
