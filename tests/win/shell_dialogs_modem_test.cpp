// The manufacturer list and the two profile dialogs under Wine, driven through
// their controls; what counts is what reaches the profile file.
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
using testing::DialogScript;
using testing::WindowText;

// A fresh installation directory per test; the dialog makes it current, so
// the start directory is put back afterwards.
class ModemDialogsTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        char path[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof path, path);
        startDir_ = path;
        GetTempPathA(sizeof path, path);
        dir_ = std::string(path) + "palvex-modem-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(dir_.c_str(), nullptr);
        DeleteFileA(File().c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(startDir_.c_str());
        DeleteFileA(File().c_str());
        RemoveDirectoryA(dir_.c_str());
        ShellDialogTest::TearDown();
    }
    std::string File() const { return dir_ + "\\USRoboti.mdm"; }

    ModemProfile OnDisk() const {
        ModemProfile p;
        EXPECT_TRUE(LoadModemProfile(p, dir_, kUsRoboticsIndex));
        return p;
    }

    int Run(std::vector<testing::DialogStep> steps) {
        int result;
        {
            DialogScript script(std::move(steps));
            result = ShowModemDialog(main_, service_, profile_, dir_, "PALVEX.HLP");
        }
        Pump();
        return result;
    }

    static testing::DialogStep ListStep(std::function<void(HWND)> act) {
        return {"bordlg_gray", "Modem Setting", std::move(act)};
    }

    std::string startDir_, dir_;
    ServiceEntry service_ = DefaultServiceEntry();
    ModemProfile profile_;
};

TEST_F(ModemDialogsTest, ChoosingUsRoboticsAndTypingAResetStringWritesItsFileOnOk) {
    LRESULT count = 0, selectedAtOpen = -1, limit = 0;
    std::string item13;
    const int result = Run({
        ListStep([&](HWND d) {
            HWND list = GetDlgItem(d, dlg::kModemList);
            count = SendMessageA(list, LB_GETCOUNT, 0, 0);
            selectedAtOpen = SendMessageA(list, LB_GETCURSEL, 0, 0);
            char text[64] = {};
            SendMessageA(list, LB_GETTEXT, kUsRoboticsIndex, reinterpret_cast<LPARAM>(text));
            item13 = text;
            SendMessageA(list, LB_SETCURSEL, kUsRoboticsIndex, 0);
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(dlg::kModemList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
            Click(d, dlg::kModemSelect);
        }),
        {"bordlg_gray", "USRobotics",
         [&](HWND d) {
             limit = SendDlgItemMessageA(d, dlg::kProfileReset, EM_GETLIMITTEXT, 0, 0);
             SetDlgItemTextA(d, dlg::kProfileReset, "ATZ^M");
             Click(d, dlg::kOk);
         }},
        ListStep([](HWND d) { Click(d, dlg::kOk); }),
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(16, count);
    EXPECT_EQ(kHayesIndex, selectedAtOpen);  // the default service's manufacturer
    EXPECT_EQ("USRobotics", item13);
    EXPECT_EQ(kProfileTextLimit, limit);
    EXPECT_EQ(kUsRoboticsIndex, service_.ModemIndex);

    WIN32_FILE_ATTRIBUTE_DATA info{};
    ASSERT_TRUE(GetFileAttributesExA(File().c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(kModemProfileSize, info.nFileSizeLow);
    EXPECT_EQ("ATZ^M", FieldText(OnDisk().ResetString));
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(0, lstrcmpiA(dir_.c_str(), current));
}

TEST_F(ModemDialogsTest, CancelAfterTypingLeavesTheFileWithTheOldString) {
    ModemProfile old;
    StoreField(old.ResetString, "ATZ^M");
    ASSERT_TRUE(SaveModemProfile(old, dir_, kUsRoboticsIndex));
    service_.ModemIndex = kUsRoboticsIndex;
    std::string shown;
    const int result = Run({
        ListStep([](HWND d) { Click(d, dlg::kModemSelect); }),
        {"bordlg_gray", "USRobotics",
         [&](HWND d) {
             shown = WindowText(GetDlgItem(d, dlg::kProfileReset));
             SetDlgItemTextA(d, dlg::kProfileReset, "AT&F^M");
             Click(d, dlg::kCancel);
         }},
        ListStep([](HWND d) { Click(d, dlg::kCancel); }),
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ("ATZ^M", shown);
    EXPECT_EQ("AT&F^M", FieldText(profile_.ResetString));  // until the next load
    EXPECT_EQ("ATZ^M", FieldText(OnDisk().ResetString));
    LoadModemProfile(profile_, dir_, service_.ModemIndex);   // as the next dial does
    EXPECT_EQ("ATZ^M", FieldText(profile_.ResetString));
}

TEST_F(ModemDialogsTest, ResultCodesCarryTheManufacturersNameAndSaveOnOk) {
    ModemProfile old;
    StoreField(old.ResultCarrier, "NO CARRIER");
    StoreField(old.ResultBusy, "BUSY");
    ASSERT_TRUE(SaveModemProfile(old, dir_, kUsRoboticsIndex));
    service_.ModemIndex = kUsRoboticsIndex;
    std::string carrier;
    Run({
        ListStep([](HWND d) { Click(d, dlg::kModemSelect); }),
        {"bordlg_gray", "USRobotics", [](HWND d) { Click(d, dlg::kProfileResultCodes); }},
        {"bordlg_gray", "USRobotics Result code",
         [&](HWND d) {
             carrier = WindowText(GetDlgItem(d, dlg::kResultCarrier));
             SetDlgItemTextA(d, dlg::kResultBusy, "LINE BUSY");
             Click(d, dlg::kOk);
         }},
        {"bordlg_gray", "USRobotics", [](HWND d) { Click(d, dlg::kCancel); }},
        ListStep([](HWND d) { Click(d, dlg::kCancel); }),
    });
    EXPECT_EQ("NO CARRIER", carrier);
    const ModemProfile saved = OnDisk();
    EXPECT_EQ("LINE BUSY", FieldText(saved.ResultBusy));
    EXPECT_EQ("NO CARRIER", FieldText(saved.ResultCarrier));
}

}  // namespace
}  // namespace palvex
