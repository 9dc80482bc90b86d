// Message loops for programs without a window system: the command-line tools
// (real time) and the tests (a clock that moves only when told).
#pragma once

#include <cstdint>
#include <map>

#include "platform/message_loop.h"

namespace palvex {

// Timers on a clock; TakeMessage reports the waited-for timer once it is due.
class TimerLoop : public MessageLoop {
public:
    void StartTimer(int id, unsigned ms) override;
    void KillTimer(int id) override;
    Taken TakeMessage(int waitTimerId, bool dropCommNotify) override;
    bool TimerRunning(int id) const { return timers_.count(id) != 0; }

protected:
    struct Timer {
        uint32_t start;
        unsigned period;
    };
    std::map<int, Timer> timers_;
};

// Real time from a steady clock; an idle TakeMessage yields the processor.
class SteadyLoop : public TimerLoop {
public:
    uint32_t TickCount() override;
    Taken TakeMessage(int waitTimerId, bool dropCommNotify) override;
};

// Time advances by `step` ms on every TakeMessage: deterministic waits in tests.
class SteppingLoop : public TimerLoop {
public:
    explicit SteppingLoop(unsigned step = 1) : step_(step) {}
    uint32_t TickCount() override { return now_; }
    Taken TakeMessage(int waitTimerId, bool dropCommNotify) override {
        now_ += step_;
        ++taken;
        return TimerLoop::TakeMessage(waitTimerId, dropCommNotify);
    }
    void Advance(uint32_t ms) { now_ += ms; }
    int taken = 0;

private:
    uint32_t now_ = 0;
    unsigned step_;
};

}  // namespace palvex
