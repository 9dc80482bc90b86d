#include "platform/win/win_dialog_view.h"

#include <vector>

#include "shell/win/message_dialog.h"

namespace palvex {

void WinDialogView::SetText(int control, const std::string& text) {
    SetDlgItemTextA(dialog_, control, text.c_str());
}

std::string WinDialogView::GetText(int control) {
    HWND item = GetDlgItem(dialog_, control);
    if (!item) return std::string();
    std::vector<char> buffer(static_cast<size_t>(GetWindowTextLengthA(item)) + 1);
    int length = GetWindowTextA(item, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

void WinDialogView::LimitText(int control, int maxChars) {
    SendDlgItemMessageA(dialog_, control, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}

void WinDialogView::SetChecked(int control, bool checked) {
    CheckDlgButton(dialog_, control, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool WinDialogView::IsChecked(int control) {
    return IsDlgButtonChecked(dialog_, control) == BST_CHECKED;
}

void WinDialogView::Enable(int control, bool enabled) {
    EnableWindow(GetDlgItem(dialog_, control), enabled ? TRUE : FALSE);
}

int WinDialogView::ShowMessage(int stringId, const char* extra, unsigned style) {
    return palvex::ShowMessage(dialog_, stringId, extra, style);
}

void WinDialogView::ShowHelp(unsigned context) {
    WinHelpA(dialog_, helpFile_.c_str(), HELP_CONTEXT, context);
}

void WinDialogView::Close(int result) {
    EndDialog(dialog_, result);
}

}  // namespace palvex
