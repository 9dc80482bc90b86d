// The Win32 side of the user-facing seam: messages go through the program's
// own message box ("MSGDIALOG") with texts from its string table.
#pragma once

#include <windows.h>

#include <string>

#include "platform/ui.h"
#include "shell/win/message_dialog.h"

namespace palvex {

class WinUi : public Ui {
public:
    // The strings and the dialog always come from the program's own module;
    // the argument is kept for callers that pass their instance.
    explicit WinUi(HINSTANCE = nullptr) {}

    // The owner used when a caller passes none. Unset, ShowMessage falls back
    // to the main window given to SetMessageMainWindow.
    void SetDefaultOwner(HWND owner) { defaultOwner_ = owner; }

    int ShowMessage(WindowRef owner, int stringId, const char* extra, unsigned style) override;
    int ShowText(WindowRef owner, const char* text, unsigned style) override;
    void MessageBeep(unsigned type) override;

private:
    HWND OwnerOrDefault(WindowRef owner) const;

    HWND defaultOwner_ = nullptr;
};

}  // namespace palvex
