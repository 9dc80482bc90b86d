#include "xfer_run.h"

#include <cstring>
#include <memory>

#include "comm/port.h"
#include "comm/session.h"
#include "phonebook/service_entry.h"
#include "platform/native_loop.h"
#include "terminal/terminal_modes.h"
#include "transfer/framework.h"
#include "transfer/native_host.h"
#include "transfer/transfer_session.h"
#include "transfer/transfer_state.h"

namespace palvex::xfer {

namespace {

// The status dialog's fields.
constexpr int kFieldName = 10;
constexpr int kFieldStatus = 12;
constexpr int kFieldBytes = 13;
constexpr int kFieldElapsed = 14;
constexpr int kFieldSize = 15;
constexpr int kFieldError = 16;
constexpr int kFieldRate = 17;
constexpr int kFieldPercent = 18;

// On a terminal the line is rewritten often; a log file gets a line now and
// then, enough to see that a long transfer moves.
constexpr uint32_t kInteractiveEveryMs = 200;
constexpr uint32_t kLogEveryMs = 2000;

// How often the pump looks whether the far end hung up; it runs once per
// byte sent.
constexpr uint32_t kGoneCheckEveryMs = 20;

// How long an idle round waits for the line.
constexpr int kIdleWaitMs = 5;

// Real time without the yield of an idle round: palvex-xfer waits in its idle
// hook, on the line itself, so a yield on every pumped message would only
// hand the processor away once per byte sent.
class LineLoop : public SteadyLoop {
public:
    Taken TakeMessage(int waitTimerId, bool dropCommNotify) override {
        return TimerLoop::TakeMessage(waitTimerId, dropCommNotify);
    }
};

bool Quiet(const std::string& errorText) {
    return errorText.empty() || errorText == "None" || errorText == " " || errorText == "Successful";
}

}  // namespace

std::string MessageText(int stringId) {
    switch (stringId) {
        case 1: return "File open error";
        case 37: return "Failed to activate GIF/JPEG viewer.";
        case 95: return "Memory allocation for kermit buffer failed. Specify lower size.";
        default: return "message " + std::to_string(stringId);
    }
}

std::string Reporter::Field(int control) const {
    auto it = fields_.find(control);
    return it == fields_.end() ? std::string() : it->second;
}

void Reporter::EndProgressLine() {
    if (progressLineOpen_) {
        std::fputc('\n', log_);
        progressLineOpen_ = false;
    }
}

void Reporter::Say(const std::string& text) {
    EndProgressLine();
    std::fprintf(log_, "palvex-xfer: %s\n", text.c_str());
    std::fflush(log_);
}

void Reporter::Progress(uint32_t now, bool force) {
    if (silent_ || !progressDue_) return;
    const uint32_t every = interactive_ ? kInteractiveEveryMs : kLogEveryMs;
    if (!force && everPrinted_ && now - lastProgress_ < every) return;
    lastProgress_ = now;
    everPrinted_ = true;
    progressDue_ = false;

    std::string line = Field(kFieldName).empty() ? std::string("(no file)") : Field(kFieldName);
    line += ": " + (Field(kFieldBytes).empty() ? std::string("0") : Field(kFieldBytes));
    const std::string& size = progressSize_;
    if (!size.empty() && size != "Unknown") line += " of " + size;
    line += " bytes";
    const std::string percent = Field(kFieldPercent);
    if (!percent.empty() && percent != "?") line += ", " + percent;
    if (!Field(kFieldRate).empty()) line += ", " + Field(kFieldRate) + " cps";
    if (!Field(kFieldElapsed).empty()) line += ", " + Field(kFieldElapsed);

    if (interactive_) {
        // Clear to the end of the line: a shorter line must not leave the
        // tail of the last one behind.
        std::fprintf(log_, "\r%s\033[K", line.c_str());
        progressLineOpen_ = true;
    } else {
        std::fprintf(log_, "%s\n", line.c_str());
    }
    std::fflush(log_);
}

void Reporter::OnField(int control, const std::string& text, uint32_t now) {
    if (control == kFieldName && text != Field(kFieldName)) {
        // A new file: the last one's final figures first.
        Progress(now, true);
        EndProgressLine();
        lastError_.clear();
    }
    fields_[control] = text;
    if (silent_) return;
    switch (control) {
        case kFieldBytes:
            // The size as it stands for these bytes: the next file's size
            // may come before its name.
            progressDue_ = true;
            progressSize_ = Field(kFieldSize);
            break;
        case kFieldPercent:
            // The last of the progress fields.
            Progress(now, false);
            break;
        case kFieldError:
            if (Quiet(text)) {
                lastError_.clear();
            } else if (text != lastError_) {
                lastError_ = text;
                std::string what = Field(kFieldName).empty() ? std::string() : Field(kFieldName) + ": ";
                if (Field(kFieldStatus) == "Retrying") what += "retrying after ";
                Say(what + text);
            }
            break;
        default:
            break;
    }
}

void Reporter::Finish(const std::string& status, const std::string& errorText, const std::vector<int>& messages) {
    if (!silent_) {
        Progress(0, true);
        EndProgressLine();
    }
    std::string line = status.empty() ? std::string("ended") : status;
    if (!Quiet(errorText)) line += ": " + errorText;
    Say(line);
    for (int id : messages) Say(MessageText(id));
}

int RunTransfer(const Options& options, PortBackend& device, const LineHooks& hooks, const RunSettings& settings) {
    const bool receive = options.direction == Direction::kReceive;
    Reporter reporter(settings.log, settings.interactive, settings.silent);
    if (!ProtocolAvailable(options.protocol)) {
        reporter.Say(std::string(ProtocolCliName(options.protocol)) + ": not available yet");
        return kExitUsage;
    }

    // The records are large (the pump's buffers, the service's texts); they
    // live on the heap like the program's process-wide ones.
    auto service = std::make_unique<ServiceEntry>(DefaultServiceEntry());
    service->Protocol = static_cast<int16_t>(options.protocol);
    service->MaxErrors = static_cast<int16_t>(options.maxErrors);
    service->KeepBackup = options.keepBackup ? 1 : 0;
    service->FlowControl = 0;
    std::memset(service->DownloadDir, 0, sizeof service->DownloadDir);
    std::strncpy(service->DownloadDir, options.dir.c_str(), sizeof service->DownloadDir - 1);

    auto port = std::make_unique<PortState>();
    port->handle = &device;
    BuildPortDcb(*port, *service);
    port->PortDcb.BaudRate = options.speed;
    if (OpenPort(*port, settings.deviceName.c_str(), kPortQueueSize, kPortQueueSize) != 1) {
        reporter.Say("cannot open " + settings.deviceName);
        return kExitFailed;
    }
    // Unlike a connect, DTR is left alone: the line may be a modem that is
    // on line already, and dropping DTR would hang it up.
    port->PortOpen = 1;
    if (ApplyPortDcb(*port) != 1) {
        reporter.Say("cannot set " + settings.deviceName + " to " + std::to_string(options.speed) + " 8N1");
        ClosePort(*port);
        return kExitFailed;
    }
    port->CarrierSeen = settings.carrierFromStart ? 1 : 0;

    auto pump = std::make_unique<PumpState>();
    TerminalModes modes;
    TransferState state;
    LineLoop loop;
    NativeTransferHost host(loop);
    Transfer t{state, *service, *port, *pump, modes, host};
    host.transfer = &t;
    if (receive) {
        if (SingleFileProtocol(options.protocol)) host.receivePath = options.files[0];
    } else if (SingleFileProtocol(options.protocol)) {
        host.sendPath = options.files[0];
    } else {
        host.batch = options.files;
    }

    bool interrupted = false;
    bool lineLost = false;
    uint32_t lastGoneCheck = loop.TickCount();
    auto farEndGone = [&]() -> bool {
        const uint32_t now = loop.TickCount();
        if (!hooks.gone || now - lastGoneCheck < kGoneCheckEveryMs) return false;
        lastGoneCheck = now;
        return hooks.gone();
    };
    host.onIdle = [&] {
        // Nothing to do until the far end answers what was just written, so
        // whatever the device holds back goes now.
        FlushPort(*port);
        if (hooks.wait) hooks.wait(kIdleWaitMs);
    };
    host.onPump = [&]() -> bool {
        if (!interrupted && settings.cancelRequests && *settings.cancelRequests > 0) {
            interrupted = true;
            reporter.Note("interrupted: cancelling");
            if (receive)
                ReceiveButton(t);
            else
                SendButton(t);
            return true;
        }
        if (!lineLost && farEndGone()) {
            // A receiver waiting for a block polls the line only when bytes
            // come, so it would sit out minutes of time-outs on a peer that
            // is gone. Closing the port is what unplugging a modem does: the
            // protocol loops see the port gone and end with a lost line.
            lineLost = true;
            ClosePort(*port);
            return true;
        }
        return false;
    };
    host.onField = [&](int control, const std::string& text) { reporter.OnField(control, text, loop.TickCount()); };

    int result;
    bool complete;
    if (receive) {
        if (!PrepareReceive(t)) {
            ClosePort(*port);
            reporter.Finish("Not started", "", host.messages);
            return kExitFailed;
        }
        ReceiveInit(t);
        if (host.starts == 0) {
            // The file could not be created; the dialog would close itself.
            ReceiveClose(t);
            ClosePort(*port);
            reporter.Finish("Not started", host.Field(kFieldError), host.messages);
            return kExitFailed;
        }
        result = ReceiveRun(t);
        complete = result == kXfrComplete;
        ReceiveClose(t);
    } else {
        if (!PrepareSend(t)) {
            ClosePort(*port);
            reporter.Finish("Not started", "", host.messages);
            return kExitFailed;
        }
        SendInit(t);
        result = SendRun(t);
        complete = result == 0;
        SendClose(t);
    }

    // The line first: what the protocol still holds goes out before any
    // word of ours, which may share the line.
    ClosePort(*port);
    std::string errorText = host.Field(kFieldError);
    if (!complete && interrupted) errorText = TransferErrorText(kXfrUserCancelled);
    if (!complete && (lineLost || result == kCarrierLost)) errorText = "the line was closed at the far end";
    reporter.Finish(host.Field(kFieldStatus), complete ? std::string() : errorText, host.messages);
    return complete ? kExitComplete : kExitFailed;
}

}  // namespace palvex::xfer
