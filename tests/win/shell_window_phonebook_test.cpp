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

    static std::vector<std::string> Lines(HWND dialog, int list) {
        std::vector<std::string> lines;
        const int n = static_cast<int>(SendDlgItemMessageA(dialog, list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char text[128] = {};
            SendDlgItemMessageA(dialog, list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            lines.push_back(text);
        }
        return lines;
    }
    // Selects line `line` of the book as a click would.
    static void Pick(HWND dialog, int line) {
        HWND list = GetDlgItem(dialog, dlg::kPhoneList);
        SendMessageA(list, LB_SETCURSEL, line, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(dlg::kPhoneList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    static std::string Text(HWND dialog, int id) {
        char text[256] = {};
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }

    // Runs the phone book command with `steps` acting on the dialogs.
    void RunBook(std::vector<testing::DialogStep> steps) {
        DialogScript script(std::move(steps));
        SendMessageA(window_, WM_COMMAND, kCmdPhonebook, 0);
    }
    bool Timer3Running() { return KillTimer(window_, 3) != 0; }
};

TEST_F(PhoneBookWindowTest, ListsOnlyRecordSizedFilesWithTheirDetails) {
    AddService("BETA Board", "555-0102");
    AddService("ALPHA One", "555-0101");
    std::ofstream(installDir_ + "\\BROKEN.phn", std::ios::binary) << std::string(2417, 'x');
    OpenWindow();
    std::vector<std::string> lines;
    std::string number, summary;
    bool removeEnabled = true;
    RunBook({{"bordlg_gray", "Phonebook", [&](HWND d) {
                  lines = Lines(d, dlg::kPhoneList);
                  number = Text(d, dlg::kPhoneNumber);
                  summary = Text(d, dlg::kPhonePortSummary);
                  removeEnabled = IsWindowEnabled(GetDlgItem(d, dlg::kPhoneRemove));
                  testing::Click(d, dlg::kCancel);
              }}});
    EXPECT_EQ(lines, (std::vector<std::string>{"ALPHA One", "BETA Board"}));
    EXPECT_EQ(number, "555-0101");
    EXPECT_EQ(summary, "COM1:2400,8,N,1");
    EXPECT_FALSE(removeEnabled);
    EXPECT_FALSE(Timer3Running());
}

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
                  HWND port = GetDlgItem(d, dlg::kServicePort);
                  SendMessageA(port, CB_SETCURSEL, 2, 0);
                  SendMessageA(d, WM_COMMAND, MAKEWPARAM(dlg::kServicePort, CBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(port));
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

TEST_F(PhoneBookWindowTest, DialingOptionsRefuseAnOversizedCountAndSaveTheRest) {
    AddService("ALPHA", "555-0101");
    OpenWindow();
    RunBook({{"bordlg_gray", "Phonebook", [](HWND d) { testing::Click(d, dlg::kPhoneOptions); }},
             {"bordlg_gray", "Dialing Options",
              [&](HWND d) {
                  EXPECT_EQ(Text(d, dlg::kDialOptRetries), "5");
                  SetDlgItemTextA(d, dlg::kDialOptRetries, "300");
                  SetDlgItemTextA(d, dlg::kDialOptTimeout, "45");
                  testing::Click(d, dlg::kOk);
              }},
             {"bordlg_gray", "Phonebook", [](HWND d) { testing::Click(d, dlg::kCancel); }}});
    EXPECT_EQ(ui_.beeps, std::vector<unsigned>{kBeepDefault});
    ServiceEntry saved{};
    ASSERT_EQ(0, ReadServiceEntry(installDir_, "ALPHA", saved));
    EXPECT_EQ(saved.DialRetries, 5);
    EXPECT_EQ(saved.DialTimeout, 45);
}

TEST_F(PhoneBookWindowTest, BatchDialOutlivesTheWindow) {
    AddService("ALPHA", "555-0101");
    OpenWindow();
    ASSERT_EQ(0, app_->settings.BatchDial);
    RunBook({{"bordlg_gray", "Phonebook", [](HWND d) {
                  testing::Click(d, dlg::kPhoneBatchDial);
                  testing::Click(d, dlg::kCancel);
              }}});
    EXPECT_EQ(ProfileValue("seqdial"), "1");
    Close();

    OpenWindow();
    EXPECT_EQ(1, app_->settings.BatchDial);
    bool checked = false;
    RunBook({{"bordlg_gray", "Phonebook", [&](HWND d) {
                  checked = IsDlgButtonChecked(d, dlg::kPhoneBatchDial) == BST_CHECKED;
                  testing::Click(d, dlg::kCancel);
              }}});
    EXPECT_TRUE(checked);
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

TEST_F(PhoneBookWindowTest, BatchDialHandsItsListAndAutologRunsTheScript) {
    AddService("ALPHA", "555-0101");
    AddService("BETA", "555-0102");
    std::ofstream(installDir_ + "\\ALPHA.scr") << "exit\r\n";
    OpenWindow();
    // Batch: BETA then ALPHA, double-clicked into the batch list.
    RunBook({{"bordlg_gray", "Phonebook", [](HWND d) {
                  SendDlgItemMessageA(d, dlg::kPhoneBatchDial, BM_CLICK, 0, 0);
                  for (int line : {1, 0}) {
                      Pick(d, line);
                      SendMessageA(d, WM_COMMAND, MAKEWPARAM(dlg::kPhoneList, LBN_DBLCLK),
                                   reinterpret_cast<LPARAM>(GetDlgItem(d, dlg::kPhoneList)));
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

    // Without batch dial: Autolog of ALPHA posts its script.
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
