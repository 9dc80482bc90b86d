#include "modem/port_detect.h"

#include <cstdio>

#include "shell/dialog_ids.h"

namespace palvex {

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;

}  // namespace

std::string CheckingPortText(int portNumber) {
    char name[16];
    std::snprintf(name, sizeof name, "COM%d:", portNumber);
    return std::string("Checking port ") + name;
}

std::string FoundPortText(int portNumber) {
    char text[48];
    std::snprintf(text, sizeof text, "Modem found in port %d", portNumber);
    return text;
}

PortDetector::PortDetector(PortState& port, TerminalModes& modes, PortDetectHooks& hooks, bool automatic)
    : port_(port), modes_(modes), hooks_(hooks) {
    state.AutomaticDetection = automatic ? 1 : 0;
}

void PortDetector::Open() {
    state.Done = 0;
    if (state.AutomaticDetection) hooks_.RemoveOk();
    state.DetectedPort = 0;
    state.line.Reset();
    hooks_.PostCommand(kPortCmdNext);
}

void PortDetector::Command(int id) {
    switch (id) {
    case kPortCmdNext:
        // A stray 100 after the end (posted before the last answer came in)
        // must not start the search over.
        if (!state.Done) NextPort();
        break;
    case kPortCmdOk:
    case dlg::kEscape:
        if (state.Done) hooks_.Close(state.DetectedPort);
        break;
    default: break;
    }
}

void PortDetector::NextPort() {
    state.line.length = 0;
    state.line.text[0] = 0;
    if (state.DetectedPort > 0) CloseProbe();
    ++state.DetectedPort;

    // A port that cannot be opened costs nothing: straight on to the next.
    if (state.DetectedPort <= kPortCount) {
        hooks_.SetStatus(CheckingPortText(state.DetectedPort));
        char name[16];
        std::snprintf(name, sizeof name, "COM%d:", state.DetectedPort);
        if (OpenPort(port_, name, kProbeQueueSize, kProbeQueueSize) == 1) {
            state.probing = true;
            WritePort(port_, reinterpret_cast<const uint8_t*>(kProbeCommand), sizeof kProbeCommand - 1);
            hooks_.StartTimer(kPortTimerPoll, kPortPollMs);
            hooks_.StartTimer(kPortTimerLimit, kPortLimitMs);
            return;
        }
        hooks_.PostCommand(kPortCmdNext);
        return;
    }

    state.Done = 1;
    state.DetectedPort = 0;
    hooks_.SetStatus(kNoModemText);
    hooks_.Beep();
    if (state.AutomaticDetection) hooks_.PostCommand(kPortCmdOk);
}

void PortDetector::Timer(int id) {
    if (id == kPortTimerLimit) {
        hooks_.KillTimer(kPortTimerLimit);
        hooks_.KillTimer(kPortTimerPoll);
        if (!state.Done) hooks_.PostCommand(kPortCmdNext);
    } else if (id == kPortTimerPoll) {
        hooks_.PostPoll();
    }
}

void PortDetector::Poll() {
    // Polls already queued when the port of their try was closed find nothing.
    if (state.Done || !state.probing) return;
    QueryPortStatus(port_);
    uint32_t waiting = port_.PortStatus.cbInQue;
    ResponseLine& line = state.line;
    while (waiting-- > 0) {
        uint8_t b = 0;
        if (ReadPort(port_, &b, 1) == 0) {
            PollLine(port_, modes_);
            return;
        }
        if (b == '0') {
            Found();
            return;
        }
        if (b == kCr) {
            line.CrSeen = 1;
        } else if (b == kLf && line.CrSeen) {
            line.LfSeen = 1;
            if (!line.LineStart) {
                Found();
                return;
            }
        } else if (line.CrSeen && line.LfSeen) {
            if (line.length < kResponseLineMax) {
                line.text[line.length++] = static_cast<char>(b);
                line.text[line.length] = 0;
            }
            line.LineStart = 0;
        }
    }
}

void PortDetector::Found() {
    hooks_.KillTimer(kPortTimerLimit);
    hooks_.KillTimer(kPortTimerPoll);
    hooks_.SetStatus(FoundPortText(state.DetectedPort));
    CloseProbe();
    hooks_.Beep();
    state.Done = 1;
    if (state.AutomaticDetection) hooks_.PostCommand(kPortCmdOk);
}

void PortDetector::CloseProbe() {
    if (!state.probing) return;
    state.probing = false;
    PurgePort(port_, 0);
    PurgePort(port_, 1);
    ClosePort(port_);
}

void PortDetector::End() {
    hooks_.KillTimer(kPortTimerLimit);
    hooks_.KillTimer(kPortTimerPoll);
    CloseProbe();
}

}  // namespace palvex
