// The receive pump: bursts from the port to the chat receiver, the
// display-controls interpreter or the standard interpreter, and the transmit
// path for typed and pasted text.
#pragma once

#include <cstdint>

#include "comm/session.h"

namespace palvex {

// Purges both directions, closes the port and clears the session flags.
void DropConnection(Session& s);

// The WM_COMMNOTIFY loop: runs while no session dialog is open and the port is.
void RunPumpLoop(Session& s);
// One pass: DrainPort, and HangUp(immediate) on carrier loss. 0 or -16.
int PumpOnce(Session& s);
// Reads and dispatches bursts until the port is empty; the last ReadBurst result.
int DrainPort(Session& s);
// Up to 1023 bytes (1024 with an expanded CR) into `buffer`. 0 or -16.
int ReadBurst(Session& s, uint8_t* buffer, int& count);

// The standard interpreter: 1 when it started a ZMODEM receive, -16 on carrier
// loss while collecting the ZMODEM header, else 0.
int InterpretBytes(Session& s, const uint8_t* bytes, int count);
// The display-controls interpreter; same contract.
int InterpretBytesShowingControls(Session& s, const uint8_t* bytes, int count);
// The chat receiver: remote text in the lower half, not stored in the buffer.
void ChatReceive(Session& s, const uint8_t* bytes, int count);
// What the user types in chat mode, drawn in the upper half: CR starts a line,
// text wraps at the window's width and the nine lines scroll up one at a time.
void ChatEcho(Session& s, const uint8_t* bytes, int count);

// Waits `ms` keeping the user interface alive, running the pump when `pump`.
void WaitPumping(Session& s, unsigned ms, bool pump);
// Break for 150 ms.
int SendBreak(Session& s);
// Typed and pasted text: writes with local echo and outbound CR -> CR LF.
int TransmitBytes(Session& s, const uint8_t* bytes, int count);

// Name of a control byte under the display-controls option ("<cr>", ...).
const char* ControlName(uint8_t b);

}  // namespace palvex
