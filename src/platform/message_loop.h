// The clock and message-pump seam. The design's nested loops (the receive pump,
// WaitPumping, the session dialogs) keep the user interface alive by taking one
// message at a time; on Win32 that is PeekMessageA/IsDialogMessageA/DispatchMessageA,
// natively it only runs timers.
#pragma once

#include <cstdint>

namespace palvex {

enum class Taken {
    Nothing,     // no message was pending
    Dispatched,  // one message was handled (or dropped)
    WaitTimer,   // the timer the caller waits for expired; it was not dispatched
};

class MessageLoop {
public:
    virtual ~MessageLoop() = default;
    // Milliseconds since an arbitrary start, wrapping like GetTickCount.
    virtual uint32_t TickCount() = 0;
    virtual void StartTimer(int id, unsigned ms) = 0;
    virtual void KillTimer(int id) = 0;
    // Takes at most one pending message of any window. A WM_TIMER of the main
    // window with id `waitTimerId` (0: none) comes back as WaitTimer; a
    // WM_COMMNOTIFY for the main window is dropped when `dropCommNotify` is set.
    virtual Taken TakeMessage(int waitTimerId, bool dropCommNotify) = 0;
};

}  // namespace palvex
