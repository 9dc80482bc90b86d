// The phone book ("PHONEDIALOG"), its copy dialog ("COPYOPTION") and its
// dialing options ("DIALOPTION") over the App's current service.
#pragma once

#include <windows.h>

#include <string>

#include "phonebook/phone_book.h"

namespace palvex {

struct App;

// Makes the installation directory current and runs the phone book modally
// over the main window. Returns its result: 0 nothing, 1 dial, 2 autolog (the
// service to dial is then the current one, a batch in App::DialBatch); -1
// when the dialog could not open.
int RunPhoneBookDialog(App& app);
// The copy dialog over `owner` on the current service; 1 when a copy was saved.
int RunCopyDialog(App& app, HWND owner);
// The dialing options over `owner` on the current service; 1 after OK.
int RunDialOptionsDialog(App& app, HWND owner);

INT_PTR CALLBACK PhoneDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CopyDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DialOptDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
