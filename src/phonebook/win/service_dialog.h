// The service editor ("SERVICE", "Communication Setting") over the App's
// current service.
#pragma once

#include <windows.h>

namespace palvex {

struct App;

// Modal over `owner`; `newEntry` enables the name box. Returns 1 after OK, 0
// after Cancel, -1 when the dialog could not open.
int RunServiceEditor(App& app, HWND owner, bool newEntry);

INT_PTR CALLBACK serviceDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
