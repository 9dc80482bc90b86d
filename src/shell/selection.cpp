#include "shell/selection.h"

#include <algorithm>
#include <cstring>

#include "comm/pump.h"

namespace palvex {

namespace {

constexpr char kLF = '\n';
constexpr int kFlowXonXoff = 2;
constexpr int kFlowBoth = 3;

bool HasPlane(const TerminalScreen& s) { return s.selPlane != nullptr && s.scrollRange > 0; }

int Wrap(const TerminalScreen& s, int i) {
    const int n = s.scrollRange;
    return ((i % n) + n) % n;
}

// Lines counted from the oldest held one: reading order across the ring.
int Age(const TerminalScreen& s, int ringIndex) { return Wrap(s, ringIndex - s.oldest); }
int LineOfAge(const TerminalScreen& s, int age) { return Wrap(s, s.oldest + age); }

uint8_t* Marks(TerminalScreen& s, int ringIndex) { return s.selPlane + ringIndex * kLineStride; }
const uint8_t* Marks(const TerminalScreen& s, int ringIndex) { return s.selPlane + ringIndex * kLineStride; }

int LastColumn(const TerminalScreen& s) { return std::clamp(static_cast<int>(s.columns), 1, kLineCells) - 1; }

bool Before(const TerminalScreen& s, const LineCell& a, const LineCell& b) {
    const int ageA = Age(s, a.line), ageB = Age(s, b.line);
    return ageA != ageB ? ageA < ageB : a.col < b.col;
}

// Sets the marks of the range between two cells (either order) to `value`.
void MarkRange(TerminalScreen& s, LineCell from, LineCell to, uint8_t value) {
    if (Before(s, to, from)) std::swap(from, to);
    const int firstAge = Age(s, from.line), lastAge = Age(s, to.line);
    for (int age = firstAge; age <= lastAge; ++age) {
        const int first = age == firstAge ? from.col : 0;
        const int last = age == lastAge ? to.col : LastColumn(s);
        if (last < first) continue;
        std::memset(Marks(s, LineOfAge(s, age)) + first, value, static_cast<std::size_t>(last - first + 1));
    }
}

// The shown rows among the lines between two cells.
RowSpan ShownRowsBetween(const TerminalScreen& s, const LineCell& a, const LineCell& b) {
    const int topAge = Age(s, s.top);
    int first = std::min(Age(s, a.line), Age(s, b.line)) - topAge;
    int last = std::max(Age(s, a.line), Age(s, b.line)) - topAge;
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(s.rows) - 1);
    return {first, last};
}

RowSpan Union(const RowSpan& a, const RowSpan& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    return {std::min(a.first, b.first), std::max(a.last, b.last)};
}

LineCell Clamped(const TerminalScreen& s, int row, int col) {
    return CellAt(s, std::clamp(row, 0, std::max(static_cast<int>(s.rows) - 1, 0)), std::clamp(col, 0, kLineCells - 1));
}

// Lets the window repaint and take input between two characters.
void DispatchPending(Session& s) {
    while (s.loop.TakeMessage(0, false) != Taken::Nothing) {
    }
}

}  // namespace

LineCell CellAt(const TerminalScreen& s, int row, int col) {
    if (s.scrollRange < 1) return {0, col};
    return {RingIndex(s, row), col};
}

int ShownRow(const TerminalScreen& s, int ringIndex) {
    if (s.scrollRange < 1) return -1;
    const int row = Age(s, ringIndex) - Age(s, s.top);
    return row >= 0 && row < s.rows ? row : -1;
}

RowSpan ClearSelection(TerminalScreen& s, SelectionState& sel) {
    sel.SelectionExists = false;
    sel.dragging = false;
    if (!HasPlane(s)) return {};
    RowSpan marked;
    for (int row = 0; row < s.rows; ++row) {
        const uint8_t* m = Marks(s, RingIndex(s, row));
        if (std::any_of(m, m + kLineCells, [](uint8_t v) { return v != 0; }))
            marked = Union(marked, {row, row});
    }
    std::memset(s.selPlane, 0, static_cast<std::size_t>(s.scrollRange) * kLineStride);
    return marked;
}

RowSpan StartSelection(TerminalScreen& s, SelectionState& sel, int row, int col) {
    RowSpan redraw = ClearSelection(s, sel);
    if (!HasPlane(s)) return redraw;
    sel.anchor = sel.end = Clamped(s, row, col);
    MarkRange(s, sel.anchor, sel.end, 1);
    sel.SelectionExists = true;
    sel.dragging = true;
    return Union(redraw, ShownRowsBetween(s, sel.anchor, sel.end));
}

RowSpan ExtendSelection(TerminalScreen& s, SelectionState& sel, int row, int col) {
    if (!HasPlane(s) || !sel.SelectionExists) return {};
    const LineCell to = Clamped(s, row, col);
    if (to.line == sel.end.line && to.col == sel.end.col) return {};
    const LineCell before = sel.end;
    MarkRange(s, sel.anchor, before, 0);
    MarkRange(s, sel.anchor, to, 1);
    sel.end = to;
    // Only the lines between the old and the new end change; the anchor's
    // line is among them whenever the range turned over.
    return ShownRowsBetween(s, before, to);
}

RowSpan SelectScreen(TerminalScreen& s, SelectionState& sel) {
    ClearSelection(s, sel);
    if (!HasPlane(s) || s.rows < 1) return {};
    sel.anchor = CellAt(s, 0, 0);
    sel.end = CellAt(s, s.rows - 1, LastColumn(s));
    MarkRange(s, sel.anchor, sel.end, 1);
    sel.SelectionExists = true;
    return {0, s.rows - 1};
}

bool AnyMarked(const TerminalScreen& s) {
    if (!HasPlane(s)) return false;
    const uint8_t* p = s.selPlane;
    return std::any_of(p, p + static_cast<std::size_t>(s.scrollRange) * kLineStride, [](uint8_t v) { return v != 0; });
}

std::string SelectedText(const TerminalScreen& s, const SelectionState& sel) {
    std::string text;
    if (!sel.SelectionExists || !HasPlane(s) || s.lineBlock == nullptr) return text;
    for (int i = s.oldest;; i = Wrap(s, i + 1)) {
        const ScreenLine& line = *s.ring[i];
        const uint8_t* m = Marks(s, i);
        const int length = std::clamp(static_cast<int>(line.length), 0, kLineCells);
        bool took = false;
        for (int col = 0; col < length; ++col) {
            if (!m[col]) continue;
            text.push_back(static_cast<char>(line.text[col]));
            took = true;
        }
        const bool emptyMarked = length == 0 && std::any_of(m, m + kLineCells, [](uint8_t v) { return v != 0; });
        if (took || emptyMarked) text += "\r\n";
        if (i == s.newest) break;
    }
    if (text.size() >= 2) text.resize(text.size() - 2);
    // A click without a drag marks one cell; that is no text to copy.
    if (text.size() <= 1) text.clear();
    return text;
}

void TransmitText(Session& s, std::string_view text, const TypedSender& sendTyped) {
    text = text.substr(0, text.find('\0'));
    PortState& port = s.port;
    const ServiceEntry& service = s.service;
    // Pasted text can outrun the host; let it hold us back unless the line
    // already does that.
    const bool switchXon = service.FlowControl != kFlowXonXoff && service.FlowControl != kFlowBoth;
    if (switchXon) {
        port.PortDcb.fOutX = 1;
        port.PortDcb.fInX = 1;
        ApplyPortDcb(port);
    }
    for (const char c : text) {
        // A carrier lost during a wait ends the session; the rest has nowhere to go.
        if (!port.PortOpen) break;
        if (service.AsciiCharDelay > 0) WaitPumping(s, service.AsciiCharDelay, true);
        if (c != kLF || !service.AsciiStripLf) {
            sendTyped(std::string_view(&c, 1));
            DispatchPending(s);
        }
        if (c == kLF && service.AsciiLineDelay > 0) WaitPumping(s, service.AsciiLineDelay, true);
    }
    if (switchXon) {
        port.PortDcb.fOutX = 0;
        port.PortDcb.fInX = 0;
        ApplyPortDcb(port);
    }
}

}  // namespace palvex
