// End to end for dialing: the real main window, the phone book and the dial
// dialog with the shipped Hayes profile against hostsim's modem on COM1 (held
// by e2e_dial_driver.py), which reads hostsim's logs afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "modem/dialer.h"
#include "modem/modem_profile.h"
#include "phonebook/service_entry.h"
#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"

namespace palvex {
namespace {

constexpr DWORD kDeadlineMs = 90000;

// The services of the book, as the driver's modem knows their numbers.
struct Service {
    const char* shortName;
    const char* tail;
    const char* number;
    int retries;
};
constexpr Service kBoard{"BOARD", " Demo board", "555-1234", 3};
constexpr Service kBusy3{"BUSY3", " Busy, 3 tries", "555-0000", 3};
constexpr Service kBusy0{"BUSY0", " Busy, no retry", "(555) 0003", 0};

void WriteService(const std::string& dir, const Service& s) {
    ServiceEntry e = DefaultServiceEntry();
    std::strcpy(e.ShortName, s.shortName);
    std::strcpy(e.NameTail, s.tail);
    std::strcpy(e.PhoneNumber, s.number);
    e.PhoneType = 1;  // tone
    e.ModemIndex = kHayesIndex;
    e.PortIndex = 0;  // COM1
    e.BaudIndex = 0;  // 115200
    e.FlowControl = 0;  // a pty has no handshake lines
    e.TerminalType = kTypeVt100Color;
    e.DialTimeout = 20;
    e.DialRetries = static_cast<int16_t>(s.retries);
    ASSERT_EQ(0, SaveServiceEntry(dir, e));
}

struct Probe {
    Probe(const Service* s, bool logIn) : service(s), login(logIn) {}

    App* app = nullptr;
    const Service* service;
    bool login;  // log in and hang up once the board's menu shows
    DWORD start = GetTickCount();
    enum Step { kBook, kDialing, kLogin, kPassword, kMenu, kHangingUp, kDone } step = kBook;
    bool dialOpened = false;
    std::string dialTitle;
    std::set<std::string> statuses, lastStatuses, attempts;
    int carrierAtMenu = -1;
    std::string failure;

    void Type(const char* text) {
        for (const char* c = text; *c; ++c) PostMessageA(app->MainWindow, WM_CHAR, static_cast<unsigned char>(*c), 1);
    }

    void PressDial(HWND book) {
        HWND list = GetDlgItem(book, dlg::kPhoneList);
        const LRESULT line = SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(service->shortName));
        if (line == LB_ERR) {
            failure = std::string("the phone book does not list ") + service->shortName;
            PostMessageA(book, WM_COMMAND, dlg::kCancel, 0);
            step = kDone;
            return;
        }
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
        SendMessageA(book, WM_COMMAND, MAKEWPARAM(dlg::kPhoneList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        PostMessageA(book, WM_COMMAND, MAKEWPARAM(dlg::kPhoneDial, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(book, dlg::kPhoneDial)));
        step = kDialing;
    }

    void Tick() {
        App& a = *app;
        if (GetTickCount() - start > kDeadlineMs && step != kDone) {
            failure = "no end within the deadline at step " + std::to_string(step);
            if (a.pump.SessionDialog) PostMessageA(static_cast<HWND>(a.pump.SessionDialog), WM_COMMAND, kDialCmdCancel, 0);
            if (a.port.PortOpen) PostMessageA(a.MainWindow, WM_COMMAND, kCmdHangup, 0);
            step = kDone;
            return;
        }
        if (HWND dialog = static_cast<HWND>(a.pump.SessionDialog)) {
            dialOpened = true;
            dialTitle = e2e::Text(dialog);
            statuses.insert(e2e::Field(dialog, kDialCtlStatus));
            lastStatuses.insert(e2e::Field(dialog, kDialCtlLastStatus));
            attempts.insert(e2e::Field(dialog, kDialCtlRetries));
        }
        const std::string screen = e2e::ScreenText(a.screen);
        switch (step) {
        case kBook:
            if (HWND book = e2e::FindDialog("Phonebook")) PressDial(book);
            break;
        case kDialing:
            if (!dialOpened || a.pump.SessionDialog) break;
            // The dial is over: connected, or the failure has been reported.
            step = login && a.port.PortOpen ? kLogin : kDone;
            break;
        case kLogin:
        case kPassword:
            if (screen.find(step == kLogin ? "login:" : "password:") == std::string::npos) break;
            Type("guest\r");
            step = static_cast<Step>(step + 1);
            break;
        case kMenu:
            if (screen.find("Main menu, your choice:") == std::string::npos) break;
            // A pty has no carrier-detect line, so the port layer never sees
            // the carrier a modem would raise; stand in for it, as the line
            // poll does on a real modem, so that Hangup goes through the modem.
            carrierAtMenu = a.port.CarrierSeen;
            a.port.CarrierSeen = 1;
            PostMessageA(a.MainWindow, WM_COMMAND, kCmdHangup, 0);
            step = kHangingUp;
            break;
        case kHangingUp:
            if (!a.port.PortOpen) step = kDone;
            break;
        case kDone: break;
        }
    }
};

class EndToEndDial : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string dir = e2e::ExchangeDir();
        ASSERT_FALSE(dir.empty()) << "run this through e2e_dial_driver.py";
        profile_.emplace(dir, std::initializer_list<const char*>{"INSTALLDIR", "TransPrint", "seqdial"});
        const std::string& installDir = profile_->InstallDir();
        const std::string programDir = e2e::ProgramDir();
        ASSERT_TRUE(CopyFileA(ProfilePath(programDir, kHayesIndex).c_str(),
                              (installDir + "\\" + ProfileFileName(kHayesIndex)).c_str(), FALSE))
            << "no " << ProfileFileName(kHayesIndex) << " beside " << programDir;
        for (const Service* s : {&kBoard, &kBusy3, &kBusy0}) WriteService(installDir, *s);
    }

    // One session; the book the window reopens after it is left closed.
    void Run(Probe& probe) {
        {
            e2e::TestMainWindow main(ui_, [this, &probe](int id) {
                commands_.push_back(id);
                return id == kCmdPhonebook && probe.step != Probe::kBook;
            });
            ASSERT_NE(nullptr, main.window);
            App& app = *main.app;
            probe.app = &app;
            {
                e2e::ProbeTimer timer(50, [&probe] { probe.Tick(); });
                e2e::RunMessages(
                    app,
                    [&] { return probe.step == Probe::kDone && !app.port.PortOpen && !app.pump.SessionDialog; },
                    {}, 500);
            }
            screen_ = e2e::ScreenText(app.screen);
        }
        e2e::DrainQueue();
    }

    std::optional<e2e::TestProfile> profile_;
    std::string screen_;
    RecordingUi ui_;
    std::vector<int> commands_;
};

TEST_F(EndToEndDial, ConnectsLogsInByKeysAndHangsUpThroughTheModem) {
    Probe probe(&kBoard, true);
    Run(probe);

    EXPECT_EQ("", probe.failure);
    EXPECT_EQ("Dialing BOARD", probe.dialTitle);
    for (const char* status : {"Initializing", "Dialing"})
        EXPECT_TRUE(probe.statuses.count(status)) << status;
    EXPECT_EQ(0, probe.carrierAtMenu) << "a pty shows no carrier; the session set-up clears the flag";
    EXPECT_NE(std::string::npos, screen_.find("DEMO BBS - Main Menu")) << screen_;
    EXPECT_NE(std::string::npos, screen_.find("Goodbye (hang up)")) << screen_;
    // The modem hang-up ends like a carrier loss: the message, then the book.
    for (const auto& m : ui_.messages) EXPECT_NE(str::kStrDialFailed, m.stringId);
    ASSERT_GE(commands_.size(), 3u);
    EXPECT_EQ((std::vector<int>{kCmdPhonebook, kCmdHangup, kCmdPhonebook}),
              std::vector<int>(commands_.begin(), commands_.begin() + 3));
}

// Busy: as many dials as the retry count (one at 0), then the failure message.
TEST_F(EndToEndDial, BusyDialsUpToTheRetryCountAndThenReportsTheFailure) {
    struct Case {
        const Service* service;
        std::set<std::string> attempts;
        bool redials;
    };
    for (const Case& c : {Case{&kBusy3, {"1", "2", "3"}, true}, Case{&kBusy0, {"1"}, false}}) {
        SCOPED_TRACE(c.service->shortName);
        ui_.messages.clear();
        commands_.clear();
        Probe probe(c.service, false);
        Run(probe);

        EXPECT_EQ("", probe.failure);
        EXPECT_TRUE(probe.dialOpened);
        std::set<std::string> attempts = probe.attempts;
        attempts.erase("");
        attempts.erase("0");
        EXPECT_EQ(c.attempts, attempts);
        EXPECT_EQ(c.redials, probe.statuses.count("Redialing") == 1);
        ASSERT_EQ(1u, ui_.messages.size());
        EXPECT_EQ(str::kStrDialFailed, ui_.messages[0].stringId);
        // Shown while the redial waits; without one the dialog ends at once.
        if (c.redials) {
            EXPECT_TRUE(probe.lastStatuses.count("BUSY"));
        }
    }
}

}  // namespace
}  // namespace palvex
