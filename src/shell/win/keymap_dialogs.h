// The keymap editor ("KEYMAP") with its "KEYFUNCTION" and "KEYCODE" boxes.
#pragma once

#include <windows.h>

#include <string>

#include "terminal/keymap.h"

namespace palvex {

struct App;

inline constexpr unsigned kKeymapHelpContext = 250;

// The "&Keyboard" command (1) and the preferences' "Keyboard.." button: the
// editor for terminal type `type`, owned by `owner`. The keyboard's key-state
// table is saved before and restored after.
void OpenKeymapEditor(App& app, HWND owner, int type);
void OpenKeymapEditor(App& app);

// The editor itself on the keymap in use (`live`, edited in place so that a
// change takes effect at once) and the file at `path`; 1 after OK, 0 after
// Cancel.
int RunKeymapEditor(HWND owner, Keymap& live, const std::string& path, int type, const std::string& helpFile);

// What the keyboard driver calls the key of keymap slot `slot` ("Etr" is the
// keypad's Enter); empty when it has no name for it.
std::string SlotKeyName(int slot);
// The character a key produces in the Keycode box, as it is shown: a control
// character in caret form, nothing when the key produces none; and its code
// as "%x". `shift` and `control` say which modifier is held.
struct KeyCodeText {
    std::string character;
    std::string code;
};
KeyCodeText KeyCodeFor(int virtualKey, bool shift, bool control);

// For DialogBoxParam.
INT_PTR CALLBACK KbdDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK KeyFunctionDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK KeycodeDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
