// The transfer settings dialogs: "PROTODLG" (Protocol Preference), the option
// dialogs "ASCIIOPTIONS", "ZMODEMOPTION" and "KERMITOPTION" it opens, and the
// batch list "BATCHLIST" the batch senders are started with. The procedures
// hand their messages to the logic in transfer/transfer_settings.h.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "phonebook/service_entry.h"
#include "shell/settings.h"

namespace palvex {

struct ProtocolDialogArgs {
    ServiceEntry& service;  // CurrentService; written only by OK
    std::string helpFile;
    // "Def. Dir..": the Default Directory dialog, owned by `dialog`.
    std::function<void(HWND dialog)> openDefaultDir;
};

// Modal PROTODLG over `owner`: 1 after OK, 0 after Cancel, -1 when the dialog
// could not be made. A null `instance` means the program's own module.
int ShowProtocolDialog(HWND owner, HINSTANCE instance, const ProtocolDialogArgs& args);

// The option dialogs, modal over `owner`; `service` changes only on OK. Same
// results as ShowProtocolDialog.
int ShowAsciiOptions(HWND owner, HINSTANCE instance, ServiceEntry& service, const std::string& helpFile);
int ShowZmodemOptions(HWND owner, HINSTANCE instance, ServiceEntry& service, const std::string& helpFile);
int ShowKermitOptions(HWND owner, HINSTANCE instance, ServiceEntry& service, const std::string& helpFile);

// Modal BATCHLIST over `owner`. After Done `list` holds the chosen full paths
// (each shorter than kBatchPathSize bytes) in the order of the list and their
// count is returned; 0 after Cancel, after Done with an empty list, or when the
// dialog could not be made: the send is abandoned.
int RunBatchListDialog(HWND owner, HINSTANCE instance, std::vector<std::string>& list,
                       const std::string& helpFile = kHelpFileName);

INT_PTR CALLBACK ProtoDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AOptionDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ZOptionDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK KOptionDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK BatchDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
