// The Win32 side of the user-facing seam: messages come from the string table
// of the module and are shown with the system message box until the shell has
// its own "MSGDIALOG".
#pragma once

#include <windows.h>

#include <string>

#include "platform/ui.h"

namespace palvex {

// The text ShowMessage displays: string `stringId` of `module` (at most 511
// characters; an id below 1 or a missing string gives an empty text) followed
// by `extra` when given.
std::string ComposeMessageText(HINSTANCE module, int stringId, const char* extra);

class WinUi : public Ui {
public:
    explicit WinUi(HINSTANCE module) : module_(module) {}

    // The owner used when a caller passes none (the main window, once it exists).
    void SetDefaultOwner(HWND owner) { defaultOwner_ = owner; }

    int ShowMessage(WindowRef owner, int stringId, const char* extra, unsigned style) override;
    int ShowText(WindowRef owner, const char* text, unsigned style) override;
    void MessageBeep(unsigned type) override;

private:
    HWND OwnerOrDefault(WindowRef owner) const;

    HINSTANCE module_;
    HWND defaultOwner_ = nullptr;
};

}  // namespace palvex
