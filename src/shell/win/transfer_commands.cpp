#include "shell/win/transfer_commands.h"

#include "shell/command_ids.h"
#include "shell/win/app.h"
#include "shell/win/connection.h"
#include "transfer/framework.h"
#include "transfer/transfer_session.h"
#include "transfer/win/transfer_dialog.h"

namespace palvex {

namespace {

// The status dialog of a prepared run; a dialog that cannot be made ends the
// transfer as its close would, so nothing stays held.
void OpenTransferDialog(App& app) {
    if (CreateTransferDialog(app)) return;
    app.pump.TransferActive = 0;
    EnableWindow(app.MainWindow, TRUE);
    PostMessageA(app.MainWindow, kMsgTransferEnded, 0, 0);
}

// One session dialog at a time, and only on a line: the commands are greyed
// offline, but a posted command may still arrive.
bool MayStart(const App& app) { return !app.pump.SessionDialog && app.port.PortOpen && !TransferRunning(app); }

}  // namespace

void SetTransferDefaults(App& app) {
    app.transfer = TransferState{};
    app.pump.TransferActive = 0;
}

void StartReceive(App& app) {
    if (!MayStart(app)) return;
    TransferRun* run = NewTransferRun(app, false);
    if (!run || !PrepareReceive(run->transfer)) return;
    OpenTransferDialog(app);
}

void StartSend(App& app) {
    if (!MayStart(app)) return;
    TransferRun* run = NewTransferRun(app, true);
    if (!run || !PrepareSend(run->transfer)) return;
    OpenTransferDialog(app);
}

void ReleaseTransferResources(App& app) {
    TransferState& s = app.transfer;
    std::vector<uint8_t>().swap(s.KermitBuffer);
    std::vector<std::string>().swap(s.BatchList);
    s.BatchCount = 0;
    CloseSessionDialog(app);
    // A loop still running further up the stack ends on the cancel; it
    // clears the flag itself when it returns.
    s.TransferCancelled = TransferRunning(app) ? 1 : 0;
}

void ZmodemTimer(App& app, int timerId) {
    if (TransferRun* run = CurrentTransferRun(app)) {
        OnTransferTimer(run->transfer, timerId);
        return;
    }
    // ZMODEM's auto-start may run its first reads before any dialog exists.
    KillTimer(app.MainWindow, static_cast<UINT_PTR>(timerId));
    if (timerId == kTimerZmodemIo) app.transfer.ZmodemTimeoutFlag = 1;
}

}  // namespace palvex
