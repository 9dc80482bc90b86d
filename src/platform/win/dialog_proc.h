// What the dialog procedures repeat: finding the object a dialog runs on, and
// handing the usual WM_COMMAND notifications to its platform-free logic.
#pragma once

#include <windows.h>

#include "platform/win/win_dialog_view.h"

namespace palvex {

// DialogBoxParam's lParam, kept in DWLP_USER from WM_INITDIALOG on; null for
// the messages a dialog gets before that one.
template <typename Run>
Run* DialogRun(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return reinterpret_cast<Run*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// A button click to `logic.Command(view, id)`; FALSE for any other
// notification and for a button the logic does not know.
template <typename Logic, typename View>
INT_PTR ForwardClick(Logic& logic, View& view, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    return logic.Command(view, LOWORD(wParam)) ? TRUE : FALSE;
}

// As ForwardClick, and an edit's every update to `logic.TextChanged(view, id)`.
template <typename Logic, typename View>
INT_PTR ForwardEditOrClick(Logic& logic, View& view, WPARAM wParam) {
    if (HIWORD(wParam) == EN_UPDATE) {
        logic.TextChanged(view, LOWORD(wParam));
        return TRUE;
    }
    return ForwardClick(logic, view, wParam);
}

// The whole procedure of a dialog whose logic only opens and answers clicks
// (with `Edits`, edit updates too). `Run` holds `logic` and `helpFile`; its
// `dialog`, where it has one, learns the window for the logic's hooks.
template <typename Run, bool Edits = false>
INT_PTR PlainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRun<Run>(dialog, message, lParam);
    if (!run) return FALSE;
    WinDialogView view(dialog, run->helpFile);
    switch (message) {
    case WM_INITDIALOG:
        if constexpr (requires { run->dialog = dialog; }) run->dialog = dialog;
        run->logic.Open(view);
        return TRUE;
    case WM_COMMAND:
        if constexpr (Edits) return ForwardEditOrClick(run->logic, view, wParam);
        return ForwardClick(run->logic, view, wParam);
    default: return FALSE;
    }
}

}  // namespace palvex
