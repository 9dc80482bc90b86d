// A terminal of one type fed through the receive path, with the reads the
// emulator tests make of it, and a spool and keyboard that count what the host
// made them do.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "comm/terminal_rig.h"

namespace palvex::testing {

struct CountingSpool : PrintSpool {
    int starts = 0, ends = 0;
    std::string bytes;
    void Start() override { ++starts; }
    void Byte(uint8_t b) override { bytes.push_back(static_cast<char>(b)); }
    void End() override { ++ends; }
};

struct CountingKeyboard : KeyboardState {
    int numLockOn = 0;
    void NumLockOn() override { ++numLockOn; }
};

inline std::string Show(const std::string& bytes) { return ::testing::PrintToString(bytes); }

class Term {
public:
    explicit Term(int type, int columns = 80, int rows = 24, bool autoWrap = false, int scrollRange = 1000)
        : rig([&] {
              TermOptions o;
              o.type = type, o.columns = columns, o.rows = rows, o.autoWrap = autoWrap, o.scrollRange = scrollRange;
              return o;
          }()) {}

    Term& Feed(std::string_view bytes) {
        rig.Receive(std::string(bytes));
        return *this;
    }
    // Puts the cursor at a 0-based cell without going through the emulator.
    Term& At(int row, int col) {
        rig.screen.cursorRow = row;
        rig.screen.cursorCol = col;
        return *this;
    }
    // Text written at the start of `row`, the cursor left where it was.
    Term& Put(int row, std::string_view text) {
        const int r = rig.screen.cursorRow, c = rig.screen.cursorCol;
        At(row, 0);
        for (char ch : text) PutChar(rig.screen, static_cast<uint8_t>(ch));
        return At(r, c);
    }
    // Rows "a", "b", ... "x" (as many as there are rows).
    Term& Lettered() {
        for (int r = 0; r < rig.screen.rows; ++r) Put(r, std::string(1, static_cast<char>('a' + r % 26)));
        return *this;
    }

    // A negative row reads the history above the screen.
    std::string Row(int row) { return RowText(rig.screen, row); }
    int Length(int row) { return LineAt(rig.screen, row).length; }
    uint8_t AttrOf(int row, int col) { return AttrAt(rig.screen, row)[col]; }
    int CursorRow() const { return rig.screen.cursorRow; }
    int CursorCol() const { return rig.screen.cursorCol; }
    bool Collecting() const { return rig.screen.EscapeActive != 0; }
    std::string Answers() const { return std::string(rig.Answers().begin(), rig.Answers().end()); }
    // One letter per row: the row's first character, '.' for an empty row.
    std::string Column0(int count = 0) {
        std::string out;
        for (int r = 0; r < (count ? count : rig.screen.rows); ++r) {
            const std::string text = Row(r);
            out += text.empty() ? '.' : text[0];
        }
        return out;
    }
    // Lines pushed off the top of the screen so far.
    int History() const { return (rig.screen.liveTop - rig.screen.oldest + rig.screen.scrollRange) % rig.screen.scrollRange; }

    TerminalRig rig;
};

}  // namespace palvex::testing
