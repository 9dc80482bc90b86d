// The main window's side of dialing and of the modem hang-up: opening the dial
// dialog (timer 2), the batch list it is handed, and the escape, hang-up
// command and close steps (timers 15, 4 and 11).
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// Timer 2: the dial dialog as the session dialog; the main window waits.
void OpenDialDialog(App& app);
// Frees the batch list once the dial dialog has ended.
void ReleaseDialBuffer(App& app);

// The hang-up while carrier is up: the service is written back, the main
// window's timers stop, and the modem escape follows 100 ms later.
void StartModemHangUp(App& app);
void HangUpEscapeTimer(App& app);     // timer 15: the escape string
void HangUpCommandTimer(App& app);    // timer 4: DTR down, the hang-up string
void HangUpCloseTimer(App& app);      // timer 11: the port closes

}  // namespace palvex
