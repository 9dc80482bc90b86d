#include "terminal/dec_common.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "comm/port.h"
#include "comm/session.h"

namespace palvex::dec {
namespace {

inline bool HasRing(const TerminalScreen& s) {
    return s.lineBlock != nullptr && s.attrPlane != nullptr && s.scrollRange > 0;
}

// Emulators write to the live screen; the pump has already brought it back,
// but indexing from liveTop keeps a stale history view from being written over.
inline int LiveRing(const TerminalScreen& s, int row) {
    int i = s.liveTop + row;
    if (i >= s.scrollRange) {
        i -= s.scrollRange;  // rows are within one lap of the ring
        if (i >= s.scrollRange) i %= s.scrollRange;
    }
    return i < 0 ? 0 : i;
}

inline ScreenLine& LiveLine(TerminalScreen& s, int row) { return *s.ring[LiveRing(s, row)]; }
inline uint8_t* LiveAttrs(TerminalScreen& s, int row) { return s.attrPlane + LiveRing(s, row) * kLineStride; }

// The row the cursor stands on, kept on the screen whatever a restore or a
// shrink left behind.
inline int CursorRowOnScreen(const TerminalScreen& s) { return std::clamp(static_cast<int>(s.cursorRow), 0, LastRow(s)); }

inline int CellH(const TerminalScreen& s) { return s.cellHeight > 0 ? s.cellHeight : 1; }
inline int RowY(const TerminalScreen& s, int row) { return kTextTop + row * CellH(s); }
inline int TextRight(const TerminalScreen& s) { return s.display ? s.display->ClientWidth() - kScrollBarWidth : 0; }

// Cells a line can use at the current width.
inline int Width(const TerminalScreen& s) { return std::clamp(static_cast<int>(s.columns), 0, kLineCells); }

struct Region {
    int top, bottom;  // 0-based, inclusive; top never below bottom
};
// The scrolling region as the primitives will treat it, so the pixels moved
// here match the lines they move.
inline Region ShownRegion(const TerminalScreen& s) {
    const int b = std::clamp(s.marginBottom - 1, 0, LastRow(s));
    return {std::clamp(s.marginTop - 1, 0, b), b};
}

inline void Repaint(TerminalScreen& s, int row) {
    if (s.display) s.display->RepaintRow(row);
}

}  // namespace

int NumberAt(const EscText& t, int pos) {
    if (pos < 0 || pos >= t.length) return 0;
    const uint8_t* p = t.bytes + pos;
    const uint8_t* const end = t.bytes + t.length;
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    int value = 0;
    for (; p < end && static_cast<unsigned>(*p - '0') <= 9; ++p) {
        value = value * 10 + (*p - '0');
        if (value > kParamCeiling) value = kParamCeiling;
    }
    return negative ? -value : value;
}

int Find(const EscText& t, int from, uint8_t sep) {
    if (from < 0) from = 0;
    if (from >= t.length) return -1;
    const void* at = std::memchr(t.bytes + from, sep, static_cast<size_t>(t.length - from));
    return at ? static_cast<int>(static_cast<const uint8_t*>(at) - t.bytes) : -1;
}

// --- Cursor ---------------------------------------------------------------

void CursorUp(TerminalScreen& s, int n) {
    if (n < 1) return;
    s.cursorRow = std::max(CursorRowOnScreen(s) - std::min(n, kMaxScrollLines), 0);
}

void CursorDown(TerminalScreen& s, int n, int lastRow) {
    if (n < 1) return;
    lastRow = std::clamp(lastRow, 0, LastRow(s));
    const int row = CursorRowOnScreen(s);
    // A cursor already below a margin used as the limit stays where it is.
    if (row >= lastRow) return;
    s.cursorRow = std::min(row + std::min(n, kMaxScrollLines), lastRow);
}

void CursorLeft(TerminalScreen& s, int n) {
    if (n < 1) return;
    s.cursorCol = std::max(static_cast<int>(s.cursorCol) - std::min(n, kLineCells + 1), 0);
}

void CursorRight(TerminalScreen& s, int n, int lastRow, int lastCol) {
    if (n < 1) return;
    int col = std::max(static_cast<int>(s.cursorCol), 0) + n;  // n is saturated well below overflow
    const int width = Width(s);
    if (s.autoWrap && width > 0 && col >= width) {
        const int wraps = col / width;
        col -= wraps * width;
        const int row = CursorRowOnScreen(s);
        const int limit = std::clamp(lastRow, 0, LastRow(s));
        s.cursorRow = row >= limit ? row : std::min(row + wraps, limit);
    }
    s.cursorCol = std::min(col, std::clamp(lastCol, 0, kLineCells - 1));
}

void CursorTo(TerminalScreen& s, int row, int col) {
    s.cursorRow = std::clamp(row, 1, LastRow(s) + 1) - 1;
    s.cursorCol = std::clamp(col, 1, LastColumn(s) + 1) - 1;
}

void BackTab(TerminalScreen& s) {
    const int col = std::max(static_cast<int>(s.cursorCol), 0) & ~7;
    s.cursorCol = std::min(col, LastColumn(s));
}

void SaveCursor(const TerminalScreen& s, int& col, int& row) {
    col = s.cursorCol;
    row = s.cursorRow;
}

void RestoreCursor(TerminalScreen& s, int col, int row) {
    s.cursorCol = std::clamp(col, 0, kLineCells);
    s.cursorRow = std::clamp(row, 0, LastRow(s));
}

void MoveCaret(TerminalScreen& s) {
    const int x = CursorX(s);
    if (x < 0 || !s.display) return;
    // The pump hides the caret for the whole burst and shows it at the end;
    // showing it here as well would leave it visible while cells are drawn.
    // Hiding it again keeps that pairing and still moves it.
    s.display->ShowCaretAt(x, CursorY(s));
    s.display->HideCaret();
}

// --- Scrolling ------------------------------------------------------------

void ScrollRegionUpShown(TerminalScreen& s) {
    if (!HasRing(s)) return;
    const Region r = ShownRegion(s);
    const int ch = CellH(s);
    if (s.display)
        s.display->ScrollPixels({0, RowY(s, r.top + 1), TextRight(s), RowY(s, r.bottom + 1)}, 0, -ch);
    ScrollRegionUp(s);
    Repaint(s, r.bottom);
}

void ScrollRegionDownShown(TerminalScreen& s) {
    if (!HasRing(s)) return;
    const Region r = ShownRegion(s);
    const int ch = CellH(s);
    if (s.display) s.display->ScrollPixels({0, RowY(s, r.top), TextRight(s), RowY(s, r.bottom)}, 0, ch);
    ScrollRegionDown(s);
    Repaint(s, r.top);
}

void Index(TerminalScreen& s) {
    if (s.cursorRow == s.marginBottom - 1) {
        ScrollRegionUpShown(s);
        return;
    }
    if (s.cursorRow < LastRow(s)) ++s.cursorRow;
}

void ReverseIndex(TerminalScreen& s) {
    if (s.cursorRow == s.marginTop - 1) {
        ScrollRegionDownShown(s);
        return;
    }
    if (s.cursorRow > 0) --s.cursorRow;
}

void NextLine(TerminalScreen& s) {
    s.cursorCol = 0;
    Index(s);
}

void SetScrollRegion(TerminalScreen& s, int top, int bottom) {
    if (bottom <= 0 || bottom > s.rows) bottom = s.rows;
    if (top <= 0 || top > s.rows) top = 1;
    s.marginTop = top;
    s.marginBottom = bottom;
    CursorHome(s);
}

// --- Erasing --------------------------------------------------------------

void EraseRow(TerminalScreen& s, int row) {
    if (row < 0 || row > LastRow(s)) return;
    if (s.display) s.display->FillBackground({0, RowY(s, row), TextRight(s), RowY(s, row + 1)});
    if (HasRing(s)) ClearRingLine(s, LiveRing(s, row));
}

void PushScreenToHistory(TerminalScreen& s) {
    if (s.display) s.display->FillBackground({0, kTextTop, TextRight(s), RowY(s, s.rows)});
    if (!HasRing(s)) return;
    for (int i = 0; i < s.rows; ++i) AdvanceRing(s);
    for (int row = 0; row < s.rows; ++row) ClearRingLine(s, LiveRing(s, row));
}

void ClearScreenToHistory(TerminalScreen& s) {
    CursorHome(s);
    PushScreenToHistory(s);
}

void EraseInDisplay(TerminalScreen& s, int ps) {
    const int row = CursorRowOnScreen(s);
    switch (ps) {
        case 0:
            if (s.cursorCol == 0 && s.cursorRow == 0) PushScreenToHistory(s);
            EraseInLine(s, 0);
            for (int r = row + 1; r < s.rows; ++r) EraseRow(s, r);
            return;
        case 1:
            for (int r = 0; r < row; ++r) EraseRow(s, r);
            EraseToLineStart(s, RowY(s, row), CursorX(s));
            return;
        case 2:
            ClearScreenToHistory(s);
            return;
        default:
            return;
    }
}

void EraseInLine(TerminalScreen& s, int ps) {
    const int row = CursorRowOnScreen(s);
    switch (ps) {
        case 0:
            // Past the last cell there is nothing left to erase.
            if (s.cursorCol < kLineCells) EraseToLineEnd(s, RowY(s, row), CursorX(s));
            return;
        case 1: {
            EraseToLineStart(s, RowY(s, row), CursorX(s));
            if (!s.display) return;
            const int end = std::min(static_cast<int>(s.cursorCol), kLineCells);
            for (int c = std::max(static_cast<int>(s.hOffset), 0); c < end; ++c)
                s.display->DrawCell((c - s.hOffset) * s.cellWidth, RowY(s, row), ' ', 0);
            return;
        }
        case 2:
            EraseRow(s, row);
            return;
        default:
            return;
    }
}

// --- Inserting and deleting -------------------------------------------------

void InsertBlanks(TerminalScreen& s, int n) {
    if (n < 1 || !HasRing(s)) return;
    const int row = CursorRowOnScreen(s);
    const int k = s.cursorCol;
    const int width = Width(s);
    if (k < 0 || k >= width) return;
    ScreenLine& line = LiveLine(s, row);
    uint8_t* attrs = LiveAttrs(s, row);

    const int moved = std::max(std::min(static_cast<int>(line.length), width) - k, 0);
    uint8_t text[kLineCells];
    uint8_t attr[kLineCells];
    std::memcpy(text, line.text + k, static_cast<size_t>(moved));
    std::memcpy(attr, attrs + k, static_cast<size_t>(moved));

    const int blanks = std::min(n, width - k);
    std::memset(line.text + k, ' ', static_cast<size_t>(blanks));
    std::memset(attrs + k, 0, static_cast<size_t>(blanks));
    line.length = static_cast<int16_t>(std::min(static_cast<int>(line.length) + blanks, std::max(width, static_cast<int>(line.length))));

    const int back = std::min(moved, width - k - blanks);  // what still fits after the blanks
    if (back > 0) {
        std::memcpy(line.text + k + blanks, text, static_cast<size_t>(back));
        std::memcpy(attrs + k + blanks, attr, static_cast<size_t>(back));
    }
    Repaint(s, row);
}

void DeleteChars(TerminalScreen& s, int n) {
    if (n < 1 || !HasRing(s)) return;
    const int row = CursorRowOnScreen(s);
    const int k = s.cursorCol;
    ScreenLine& line = LiveLine(s, row);
    const int length = std::clamp(static_cast<int>(line.length), 0, kLineCells);
    if (k < 0 || length - (k + 1) < 1) return;
    uint8_t* attrs = LiveAttrs(s, row);
    // Each source cell is blanked as it is taken, so cells past the new length
    // are left blank rather than holding copies.
    for (int dst = k; dst <= length - 2; ++dst) {
        const int src = dst + n;
        if (src < kLineCells) {
            line.text[dst] = line.text[src];
            attrs[dst] = attrs[src];
            line.text[src] = ' ';
            attrs[src] = 0;
        } else {
            line.text[dst] = ' ';
            attrs[dst] = 0;
        }
    }
    line.length = static_cast<int16_t>(std::max(length - n, 0));
    Repaint(s, row);
}

void EraseChars(TerminalScreen& s, int n) {
    if (n < 1 || !HasRing(s)) return;
    const int row = CursorRowOnScreen(s);
    const int k = std::max(static_cast<int>(s.cursorCol), 0);
    if (k >= kLineCells) return;
    const int count = std::min(n, kLineCells - k);
    std::memset(LiveLine(s, row).text + k, ' ', static_cast<size_t>(count));
    std::memset(LiveAttrs(s, row) + k, 0, static_cast<size_t>(count));
    Repaint(s, row);
}

void InsertLinesAtCursor(TerminalScreen& s, int n) {
    if (n < 1 || !HasRing(s)) return;
    const int row = s.cursorRow;
    const int bottom = ShownRegion(s).bottom;
    if (row < 0 || row > bottom) return;
    n = std::min(n, bottom - row + 1);
    const int ch = CellH(s);
    if (s.display) s.display->ScrollPixels({0, RowY(s, row), TextRight(s), RowY(s, bottom + 1)}, 0, n * ch);
    InsertLines(s, row, n);
    for (int r = row; r < row + n; ++r) Repaint(s, r);
}

void DeleteLinesAtCursor(TerminalScreen& s, int n) {
    if (n < 1 || !HasRing(s)) return;
    const int row = s.cursorRow;
    const int bottom = ShownRegion(s).bottom;
    if (row < 0 || row > bottom) return;
    n = std::min(n, bottom - row + 1);
    const int ch = CellH(s);
    if (s.display) s.display->ScrollPixels({0, RowY(s, row), TextRight(s), RowY(s, bottom + 1)}, 0, -n * ch);
    DeleteLines(s, row, n);
    for (int r = bottom - n + 1; r <= bottom; ++r) Repaint(s, r);
}

// --- Attributes -----------------------------------------------------------

void SetAttr(TerminalScreen& s, uint8_t attr) {
    s.attr = attr;
    const int col = s.cursorCol;
    if (col < 0 || col >= kLineCells || !HasRing(s)) return;
    LiveAttrs(s, CursorRowOnScreen(s))[col] = attr;
}

namespace {

inline uint8_t Swapped(uint8_t a) { return static_cast<uint8_t>((a << 4) | (a >> 4)); }

// Applies one field to `attr`; false when the field is skipped or ignored.
bool ApplyRendition(TerminalScreen& s, TerminalModes& m, uint8_t& attr, int field, Renditions set) {
    const bool vt220Rules = set == Renditions::Vt220 || set == Renditions::Sco;
    const bool colours = set == Renditions::Sco || set == Renditions::Vt100Color;
    const int highest = set == Renditions::Vt220 ? 27 : set == Renditions::Vt100 ? 8 : 47;
    if (field < 0 || field > highest) return false;

    const int fg = attr >> 4;
    const int bg = attr & 0x0F;
    switch (field) {
        case 0:
            if (vt220Rules) m.reverse = 0;
            s.bold = 0;
            attr = 0x70;
            return true;
        case 1:
        case 4:
        case 5:
            // Underline and blink have no face of their own: they show bright.
            s.bold = 1;
            attr = static_cast<uint8_t>(((fg < 8 ? fg + 8 : fg) << 4) | bg);
            return true;
        case 7:
            if (vt220Rules) m.reverse = 1;
            attr = Swapped(attr);
            return true;
        case 8:
            attr = static_cast<uint8_t>((bg << 4) | bg);
            return true;
        case 22:
        case 24:
        case 25:
            if (!vt220Rules) return false;
            s.bold = 0;
            attr = m.reverse ? Swapped(0x70) : 0x70;
            return true;
        case 27:
            if (!vt220Rules) return false;
            m.reverse = 0;
            attr = s.bold ? 0xF0 : 0x70;
            return true;
        default:
            break;
    }
    if (!colours) return false;
    if (field >= 30 && field <= 37) {
        attr = static_cast<uint8_t>(((field - 30 + (s.bold ? 8 : 0)) << 4) | bg);
        return true;
    }
    if (field >= 40 && field <= 47) {
        attr = static_cast<uint8_t>((fg << 4) | (field - 40));
        return true;
    }
    return false;
}

}  // namespace

void SelectGraphicRendition(TerminalScreen& s, TerminalModes& m, const EscText& t, int pos, Renditions set) {
    if (t.length <= pos) {
        s.bold = 0;
        SetAttr(s, 0x70);
        return;
    }
    // One pass over the text: each field is read as NumberAt would read it
    // (an empty field is 0) and applied when its ";" or the end is reached.
    // Every field writes the same cell under the cursor, so the cell takes the
    // attribute once, after the last field that changed it.
    uint8_t attr = s.attr;
    bool changed = false;
    const uint8_t* p = t.bytes;
    const int end = t.length;
    int i = pos < 0 ? 0 : pos;
    while (true) {
        while (i < end && (p[i] == ' ' || (p[i] >= '\t' && p[i] <= '\r'))) ++i;
        bool negative = false;
        if (i < end && (p[i] == '-' || p[i] == '+')) negative = p[i++] == '-';
        int value = 0;
        for (; i < end && p[i] >= '0' && p[i] <= '9'; ++i) {
            value = value * 10 + (p[i] - '0');
            if (value > kParamCeiling) value = kParamCeiling;
        }
        changed |= ApplyRendition(s, m, attr, negative ? -value : value, set);
        while (i < end && p[i] != ';') ++i;
        if (i >= end) break;
        ++i;
    }
    if (changed) SetAttr(s, attr);
}

// --- Keypad ---------------------------------------------------------------

void KeypadApplication(Session& s) {
    s.modes.keypadApp = 1;
    if (s.keyboard) s.keyboard->NumLockOn();
}

void KeypadNumeric(Session& s) { s.modes.keypadApp = 0; }

// --- Answers --------------------------------------------------------------

void SendAnswer(Session& s, const char* sevenBit, bool eightBit) {
    const size_t n = std::strlen(sevenBit);
    if (eightBit && n >= 2 && sevenBit[0] == 0x1B && sevenBit[1] == '[') {
        uint8_t out[64];
        const size_t rest = std::min(n - 2, sizeof out - 1);
        out[0] = 0x9B;
        std::memcpy(out + 1, sevenBit + 2, rest);
        WritePort(s.port, out, static_cast<int>(rest + 1));
        return;
    }
    WritePort(s.port, reinterpret_cast<const uint8_t*>(sevenBit), static_cast<int>(n));
}

void SendCursorPosition(Session& s, bool eightBit) {
    char text[40];
    std::snprintf(text, sizeof text, "\x1b[%d;%dR", static_cast<int>(s.screen.cursorRow) + 1,
                  static_cast<int>(s.screen.cursorCol) + 1);
    SendAnswer(s, text, eightBit);
}

}  // namespace palvex::dec
