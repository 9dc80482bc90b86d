// The receive half of the status dialog's life: the Receive command, the
// dialog's start, the run, the Cancel/OK button and the close.
#include <cstdio>
#include <string>
#include <utility>

#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "transfer/framework.h"
#include "transfer/transfer_session.h"

namespace palvex {

bool PrepareReceive(Transfer& t) {
    const int protocol = t.service.Protocol;
    if (protocol == kProtoZmodem && t.TransferActive()) return false;

    if (protocol == kProtoKermit && !AllocateKermitBuffer(t)) return false;

    // We may throttle the sender with XOFF, but a 0x13 among the data must
    // not stop our own ACKs.
    if (PortIsOpen(t.port)) ApplySoftwareFlow(t.port, true, false);
    return true;
}

void ReceiveInit(Transfer& t) {
    TransferState& s = t.state;
    s.TransferCancelled = 0;
    ResetTransferState(t.state);
    if (t.service.MaxErrors == 0) t.service.MaxErrors = 5;
    const int protocol = t.service.Protocol;
    s.ActiveProtocol = protocol;
    if (protocol != kProtoAscii) SetBinaryFraming(t.port, true);

    if (protocol == kProtoYmodemBatch || protocol == kProtoYmodemG || protocol == kProtoZmodem ||
        protocol == kProtoKermit) {
        s.ExpectedBlock = 0;
        t.host.EnterInstallDir();
    }

    t.host.EnableMainWindow(false);

    t.host.SetField(dlg::kXfrProtocol, ProtocolName(protocol));
    t.host.SetField(dlg::kXfrStatus, "Waiting...");
    t.host.SetField(dlg::kXfrError, "None");
    t.host.SetField(dlg::kXfrTotalErrors, "0");
    s.StartTick = t.host.TickCount();
    t.TransferActive() = 1;

    if (!ProtocolBuilt(protocol)) {
        t.host.PostStart();
        return;
    }

    if (protocol <= kProtoXmodem1k) {
        s.ExpectedBlock = 1;
        if (ChooseReceiveFile(t) != 0) {
            t.TransferActive() = 0;
            t.host.PostCancel();
            return;
        }
        t.host.SetField(dlg::kXfrFileSize, "Unknown");
        t.host.SetField(dlg::kXfrFileName, BaseName(s.ReceivePath));
        const int wanted = IsViewerPicture(s.ReceivePath) && t.service.RealtimeView ? 1 : 0;
        s.ViewerWanted = wanted;
        s.ViewerActive = wanted;
    }

    uint8_t start = kXfrCrcStart;
    if (protocol == kProtoYmodemG) start = kXfrStreamStart;
    else if (protocol == kProtoXmodemChecksum) start = kNAK;
    SendControl(t, start);

    t.host.StartTimer(kTimerReceiveIdle, kReceiveIdleMs);
    t.host.PostStart();
}

int ReceiveRun(Transfer& t) {
    TransferState& s = t.state;
    const bool built = ProtocolBuilt(s.ActiveProtocol);
    const int result = built ? ReceiveLoop(t) : kXfrProtocolError;

    // A late idle tick must not reach the next transfer.
    t.host.KillTimer(kTimerReceiveIdle);
    t.TransferActive() = 0;
    s.BlockFill = 0;
    s.BytesDone = 0;
    s.FirstBlockDone = 0;
    t.host.SetField(dlg::kXfrButton, "OK");
    t.host.Beep();
    ViewerClose(t);
    t.host.SetField(dlg::kXfrStatus, result == kXfrComplete ? "Done" : "Transfer terminated");
    if (!built) t.host.SetField(dlg::kXfrError, kNotAvailableText);
    if (result == kCarrierLost) t.host.HangUp();
    return result;
}

bool ReceiveButton(Transfer& t) {
    TransferState& s = t.state;
    if (t.host.TimerRunning(kTimerReceiveIdle)) t.host.KillTimer(kTimerReceiveIdle);

    const bool firstPress = s.TransferCancelled == 0 && t.TransferActive() && PortIsOpen(t.port);
    if (!firstPress) return true;

    s.TransferCancelled = 1;
    // ZMODEM and ASCII notice the flag in their own loops and end by themselves.
    if (s.ActiveProtocol == kProtoZmodem || s.ActiveProtocol == kProtoAscii) return false;

    if (s.ActiveProtocol != kProtoKermit) {
        // Pending output goes first so that it cannot take the cancel with it.
        PurgePort(t.port, 1);
        SendCancelBytes(t, 3);
    }
    t.host.SetField(dlg::kXfrError, "Error");
    t.host.SetField(dlg::kXfrStatus, "user cancelled");
    t.host.SetField(dlg::kXfrButton, "OK");
    ViewerClose(t);
    return false;
}

void ReceiveClose(Transfer& t) {
    const int protocol = t.state.ActiveProtocol;
    ViewerClose(t);
    ResetTransferState(t.state);
    t.TransferActive() = 0;
    RestoreLine(t, protocol);
    t.host.EnableMainWindow(true);
}

int ChooseReceiveFile(Transfer& t) {
    std::string path;
    std::FILE* file = nullptr;
    if (t.host.ChooseReceivePath(path)) file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        // Cancelled, or the chosen place cannot take a file: either way there
        // is nothing to receive into.
        t.host.ShowMessage(str::kStrFileOpenError);
        return -1;
    }
    std::fclose(file);
    t.state.ReceivePath = path;
    return 0;
}

}  // namespace palvex
