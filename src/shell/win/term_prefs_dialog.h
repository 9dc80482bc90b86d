// "Terminal Preferences" (302): the window side of TermPrefsDialog
// (terminal/term_prefs.h) on the template "TERMDLG".
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// Runs the dialog owned by the main window; 1 after OK, 0 after Cancel.
int OpenTerminalPrefs(App& app);

// For DialogBoxParam; lParam points at the run OpenTerminalPrefs sets up.
INT_PTR CALLBACK TermDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
