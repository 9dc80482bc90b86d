// End to end: the real main window on COM1, the receive pump, the emulator
// and the painter against the host of e2e_terminal_driver.py, which takes the
// screenshot while the screen stands complete.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "shell/command_ids.h"

namespace palvex {
namespace {

constexpr int kColumns = 132, kRows = 24;
constexpr DWORD kDeadlineMs = 120000;

using e2e::Exists;

// expected.txt: 24 rows of text, then 24 of two-digit attributes ("..": any).
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

// Watches from inside the running pump: once the screen is complete it asks
// for the picture, once that is taken it hangs up.
struct Probe {
    App* app;
    const Screen* want;
    std::string dir;
    DWORD start = GetTickCount();
    bool complete = false, hungUp = false;

    void Tick() {
        if (hungUp) return;
        if (!complete && Differences(*want, Shown(app->screen)).empty()) {
            complete = true;
            std::ofstream(dir + "\\screen-ready") << "ready\n";
        }
        if ((complete && Exists(dir + "\\shot-done")) || GetTickCount() - start > kDeadlineMs) {
            hungUp = true;
            PostMessageA(app->MainWindow, WM_COMMAND, kCmdHangup, 0);
        }
    }
};

TEST(EndToEnd, AColourScreenOf132ColumnsArrivesOnCom1AndIsShown) {
    const std::string dir = e2e::ExchangeDir();
    ASSERT_FALSE(dir.empty()) << "run this through e2e_terminal_driver.py";
    const Screen want = ReadExpected(dir + "\\expected.txt");
    ASSERT_EQ(static_cast<size_t>(kRows), want.attrs.size());

    e2e::TestProfile profile(dir, {"INSTALLDIR", "TransPrint"});
    RecordingUi ui;
    std::vector<int> commands;
    e2e::TestMainWindow main(ui, [&](int id) {
        commands.push_back(id);
        return id == kCmdPhonebook;  // no phone book: the test dials itself
    });
    ASSERT_NE(nullptr, main.window);
    App& app = *main.app;
    ServiceEntry& service = app.CurrentService;
    e2e::DirectOnCom1(service, "HOSTSIM", kTypeVt100Color);
    service.TerminalWidth = 1;  // 132 columns
    service.AutoWrap = 1;

    Probe probe{&app, &want, dir};
    bool greeted = false;
    {
        e2e::ProbeTimer timer(100, [&probe] { probe.Tick(); });
        SetTimer(main.window, 3, 100, nullptr);  // what the phone book's Dial does
        // Done once the hang-up has run as well as the probe's request for it.
        e2e::RunMessages(app, [&] { return probe.hungUp && !app.port.PortOpen; }, [&] {
            if (!greeted && app.port.PortOpen) {
                greeted = true;  // the host starts once it knows the program listens
                WritePort(app.port, reinterpret_cast<const uint8_t*>("READY\r"), 6);
            }
        });
    }

    EXPECT_TRUE(greeted) << "COM1 did not open";
    EXPECT_TRUE(probe.complete) << "the screen was not complete in time";
    for (const std::string& row : Differences(want, Shown(app.screen))) ADD_FAILURE() << row;
    EXPECT_EQ(132, app.screen.columns);
    // Hanging up is a disconnect like any other: the message, then the phone book.
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(110, ui.messages[0].stringId);
    EXPECT_EQ((std::vector<int>{kCmdPhonebook, kCmdHangup, kCmdPhonebook}), commands);
    EXPECT_TRUE(Exists(profile.InstallDir() + "\\HOSTSIM.phn"));
}

}  // namespace
}  // namespace palvex
