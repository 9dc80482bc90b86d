// The modem search behind "Check modem port": "ATQ" and a carriage return to
// COM1..COM8 in turn, each given three seconds to answer. It is driven by the
// events of the "PORT" dialog (its opening, command 100, timers 1 and 16, the
// poll message, OK); what the dialog shows or schedules goes through
// PortDetectHooks, so the whole search runs natively over scripted devices.
#pragma once

#include <string>

#include "comm/port.h"
#include "modem/dialer.h"
#include "terminal/terminal_modes.h"

namespace palvex {

// Timers of the "PORT" dialog.
inline constexpr int kPortTimerPoll = 1;
inline constexpr unsigned kPortPollMs = 2;
inline constexpr int kPortTimerLimit = 16;
inline constexpr unsigned kPortLimitMs = 3000;

// Its commands and its own poll message.
inline constexpr int kPortCmdNext = 100;
inline constexpr int kPortCmdOk = 400;
inline constexpr unsigned kPortPollMessage = 0x44;

inline constexpr int kPortCount = 8;
inline constexpr unsigned kProbeQueueSize = 1024;
inline constexpr char kProbeCommand[] = "ATQ\r";

// What the dialog does for the search.
class PortDetectHooks {
public:
    virtual ~PortDetectHooks() = default;
    virtual void SetStatus(const std::string& text) = 0;
    // Dialog timers, repeating until killed as SetTimer's are.
    virtual void StartTimer(int id, unsigned ms) = 0;
    virtual void KillTimer(int id) = 0;
    // WM_COMMAND `id` posted to the dialog.
    virtual void PostCommand(int id) = 0;
    // kPortPollMessage posted to the dialog.
    virtual void PostPoll() = 0;
    virtual void Beep() = 0;  // MessageBeep(0)
    // The automatic form has no OK button.
    virtual void RemoveOk() = 0;
    virtual void Close(int result) = 0;
};

struct PortDetectState {
    int DetectedPort = 0;        // being tried or found, 1..8; 0 when nothing was found
    int AutomaticDetection = 0;
    int Done = 0;
    ResponseLine line;           // kept across ports, only its text is cleared per port
    bool probing = false;        // a probe port is open
};

class PortDetector {
public:
    // `port` is the shared port record: its handle is borrowed for the probes
    // and PortOpen is never set.
    PortDetector(PortState& port, TerminalModes& modes, PortDetectHooks& hooks, bool automatic);

    // WM_INITDIALOG.
    void Open();
    // WM_COMMAND: 100 next port, 400 OK. Escape (2) closes as OK does, once the
    // search has ended.
    void Command(int id);
    void Timer(int id);
    // The poll message: reads what the port under test has sent.
    void Poll();
    // The dialog is going away: a probe still open is closed.
    void End();

    PortDetectState state;

private:
    void NextPort();
    void Found();
    void CloseProbe();

    PortState& port_;
    TerminalModes& modes_;
    PortDetectHooks& hooks_;
};

// "Checking port COM3:", "Modem found in port 3", "Modem is not found in any port".
std::string CheckingPortText(int portNumber);
std::string FoundPortText(int portNumber);
inline constexpr char kNoModemText[] = "Modem is not found in any port";

}  // namespace palvex
