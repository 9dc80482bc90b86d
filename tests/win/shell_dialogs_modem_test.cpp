// The manufacturer list and the two profile dialogs under Wine, driven through
// their controls; what counts is what reaches the profile file. Their rules
// (Cancel, the reload under the result codes) are checked natively.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "modem/modem_profile.h"
#include "modem/win/modem_dialogs.h"
#include "phonebook/service_entry.h"
#include "shell/dialog_ids.h"
#include "shell_dialogs_driver.h"

namespace palvex {
namespace {

using testing::Click;
using testing::WindowText;
using ModemDialogsTest = testing::ShellDialogTest;

TEST_F(ModemDialogsTest, UsRoboticsChosenWithItsResetStringAndResultCodeWritesItsFile) {
    std::string dir;
    {
        // The dialog makes the installation directory current: it has to
        // start elsewhere for that to show.
        testing::ScratchFolder folder("palvex-modem-");
        dir = folder.path();
        ModemProfile old;
        StoreField(old.ResultCarrier, "NO CARRIER");
        ASSERT_TRUE(SaveModemProfile(old, dir, kUsRoboticsIndex));
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        SetCurrentDirectoryA(temp);

        ServiceEntry service = DefaultServiceEntry();
        ModemProfile profile;
        LRESULT count = 0, selectedAtOpen = -1, limit = 0;
        std::string item13, carrier, current;
        int result;
        {
            testing::DialogScript script({
                {"bordlg_gray", "Modem Setting",
                 [&](HWND d) {
                     count = SendDlgItemMessageA(d, dlg::kModemList, LB_GETCOUNT, 0, 0);
                     selectedAtOpen = SendDlgItemMessageA(d, dlg::kModemList, LB_GETCURSEL, 0, 0);
                     item13 = testing::ListBoxTexts(d, dlg::kModemList).at(kUsRoboticsIndex);
                     testing::SelectLine(d, dlg::kModemList, kUsRoboticsIndex);
                     Click(d, dlg::kModemSelect);
                 }},
                {"bordlg_gray", "USRobotics",
                 [&](HWND d) {
                     limit = SendDlgItemMessageA(d, dlg::kProfileReset, EM_GETLIMITTEXT, 0, 0);
                     SetDlgItemTextA(d, dlg::kProfileReset, "ATZ^M");
                     Click(d, dlg::kProfileResultCodes);
                 }},
                {"bordlg_gray", "USRobotics Result code",
                 [&](HWND d) {
                     carrier = WindowText(GetDlgItem(d, dlg::kResultCarrier));
                     SetDlgItemTextA(d, dlg::kResultBusy, "LINE BUSY");
                     Click(d, dlg::kOk);
                 }},
                {"bordlg_gray", "USRobotics", [](HWND d) { Click(d, dlg::kOk); }},
                {"bordlg_gray", "Modem Setting", [](HWND d) { Click(d, dlg::kOk); }},
            });
            result = ShowModemDialog(main_, service, profile, dir, "PALVEX.HLP");
        }
        Pump();
        char path[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof path, path);
        EXPECT_EQ(0, lstrcmpiA(dir.c_str(), path));

        EXPECT_EQ(1, result);
        EXPECT_EQ(16, count);
        EXPECT_EQ(kHayesIndex, selectedAtOpen);  // the default service's manufacturer
        EXPECT_EQ("USRobotics", item13);
        EXPECT_EQ(kProfileTextLimit, limit);
        EXPECT_EQ("NO CARRIER", carrier);
        EXPECT_EQ(kUsRoboticsIndex, service.ModemIndex);

        WIN32_FILE_ATTRIBUTE_DATA info{};
        ASSERT_TRUE(GetFileAttributesExA((dir + "\\USRoboti.mdm").c_str(), GetFileExInfoStandard, &info));
        EXPECT_EQ(kModemProfileSize, info.nFileSizeLow);
        ModemProfile saved;
        ASSERT_TRUE(LoadModemProfile(saved, dir, kUsRoboticsIndex));
        EXPECT_EQ("ATZ^M", FieldText(saved.ResetString));
        EXPECT_EQ("LINE BUSY", FieldText(saved.ResultBusy));
        EXPECT_EQ("NO CARRIER", FieldText(saved.ResultCarrier));
    }
}

}  // namespace
}  // namespace palvex
