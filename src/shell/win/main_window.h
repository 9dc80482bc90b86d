// The one top-level window of the program and the loop that drives it.
#pragma once

#include <windows.h>

#include "shell/command_ids.h"

namespace palvex {

inline constexpr const char* kMainClassName = "PALVEX32";
inline constexpr const char* kMainTitle = "Palvex32-Dialup";

// Registers the window class; false when Windows refuses it.
bool RegisterMainWindowClass(HINSTANCE instance);
// Creates, shows and updates the main window; null on failure.
HWND CreateMainWindow(HINSTANCE instance, int showState);
// GetMessageA until WM_QUIT; returns the quit code.
int RunMessageLoop();

}  // namespace palvex
