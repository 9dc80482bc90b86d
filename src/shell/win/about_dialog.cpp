#include "shell/win/about_dialog.h"

#include <climits>
#include <cstdio>

#include "shell/dialog_ids.h"

namespace palvex {

namespace {
constexpr const char* kTemplate = "ABOUT";
}  // namespace

std::string TotalMemoryText(uint64_t bytes) {
    // "%d" cannot show more than 2 GB; a larger total shows as the most it
    // can rather than as a wrapped negative number.
    const int shown = bytes > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes);
    char text[48];
    std::snprintf(text, sizeof text, "%d bytes total memory", shown);
    return text;
}

void ShowAboutDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), kTemplate, owner, AboutDlgFunc, 0);
}

INT_PTR CALLBACK AboutDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        MEMORYSTATUS status{};
        status.dwLength = sizeof status;
        GlobalMemoryStatus(&status);
        SetDlgItemTextA(dialog, dlg::kAboutMemory, TotalMemoryText(status.dwTotalPhys).c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == dlg::kOk || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam) == dlg::kOk ? 1 : 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace palvex
