// The Default Directory and About dialogs under Wine, through their controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "phonebook/service_entry.h"
#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/win/about_dialog.h"
#include "shell/win/defdir_dialog.h"
#include "shell_dialogs_driver.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::WindowText;
using ShellFormsTest = testing::ShellDialogTest;

TEST_F(ShellFormsTest, DefaultDirReportsAMissingDirectoryStaysOpenAndPostsTheCaptureToggle) {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string logs = std::string(temp) + "palvex-defdir-logs", missing = logs + "-missing";
    CreateDirectoryA(logs.c_str(), nullptr);
    ServiceEntry service;
    std::memset(&service, 0, sizeof service);
    ProgramSettings settings;
    settings.InstallDir = temp;
    std::string shown, messageOwner, installShown;
    LRESULT limit = 0;
    int result;
    {
        DialogScript script({
            {"bordlg_gray", "Default Directory",
             [&](HWND d) {
                 installShown = WindowText(GetDlgItem(d, dlg::kDirDownload));
                 limit = SendDlgItemMessageA(d, dlg::kDirSession, EM_GETLIMITTEXT, 0, 0);
                 SetDlgItemTextA(d, dlg::kDirSession, missing.c_str());
                 Click(d, dlg::kDirCapture);
                 Click(d, dlg::kOk);
             }},
            {"bordlg_gray", "Message",
             [&](HWND m) {
                 shown = WindowText(GetDlgItem(m, dlg::kMsgText));
                 messageOwner = WindowText(GetWindow(m, GW_OWNER));
                 Click(m, dlg::kMsgOk);
             }},
            {"bordlg_gray", "Default Directory",
             [&](HWND d) {
                 SetDlgItemTextA(d, dlg::kDirSession, logs.c_str());
                 Click(d, dlg::kOk);
             }},
        });
        result = ShowDefaultDirDialog(main_, service, settings, [] { return true; });
    }
    Pump();
    RemoveDirectoryA(logs.c_str());
    EXPECT_EQ(1, result);
    EXPECT_EQ(temp, installShown);
    EXPECT_EQ(1027, limit);
    EXPECT_EQ("Session directory not found", shown);
    EXPECT_EQ("Default Directory", messageOwner);
    EXPECT_EQ(logs, service.SessionLogDir);
    EXPECT_EQ(1, service.SessionCapture);
    EXPECT_EQ(std::vector<WPARAM>{kCmdCaptureSession}, commands());
}

TEST_F(ShellFormsTest, AboutShowsTheTotalPhysicalMemoryWithPercentD) {
    EXPECT_EQ("16777216 bytes total memory", TotalMemoryText(16777216));
    // Beyond what "%d" holds: the largest it can show, never negative.
    EXPECT_EQ("2147483647 bytes total memory", TotalMemoryText(17179869184ull));
    std::string memory;
    {
        DialogScript script({{"bordlg_gray", "About Palvex32-Dialup", [&](HWND d) {
                                  memory = WindowText(GetDlgItem(d, dlg::kAboutMemory));
                                  Click(d, dlg::kOk);
                              }}});
        ShowAboutDialog(main_);
    }
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    EXPECT_EQ(TotalMemoryText(status.dwTotalPhys), memory);
}

}  // namespace
}  // namespace palvex
