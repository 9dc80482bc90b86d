#include "shell/win/clipboard_commands.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "shell/selection.h"
#include "shell/string_ids.h"
#include "shell/win/app.h"
#include "shell/win/keyboard_input.h"

namespace palvex {

namespace {

// Room for one line of text and its CR LF.
constexpr SIZE_T kBytesPerLine = kLineCells + 2;
// Auto-scroll steps while the pointer is held outside the text; faster would
// race through a long history before the user could let go.
constexpr DWORD kAutoScrollPeriod = 50;

void Fail(App& app, int stringId) {
    app.ui.MessageBeep(kBeepDefault);
    app.ui.ShowMessage(app.MainWindow, stringId, nullptr, kStyleTaskModal);
}

int CellW(const App& app) { return std::max<int>(app.screen.cellWidth, 1); }
int CellH(const App& app) { return std::max<int>(app.screen.cellHeight, 1); }
int VisibleWidth(const App& app) { return app.view.visibleColumns * CellW(app); }
int TextBottom(const App& app) { return kTextTop + app.screen.rows * CellH(app); }

bool InTextArea(const App& app, POINT p) {
    return p.x >= 0 && p.x < VisibleWidth(app) && p.y >= kTextTop && p.y < TextBottom(app);
}

int ColumnAt(const App& app, int x) { return x / CellW(app) + app.screen.hOffset; }
int RowAt(const App& app, int y) { return (y - kTextTop) / CellH(app); }

void Redraw(App& app, const RowSpan& rows) {
    if (rows.Empty() || !app.MainWindow) return;
    RECT client;
    GetClientRect(app.MainWindow, &client);
    const RECT band{0, kTextTop + rows.first * CellH(app), client.right - kScrollBarWidth,
                    kTextTop + (rows.last + 1) * CellH(app)};
    InvalidateRect(app.MainWindow, &band, FALSE);
}

void ExtendTo(App& app, POINT p) {
    Redraw(app, ExtendSelection(app.screen, app.selection, RowAt(app, p.y), ColumnAt(app, p.x)));
}

POINT ClampedToText(const App& app, POINT p) {
    p.x = std::clamp<LONG>(p.x, 0, std::max(VisibleWidth(app) - 1, 0));
    p.y = std::clamp<LONG>(p.y, kTextTop, std::max(TextBottom(app) - 1, kTextTop));
    return p;
}

// One step of the view towards the pointer; the remembered pointer moves with
// the view, so that it keeps to the cell it pointed at.
void ScrollTowards(App& app, POINT& p) {
    const TerminalScreen& s = app.screen;
    if (p.x < 0 || p.x >= VisibleWidth(app)) {
        const bool right = p.x >= VisibleWidth(app);
        const int before = s.hOffset;
        SendMessageA(app.MainWindow, WM_HSCROLL, right ? SB_LINEDOWN : SB_LINEUP, reinterpret_cast<LPARAM>(app.HScroll));
        if (s.hOffset != before) p.x += right ? -CellW(app) : CellW(app);
    }
    if (p.y < kTextTop || p.y >= TextBottom(app)) {
        const bool down = p.y >= TextBottom(app);
        const int before = s.top;
        SendMessageA(app.MainWindow, WM_VSCROLL, down ? SB_LINEDOWN : SB_LINEUP, reinterpret_cast<LPARAM>(app.VScroll));
        if (s.top != before) p.y += down ? -CellH(app) : CellH(app);
    }
}

bool MouseMessageWaiting(HWND window) {
    MSG msg;
    return PeekMessageA(&msg, window, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE) ||
           PeekMessageA(&msg, window, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE);
}

// Dispatches one message other than the main window's mouse moves and button
// releases, which end the loop and are left for it. False when none waits.
bool DispatchOther(App& app) {
    MSG msg;
    const bool got = PeekMessageA(&msg, nullptr, 0, WM_MOUSEMOVE - 1, PM_REMOVE) ||
                     PeekMessageA(&msg, nullptr, WM_LBUTTONUP + 1, 0xFFFFFFFF, PM_REMOVE) ||
                     PeekMessageA(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE);
    if (!got) return false;
    if (msg.message == WM_QUIT) {
        // Not ours to take: the main loop ends the program once we are back.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    HWND dialog = static_cast<HWND>(app.pump.SessionDialog);
    if (dialog && IsDialogMessageA(dialog, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

// The button is held with the pointer outside the text: the view follows the
// pointer a step at a time until the mouse is moved or let go.
void AutoScroll(App& app, POINT p) {
    HWND window = app.MainWindow;
    DWORD lastStep = GetTickCount() - kAutoScrollPeriod;
    while (IsWindow(window) && GetCapture() == window && app.selection.dragging) {
        if (GetTickCount() - lastStep >= kAutoScrollPeriod) {
            lastStep = GetTickCount();
            ExtendTo(app, ClampedToText(app, p));
            ScrollTowards(app, p);
        }
        if (MouseMessageWaiting(window)) break;
        if (DispatchOther(app)) continue;
        if (MouseMessageWaiting(window)) break;
        const DWORD waited = GetTickCount() - lastStep;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, waited < kAutoScrollPeriod ? kAutoScrollPeriod - waited : 0,
                                  QS_ALLINPUT);
    }
}

void ButtonDown(App& app, POINT p) {
    if (!InTextArea(app, p)) return;
    Redraw(app, StartSelection(app.screen, app.selection, RowAt(app, p.y), ColumnAt(app, p.x)));
    SetCapture(app.MainWindow);
}

void Moved(App& app, POINT p) {
    if (!app.selection.dragging) return;
    if (InTextArea(app, p))
        ExtendTo(app, p);
    else
        AutoScroll(app, p);
}

void ButtonUp(App& app, POINT p) {
    if (!app.selection.dragging) return;
    if (InTextArea(app, p)) ExtendTo(app, p);
    app.selection.dragging = false;
    if (GetCapture() == app.MainWindow) ReleaseCapture();
}

}  // namespace

void CopySelection(App& app) {
    const SIZE_T size = static_cast<SIZE_T>(std::max<int>(app.screen.scrollRange, 1)) * kBytesPerLine;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) {
        Fail(app, str::kStrAllocFailed);
        return;
    }
    if (!app.selection.SelectionExists) {
        GlobalFree(block);
        return;
    }
    char* text = static_cast<char*>(GlobalLock(block));
    if (!text) {
        GlobalFree(block);
        Fail(app, str::kStrLockFailed);
        return;
    }
    const std::string selected = SelectedText(app.screen, app.selection);
    std::memcpy(text, selected.data(), std::min<SIZE_T>(selected.size(), size - 1));
    GlobalUnlock(block);
    if (!OpenClipboard(app.MainWindow)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    // The clipboard owns the block once it has taken it.
    if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    CloseClipboard();
}

void TransmitClipboard(App& app) {
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(app.MainWindow)) return;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) {
        CloseClipboard();
        Fail(app, str::kStrClipboardEmpty);
        return;
    }
    const char* locked = static_cast<const char*>(GlobalLock(data));
    if (!locked) {
        CloseClipboard();
        Fail(app, str::kStrLockFailed);
        return;
    }
    // A copy, so that the clipboard is not held shut for other programs while
    // a long text goes out with its delays.
    const std::string text(locked, strnlen(locked, GlobalSize(data)));
    GlobalUnlock(data);
    CloseClipboard();
    TransmitText(app.session, text, [&app](std::string_view typed) { SendTyped(app, typed); });
}

void SelectAll(App& app) { Redraw(app, SelectScreen(app.screen, app.selection)); }

void MouseSelection(App& app, UINT message, WPARAM, LPARAM lParam) {
    // The chat halves are not the buffer's text.
    if (app.pump.ChatMode) return;
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_LBUTTONDOWN: ButtonDown(app, p); break;
    case WM_MOUSEMOVE: Moved(app, p); break;
    case WM_LBUTTONUP: ButtonUp(app, p); break;
    case WM_RBUTTONDOWN:
        if (!app.selection.SelectionExists) break;
        CopySelection(app);
        if (app.port.PortOpen) TransmitClipboard(app);
        break;
    default: break;
    }
}

}  // namespace palvex
