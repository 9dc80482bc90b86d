// Malformed and hostile sequences for every emulator: huge and negative
// parameters, sequences at the length limit, a cursor already past the edge,
// margins left behind by another emulator, and random streams. Nothing may
// crash, hang, or leave the cursor or a line outside the buffer, and the
// emulator must still obey the next command.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "terminal/dec_term_rig.h"

namespace palvex {
namespace {

using namespace std::string_literals;
using testing::Show;
using testing::Term;

const int kEmulators[] = {kTypeVt100, kTypeVt100Color, kTypeVt52,   kTypeVt102,
                          kTypeVt220, kTypeVt320,      kTypeWyse50, kTypeScoAnsi};

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

void ExpectInBounds(Term& t, bool marginsToo, const std::string& what) {
    const TerminalScreen& s = t.rig.screen;
    ASSERT_GE(s.cursorRow, 0) << what;
    ASSERT_LT(s.cursorRow, s.rows) << what;
    ASSERT_GE(s.cursorCol, 0) << what;
    ASSERT_LE(s.cursorCol, kLineCells) << what;
    ASSERT_GE(s.EscapeLength, 0) << what;
    ASSERT_LE(s.EscapeLength, kEscapeCapacity) << what;
    if (marginsToo) {
        ASSERT_GE(s.marginTop, 1) << what;
        ASSERT_LE(s.marginBottom, s.rows) << what;
    }
    for (int r = 0; r < s.rows; ++r) {
        ASSERT_GE(t.Length(r), 0) << what << " row " << r;
        ASSERT_LE(t.Length(r), kLineCells) << what << " row " << r;
    }
}

// A cursor address to row 7, column 1 in the type's own form.
std::string AddressRow7(int type) {
    if (type == kTypeVt52) return "\x1bY& ";
    if (type == kTypeWyse50) return "\x1b=& ";
    return "\x1b[7;1H";
}

const std::string kHostile[] = {
    "\x1b[99999999999999999999A\x1b[99999999999999999999B\x1b[99999999999999999999C\x1b[-2147483649D",
    "\x1b[99999999999999999999;99999999999999999999H", "\x1b[-2147483648;-2147483648H\x1b[-1;-1f",
    "\x1b[99999999999;99999999999r\x1b[-5;-9r", "\x1b[99999999999;-31;4294967327;40m",
    "\x1b[99999999999J\x1b[-1K\x1b[4294967302n\x1b[?99999999999h\x1b[99999999999s\x1b[99999999999u",
    "\x1b[-5P\x1b[99999999999P\x1b[-5@\x1b[99999999999@\x1b[-5X\x1b[99999999999X",
    "\x1b[-5L\x1b[99999999999L\x1b[-5M\x1b[99999999999M\x1b[99999999999S\x1b[99999999999E",
    "\x1b[" + Repeat("1;", 200) + "mX", "\x1b[" + Repeat(";", 300) + "H",
    "\x1b[" + std::string(400, '9') + "C", "\x1b[?" + std::string(250, '3') + "h",
    "\x1b(H\x1b)A\x1b#C\x1b*D\x1b ?J\x1b!K\x1b\"m\x1b(\x1b)\x1b#", "\x1b[\x01\x02\x07\x08\x09\x0b\x0c\x0e\x0f" "5C",
    "\x1b[\x9b\xff\x80" "2J\x1b[\xc0m\x1b[\x9b\x9b\x9b" "5n", "\x1b[5;\x1b[;;;;H\x1b[\0\0H"s,
    Repeat("\x1b[\x1b(\x1b#", 50) + "\x1b[H", "\x1b[H" + Repeat("\x1bM\x1bI", 120),
    "\x1b[99H" + Repeat("\x1b" "D", 120),
    Repeat("\x1b[2J\x1b[J\x1b[1J\x1bH\x1bJ\x1bK\x1b*\x1bY", 20),
    "\x1b[?7l" + std::string(200, 'x') +
        "\x1b[m\x1b[K\x1b[1K\x1b[6n\x1b[s\x1b[u\x1b" "7\x1b" "8\x1b[C\x1b" "D\x1bQ\x1bW",
    // VT52 and Wyse addresses: top of the range, controls, cut short, after the length limit.
    "\x1bY\xff\xff\x1bY\x00\x00\x1bY\x1f\x7f\x1b=\xff\xff\x1b=\x00\x00"s, "\x1bY\x30",
    "\x1b" "b" + std::string(260, 'q') + "Y\x30\x30", "\x1b" "b" + std::string(400, 'q') + "after",
    Repeat("\x1b" "C", 300) + Repeat("\x1b" "A\x1b" "D", 200), Repeat("\x1b=\x1b>\x1bW\x1bX\x1bZ\x1b[5i\x1b[4i", 20),
    "\x1bP" + std::string(300, 'k') + "\x1b\\", "\x90" + std::string(300, 'k'),
};

TEST(HostileInput, SequencesOnSpoiledStateStayInsideAndLeaveTheEmulatorWorking) {
    // Margins another emulator may have left: none, inverted, below the screen, zero, negative.
    const int margins[][2] = {{1, 24}, {20, 10}, {30, 40}, {0, 0}, {-5, -1}};
    for (int type : kEmulators) {
        for (int columns : {80, 132}) {
            for (const auto& m : margins) {
                for (const std::string& seq : kHostile) {
                    const std::string what = std::to_string(type) + "/" + std::to_string(columns) + " margins " +
                                             std::to_string(m[0]) + "," + std::to_string(m[1]) + " " + Show(seq);
                    Term t(type, columns, 24, columns == 132, 24);  // no history: the ring is the screen
                    t.rig.modes.transparentPrint = 1;
                    t.rig.screen.marginTop = m[0];
                    t.rig.screen.marginBottom = m[1];
                    t.Lettered().At(23, columns - 1).Feed("xyz" + seq + "text" + seq);
                    ExpectInBounds(t, m[0] == 1, what);
                    t.Feed("\r\x18" + AddressRow7(type));
                    ASSERT_EQ(t.CursorRow(), 6) << what << ": the next command is obeyed";
                    ASSERT_EQ(t.CursorCol(), 0) << what;
                }
            }
        }
    }
}

TEST(HostileInput, RandomStreamsKeepEverythingInBounds) {
    // Streams built from the bytes the emulators react to, on small and large
    // screens, with the cursor, the width and the region changed by the stream itself.
    const char alphabet[] =
        "0123456789;?\"> (#)*PNO[ABCDEFGHIJKLMPQRSTWXYZcfhijlmnqrsuy=+@"
        "\x1b\x84\x85\x8d\x8f\x90\x9b\x9c\r\n\b\t\x0c\x1axy";
    std::mt19937 gen(1234);
    for (int type : kEmulators) {
        for (int columns : {80, 132}) {
            Term t(type, columns, columns == 80 ? 24 : 40, gen() % 2 == 0, 60);
            std::string stream;
            for (int i = 0; i < 20000; ++i) {
                if (gen() % 4 == 0) stream += "\x1b[";
                stream += alphabet[gen() % (sizeof alphabet - 1)];
            }
            for (std::size_t at = 0; at < stream.size(); at += 97) {
                t.Feed(stream.substr(at, 97));
                ExpectInBounds(t, true, std::to_string(type) + " at " + std::to_string(at));
            }
        }
    }
}

}  // namespace
}  // namespace palvex
