// The VT100 emulator, for "VT100" and "VT100(Ansi Color)": a subset of the
// VT220's sequences with its own renditions, answers and saved cursor. The
// colour type honours the ANSI colours and has no line-drawing set.
//
// Every byte of a sequence passes through the entry, so it decides with one
// table look-up; the executor reads its parameters where they were collected.
#include "terminal/vt100.h"

#include <array>

#include "comm/session.h"
#include "terminal/dec_common.h"
#include "terminal/emulators.h"
#include "terminal/vt220.h"

namespace palvex {
namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr char kIdentity[] = "\x1b[?1;2c";
constexpr char kStatusOk[] = "\x1b[0n";

enum class Byte100 : uint8_t {
    Collect,
    Restart,
    Execute,
    Ignore,
    Designate,    // "0": ESC ( 0 / ESC ) 0
    LineSize,     // "3".."6": ESC # n
    Save,         // "7"
    Restore,      // "8"
    KeypadApp,
    KeypadNumeric,
    TabSet,       // "H": ESC H sets a tab stop (ignored), anything else is a final
};

constexpr std::array<Byte100, 256> MakeByteTable() {
    std::array<Byte100, 256> t{};
    t[kEsc] = Byte100::Restart;
    t['0'] = Byte100::Designate;
    for (uint8_t b = '3'; b <= '6'; ++b) t[b] = Byte100::LineSize;
    t['7'] = Byte100::Save;
    t['8'] = Byte100::Restore;
    for (uint8_t b : {'<', '@', 'g', '\\'}) t[b] = Byte100::Ignore;
    t['='] = Byte100::KeypadApp;
    t['>'] = Byte100::KeypadNumeric;
    t['H'] = Byte100::TabSet;
    for (uint8_t b : {'A', 'B', 'C', 'D', 'E', 'J', 'K', 'L', 'M', 'P', 'Z', 'c', 'f', 'h', 'i', 'l', 'm', 'n', 'r',
                      's', 'u'})
        t[b] = Byte100::Execute;
    return t;
}
constexpr std::array<Byte100, 256> kByteTable = MakeByteTable();

// Collected byte `i` (byte 0 is the ESC), or 0 past what has been collected:
// the buffer still holds bytes of earlier sequences there.
inline uint8_t Collected(const TerminalScreen& sc, int i) { return i < sc.EscapeLength ? sc.EscapeBuffer[i] : 0; }

// ESC ( 0 / ESC ) 0. Returns false while the "0" is only part of a parameter.
bool Designate(Session& s) {
    TerminalScreen& sc = s.screen;
    if (Collected(sc, 2) != '0') return false;
    switch (Collected(sc, 1)) {
        case '(':
        case ')':
            if (s.TerminalType() != kTypeVt100Color) sc.graphics[Collected(sc, 1) == ')' ? 1 : 0] = 1;
            return true;
        case '*':
        case '+':
        case '-':
        case '.':
        case '/':
            return true;
        default:
            return false;
    }
}

}  // namespace

void Vt100Execute(Session& s, const uint8_t* bytes, int count) {
    if (count < 1) return;
    TerminalScreen& sc = s.screen;
    TerminalModes& m = s.modes;
    const dec::EscText t = dec::TextOf(bytes, count);
    switch (bytes[count - 1]) {
        case 'A':
        case 'B':
        case 'C':
        case 'D':
        case 'E':
        case 'H':
        case 'f':
        case 'r':
        case 'i':
            // The VT220's rows, unchanged.
            Vt220Execute(s, bytes, count);
            break;
        case 'h':
        case 'l':
            // Everything but the VT220's 132-column switch, which its chain of
            // byte tests would reach with a "3" third and no "4" second.
            if (t[2] != '3' || t[1] == '4') Vt220Execute(s, bytes, count);
            break;
        case 'J':
            // No selective erase on a VT100: the "?" forms are not its own.
            if (t[1] != '?') dec::EraseInDisplay(sc, dec::NumberAt(t, 1));
            break;
        case 'K':
            if (t[1] != '?') dec::EraseInLine(sc, dec::NumberAt(t, 1));
            break;
        case 'm':
            dec::SelectGraphicRendition(sc, m, t, 1,
                                        s.TerminalType() == kTypeVt100Color ? dec::Renditions::Vt100Color
                                                                            : dec::Renditions::Vt100);
            break;
        case 'n':
            // Always 7-bit: a VT100 knows no 8-bit controls.
            switch (dec::NumberAt(t, 1)) {
                case 5:
                    dec::SendAnswer(s, kStatusOk, false);
                    break;
                case 6:
                    dec::SendCursorPosition(s, false);
                    break;
                default:
                    break;
            }
            break;
        case 'c':
            if (t.length <= 1) dec::SendAnswer(s, kIdentity, false);
            break;
        case 'Z':
            dec::SendAnswer(s, kIdentity, false);
            break;
        case 'M':
            // Delete lines is not a VT100 command; the host that sends it gets
            // the reverse index the final stands for alone.
            dec::ReverseIndex(sc);
            break;
        case 's':
            dec::SaveCursor(sc, m.vt100SavedCol, m.vt100SavedRow);
            break;
        case 'u':
            dec::RestoreCursor(sc, m.vt100SavedCol, m.vt100SavedRow);
            break;
        default:  // L and P among them: insert and delete are not VT100 commands
            break;
    }
}

namespace {

// The bytes that end or restart a sequence; kept out of line so that the
// parameter bytes, most of what passes the entry, return at once.
[[gnu::noinline]] void Complete(Session& s, Byte100 kind) {
    TerminalScreen& sc = s.screen;
    switch (kind) {
        case Byte100::Collect:
            return;
        case Byte100::Restart:
            sc.EscapeBuffer[0] = kEsc;
            sc.EscapeLength = 1;
            return;
        case Byte100::Execute:
            Vt100Execute(s, sc.EscapeBuffer + 1, sc.EscapeLength - 1);
            break;
        case Byte100::Ignore:
            break;
        case Byte100::Designate:
            if (!Designate(s)) return;
            break;
        case Byte100::LineSize:
            if (Collected(sc, 1) != '#') return;
            break;
        case Byte100::Save:
            if (Collected(sc, 1) != '7') return;
            dec::SaveCursor(sc, sc.savedCol, sc.savedRow);
            break;
        case Byte100::Restore:
            if (Collected(sc, 1) != '8') return;
            dec::RestoreCursor(sc, sc.savedCol, sc.savedRow);
            dec::MoveCaret(sc);
            break;
        case Byte100::KeypadApp:
            dec::KeypadApplication(s);
            break;
        case Byte100::KeypadNumeric:
            dec::KeypadNumeric(s);
            break;
        case Byte100::TabSet:
            if (sc.EscapeLength != 2) Vt100Execute(s, sc.EscapeBuffer + 1, sc.EscapeLength - 1);
            break;
    }
    EndSequence(s);
}

}  // namespace

void Vt100Entry(Session& s, uint8_t b) {
    const Byte100 kind = kByteTable[b];
    if (kind == Byte100::Collect) return;
    // Digits end only the short forms ESC ( 0, ESC # n, ESC 7 and ESC 8; after
    // "[" they are parameters, by far the most common case.
    if (kind >= Byte100::Designate && kind <= Byte100::Restore && s.screen.EscapeBuffer[1] == '[') return;
    Complete(s, kind);
}

}  // namespace palvex
