// "Check modem port" ("PORT"): the modem search over COM1..COM8, in its manual
// form from the Miscellaneous menu and its automatic form for the service
// editor's "Def. Setting".
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// The manual form: the user reads the outcome and closes the dialog with OK
// once the search has ended. Does nothing while a port is open.
void ShowModemPortDialog(App& app, HWND owner);

// The automatic form: no OK button; the dialog closes itself when the search
// ends. Returns the port found, 1..8, or 0 when no port answered (or a
// connection holds the port, so no search was made).
int DetectModemPort(App& app, HWND owner);

INT_PTR CALLBACK PortDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
