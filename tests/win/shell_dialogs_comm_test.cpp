// "DATABIT" under Wine over a scripted open port: the real template, procedure
// and message box. The rules of both comm dialogs are checked natively.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "comm/fake_port.h"
#include "comm/win/comm_dialogs.h"
#include "modem/modem_profile.h"
#include "phonebook/validate_service.h"
#include "platform/win/win_ui.h"
#include "shell/dialog_ids.h"
#include "shell_dialogs_driver.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::WindowText;

class CommDialogsWinTest : public testing::ShellDialogTest {
protected:
    void SetUp() override {
        ShellDialogTest::SetUp();
        std::strcpy(service_.ShortName, "BBS");
        service_.PhoneType = 2;
        port_.handle = &device_;
        ASSERT_EQ(0, ConnectPort(port_, service_, ui_, nullptr));
        device_.states.clear();
    }

    ServiceEntry service_ = DefaultServiceEntry();
    FakePort device_;
    PortState port_;
    WinUi ui_;
    ModemProfile profile_;
};

TEST_F(CommDialogsWinTest, EightBitsWithEvenParityIsRefusedThenSevenEvenReachesThePort) {
    std::string message, owner;
    bool evenChecked = false;
    int result;
    {
        DialogScript script({
            {"bordlg_gray", "Communication Parameter",
             [&](HWND d) {
                 Click(d, dlg::kParityBase + 2);
                 Click(d, dlg::kOk);
             }},
            {"bordlg_gray", "Message",
             [&](HWND m) {
                 message = WindowText(GetDlgItem(m, dlg::kMsgText));
                 owner = WindowText(GetWindow(m, GW_OWNER));
                 Click(m, dlg::kMsgOk);
             }},
            {"bordlg_gray", "Communication Parameter",
             [&](HWND d) {
                 evenChecked = IsDlgButtonChecked(d, dlg::kParityBase + 2) == BST_CHECKED;
                 Click(d, dlg::kDataBitsBase + 1);
                 Click(d, dlg::kOk);
             }},
        });
        CommParameterArgs args{service_, port_, "PALVEX.HLP", [&](HWND dialog) {
                                   return ValidateService(service_, profile_, "C:\\no-such-dir", ui_, dialog);
                               }};
        result = ShowCommParameterDialog(main_, args);
    }
    Pump();
    EXPECT_EQ("Select either 7 databits or no parity.", message);
    EXPECT_EQ("Communication Parameter", owner);
    EXPECT_TRUE(evenChecked);
    EXPECT_EQ(1, result);
    ASSERT_EQ(1u, device_.states.size());
    EXPECT_EQ(7, device_.states[0].ByteSize);
    EXPECT_EQ(kEvenParity, device_.states[0].Parity);
    EXPECT_EQ(0, port_.EightBitData);
}

}  // namespace
}  // namespace palvex
