// The phone book through the real main window: its dialogs driven through
// their controls as a user would, the files they leave in the installation
// directory, and what the main window does with the book's result.
#include "shell_window_fixture.h"

#include <algorithm>
#include <fstream>

#include "modem/modem_profile.h"
#include "phonebook/service_entry.h"
#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "shell/win/phone_book_commands.h"
#include "shell_dialogs_driver.h"

namespace palvex {
namespace {

using testing::DialogScript;

class PhoneBookWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ModemProfile hayes{};
        StoreField(hayes.ValidDialChars, "0123456789-,");
        ASSERT_TRUE(SaveModemProfile(hayes, installDir_, kHayesIndex));
    }

    void AddService(const char* longName, const char* number, int phoneType = 1) {
        ServiceEntry e = DefaultServiceEntry();
        SplitServiceName(longName, e.ShortName, e.NameTail);
        std::strcpy(e.PhoneNumber, number);
        e.PhoneType = static_cast<int16_t>(phoneType);
        ASSERT_EQ(0, SaveServiceEntry(installDir_, e));
    }

    // Opens the window and lets the phone book command through from then on;
    // the script command is only recorded.
    void OpenWindow() {
        Open();
        app_->commandFilter = [this](int id) {
            commands_.push_back(id);
            return id == kCmdScriptExecute;
        };
    }

    static std::string Text(HWND dialog, int id) { return testing::WindowText(GetDlgItem(dialog, id)); }
    static std::vector<std::string> Lines(HWND dialog, int list) { return testing::ListBoxTexts(dialog, list); }
    static void Pick(HWND dialog, int line) { testing::SelectLine(dialog, dlg::kPhoneList, line); }

    // Runs the phone book command with `steps` acting on the dialogs.
    void RunBook(std::vector<testing::DialogStep> steps) {
        DialogScript script(std::move(steps));
        SendMessageA(window_, WM_COMMAND, kCmdPhonebook, 0);
    }
    bool Timer3Running() { return KillTimer(window_, 3) != 0; }
};

TEST_F(PhoneBookWindowTest, NewThroughTheEditorWritesTheFileAndListsIt) {
    OpenWindow();
    bool dialEnabledBefore = true;
    std::vector<std::string> after;
    RunBook({{"bordlg_gray", "Phonebook",
              [&](HWND d) {
                  dialEnabledBefore = IsWindowEnabled(GetDlgItem(d, dlg::kPhoneDial));
                  testing::Click(d, dlg::kPhoneNew);
              }},
             {"bordlg_gray", "Communication Setting",
              [&](HWND d) {
                  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, dlg::kServiceName)));
                  SetDlgItemTextA(d, dlg::kServiceName, "NEWBBS The New One");
                  SetDlgItemTextA(d, dlg::kServiceNumber, "555-0199");
                  // COM3 from the drop-down list, 7 data bits by their radio.
                  SendDlgItemMessageA(d, dlg::kServicePort, CB_SETCURSEL, 2, 0);
                  testing::Notify(d, dlg::kServicePort, CBN_SELCHANGE);
                  SendDlgItemMessageA(d, dlg::kDataBitsBase + 1, BM_CLICK, 0, 0);
                  testing::Click(d, dlg::kOk);
              }},
             {"bordlg_gray", "Phonebook", [&](HWND d) {
                  after = Lines(d, dlg::kPhoneList);
                  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, dlg::kPhoneDial)));
                  EXPECT_EQ(Text(d, dlg::kPhonePortSummary), "COM3:2400,7,N,1");
                  testing::Click(d, dlg::kCancel);
              }}});
    EXPECT_FALSE(dialEnabledBefore);
    EXPECT_EQ(after, std::vector<std::string>{"NEWBBS The New One"});
    EXPECT_NE(GetFileAttributesA((installDir_ + "\\NEWBBS.PHN").c_str()), INVALID_FILE_ATTRIBUTES);
    ServiceEntry saved{};
    ASSERT_EQ(0, ReadServiceEntry(installDir_, "NEWBBS", saved));
    EXPECT_STREQ(saved.PhoneNumber, "555-0199");
    EXPECT_EQ(saved.PortIndex, 2);
    EXPECT_EQ(saved.DataBitsIndex, 1);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PhoneBookWindowTest, DialEndsTheBookAndStartsTimer3) {
    AddService("ALPHA", "555-0101");
    AddService("BETA", "555-0102");
    OpenWindow();
    app_->ScriptActive = 1;
    RunBook({{"bordlg_gray", "Phonebook", [](HWND d) {
                  Pick(d, 1);
                  testing::Click(d, dlg::kPhoneDial);
              }}});
    EXPECT_TRUE(Timer3Running());
    EXPECT_EQ(0, app_->ScriptActive);
    EXPECT_STREQ(app_->CurrentService.ShortName, "BETA");
    EXPECT_STREQ(app_->WorkingProfile.ValidDialChars, "0123456789-,") << "the service's modem profile";
    EXPECT_TRUE(app_->DialBatch.Empty());
}

TEST_F(PhoneBookWindowTest, BatchDialHandsItsListIsKeptInTheProfileAndAutologRunsTheScript) {
    AddService("ALPHA", "555-0101");
    AddService("BETA", "555-0102");
    std::ofstream(installDir_ + "\\ALPHA.scr") << "exit\r\n";
    OpenWindow();
    // Batch: BETA then ALPHA, double-clicked into the batch list.
    RunBook({{"bordlg_gray", "Phonebook", [](HWND d) {
                  SendDlgItemMessageA(d, dlg::kPhoneBatchDial, BM_CLICK, 0, 0);
                  for (int line : {1, 0}) {
                      Pick(d, line);
                      testing::Notify(d, dlg::kPhoneList, LBN_DBLCLK);
                  }
                  EXPECT_EQ(Lines(d, dlg::kPhoneBatchList), (std::vector<std::string>{"BETA", "ALPHA"}));
                  testing::Click(d, dlg::kPhoneAutolog);
              }}});
    ASSERT_EQ(2u, app_->DialBatch.slots.size());
    EXPECT_STREQ(app_->DialBatch.slots[0].data(), "BETA");
    EXPECT_STREQ(app_->DialBatch.slots[1].data(), "ALPHA");
    // BETA has no script: batch dial just dials, the script waits for a
    // service that has one.
    EXPECT_EQ(1, app_->ScriptActive);
    EXPECT_TRUE(Timer3Running());
    Pump();
    EXPECT_EQ(std::count(commands_.begin(), commands_.end(), kCmdScriptExecute), 0);
    app_->DialBatch.Free();
    EXPECT_EQ(ProfileValue("seqdial"), "1");
    Close();

    // Batch dial outlives the window: the box is found checked, so the click
    // turns it off, and Autolog of ALPHA then posts its script.
    OpenWindow();
    EXPECT_EQ(1, app_->settings.BatchDial);
    RunBook({{"bordlg_gray", "Phonebook", [](HWND d) {
                  SendDlgItemMessageA(d, dlg::kPhoneBatchDial, BM_CLICK, 0, 0);
                  Pick(d, 0);
                  testing::Click(d, dlg::kPhoneAutolog);
              }}});
    EXPECT_FALSE(Timer3Running());
    Pump();
    EXPECT_EQ(std::count(commands_.begin(), commands_.end(), kCmdScriptExecute), 1);
}

}  // namespace
}  // namespace palvex
