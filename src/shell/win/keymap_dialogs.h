// The keymap editor ("KEYMAP") with its "KEYFUNCTION" and "KEYCODE" boxes.
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// The "&Keyboard" command (1) and the preferences' "Keyboard.." button: the
// editor for terminal type `type`, owned by `owner`. The keyboard's key-state
// table is saved before and restored after.
void OpenKeymapEditor(App& app, HWND owner, int type);
void OpenKeymapEditor(App& app);

}  // namespace palvex
