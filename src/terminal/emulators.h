// Entry points of the emulators. The pump appends each byte of an escape
// sequence to the collector and calls the entry of the terminal type; the entry
// either waits for more or acts and ends the sequence (EscapeActive = 0,
// EscapeLength = 0).
#pragma once

#include <cstdint>

namespace palvex {

struct Session;

void Vt100Entry(Session& s, uint8_t b);   // VT100 and VT100(Ansi Color)
void Vt52Entry(Session& s, uint8_t b);
void Vt220Entry(Session& s, uint8_t b);   // VT102, VT220, VT320
// Bytes of a device control string while StringMode is set.
void Vt220StringByte(Session& s, uint8_t b);
// 8-bit controls 0x84..0x9F of VT220/VT320.
void C1Control(Session& s, uint8_t b);
void WyseEntry(Session& s, uint8_t b);
void ScoEntry(Session& s, uint8_t b);
// SUB on a Wyse 50: clear the screen.
void WyseClearScreen(Session& s);

// Ends the sequence being collected.
void EndSequence(Session& s);
// Placeholder entry for a type whose emulator is not written yet: collects an
// ECMA-48 shaped sequence up to its final byte and drops it.
void DropWhenComplete(Session& s, uint8_t b);

}  // namespace palvex
