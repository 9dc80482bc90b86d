// End to end for the keyboard: the real main window on COM1 with the installed
// palvex.kbd, keys arriving as window messages, against the host of
// e2e_keyboard_driver.py on the other end of a pty. The host switches the
// cursor keys to application mode and then to 8-bit controls; each time the
// test presses Up and the host answers with what it got, which lands on the
// screen. Run only by that driver.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "shell/command_ids.h"
#include "shell/win/app.h"
#include "shell/win/main_window.h"
#include "terminal/keymap.h"

namespace palvex {
namespace {

constexpr DWORD kDeadlineMs = 120000;

// The driver's folder, as Wine's programs see it through drive Z:.
std::string ExchangeDir() {
    std::string path = std::getenv("PALVEX_E2E_DIR") ? std::getenv("PALVEX_E2E_DIR") : "";
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}

std::string ProgramDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of("\\/"));
}

std::string ScreenText(TerminalScreen& s) {
    std::string text;
    for (int r = 0; r < s.rows; ++r) {
        const ScreenLine& line = LineAt(s, r);
        text.append(reinterpret_cast<const char*>(line.text), static_cast<size_t>(line.length > 0 ? line.length : 0));
        text += '\n';
    }
    return text;
}

bool Shows(TerminalScreen& s, const char* text) { return ScreenText(s).find(text) != std::string::npos; }

// Up as the keyboard delivers it: scan code 0x48, extended, then released.
void PressUp(HWND window) {
    const LPARAM down = 1 | (0x48 << 16) | (1 << 24);
    PostMessageA(window, WM_KEYDOWN, VK_UP, down);
    PostMessageA(window, WM_KEYUP, VK_UP, down | (LPARAM(1) << 30) | (LPARAM(1) << 31));
}

// Steps the session from inside the running pump, which dispatches its timer:
// each mode the host sets is answered with one Up; the host's "BYE" ends it.
struct Probe {
    App* app;
    DWORD start = GetTickCount();
    int step = 0;  // 0: awaiting ESC [ ? 1 h, 1: awaiting ESC SP G, 2: awaiting BYE, 3: hung up

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Probe*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != WM_TIMER || !self || self->step == 3) return DefWindowProcA(window, message, wParam, lParam);
        App& app = *self->app;
        if (self->step == 0 && app.modes.cursorKeysApp) {
            PressUp(app.MainWindow);
            self->step = 1;
        } else if (self->step == 1 && app.modes.c1Answers) {
            PressUp(app.MainWindow);
            self->step = 2;
        } else if ((self->step == 2 && Shows(app.screen, "BYE")) || GetTickCount() - self->start > kDeadlineMs) {
            self->step = 3;
            PostMessageA(app.MainWindow, WM_COMMAND, kCmdHangup, 0);
        }
        return 0;
    }
};

TEST(EndToEnd, UpSendsEscOAAndThenTheEightBitFormOnCom1) {
    const std::string dir = ExchangeDir();
    ASSERT_FALSE(dir.empty()) << "run this through e2e_keyboard_driver.py";

    // The program reads palvex.kbd from its install folder: the one the build
    // wrote beside the exe, copied into a folder of the test's own.
    const std::string installDir = dir + "\\install";
    CreateDirectoryA(installDir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((ProgramDir() + "\\" + kKeymapFileName).c_str(), KeymapPath(installDir).c_str(), FALSE))
        << "no " << kKeymapFileName << " beside " << ProgramDir();
    std::vector<std::pair<const char*, std::string>> saved;
    for (const char* key : {"INSTALLDIR", "TransPrint"}) {
        char value[1100] = {};
        if (GetProfileStringA("palvex32", key, "", value, sizeof value) > 0) saved.emplace_back(key, value);
        WriteProfileStringA("palvex32", key, nullptr);
    }
    WriteProfileStringA("palvex32", "INSTALLDIR", installDir.c_str());

    HINSTANCE module = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterMainWindowClass(module));
    RecordingUi ui;
    auto app = std::make_unique<App>(module, &ui);
    app->commandFilter = [](int id) { return id == kCmdPhonebook; };  // the test dials itself
    HWND window = CreateMainWindow(*app, SW_SHOWNORMAL);
    ASSERT_NE(nullptr, window);
    ServiceEntry& service = app->CurrentService;
    std::memcpy(service.ShortName, "KEYHOST", 8);
    service.PhoneType = 2;  // direct, COM1
    service.BaudIndex = 0;
    service.FlowControl = 0;
    service.TerminalType = kTypeVt220;

    Probe probe{app.get()};
    WNDCLASSA probeClass{};
    probeClass.lpfnWndProc = Probe::Proc;
    probeClass.hInstance = module;
    probeClass.lpszClassName = "PalvexKeyProbe";
    RegisterClassA(&probeClass);
    HWND probeWindow = CreateWindowA("PalvexKeyProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    SetWindowLongPtrA(probeWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&probe));
    SetTimer(probeWindow, 1, 50, nullptr);

    SetTimer(window, 3, 100, nullptr);  // what the phone book's Dial does
    bool greeted = false;
    std::string upInNormalMode;
    MSG msg;
    for (;;) {
        const bool got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
        if (!got && probe.step == 3 && !app->port.PortOpen) break;
        if (!got) {
            Sleep(1);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (!greeted && app->port.PortOpen) {
            greeted = true;
            // The connect step has loaded the keymap by now.
            upInNormalMode = KeyString(app->modes, app->CurrentService, app->keymap, VK_UP);
            WritePort(app->port, reinterpret_cast<const uint8_t*>("READY\r"), 6);
        }
    }
    DestroyWindow(probeWindow);

    EXPECT_TRUE(greeted) << "COM1 did not open";
    EXPECT_EQ("\x1b[A", upInNormalMode) << "palvex.kbd was not loaded from " << installDir;
    EXPECT_EQ(3, probe.step);
    const std::string screen = ScreenText(app->screen);
    EXPECT_NE(std::string::npos, screen.find("GOT 1B 4F 41")) << screen;
    EXPECT_NE(std::string::npos, screen.find("GOT 8F 41")) << screen;
    EXPECT_NE(std::string::npos, screen.find("BYE")) << screen;

    DestroyWindow(window);
    app.reset();
    WriteProfileStringA("palvex32", "INSTALLDIR", nullptr);
    WriteProfileStringA("palvex32", "TransPrint", nullptr);
    for (const auto& [key, value] : saved) WriteProfileStringA("palvex32", key, value.c_str());
}

}  // namespace
}  // namespace palvex
