// The one top-level window of the program.
#pragma once

#include <windows.h>

#include "shell/command_ids.h"

namespace palvex {

struct App;

inline constexpr const char* kMainClassName = "PALVEX32";
inline constexpr const char* kMainTitle = "Palvex32-Dialup";

// Registers the window class; false when Windows refuses it.
bool RegisterMainWindowClass(HINSTANCE instance);

// The show state the window is first shown with: the normal start states
// become maximised, because WS_MAXIMIZE alone is not honoured by every
// window manager (Wine without one ignores it); any other state is kept.
int StartShowState(int showState);

// Creates the main window for `app` (its WM_CREATE does the whole start-up),
// shows it with StartShowState(showState) and updates it; null on failure.
HWND CreateMainWindow(App& app, int showState);

}  // namespace palvex
