// A session through the real main window over a scripted device: the direct
// connection's set-up, the online state, typing, the answer command, the
// online clock, and every way back offline.
#include "shell_window_fixture.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "comm/port_types.h"
#include "shell/command_ids.h"

namespace palvex {
namespace {

const std::vector<int> kOfflineIds = {400, 1001, 1009, 3009, 3008, 11, 5006};
const std::vector<int> kOnlineIds = {2003, 2000, 1001, 1009, 3009, 3008, 1000, 5006};

class SessionTest : public MainWindowTest {
protected:
    // Carrier stays up for a few polls of the pump, then drops.
    void DropCarrierAfter(int polls) {
        device_.SetCarrier(true);
        emptyReads_ = 0;
        device_.onEmptyRead = [this, polls](FakePort& port) {
            if (++emptyReads_ >= polls) port.SetCarrier(false);
        };
    }
    int emptyReads_ = 0;
};

TEST_F(SessionTest, ADirectConnectionSetsTheSessionUpFromTheService) {
    struct Case {
        int type, keypad, answer, width, height, realtime;
        int keypadApp;
        bool colourGreyed;
        const char* written;
        int columns, rows;
    } cases[] = {
        {kTypeVt100Color, 1, 1, 1, 30, 0, 0, true, "ATS0=1\r", 132, 30},
        {kTypeWyse50, 1, 0, 0, 0, 1, 1, false, "", 80, 24},
        {kTypeScoAnsi, 1, 0, 0, 40, 0, 1, true, "", 80, 40},
        {kTypeVt100, 1, 0, 1, 0, 1, 0, false, "", 132, 24},
    };
    for (const Case& c : cases) {
        Open();
        UseDirectService();
        ServiceEntry& s = app_->CurrentService;
        s.TerminalType = static_cast<int16_t>(c.type);
        s.KeypadApplication = static_cast<int16_t>(c.keypad);
        s.AnswerOnDirect = static_cast<int16_t>(c.answer);
        s.TerminalWidth = static_cast<int16_t>(c.width);
        s.TerminalHeight = static_cast<int16_t>(c.height);
        s.RealtimeView = static_cast<int16_t>(c.realtime);
        s.AutoWrap = 1;
        s.DefaultColours = 1;
        device_.written.clear();
        Connect();

        EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().stringId;
        EXPECT_EQ("COM1:", device_.deviceName) << c.type;
        EXPECT_EQ(1, app_->port.PortOpen);
        EXPECT_EQ(c.written, device_.WrittenText()) << c.type;
        EXPECT_EQ(kOnlineIds, ButtonIds());
        EXPECT_EQ("Connected", app_->toolbar.StatusWord);
        EXPECT_EQ("DIRECT is connected to COM1:2400,8,N,1", app_->toolbar.ConnectionText);
        EXPECT_EQ("00:00:00", app_->toolbar.clock);
        EXPECT_EQ(c.columns, app_->screen.columns);
        EXPECT_EQ(c.rows, app_->screen.rows);
        EXPECT_EQ(1, app_->screen.autoWrap);
        EXPECT_EQ(c.keypadApp, app_->modes.keypadApp) << c.type;
        EXPECT_FALSE(Greyed(kCmdAnswer));
        EXPECT_EQ(c.answer != 0, Checked(kCmdAnswer));
        EXPECT_EQ(c.answer, app_->port.AutoAnswer);
        EXPECT_EQ(c.realtime != 0, Checked(kCmdViewRealtime));
        EXPECT_EQ(c.colourGreyed, Greyed(kCmdColor)) << c.type;
        if (c.colourGreyed) {
            EXPECT_EQ(0, s.DefaultColours);
        }
        EXPECT_FALSE(Greyed(kCmdHangup));
        EXPECT_TRUE(Greyed(kCmdPhonebook));
        EXPECT_TRUE(Greyed(kCmdScriptExecute));
        EXPECT_TRUE(TakeCommNotify()) << "the pump is to start";
        // Empty directories of the service are filled from the settings.
        EXPECT_EQ(installDir_, s.SessionLogDir);
        EXPECT_EQ(installDir_, s.DownloadDir);
        Close();
    }
}

TEST_F(SessionTest, APhoneNumberGoesToTheDialerInstead) {
    Open();
    UseDirectService();
    app_->CurrentService.PhoneType = 1;
    Connect();
    EXPECT_EQ(0, device_.openCount);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(2u, msg.wParam);
}

TEST_F(SessionTest, APortThatDoesNotOpenLeavesTheProgramOffline) {
    Open();
    UseDirectService();
    device_.openFails = true;
    Connect();
    EXPECT_EQ(0, app_->port.PortOpen);
    EXPECT_EQ(1, CountMessages(11));  // "Device open error"
    EXPECT_EQ(kOfflineIds, ButtonIds());
    EXPECT_FALSE(TakeCommNotify());
}

TEST_F(SessionTest, CarrierLossIsReportedOncePerDisconnectAndNeverAtStart) {
    Open();
    EXPECT_EQ(0, CountMessages(110));
    for (int session = 1; session <= 2; ++session) {
        UseDirectService();
        DropCarrierAfter(3);
        Connect();
        Pump();  // runs the pump until the carrier goes

        EXPECT_EQ(0, app_->port.PortOpen) << session;
        EXPECT_EQ(0, app_->port.CarrierSeen);
        EXPECT_EQ(0, app_->pump.PumpRunning);
        EXPECT_EQ(session, CountMessages(110)) << session;
        const auto& m = ui_.messages.back();
        EXPECT_EQ(110, m.stringId);
        EXPECT_EQ(0x2040u, m.style);
        EXPECT_EQ(kOfflineIds, ButtonIds());
        EXPECT_EQ("Offline", app_->toolbar.StatusWord);
        EXPECT_EQ("", app_->toolbar.ConnectionText);
        EXPECT_TRUE(Greyed(kCmdHangup));
        EXPECT_TRUE(Greyed(kCmdAnswer));
        EXPECT_EQ(std::vector<int>(session + 1, 400), commands_) << "the phone book reopens";
    }
    // DTR dropped, both directions purged (receive first) and the device closed.
    EXPECT_NE(device_.escapes.end(), std::find(device_.escapes.begin(), device_.escapes.end(), kClrDtr));
    ASSERT_GE(device_.purges.size(), 2u);
    EXPECT_EQ(kPurgeRxAbort | kPurgeRxClear, device_.purges[device_.purges.size() - 2]);
    EXPECT_EQ(kPurgeTxAbort | kPurgeTxClear, device_.purges.back());
    EXPECT_EQ(2, device_.closeCount);
    // The service went back to its file in the install directory.
    EXPECT_TRUE(std::filesystem::exists(installDir_ + "\\DIRECT.phn"));
    EXPECT_EQ(2418u, std::filesystem::file_size(installDir_ + "\\DIRECT.phn"));
}

TEST_F(SessionTest, HangupBeforeCarrierWasSeenClosesAtOnce) {
    Open();
    UseDirectService();
    Connect();
    ASSERT_TRUE(TakeCommNotify());
    SetTimer(window_, 7, 100000, nullptr);  // any shell timer dies with the session
    SendMessageA(window_, WM_COMMAND, kCmdHangup, 0);
    EXPECT_EQ(0, app_->port.PortOpen);
    EXPECT_EQ(1, device_.closeCount);
    EXPECT_EQ(0u, device_.eventMask);
    EXPECT_NE(device_.calls.end(), std::find(device_.calls.begin(), device_.calls.end(), "SetMask"));
    EXPECT_EQ(1, CountMessages(110));
    EXPECT_FALSE(KillTimer(window_, 7));
    EXPECT_FALSE(KillTimer(window_, 5)) << "the online clock stopped";
}

TEST_F(SessionTest, HangupWithCarrierLeavesTheLineToTheModemSequence) {
    Open();
    UseDirectService();
    Connect();
    ASSERT_TRUE(TakeCommNotify());
    app_->port.CarrierSeen = 1;
    SendMessageA(window_, WM_COMMAND, kCmdHangup, 0);
    EXPECT_EQ(1, app_->port.PortOpen);
    EXPECT_EQ(0, CountMessages(110));
    EXPECT_EQ(0, device_.closeCount);
}

TEST_F(SessionTest, TypedCharactersGoToTheRemote) {
    Open();
    UseDirectService();
    app_->CurrentService.OutboundCrLf = 1;
    Connect();
    ASSERT_TRUE(TakeCommNotify());
    device_.written.clear();
    for (char c : std::string("ls\r")) SendMessageA(window_, WM_CHAR, static_cast<uint8_t>(c), 0);
    EXPECT_EQ("ls\r\n", device_.WrittenText());
}

TEST_F(SessionTest, AnswerTogglesTheModemAndItsCheck) {
    Open();
    UseDirectService();
    Connect();
    ASSERT_TRUE(TakeCommNotify());
    device_.written.clear();
    SendMessageA(window_, WM_COMMAND, kCmdAnswer, 0);
    EXPECT_TRUE(Checked(kCmdAnswer));
    EXPECT_EQ(1, app_->port.AutoAnswer);
    SendMessageA(window_, WM_COMMAND, kCmdAnswer, 0);
    EXPECT_FALSE(Checked(kCmdAnswer));
    EXPECT_EQ(0, app_->port.AutoAnswer);
    EXPECT_EQ("ATS0=1\rATS0=0\r", device_.WrittenText());
}

TEST_F(SessionTest, TheOnlineClockShowsTheTimeSinceTheConnection) {
    Open();
    UseDirectService();
    Connect();
    ASSERT_TRUE(TakeCommNotify());
    EXPECT_EQ("00:00:00", app_->toolbar.clock);
    app_->ConnectStart = GetTickCount() - 3723000;
    SendMessageA(window_, WM_TIMER, 5, 0);
    EXPECT_EQ("01:02:03", app_->toolbar.clock);
    // Within the first second nothing is drawn.
    app_->toolbar.clock = "unchanged";
    app_->ConnectStart = GetTickCount();
    SendMessageA(window_, WM_TIMER, 5, 0);
    EXPECT_EQ("unchanged", app_->toolbar.clock);
}

TEST_F(SessionTest, ReceivedTextReachesTheScreenThroughThePump) {
    Open();
    UseDirectService();
    app_->CurrentService.TerminalType = kTypeVt100;
    device_.QueueInput("\x1b[2;5Hhello");
    DropCarrierAfter(2);
    Connect();
    Pump();
    const ScreenLine& line = LineAt(app_->screen, 1);
    EXPECT_EQ("hello", std::string(reinterpret_cast<const char*>(line.text) + 4, 5));
}

}  // namespace
}  // namespace palvex
