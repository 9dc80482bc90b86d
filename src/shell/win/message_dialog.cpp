#include "shell/win/message_dialog.h"

#include "shell/dialog_ids.h"

namespace palvex {

namespace {

constexpr const char* kTemplate = "MSGDIALOG";
constexpr const char* kTitle = "Message";

HWND g_mainWindow = nullptr;

struct MessageRequest {
    const char* text;
    unsigned style;
};

enum class Buttons { Ok, OkCancel, YesNo };

Buttons ButtonsOf(unsigned style) {
    switch (style & 0x0F) {
    case MB_OKCANCEL:
        return Buttons::OkCancel;
    case MB_YESNO:
        return Buttons::YesNo;
    default:
        return Buttons::Ok;
    }
}

LPCSTR IconOf(unsigned style) {
    switch (style & 0xF0) {
    case MB_ICONHAND:
        return IDI_HAND;
    case MB_ICONQUESTION:
        return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
        return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
        return IDI_ASTERISK;
    default:
        return nullptr;
    }
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Show(HWND dialog, int id, bool visible) {
    ShowWindow(GetDlgItem(dialog, id), visible ? SW_SHOW : SW_HIDE);
}

void ArrangeButtons(HWND dialog, Buttons buttons) {
    Show(dialog, dlg::kMsgOk, buttons != Buttons::YesNo);
    Show(dialog, dlg::kMsgCancel, buttons == Buttons::OkCancel);
    Show(dialog, dlg::kMsgYes, buttons == Buttons::YesNo);
    Show(dialog, dlg::kMsgNo, buttons == Buttons::YesNo);
    const int defaultId = buttons == Buttons::YesNo ? dlg::kMsgYes : dlg::kMsgOk;
    SendMessageA(dialog, DM_SETDEFID, defaultId, 0);
    if (buttons == Buttons::YesNo) {
        // The template's default push button is OK; the hidden one must not
        // keep the default look.
        SendDlgItemMessageA(dialog, dlg::kMsgOk, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
        SendDlgItemMessageA(dialog, dlg::kMsgYes, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    }
    if (buttons == Buttons::Ok) {
        HWND ok = GetDlgItem(dialog, dlg::kMsgOk);
        RECT client, r = ChildRect(dialog, ok);
        GetClientRect(dialog, &client);
        SetWindowPos(ok, nullptr, (client.right - (r.right - r.left)) / 2, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetFocus(GetDlgItem(dialog, defaultId));
}

// Long texts (a file name appended to a message) get the lines they need;
// everything below the text moves down with it.
void FitText(HWND dialog, const char* text) {
    HWND label = GetDlgItem(dialog, dlg::kMsgText);
    RECT box = ChildRect(dialog, label);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT need{0, 0, box.right - box.left, 0};
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(label, dc);

    int grow = need.bottom - (box.bottom - box.top);
    const int most = GetSystemMetrics(SM_CYSCREEN) / 2;
    if (grow > most) grow = most;
    if (grow <= 0) return;
    SetWindowPos(label, nullptr, 0, 0, box.right - box.left, box.bottom - box.top + grow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int id : {dlg::kMsgOk, dlg::kMsgCancel, dlg::kMsgYes, dlg::kMsgNo}) {
        HWND button = GetDlgItem(dialog, id);
        RECT r = ChildRect(dialog, button);
        SetWindowPos(button, nullptr, r.left, r.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame;
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + grow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Like the system message box: centred over the owner, or the screen.
void Centre(HWND dialog) {
    RECT area;
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (!owner || !IsWindowVisible(owner) || IsIconic(owner) || !GetWindowRect(owner, &area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT frame;
    GetWindowRect(dialog, &frame);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The button's own flag: the dialog itself is not visible yet while the
// first messages of its loop arrive.
bool IsShown(HWND dialog, int id) {
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

std::string ComposeMessageText(HINSTANCE module, int stringId, const char* extra) {
    std::string text;
    if (stringId >= 1) {
        char buffer[kMaxMessageStringLength + 1] = {};
        int length = LoadStringA(module, static_cast<UINT>(stringId), buffer, sizeof buffer);
        if (length > 0) text.assign(buffer, static_cast<size_t>(length));
    }
    if (extra) text += extra;
    return text;
}

void SetMessageMainWindow(HWND mainWindow) {
    g_mainWindow = mainWindow;
}

HWND MessageMainWindow() {
    return g_mainWindow;
}

int ShowMessage(HWND owner, int stringId, const char* extra, unsigned style) {
    std::string text = ComposeMessageText(GetModuleHandleA(nullptr), stringId, extra);
    return ShowMessageText(owner, text.c_str(), style);
}

int ShowMessageText(HWND owner, const char* text, unsigned style) {
    if (!owner) owner = g_mainWindow;
    if (!text) text = "";
    MessageRequest request{text, style};
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), kTemplate, owner, MsgDlgFunc,
                                     reinterpret_cast<LPARAM>(&request));
    // Without the dialog classes (before the libraries are loaded, or after)
    // the template cannot open; the message still has to reach the user.
    if (result == -1) return MessageBoxA(owner, text, kTitle, style);
    return static_cast<int>(result);
}

INT_PTR CALLBACK MsgDlgFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* request = reinterpret_cast<const MessageRequest*>(lParam);
        const Buttons buttons = ButtonsOf(request->style);
        SetWindowLongPtrA(dialog, DWLP_USER, static_cast<LONG_PTR>(buttons));
        SetWindowTextA(dialog, kTitle);
        SetDlgItemTextA(dialog, dlg::kMsgText, request->text);
        if (LPCSTR icon = IconOf(request->style))
            SendDlgItemMessageA(dialog, dlg::kMsgIcon, STM_SETICON,
                                reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon)), 0);
        else
            Show(dialog, dlg::kMsgIcon, false);
        FitText(dialog, request->text);
        ArrangeButtons(dialog, buttons);
        Centre(dialog);
        SetForegroundWindow(dialog);
        return FALSE;  // the focus was set on the default button
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const auto buttons = static_cast<Buttons>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (id == IDCANCEL && !IsShown(dialog, dlg::kMsgCancel)) {
            // Escape or the close box: as the system message box, a lone OK
            // answers it and Yes/NO wants a real choice.
            if (buttons == Buttons::Ok) EndDialog(dialog, dlg::kMsgOk);
            return TRUE;
        }
        if ((id == dlg::kMsgOk || id == dlg::kMsgCancel || id == dlg::kMsgYes || id == dlg::kMsgNo) &&
            IsShown(dialog, id)) {
            EndDialog(dialog, id);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace palvex
