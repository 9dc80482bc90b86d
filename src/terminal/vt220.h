// The VT102/VT220/VT320 emulator and SCO-ANSI, which works the same way with a
// longer final table: one completion test and one executor, told apart by the
// dialect. The pump reaches them through the entries of emulators.h.
#pragma once

#include <array>
#include <cstdint>

#include "comm/session.h"

namespace palvex {

// Final bytes, in action-number order.
inline constexpr char kVt220Finals[] = "ABCDJHfmncZrKhlPLMEsuiFG@Xq";
inline constexpr char kScoFinals[] = "ABCDJHfmncZrKhlPLMEsuiFG@XqZTS";

// Acts on a complete sequence: `count` bytes after ESC, the final last. A final
// not in the table does nothing. The collector is left to the caller.
void Vt220Execute(Session& s, const uint8_t* afterEsc, int count);
void ScoExecute(Session& s, const uint8_t* afterEsc, int count);

namespace dec {

enum class Dialect { Vt220, Sco };

// What a collected byte means to the completion test before the collected
// bytes are looked at.
enum class Completion : uint8_t {
    Collect,     // keep collecting
    // These four depend on the bytes after ESC; inside ESC [ they are digits.
    Zero,        // ESC ( 0 / ESC ) 0 designate line drawing
    LineSize,    // ESC # 3..6 are ignored
    Save,        // ESC 7
    Restore,     // ESC 8
    Restart,     // ESC: the collector starts over
    Drop,        // ends the sequence without effect
    KeypadApp,   // ESC =
    KeypadNum,   // ESC >
    TabSet,      // ESC H does nothing (tab stops are fixed), else execute
    DeviceCtl,   // ESC P opens a device control string, else execute
    Execute,
};

using CompletionTable = std::array<Completion, 256>;

constexpr CompletionTable MakeCompletion(bool sco) {
    CompletionTable t{};
    for (auto& c : t) c = Completion::Collect;
    t[0x1B] = Completion::Restart;
    t['0'] = Completion::Zero;
    for (uint8_t c : {'3', '4', '5', '6'}) t[c] = Completion::LineSize;
    t['7'] = Completion::Save;
    t['8'] = Completion::Restore;
    for (uint8_t c : {'<', 'g', 'o', 'p', 'w', 'y', '|', '\\'}) t[c] = Completion::Drop;
    t['='] = Completion::KeypadApp;
    t['>'] = Completion::KeypadNum;
    t['H'] = Completion::TabSet;
    t['P'] = Completion::DeviceCtl;
    for (uint8_t c : {'@', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'J', 'K', 'L', 'M', 'X', 'Z',
                      'c', 'f', 'h', 'i', 'l', 'm', 'n', 'q', 'r', 's', 'u', '}', '~'})
        t[c] = Completion::Execute;
    if (sco) t['S'] = t['T'] = Completion::Execute;
    return t;
}

inline constexpr CompletionTable kVt220Completion = MakeCompletion(false);
inline constexpr CompletionTable kScoCompletion = MakeCompletion(true);

// Every completion but plain collecting.
void Complete(Session& s, Completion kind, Dialect d);

// The completion test of both entries: collects, acts on the short ESC forms
// itself, or executes and ends the sequence. Inline because it runs for every
// byte of every sequence, and most of those bytes are only collected.
inline void DecEntry(Session& s, uint8_t b, Dialect d) {
    const Completion kind = (d == Dialect::Sco ? kScoCompletion : kVt220Completion)[b];
    if (kind == Completion::Collect) return;
    // A digit of a parameter: these only mean something right after ESC.
    if (kind <= Completion::Restore && s.screen.EscapeLength > 1 && s.screen.EscapeBuffer[1] == '[') return;
    Complete(s, kind, d);
}

void DecExecute(Session& s, const uint8_t* afterEsc, int count, Dialect d);

}  // namespace dec
}  // namespace palvex
