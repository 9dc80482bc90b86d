// The transfer settings dialogs under Wine on their real templates: the
// protocol preference with an option dialog opened from it and a refusal, and
// the batch list through the file chooser. Their rules (every refusal, Cancel)
// are checked natively; each dialog costs Wine seconds to take down, so every
// run here checks all it can.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
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

class TransferSettingsWinTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        service_.Protocol = kProtoXmodemCrc;
        service_.MaxErrors = 0;
        service_.KeepBackup = 0;
        service_.ZCrashRecover = 0;
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
                 testing::SelectLine(d, dlg::kProtoList, kProtoZmodem);
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

// A folder with two files to send, one with a name wider than the list.
class BatchListWinTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        folder_.emplace("palvex-batch-");
        for (const std::string& name : names_) {
            HANDLE h = CreateFileA((*folder_ / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            CloseHandle(h);
        }
    }
    void TearDown() override {
        folder_.reset();
        ShellDialogTest::TearDown();
    }

    // The chooser, with a full path typed in.
    static DialogStep Choose(const std::string& path) {
        return Step("Open File", [path](HWND c) {
            SetDlgItemTextA(c, dlg::kFileName, path.c_str());
            Click(c, dlg::kOk);
        });
    }

    std::optional<testing::ScratchFolder> folder_;
    const std::vector<std::string> names_{"short.zip",
                                          "a file name long enough to need the list box scrolled sideways.tar.gz"};
};

TEST_F(BatchListWinTest, AddBuildsFullPathsDeleteFollowsTheListAndDoneHandsThemOver) {
    const std::string shortPath = *folder_ / names_[0], longPath = *folder_ / names_[1];
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
                afterAdds = testing::ListBoxTexts(d, dlg::kBatchList);
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
