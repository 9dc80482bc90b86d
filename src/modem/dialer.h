// The dialer: resets and initialises the modem, dials the current service,
// reads the modem's answers and the carrier line, counts each attempt down,
// redials and, in batch dial, moves through a list of services. It is driven by
// the events of the dial dialog (its opening, its commands, its timers and the
// response reader's loop); everything the dialog has to show or do goes
// through DialerHooks, so the whole dialogue runs natively against a scripted
// modem.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "comm/session.h"
#include "modem/modem_profile.h"
#include "shell/dialog_ids.h"

namespace palvex {

// The services of a batch dial, in the order chosen: slots of 10 bytes, each a
// NUL-terminated short name of at most 8 characters.
inline constexpr int kDialSlotSize = 10;
struct DialBatchList {
    std::vector<std::array<char, kDialSlotSize>> slots;

    // Appends a slot with `shortName` cut to 8 characters.
    void Add(const char* shortName);
    bool Empty() const { return slots.empty(); }
    void Free() { slots.clear(); slots.shrink_to_fit(); }
};

// The dial dialog's timers.
inline constexpr int kDialTimerCountdown = 2;   // one-second tick
inline constexpr int kDialTimerResponse = 3;    // no answer from the modem
inline constexpr int kDialTimerNext = 14;       // delay before the next command
inline constexpr int kDialTimerStatus = 28;     // "Waiting for connection.."

// The dial dialog's commands and its own message.
inline constexpr int kDialCmdEscape = 2;        // the Escape key (IDCANCEL)
inline constexpr int kDialCmdReader = 100;      // starts the response reader
inline constexpr int kDialCmdCancel = 300;
inline constexpr int kDialCmdOk = 400;
inline constexpr unsigned kDialReaderMessage = 0x44;

// Controls of "DIALDIALOG" the dialer writes to.
inline constexpr int kDialCtlNumber = dlg::kDialNumber;
inline constexpr int kDialCtlStatus = dlg::kDialStatus;
inline constexpr int kDialCtlLastStatus = dlg::kDialLastStatus;
inline constexpr int kDialCtlRetries = dlg::kDialRetries;
inline constexpr int kDialCtlCountdown = dlg::kDialTimer;

enum DialStateValue : int {
    kDialIdle = 0,
    kDialReset = 1,    // the reset string has been sent
    kDialInit = 2,     // the init string is due or has been sent
    kDialDialing = 3,  // the dial command is due or has been sent
};

inline constexpr int kResponseLineMax = 255;

struct ResponseLine {
    char text[kResponseLineMax + 1] = {};
    int length = 0;
    int CrSeen = 0;
    int LfSeen = 0;
    int LineStart = 1;  // no character of the current line collected yet

    void Reset() {
        length = 0;
        text[0] = 0;
        CrSeen = LfSeen = 0;
        LineStart = 1;
    }
};

// A phone number without "(", ")", "-" and blanks.
std::string CleanPhoneNumber(const char* number);
// The dial command for `service` with the profile's prefix and suffix, e.g.
// "ATDT 9,123\r"; empty when the phone type is None or the cleaned number is.
std::string BuildDialCommand(const ServiceEntry& service, const ModemProfile& profile);
// The service's dial time-out in seconds; 0 stands for 60.
int DialTimeoutSeconds(const ServiceEntry& service);

// What the dial dialog does for the dialer.
class DialerHooks {
public:
    virtual ~DialerHooks() = default;
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual void SetTitle(const std::string& text) = 0;
    virtual void SetMainTitle(const std::string& text) = 0;
    // Dialog timers, repeating until killed as SetTimer's are.
    virtual void StartTimer(int id, unsigned ms) = 0;
    virtual void KillTimer(int id) = 0;
    // WM_COMMAND `id` posted to the dialog without a control.
    virtual void PostCommand(int id) = 0;
    // The reader's own message (kDialReaderMessage) posted to the dialog.
    virtual void PostReader() = 0;
    // WM_USER+1 to the main window.
    virtual void PostDialingEnded(int wParam) = 0;
    virtual void EnableMainWindow() = 0;
    virtual void DisableDialog() = 0;
    // Bytes for the terminal, as if received.
    virtual void Interpret(const uint8_t* bytes, int count) = 0;
    // Reads the service file of `shortName` into the current service; false
    // when it cannot be opened.
    virtual bool ReadService(const char* shortName) = 0;
    // The current service's manufacturer profile into the working profile.
    virtual void LoadProfile(int manufacturer) = 0;
    virtual bool ScriptFileExists(const char* shortName) = 0;
    // One waiting message of any window, delivered (the reader's last step).
    virtual void TakeOneMessage() = 0;
};

struct DialerState {
    int DialState = kDialIdle;
    int AttemptCount = 0;
    int RetriesLeft = 0;
    int Countdown = 0;
    int AbortFlag = 0;
    ResponseLine line;
    std::size_t BatchCursor = 0;
};

class Dialer {
public:
    // `session` gives the port, the current service, the user interface and
    // the pauses' clock; `profile` is the working profile.
    Dialer(Session& session, ModemProfile& profile, DialerHooks& hooks, DialBatchList& batch, bool batchDial,
           int& scriptActive, WindowRef owner = nullptr);

    // WM_INITDIALOG.
    void Open();
    // WM_COMMAND: 2 (Escape), 100, 300 (`fromButton` when a control sent it), 400.
    void Command(int id, bool fromButton);
    // The reader's message: runs until the dial ends or no port is left.
    void RunResponseReader();
    void Timer(int id);
    // Batch dial: the next slot with a number becomes the current service.
    void NextService();

    DialerState state;
    const DialerState& State() const { return state; }
    bool ReaderRunning() const { return readerDepth_ > 0; }
    bool BatchDial() const { return batchDial_; }
    // The window that owns the dialer's messages (the dial dialog).
    void SetOwner(WindowRef owner) { owner_ = owner; }

private:
    enum class ByteResult { Next, EndPass, LeaveReader };
    ByteResult HandleByte(uint8_t b);
    // The complete line in state.line: true to leave the reader.
    bool HandleLine(const std::string& line);
    void Connected();
    void Cancel(bool fromButton);
    void Ok();
    void SendReset();
    void SendInit();
    void SendDial();
    void ShowStatus(const char* text);
    void ShowCountdown(const char* format);
    void RestartCountdown();
    void InterpretText(const std::string& text);
    std::string ServiceName() const;

    Session& s_;
    ModemProfile& profile_;
    DialerHooks& hooks_;
    DialBatchList& batch_;
    bool batchDial_;
    int& scriptActive_;
    WindowRef owner_;
    bool ownsPort_ = false;
    int readerDepth_ = 0;
};

}  // namespace palvex
