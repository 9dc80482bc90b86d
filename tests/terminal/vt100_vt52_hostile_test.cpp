// Malformed and hostile sequences for the VT100 and VT52 emulators: huge and
// negative parameters, sequences at the length limit, a cursor already past
// the edge, and screen state left behind by another emulator. Nothing may
// crash, hang, or leave the cursor or a line outside the buffer.
#include <gtest/gtest.h>

#include <string>

#include "comm/terminal_rig.h"

namespace palvex {
namespace {

using namespace std::string_literals;

void ExpectInsideTheBuffer(TerminalRig& rig) {
    TerminalScreen& sc = rig.screen;
    EXPECT_GE(sc.cursorRow, 0);
    EXPECT_LT(sc.cursorRow, sc.rows);
    EXPECT_GE(sc.cursorCol, 0);
    EXPECT_LE(sc.cursorCol, kLineCells);
    for (int r = 0; r < sc.rows; ++r) {
        const int length = LineAt(sc, r).length;
        EXPECT_GE(length, 0) << "row " << r;
        EXPECT_LE(length, kLineCells) << "row " << r;
    }
    EXPECT_GE(sc.EscapeLength, 0);
    EXPECT_LE(sc.EscapeLength, kEscapeCapacity);
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

struct Hostile {
    const char* name;
    std::string bytes;
};

const Hostile kVt100Cases[] = {
    {"huge counts", "\x1b[99999999999999999999A\x1b[99999999999999999999B\x1b[99999999999999999999C"
                    "\x1b[99999999999999999999D"},
    {"huge position", "\x1b[99999999999999999999;99999999999999999999H"},
    {"negative position", "\x1b[-2147483648;-2147483648H\x1b[-1;-1f"},
    {"huge region", "\x1b[99999999999;99999999999r\x1b[-5;-9r"},
    {"huge renditions", "\x1b[99999999999;-31;4294967327;40m"},
    {"huge erase and status", "\x1b[99999999999J\x1b[-1K\x1b[4294967302n"},
    {"huge modes", "\x1b[?99999999999h\x1b[99999999999l"},
    {"huge save and restore", "\x1b[99999999999s\x1b[99999999999u"},
    {"many rendition fields", "\x1b[" + Repeat("1;31;44;", 30) + "0m"},
    {"a sequence over the length limit", "\x1b[" + Repeat("1;", 200) + "mX"},
    {"only separators to the limit", "\x1b[" + Repeat(";", 300) + "H"},
    {"parameters to the limit", "\x1b[" + std::string(400, '9') + "C"},
    {"finals with every intermediate", "\x1b(H\x1b)A\x1b#C\x1b*D\x1b ?J\x1b!K\x1b\"m"},
    {"control bytes inside", "\x1b[\x01\x02\x07\x08\x09\x0b\x0c\x0e\x0f" "5C"},
    {"bit-7 bytes inside", "\x1b[\x9b\xff\x80" "2J\x1b[\xc0m"},
    {"nested ESC everywhere", Repeat("\x1b[\x1b(\x1b#", 50) + "\x1b[H"},
    {"cursor past the edge, then everything", "\x1b[?7l" + std::string(200, 'x') +
                                                 "\x1b[m\x1b[K\x1b[1K\x1b[6n\x1b[s\x1b[u\x1b" "7\x1b" "8\x1b[C\x1b" "D"},
    {"reverse index storm at the top", "\x1b[H" + Repeat("\x1bM", 120)},
    {"index storm at the bottom", "\x1b[99H" + Repeat("\x1b" "D", 120)},
    {"erase storm", Repeat("\x1b[2J\x1b[J\x1b[1J", 20)},
};

TEST(Vt100Hostile, NothingLeavesTheBuffer) {
    for (int type : {kTypeVt100, kTypeVt100Color}) {
        for (int columns : {80, 132}) {
            for (const Hostile& c : kVt100Cases) {
                SCOPED_TRACE(::testing::Message() << c.name << " type " << type << " columns " << columns);
                TermOptions o;
                o.type = type;
                o.columns = columns;
                o.autoWrap = true;
                o.rows = 24;
                o.scrollRange = 24;  // no history: the ring is the screen
                TerminalRig rig(o);
                rig.Receive(c.bytes);
                ExpectInsideTheBuffer(rig);
                rig.Receive("\rtext after\n");
                ExpectInsideTheBuffer(rig);
            }
        }
    }
}

TEST(Vt100Hostile, MarginsLeftByAnotherEmulator) {
    struct Case {
        const char* name;
        int top, bottom;
    } cases[] = {{"inverted", 20, 10}, {"below the screen", 30, 40}, {"zero", 0, 0}, {"negative", -5, -1}};
    for (const Case& c : cases) {
        for (int type : {kTypeVt100, kTypeVt52}) {
            SCOPED_TRACE(::testing::Message() << c.name << " type " << type);
            TermOptions o;
            o.type = type;
            TerminalRig rig(o);
            rig.screen.marginTop = c.top;
            rig.screen.marginBottom = c.bottom;
            for (int row : {0, 9, 10, 19, 23}) {
                rig.screen.cursorRow = row;
                rig.Receive("\x1bM\x1b" "D\x1b" "E\x1bI\x1b" "B\x1b" "C\x1bJ\x1b[J\x1b[2J");
                ExpectInsideTheBuffer(rig);
            }
        }
    }
}

TEST(Vt52Hostile, AddressesAndCommandsStayInside) {
    const Hostile cases[] = {
        {"address bytes at the top of the range", "\x1bY\xff\xff"},
        {"address bytes that are controls", "\x1bY\x00\x00\x1bY\x1f\x7f"s},
        {"address cut short at the end", "\x1bY\x30"},
        {"a Y after the length limit", "\x1b" "b" + std::string(260, 'q') + "Y\x30\x30"},
        {"an unknown letter to the limit", "\x1b" "b" + std::string(400, 'q') + "after"},
        {"right storm without wrap", Repeat("\x1b" "C", 300)},
        {"up and left storms", Repeat("\x1b" "A\x1b" "D", 200)},
        {"reverse line feed storm", Repeat("\x1bI", 100)},
        {"erase storm", Repeat("\x1bH\x1bJ\x1bK", 30)},
        {"keypad and printer noise", Repeat("\x1b=\x1b>\x1bW\x1bX\x1bZ", 20)},
    };
    for (bool autoWrap : {false, true}) {
        for (const Hostile& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.name << (autoWrap ? " with wrap" : ""));
            TermOptions o;
            o.type = kTypeVt52;
            o.autoWrap = autoWrap;
            o.scrollRange = 24;
            TerminalRig rig(o);
            rig.modes.transparentPrint = 1;
            rig.Receive(c.bytes);
            ExpectInsideTheBuffer(rig);
            rig.Receive("\rtext after\n");
            ExpectInsideTheBuffer(rig);
            // Whatever was left half done, the next command is a command.
            rig.screen.cursorRow = 5;
            rig.Receive("\x1b" "B");
            EXPECT_EQ(rig.screen.cursorRow, 6);
        }
    }
}

}  // namespace
}  // namespace palvex
