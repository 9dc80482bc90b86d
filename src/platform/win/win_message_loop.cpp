#include "platform/win/win_message_loop.h"

namespace palvex {

namespace {
constexpr UINT kCommNotify = 0x44;
}  // namespace

uint32_t WinMessageLoop::TickCount() { return GetTickCount(); }

void WinMessageLoop::StartTimer(int id, unsigned ms) {
    if (main_) SetTimer(main_, static_cast<UINT_PTR>(id), ms, nullptr);
}

void WinMessageLoop::KillTimer(int id) {
    if (main_) ::KillTimer(main_, static_cast<UINT_PTR>(id));
}

void WinMessageLoop::Deliver(MSG& msg) {
    HWND dialog = static_cast<HWND>(*sessionDialog_);
    if (dialog && IsDialogMessageA(dialog, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

Taken WinMessageLoop::TakeMessage(int waitTimerId, bool dropCommNotify) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // The nested loops spin; giving up the rest of the time slice keeps a
        // spinning pump from starving the rest of the system (and Wine's server)
        // without delaying anything that is already waiting.
        SwitchToThread();
        return Taken::Nothing;
    }
    if (msg.message == WM_QUIT) {
        // A nested loop must not swallow the end of the program, nor post it
        // again at once (WM_QUIT outranks WM_TIMER, so a wait would never end):
        // the main loop ends as soon as the nested loops have returned.
        quitSeen_ = true;
        quitCode_ = static_cast<int>(msg.wParam);
        return Taken::Dispatched;
    }
    if (msg.hwnd == main_ && main_) {
        if (msg.message == WM_TIMER && waitTimerId != 0 && msg.wParam == static_cast<WPARAM>(waitTimerId))
            return Taken::WaitTimer;
        if (msg.message == kCommNotify && dropCommNotify) return Taken::Dispatched;
    }
    Deliver(msg);
    return Taken::Dispatched;
}

int WinMessageLoop::Run() {
    MSG msg;
    while (!quitSeen_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 0;
        Deliver(msg);
    }
    return quitCode_;
}

}  // namespace palvex
