#include "shell/win/main_window.h"

#include "comm/pump.h"
#include "shell/app_tables.h"
#include "shell/win/app.h"
#include "shell/win/profile_store.h"
#include "shell/win/commands.h"
#include "shell/win/connection.h"
#include "shell/win/dialog_libraries.h"
#include "shell/win/message_dialog.h"
#include "shell/win/capture_commands.h"
#include "shell/win/clipboard_commands.h"
#include "shell/win/dial_commands.h"
#include "shell/win/keyboard_input.h"
#include "shell/win/pending_commands.h"
#include "shell/win/transfer_commands.h"
#include "shell/win/toolbar.h"

namespace palvex {

namespace {

enum ShellTimer : UINT {
    kTimerDial = 2,
    kTimerConnect = 3,
    kTimerHangUpCommand = 4,
    kTimerClock = 5,
    kTimerHangUpClose = 11,
    kTimerHangUpEscape = 15,
    kTimerZmodemByte = 23,
    kTimerZmodemWait = 26,
};

void LayOut(App& app) {
    RECT client;
    GetClientRect(app.MainWindow, &client);
    const ShellLayout l = LayoutChildren(client.right, client.bottom);
    auto place = [](HWND w, const PixelRect& r) {
        if (w) MoveWindow(w, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    };
    place(app.toolbar.strip, l.toolbar);
    place(app.VScroll, l.vscroll);
    place(app.HScroll, l.hscroll);
    place(app.SizeBox, l.sizeBox);
    place(app.toolbar.statusLine, l.status);
}

HWND MakeChild(App& app, const char* cls, DWORD style) {
    return CreateWindowA(cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, app.MainWindow, nullptr, app.Instance,
                         nullptr);
}

// WM_CREATE, in the documented order. False destroys the window.
bool Create(App& app, HWND window) {
    app.MainWindow = window;
    app.loop.SetMainWindow(window);
    SetMessageMainWindow(window);
    if (!LoadDialogLibraries(window)) return false;
    app.dialogLibrariesLoaded = true;
    app.Instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));

    SetTransferDefaults(app);

    {
        WinProfileStore store;
        app.settings = ReadProgramSettings(store, CurrentStartDirectory());
    }
    app.settingsRead = true;
    app.Menu = GetMenu(window);
    app.modes.transparentPrint = app.settings.TransPrint ? 1 : 0;
    if (app.settings.TransPrint)
        CheckMenuItem(app.Menu, kCmdPrintTransparent, MF_BYCOMMAND | MF_CHECKED);

    // The device context: opaque black background, light grey text, the
    // default "Terminal" font with its cell size, the red pen.
    if (!OpenTerminalView(app.view, window, nullptr, nullptr, app.screen, app.CurrentService, &app.pump.ChatMode))
        return false;
    app.screen.graphics[0] = app.screen.graphics[1] = 0;

    app.VScroll = MakeChild(app, "SCROLLBAR", SBS_VERT);
    app.HScroll = MakeChild(app, "SCROLLBAR", SBS_HORZ);
    app.SizeBox = MakeChild(app, "SCROLLBAR", SBS_SIZEBOX);
    app.view.vScroll = app.VScroll;
    app.view.hScroll = app.HScroll;
    CreateToolbarWindows(app);
    app.screen.columns = 80;
    RECT client;
    GetClientRect(window, &client);
    app.view.display.SetVerticalRange(app.settings.ScrollLines - app.screen.rows);
    OnTerminalSize(app.view, client.right);

    if (SetupScrollback(app.screen, app.settings.ScrollLines, app.ui, window) != 0) return false;
    SetOnlineState(app, false);
    LayOut(app);
    PostMessageA(window, WM_COMMAND, kCmdPhonebook, 0);
    app.screen.attr = 0x70;

    // The message box loads the system icon it needs itself.
    PrepareToolbarPainting(app);

    app.CurrentService = DefaultServiceEntry();
    return true;
}

// WM_DESTROY, in the documented order.
void Destroy(App& app) {
    EndTransparentPrint(app);
    CloseCapture(app);
    if (app.settingsRead) {
        WinProfileStore store;
        WriteTransPrint(store, app.settings.TransPrint);
        SetCurrentDirectoryA(app.settings.InstallDir.c_str());
    }
    FreeLines(app.screen);
    CloseTerminalView(app.view);
    DestroyToolbar(app);
    if (app.dialogLibrariesLoaded) UnloadDialogLibraries();
    app.dialogLibrariesLoaded = false;
    PostQuitMessage(0);
}

void Size(App& app, WPARAM kind, int width) {
    if (kind == SIZE_MINIMIZED) return;
    OnTerminalSize(app.view, width);
    LayOut(app);
    if (app.pump.ChatMode)
        DrawChatDivider(app.view);
    else
        PostMessageA(app.MainWindow, kMsgRefit, 0, 0);
}

void Timer(App& app, WPARAM id) {
    switch (id) {
    case kTimerDial: OpenDialDialog(app); break;
    case kTimerConnect: ConnectTimer(app); break;
    case kTimerHangUpCommand: HangUpCommandTimer(app); break;
    case kTimerClock: TickOnlineClock(app); break;
    case kTimerHangUpClose: HangUpCloseTimer(app); break;
    case kTimerHangUpEscape: HangUpEscapeTimer(app); break;
    case kTimerZmodemByte:
    case kTimerZmodemWait: ZmodemTimer(app, static_cast<int>(id)); break;
    default: break;  // 18 belongs to WaitPumping, which takes it itself
    }
}

void MenuSelect(App& app, WPARAM wParam, LPARAM lParam) {
    const UINT item = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    if ((flags == 0xFFFF && lParam == 0) || (flags & MF_POPUP))
        ClearHint(app);
    else
        ShowHint(app, item);
}

// F10 would open the menu; the terminal wants it as a function key, taken
// when the other keys are (down while auto-repeat is on, up while it is off).
bool SystemKey(App& app, HWND window, UINT message, WPARAM vk, LPARAM lParam) {
    if (vk != VK_F10) return false;
    if (message == WM_SYSKEYDOWN && app.modes.autoRepeat) SendMessageA(window, WM_KEYDOWN, vk, lParam);
    if (message == WM_SYSKEYUP && !app.modes.autoRepeat) SendMessageA(window, WM_KEYUP, vk, lParam);
    return true;
}

void TransferEnded(App& app) {
    ReleaseTransferResources(app);
    CloseSessionDialog(app);
    InvalidateRect(app.MainWindow, nullptr, TRUE);
    if (app.port.PortOpen) {
        QueryPortStatus(app.port);
        if (app.port.PortStatus.XoffHold() && app.port.handle) app.port.handle->EscapeFunction(kSetXon);
    }
    PostMessageA(app.MainWindow, kMsgCommNotify, 0, 0);
}

void SessionDialogEnded(App& app) {
    CloseSessionDialog(app);
    EnableWindow(app.MainWindow, TRUE);
    if (app.port.PortOpen) PostMessageA(app.MainWindow, kMsgCommNotify, 0, 0);
}

LRESULT Handle(App& app, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return Create(app, window) ? 0 : -1;
    case WM_DESTROY: Destroy(app); return 0;
    case WM_SIZE: Size(app, wParam, LOWORD(lParam)); return 0;
    case WM_SETFOCUS: OnTerminalSetFocus(app.view); return 0;
    case WM_KILLFOCUS: OnTerminalKillFocus(app.view); return 0;
    case WM_PAINT: OnTerminalPaint(app.view); return 0;
    case WM_CLOSE:
        if (MayClose(app)) DestroyWindow(window);
        return 0;
    case WM_QUERYENDSESSION:
        if (!MayClose(app)) return 0;
        DestroyWindow(window);
        return 1;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return 1;
    }
    case WM_SYSCOLORCHANGE: DialogLibrariesColorChange(); return 0;
    case WM_GETMINMAXINFO: OnTerminalMinMaxInfo(app.view, *reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_DRAWITEM: DrawToolbarButton(app, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return 1;
    case kMsgCommNotify:
        // Only one pump: a WM_COMMNOTIFY dispatched by some other nested loop
        // while the pump runs further up the stack is dropped.
        if (!app.pump.PumpRunning) RunPumpLoop(app.session);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR: KeyMessage(app, message, wParam, lParam); return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (SystemKey(app, window, message, wParam, lParam)) return 0;
        break;
    case WM_COMMAND:
        // Button notifications other than a click are not commands.
        if (lParam && HIWORD(wParam) != BN_CLICKED) break;
        RunCommand(app, LOWORD(wParam), lParam);
        return 0;
    case WM_TIMER: Timer(app, wParam); return 0;
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == app.HScroll) OnTerminalHScroll(app.view, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) == app.VScroll) OnTerminalVScroll(app.view, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_INITMENU: PrepareMenu(app, reinterpret_cast<HMENU>(wParam)); return 0;
    case WM_MENUSELECT: MenuSelect(app, wParam, lParam); return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: MouseSelection(app, message, wParam, lParam); return 0;
    case kMsgTransferEnded: TransferEnded(app); return 0;
    case kMsgDialingEnded: DialingEnded(app, wParam); return 0;
    case kMsgSessionDialogEnded: SessionDialogEnded(app); return 0;
    case kMsgRefit: OnTerminalRefit(app.view); return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    App* app = AppOf(window);
    // WM_GETMINMAXINFO arrives before WM_NCCREATE, when there is no App yet.
    if (!app) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        app->MainWindow = nullptr;
        app->loop.SetMainWindow(nullptr);
        if (MessageMainWindow() == window) SetMessageMainWindow(nullptr);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return Handle(*app, window, message, wParam, lParam);
}

}  // namespace

App* AppOf(HWND window) {
    return window ? reinterpret_cast<App*>(GetWindowLongPtrA(window, GWLP_USERDATA)) : nullptr;
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    // CS_OWNDC: the terminal keeps its font and colours in one device context
    // for the life of the window instead of selecting them on every paint.
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC | CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "PALVEX");
    wc.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = "File";
    wc.lpszClassName = kMainClassName;
    return RegisterClassA(&wc) != 0;
}

int StartShowState(int showState) {
    return showState == SW_SHOWNORMAL || showState == SW_SHOWDEFAULT ? SW_SHOWMAXIMIZED : showState;
}

HWND CreateMainWindow(App& app, int showState) {
    HWND window = CreateWindowA(kMainClassName, kMainTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_MAXIMIZE,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                app.Instance, &app);
    if (!window) return nullptr;
    ShowWindow(window, StartShowState(showState));
    UpdateWindow(window);
    return window;
}

}  // namespace palvex
