// The Win32 message loop behind the clock-and-pump seam, and the program's main
// loop. Both give the one session dialog IsDialogMessageA first, so its
// keyboard navigation works whichever loop happens to be running.
#pragma once

#include <windows.h>

#include "platform/message_loop.h"
#include "platform/ui.h"

namespace palvex {

class WinMessageLoop : public MessageLoop {
public:
    // `sessionDialog` is the slot of the one modeless session dialog (null while
    // none is open); it is read on every message.
    explicit WinMessageLoop(WindowRef* sessionDialog) : sessionDialog_(sessionDialog) {}

    // The window that owns the timers and whose WM_COMMNOTIFY may be dropped.
    void SetMainWindow(HWND window) { main_ = window; }
    HWND MainWindow() const { return main_; }

    uint32_t TickCount() override;
    void StartTimer(int id, unsigned ms) override;
    void KillTimer(int id) override;
    Taken TakeMessage(int waitTimerId, bool dropCommNotify) override;

    // GetMessageA until WM_QUIT; returns the quit code.
    int Run();
    // True once a nested loop has taken WM_QUIT; Run then ends with its code.
    bool QuitSeen() const { return quitSeen_; }

private:
    // Translates and dispatches unless the session dialog takes the message.
    void Deliver(MSG& msg);

    WindowRef* sessionDialog_;
    HWND main_ = nullptr;
    bool quitSeen_ = false;
    int quitCode_ = 0;
};

}  // namespace palvex
