// The VT102/VT220/VT320 emulator and SCO-ANSI, which is the same design with a
// longer final table: one completion test and one executor, told apart by the
// dialect. The pump reaches them through the entries of emulators.h.
#pragma once

#include <cstdint>

namespace palvex {

struct Session;

// Final bytes, in action-number order.
inline constexpr char kVt220Finals[] = "ABCDJHfmncZrKhlPLMEsuiFG@Xq";
inline constexpr char kScoFinals[] = "ABCDJHfmncZrKhlPLMEsuiFG@XqZTS";

// Acts on a complete sequence: `count` bytes after ESC, the final last. A final
// not in the table does nothing. The collector is left to the caller.
void Vt220Execute(Session& s, const uint8_t* afterEsc, int count);
void ScoExecute(Session& s, const uint8_t* afterEsc, int count);

namespace dec {

enum class Dialect { Vt220, Sco };

// The completion test of both entries: collects, acts on the short ESC forms
// itself, or executes and ends the sequence.
void DecEntry(Session& s, uint8_t b, Dialect d);
void DecExecute(Session& s, const uint8_t* afterEsc, int count, Dialect d);

}  // namespace dec
}  // namespace palvex
