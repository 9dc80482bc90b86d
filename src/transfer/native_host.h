// A TransferHost without a window system: timers on a MessageLoop's clock, the
// status fields kept in memory (and handed to a callback), the file choices
// and the batch list given in advance. palvex-xfer runs on it over a
// SteadyLoop; the tests over a SteppingLoop, whose clock moves one step per
// pumped message, so a 27-second silence takes no real time.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/message_loop.h"
#include "transfer/transfer_state.h"

namespace palvex {

class NativeTransferHost : public TransferHost {
public:
    explicit NativeTransferHost(MessageLoop& loop) : loop_(loop) {}

    // The transfer whose timers this host fires (OnTransferTimer).
    Transfer* transfer = nullptr;

    // ---- What the user would have chosen --------------------------------
    std::string receivePath;              // the save choice; empty: cancelled
    std::string sendPath;                 // the open choice; empty: cancelled
    std::vector<std::string> batch;       // the batch list

    // ---- Hooks ----------------------------------------------------------
    // Called on every PumpMessage before the timers are looked at: a test
    // presses Cancel or feeds the line here. Return true when it "handled a
    // message".
    std::function<bool()> onPump;
    // Called by Idle (the command-line tool waits for the line here).
    std::function<void()> onIdle;
    // Every field change, as it happens.
    std::function<void(int control, const std::string& text)> onField;

    // ---- What happened --------------------------------------------------
    std::map<int, std::string> fields;
    std::vector<std::pair<int, std::string>> fieldHistory;  // when recordHistory
    bool recordHistory = false;
    std::string title;
    int percent = 0;
    int beeps = 0;
    std::vector<int> messages;       // string ids shown
    int starts = 0;                  // PostStart calls
    int cancels = 0;                 // PostCancel calls
    bool mainEnabled = true;
    int hangUps = 0;
    bool viewerStarts = false;       // what StartViewer answers
    std::vector<std::string> viewerLog;  // "start <path>", "notify", "close"

    std::string Field(int control) const {
        auto it = fields.find(control);
        return it == fields.end() ? std::string() : it->second;
    }

    uint32_t TickCount() override { return loop_.TickCount(); }
    bool PumpMessage() override;
    void Idle() override {
        if (onIdle) onIdle();
    }
    void StartTimer(int id, unsigned ms) override;
    void KillTimer(int id) override { timers_.erase(id); }
    bool TimerRunning(int id) override { return timers_.count(id) != 0; }

    void SetField(int control, const std::string& text) override;
    void SetTitle(const std::string& text) override { title = text; }
    void PaintProgress(int p) override { percent = p; }
    void Beep() override { ++beeps; }
    void ShowMessage(int stringId) override { messages.push_back(stringId); }
    void PostStart() override { ++starts; }
    void PostCancel() override { ++cancels; }
    void EnableMainWindow(bool enabled) override { mainEnabled = enabled; }
    void HangUp() override { ++hangUps; }

    bool ChooseReceivePath(std::string& path) override;
    bool ChooseSendPath(std::string& path) override;
    int RunBatchList(std::vector<std::string>& list) override;

    bool StartViewer(const std::string& path) override;
    void NotifyViewer() override { viewerLog.push_back("notify"); }
    void CloseViewer() override { viewerLog.push_back("close"); }

private:
    struct Timer {
        uint32_t start;
        unsigned period;
    };
    MessageLoop& loop_;
    std::map<int, Timer> timers_;
};

}  // namespace palvex
