#include "shell/win/dial_commands.h"

#include "comm/port_types.h"
#include "comm/pump.h"
#include "modem/modem_profile.h"
#include "modem/win/dial_dialog.h"
#include "shell/command_ids.h"
#include "shell/win/app.h"
#include "shell/win/capture_commands.h"
#include "shell/win/pending_commands.h"
#include "shell/win/toolbar.h"

namespace palvex {

namespace {

constexpr UINT kTimerDial = 2;
constexpr UINT kTimerHangUpCommand = 4;
constexpr UINT kTimerClock = 5;
constexpr UINT kTimerHangUpClose = 11;
constexpr UINT kTimerHangUpEscape = 15;
constexpr int kLastShellTimer = 28;

void DropDtr(App& app) {
    if (app.port.handle && app.port.handle->IsOpen()) app.port.handle->EscapeFunction(kClrDtr);
}

}  // namespace

void OpenDialDialog(App& app) {
    KillTimer(app.MainWindow, kTimerDial);
    if (app.pump.SessionDialog) return;  // one session dialog at a time
    HWND dialog = CreateDialDialog(app);
    if (!dialog) {
        PostMessageA(app.MainWindow, kMsgDialingEnded, 0, 0);
        return;
    }
    app.pump.SessionDialog = dialog;
    EnableWindow(app.MainWindow, FALSE);
    ReleaseCapture();
}

void ReleaseDialBuffer(App& app) { app.DialBatch.Free(); }

void StartModemHangUp(App& app) {
    EndTransparentPrint(app);
    // The default entry has no name and no file of its own.
    if (app.CurrentService.ShortName[0]) SaveServiceEntry(app.settings.InstallDir, app.CurrentService);
    for (int id = 1; id <= kLastShellTimer; ++id) KillTimer(app.MainWindow, static_cast<UINT_PTR>(id));
    SetTimer(app.MainWindow, kTimerHangUpEscape, 100, nullptr);
}

void HangUpEscapeTimer(App& app) {
    KillTimer(app.MainWindow, kTimerHangUpEscape);
    if (!app.port.PortOpen) return;
    EnableWindow(app.MainWindow, FALSE);
    SendCommandString(app.session, FieldText(app.WorkingProfile.EscapeString), true, true);
    if (!app.port.PortOpen) {
        // Carrier went while the escape waited: the pump has hung up already.
        EnableWindow(app.MainWindow, TRUE);
        return;
    }
    SetTimer(app.MainWindow, kTimerHangUpCommand, 1500, nullptr);
}

void HangUpCommandTimer(App& app) {
    KillTimer(app.MainWindow, kTimerHangUpCommand);
    if (!app.port.PortOpen) {
        EnableWindow(app.MainWindow, TRUE);
        return;
    }
    // Whether the service or the menu switched it on, the log ends with the call.
    CloseCapture(app);
    DropDtr(app);
    SendCommandString(app.session, FieldText(app.WorkingProfile.HangupString), false, false);
    SetWindowTextA(app.MainWindow, "Palvex32-Dialup");
    SetTimer(app.MainWindow, kTimerHangUpClose, 2500, nullptr);
}

void HangUpCloseTimer(App& app) {
    KillTimer(app.MainWindow, kTimerHangUpClose);
    KillTimer(app.MainWindow, kTimerClock);
    const bool wasOpen = app.port.PortOpen != 0;
    if (wasOpen) {
        DrainPort(app.session);
        DropConnection(app.session);
    }
    EnableWindow(app.MainWindow, TRUE);
    if (wasOpen) SetOnlineState(app, false);
    if (app.screen.display) app.screen.display->ShowCaretAt(CursorX(app.screen), CursorY(app.screen));
}

}  // namespace palvex
