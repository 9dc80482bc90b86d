// The Default Directory and About dialogs under Wine, driven through their
// real controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "phonebook/service_entry.h"
#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/win/about_dialog.h"
#include "shell/win/defdir_dialog.h"
#include "shell/win/message_dialog.h"
#include "shell_dialogs_driver.h"
#include "shell_dialogs_fixture.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::WindowText;

constexpr const char* kGray = "bordlg_gray";
constexpr const char* kDefDirTitle = "Default Directory";

class DefDirDialogTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        root_ = std::string(temp) + "palvex-defdir-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(root_.c_str(), nullptr);
        CreateDirectoryA(Path("down").c_str(), nullptr);
        CreateDirectoryA(Path("logs").c_str(), nullptr);
        std::memset(&service_, 0, sizeof service_);
        settings_.InstallDir = Path("down");
        settings_.HelpFile = settings_.InstallDir + "\\PALVEX.HLP";
    }
    void TearDown() override {
        RemoveDirectoryA(Path("down").c_str());
        RemoveDirectoryA(Path("logs").c_str());
        RemoveDirectoryA(root_.c_str());
        ShellDialogTest::TearDown();
    }

    std::string Path(const char* name) const { return root_ + "\\" + name; }

    int Run() {
        return ShowDefaultDirDialog(main_, service_, settings_, [this] { return portOpen_; });
    }

    int CaptureToggles() {
        Pump();
        int n = 0;
        for (WPARAM w : commands()) n += LOWORD(w) == kCmdCaptureSession;
        return n;
    }

    std::string root_;
    ServiceEntry service_;
    ProgramSettings settings_;
    bool portOpen_ = false;
};

TEST_F(DefDirDialogTest, OpensWithTheServiceDirectoriesAndTheCaptureOption) {
    std::strcpy(service_.SessionLogDir, "E:\\LOGS");
    service_.SessionCapture = 1;
    std::string download, session;
    LRESULT limit = 0;
    UINT checked = 0;
    {
        DialogScript script({{kGray, kDefDirTitle, [&](HWND d) {
                                  download = WindowText(GetDlgItem(d, dlg::kDirDownload));
                                  session = WindowText(GetDlgItem(d, dlg::kDirSession));
                                  limit = SendDlgItemMessageA(d, dlg::kDirDownload, EM_GETLIMITTEXT, 0, 0);
                                  checked = IsDlgButtonChecked(d, dlg::kDirCapture);
                                  Click(d, dlg::kCancel);
                              }}});
        EXPECT_EQ(0, Run());
    }
    EXPECT_EQ(Path("down"), download);  // empty: the install directory
    EXPECT_EQ("E:\\LOGS", session);
    EXPECT_EQ(1027, limit);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), checked);
}

TEST_F(DefDirDialogTest, TypedDirectoriesAndCaptureAreStoredOnOk) {
    portOpen_ = true;
    {
        DialogScript script({{kGray, kDefDirTitle, [&](HWND d) {
                                  SetDlgItemTextA(d, dlg::kDirSession, Path("logs").c_str());
                                  Click(d, dlg::kDirCapture);
                                  Click(d, dlg::kOk);
                              }}});
        EXPECT_EQ(1, Run());
    }
    EXPECT_EQ(Path("down"), service_.DownloadDir);
    EXPECT_EQ(Path("logs"), service_.SessionLogDir);
    EXPECT_EQ(1, service_.SessionCapture);
    EXPECT_EQ(1, CaptureToggles());
}

TEST_F(DefDirDialogTest, AMissingDirectoryIsReportedAndTheDialogStaysOpen) {
    struct Case {
        int field;
        const char* text;
    } cases[] = {{dlg::kDirDownload, "Download directory not found"},
                 {dlg::kDirSession, "Session directory not found"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::memset(&service_, 0, sizeof service_);
        std::string shown, owner;
        bool reopened = false;
        {
            DialogScript script({
                {kGray, kDefDirTitle,
                 [&](HWND d) {
                     SetDlgItemTextA(d, c.field, Path("missing").c_str());
                     Click(d, dlg::kOk);
                 }},
                {kGray, "Message",
                 [&](HWND m) {
                     shown = WindowText(GetDlgItem(m, dlg::kMsgText));
                     owner = WindowText(GetWindow(m, GW_OWNER));
                     Click(m, dlg::kMsgOk);
                 }},
                {kGray, kDefDirTitle,
                 [&](HWND d) {
                     reopened = true;
                     SetDlgItemTextA(d, c.field, Path("logs").c_str());
                     Click(d, dlg::kOk);
                 }},
            });
            EXPECT_EQ(1, Run());
        }
        EXPECT_EQ(c.text, shown);
        EXPECT_EQ(kDefDirTitle, owner);
        EXPECT_TRUE(reopened);
    }
}

TEST_F(DefDirDialogTest, CancelAndEscapeLeaveTheRecordAsOpened) {
    for (bool escape : {false, true}) {
        std::strcpy(service_.DownloadDir, Path("logs").c_str());
        service_.SessionCapture = 0;
        portOpen_ = true;
        {
            DialogScript script({{kGray, kDefDirTitle, [&](HWND d) {
                                      SetDlgItemTextA(d, dlg::kDirDownload, Path("down").c_str());
                                      Click(d, dlg::kDirCapture);
                                      if (escape)
                                          PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
                                      else
                                          Click(d, dlg::kCancel);
                                  }}});
            EXPECT_EQ(0, Run());
        }
        EXPECT_EQ(Path("logs"), service_.DownloadDir);
        EXPECT_EQ(0, service_.SessionCapture);
        EXPECT_EQ(0, CaptureToggles());
    }
}

TEST(AboutText, TotalMemoryIsShownWithPercentD) {
    struct Case {
        uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes total memory"},
        {16777216, "16777216 bytes total memory"},
        {2147483647ull, "2147483647 bytes total memory"},
        // Beyond what "%d" holds: the largest it can show, never negative.
        {2147483648ull, "2147483647 bytes total memory"},
        {17179869184ull, "2147483647 bytes total memory"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, TotalMemoryText(c.bytes));
}

using AboutDialogTest = testing::ShellDialogTest;

TEST_F(AboutDialogTest, ShowsTheTotalPhysicalMemoryAndClosesOnOk) {
    std::string memory;
    {
        DialogScript script({{kGray, "About Palvex32-Dialup", [&](HWND d) {
                                  memory = WindowText(GetDlgItem(d, dlg::kAboutMemory));
                                  Click(d, dlg::kOk);
                              }}});
        ShowAboutDialog(main_);
    }
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    EXPECT_EQ(TotalMemoryText(status.dwTotalPhys), memory);
    EXPECT_NE(std::string::npos, memory.find(" bytes total memory"));
}

}  // namespace
}  // namespace palvex
