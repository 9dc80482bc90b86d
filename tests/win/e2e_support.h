// What the end-to-end programs under Wine share with each other.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"
#include "shell/win/app.h"
#include "shell/win/main_window.h"

namespace palvex::e2e {

// The driver's exchange folder through drive Z:; empty without the driver.
inline std::string ExchangeDir() {
    std::string path = std::getenv("PALVEX_E2E_DIR") ? std::getenv("PALVEX_E2E_DIR") : "";
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}

inline std::string ProgramDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of("\\/"));
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ScreenText(TerminalScreen& s) {
    std::string text;
    for (int r = 0; r < s.rows; ++r) {
        const ScreenLine& line = LineAt(s, r);
        text.append(reinterpret_cast<const char*>(line.text), static_cast<size_t>(line.length > 0 ? line.length : 0));
        text += '\n';
    }
    return text;
}

// A direct connection on COM1 without flow control (a pty has no handshake lines).
template <size_t N>
void DirectOnCom1(ServiceEntry& service, const char (&shortName)[N], int terminalType) {
    static_assert(N <= sizeof service.ShortName);
    std::memcpy(service.ShortName, shortName, N);
    service.PhoneType = 2;  // direct, COM1
    service.BaudIndex = 0;
    service.FlowControl = 0;
    service.TerminalType = static_cast<int16_t>(terminalType);
}

// The profile keys cleared for the test, "INSTALLDIR" naming the exchange
// folder's "install"; put back as they were when this goes.
class TestProfile {
public:
    TestProfile(const std::string& exchangeDir, std::initializer_list<const char*> keys)
        : keys_(keys), installDir_(exchangeDir + "\\install") {
        for (const char* key : keys_) {
            char value[1100] = {};
            if (GetProfileStringA("palvex32", key, "", value, sizeof value) > 0) saved_.emplace_back(key, value);
            WriteProfileStringA("palvex32", key, nullptr);
        }
        CreateDirectoryA(installDir_.c_str(), nullptr);
        WriteProfileStringA("palvex32", "INSTALLDIR", installDir_.c_str());
    }
    ~TestProfile() {
        for (const char* key : keys_) WriteProfileStringA("palvex32", key, nullptr);
        for (const auto& [key, value] : saved_) WriteProfileStringA("palvex32", key, value.c_str());
    }
    const std::string& InstallDir() const { return installDir_; }

private:
    std::vector<const char*> keys_;
    std::string installDir_;
    std::vector<std::pair<const char*, std::string>> saved_;
};

// The main window over a fresh App, as WinMain starts it; `commandFilter`
// sees every command first.
class TestMainWindow {
public:
    TestMainWindow(RecordingUi& ui, std::function<bool(int)> commandFilter) {
        HINSTANCE module = GetModuleHandleA(nullptr);
        static const bool registered = RegisterMainWindowClass(module);
        if (!registered) return;
        app = std::make_unique<App>(module, &ui);
        app->commandFilter = std::move(commandFilter);
        window = CreateMainWindow(*app, SW_SHOWNORMAL);
    }
    ~TestMainWindow() {
        if (window) DestroyWindow(window);
        app.reset();
    }
    std::unique_ptr<App> app;
    HWND window = nullptr;  // null when it could not be created
};

// A message-only window whose timer calls `tick`: every loop of the program
// dispatches it, so the test acts from inside whichever of them runs.
class ProbeTimer {
public:
    ProbeTimer(UINT intervalMs, std::function<void()> tick) : tick_(std::move(tick)) {
        WNDCLASSA c{};
        c.lpfnWndProc = Proc;
        c.hInstance = GetModuleHandleA(nullptr);
        c.lpszClassName = "PalvexE2EProbe";
        RegisterClassA(&c);  // fails harmlessly from the second time on
        window_ = CreateWindowA(c.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, c.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetTimer(window_, 1, intervalMs, nullptr);
    }
    ~ProbeTimer() { DestroyWindow(window_); }
private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ProbeTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != WM_TIMER || !self) return DefWindowProcA(window, message, wParam, lParam);
        self->tick_();
        return 0;
    }

    std::function<void()> tick_;
    HWND window_ = nullptr;
};

// The message loop, the session dialog getting its keys first, until `done`
// holds with the queue empty, then `settleMs` more for what the end posted (a
// blinking caret never lets the queue stay empty for long).
inline void RunMessages(App& app, const std::function<bool()>& done, const std::function<void()>& afterEach = {},
                        DWORD settleMs = 0) {
    MSG msg;
    DWORD doneAt = 0;
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            HWND dialog = static_cast<HWND>(app.pump.SessionDialog);
            if (!dialog || !IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (afterEach) afterEach();
            continue;
        }
        if (done()) {
            if (!doneAt) doneAt = GetTickCount();
            if (GetTickCount() - doneAt >= settleMs) break;
        }
        Sleep(1);
    }
}

inline std::string Text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string Field(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

// A named callback: a lambda does not convert to the stdcall pointer on i686.
inline BOOL CALLBACK VisitDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<std::pair<const char*, HWND>*>(param);
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) || Text(window) != search->first) return TRUE;
    search->second = window;
    return FALSE;
}

// A visible, enabled window of this thread with this title, or null.
inline HWND FindDialog(const char* title) {
    std::pair<const char*, HWND> search{title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &VisitDialog, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Drops what the window's end posted (WM_QUIT) before the next session.
inline void DrainQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace palvex::e2e
