// The one message box of the program: the string-table text of an id in the
// dialog "MSGDIALOG", with the buttons and icon the style asks for.
#pragma once

#include <windows.h>

#include <string>

namespace palvex {

inline constexpr int kMaxMessageStringLength = 511;

// String `stringId` of `module` (at most 511 characters; an id below 1 or a
// missing string gives an empty text) followed by `extra` when given.
std::string ComposeMessageText(HINSTANCE module, int stringId, const char* extra);

// The owner of messages whose caller names none: the main window once it
// exists (null before and after).
void SetMessageMainWindow(HWND mainWindow);
HWND MessageMainWindow();

// Shows the message modally and returns the button pressed: 1 OK, 2 CANCEL,
// 6 Yes, 7 NO. Style bits 0-3 choose OK (0), OK and CANCEL (1) or Yes and NO
// (4); bits 4-7 the icon: 0x10 stop, 0x20 question, 0x30 exclamation, 0x40
// information. `owner` null means the main window.
int ShowMessage(HWND owner, int stringId, const char* extra, unsigned style);
// The same for a text that is not in the string table.
int ShowMessageText(HWND owner, const char* text, unsigned style);

INT_PTR CALLBACK MsgDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
