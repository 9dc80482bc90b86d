// Session capture and the transparent-print spool through the real main
// window: the log in blocks of 512 as the pump reads, overwrite or append by the
// answer, the rest at hang-up, the menu's check mark and the service's option.
#include "shell_window_fixture.h"

#include <fstream>
#include <iterator>

#include "comm/pump.h"
#include "shell/command_ids.h"
#include "shell/string_ids.h"

namespace palvex {
namespace {

class CaptureWindowTest : public MainWindowTest {
protected:
    std::string LogPath() const { return installDir_ + "\\DIRECT.log"; }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Letters(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('a' + i % 26));
        return s;
    }

    void Connect(const std::function<void(ServiceEntry&)>& adjust = {}) {
        ConnectDirect(adjust);
        ASSERT_TRUE(TakeCommNotify());
    }
    // What the host sends, read by the pump as WM_COMMNOTIFY would.
    void Receive(const std::string& bytes) {
        device_.QueueInput(bytes);
        DrainPort(app_->session);
    }
    void Command(int id) { SendMessageA(window_, WM_COMMAND, id, 0); }
};

TEST_F(CaptureWindowTest, TheLogGrowsInBlocksAndTakesTheRestAtHangUp) {
    Open();
    Connect();
    EXPECT_FALSE(Checked(kCmdCaptureSession));
    Command(kCmdCaptureSession);
    EXPECT_TRUE(ui_.messages.empty()) << "a new log needs no question";
    EXPECT_TRUE(Checked(kCmdCaptureSession));
    EXPECT_EQ(1, app_->CurrentService.SessionCapture);
    ASSERT_TRUE(std::filesystem::exists(LogPath()));

    const std::string text = Letters(1300);
    const struct {
        int upTo;
        uintmax_t onDisk;
    } steps[] = {{511, 0}, {512, 512}, {1300, 1024}};
    int sent = 0;
    for (const auto& step : steps) {
        Receive(text.substr(sent, step.upTo - sent));
        sent = step.upTo;
        EXPECT_EQ(step.onDisk, std::filesystem::file_size(LogPath())) << step.upTo;
    }
    Command(kCmdHangup);
    EXPECT_EQ(0, app_->port.PortOpen);
    EXPECT_EQ(text, Read(LogPath()));
}

TEST_F(CaptureWindowTest, AnExistingLogIsOverwrittenOnYesAndAppendedToOnNo) {
    const struct {
        int answer;
        const char* after;
    } cases[] = {{6, "new"}, {7, "old/new"}};
    for (const auto& c : cases) {
        ui_ = RecordingUi{};
        ui_.answer = c.answer;
        Open();
        Connect();
        Write(LogPath(), "old/");
        Command(kCmdCaptureSession);
        ASSERT_EQ(1u, ui_.messages.size());
        EXPECT_EQ(str::kStrOverwriteLog, ui_.messages[0].stringId);
        EXPECT_EQ(0x2044u, ui_.messages[0].style);
        EXPECT_TRUE(Checked(kCmdCaptureSession));
        Receive("new");
        // Switching capture off writes what is held.
        Command(kCmdCaptureSession);
        EXPECT_FALSE(Checked(kCmdCaptureSession));
        EXPECT_EQ(0, app_->CurrentService.SessionCapture);
        EXPECT_EQ(c.after, Read(LogPath())) << c.answer;
        Receive("more");
        EXPECT_EQ(c.after, Read(LogPath())) << "nothing is logged while capture is off";
        Close();
        device_ = FakePort{};
    }
}

TEST_F(CaptureWindowTest, TheServicesOptionStartsCaptureAtConnection) {
    Open();
    Connect([](ServiceEntry& s) { s.SessionCapture = 1; });
    EXPECT_TRUE(Checked(kCmdCaptureSession));
    Receive("logged from the start");
    Command(kCmdHangup);
    EXPECT_EQ("logged from the start", Read(LogPath()));
}

TEST_F(CaptureWindowTest, ThePrinterSpoolIsWrittenOutWhenTheSessionEnds) {
    for (bool byReset : {false, true}) {
        Open();
        SetCurrentDirectoryA(installDir_.c_str());
        const std::string spool = installDir_ + "\\temp.txt";
        Connect([](ServiceEntry& s) { s.TerminalType = kTypeVt102; });
        app_->modes.transparentPrint = 1;
        Receive("\x1b[5i" + Letters(600));
        EXPECT_EQ(1, app_->pump.PrintControllerActive);
        EXPECT_EQ(512u, std::filesystem::file_size(spool));
        Command(byReset ? kCmdResetTerm : kCmdHangup);
        EXPECT_EQ(0, app_->pump.PrintControllerActive);
        EXPECT_FALSE(app_->spool.Active());
        EXPECT_EQ(Letters(600), Read(spool)) << byReset;
        Close();
        device_ = FakePort{};
    }
}

}  // namespace
}  // namespace palvex
