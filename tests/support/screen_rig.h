// A screen buffer on a recording display, with the small amount of teletype
// handling the receive pump does around it, so tests can type text at it.
#pragma once

#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "platform/ui.h"
#include "terminal/display_sink.h"
#include "terminal/terminal_screen.h"

namespace palvex::testing {

// Lines are packed 139-byte records, so their 16-bit counts may sit at odd
// addresses; read them by value rather than binding a reference (as the
// assertion macros would).
inline int LengthOf(const ScreenLine& line) { return line.length; }
inline int SpareOf(const ScreenLine& line) { return line.spare; }

struct ScreenRig {
    RecordingDisplay display;
    std::unique_ptr<TerminalScreen> owned = std::make_unique<TerminalScreen>();
    TerminalScreen& s = *owned;

    explicit ScreenRig(int rows = 24, int lines = 100, int columns = 80) {
        s.rows = rows;
        s.marginBottom = rows;
        s.columns = columns;
        s.display = &display;
        SilentUi ui;
        if (SetupScrollback(s, lines, ui, nullptr) != 0) throw std::bad_alloc();
        display.calls.clear();
    }

    // CR, LF, BS, HT and DEL act as the pump's teletype rules; every other
    // byte is printable.
    void Type(std::string_view text) {
        for (char c : text) {
            const auto b = static_cast<uint8_t>(c);
            if (b == '\r') {
                CarriageReturn(s);
                continue;
            }
            if (b == '\n') {
                LineFeed(s);
                continue;
            }
            ResolveAfterCR(s);
            if (b == '\b') Backspace(s);
            else if (b == '\t') Tab(s);
            else if (b == 0x7F) DeleteLeft(s);
            else PutChar(s, b);
        }
    }

    // Writes `text` at the start of screen row `row`, leaving the cursor where it was.
    void Put(int row, std::string_view text) {
        const int col = s.cursorCol, r = s.cursorRow;
        s.cursorCol = 0;
        s.cursorRow = row;
        for (char c : text) PutChar(s, static_cast<uint8_t>(c));
        s.cursorCol = col;
        s.cursorRow = r;
    }

    // What the painter and copy would take from a line: cells 0..length-1.
    std::string RingText(int index) const {
        const ScreenLine& line = *s.ring[index];
        return std::string(reinterpret_cast<const char*>(line.text), static_cast<size_t>(line.length));
    }
    std::string Row(int row) const { return RingText(RingIndex(s, row)); }

    // The first `count` rows as one string, one character each (its column 0,
    // '.' for an empty line): a compact picture of which line went where.
    std::string Column0(int count) const {
        std::string out;
        for (int r = 0; r < count; ++r) {
            const std::string text = Row(r);
            out += text.empty() ? '.' : text[0];
        }
        return out;
    }

    // Distance through the ring from the oldest line to the shown top, which
    // the scroll position must always equal.
    int HistoryAboveView() const {
        return (s.top - s.oldest + s.scrollRange) % s.scrollRange;
    }

    // Every held line from the oldest to the newest, as the copy of the whole
    // buffer walks them.
    std::string HeldColumn0() const {
        std::string out;
        for (int i = s.oldest;; i = (i + 1) % s.scrollRange) {
            const std::string text = RingText(i);
            out += text.empty() ? '.' : text[0];
            if (i == s.newest) break;
        }
        return out;
    }
};

}  // namespace palvex::testing
