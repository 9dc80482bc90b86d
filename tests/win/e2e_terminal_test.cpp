// End to end: the real main window with its COM1 connection, the receive pump,
// the emulator and the painter, against the host of e2e_terminal_driver.py on
// the other end of a pty. Run only by that driver, which also takes the
// screenshot while the screen stands complete.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "comm/pump.h"
#include "platform/ui.h"
#include "shell/command_ids.h"
#include "shell/win/app.h"
#include "shell/win/main_window.h"

namespace palvex {
namespace {

constexpr int kColumns = 132;
constexpr int kRows = 24;
constexpr DWORD kScreenDeadlineMs = 120000;
constexpr UINT_PTR kProbeTimer = 1;

// The driver's folder as a path Wine's programs can open.
std::string ExchangeDir() {
    const char* dir = std::getenv("PALVEX_E2E_DIR");
    std::string path = dir ? dir : "";
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
    }
    return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Expected {
    std::vector<std::string> text;   // 24 rows of 132 characters
    std::vector<std::string> attrs;  // 24 rows of 132 two-digit cells, ".." for any
};

Expected ReadExpected(const std::string& path) {
    Expected e;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (e.text.size() < kRows)
            e.text.push_back(line);
        else
            e.attrs.push_back(line);
    }
    return e;
}

std::string RowText(TerminalScreen& s, int row) {
    const ScreenLine& line = LineAt(s, row);
    std::string text(kColumns, ' ');
    for (int c = 0; c < kColumns && c < line.length; ++c) text[c] = static_cast<char>(line.text[c]);
    return text;
}

// Cells whose attribute differs from what the host asked for, as "row,col".
std::vector<std::string> AttributeMismatches(TerminalScreen& s, const Expected& e) {
    std::vector<std::string> wrong;
    for (int r = 0; r < kRows && r < static_cast<int>(e.attrs.size()); ++r) {
        const uint8_t* attrs = AttrAt(s, r);
        for (int c = 0; c < kColumns; ++c) {
            const std::string cell = e.attrs[r].substr(2 * c, 2);
            if (cell == "..") continue;
            if (std::strtoul(cell.c_str(), nullptr, 16) != attrs[c]) {
                char where[64];
                std::snprintf(where, sizeof where, "%d,%d: %02x not %s", r + 1, c + 1, attrs[c], cell.c_str());
                wrong.push_back(where);
            }
        }
    }
    return wrong;
}

bool ScreenMatches(TerminalScreen& s, const Expected& e) {
    for (int r = 0; r < kRows; ++r)
        if (RowText(s, r) != e.text[r]) return false;
    return AttributeMismatches(s, e).empty();
}

// Watches the session from inside the running pump (it dispatches this
// window's timer): once the screen is complete it asks for the picture, and
// once that is taken it hangs up, which ends the pump.
struct Probe {
    App* app = nullptr;
    const Expected* expected = nullptr;
    std::string dir;
    DWORD start = 0;
    bool screenReady = false;
    bool timedOut = false;
    bool hungUp = false;

    void Tick() {
        if (hungUp) return;
        if (!screenReady && ScreenMatches(app->screen, *expected)) {
            screenReady = true;
            std::ofstream(dir + "\\screen-ready") << "ready\n";
        }
        const bool shotTaken = screenReady && Exists(dir + "\\shot-done");
        timedOut = GetTickCount() - start > kScreenDeadlineMs;
        if (shotTaken || timedOut) {
            hungUp = true;
            PostMessageA(app->MainWindow, WM_COMMAND, kCmdHangup, 0);
        }
    }
};

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        reinterpret_cast<Probe*>(GetWindowLongPtrA(window, GWLP_USERDATA))->Tick();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(EndToEnd, AColourScreenOf132ColumnsArrivesOnCom1AndIsShown) {
    const std::string dir = ExchangeDir();
    ASSERT_FALSE(dir.empty()) << "run this through e2e_terminal_driver.py";
    const Expected expected = ReadExpected(dir + "\\expected.txt");
    ASSERT_EQ(static_cast<size_t>(kRows), expected.text.size());
    ASSERT_EQ(static_cast<size_t>(kRows), expected.attrs.size());

    // The install directory: the service file is written back there at hang-up.
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string installDir = std::string(temp) + "palvex-e2e-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(installDir.c_str(), nullptr);
    char oldInstallDir[1100] = {};
    const bool hadInstallDir =
        GetProfileStringA("palvex32", "INSTALLDIR", "", oldInstallDir, sizeof oldInstallDir) > 0;
    char oldTransPrint[32] = {};
    const bool hadTransPrint = GetProfileStringA("palvex32", "TransPrint", "", oldTransPrint, sizeof oldTransPrint) > 0;
    WriteProfileStringA("palvex32", "INSTALLDIR", installDir.c_str());

    HINSTANCE module = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterMainWindowClass(module));
    RecordingUi ui;
    auto app = std::make_unique<App>(module, &ui);
    std::vector<int> commands;
    app->commandFilter = [&](int id) {
        commands.push_back(id);
        return id == kCmdPhonebook;  // no phone book dialog: the test dials itself
    };
    HWND window = CreateMainWindow(*app, SW_SHOWNORMAL);
    ASSERT_NE(nullptr, window);

    ServiceEntry& service = app->CurrentService;
    service = DefaultServiceEntry();
    std::memcpy(service.ShortName, "HOSTSIM", 8);
    service.PhoneType = 2;            // direct connection
    service.PortIndex = 0;            // COM1
    service.BaudIndex = 0;
    service.FlowControl = 0;
    service.TerminalType = kTypeVt100Color;
    service.TerminalWidth = 1;        // 132 columns
    service.TerminalHeight = 24;
    service.AutoWrap = 1;

    Probe probe{app.get(), &expected, dir, GetTickCount()};
    WNDCLASSA probeClass{};
    probeClass.lpfnWndProc = ProbeProc;
    probeClass.hInstance = module;
    probeClass.lpszClassName = "PalvexE2EProbe";
    RegisterClassA(&probeClass);
    HWND probeWindow = CreateWindowA("PalvexE2EProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    SetWindowLongPtrA(probeWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&probe));
    SetTimer(probeWindow, kProbeTimer, 100, nullptr);

    // What the phone book's Dial does: timer 3 on the main window.
    SetTimer(window, 3, 100, nullptr);
    bool greeted = false;
    MSG msg;
    while (!probe.hungUp || app->port.PortOpen) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(1);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (!greeted && app->port.PortOpen) {
            // The host starts once it knows the program listens.
            greeted = true;
            const uint8_t hello[] = {'R', 'E', 'A', 'D', 'Y', '\r'};
            WritePort(app->port, hello, sizeof hello);
        }
    }
    KillTimer(probeWindow, kProbeTimer);
    // What the hang-up posted (the phone book) runs now.
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    EXPECT_TRUE(greeted) << "COM1 did not open";
    EXPECT_FALSE(probe.timedOut) << "the screen was not complete in time";
    for (int r = 0; r < kRows; ++r) EXPECT_EQ(expected.text[r], RowText(app->screen, r)) << "row " << r + 1;
    const std::vector<std::string> wrong = AttributeMismatches(app->screen, expected);
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " cells differ, first " << wrong.front();
    EXPECT_EQ(132, app->screen.columns);
    // Hanging up is a disconnect like any other: the message, then the phone book.
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(110, ui.messages[0].stringId);
    EXPECT_EQ((std::vector<int>{kCmdPhonebook, kCmdHangup, kCmdPhonebook}), commands);
    EXPECT_TRUE(Exists(installDir + "\\HOSTSIM.phn"));

    DestroyWindow(probeWindow);
    DestroyWindow(window);
    app.reset();
    WriteProfileStringA("palvex32", "INSTALLDIR", hadInstallDir ? oldInstallDir : nullptr);
    WriteProfileStringA("palvex32", "TransPrint", hadTransPrint ? oldTransPrint : nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(installDir, ignored);
}

}  // namespace
}  // namespace palvex
