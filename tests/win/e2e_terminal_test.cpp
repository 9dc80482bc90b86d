// End to end: the real main window with its COM1 connection, the receive pump,
// the emulator and the painter, against the host of e2e_terminal_driver.py on
// the other end of a pty. Run only by that driver, which takes the screenshot
// while the screen stands complete.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "shell/command_ids.h"
#include "shell/win/app.h"
#include "shell/win/main_window.h"

namespace palvex {
namespace {

constexpr int kColumns = 132, kRows = 24;
constexpr DWORD kDeadlineMs = 120000;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The driver's folder, as Wine's programs see it through drive Z:.
std::string ExchangeDir() {
    std::string path = std::getenv("PALVEX_E2E_DIR") ? std::getenv("PALVEX_E2E_DIR") : "";
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
}

// expected.txt: 24 rows of text, then 24 rows of 132 two-digit attributes
// ("..": any).
struct Screen {
    std::vector<std::string> text, attrs;
};

Screen ReadExpected(const std::string& path) {
    Screen e;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) (e.text.size() < kRows ? e.text : e.attrs).push_back(line);
    return e;
}

Screen Shown(TerminalScreen& s) {
    Screen got;
    for (int r = 0; r < kRows; ++r) {
        const ScreenLine& line = LineAt(s, r);
        std::string text(kColumns, ' '), attrs;
        for (int c = 0; c < kColumns; ++c) {
            if (c < line.length) text[c] = static_cast<char>(line.text[c]);
            char cell[3];
            std::snprintf(cell, sizeof cell, "%02x", AttrAt(s, r)[c]);
            attrs += cell;
        }
        got.text.push_back(text);
        got.attrs.push_back(attrs);
    }
    return got;
}

// Rows that differ, with ".." cells of the expectation matching anything.
std::vector<std::string> Differences(const Screen& want, const Screen& got) {
    std::vector<std::string> rows;
    for (int r = 0; r < kRows; ++r) {
        bool same = want.text[r] == got.text[r];
        for (size_t i = 0; same && i < want.attrs[r].size(); i += 2)
            same = want.attrs[r].compare(i, 2, "..") == 0 || want.attrs[r].compare(i, 2, got.attrs[r], i, 2) == 0;
        if (!same) rows.push_back("row " + std::to_string(r + 1) + ": " + got.text[r] + "\n  " + got.attrs[r]);
    }
    return rows;
}

// Watches from inside the running pump, which dispatches its timer: once the
// screen is complete it asks for the picture, once that is taken it hangs up.
struct Probe {
    App* app;
    const Screen* want;
    std::string dir;
    DWORD start = GetTickCount();
    bool complete = false, hungUp = false;

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Probe*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message != WM_TIMER || !self || self->hungUp) return DefWindowProcA(window, message, wParam, lParam);
        if (!self->complete && Differences(*self->want, Shown(self->app->screen)).empty()) {
            self->complete = true;
            std::ofstream(self->dir + "\\screen-ready") << "ready\n";
        }
        if ((self->complete && Exists(self->dir + "\\shot-done")) || GetTickCount() - self->start > kDeadlineMs) {
            self->hungUp = true;
            PostMessageA(self->app->MainWindow, WM_COMMAND, kCmdHangup, 0);
        }
        return 0;
    }
};

TEST(EndToEnd, AColourScreenOf132ColumnsArrivesOnCom1AndIsShown) {
    const std::string dir = ExchangeDir();
    ASSERT_FALSE(dir.empty()) << "run this through e2e_terminal_driver.py";
    const Screen want = ReadExpected(dir + "\\expected.txt");
    ASSERT_EQ(static_cast<size_t>(kRows), want.attrs.size());

    // The service file is written back into the install directory at hang-up.
    const std::string installDir = dir + "\\install";
    CreateDirectoryA(installDir.c_str(), nullptr);
    // The profile keys the window writes or reads here, as they were.
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
    std::vector<int> commands;
    app->commandFilter = [&](int id) {
        commands.push_back(id);
        return id == kCmdPhonebook;  // no phone book: the test dials itself
    };
    HWND window = CreateMainWindow(*app, SW_SHOWNORMAL);
    ASSERT_NE(nullptr, window);
    ServiceEntry& service = app->CurrentService;
    std::memcpy(service.ShortName, "HOSTSIM", 8);
    service.PhoneType = 2;  // direct, COM1
    service.BaudIndex = 0;
    service.FlowControl = 0;
    service.TerminalType = kTypeVt100Color;
    service.TerminalWidth = 1;  // 132 columns
    service.AutoWrap = 1;

    Probe probe{app.get(), &want, dir};
    WNDCLASSA probeClass{};
    probeClass.lpfnWndProc = Probe::Proc;
    probeClass.hInstance = module;
    probeClass.lpszClassName = "PalvexE2EProbe";
    RegisterClassA(&probeClass);
    HWND probeWindow = CreateWindowA("PalvexE2EProbe", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    SetWindowLongPtrA(probeWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&probe));
    SetTimer(probeWindow, 1, 100, nullptr);

    SetTimer(window, 3, 100, nullptr);  // what the phone book's Dial does
    bool greeted = false;
    MSG msg;
    for (;;) {
        const bool got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
        if (!got && probe.hungUp && !app->port.PortOpen) break;  // and what the hang-up posted has run
        if (!got) {
            Sleep(1);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (!greeted && app->port.PortOpen) {
            greeted = true;  // the host starts once it knows the program listens
            WritePort(app->port, reinterpret_cast<const uint8_t*>("READY\r"), 6);
        }
    }
    DestroyWindow(probeWindow);

    EXPECT_TRUE(greeted) << "COM1 did not open";
    EXPECT_TRUE(probe.complete) << "the screen was not complete in time";
    for (const std::string& row : Differences(want, Shown(app->screen))) ADD_FAILURE() << row;
    EXPECT_EQ(132, app->screen.columns);
    // Hanging up is a disconnect like any other: the message, then the phone book.
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(110, ui.messages[0].stringId);
    EXPECT_EQ((std::vector<int>{kCmdPhonebook, kCmdHangup, kCmdPhonebook}), commands);
    EXPECT_TRUE(Exists(installDir + "\\HOSTSIM.phn"));

    DestroyWindow(window);
    app.reset();
    WriteProfileStringA("palvex32", "INSTALLDIR", nullptr);
    WriteProfileStringA("palvex32", "TransPrint", nullptr);
    for (const auto& [key, value] : saved) WriteProfileStringA("palvex32", key, value.c_str());
}

}  // namespace
}  // namespace palvex
