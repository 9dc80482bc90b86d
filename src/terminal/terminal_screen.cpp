#include "terminal/terminal_screen.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace palvex {
namespace {

constexpr unsigned kMemoryStyle = kStyleTaskModal | kStyleStop;  // 0x2010
constexpr int kStatusBands = 32;  // status line and horizontal scroll bar below the text

// Why an allocation failed; the start-up messages differ for the two.
enum AllocResult { kAllocOk = 0, kLinesShort = 1, kPlanesShort = 2 };

// Primitives may run before the shell has attached a window (tools, tests);
// drawing then goes nowhere instead of through a null pointer.
NullDisplay gNowhere;
inline DisplaySink& Out(TerminalScreen& s) { return s.display ? *s.display : gNowhere; }

// Callers stay within one lap of the ring, so a single addition or subtraction
// brings an index back into range; the modulo only guards against a corrupted
// index.
inline int Wrap(const TerminalScreen& s, int i) {
    const int n = s.scrollRange;
    if (i >= n) {
        i -= n;
        if (i >= n) i %= n;
    } else if (i < 0) {
        i += n;
        if (i < 0) {
            i %= n;
            if (i < 0) i += n;
        }
    }
    return i;
}

// Lines from ring index `from` forward to `to`.
inline int Distance(const TerminalScreen& s, int from, int to) {
    return Wrap(s, to - from);
}

inline bool HasRing(const TerminalScreen& s) {
    return s.lineBlock != nullptr && s.attrPlane != nullptr && s.selPlane != nullptr &&
           s.scrollRange > 0;
}

inline int CellW(const TerminalScreen& s) { return s.cellWidth > 0 ? s.cellWidth : 1; }
inline int CellH(const TerminalScreen& s) { return s.cellHeight > 0 ? s.cellHeight : 1; }

inline int TextRight(TerminalScreen& s) { return Out(s).ClientWidth() - kScrollBarWidth; }

// Every primitive writes to the live screen, whatever the history view shows;
// a view left in the past must never be written over.
inline int LiveIndex(const TerminalScreen& s, int row) { return Wrap(s, s.liveTop + row); }

inline void CopyLiveRow(TerminalScreen& s, int from, int to) {
    const int src = LiveIndex(s, from);
    const int dst = LiveIndex(s, to);
    if (src == dst) return;
    // The whole line moves, as it does when the ring advances: a later write
    // beyond the copied length must not uncover what the target held before.
    *s.ring[dst] = *s.ring[src];
    std::memcpy(s.attrPlane + dst * kLineStride, s.attrPlane + src * kLineStride, kLineStride);
}

inline void ClearLiveRow(TerminalScreen& s, int row) { ClearRingLine(s, LiveIndex(s, row)); }

// The scrolling region as 0-based inclusive rows, kept inside the screen even
// if an emulator stored margins the screen no longer has.
struct Region {
    int top, bottom;
};
inline Region ActiveRegion(const TerminalScreen& s) {
    const int last = std::max(s.rows, 1) - 1;
    const int b = std::clamp(s.marginBottom - 1, 0, last);
    const int t = std::clamp(s.marginTop - 1, 0, b);
    return {t, b};
}

inline bool WholeScreen(const TerminalScreen& s, const Region& r) {
    return r.top == 0 && r.bottom == s.rows - 1;
}

inline int ClampRow(TerminalScreen& s) {
    if (s.cursorRow < 0) s.cursorRow = 0;
    if (s.cursorRow > s.rows - 1) s.cursorRow = std::max(s.rows - 1, 0);
    return s.cursorRow;
}

// Column the cursor stands on for storage: never left of 0, never past 131.
inline int StorageColumn(const TerminalScreen& s) {
    return std::clamp(static_cast<int>(s.cursorCol), 0, kLineCells - 1);
}

int AllocateRing(TerminalScreen& s, int n) {
    if (s.rows < 1 || s.rows > kMaxScrollLines || n < 1 || n > kMaxScrollLines) return kLinesShort;
    n = std::max(n, static_cast<int>(s.rows));  // the screen itself must fit in the ring

    ScreenLine* lines = new (std::nothrow) ScreenLine[n]();
    if (lines == nullptr) return kLinesShort;
    const size_t planeBytes = static_cast<size_t>(n) * kLineStride;
    uint8_t* attrs = new (std::nothrow) uint8_t[planeBytes]();
    uint8_t* sels = attrs ? new (std::nothrow) uint8_t[planeBytes]() : nullptr;
    if (attrs == nullptr || sels == nullptr) {
        delete[] attrs;
        delete[] lines;
        return kPlanesShort;
    }

    // Only now give up the old ring, so a failed resize leaves a working screen.
    FreeLines(s);
    s.lineBlock = lines;
    s.attrPlane = attrs;
    s.selPlane = sels;
    s.scrollRange = n;
    for (int i = 0; i < n; ++i) {
        s.ring[i] = &lines[i];
        // Blank rather than zero: the painter stops a row at the first control
        // byte, so cells never written must already be spaces.
        ClearRingLine(s, i);
    }
    s.oldest = 0;
    s.newest = static_cast<int16_t>(s.rows - 1);
    s.top = s.liveTop = 0;
    s.bottom = s.liveBottom = static_cast<int16_t>(s.rows - 1);
    s.ringFull = 0;
    s.livePos = s.viewPos = 0;
    return kAllocOk;
}

// Moves the shown window back or forward through the history; returns the
// lines actually moved, which fall short at the ends of what is held.
int StepViewBack(TerminalScreen& s, int count) {
    int moved = 0;
    while (moved < count && s.top != s.oldest) {
        s.top = static_cast<int16_t>(Wrap(s, s.top - 1));
        s.bottom = static_cast<int16_t>(Wrap(s, s.bottom - 1));
        ++moved;
    }
    return moved;
}

int StepViewForward(TerminalScreen& s, int count) {
    int moved = 0;
    while (moved < count && s.bottom != s.newest) {
        s.top = static_cast<int16_t>(Wrap(s, s.top + 1));
        s.bottom = static_cast<int16_t>(Wrap(s, s.bottom + 1));
        ++moved;
    }
    return moved;
}

PixelRect TextRows(TerminalScreen& s) {
    return {0, kTextTop, TextRight(s), kTextTop + s.rows * s.cellHeight};
}

}  // namespace

TerminalScreen::~TerminalScreen() { FreeLines(*this); }

void SetCursorPixels(TerminalScreen& s, int x, int y) {
    s.cursorCol = x / CellW(s) + s.hOffset;
    s.cursorRow = (y - kTextTop) / CellH(s);
}

int RingIndex(const TerminalScreen& s, int row) {
    if (s.scrollRange < 1) return 0;
    return Wrap(s, s.top + row);
}

ScreenLine& LineAt(TerminalScreen& s, int row) {
    static ScreenLine scratch;
    if (!HasRing(s)) {
        scratch = ScreenLine{};
        return scratch;
    }
    return *s.ring[RingIndex(s, row)];
}

uint8_t* AttrAt(TerminalScreen& s, int row) {
    static uint8_t scratch[kLineStride];
    if (!HasRing(s)) return scratch;
    return s.attrPlane + RingIndex(s, row) * kLineStride;
}

uint8_t* SelAt(TerminalScreen& s, int row) {
    static uint8_t scratch[kLineStride];
    if (!HasRing(s)) return scratch;
    return s.selPlane + RingIndex(s, row) * kLineStride;
}

void ClearRingLine(TerminalScreen& s, int ringIndex) {
    if (!HasRing(s) || ringIndex < 0 || ringIndex >= s.scrollRange) return;
    ScreenLine& line = *s.ring[ringIndex];
    line.length = 0;
    line.spare = 0;
    std::memset(line.text, ' ', kLineCells);
    std::memset(s.attrPlane + ringIndex * kLineStride, 0, kLineCells);
    // A reused line holds new text: marks left from the old text would select it.
    if (s.selPlane) std::memset(s.selPlane + ringIndex * kLineStride, 0, kLineStride);
}

int AllocateLines(TerminalScreen& s, int n) { return AllocateRing(s, n) == kAllocOk ? 0 : -1; }

void FreeLines(TerminalScreen& s) {
    delete[] s.lineBlock;
    delete[] s.attrPlane;
    delete[] s.selPlane;
    s.lineBlock = nullptr;
    s.attrPlane = nullptr;
    s.selPlane = nullptr;
    std::fill(std::begin(s.ring), std::end(s.ring), nullptr);
}

int SetupScrollback(TerminalScreen& s, int n, Ui& ui, WindowRef owner) {
    if (s.rows < 1) s.rows = 24;
    s.rows = std::min(static_cast<int>(s.rows), kMaxScrollLines);
    n = std::clamp(n, static_cast<int>(s.rows), kMaxScrollLines);

    int result = AllocateRing(s, n);
    if (result == kLinesShort) {
        ui.ShowText(owner, "Not enough memory for scrolling", kMemoryStyle);
        // A ring of just the screen keeps the terminal usable without history.
        result = AllocateRing(s, s.rows);
    }
    if (result != kAllocOk) {
        ui.ShowText(owner, "Not enough memory to run this application", kMemoryStyle);
        return -1;
    }
    s.marginTop = 1;
    s.marginBottom = s.rows;
    s.cursorCol = 0;
    s.cursorRow = 0;
    DisplaySink& d = Out(s);
    d.SetVerticalRange(s.scrollRange - s.rows);
    d.SetVerticalPos(0);
    return 0;
}

void ShowLiveScreen(TerminalScreen& s) {
    if (s.viewPos == s.livePos) return;
    DisplaySink& d = Out(s);
    d.SetVerticalPos(s.livePos);
    s.top = s.liveTop;
    s.bottom = s.liveBottom;
    s.viewPos = s.livePos;
    d.RepaintAll();
}

void AdvanceRing(TerminalScreen& s) {
    if (!HasRing(s)) return;
    const int last = s.scrollRange - 1;
    if (++s.newest > last) {
        s.newest = 0;
        s.ringFull = 1;
    }
    // Once full, newest has caught up with oldest and the oldest line goes.
    // Testing the collision rather than the flag alone keeps the history intact
    // when a shrunken screen has left free lines between them.
    if (s.newest == s.oldest && (++s.oldest > last)) s.oldest = 0;
    if (++s.liveTop > last) s.liveTop = 0;
    if (++s.liveBottom > last) s.liveBottom = 0;
    s.top = s.liveTop;
    s.bottom = s.liveBottom;
    if (s.scrollRange - s.rows > s.livePos) ++s.livePos;
    Out(s).SetVerticalPos(s.livePos);
    s.viewPos = s.livePos;
}

void ScrollRegionUp(TerminalScreen& s) {
    if (!HasRing(s)) return;
    const Region r = ActiveRegion(s);
    if (WholeScreen(s, r)) {
        AdvanceRing(s);
        ClearRingLine(s, s.liveBottom);
        return;
    }
    for (int row = r.top; row < r.bottom; ++row) CopyLiveRow(s, row + 1, row);
    ClearLiveRow(s, r.bottom);
}

void ScrollRegionDown(TerminalScreen& s) {
    if (!HasRing(s)) return;
    const Region r = ActiveRegion(s);
    for (int row = r.bottom; row > r.top; --row) CopyLiveRow(s, row - 1, row);
    ClearLiveRow(s, r.top);
}

void InsertLines(TerminalScreen& s, int row, int n) {
    if (!HasRing(s)) return;
    const int bottom = ActiveRegion(s).bottom;
    if (row < 0 || row > bottom || n < 1) return;
    n = std::min(n, bottom - row + 1);
    for (int r = bottom; r >= row + n; --r) CopyLiveRow(s, r - n, r);
    for (int r = row; r < row + n; ++r) ClearLiveRow(s, r);
}

void DeleteLines(TerminalScreen& s, int row, int n) {
    if (!HasRing(s)) return;
    const int bottom = ActiveRegion(s).bottom;
    if (row < 0 || row > bottom || n < 1) return;
    n = std::min(n, bottom - row + 1);
    for (int r = row; r + n <= bottom; ++r) CopyLiveRow(s, r + n, r);
    for (int r = bottom; r > bottom - n; --r) ClearLiveRow(s, r);
}

void EraseToLineEnd(TerminalScreen& s, int y, int x) {
    const int ch = CellH(s);
    Out(s).FillBackground({x, y, TextRight(s), y + ch});
    if (!HasRing(s)) return;
    const int row = (y - kTextTop) / ch;
    if (row < 0 || row >= s.rows) return;
    const int k = x / CellW(s) + s.hOffset;
    const int idx = LiveIndex(s, row);
    ScreenLine& line = *s.ring[idx];
    line.length = static_cast<int16_t>(std::clamp(k, 0, kLineCells));
    if (k < kLineCells) {
        const int from = std::max(k, 0);
        std::memset(line.text + from, ' ', kLineCells - from);
        std::memset(s.attrPlane + idx * kLineStride + from, 0, kLineCells - from);
    }
}

void EraseToLineStart(TerminalScreen& s, int y, int x) {
    const int ch = CellH(s);
    Out(s).FillBackground({0, y, x, y + ch});
    if (!HasRing(s)) return;
    const int row = (y - kTextTop) / ch;
    if (row < 0 || row >= s.rows) return;
    const int k = std::clamp(x / CellW(s) + s.hOffset, 0, kLineCells);
    const int idx = LiveIndex(s, row);
    std::memset(s.ring[idx]->text, ' ', k);
    std::memset(s.attrPlane + idx * kLineStride, 0, k);
}

void CarriageReturn(TerminalScreen& s) {
    if (s.AfterCR) return;
    s.AfterCR = 1;
    s.cursorCol = 0;
}

void ResolveAfterCR(TerminalScreen& s) {
    if (!s.AfterCR) return;
    s.AfterCR = 0;
    s.cursorCol = 0;
}

void Tab(TerminalScreen& s) {
    const int k = std::max(static_cast<int>(s.cursorCol), 0);
    const int next = (k & ~7) + 8;  // a cursor on a stop moves a full 8
    s.cursorCol = std::max(std::min(next, static_cast<int>(s.columns) - 1), 0);
}

void Backspace(TerminalScreen& s) {
    if (s.cursorCol > 0) --s.cursorCol;
}

void DeleteLeft(TerminalScreen& s) {
    if (s.cursorCol <= 0) return;
    --s.cursorCol;
    if (!HasRing(s)) return;
    const int row = ClampRow(s);
    const int col = StorageColumn(s);
    const int idx = LiveIndex(s, row);
    ScreenLine& line = *s.ring[idx];
    if (line.length > 0) --line.length;
    if (line.spare > 0) --line.spare;
    s.attrPlane[idx * kLineStride + col] = s.attr;
    const int x = (s.cursorCol - s.hOffset) * s.cellWidth;
    if (x >= 0) Out(s).DrawCell(x, CursorY(s), ' ', s.attr);
}

void LineFeed(TerminalScreen& s) {
    if (!HasRing(s)) return;
    const Region r = ActiveRegion(s);
    if (s.cursorRow != r.bottom) {
        if (s.cursorRow < s.rows - 1) ++s.cursorRow;
        return;
    }
    if (s.scrollLock) return;
    DisplaySink& d = Out(s);
    const int ch = s.cellHeight;
    d.ScrollPixels({0, kTextTop + (r.top + 1) * ch, TextRight(s), kTextTop + (r.bottom + 1) * ch}, 0,
                   -ch);
    ScrollRegionUp(s);
    // The sink paints from the buffer, so the uncovered row is drawn once the
    // new blank line is in place.
    d.RepaintRow(r.bottom);
}

namespace {

// The rarer half of PutChar, kept out of line so the common case stays small:
// wrapping or clamping a cursor past the edge, a cursor off the screen, and
// insert mode. Returns the column to write at.
[[gnu::noinline]] int PrepareCell(TerminalScreen& s) {
    if (s.autoWrap && s.cursorCol >= s.columns) {
        // Straight to column 0: a pending-CR mark here would send the next
        // character back over this one.
        s.cursorCol = 0;
        LineFeed(s);
    }
    // Without auto-wrap the cursor runs on to the last cell and stays there.
    const int col = std::clamp(static_cast<int>(s.cursorCol), 0, kLineCells - 1);
    const int row = ClampRow(s);
    if (!s.insertMode) return col;

    ScreenLine& line = *s.ring[LiveIndex(s, row)];
    int x = (col - s.hOffset) * s.cellWidth;
    int right;
    if (s.hOffset == 0) {
        right = (s.columns - 1) * s.cellWidth;
    } else {
        if (x < 0) {
            // The inserted character must be seen: bring the left edge back.
            s.hOffset = 0;
            x = col * s.cellWidth;
            Out(s).SetHorizontalPos(0);
            Out(s).RepaintAll();
        }
        right = TextRight(s);
    }
    const int y = kTextTop + row * s.cellHeight;
    if (right > x) Out(s).ScrollPixels({x, y, right, y + s.cellHeight}, s.cellWidth, 0);
    const int end = std::min(static_cast<int>(line.length), static_cast<int>(s.columns) - 1);
    if (end > col) std::memmove(line.text + col + 1, line.text + col, end - col);
    if (line.length < s.columns) ++line.length;
    return col;
}

}  // namespace

void PutChar(TerminalScreen& s, uint8_t ch) {
    // The planes are allocated and freed with the line block.
    if (s.lineBlock == nullptr) return;
    int col = s.cursorCol;
    const int row = s.cursorRow;
    if (col >= s.columns || col < 0 || col > kLineCells - 1 || static_cast<unsigned>(row) >= static_cast<unsigned>(s.rows) ||
        s.insertMode) [[unlikely]] {
        col = PrepareCell(s);
    }
    const int r = s.cursorRow;

    int idx = s.liveTop + r;
    if (idx >= s.scrollRange) idx = Wrap(s, idx);
    ScreenLine& line = *s.ring[idx];

    if (s.graphics[s.shift & 1] && ch >= 'j' && ch <= 'x') ch = (ch >= 'o' && ch <= 's') ? '-' : '|';

    const int x = (col - s.hOffset) * s.cellWidth;
    if (x >= 0 && s.display != nullptr) s.display->DrawCell(x, kTextTop + r * s.cellHeight, ch, s.attr);

    line.text[col] = ch;
    s.attrPlane[idx * kLineStride + col] = s.attr;
    s.cursorCol = col + 1;
    if (line.length <= col) line.length = static_cast<int16_t>(col + 1);
}

void PutText(TerminalScreen& s, const uint8_t* text, int n, bool strip7) {
    const uint8_t mask = strip7 ? 0x7F : 0xFF;
    int k = 0;
    while (k < n) {
        // Wrapping, clamping, insert mode and line drawing take the careful path.
        const int limit = s.autoWrap ? std::min(static_cast<int>(s.columns), kLineCells) : kLineCells;
        int col = s.cursorCol;
        const int row = s.cursorRow;
        if (s.lineBlock == nullptr || s.insertMode || s.graphics[s.shift & 1] || col < 0 || col >= limit ||
            static_cast<unsigned>(row) >= static_cast<unsigned>(s.rows)) {
            PutChar(s, static_cast<uint8_t>(text[k++] & mask));
            continue;
        }
        int idx = s.liveTop + row;
        if (idx >= s.scrollRange) idx = Wrap(s, idx);
        ScreenLine& line = *s.ring[idx];
        uint8_t* attrs = s.attrPlane + static_cast<std::ptrdiff_t>(idx) * kLineStride;
        const uint8_t attr = s.attr;
        const int y = kTextTop + row * s.cellHeight;
        const int end = std::min(limit, col + (n - k));
        for (; col < end; ++col, ++k) {
            const uint8_t ch = static_cast<uint8_t>(text[k] & mask);
            const int x = (col - s.hOffset) * s.cellWidth;
            if (x >= 0 && s.display != nullptr) s.display->DrawCell(x, y, ch, attr);
            line.text[col] = ch;
            attrs[col] = attr;
        }
        s.cursorCol = col;
        if (line.length < col) line.length = static_cast<int16_t>(col);
    }
}

void ClearBuffer(TerminalScreen& s) {
    s.ringFull = 0;
    s.livePos = s.viewPos = 0;
    s.hOffset = 0;
    s.oldest = 0;
    s.newest = static_cast<int16_t>(s.rows - 1);
    s.top = s.liveTop = 0;
    s.bottom = s.liveBottom = static_cast<int16_t>(s.rows - 1);
    s.cursorCol = 0;
    s.cursorRow = 0;
    DisplaySink& d = Out(s);
    d.SetVerticalPos(0);
    d.SetHorizontalPos(0);
    d.FillBackground({0, kTextTop, TextRight(s), d.ClientHeight() - kStatusBands});
    d.ShowCaretAt(0, kTextTop);
    if (!HasRing(s)) return;
    for (int i = 0; i < s.scrollRange; ++i) ClearRingLine(s, i);
}

void SetScreenRows(TerminalScreen& s, int n) {
    if (n < 1 || n > kMaxScrollLines || !HasRing(s)) return;
    DisplaySink& d = Out(s);

    if (n > s.scrollRange) {
        const int oldRows = s.rows;
        s.rows = n;
        if (AllocateRing(s, n) != kAllocOk) {
            s.rows = oldRows;  // keep the screen we have rather than none
            return;
        }
        s.marginBottom = n;
        if (s.marginTop > n) s.marginTop = 1;
        s.cursorRow = std::min(static_cast<int>(s.cursorRow), n - 1);
        d.SetVerticalRange(0);
        d.SetVerticalPos(0);
        d.RepaintAll();
        return;
    }

    const int oldRows = s.rows;
    s.rows = n;
    s.marginBottom = n;
    if (s.marginTop > n) s.marginTop = 1;
    if (n < oldRows) {
        const int shrink = oldRows - n;
        for (int i = 0; i < shrink; ++i) ClearRingLine(s, Wrap(s, s.newest - i));
        s.newest = static_cast<int16_t>(Wrap(s, s.newest - shrink));
    } else if (n > oldRows) {
        const int grow = n - oldRows;
        const int held = Distance(s, s.oldest, s.newest) + 1;
        for (int i = 1; i <= grow; ++i) ClearRingLine(s, Wrap(s, s.newest + i));
        if (s.newest + grow > s.scrollRange - 1) s.ringFull = 1;
        s.newest = static_cast<int16_t>(Wrap(s, s.newest + grow));
        // The screen took over lines the history held; it now starts later.
        if (held + grow > s.scrollRange)
            s.oldest = static_cast<int16_t>(Wrap(s, s.oldest + held + grow - s.scrollRange));
    }
    if (s.cursorRow > n - 1) s.cursorRow = n - 1;
    d.SetVerticalRange(s.scrollRange - n);
    ShowLiveScreen(s);
    const int maxPos = s.scrollRange - n;
    if (s.livePos > maxPos) {
        s.livePos = s.viewPos = maxPos;
        d.SetVerticalPos(maxPos);
    }
    s.bottom = s.liveBottom = s.newest;
    d.RepaintAll();
}

void ResetTerminalState(TerminalScreen& s) {
    s.marginTop = 1;
    s.marginBottom = s.rows;
    s.graphics[0] = s.graphics[1] = 0;
    s.shift = 0;
    s.bold = 0;
    s.attr = 0x70;
    if (s.cursorRow > s.rows - 1) s.cursorRow = s.rows - 1;
}

void HistoryScroll(TerminalScreen& s, ScrollCode code, int thumb) {
    if (!HasRing(s)) return;
    DisplaySink& d = Out(s);
    const int ch = s.cellHeight;
    switch (code) {
    case ScrollCode::LineUp:
        if (--s.viewPos < 0) {
            s.viewPos = 0;
            return;
        }
        StepViewBack(s, 1);
        d.SetVerticalPos(s.viewPos);
        d.ScrollPixels(TextRows(s), 0, ch);
        d.RepaintRow(0);
        return;
    case ScrollCode::LineDown:
        if (++s.viewPos > s.livePos) {
            s.viewPos = s.livePos;
            return;
        }
        d.SetVerticalPos(s.viewPos);
        if (StepViewForward(s, 1) == 1) {
            d.ScrollPixels(TextRows(s), 0, -ch);
            d.RepaintRow(s.rows - 1);
        }
        return;
    case ScrollCode::PageUp:
        if (s.viewPos == 0) return;
        s.viewPos -= StepViewBack(s, std::min(static_cast<int>(s.rows), static_cast<int>(s.viewPos)));
        d.SetVerticalPos(s.viewPos);
        d.RepaintAll();
        return;
    case ScrollCode::PageDown:
        if (s.viewPos == s.livePos) return;
        s.viewPos += StepViewForward(s, std::min(static_cast<int>(s.rows), s.livePos - s.viewPos));
        d.SetVerticalPos(s.viewPos);
        d.RepaintAll();
        return;
    case ScrollCode::ThumbPosition: {
        const int target = std::clamp(thumb, 0, static_cast<int>(s.livePos));
        if (target < s.viewPos)
            s.viewPos -= StepViewBack(s, s.viewPos - target);
        else if (target > s.viewPos)
            s.viewPos += StepViewForward(s, target - s.viewPos);
        d.SetVerticalPos(s.viewPos);
        d.RepaintAll();
        return;
    }
    }
}

}  // namespace palvex
