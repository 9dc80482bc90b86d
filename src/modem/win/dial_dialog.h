// The dial dialog "DIALDIALOG": modeless, the session dialog while a dial runs.
// Its procedure hands the dialog's events to the Dialer and does for it what
// only a window can (texts, timers, posted commands, the main window).
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// Creates the dialog over the main window and opens the dial (WM_INITDIALOG);
// null when the dialog could not be made.
HWND CreateDialDialog(App& app);

INT_PTR CALLBACK DialDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
