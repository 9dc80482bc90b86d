// The transfer settings dialogs under Wine on their real templates: the
// protocol preference with an option dialog opened from it, the Kermit and
// ASCII refusals, Cancel, and the batch list through the file chooser (its
// Cancel and refusals are covered natively). Each dialog costs Wine seconds
// to take down, so every run checks all it can.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell_dialogs_driver.h"
#include "transfer/win/settings_dialogs.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::DialogStep;
using testing::WindowText;

DialogStep Step(const char* title, std::function<void(HWND)> act) { return {"bordlg_gray", title, std::move(act)}; }

// The message box's text, then its OK.
DialogStep ReadMessage(std::string& text) {
    return Step("Message", [&text](HWND m) {
        text = WindowText(GetDlgItem(m, dlg::kMsgText));
        Click(m, dlg::kMsgOk);
    });
}

void Type(HWND d, int id, const char* text) { SetDlgItemTextA(d, id, text); }

bool Enabled(HWND d, int id) { return IsWindowEnabled(GetDlgItem(d, id)) != FALSE; }

bool Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }

void SelectProtocol(HWND d, int protocol) {
    HWND list = GetDlgItem(d, dlg::kProtoList);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(protocol), 0);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(dlg::kProtoList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

bool SameRecord(const ServiceEntry& a, const ServiceEntry& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class TransferSettingsWinTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        service_.Protocol = kProtoXmodemCrc;
        service_.MaxErrors = 0;
        service_.KeepBackup = 0;
        service_.ZCrashRecover = 0;
        service_.KermitPacketSize = 0;
        std::memcpy(service_.AsciiStartChar, "^Q", 2);
        service_.AsciiLineDelay = 30;
    }

    int Protocol(std::vector<DialogStep> steps) {
        ProtocolDialogArgs args{service_, "PALVEX.HLP", [this](HWND d) { defDirOwner_ = d; }};
        int result;
        {
            DialogScript script(std::move(steps));
            result = ShowProtocolDialog(main_, nullptr, args);
        }
        Pump();
        return result;
    }

    ServiceEntry service_ = DefaultServiceEntry();
    HWND defDirOwner_ = nullptr;
};

TEST_F(TransferSettingsWinTest, ProtocolPreferenceRefusesZeroErrorsThenStoresWithItsZmodemOptions) {
    std::string limitShown, message;
    LRESULT names = 0;
    bool optionsAtOpen = true, optionsForZmodem = false, crashShown = true;
    HWND protocolWindow = nullptr;
    const int result = Protocol({
        Step("Protocol Preference",
             [&](HWND d) {
                 protocolWindow = d;
                 limitShown = WindowText(GetDlgItem(d, dlg::kProtoMaxErrors));
                 names = SendDlgItemMessageA(d, dlg::kProtoList, LB_GETCOUNT, 0, 0);
                 optionsAtOpen = Enabled(d, dlg::kProtoOptions);
                 SelectProtocol(d, kProtoZmodem);
                 optionsForZmodem = Enabled(d, dlg::kProtoOptions);
                 Click(d, dlg::kProtoOptions);
             }),
        Step("ZMODEM Options",
             [&](HWND z) {
                 crashShown = Checked(z, dlg::kZCrashRecover);
                 Click(z, dlg::kZCrashRecover);
                 Click(z, dlg::kOk);
             }),
        Step("Protocol Preference",
             [&](HWND d) {
                 Click(d, dlg::kProtoDefDir);
                 Type(d, dlg::kProtoMaxErrors, "0");
                 Click(d, dlg::kOk);
             }),
        ReadMessage(message),
        Step("Protocol Preference",
             [&](HWND d) {
                 Type(d, dlg::kProtoMaxErrors, "12");
                 Click(d, dlg::kProtoKeepBackup);
                 Click(d, dlg::kOk);
             }),
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ("5", limitShown);
    EXPECT_EQ(8, names);
    EXPECT_FALSE(optionsAtOpen);
    EXPECT_TRUE(optionsForZmodem);
    EXPECT_FALSE(crashShown);
    EXPECT_EQ("Invalid value for maximum errors", message);
    EXPECT_EQ(protocolWindow, defDirOwner_);
    EXPECT_EQ(kProtoZmodem, service_.Protocol);
    EXPECT_EQ(12, service_.MaxErrors);
    EXPECT_EQ(1, service_.KeepBackup);
    EXPECT_EQ(1, service_.ZCrashRecover);
}

TEST_F(TransferSettingsWinTest, CancelInThePreferenceAndInItsAsciiOptionsStoresNothing) {
    const ServiceEntry before = service_;
    std::string startShown, delayShown;
    const int result = Protocol({
        Step("Protocol Preference",
             [&](HWND d) {
                 SelectProtocol(d, kProtoAscii);
                 Click(d, dlg::kProtoOptions);
             }),
        Step("ASCII Options",
             [&](HWND a) {
                 startShown = WindowText(GetDlgItem(a, dlg::kAsciiStartChar));
                 delayShown = WindowText(GetDlgItem(a, dlg::kAsciiLineDelay));
                 Click(a, dlg::kAsciiStripLf);
                 Type(a, dlg::kAsciiStartChar, "X");
                 Type(a, dlg::kAsciiLineDelay, "5");
                 Click(a, dlg::kCancel);
             }),
        Step("Protocol Preference",
             [&](HWND d) {
                 Type(d, dlg::kProtoMaxErrors, "3");
                 Click(d, dlg::kProtoKeepBackup);
                 Click(d, dlg::kCancel);
             }),
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ("^Q", startShown);
    EXPECT_EQ("30", delayShown);
    EXPECT_TRUE(SameRecord(before, service_));
}

// The option dialogs run on their own: a refused value, its message, then an
// accepted one.
TEST_F(TransferSettingsWinTest, KermitAndAsciiOptionsRefuseOutOfRangeValuesAndTakeTheGoodOnes) {
    struct Case {
        const char* title;
        int (*show)(HWND, HINSTANCE, ServiceEntry&, const std::string&);
        int field;
        const char* shown;
        const char* refused;
        const char* accepted;
        const char* message;
    } cases[] = {
        {"Kermit Options", ShowKermitOptions, dlg::kKermitPacketSize, "1024", "64", "9024",
         "Invalid size for kermit buffer"},
        {"ASCII Options", ShowAsciiOptions, dlg::kAsciiLineDelay, "30", "-1", "0",
         "Invalid entry for line/char delay"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::string shown, message;
        int result;
        {
            DialogScript script({
                Step(c.title,
                     [&](HWND d) {
                         shown = WindowText(GetDlgItem(d, c.field));
                         Type(d, c.field, c.refused);
                         Click(d, dlg::kOk);
                     }),
                ReadMessage(message),
                Step(c.title,
                     [&](HWND d) {
                         Type(d, c.field, c.accepted);
                         Click(d, dlg::kOk);
                     }),
            });
            result = c.show(main_, nullptr, service_, "PALVEX.HLP");
        }
        Pump();
        EXPECT_EQ(1, result);
        EXPECT_EQ(c.shown, shown);
        EXPECT_EQ(c.message, message);
    }
    EXPECT_EQ(9024, service_.KermitPacketSize);
    EXPECT_EQ(0, service_.AsciiLineDelay);
}

// A folder with two files to send, one with a name wider than the list.
class BatchListWinTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        char path[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof path, path);
        startDir_ = path;
        GetTempPathA(sizeof path, path);
        dir_ = std::string(path) + "palvex-batch-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(dir_.c_str(), nullptr);
        SetCurrentDirectoryA(dir_.c_str());
        GetCurrentDirectoryA(sizeof path, path);
        dir_ = path;
        for (const std::string& name : names_) {
            HANDLE h = CreateFileA((dir_ + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            CloseHandle(h);
        }
    }
    void TearDown() override {
        SetCurrentDirectoryA(startDir_.c_str());
        for (const std::string& name : names_) DeleteFileA((dir_ + "\\" + name).c_str());
        RemoveDirectoryA(dir_.c_str());
        ShellDialogTest::TearDown();
    }

    // The chooser, with a full path typed in.
    static DialogStep Choose(const std::string& path) {
        return Step("Open File", [path](HWND c) {
            SetDlgItemTextA(c, dlg::kFileName, path.c_str());
            Click(c, dlg::kOk);
        });
    }

    std::string startDir_, dir_;
    const std::vector<std::string> names_{"short.zip",
                                          "a file name long enough to need the list box scrolled sideways.tar.gz"};
};

std::vector<std::string> ListTexts(HWND d) {
    std::vector<std::string> texts;
    const LRESULT count = SendDlgItemMessageA(d, dlg::kBatchList, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[MAX_PATH * 2] = {};
        SendDlgItemMessageA(d, dlg::kBatchList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

TEST_F(BatchListWinTest, AddBuildsFullPathsDeleteFollowsTheListAndDoneHandsThemOver) {
    const std::string shortPath = dir_ + "\\" + names_[0], longPath = dir_ + "\\" + names_[1];
    bool deleteAtOpen = true, deleteAfterAdd = false;
    std::vector<std::string> afterAdds;
    LRESULT extent = 0;
    RECT client{};
    std::vector<std::string> list{"left over"};
    int result;
    {
        auto batch = [](std::function<void(HWND)> act) { return Step("Batch List", std::move(act)); };
        DialogScript script({
            batch([&](HWND d) {
                deleteAtOpen = Enabled(d, dlg::kBatchDelete);
                Click(d, dlg::kBatchAdd);
            }),
            Choose(shortPath),
            batch([&](HWND d) {
                deleteAfterAdd = Enabled(d, dlg::kBatchDelete);
                Click(d, dlg::kBatchAdd);
            }),
            Choose(longPath),
            batch([&](HWND d) {
                afterAdds = ListTexts(d);
                extent = SendDlgItemMessageA(d, dlg::kBatchList, LB_GETHORIZONTALEXTENT, 0, 0);
                GetClientRect(GetDlgItem(d, dlg::kBatchList), &client);
                // Entry 0 is selected: Delete takes the short one.
                Click(d, dlg::kBatchDelete);
                Click(d, dlg::kBatchDone);
            }),
        });
        result = RunBatchListDialog(main_, nullptr, list);
    }
    Pump();
    EXPECT_FALSE(deleteAtOpen);
    EXPECT_TRUE(deleteAfterAdd);
    EXPECT_EQ((std::vector<std::string>{shortPath, longPath}), afterAdds);
    EXPECT_GT(extent, client.right - client.left);
    EXPECT_EQ(1, result);
    EXPECT_EQ(std::vector<std::string>{longPath}, list);
}

}  // namespace
}  // namespace palvex
