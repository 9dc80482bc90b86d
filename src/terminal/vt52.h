// The VT52 emulator's executor, apart from its entry in emulators.h so that the
// fuzzers and tests can hand it a sequence directly.
#pragma once

#include <cstdint>

namespace palvex {

struct Session;

// Acts on a complete sequence: `bytes` are those after ESC, the last one the
// final. A final outside "ABCDHKYZIJWX" does nothing.
void Vt52Execute(Session& s, const uint8_t* bytes, int count);

}  // namespace palvex
