#include "transfer/framework.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "transfer/xymodem_receive.h"

namespace palvex {

namespace {

constexpr const char* kErrorTexts[] = {
    " ",
    "timeout",
    "crc error",
    "bad packet",
    "file open error",
    "file seek/write error",
    "Bad header",
    "Bad char",
    "max error exceeded",
    "file read error",
    "cancel received",
    "user cancelled",
    "Protocol Error",
    "Bad sequence error",
    "NAK Received",
    "Sender is not there",
    "Lost Connection",
};
constexpr int kErrorTextCount = static_cast<int>(sizeof kErrorTexts / sizeof kErrorTexts[0]);

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

bool IsBlockProtocol(int protocol) { return protocol >= kProtoXmodemChecksum && protocol <= kProtoYmodemG; }

bool IsBatchProtocol(int protocol) {
    return protocol == kProtoYmodemBatch || protocol == kProtoYmodemG || protocol == kProtoKermit;
}

void RestartIdleTimer(Transfer& t) { t.host.StartTimer(kTimerReceiveIdle, kReceiveIdleMs); }

}  // namespace

bool ProtocolBuilt(int protocol) { return protocol >= kProtoXmodemChecksum && protocol <= kProtoYmodemG; }

bool PortIsOpen(const PortState& port) { return port.handle != nullptr && port.handle->IsOpen(); }

int ErrorLimit(const ServiceEntry& service) { return service.MaxErrors > 0 ? service.MaxErrors : 5; }

void ApplySoftwareFlow(PortState& port, bool in, bool out) {
    port.PortDcb.fInX = in ? 1 : 0;
    port.PortDcb.fOutX = out ? 1 : 0;
    ApplyPortDcb(port);
}

void ResetTransferState(TransferState& s) {
    TransferState fresh;
    fresh.TransferCancelled = s.TransferCancelled;
    fresh.ActiveProtocol = s.ActiveProtocol;
    fresh.BatchList = std::move(s.BatchList);
    fresh.BatchCount = s.BatchCount;
    fresh.KermitBuffer = std::move(s.KermitBuffer);
    s = std::move(fresh);
}

void RestoreLine(Transfer& t, int protocol) {
    if (!PortIsOpen(t.port)) return;
    // The transfer's last bytes (an ACK of EOT, a cancel) leave now; the
    // terminal may not read for a while.
    FlushPort(t.port);
    if (protocol != kProtoAscii) SetBinaryFraming(t.port, false);
    const int flow = t.service.FlowControl;
    const bool software = flow == 2 || flow == 3;  // "Xon/Xoff", "HW & Xon/Xoff"
    ApplySoftwareFlow(t.port, software, software);
}

bool AllocateKermitBuffer(Transfer& t) {
    const std::size_t size = (t.service.KermitPacketSize == 0 ? 1024u : t.service.KermitPacketSize) + 20u;
    try {
        t.state.KermitBuffer.assign(size, 0);
    } catch (const std::bad_alloc&) {
        t.host.ShowMessage(str::kStrKermitBufferFailed);
        return false;
    }
    return true;
}

const char* TransferErrorText(int code) {
    if (code > 0 || -code >= kErrorTextCount) return kErrorTexts[0];
    return kErrorTexts[-code];
}

void OnTransferTimer(Transfer& t, int id) {
    t.host.KillTimer(id);
    switch (id) {
        case kTimerReceiveIdle: t.state.TimeoutFlag = 1; break;
        case kTimerSendResponse:
            t.state.TransferCancelled = 1;
            t.state.SendTimeoutFlag = 1;
            t.TransferActive() = 0;
            break;
        case kTimerZmodemIo: t.state.ZmodemTimeoutFlag = 1; break;
        default: break;
    }
}

void ShowRetry(Transfer& t, const char* text) {
    t.host.SetField(dlg::kXfrStatus, "Retrying");
    t.host.SetField(dlg::kXfrError, text ? text : "");
    t.host.SetField(dlg::kXfrTotalErrors, std::to_string(t.state.ErrorCount));
}

void UpdateProgress(Transfer& t, int direction) {
    TransferState& s = t.state;
    t.host.SetField(dlg::kXfrBytes, std::to_string(s.BytesDone));
    const uint32_t elapsed = t.host.TickCount() - s.StartTick;
    t.host.SetField(dlg::kXfrElapsed, FormatElapsed(elapsed));
    t.host.SetField(dlg::kXfrError, "None");
    t.host.SetField(dlg::kXfrStatus, direction == 0 ? "Receiving" : "Sending");

    if (elapsed < 1000) {
        t.host.SetField(dlg::kXfrCps, "0");
    } else {
        int64_t counted = s.BytesDone;
        // A resumed ZMODEM file only counts what moved in this session.
        if (s.ActiveProtocol == kProtoZmodem) counted -= s.ResumeOffset;
        t.host.SetField(dlg::kXfrCps, std::to_string(counted / static_cast<int64_t>(elapsed / 1000)));
    }

    int percent = 0;
    if (s.DeclaredSize > 0) {
        const int64_t p = static_cast<int64_t>(s.BytesDone) * 100 / s.DeclaredSize;
        percent = static_cast<int>(std::clamp<int64_t>(p, 0, 100));
    }
    s.Percent = percent;
    if (s.DeclaredSize > 0) {
        char text[16];
        std::snprintf(text, sizeof text, "%d %%", percent);
        t.host.SetField(dlg::kXfrPercent, text);
    } else {
        t.host.SetField(dlg::kXfrPercent, "?");
    }
    t.host.PaintProgress(percent);
}

std::string FormatElapsed(uint32_t ms) {
    const uint32_t hours = ms / 3600000u;
    const uint32_t minutes = ms / 60000u - 60u * hours;
    const uint32_t seconds = ms / 1000u - 60u * minutes - 3600u * hours;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(hours),
                  static_cast<unsigned>(minutes), static_cast<unsigned>(seconds));
    return text;
}

std::string BaseName(const std::string& path) {
    const std::size_t cut = path.find_last_of(":\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string SafeReceivedName(const std::string& name) {
    // The sender chooses this name: only its last component is used, so a
    // block 0 can never write outside the download directory. A name made
    // only of dots would name the directory itself or its parent.
    std::string base = BaseName(name);
    if (base.find_first_not_of('.') == std::string::npos) return "noname";
    return base;
}

std::string DownloadPath(const ServiceEntry& service, const std::string& name) {
    const char* dir = service.DownloadDir;
    const std::size_t length = strnlen(dir, sizeof service.DownloadDir);
    std::string path(dir, length);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path.push_back(kPathSeparator);
    return path + name;
}

void BackupExisting(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(std::filesystem::path(path), ec)) return;
    std::string backup = BaseName(path);
    const std::size_t dot = backup.find('.');
    if (dot != std::string::npos) backup.erase(dot);
    backup += ".bak";
    std::rename(path.c_str(), backup.c_str());
}

bool IsViewerPicture(const std::string& path) {
    std::string upper(path);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find(".GIF") != std::string::npos || upper.find(".JPG") != std::string::npos;
}

int WaitBlockStart(Transfer& t) {
    // A line full of noise must not keep us here: after a buffer's worth of
    // discarded bytes the loop gets a turn to pump messages and run timers.
    for (int discarded = 0; discarded < kReceiveBufferSize; ++discarded) {
        uint8_t b = 0;
        if (ReadPort(t.port, &b, 1) == 0) {
            const int line = PollLine(t.port, t.modes);
            return line == kCarrierLost ? kCarrierLost : -1;
        }
        if (b == kSOH || b == kSTX || b == kEOT) {
            t.ReceiveBuffer()[0] = b;
            t.state.BlockFill = 1;
            return 0;
        }
        ++t.state.SkippedBytes;
    }
    return -1;
}

int ReceiveLoop(Transfer& t) {
    while (t.state.TransferCancelled == 0) {
        if (!t.host.PumpMessage()) {
            if (!PortIsOpen(t.port)) return kCarrierLost;
            QueryPortStatus(t.port);
            if (t.port.PortStatus.cbInQue > 0) {
                t.host.KillTimer(kTimerReceiveIdle);
                const int result = ReceiveDispatch(t);
                if (result == kXfrComplete || result == -1 || result == kCarrierLost) return result;
                if (!t.host.TimerRunning(kTimerReceiveIdle)) RestartIdleTimer(t);
            } else {
                t.host.Idle();
            }
        }
        if (t.state.TimeoutFlag) {
            const int result = HandleTimeout(t);
            if (result < 0) return result;
        }
    }
    return kXfrUserCancelled;
}

int ReceiveDispatch(Transfer& t) {
    TransferState& s = t.state;
    const int protocol = s.ActiveProtocol;
    const ReceiveStep step = BlockReceiveStep(protocol);
    if (step == nullptr) {
        // ASCII, ZMODEM and Kermit do not come through here yet.
        CancelTransfer(t, kXfrProtocolError);
        return -1;
    }
    if (protocol <= kProtoXmodem1k && s.ViewerWanted) {
        s.ViewerWanted = 0;  // once per file
        LaunchViewer(t);
    }

    const int result = step(t);
    switch (result) {
        case kXfrNothing: return 0;
        case kXfrBlockAccepted: RestartIdleTimer(t); return 1;
        case kXfrComplete: return 2;
        case kXfrFileComplete:
            if (IsBatchProtocol(protocol)) {
                s.BytesDone = 0;
                s.BlockFill = 0;
                s.ExpectedBlock = 0;
                s.ErrorCount = 0;
                s.FirstBlockDone = 0;
                s.StartTick = t.host.TickCount();
                ViewerClose(t);
                RestartIdleTimer(t);
            }
            return 3;
        case kXfrCrcError:
        case kXfrBadPacket:
        case kXfrBadSequence:
            if (protocol == kProtoYmodemG) {
                CancelTransfer(t, result);
                return -1;
            }
            ++s.ErrorCount;
            if (s.ErrorCount > ErrorLimit(t.service)) {
                CancelTransfer(t, result);
                return -1;
            }
            if (IsBlockProtocol(protocol)) {
                SendControl(t, kNAK);
                s.BlockFill = 0;
            }
            RestartIdleTimer(t);
            ShowRetry(t, TransferErrorText(result));
            return 0;
        case kCarrierLost: CancelTransfer(t, kCarrierLost); return kCarrierLost;
        default:
            if (result < 0) {
                CancelTransfer(t, result);
                return -1;
            }
            return result;
    }
}

int HandleTimeout(Transfer& t) {
    TransferState& s = t.state;
    s.TimeoutFlag = 0;
    ++s.ErrorCount;
    if (s.ErrorCount > ErrorLimit(t.service)) {
        CancelTransfer(t, kXfrTimeout);
        return kXfrMaxErrors;
    }
    RestartIdleTimer(t);
    ShowRetry(t, TransferErrorText(kXfrTimeout));
    if (IsBlockProtocol(s.ActiveProtocol)) {
        PurgePort(t.port, 1);
        SendControl(t, kNAK);
        s.BlockFill = 0;
    } else if (s.ActiveProtocol == kProtoKermit) {
        PurgePort(t.port, 1);
    }
    return 0;
}

void CancelTransfer(Transfer& t, int code) {
    TransferState& s = t.state;
    s.FirstBlockDone = 0;
    // Whatever still waits to go out (an ACK, a NAK) is dropped first, so that
    // the purge cannot swallow the cancel itself.
    PurgePort(t.port, 1);
    if (s.ActiveProtocol != kProtoKermit) SendCancelBytes(t, 3);
    t.host.Beep();
    s.BlockFill = 0;
    s.BytesDone = 0;
    t.TransferActive() = 0;
    ViewerClose(t);
    t.host.SetField(dlg::kXfrError, TransferErrorText(code));
    s.ErrorCount = 0;
    t.host.SetField(dlg::kXfrStatus, "Transfer Cancelled");
}

void LaunchViewer(Transfer& t) {
    if (t.host.StartViewer(t.state.ReceivePath)) {
        t.state.ViewerActive = 1;
    } else {
        t.state.ViewerActive = 0;
        t.host.ShowMessage(str::kStrViewerFailed);
    }
}

void ViewerNotify(Transfer& t) {
    if (t.state.ViewerActive) t.host.NotifyViewer();
}

void ViewerClose(Transfer& t) {
    if (!t.state.ViewerActive) return;
    t.host.CloseViewer();
    t.state.ViewerActive = 0;
}

uint8_t ResolveStartChar(const char (&field)[2]) {
    if (field[0] == '^' && field[1] != '\0') return static_cast<uint8_t>(static_cast<uint8_t>(field[1]) - 0x40);
    return static_cast<uint8_t>(field[0]);
}

int ResolveEndChar(const char (&field)[2]) {
    if (field[0] == '^' && field[1] != '\0') return static_cast<uint8_t>(static_cast<uint8_t>(field[1]) - 0x40);
    return -1;
}

int SendControl(Transfer& t, uint8_t byte) { return WritePort(t.port, &byte, 1); }

void SendCancelBytes(Transfer& t, int count) {
    for (int i = 0; i < count; ++i) SendControl(t, kCAN);
    // Nothing reads after a cancel: the bytes must not wait to be gathered.
    FlushPort(t.port);
}

}  // namespace palvex
