#include "modem/dialer.h"

#include <cstdio>
#include <cstring>

#include "comm/port.h"
#include "comm/port_types.h"
#include "shell/string_ids.h"

namespace palvex {

namespace {

constexpr int kPhoneTypePulse = 0;
constexpr int kPhoneTypeTone = 1;
constexpr int kPhoneTypeNone = 2;

constexpr unsigned kTickMs = 1000;
constexpr unsigned kResetAnswerMs = 4000;
constexpr unsigned kInitAnswerMs = 7000;
constexpr unsigned kNextServiceAnswerMs = 2000;
constexpr unsigned kCommandDelayMs = 2000;
constexpr unsigned kRedialAfterResultMs = 3000;
constexpr unsigned kWaitingStatusMs = 3000;

std::string Text(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

void WriteBytes(PortState& port, const std::string& bytes) {
    // One byte per write, as slow modems of the time wanted their commands.
    for (char c : bytes) {
        const uint8_t b = static_cast<uint8_t>(c);
        WritePort(port, &b, 1);
    }
}

void DropModemLines(PortState& port) {
    if (port.handle && port.handle->IsOpen()) {
        port.handle->EscapeFunction(kClrDtr);
        port.handle->EscapeFunction(kClrRts);
    }
}

}  // namespace

void DialBatchList::Add(const char* shortName) {
    std::array<char, kDialSlotSize> slot{};
    if (shortName) std::strncpy(slot.data(), shortName, 8);
    slots.push_back(slot);
}

std::string CleanPhoneNumber(const char* number) {
    std::string cleaned;
    for (const char* p = number; p && *p; ++p)
        if (*p != '(' && *p != ')' && *p != '-' && *p != ' ') cleaned.push_back(*p);
    return cleaned;
}

std::string BuildDialCommand(const ServiceEntry& service, const ModemProfile& profile) {
    if (service.PhoneType == kPhoneTypeNone) return {};
    const std::string number = CleanPhoneNumber(Text(service.PhoneNumber, sizeof service.PhoneNumber).c_str());
    if (number.empty()) return {};
    std::string command = ExpandControlNotation(FieldText(profile.DialPrefix));
    if (service.PhoneType == kPhoneTypeTone) command += "T ";
    if (service.PhoneType == kPhoneTypePulse) command += "P ";
    const std::string prefix = Text(service.PhonePrefix, sizeof service.PhonePrefix);
    if (!prefix.empty()) command += prefix + ",";
    command += number;
    command += ExpandControlNotation(FieldText(profile.DialSuffix));
    return command;
}

int DialTimeoutSeconds(const ServiceEntry& service) { return service.DialTimeout == 0 ? 60 : service.DialTimeout; }

Dialer::Dialer(Session& session, ModemProfile& profile, DialerHooks& hooks, DialBatchList& batch, bool batchDial,
               int& scriptActive, WindowRef owner)
    : s_(session),
      profile_(profile),
      hooks_(hooks),
      batch_(batch),
      batchDial_(batchDial && !batch.Empty()),
      scriptActive_(scriptActive),
      owner_(owner) {}

std::string Dialer::ServiceName() const { return Text(s_.service.ShortName, sizeof s_.service.ShortName); }

void Dialer::ShowStatus(const char* text) { hooks_.SetControlText(kDialCtlStatus, text); }

void Dialer::ShowCountdown(const char* format) {
    char text[16];
    std::snprintf(text, sizeof text, format, state.Countdown);
    hooks_.SetControlText(kDialCtlCountdown, text);
}

void Dialer::RestartCountdown() { state.Countdown = DialTimeoutSeconds(s_.service); }

void Dialer::InterpretText(const std::string& text) {
    if (!text.empty()) hooks_.Interpret(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
}

void Dialer::SendReset() { WriteBytes(s_.port, ExpandControlNotation(FieldText(profile_.ResetString))); }

void Dialer::SendInit() { SendCommandString(s_, FieldText(profile_.InitString), true, false); }

void Dialer::SendDial() { WriteBytes(s_.port, BuildDialCommand(s_.service, profile_)); }

void Dialer::Open() {
    state = DialerState{};
    state.line.Reset();
    s_.port.CarrierSeen = 0;
    hooks_.SetTitle("Dialing " + ServiceName());
    ShowStatus("Reset");
    hooks_.SetControlText(kDialCtlNumber, Text(s_.service.PhoneNumber, sizeof s_.service.PhoneNumber));
    RestartCountdown();

    if (ConnectPort(s_.port, s_.service, s_.ui, owner_) != 0) {
        hooks_.PostCommand(kDialCmdCancel);
        return;
    }
    ownsPort_ = true;
    hooks_.PostCommand(kDialCmdReader);
    SendReset();
    ShowCountdown("%d");
    hooks_.StartTimer(kDialTimerCountdown, kTickMs);
    hooks_.StartTimer(kDialTimerResponse, kResetAnswerMs);

    state.RetriesLeft = batchDial_ ? 1 : s_.service.DialRetries;
    state.BatchCursor = 0;
    state.DialState = kDialReset;
}

void Dialer::Command(int id, bool fromButton) {
    switch (id) {
    case kDialCmdEscape:
        if (!ownsPort_) return;
        // A byte from the terminal makes the modem give up the call; the
        // next attempt then waits for its answer instead of the clock.
        WriteBytes(s_.port, " ");
        hooks_.KillTimer(kDialTimerCountdown);
        RestartCountdown();
        break;
    case kDialCmdReader: hooks_.PostReader(); break;
    case kDialCmdCancel: Cancel(fromButton); break;
    case kDialCmdOk: Ok(); break;
    default: break;
    }
}

void Dialer::Cancel(bool fromButton) {
    state.AbortFlag = 1;
    // A port this dial did not open (one still connected) is left alone.
    if (ownsPort_) WriteBytes(s_.port, " ");
    batch_.Free();
    hooks_.KillTimer(kDialTimerCountdown);
    hooks_.KillTimer(kDialTimerResponse);
    hooks_.KillTimer(kDialTimerNext);
    hooks_.KillTimer(kDialTimerStatus);
    if (ownsPort_) {
        PurgePort(s_.port, 1);
        PurgePort(s_.port, 0);
        DropModemLines(s_.port);
        ClosePort(s_.port);
        s_.port.PortOpen = 0;
        ownsPort_ = false;
    }
    hooks_.SetMainTitle("Palvex32-Dialup");
    scriptActive_ = 0;
    hooks_.PostDialingEnded(fromButton ? 1 : 0);
    hooks_.EnableMainWindow();
    hooks_.DisableDialog();
}

void Dialer::Ok() {
    state.AbortFlag = 1;
    batch_.Free();
    if (batchDial_ && scriptActive_ && !hooks_.ScriptFileExists(ServiceName().c_str())) scriptActive_ = 0;
    hooks_.KillTimer(kDialTimerCountdown);
    hooks_.KillTimer(kDialTimerResponse);
    hooks_.KillTimer(kDialTimerNext);
    hooks_.KillTimer(kDialTimerStatus);
    hooks_.EnableMainWindow();
    hooks_.DisableDialog();
    hooks_.PostDialingEnded(0);
}

void Dialer::Connected() {
    std::string partial(state.line.text, static_cast<std::size_t>(state.line.length));
    if (state.line.CrSeen) partial += '\r';
    if (state.line.LfSeen) partial += '\n';
    InterpretText(partial);
    ShowStatus("Connected");
    s_.ui.MessageBeep(kBeepDefault);
    s_.ui.MessageBeep(kBeepDefault);
    s_.port.CarrierSeen = 1;
    hooks_.PostCommand(kDialCmdOk);
}

void Dialer::RunResponseReader() {
    ++readerDepth_;
    for (;;) {
        if (state.AbortFlag || !s_.port.PortOpen) break;
        uint32_t lines = 0;
        if (!GetModemLines(s_.port, lines)) lines = 0;
        QueryPortStatus(s_.port);
        bool leave = false;
        if (s_.port.PortStatus.cbInQue > 0) {
            uint8_t b = 0;
            while (ReadPort(s_.port, &b, 1) == 1) {
                const ByteResult r = HandleByte(b);
                if (r == ByteResult::EndPass) break;
                if (r == ByteResult::LeaveReader) {
                    leave = true;
                    break;
                }
                // A line may have moved batch dial to another port.
                if (!s_.port.PortOpen) break;
            }
        }
        if (leave) break;
        if ((lines & kMsRlsdOn) && state.DialState == kDialDialing && s_.port.PortOpen) {
            Connected();
            break;
        }
        hooks_.TakeOneMessage();
    }
    --readerDepth_;
}

Dialer::ByteResult Dialer::HandleByte(uint8_t b) {
    ResponseLine& line = state.line;
    if (state.DialState == kDialReset && (b == '0' || b == '4')) {
        // Numeric result codes: the digit is the whole answer; what follows it
        // (its carriage return) goes to the terminal.
        if (b == '0') {
            hooks_.StartTimer(kDialTimerResponse, kResetAnswerMs);
            ShowStatus("Initializing");
            hooks_.StartTimer(kDialTimerNext, kCommandDelayMs);
            state.DialState = kDialInit;
        }
        uint8_t next = 0;
        if (ReadPort(s_.port, &next, 1) == 1) hooks_.Interpret(&next, 1);
        if (b == '4') ShowStatus("Error");
        return ByteResult::EndPass;
    }
    if (b == '\r') {
        line.CrSeen = 1;
        return ByteResult::Next;
    }
    if (b == '\n') {
        if (!line.CrSeen) return ByteResult::Next;
        line.LfSeen = 1;
        if (line.LineStart) return ByteResult::Next;
        const std::string complete(line.text, static_cast<std::size_t>(line.length));
        line.Reset();
        hooks_.KillTimer(kDialTimerResponse);
        return HandleLine(complete) ? ByteResult::LeaveReader : ByteResult::Next;
    }
    if (line.CrSeen && line.LfSeen) {
        if (line.length < kResponseLineMax) {
            line.text[line.length++] = static_cast<char>(b);
            line.text[line.length] = 0;
        }
        line.LineStart = 0;
    }
    // Anything before the CR LF that opens a response is the modem's echo.
    return ByteResult::Next;
}

bool Dialer::HandleLine(const std::string& text) {
    const int r = MatchResultCode(profile_, text);
    switch (state.DialState) {
    case kDialReset:
        if (r == kModemOk || r == kModemCarrier) {
            hooks_.StartTimer(kDialTimerResponse, kInitAnswerMs);
            ShowStatus("Initializing");
            hooks_.StartTimer(kDialTimerNext, kCommandDelayMs);
            state.DialState = kDialInit;
        } else {
            ShowStatus(text.c_str());
        }
        return false;
    case kDialInit:
        if (r == kModemOk || r == kModemCarrier) {
            ShowStatus("Dialing");
            hooks_.StartTimer(kDialTimerNext, kCommandDelayMs);
            state.DialState = kDialDialing;
        } else {
            ShowStatus(text.c_str());
        }
        return false;
    case kDialDialing:
        if (r == kModemConnect) {
            InterpretText(text + "\r\n");
            ShowStatus(text.c_str());
            s_.ui.MessageBeep(kBeepDefault);
            s_.ui.MessageBeep(kBeepDefault);
            hooks_.PostCommand(kDialCmdOk);
            return true;
        }
        if (r < 0) {
            InterpretText(text + "\r\n");
            return false;
        }
        hooks_.SetControlText(kDialCtlLastStatus, text);
        if (state.RetriesLeft < 1 && !batchDial_) {
            hooks_.PostCommand(kDialCmdCancel);
            return true;
        }
        if (state.RetriesLeft > 0)
            hooks_.StartTimer(kDialTimerNext, kRedialAfterResultMs);
        else
            NextService();
        return false;
    default: return false;
    }
}

void Dialer::Timer(int id) {
    switch (id) {
    case kDialTimerCountdown:
        --state.Countdown;
        ShowCountdown("%2d");
        if (state.Countdown > 0) return;
        if (state.RetriesLeft > 0) {
            hooks_.StartTimer(kDialTimerNext, kCommandDelayMs);
            state.DialState = kDialDialing;
            state.line.LineStart = 1;
            RestartCountdown();
        } else if (batchDial_) {
            NextService();
        } else {
            hooks_.KillTimer(kDialTimerCountdown);
            state.AbortFlag = 1;
            hooks_.PostCommand(kDialCmdCancel);
        }
        return;
    case kDialTimerResponse:
        hooks_.KillTimer(kDialTimerResponse);
        if (state.DialState == kDialReset) {
            // A modem that does not answer the reset may still take the init.
            hooks_.StartTimer(kDialTimerResponse, kResetAnswerMs);
            ShowStatus("Initializing");
            hooks_.StartTimer(kDialTimerNext, kCommandDelayMs);
            state.DialState = kDialInit;
        } else if (state.DialState == kDialInit) {
            s_.ui.MessageBeep(kBeepDefault);
            s_.ui.ShowMessage(owner_, str::kStrModemInitFailed, nullptr, kStyleTaskModal | kStyleInformation);
            hooks_.PostCommand(kDialCmdCancel);
            state.AbortFlag = 1;
        }
        return;
    case kDialTimerNext:
        hooks_.KillTimer(kDialTimerNext);
        if (state.DialState == kDialInit) {
            SendInit();
        } else if (state.DialState == kDialDialing) {
            ++state.AttemptCount;
            if (state.AttemptCount >= 2) ShowStatus("Redialing");
            RestartCountdown();
            hooks_.SetControlText(kDialCtlRetries, std::to_string(state.AttemptCount));
            --state.RetriesLeft;
            SendDial();
            hooks_.StartTimer(kDialTimerStatus, kWaitingStatusMs);
        }
        return;
    case kDialTimerStatus:
        hooks_.KillTimer(kDialTimerStatus);
        ShowStatus("Waiting for connection..");
        return;
    default: return;
    }
}

void Dialer::NextService() {
    state.AttemptCount = 0;
    ShowStatus("Reset");
    const std::size_t count = batch_.slots.size();
    if (count == 0) {
        state.AbortFlag = 1;
        hooks_.PostCommand(kDialCmdCancel);
        return;
    }
    // One round through the list at most: a list in which no service has a
    // number would otherwise spin here for ever.
    bool found = false;
    for (std::size_t tried = 0; tried < count; ++tried) {
        if (++state.BatchCursor >= count) {
            state.BatchCursor = 0;
            state.RetriesLeft = 1;
        }
        const auto& slot = batch_.slots[state.BatchCursor];
        const std::string name(slot.data(), strnlen(slot.data(), slot.size()));
        if (!hooks_.ReadService(name.c_str())) {
            found = true;  // go on with what is current
            break;
        }
        if (s_.service.PhoneNumber[0]) {
            found = true;
            break;
        }
    }
    if (!found) {
        state.AbortFlag = 1;
        hooks_.PostCommand(kDialCmdCancel);
        return;
    }

    hooks_.LoadProfile(s_.service.ModemIndex);
    hooks_.SetControlText(kDialCtlNumber, Text(s_.service.PhoneNumber, sizeof s_.service.PhoneNumber));
    RestartCountdown();

    DropModemLines(s_.port);
    ClosePort(s_.port);
    s_.port.PortOpen = 0;
    ownsPort_ = false;
    state.line.Reset();
    if (ConnectPort(s_.port, s_.service, s_.ui, owner_) != 0) {
        state.AbortFlag = 1;
        hooks_.PostCommand(kDialCmdCancel);
        return;
    }
    ownsPort_ = true;
    SendReset();
    ShowCountdown("%d");
    hooks_.StartTimer(kDialTimerResponse, kNextServiceAnswerMs);
    state.DialState = kDialReset;
    ShowStatus("Dialing next number");
    hooks_.SetTitle("Dialing " + ServiceName());
}

}  // namespace palvex
