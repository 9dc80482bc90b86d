// The send half of the status dialog's life: the Send command, the dialog's
// start, the run, the Cancel/OK button and the close.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "transfer/framework.h"
#include "transfer/transfer_session.h"
#include "transfer/xymodem_send.h"

namespace palvex {

bool PrepareSend(Transfer& t) {
    t.pump.ZmodemHeaderLength = 0;

    if (t.service.Protocol == kProtoKermit && !AllocateKermitBuffer(t)) return false;

    // The receiver may hold us with XOFF; our own XOFF would only stall its answers.
    if (PortIsOpen(t.port)) ApplySoftwareFlow(t.port, false, true);
    return true;
}

void SendInit(Transfer& t) {
    TransferState& s = t.state;
    ResetTransferState(s);
    if (t.service.MaxErrors == 0) t.service.MaxErrors = 5;
    const int protocol = t.service.Protocol;
    s.ActiveProtocol = protocol;

    if (protocol == kProtoAscii) {
        // Text goes both ways under XON/XOFF.
        if (ProtocolBuilt(protocol)) {
            if (PortIsOpen(t.port)) ApplySoftwareFlow(t.port, true, true);
            SendControl(t, ResolveStartChar(t.service.AsciiStartChar));
            s.AsciiEndChar = ResolveEndChar(t.service.AsciiEndChar);
        }
    } else {
        SetBinaryFraming(t.port, true);
    }

    s.TransferCancelled = 0;
    t.host.EnableMainWindow(false);
    t.host.SetTitle("Sending");
    t.host.SetField(dlg::kXfrTotalErrors, "0");
    t.host.SetField(dlg::kXfrProtocol, ProtocolName(protocol));
    t.host.SetField(dlg::kXfrStatus, "Sending");
    t.host.SetField(dlg::kXfrError, "None");
    s.BytesDone = 0;
    s.StartTick = t.host.TickCount();
    t.TransferActive() = 1;
    t.host.PostStart();
}

int SendRun(Transfer& t) {
    TransferState& s = t.state;
    const int protocol = s.ActiveProtocol;
    int result = 0;
    bool sentNothing = false;

    if (s.TransferCancelled) {
        // Cancel was pressed before the start arrived.
        result = kXfrUserCancelled;
        sentNothing = true;
    } else if (!ProtocolBuilt(protocol)) {
        result = kXfrProtocolError;
        sentNothing = true;
    } else if (protocol <= kProtoXmodem1k) {
        if (ChooseSendFile(t) < 0) {
            // Cancelled, empty or unreadable: nothing goes out.
            result = kXfrFileOpenError;
            sentNothing = true;
        } else {
            t.host.SetTitle("Sending");
            result = XmodemSend(t);
        }
    } else {
        s.BatchList.clear();
        const int chosen = t.host.RunBatchList(s.BatchList);
        s.BatchCount = chosen < 0 ? 0 : chosen;
        if (s.BatchCount == 0) {
            // No file, no transfer: the dialog closes through the posted Cancel.
            s.TransferCancelled = 1;
            t.TransferActive() = 0;
            t.host.PostCancel();
            return kXfrUserCancelled;
        }
        t.host.SetTitle("Sending");
        const std::size_t count = std::min(s.BatchList.size(), static_cast<std::size_t>(s.BatchCount));
        const std::vector<std::string> list(s.BatchList.begin(), s.BatchList.begin() + count);
        result = protocol == kProtoYmodemBatch ? YmodemBatchSend(t, list) : YmodemGSend(t, list);
    }

    t.host.SetField(dlg::kXfrButton, "OK");
    t.host.Beep();
    if (result == 0) {
        t.host.SetField(dlg::kXfrStatus, "Done");
        t.host.SetField(dlg::kXfrError, "Successful");
        t.TransferActive() = 0;
    } else {
        t.host.SetField(dlg::kXfrStatus, "Error");
        if (sentNothing) {
            t.TransferActive() = 0;
            t.host.SetField(dlg::kXfrError, ProtocolBuilt(protocol) ? TransferErrorText(result) : kNotAvailableText);
        } else {
            // A receiver's stray answer ends a send as well; it gets a text too.
            t.host.SetField(dlg::kXfrError, TransferErrorText(result < 0 ? result : kXfrProtocolError));
        }
        if (result == kCarrierLost) t.host.HangUp();
    }
    // The transfer is over: the button's next press closes the dialog.
    s.TransferCancelled = 1;
    return result;
}

bool SendButton(Transfer& t) {
    TransferState& s = t.state;
    if (s.TransferCancelled != 0 || !PortIsOpen(t.port)) return true;
    t.host.SetField(dlg::kXfrError, "User abort");
    s.TransferCancelled = 1;
    PurgePort(t.port, 0);
    PurgePort(t.port, 1);
    return false;
}

void SendClose(Transfer& t) {
    TransferState& s = t.state;
    const int protocol = s.ActiveProtocol;
    if (t.host.TimerRunning(kTimerSendResponse)) t.host.KillTimer(kTimerSendResponse);
    if (t.host.TimerRunning(kTimerZmodemIo)) t.host.KillTimer(kTimerZmodemIo);
    if (t.TransferActive()) {
        // The receiver is still waiting for us: tell it the transfer is over.
        if (protocol != kProtoAscii) SendCancelBytes(t, protocol == kProtoZmodem ? 5 : 3);
        ResetTransferState(s);
    }
    t.TransferActive() = 0;
    RestoreLine(t, protocol);
    t.host.EnableMainWindow(true);
}

int ChooseSendFile(Transfer& t) {
    TransferState& s = t.state;
    std::string path;
    if (!t.host.ChooseSendPath(path)) return -1;
    s.ReceivePath = path;
    t.host.SetField(dlg::kXfrFileName, BaseName(path));
    const int64_t size = SendableSize(path);
    s.DeclaredSize = size > 0 ? static_cast<int32_t>(size) : 0;
    if (size < 1) return -1;
    t.host.SetField(dlg::kXfrFileSize, std::to_string(size));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return -1;
    std::fclose(f);
    return static_cast<int>(size);
}

}  // namespace palvex
