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

void WinDialogView::SetTitle(const std::string& title) {
    SetWindowTextA(dialog_, title.c_str());
}

bool WinDialogView::IsCombo(int control) const {
    char cls[32] = {};
    GetClassNameA(GetDlgItem(dialog_, control), cls, sizeof cls);
    return lstrcmpiA(cls, "ComboBox") == 0;
}

void WinDialogView::ClearItems(int control) {
    SendDlgItemMessageA(dialog_, control, IsCombo(control) ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

void WinDialogView::AddItem(int control, const std::string& text) {
    SendDlgItemMessageA(dialog_, control, IsCombo(control) ? CB_ADDSTRING : LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(text.c_str()));
}

void WinDialogView::DeleteItem(int control, int index) {
    SendDlgItemMessageA(dialog_, control, IsCombo(control) ? CB_DELETESTRING : LB_DELETESTRING,
                        static_cast<WPARAM>(index), 0);
}

void WinDialogView::SelectItem(int control, int index) {
    SendDlgItemMessageA(dialog_, control, IsCombo(control) ? CB_SETCURSEL : LB_SETCURSEL,
                        static_cast<WPARAM>(index), 0);
}

int WinDialogView::Selection(int control) {
    const LRESULT r = SendDlgItemMessageA(dialog_, control, IsCombo(control) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
    return r < 0 ? -1 : static_cast<int>(r);
}

std::string WinDialogView::ItemText(int control, int index) {
    const bool combo = IsCombo(control);
    const LRESULT length = SendDlgItemMessageA(dialog_, control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN,
                                               static_cast<WPARAM>(index), 0);
    if (length < 0) return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1);
    SendDlgItemMessageA(dialog_, control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

int WinDialogView::ItemCount(int control) {
    const LRESULT r = SendDlgItemMessageA(dialog_, control, IsCombo(control) ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    return r < 0 ? 0 : static_cast<int>(r);
}

}  // namespace palvex
