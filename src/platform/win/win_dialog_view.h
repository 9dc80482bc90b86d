// The dialog view over a live Win32 dialog: fields are its controls by id.
#pragma once

#include <windows.h>

#include <string>

#include "platform/dialog_view.h"

namespace palvex {

class WinDialogView : public DialogView {
public:
    // `helpFile` is what ShowHelp opens.
    WinDialogView(HWND dialog, std::string helpFile) : dialog_(dialog), helpFile_(std::move(helpFile)) {}

    void SetText(int control, const std::string& text) override;
    std::string GetText(int control) override;
    void LimitText(int control, int maxChars) override;
    void SetChecked(int control, bool checked) override;
    bool IsChecked(int control) override;
    void Enable(int control, bool enabled) override;
    int ShowMessage(int stringId, const char* extra, unsigned style) override;
    void ShowHelp(unsigned context) override;
    void Close(int result) override;

    HWND Window() const { return dialog_; }

private:
    HWND dialog_;
    std::string helpFile_;
};

}  // namespace palvex
