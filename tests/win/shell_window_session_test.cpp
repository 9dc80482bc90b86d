// A session through the real main window over a scripted device: the direct
// connection's set-up from the service, typing, the answer command, the online
// clock, and the ways back offline.
#include "shell_window_fixture.h"

#include <algorithm>

#include "comm/port_types.h"
#include "shell/command_ids.h"

namespace palvex {
namespace {

using SessionTest = MainWindowTest;

TEST_F(SessionTest, ADirectConnectionSetsTheSessionUpFromTheService) {
    const struct Case {
        int type, keypad, answer, width, height;
        int keypadApp;
        bool colourGreyed;
        const char* written;
        int columns, rows;
    } cases[] = {
        {kTypeVt100Color, 1, 1, 1, 30, 0, true, "ATS0=1\r", 132, 30},
        {kTypeWyse50, 1, 0, 0, 0, 1, false, "", 80, 24},
        {kTypeVt100, 1, 0, 1, 0, 0, false, "", 132, 24},
    };
    for (const Case& c : cases) {
        Open();
        ConnectDirect([&c](ServiceEntry& s) {
            s.TerminalType = static_cast<int16_t>(c.type);
            s.KeypadApplication = static_cast<int16_t>(c.keypad);
            s.AnswerOnDirect = static_cast<int16_t>(c.answer);
            s.TerminalWidth = static_cast<int16_t>(c.width);
            s.TerminalHeight = static_cast<int16_t>(c.height);
            s.RealtimeView = static_cast<int16_t>(c.answer);
            s.DefaultColours = 1;
        });
        const ServiceEntry& s = app_->CurrentService;
        EXPECT_TRUE(ui_.messages.empty());
        EXPECT_EQ("COM1:", device_.deviceName);
        EXPECT_EQ(c.written, device_.WrittenText()) << c.type;
        EXPECT_EQ(kOnlineIds, ButtonIds());
        EXPECT_EQ("Connected", app_->toolbar.StatusWord);
        EXPECT_EQ("DIRECT is connected to COM1:2400,8,N,1", app_->toolbar.ConnectionText);
        EXPECT_EQ("00:00:00", app_->toolbar.clock);
        EXPECT_EQ(c.columns, app_->screen.columns);
        EXPECT_EQ(c.rows, app_->screen.rows);
        EXPECT_EQ(c.keypadApp, app_->modes.keypadApp) << c.type;
        EXPECT_FALSE(Greyed(kCmdAnswer));
        EXPECT_EQ(c.answer != 0, Checked(kCmdAnswer));
        EXPECT_EQ(c.answer != 0, Checked(kCmdViewRealtime));
        EXPECT_EQ(c.colourGreyed, Greyed(kCmdColor)) << c.type;
        EXPECT_EQ(c.colourGreyed ? 0 : 1, s.DefaultColours);
        EXPECT_TRUE(Greyed(kCmdPhonebook));
        EXPECT_FALSE(Greyed(kCmdHangup));
        EXPECT_EQ(installDir_, s.SessionLogDir) << "an empty directory is filled from the settings";
        EXPECT_TRUE(TakeCommNotify()) << "the pump is to start";
        Close();
        device_ = FakePort{};
    }
}

TEST_F(SessionTest, APhoneNumberGoesToTheDialerInstead) {
    Open();
    ConnectDirect([](ServiceEntry& s) { s.PhoneType = 1; });
    EXPECT_EQ(0, device_.openCount);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(2u, msg.wParam);
}

TEST_F(SessionTest, CarrierLossIsReportedOncePerDisconnectAndReopensThePhoneBook) {
    Open();
    for (int session = 1; session <= 2; ++session) {
        int polls = 0;
        device_.SetCarrier(true);
        device_.onEmptyRead = [&polls](FakePort& port) {
            if (++polls == 3) port.SetCarrier(false);
        };
        device_.QueueInput("\x1b[2;5Hhello");
        ConnectDirect([](ServiceEntry& s) { s.TerminalType = kTypeVt100; });
        Pump();  // the pump runs until the carrier goes

        EXPECT_EQ(0, app_->port.PortOpen);
        EXPECT_EQ(0, app_->pump.PumpRunning);
        EXPECT_EQ(session, CountMessages(110)) << session;
        EXPECT_EQ(0x2040u, ui_.messages.back().style);
        EXPECT_EQ(std::vector<int>(session + 1, kCmdPhonebook), commands_);
        EXPECT_EQ(kOfflineIds, ButtonIds());
        EXPECT_EQ("Offline", app_->toolbar.StatusWord);
        EXPECT_EQ("", app_->toolbar.ConnectionText);
        EXPECT_TRUE(Greyed(kCmdAnswer));
        EXPECT_EQ("hello", std::string(reinterpret_cast<const char*>(LineAt(app_->screen, 1).text) + 4, 5));
    }
    EXPECT_EQ(2, device_.closeCount);
    EXPECT_NE(device_.escapes.end(), std::find(device_.escapes.begin(), device_.escapes.end(), kClrDtr));
    EXPECT_EQ(2418u, std::filesystem::file_size(installDir_ + "\\DIRECT.phn")) << "written back";
}

TEST_F(SessionTest, HangupClosesAtOnceOnlyWhileNoCarrierWasSeen) {
    for (int carrierSeen : {0, 1}) {
        ui_ = RecordingUi{};
        Open();
        ConnectDirect();
        ASSERT_TRUE(TakeCommNotify());
        app_->port.CarrierSeen = carrierSeen;
        SendMessageA(window_, WM_COMMAND, kCmdHangup, 0);
        EXPECT_NE(device_.calls.end(), std::find(device_.calls.begin(), device_.calls.end(), "SetMask"));
        EXPECT_EQ(carrierSeen, app_->port.PortOpen) << "with carrier the modem sequence takes over";
        EXPECT_EQ(1 - carrierSeen, CountMessages(110));
        EXPECT_EQ(carrierSeen != 0, KillTimer(window_, 15) != 0) << "the modem escape follows";
        Close();
        device_ = FakePort{};
    }
}

TEST_F(SessionTest, TypingAndAnswerGoToThePort) {
    Open();
    ConnectDirect([](ServiceEntry& s) { s.OutboundCrLf = 1; });
    ASSERT_TRUE(TakeCommNotify());
    for (char c : std::string("ls\r")) SendMessageA(window_, WM_CHAR, static_cast<uint8_t>(c), 0);
    SendMessageA(window_, WM_COMMAND, kCmdAnswer, 0);
    EXPECT_TRUE(Checked(kCmdAnswer));
    SendMessageA(window_, WM_COMMAND, kCmdAnswer, 0);
    EXPECT_FALSE(Checked(kCmdAnswer));
    EXPECT_EQ("ls\r\nATS0=1\rATS0=0\r", device_.WrittenText());
}

TEST_F(SessionTest, TheOnlineClockCountsFromTheConnection) {
    Open();
    ConnectDirect();
    ASSERT_TRUE(TakeCommNotify());
    app_->ConnectStart = GetTickCount() - 3723000;
    SendMessageA(window_, WM_TIMER, 5, 0);
    EXPECT_EQ("01:02:03", app_->toolbar.clock);
    app_->ConnectStart = GetTickCount();
    SendMessageA(window_, WM_TIMER, 5, 0);
    EXPECT_EQ("01:02:03", app_->toolbar.clock) << "nothing is drawn within the first second";
}

}  // namespace
}  // namespace palvex
