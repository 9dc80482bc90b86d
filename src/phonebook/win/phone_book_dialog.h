// The phone book ("PHONEDIALOG"), its copy dialog ("COPYOPTION") and its
// dialing options ("DIALOPTION") over the App's current service.
#pragma once

#include <windows.h>

#include <string>

#include "phonebook/phone_book.h"
#include "platform/win/win_dialog_view.h"

namespace palvex {

struct App;

// A live dialog's fields, list boxes and drop-down lists by control id.
class WinListDialogView : public ListDialogView {
public:
    WinListDialogView(HWND dialog, const std::string& helpFile) : dialog_(dialog), base_(dialog, helpFile) {}

    void SetText(int control, const std::string& text) override { base_.SetText(control, text); }
    std::string GetText(int control) override { return base_.GetText(control); }
    void LimitText(int control, int maxChars) override { base_.LimitText(control, maxChars); }
    void SetChecked(int control, bool checked) override { base_.SetChecked(control, checked); }
    bool IsChecked(int control) override { return base_.IsChecked(control); }
    void Enable(int control, bool enabled) override { base_.Enable(control, enabled); }
    int ShowMessage(int stringId, const char* extra, unsigned style) override {
        return base_.ShowMessage(stringId, extra, style);
    }
    void ShowHelp(unsigned context) override { base_.ShowHelp(context); }
    void Close(int result) override { base_.Close(result); }

    void ClearItems(int control) override;
    void AddItem(int control, const std::string& text) override;
    void DeleteItem(int control, int index) override;
    void SelectItem(int control, int index) override;
    int Selection(int control) override;
    std::string ItemText(int control, int index) override;
    int ItemCount(int control) override;

private:
    bool IsCombo(int control) const;

    HWND dialog_;
    WinDialogView base_;
};

// Makes the installation directory current and runs the phone book modally
// over the main window. Returns its result: 0 nothing, 1 dial, 2 autolog (the
// service to dial is then the current one, a batch in App::DialBatch); -1
// when the dialog could not open.
int RunPhoneBookDialog(App& app);
// The copy dialog over `owner` on the current service; 1 when a copy was saved.
int RunCopyDialog(App& app, HWND owner);
// The dialing options over `owner` on the current service; 1 after OK.
int RunDialOptionsDialog(App& app, HWND owner);

INT_PTR CALLBACK PhoneDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CopyDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DialOptDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace palvex
