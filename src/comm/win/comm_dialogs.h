// "COMMSTATUS" and "DATABIT": the two modal dialogs over the open port. The
// procedures hand button clicks to the logic in comm/comm_dialogs_logic.h.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "comm/port.h"
#include "phonebook/service_entry.h"
#include "terminal/terminal_screen.h"

namespace palvex {

struct CommStatusArgs {
    PortState& port;
    TerminalScreen& screen;
    std::string helpFile;
    std::function<bool()> pumpRunning;
    // Sets the pump running and posts WM_COMMNOTIFY to the main window.
    std::function<void()> restartPump;
};

struct CommParameterArgs {
    ServiceEntry& service;
    PortState& port;
    std::string helpFile;
    // The service check, its messages owned by `dialog`: 0 or -1.
    std::function<int(HWND dialog)> validate;
};

// Both return what DialogBoxParamA returns: 1 for OK, 0 for Cancel, -1 when
// the dialog could not be made.
int ShowCommStatusDialog(HWND owner, const CommStatusArgs& args);
int ShowCommParameterDialog(HWND owner, const CommParameterArgs& args);

INT_PTR CALLBACK CommStatusDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CommParameterDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
