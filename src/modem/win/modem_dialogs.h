// The manufacturer list "Modem" and the two profile dialogs it opens,
// "MODEMDLG" (command strings) and "MODEMRESULTCODE" (result texts).
#pragma once

#include <windows.h>

#include <string>

#include "modem/modem_profile.h"
#include "phonebook/service_entry.h"

namespace palvex {

// Modal over `owner`. Makes `installDir` current; the profile files are read
// and written there, into `profile` (the working profile). OK stores the
// chosen manufacturer in `service`. Returns 1 after OK, 0 after Cancel, -1
// when the dialog could not open.
int ShowModemDialog(HWND owner, ServiceEntry& service, ModemProfile& profile, const std::string& installDir,
                    const std::string& helpFile);

INT_PTR CALLBACK ModemDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK mCommDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK mResultDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
