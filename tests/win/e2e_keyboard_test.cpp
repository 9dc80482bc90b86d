// End to end for the keyboard: the real main window on COM1 with the installed
// palvex.kbd against the host of e2e_keyboard_driver.py, which switches the
// key modes; Up, pressed as window messages, comes back on the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "shell/command_ids.h"
#include "terminal/keymap.h"

namespace palvex {
namespace {

constexpr DWORD kDeadlineMs = 120000;

using e2e::ScreenText;

// Up as the keyboard delivers it: scan code 0x48, extended, then released.
void PressUp(HWND window) {
    const LPARAM down = 1 | (0x48 << 16) | (1 << 24);
    PostMessageA(window, WM_KEYDOWN, VK_UP, down);
    PostMessageA(window, WM_KEYUP, VK_UP, down | (LPARAM(1) << 30) | (LPARAM(1) << 31));
}

// Each mode the host sets is answered with one Up; the host's "BYE" ends it.
struct Probe {
    App* app;
    DWORD start = GetTickCount();
    int step = 0;  // 0: awaiting ESC [ ? 1 h, 1: awaiting ESC SP G, 2: awaiting BYE, 3: hung up

    void Tick() {
        if (step == 3) return;
        if ((step == 0 && app->modes.cursorKeysApp) || (step == 1 && app->modes.c1Answers)) {
            PressUp(app->MainWindow);
            ++step;
        } else if ((step == 2 && ScreenText(app->screen).find("BYE") != std::string::npos) ||
                   GetTickCount() - start > kDeadlineMs) {
            step = 3;
            PostMessageA(app->MainWindow, WM_COMMAND, kCmdHangup, 0);
        }
    }
};

TEST(EndToEnd, UpSendsEscOAAndThenTheEightBitFormOnCom1) {
    const std::string dir = e2e::ExchangeDir();
    ASSERT_FALSE(dir.empty()) << "run this through e2e_keyboard_driver.py";

    // The program reads palvex.kbd from its install folder: the one the build
    // wrote beside the exe, copied into the test's own.
    e2e::TestProfile profile(dir, {"INSTALLDIR", "TransPrint"});
    const std::string& installDir = profile.InstallDir();
    const std::string programDir = e2e::ProgramDir();
    ASSERT_TRUE(CopyFileA((programDir + "\\" + kKeymapFileName).c_str(), KeymapPath(installDir).c_str(), FALSE))
        << "no " << kKeymapFileName << " beside " << programDir;

    RecordingUi ui;
    e2e::TestMainWindow main(ui, [](int id) { return id == kCmdPhonebook; });  // the test dials itself
    ASSERT_NE(nullptr, main.window);
    App& app = *main.app;
    e2e::DirectOnCom1(app.CurrentService, "KEYHOST", kTypeVt220);

    Probe probe{&app};
    bool greeted = false;
    std::string upInNormalMode;
    {
        e2e::ProbeTimer timer(50, [&probe] { probe.Tick(); });
        SetTimer(main.window, 3, 100, nullptr);  // what the phone book's Dial does
        e2e::RunMessages(app, [&] { return probe.step == 3 && !app.port.PortOpen; }, [&] {
            if (!greeted && app.port.PortOpen) {
                greeted = true;
                // The connect step has loaded the keymap by now.
                upInNormalMode = KeyString(app.modes, app.CurrentService, app.keymap, VK_UP);
                WritePort(app.port, reinterpret_cast<const uint8_t*>("READY\r"), 6);
            }
        });
    }

    EXPECT_TRUE(greeted) << "COM1 did not open";
    EXPECT_EQ("\x1b[A", upInNormalMode) << "palvex.kbd was not loaded from " << installDir;
    EXPECT_EQ(3, probe.step);
    const std::string screen = ScreenText(app.screen);
    EXPECT_NE(std::string::npos, screen.find("GOT 1B 4F 41")) << screen;
    EXPECT_NE(std::string::npos, screen.find("GOT 8F 41")) << screen;
    EXPECT_NE(std::string::npos, screen.find("BYE")) << screen;
}

}  // namespace
}  // namespace palvex
