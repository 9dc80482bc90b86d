#include "shell/win/connection.h"

#include <cstring>
#include <string>

#include "comm/pump.h"
#include "shell/command_ids.h"
#include "shell/string_ids.h"
#include "shell/win/app.h"
#include "shell/win/commands.h"
#include "shell/win/capture_commands.h"
#include "shell/win/clipboard_commands.h"
#include "shell/win/dial_commands.h"
#include "shell/win/keyboard_input.h"
#include "shell/win/keymap_dialogs.h"
#include "shell/win/pending_commands.h"
#include "shell/win/term_prefs_dialog.h"
#include "shell/win/toolbar.h"
#include "terminal/display_colours.h"

namespace palvex {

namespace {

constexpr int kPhoneTypeNone = 2;
constexpr UINT kTimerDial = 2;
constexpr UINT kTimerConnect = 3;
constexpr UINT kTimerClock = 5;
constexpr int kLastShellTimer = 28;

void WriteModem(App& app, const char* text) {
    WritePort(app.port, reinterpret_cast<const uint8_t*>(text), lstrlenA(text));
}

void Check(App& app, int id, bool on) {
    CheckMenuItem(app.Menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ShortNameOf(const ServiceEntry& s) {
    return std::string(s.ShortName, strnlen(s.ShortName, sizeof s.ShortName));
}

}  // namespace

void ShellDisconnector::HangUp(Session&, bool immediate) {
    if (immediate)
        HangUpNow(app_);
    else
        StartModemHangUp(app_);
}

void CloseSessionDialog(App& app) {
    if (HWND dialog = static_cast<HWND>(app.pump.SessionDialog)) DestroyWindow(dialog);
    app.pump.SessionDialog = nullptr;
}

void ResetEmulatorForType(App& app) {
    // A sequence or cursor address cut off by the last session must not
    // swallow the first bytes of this one.
    app.screen.EscapeActive = 0;
    app.screen.EscapeLength = 0;
    app.screen.StringMode = 0;
    app.screen.insertMode = 0;
    app.modes.wyseAddressPending = app.modes.wyseAddressCount = 0;
    app.modes.vt52AddressPending = app.modes.vt52AddressCount = 0;
    ResetTerminal(app);
}

void ConnectTimer(App& app) {
    KillTimer(app.MainWindow, kTimerConnect);
    if (app.CurrentService.PhoneType != kPhoneTypeNone) {
        PostMessageA(app.MainWindow, WM_TIMER, kTimerDial, 0);
        return;
    }
    ReleaseDialBuffer(app);
    if (ConnectPort(app.port, app.CurrentService, app.ui, app.MainWindow) != 0) return;
    SetUpConnection(app, false);
}

void SetUpConnection(App& app, bool dialed) {
    ServiceEntry& service = app.CurrentService;
    const int type = service.TerminalType;

    ResetEmulatorForType(app);
    SetOnlineState(app, true);
    app.port.CarrierSeen = 0;
    if (!dialed) RecreateCaret(app.view);
    SetTimer(app.MainWindow, kTimerClock, 1000, nullptr);
    app.ConnectStart = GetTickCount();
    app.toolbar.ConnectionText = FormatConnectionText(service);
    RedrawStatusLine(app);
    DrawClock(app, kClockZero);
    EnableMenuItem(app.Menu, kCmdAnswer, MF_BYCOMMAND | MF_ENABLED);
    app.screen.attr = 0x70;
    if (type == kTypeVt100Color || type == kTypeScoAnsi) {
        StoreColours(service, ColourTypeColours());
        EnableMenuItem(app.Menu, kCmdColor, MF_BYCOMMAND | MF_GRAYED);
    }
    if (!dialed) {
        // The check mark and the ring answering follow the modem's S0 setting.
        app.port.AutoAnswer = service.AnswerOnDirect ? 1 : 0;
        if (service.AnswerOnDirect) WriteModem(app, "ATS0=1\r");
        Check(app, kCmdAnswer, service.AnswerOnDirect != 0);
    }
    Check(app, kCmdViewRealtime, service.RealtimeView != 0);
    ApplyServiceCapture(app);

    // Width and font come with the service; a page of another height or cell
    // refits the window to it.
    const int oldRows = app.screen.rows;
    const int oldCell = app.screen.cellHeight;
    app.screen.autoWrap = service.AutoWrap ? 1 : 0;
    app.screen.columns = service.TerminalWidth ? 132 : 80;
    SetScreenRows(app.screen, service.TerminalHeight > 0 ? service.TerminalHeight : 24);
    SetupFont(app.view);
    ApplyColours(app.view);
    if (app.screen.rows != oldRows || app.screen.cellHeight != oldCell) FitWindowToPage(app.view);
    app.modes.keypadApp = (type == kTypeWyse50 || type == kTypeScoAnsi) ? service.KeypadApplication : 0;
    if (dialed) app.modes.autoRepeat = 1;
    LoadServiceKeymap(app);
    InvalidateRect(app.MainWindow, nullptr, TRUE);

    if (dialed) return;
    if (app.ScriptActive)
        StartScript(app);
    else
        PostMessageA(app.MainWindow, kMsgCommNotify, 0, 0);
}

void DialingEnded(App& app, WPARAM cancelled) {
    CloseSessionDialog(app);
    ReleaseDialBuffer(app);
    if (!app.port.PortOpen) {
        if (!cancelled) {
            app.ui.MessageBeep(kBeepDefault);
            app.ui.ShowMessage(app.MainWindow, str::kStrDialFailed, nullptr, kStyleTaskModal);
        }
        return;
    }
    SetUpConnection(app, true);
    if (DrainPort(app.session) == kCarrierLost) {
        KillTimer(app.MainWindow, kTimerClock);
        HangUpNow(app);
        return;
    }
    app.modes.keypadApp = 0;
    app.modes.autoRepeat = 1;
    if (app.ScriptActive) {
        if (app.settings.BatchDial && !FileExists(ShortNameOf(app.CurrentService) + ".scr")) {
            app.ScriptActive = 0;
            PostMessageA(app.MainWindow, kMsgCommNotify, 0, 0);
        } else {
            StartScript(app);
        }
        return;
    }
    PostMessageA(app.MainWindow, kMsgCommNotify, 0, 0);
}

void HangUpNow(App& app) {
    EndTransparentPrint(app);
    // The default entry has no name and no file of its own.
    if (app.CurrentService.ShortName[0]) SaveServiceEntry(app.settings.InstallDir, app.CurrentService);
    for (int id = 1; id <= kLastShellTimer; ++id) KillTimer(app.MainWindow, static_cast<UINT_PTR>(id));
    if (app.port.handle && app.port.handle->IsOpen()) app.port.handle->EscapeFunction(kClrDtr);
    SetWindowTextA(app.MainWindow, "Palvex32-Dialup");
    DropConnection(app.session);
    CloseCapture(app);
    EnableWindow(app.MainWindow, TRUE);
    // Last, so that the carrier-loss message and the phone book it opens find
    // the port already closed.
    SetOnlineState(app, false);
}

void HangUpCommand(App& app) {
    if (!app.port.PortOpen) return;
    SetPortEventMask(app.port, 0);
    if (!app.port.CarrierSeen)
        HangUpNow(app);
    else
        StartModemHangUp(app);
}

}  // namespace palvex
