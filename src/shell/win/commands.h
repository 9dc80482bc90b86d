// The command table of the menu and the toolbar.
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// WM_COMMAND with a menu or toolbar id; `lParam` carries a script path for 102.
void RunCommand(App& app, int id, LPARAM lParam);

// Exit, WM_CLOSE and WM_QUERYENDSESSION: refused with "You must hang up first"
// while the port is open; true when the window may go.
bool MayClose(App& app);

// "&Reset Term": margins, character sets, attribute, 8-bit answers (kept for
// VT220/VT320), reverse video and the printer controller.
void ResetTerminal(App& app);

// WM_INITMENU: Transmit needs clipboard text and an open port, Copy a selection.
void PrepareMenu(App& app, HMENU menu);

}  // namespace palvex
