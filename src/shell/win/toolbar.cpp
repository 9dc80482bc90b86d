#include "shell/win/toolbar.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "shell/app_tables.h"
#include "shell/command_ids.h"
#include "shell/string_ids.h"
#include "shell/win/app.h"
#include "shell/win/profile_store.h"

namespace palvex {

namespace {

constexpr COLORREF kGrey = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kShadow = RGB(0x80, 0x80, 0x80);
constexpr int kHintBufferSize = 512;

HBITMAP BitmapFor(App& app, const char* name) {
    const auto names = ToolbarBitmapNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (std::strcmp(names[i], name) == 0) return app.toolbar.bitmaps[i];
    return nullptr;
}

HBITMAP ButtonBitmap(App& app, int id) {
    const auto set = app.toolbar.onlineSet ? OnlineButtons() : OfflineButtons();
    for (const ToolbarButton& b : set)
        if (b.id == id) return BitmapFor(app, b.bitmap);
    return nullptr;
}

HBRUSH GreyBrush(App& app) {
    return app.toolbar.greyBrush ? app.toolbar.greyBrush : static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
}

// Black on the grey of the bars, opaque, as every indicator and hint is drawn.
void DrawBarText(HDC dc, int x, int y, const std::string& text) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kGrey);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
}

void DrawButtonFace(App& app, HDC dc, const RECT& rc, HBITMAP bitmap, bool pressed) {
    FillRect(dc, &rc, GreyBrush(app));
    if (bitmap) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BITMAP bm{};
        GetObjectA(bitmap, sizeof bm, &bm);
        const int offset = pressed ? 2 : 0;
        BitBlt(dc, rc.left + offset, rc.top + offset, bm.bmWidth, bm.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    if (pressed) return;
    HPEN pen = CreatePen(PS_SOLID, 2, kShadow);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, rc.right - 1, rc.top, nullptr);
    LineTo(dc, rc.right - 1, rc.bottom - 1);
    LineTo(dc, rc.left, rc.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void PaintStrip(App& app, HDC dc, const RECT& client) {
    FillRect(dc, &client, GreyBrush(app));
    DrawBarText(dc, kStatusWordX, kStatusWordY, app.toolbar.StatusWord);
    if (!app.toolbar.clock.empty()) DrawBarText(dc, kClockX, kClockY, app.toolbar.clock);
}

void PaintStatusLine(App& app, HDC dc, const RECT& client) {
    FillRect(dc, &client, GreyBrush(app));
    if (!app.toolbar.ConnectionText.empty()) {
        HPEN white = CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
        HPEN grey = CreatePen(PS_SOLID, 1, kShadow);
        HGDIOBJ old = SelectObject(dc, white);
        MoveToEx(dc, kSeparatorX, 0, nullptr);
        LineTo(dc, kSeparatorX, client.bottom);
        SelectObject(dc, grey);
        MoveToEx(dc, kSeparatorX + 1, 0, nullptr);
        LineTo(dc, kSeparatorX + 1, client.bottom);
        SelectObject(dc, old);
        DeleteObject(white);
        DeleteObject(grey);
        DrawBarText(dc, kConnectionTextX, 0, app.toolbar.ConnectionText);
    }
    if (!app.toolbar.hint.empty()) DrawBarText(dc, kHintX, 0, app.toolbar.hint);
}

// Both bars paint themselves entirely from the window state.
void PaintChild(App& app, HWND window, void (*paint)(App&, HDC, const RECT&)) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    paint(app, dc, client);
    EndPaint(window, &ps);
}

// The strip holds the buttons, so their notifications reach it; the main
// window owns the command table and the button drawing.
LRESULT CALLBACK StripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND main = GetParent(window);
    App* app = AppOf(main);
    if (!app) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        PaintChild(*app, window, PaintStrip);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_DRAWITEM:
    case WM_COMMAND:
        return SendMessageA(main, message, wParam, lParam);
    default:
        return CallWindowProcA(app->toolbar.stripProc, window, message, wParam, lParam);
    }
}

LRESULT CALLBACK StatusLineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    App* app = AppOf(GetParent(window));
    if (!app) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        PaintChild(*app, window, PaintStatusLine);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return CallWindowProcA(app->toolbar.statusProc, window, message, wParam, lParam);
    }
}

void DestroyButtons(App& app) {
    for (int i = 0; i < app.toolbar.buttonCount; ++i) {
        if (app.toolbar.buttons[i]) DestroyWindow(app.toolbar.buttons[i]);
        app.toolbar.buttons[i] = nullptr;
        app.toolbar.buttonIds[i] = 0;
    }
    app.toolbar.buttonCount = 0;
}

void EnableItems(HMENU menu, std::span<const int> ids, bool enable) {
    for (int id : ids) EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

void CreateToolbarWindows(App& app) {
    RECT client;
    GetClientRect(app.MainWindow, &client);
    const ShellLayout l = LayoutChildren(client.right, client.bottom);
    app.toolbar.strip = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, l.toolbar.left,
                                      l.toolbar.top, l.toolbar.right - l.toolbar.left,
                                      l.toolbar.bottom - l.toolbar.top, app.MainWindow, nullptr, app.Instance, nullptr);
    app.toolbar.statusLine = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, l.status.left, l.status.top,
                                           l.status.right - l.status.left, l.status.bottom - l.status.top,
                                           app.MainWindow, nullptr, app.Instance, nullptr);
    ShowButtonSet(app, false);
}

void PrepareToolbarPainting(App& app) {
    const auto names = ToolbarBitmapNames();
    for (size_t i = 0; i < names.size(); ++i) app.toolbar.bitmaps[i] = LoadBitmapA(app.Instance, names[i]);
    app.toolbar.greyBrush = CreateSolidBrush(kGrey);
    if (app.toolbar.strip)
        app.toolbar.stripProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(app.toolbar.strip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StripProc)));
    if (app.toolbar.statusLine)
        app.toolbar.statusProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(app.toolbar.statusLine, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StatusLineProc)));
}

void DestroyToolbar(App& app) {
    ToolbarState& t = app.toolbar;
    if (t.strip && t.stripProc) SetWindowLongPtrA(t.strip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(t.stripProc));
    if (t.statusLine && t.statusProc)
        SetWindowLongPtrA(t.statusLine, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(t.statusProc));
    t.stripProc = t.statusProc = nullptr;
    DestroyButtons(app);
    for (HBITMAP& b : t.bitmaps) {
        if (b) DeleteObject(b);
        b = nullptr;
    }
    if (t.greyBrush) DeleteObject(t.greyBrush);
    t.greyBrush = nullptr;
}

void ShowButtonSet(App& app, bool online) {
    DestroyButtons(app);
    app.toolbar.onlineSet = online;
    HWND parent = app.toolbar.strip ? app.toolbar.strip : app.MainWindow;
    const auto set = online ? OnlineButtons() : OfflineButtons();
    int x = 0;
    for (const ToolbarButton& b : set) {
        HWND button = CreateWindowA("BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, 0, kButtonWidth,
                                    kButtonHeight, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)),
                                    app.Instance, nullptr);
        app.toolbar.buttons[app.toolbar.buttonCount] = button;
        app.toolbar.buttonIds[app.toolbar.buttonCount] = b.id;
        ++app.toolbar.buttonCount;
        x += kButtonWidth;
    }
}

void DrawToolbarButton(App& app, const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) return;
    const int id = static_cast<int>(item.CtlID);
    HBITMAP bitmap = ButtonBitmap(app, id);
    if (item.itemAction & ODA_DRAWENTIRE) {
        DrawButtonFace(app, item.hDC, item.rcItem, bitmap, (item.itemState & ODS_SELECTED) != 0);
    } else if (item.itemAction & ODA_SELECT) {
        const bool pressed = (item.itemState & ODS_SELECTED) != 0;
        DrawButtonFace(app, item.hDC, item.rcItem, bitmap, pressed);
        if (pressed) {
            ShowHint(app, static_cast<unsigned>(id));
        } else {
            ClearHint(app);
            SetFocus(app.MainWindow);
        }
    }
}

void ShowHint(App& app, unsigned command) {
    std::string text;
    if (const int id = HintStringId(command)) {
        char buffer[kHintBufferSize] = {};
        const int n = LoadStringA(app.Instance, static_cast<UINT>(id), buffer, sizeof buffer);
        if (n > 0) text.assign(buffer, static_cast<size_t>(n));
    }
    ClearHint(app);
    app.toolbar.hint = text;
    if (!app.toolbar.statusLine || text.empty()) return;
    HDC dc = GetDC(app.toolbar.statusLine);
    DrawBarText(dc, kHintX, 0, text);
    ReleaseDC(app.toolbar.statusLine, dc);
}

void ClearHint(App& app) {
    app.toolbar.hint.clear();
    if (!app.toolbar.statusLine) return;
    HDC dc = GetDC(app.toolbar.statusLine);
    const RECT area{0, 0, kHintWidth, kStatusHeight};
    FillRect(dc, &area, GreyBrush(app));
    ReleaseDC(app.toolbar.statusLine, dc);
}

void DrawClock(App& app, const char* text) {
    app.toolbar.clock = text;
    if (!app.toolbar.strip) return;
    HDC dc = GetDC(app.toolbar.strip);
    DrawBarText(dc, kClockX, kClockY, app.toolbar.clock);
    ReleaseDC(app.toolbar.strip, dc);
}

void TickOnlineClock(App& app) {
    const uint32_t elapsed = GetTickCount() - app.ConnectStart;
    if (elapsed < 1000) return;
    DrawClock(app, FormatOnlineClock(elapsed).c_str());
}

void RedrawIndicators(App& app) {
    if (!app.toolbar.strip) return;
    HDC dc = GetDC(app.toolbar.strip);
    RECT client;
    GetClientRect(app.toolbar.strip, &client);
    const RECT area{kIndicatorClearX, kIndicatorClearY, std::max<LONG>(client.right, kIndicatorClearX),
                    client.bottom};
    FillRect(dc, &area, GreyBrush(app));
    DrawBarText(dc, kStatusWordX, kStatusWordY, app.toolbar.StatusWord);
    if (!app.toolbar.clock.empty()) DrawBarText(dc, kClockX, kClockY, app.toolbar.clock);
    ReleaseDC(app.toolbar.strip, dc);
}

void RedrawStatusLine(App& app) {
    if (app.toolbar.statusLine) InvalidateRect(app.toolbar.statusLine, nullptr, TRUE);
}

void SetOnlineState(App& app, bool online) {
    if (online) {
        WinProfileStore store;
        const std::string session = ReadSessionDir(store, app.settings.InstallDir);
        const std::string download = ReadDownloadDir(store, app.settings.InstallDir);
        ServiceEntry& s = app.CurrentService;
        if (!s.SessionLogDir[0]) std::snprintf(s.SessionLogDir, sizeof s.SessionLogDir, "%s", session.c_str());
        if (!s.DownloadDir[0]) std::snprintf(s.DownloadDir, sizeof s.DownloadDir, "%s", download.c_str());
    }
    EnableItems(app.Menu, OnlineOnlyCommands(), online);
    EnableItems(app.Menu, OfflineOnlyCommands(), !online);
    if (online) {
        ShowButtonSet(app, true);
        app.toolbar.StatusWord = kWordConnected;
        RedrawIndicators(app);
        if (app.MainWindow) DrawMenuBar(app.MainWindow);
        return;
    }

    EnableMenuItem(app.Menu, kCmdAnswer, MF_BYCOMMAND | MF_GRAYED);
    if (app.MainWindow) DrawMenuBar(app.MainWindow);
    if (app.QuietOffline) {
        // Window creation has built the offline set and posts 400 itself.
        app.QuietOffline = 0;
    } else {
        ShowButtonSet(app, false);
        app.ui.ShowMessage(app.MainWindow, str::kStrCarrierLoss, nullptr, kStyleTaskModal | kStyleInformation);
        PostMessageA(app.MainWindow, WM_COMMAND, kCmdPhonebook, 0);
    }
    app.toolbar.StatusWord = kWordOffline;
    app.toolbar.ConnectionText.clear();
    app.toolbar.clock.clear();
    RedrawIndicators(app);
    RedrawStatusLine(app);
}

}  // namespace palvex
