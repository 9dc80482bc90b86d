// Bringing a session up (direct connection and after dialing) and taking it
// down at once (carrier loss, Hangup before carrier was ever seen).
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// Timer 3: a direct connection for phone type "none", else the dial dialog
// (timer 2, posted).
void ConnectTimer(App& app);
// The connection set-up once the port is open. `dialed` is the variant after
// the dial dialog: no answer handling, no new caret, autoRepeat forced on.
void SetUpConnection(App& app, bool dialed);
// WM_USER+1: the dial dialog ended; wParam 1 when the user cancelled.
void DialingEnded(App& app, WPARAM cancelled);
// Resets the emulator of the service's terminal type for a new connection.
void ResetEmulatorForType(App& app);

// The immediate hang-up: writes the service back, kills the timers, drops DTR,
// closes the port and goes offline (with the carrier-loss message).
void HangUpNow(App& app);
// The Hangup command (1000).
void HangUpCommand(App& app);

// Destroys the session dialog, if one is open, and clears the slot.
void CloseSessionDialog(App& app);

}  // namespace palvex
