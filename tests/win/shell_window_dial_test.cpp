// Dialing through the real main window and dial dialog over a scripted modem:
// timer 3 hands over to the dial dialog, which resets, initialises and dials
// on its own timers, and the main window takes the connection or reports the
// failure; then the modem hang-up through timers 15, 4 and 11.
#include "shell_window_fixture.h"

#include <algorithm>

#include "comm/port_types.h"
#include "modem/dialer.h"
#include "shell/command_ids.h"
#include "shell/string_ids.h"

namespace palvex {
namespace {

class DialWindowTest : public MainWindowTest {
protected:
    struct Dial {
        std::string retries, status;
    };

    // A modem that answers OK to everything but a dial, and `dialAnswer(n)`
    // to the n-th dial command.
    void PlayModem(std::function<std::string(int)> dialAnswer) {
        device_.onWrite = [this, dialAnswer](FakePort& port, const uint8_t* bytes, int n) {
            for (int i = 0; i < n; ++i) {
                if (bytes[i] != '\r') {
                    command_ += static_cast<char>(bytes[i]);
                    continue;
                }
                const std::string cmd = command_;
                command_.clear();
                if (cmd.rfind("ATD", 0) == 0) {
                    HWND dialog = static_cast<HWND>(app_->pump.SessionDialog);
                    char retries[16] = {}, status[64] = {};
                    GetDlgItemTextA(dialog, kDialCtlRetries, retries, sizeof retries);
                    GetDlgItemTextA(dialog, kDialCtlStatus, status, sizeof status);
                    dials_.push_back({retries, status});
                    port.QueueInput(dialAnswer(static_cast<int>(dials_.size())));
                } else if (cmd.rfind("AT", 0) == 0) {
                    port.QueueInput("\r\nOK\r\n");
                }
            }
        };
    }

    void StartDial(int retries) {
        ModemProfile& p = app_->WorkingProfile;
        StoreField(p.ResetString, "ATZ^M");
        StoreField(p.InitString, "AT&F^M");
        StoreField(p.DialPrefix, "ATD");
        StoreField(p.DialSuffix, "^M");
        StoreField(p.EscapeString, "~~~+++");
        StoreField(p.HangupString, "ATH0^M");
        // An empty result text would match every line.
        const char* results[kModemResultCount] = {"BUSY", "NO DIALTONE", "NO CARRIER", "NO ANSWER",
                                                  "TIMEOUT",  "ERROR", "OK", "CONNECT"};
        StoreField(p.ResultBusy, results[0]);
        StoreField(p.ResultDialtone, results[1]);
        StoreField(p.ResultCarrier, results[2]);
        StoreField(p.ResultAnswer, results[3]);
        StoreField(p.ResultTimeout, results[4]);
        StoreField(p.ResultError, results[5]);
        StoreField(p.ResultOk, results[6]);
        StoreField(p.ResultConnect, results[7]);
        ServiceEntry& s = app_->CurrentService;
        s = DefaultServiceEntry();
        std::memcpy(s.ShortName, "ACME", 5);
        std::strcpy(s.PhoneNumber, "555-0100");
        s.DialRetries = static_cast<int16_t>(retries);
        s.TerminalType = kTypeVt100;
        SendMessageA(window_, WM_TIMER, 3, 0);
    }

    // Runs the window's messages, keeping the receive pump from starting,
    // until the dial dialog has come and gone or `ms` have passed.
    void RunDial(DWORD ms = 30000) {
        const DWORD start = GetTickCount();
        bool opened = false;
        while (GetTickCount() - start < ms) {
            MSG msg;
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (opened && !app_->pump.SessionDialog) return;
                Sleep(1);
                continue;
            }
            if (msg.hwnd == window_ && msg.message == kMsgCommNotify) {
                ++commNotify_;
                continue;
            }
            HWND dialog = static_cast<HWND>(app_->pump.SessionDialog);
            if (dialog) opened = true;
            if (dialog && IsDialogMessageA(dialog, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        ADD_FAILURE() << "the dial did not end";
    }

    // Runs every message for `ms`, without the pump.
    void RunFor(DWORD ms) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            MSG msg;
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                Sleep(1);
                continue;
            }
            if (msg.hwnd == window_ && msg.message == kMsgCommNotify) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    std::string command_;
    std::vector<Dial> dials_;
    int commNotify_ = 0;
};

TEST_F(DialWindowTest, ResetInitAndDialUpToConnect) {
    Open();
    PlayModem([](int) { return "\r\nCONNECT 2400\r\n"; });
    StartDial(3);
    EXPECT_EQ(0, device_.openCount) << "the dial dialog opens the port, later";
    RunDial();

    EXPECT_EQ("ATZ\rAT&F\rATDT 5550100\r", device_.WrittenText());
    ASSERT_EQ(1u, dials_.size());
    EXPECT_EQ("1", dials_[0].retries);
    EXPECT_EQ(1, app_->port.PortOpen);
    EXPECT_EQ(nullptr, app_->pump.SessionDialog);
    EXPECT_TRUE(IsWindowEnabled(window_));
    EXPECT_EQ("Connected", app_->toolbar.StatusWord);
    EXPECT_EQ("ACME is connected to COM1:2400,8,N,1", app_->toolbar.ConnectionText);
    EXPECT_EQ(1, commNotify_) << "the pump is to start";
    EXPECT_TRUE(ui_.messages.empty());
    std::string row0(reinterpret_cast<const char*>(LineAt(app_->screen, 0).text), 12);
    EXPECT_EQ("CONNECT 2400", row0) << "the connect line reaches the terminal";
}

TEST_F(DialWindowTest, BusyOnEveryAttemptEndsInTheFailureMessage) {
    Open();
    PlayModem([](int) { return "\r\nBUSY\r\n"; });
    StartDial(3);
    RunDial();

    ASSERT_EQ(3u, dials_.size());
    EXPECT_EQ("1", dials_[0].retries);
    EXPECT_EQ("2", dials_[1].retries);
    EXPECT_EQ("Redialing", dials_[1].status);
    EXPECT_EQ("3", dials_[2].retries);
    EXPECT_EQ("Redialing", dials_[2].status);
    EXPECT_EQ(0, app_->port.PortOpen);
    EXPECT_FALSE(device_.IsOpen());
    EXPECT_EQ(1, CountMessages(str::kStrDialFailed));
    EXPECT_EQ(0, commNotify_);
    EXPECT_TRUE(IsWindowEnabled(window_));
    EXPECT_EQ(nullptr, app_->pump.SessionDialog);
    EXPECT_NE(device_.escapes.end(), std::find(device_.escapes.begin(), device_.escapes.end(), kClrRts));
}

TEST_F(DialWindowTest, CancelButtonEndsTheDialQuietly) {
    Open();
    bool mainEnabled = true;
    std::string title;
    // The click comes while the dialog waits for the first dial's answer.
    PlayModem([this, &mainEnabled, &title](int) {
        HWND dialog = static_cast<HWND>(app_->pump.SessionDialog);
        mainEnabled = IsWindowEnabled(window_);
        char text[64] = {};
        GetWindowTextA(dialog, text, sizeof text);
        title = text;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kDialCmdCancel, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, kDialCmdCancel)));
        return "";
    });
    app_->DialBatch.Add("ACME");
    StartDial(3);
    RunDial();
    ASSERT_EQ(1u, dials_.size());
    EXPECT_FALSE(mainEnabled) << "the main window waits for the dial";
    EXPECT_EQ("Dialing ACME", title);
    EXPECT_EQ(0, app_->port.PortOpen);
    EXPECT_TRUE(ui_.messages.empty()) << "a cancelled dial is not reported as failed";
    EXPECT_TRUE(app_->DialBatch.Empty());
    EXPECT_TRUE(IsWindowEnabled(window_));
    EXPECT_EQ(' ', device_.written.back()) << "a blank stops the modem's dial";
}

TEST_F(DialWindowTest, ModemHangUpEscapesDropsDtrAndCloses) {
    Open();
    PlayModem([](int) { return "\r\nCONNECT\r\n"; });
    StartDial(1);
    RunDial();
    ASSERT_EQ(1, app_->port.PortOpen);
    device_.SetCarrier(true);  // up all through the escape's wait, as a modem keeps it
    app_->port.CarrierSeen = 1;
    device_.written.clear();
    device_.escapes.clear();
    SendMessageA(window_, WM_COMMAND, kCmdHangup, 0);
    EXPECT_EQ(1, app_->port.PortOpen) << "the modem is talked down first";
    RunFor(6000);
    EXPECT_EQ("+++ATH0\r", device_.WrittenText());
    EXPECT_NE(device_.escapes.end(), std::find(device_.escapes.begin(), device_.escapes.end(), kClrDtr));
    EXPECT_EQ(0, app_->port.PortOpen);
    EXPECT_FALSE(device_.IsOpen());
    EXPECT_TRUE(IsWindowEnabled(window_));
    EXPECT_EQ("Palvex32-Dialup", [this] {
        char t[64] = {};
        GetWindowTextA(window_, t, sizeof t);
        return std::string(t);
    }());
    EXPECT_EQ(1, CountMessages(110)) << "offline as after any disconnect";
    EXPECT_EQ(2418u, std::filesystem::file_size(installDir_ + "\\ACME.phn")) << "written back";
}

}  // namespace
}  // namespace palvex
