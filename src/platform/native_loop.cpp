#include "platform/native_loop.h"

#include <chrono>
#include <thread>

namespace palvex {

void TimerLoop::StartTimer(int id, unsigned ms) { timers_[id] = Timer{TickCount(), ms}; }

void TimerLoop::KillTimer(int id) { timers_.erase(id); }

Taken TimerLoop::TakeMessage(int waitTimerId, bool) {
    if (waitTimerId == 0) return Taken::Nothing;
    auto it = timers_.find(waitTimerId);
    if (it == timers_.end()) return Taken::Nothing;
    // Unsigned difference keeps working when the tick count wraps.
    if (TickCount() - it->second.start < it->second.period) return Taken::Nothing;
    it->second.start = TickCount();
    return Taken::WaitTimer;
}

uint32_t SteadyLoop::TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

Taken SteadyLoop::TakeMessage(int waitTimerId, bool dropCommNotify) {
    const Taken taken = TimerLoop::TakeMessage(waitTimerId, dropCommNotify);
    if (taken == Taken::Nothing) std::this_thread::yield();
    return taken;
}

}  // namespace palvex
