// The VT100 emulator's executor, apart from its entry in emulators.h so that the
// fuzzers and tests can hand it a sequence directly.
#pragma once

#include <cstdint>

namespace palvex {

struct Session;

// Acts on a complete sequence for "VT100" and "VT100(Ansi Color)": `bytes` are
// those after ESC, the last one the final. A final outside
// "ABCDJHfmncZrKhlPLMEsui" does nothing.
void Vt100Execute(Session& s, const uint8_t* bytes, int count);

}  // namespace palvex
