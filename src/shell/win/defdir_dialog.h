// The Default Directory dialog ("DEFDIR", command 3000).
#pragma once

#include <windows.h>

#include <functional>

#include "phonebook/service_entry.h"
#include "shell/settings.h"

namespace palvex {

// Modal over `mainWindow`; edits `service` (the current service). A changed
// capture option while `portOpen()` is true posts WM_COMMAND 1005 to
// `mainWindow`. Returns 1 after OK, 0 after Cancel, -1 when the dialog could
// not open.
int ShowDefaultDirDialog(HWND mainWindow, ServiceEntry& service, const ProgramSettings& settings,
                         std::function<bool()> portOpen);

INT_PTR CALLBACK DirDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
