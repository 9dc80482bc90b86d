// The Wyse 50 emulator. There is no final-byte table: every byte collected
// after ESC is looked at as it arrives and either acts, ends the sequence or
// leaves it open. VT, FF, RS and SUB are the pump's; SUB comes back here.
#include <algorithm>
#include <cstring>

#include "comm/session.h"
#include "terminal/dec_common.h"
#include "terminal/emulators.h"

namespace palvex {
namespace {

constexpr uint8_t kESC = 0x1B;
constexpr uint8_t kAddressBias = 0x20;  // row and column travel as value + 32

// ESC G 0/4/8/T/t are three bytes exactly; the same byte anywhere else means
// something else or nothing.
bool IsAttributeSequence(const TerminalScreen& sc) { return sc.EscapeLength == 3 && sc.EscapeBuffer[1] == 'G'; }

// Reverse video and underline have no face of their own on this screen; like
// bold they show bright.
void Brighten(TerminalScreen& sc) {
    const uint8_t a = sc.attr;
    sc.bold = 1;
    dec::SetAttr(sc, (a >> 4) < 8 ? static_cast<uint8_t>(a + 0x80) : a);
}

void Address(TerminalScreen& sc, uint8_t b) {
    const int row = sc.EscapeBuffer[sc.EscapeLength - 2] - kAddressBias;
    const int col = b - kAddressBias;
    sc.cursorRow = std::clamp(row, 0, dec::LastRow(sc));
    if (col >= 0 && col < sc.columns) sc.cursorCol = col;
}

// One blank cell at the cursor. Unlike the DEC insert it is not held to the
// terminal width: a line written past it with auto-wrap off keeps its cells up
// to the full 132.
void InsertCell(TerminalScreen& sc) {
    const int col = sc.cursorCol;
    if (col < 0 || col >= kLineCells || sc.lineBlock == nullptr || sc.scrollRange < 1) return;
    const int row = std::clamp(static_cast<int>(sc.cursorRow), 0, dec::LastRow(sc));
    const int index = (sc.liveTop + row) % sc.scrollRange;
    ScreenLine& line = *sc.ring[index];
    uint8_t* attrs = sc.attrPlane + index * kLineStride;
    const int end = std::clamp(static_cast<int>(line.length), 0, kLineCells - 1);
    if (end > col) {
        std::memmove(line.text + col + 1, line.text + col, end - col);
        std::memmove(attrs + col + 1, attrs + col, end - col);
    }
    line.text[col] = ' ';
    attrs[col] = 0;
    if (line.length < kLineCells) ++line.length;
    if (sc.display) sc.display->RepaintRow(row);
}

// Unlike ESC [ J, a cursor at home does not push the screen into the history.
void EraseToScreenEnd(TerminalScreen& sc) {
    dec::EraseInLine(sc, 0);
    for (int r = sc.cursorRow + 1; r < sc.rows; ++r) dec::EraseRow(sc, r);
}

}  // namespace

void WyseEntry(Session& s, uint8_t b) {
    TerminalScreen& sc = s.screen;
    TerminalModes& m = s.modes;

    // The first byte after ESC: an address left half-done by an abandoned
    // sequence (CR, CAN, the length limit) is forgotten.
    if (sc.EscapeLength <= 2) m.wyseAddressPending = 0;

    if (m.wyseAddressPending) {
        if (++m.wyseAddressCount < 2) return;
        Address(sc, b);
        m.wyseAddressPending = 0;
        EndSequence(s);
        return;
    }

    switch (b) {
        case kESC:
            sc.EscapeLength = 1;
            return;
        case '(': case '1': case '6': case '7': case '9': case ':': case 'C': case 'F':
            break;
        case '*':
            dec::ClearScreenToHistory(sc);
            break;
        case '+':
            dec::ClearScreenToHistory(sc);
            dec::CursorHome(sc);
            break;
        case '0':
            if (IsAttributeSequence(sc)) {
                sc.bold = 0;
                dec::SetAttr(sc, 0x70);
            }
            break;
        case '4': case '8':
            if (!IsAttributeSequence(sc)) return;
            Brighten(sc);
            break;
        case '=':
            m.wyseAddressPending = 1;
            m.wyseAddressCount = 0;
            return;
        case 'E': case 'e':
            dec::InsertLinesAtCursor(sc, 1);
            break;
        case 'I': case 'i':
            dec::BackTab(sc);
            break;
        case 'Q':
            InsertCell(sc);
            break;
        case 'R':
            dec::DeleteLinesAtCursor(sc, 1);
            break;
        case 'T': case 't':
            if (IsAttributeSequence(sc))
                Brighten(sc);
            else
                dec::EraseInLine(sc, 0);
            break;
        case 'W': case 'w':
            dec::DeleteChars(sc, 1);
            break;
        case 'Y': case 'y':
            EraseToScreenEnd(sc);
            break;
        case 'j':
            dec::ScrollRegionDownShown(sc);
            break;
        case 'q':
            sc.insertMode = 1;
            break;
        case 'r':
            sc.insertMode = 0;
            break;
        default:
            return;  // collected; the sequence stays open
    }
    EndSequence(s);
}

void WyseClearScreen(Session& s) { dec::ClearScreenToHistory(s.screen); }

}  // namespace palvex
