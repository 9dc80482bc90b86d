// The dialog view over a live Win32 dialog: fields are its controls by id;
// a list control may be a list box or a drop-down list.
#pragma once

#include <windows.h>

#include <string>

#include "platform/dialog_view.h"

namespace palvex {

class WinDialogView : public ListDialogView {
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

    void SetTitle(const std::string& title) override;
    void ClearItems(int control) override;
    void AddItem(int control, const std::string& text) override;
    void DeleteItem(int control, int index) override;
    void SelectItem(int control, int index) override;
    int Selection(int control) override;
    std::string ItemText(int control, int index) override;
    int ItemCount(int control) override;

    HWND Window() const { return dialog_; }

private:
    bool IsCombo(int control) const;

    HWND dialog_;
    std::string helpFile_;
};

}  // namespace palvex
