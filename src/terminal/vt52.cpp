// The VT52 emulator: single-letter escapes, the ESC Y cursor address and the
// printer controller. It has no renditions; its text takes whatever attribute
// is current.
#include "terminal/vt52.h"

#include <algorithm>
#include <array>

#include "comm/session.h"
#include "terminal/dec_common.h"
#include "terminal/emulators.h"

namespace palvex {
namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kAddressBias = 31;  // a space addresses row or column 1

enum class Byte52 : uint8_t { Collect, Restart, Execute, Ignore, KeypadApp, KeypadNumeric, Address };

constexpr std::array<Byte52, 256> MakeByteTable() {
    std::array<Byte52, 256> t{};
    t[kEsc] = Byte52::Restart;
    for (uint8_t b : {'A', 'B', 'C', 'D', 'H', 'I', 'J', 'K', 'W', 'X', 'Z'}) t[b] = Byte52::Execute;
    for (uint8_t b : {'<', 'V', ']', '^', '_'}) t[b] = Byte52::Ignore;
    t['='] = Byte52::KeypadApp;
    t['>'] = Byte52::KeypadNumeric;
    t['Y'] = Byte52::Address;
    return t;
}
constexpr std::array<Byte52, 256> kByteTable = MakeByteTable();

int BottomMarginRow(const TerminalScreen& sc) {
    return std::clamp(static_cast<int>(sc.marginBottom), 1, std::max(static_cast<int>(sc.rows), 1)) - 1;
}

// ESC Y row column: the last two bytes of the collector.
void AddressCursor(TerminalScreen& sc) {
    const int row = sc.EscapeBuffer[sc.EscapeLength - 2] - kAddressBias;
    const int col = sc.EscapeBuffer[sc.EscapeLength - 1] - kAddressBias;
    // Rows below 1 come only from control bytes; they address the top row
    // rather than a row that does not exist.
    sc.cursorRow = std::clamp(row, 1, dec::LastRow(sc) + 1) - 1;
    if (col >= 1 && col <= kLineCells) sc.cursorCol = col - 1;
}

// ESC I on the top row scrolls from the top row, whatever top margin another
// emulator left behind, down to the bottom margin.
void ReverseLineFeed(TerminalScreen& sc) {
    if (sc.cursorRow > 0) {
        --sc.cursorRow;
        return;
    }
    const int savedTop = sc.marginTop;
    sc.marginTop = 1;
    dec::ScrollRegionDownShown(sc);
    sc.marginTop = savedTop;
}

void StartPrinterController(Session& s) {
    if (!s.modes.transparentPrint || s.pump.PrintControllerActive) return;
    s.pump.PrintControllerActive = 1;
    if (s.spool) s.spool->Start();
}

void StopPrinterController(Session& s) {
    if (s.pump.PrintControllerActive && s.spool) s.spool->End();
    s.pump.PrintControllerActive = 0;
}

}  // namespace

void Vt52Execute(Session& s, const uint8_t* bytes, int count) {
    if (count < 1) return;
    TerminalScreen& sc = s.screen;
    switch (bytes[count - 1]) {
        case 'A':
            dec::CursorUp(sc, 1);
            break;
        case 'B':
            dec::CursorDown(sc, 1, BottomMarginRow(sc));
            break;
        case 'C':
            // Without auto-wrap the cursor may run on past the width, up to
            // the line's last cell.
            dec::CursorRight(sc, 1, BottomMarginRow(sc), kLineCells - 1);
            break;
        case 'D':
            dec::CursorLeft(sc, 1);
            break;
        case 'H':
            dec::CursorHome(sc);
            break;
        case 'I':
            ReverseLineFeed(sc);
            break;
        case 'J':
            dec::EraseInDisplay(sc, 0);
            break;
        case 'K':
            dec::EraseInLine(sc, 0);
            break;
        case 'Z':
            dec::SendAnswer(s, "\x1b/Z", false);
            break;
        case 'W':
            StartPrinterController(s);
            break;
        case 'X':
            StopPrinterController(s);
            break;
        default:  // "Y" is the entry's, and anything else is not a VT52 command
            break;
    }
}

void Vt52Entry(Session& s, uint8_t b) {
    TerminalScreen& sc = s.screen;
    TerminalModes& m = s.modes;
    if (m.vt52AddressPending) {
        // The address belongs to the sequence that holds the "Y" just before
        // the address bytes. If a CR, CAN or the length limit abandoned that
        // one, the collector has started over and this byte begins a new
        // sequence: no "Y" can stand after its ESC at that distance.
        const int yAt = sc.EscapeLength - 2 - m.vt52AddressCount;
        if (yAt >= 1 && sc.EscapeBuffer[yAt] == 'Y') {
            if (++m.vt52AddressCount < 2) return;
            AddressCursor(sc);
            m.vt52AddressPending = 0;
            m.vt52AddressCount = 0;
            EndSequence(s);
            return;
        }
        m.vt52AddressPending = 0;
        m.vt52AddressCount = 0;
    }
    switch (kByteTable[b]) {
        case Byte52::Collect:
            return;
        case Byte52::Restart:
            sc.EscapeBuffer[0] = kEsc;
            sc.EscapeLength = 1;
            return;
        case Byte52::Execute:
            Vt52Execute(s, sc.EscapeBuffer + 1, sc.EscapeLength - 1);
            break;
        case Byte52::Ignore:
            break;
        case Byte52::KeypadApp:
            dec::KeypadApplication(s);
            break;
        case Byte52::KeypadNumeric:
            dec::KeypadNumeric(s);
            break;
        case Byte52::Address:
            m.vt52AddressPending = 1;
            m.vt52AddressCount = 0;
            return;
    }
    EndSequence(s);
}

}  // namespace palvex
