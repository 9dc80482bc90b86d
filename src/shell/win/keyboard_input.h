// The main window's keyboard messages on their way to keyboard translation.
#pragma once

#include <windows.h>

#include <string_view>

#include "comm/pump_hooks.h"

namespace palvex {

struct App;

// The keymap of the current terminal type, loaded on every connect and after
// the preferences' OK.
void LoadServiceKeymap(App& app);
// WM_KEYDOWN, WM_KEYUP and WM_CHAR.
void KeyMessage(App& app, UINT message, WPARAM wParam, LPARAM lParam);
// Text sent as if typed (the clipboard's Transmit).
void SendTyped(App& app, std::string_view typed);

// The thread's key-state table, whose Num Lock toggle the keypad application
// mode turns on.
KeyboardState& WinKeyboardState();

}  // namespace palvex
