// Small helpers the emulator tests share: a spool and a keyboard that count
// what the host made them do, and direct placing of the cursor and of text.
#pragma once

#include <string>

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

inline void Place(TerminalRig& rig, int row, int col) {
    rig.screen.cursorRow = row;
    rig.screen.cursorCol = col;
}

// Writes "r<row>" text on every screen row, straight into the buffer.
inline void FillRows(TerminalRig& rig) {
    for (int r = 0; r < rig.screen.rows; ++r) {
        Place(rig, r, 0);
        const std::string text = "r" + std::to_string(r);
        for (char c : text) PutChar(rig.screen, static_cast<uint8_t>(c));
    }
}

inline std::string Answer(const TerminalRig& rig) {
    return std::string(rig.Answers().begin(), rig.Answers().end());
}

}  // namespace palvex::testing
