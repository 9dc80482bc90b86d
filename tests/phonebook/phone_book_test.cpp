#include "phonebook/phone_book.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;
using dlg::kPhoneList;
using dlg::kPhoneBatchList;

class PhoneBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.InstallDir = dir_.str();
        ModemProfile hayes{};
        StoreField(hayes.ValidDialChars, "0123456789-,");
        ASSERT_TRUE(SaveModemProfile(hayes, dir_.str(), kHayesIndex));
    }

    // A service file named `file` (default: short name + ".phn").
    ServiceEntry AddService(const char* longName, const char* number, std::string file = "") {
        ServiceEntry e = DefaultServiceEntry();
        SplitServiceName(longName, e.ShortName, e.NameTail);
        std::strcpy(e.PhoneNumber, number);
        if (file.empty()) file = std::string(e.ShortName) + ".phn";
        dir_.Write(file, std::string(reinterpret_cast<const char*>(&e), sizeof e));
        return e;
    }
    void AddBytes(const std::string& file, std::size_t size) { dir_.Write(file, std::string(size, 'x')); }
    ServiceEntry ReadBack(const char* shortName) {
        ServiceEntry e{};
        EXPECT_EQ(ReadServiceEntry(dir_.str(), shortName, e), 0) << shortName;
        return e;
    }

    PhoneBookDialog& Book() {
        PhoneBookDialog::Hooks h;
        h.portOpen = [this] { return portOpen_; };
        h.currentFont = [] {
            LogFont f{};
            f.lfHeight = 16;
            return f;
        };
        h.openEditor = [this](bool isNew) { editorOpened_.push_back(isNew); };
        h.openCopy = [this] { return copyResult_; };
        h.openDialOptions = [this] { ++optionsOpened_; };
        h.makeCurrent = [this](const ServiceEntry& e) { madeCurrent_.push_back(e.ShortName); };
        h.fileExists = [](const std::string& path) { return fs::exists(path); };
        book_ = std::make_unique<PhoneBookDialog>(current_, profile_, settings_, store_, batch_, index_, ui_, h);
        return *book_;
    }
    // Clicks line `line` of list 101 as the user would.
    void Pick(int line) {
        view_.SelectItem(kPhoneList, line);
        book_->ListSelectionChanged(view_);
    }

    testing::ScratchDir dir_;
    ProgramSettings settings_;
    MemoryProfileStore store_;
    ServiceEntry current_ = DefaultServiceEntry();
    ModemProfile profile_{};
    DialBatchList batch_;
    int index_ = 0;
    RecordingUi ui_;
    RecordingDialogView view_;
    std::unique_ptr<PhoneBookDialog> book_;
    bool portOpen_ = false;
    int copyResult_ = 0;
    std::vector<bool> editorOpened_;
    int optionsOpened_ = 0;
    std::vector<std::string> madeCurrent_;
};

TEST_F(PhoneBookTest, ListsServiceFilesOfTheRecordSizeInNameOrder) {
    AddService("ZETA", "1");
    AddService("acme ONLINE", "2");
    AddService("BBS The Board", "3", "BBS.PHN");  // the editor's upper-case extension
    AddService("Mid", "4", "mid.Phn");
    AddBytes("SHORT.phn", 2417);
    AddBytes("LONG.phn", 2419);
    AddBytes("EMPTY.phn", 0);
    AddService("OTHER", "5", "OTHER.tel");  // network services are not listed
    AddService("PHN", "6", "PHN");

    const std::vector<PhoneBookLine> lines = ListPhoneBook(dir_.str());
    std::vector<std::string> texts, files;
    for (const auto& l : lines) {
        texts.push_back(l.text);
        files.push_back(l.file);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"acme ONLINE", "BBS The Board", "Mid", "ZETA"}));
    EXPECT_EQ(files, (std::vector<std::string>{"acme.phn", "BBS.PHN", "mid.Phn", "ZETA.phn"}));

    // The dialog shows the same lines, the first one selected with its details.
    Book().Open(view_);
    EXPECT_EQ(view_.items[kPhoneList], texts);
    EXPECT_EQ(book_->EntryCount(), 4);
    EXPECT_EQ(view_.Selection(kPhoneList), 0);
    EXPECT_EQ(view_.texts[dlg::kPhoneNumber], "2");
    EXPECT_EQ(view_.texts[dlg::kPhonePortSummary], "COM1:2400,8,N,1");
    EXPECT_FALSE(view_.IsEnabled(dlg::kPhoneRemove));
    Pick(1);
    EXPECT_EQ(view_.texts[dlg::kPhoneNumber], "3");
    EXPECT_EQ(index_, 1);
}

TEST_F(PhoneBookTest, BatchListTakesDoubleClicksAndEmptiesWhenSwitchedOff) {
    AddService("ALPHA", "1");
    AddService("BETA", "2");
    Book().Open(view_);
    book_->Command(view_, dlg::kPhoneBatchDial);
    EXPECT_EQ(settings_.BatchDial, 1);
    EXPECT_TRUE(view_.IsChecked(dlg::kPhoneBatchDial));

    // The same service twice is dialled twice per pass.
    Pick(1);
    book_->ListDoubleClicked(view_);
    Pick(0);
    book_->ListDoubleClicked(view_);
    Pick(1);
    book_->ListDoubleClicked(view_);
    EXPECT_EQ(view_.items[kPhoneBatchList], (std::vector<std::string>{"BETA", "ALPHA", "BETA"}));
    EXPECT_EQ(book_->BatchCount(), 3);
    EXPECT_TRUE(view_.IsEnabled(dlg::kPhoneRemove));

    // Remove the middle one; the selection moves up.
    view_.SelectItem(kPhoneBatchList, 1);
    book_->BatchSelectionChanged(view_);
    book_->Command(view_, dlg::kPhoneRemove);
    EXPECT_EQ(view_.items[kPhoneBatchList], (std::vector<std::string>{"BETA", "BETA"}));
    EXPECT_EQ(book_->BatchSelection(), 0);
    EXPECT_EQ(view_.Selection(kPhoneBatchList), 0);

    // Off empties it, on again starts empty; each switch is written.
    book_->Command(view_, dlg::kPhoneBatchDial);
    EXPECT_TRUE(view_.items[kPhoneBatchList].empty());
    EXPECT_FALSE(view_.IsChecked(dlg::kPhoneBatchDial));
    book_->Command(view_, dlg::kPhoneBatchDial);
    EXPECT_EQ(book_->BatchCount(), 0);
    EXPECT_EQ(store_.writes, (std::vector<std::string>{"seqdial=1", "seqdial=0", "seqdial=1"}));

    // Dial with the list empty is refused.
    book_->Command(view_, dlg::kPhoneDial);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].stringId, str::kStrBatchDialEmpty);
    EXPECT_EQ(ui_.messages[0].style, 0x2010u);
    EXPECT_FALSE(view_.closed);

    // Remove on an empty list does nothing.
    book_->Command(view_, dlg::kPhoneRemove);
    EXPECT_EQ(book_->BatchCount(), 0);
}

TEST_F(PhoneBookTest, BatchDialHandsTheSlotsInListOrderAndLoadsTheFirst) {
    AddService("ALPHA One", "1");
    AddService("LONGNAMES Club", "2");
    settings_.BatchDial = 1;
    Book().Open(view_);
    Pick(1);
    book_->ListDoubleClicked(view_);
    Pick(0);
    book_->ListDoubleClicked(view_);
    book_->Command(view_, dlg::kPhoneDial);
    ASSERT_TRUE(view_.closed);
    EXPECT_EQ(view_.result, kPhoneBookDial);
    ASSERT_EQ(batch_.slots.size(), 2u);
    EXPECT_STREQ(batch_.slots[0].data(), "LONGNAME");
    EXPECT_STREQ(batch_.slots[1].data(), "ALPHA");
    EXPECT_STREQ(current_.ShortName, "LONGNAME");
    EXPECT_EQ(madeCurrent_, std::vector<std::string>{"LONGNAME"});
}

TEST_F(PhoneBookTest, DialAndAutologCloseWithTheirResults) {
    AddService("ALPHA", "555");
    AddService("BETA", "556");
    std::ofstream(dir_ / "BETA.scr") << "exit\r\n";
    struct Case {
        int line, command;
        int result;        // -1: stays open
        int message;       // shown instead, 0 none
    } cases[] = {
        {1, dlg::kPhoneDial, kPhoneBookDial, 0},
        {1, dlg::kPhoneAutolog, kPhoneBookAutolog, 0},
        {0, dlg::kPhoneAutolog, -1, str::kStrScriptFileNotFound},
        {0, dlg::kCancel, kPhoneBookNothing, 0},
    };
    for (const Case& c : cases) {
        view_ = RecordingDialogView();
        ui_ = RecordingUi();
        current_ = DefaultServiceEntry();
        Book().Open(view_);
        Pick(c.line);
        book_->Command(view_, c.command);
        EXPECT_EQ(view_.closed ? view_.result : -1, c.result) << c.command;
        EXPECT_EQ(ui_.messages.empty() ? 0 : ui_.messages[0].stringId, c.message) << c.command;
        if (c.result > 0) {
            EXPECT_STREQ(current_.PhoneNumber, "556");
        }
    }
    // A double click without batch dial is Dial.
    view_ = RecordingDialogView();
    Book().Open(view_);
    book_->ListDoubleClicked(view_);
    EXPECT_EQ(view_.result, kPhoneBookDial);
    EXPECT_STREQ(current_.ShortName, "ALPHA");
}

TEST_F(PhoneBookTest, AnOpenPortRefusesWhatWouldReplaceTheConnectedService) {
    AddService("ALPHA", "1");
    AddService("BETA", "2");
    portOpen_ = true;
    struct Case {
        int command;
        const char* connected;
        bool refused;
    } cases[] = {
        {dlg::kPhoneNew, "BETA", true},      {dlg::kPhoneAutolog, "BETA", true},
        {dlg::kPhoneEdit, "BETA", false},    {dlg::kPhoneDial, "BETA", false},
        {dlg::kPhoneOptions, "ALPHA", true}, {dlg::kPhoneDial, "ALPHA", true},
    };
    for (const Case& c : cases) {
        view_ = RecordingDialogView();
        ui_ = RecordingUi();
        editorOpened_.clear();
        optionsOpened_ = 0;
        current_ = DefaultServiceEntry();
        std::strcpy(current_.ShortName, c.connected);
        Book().Open(view_);
        Pick(1);
        book_->Command(view_, c.command);
        const bool refused = !ui_.messages.empty() && ui_.messages[0].stringId == str::kStrHangUpFirst;
        EXPECT_EQ(refused, c.refused) << c.command << " connected to " << c.connected;
        if (refused) {
            EXPECT_EQ(ui_.messages[0].style, 0x2040u);
            EXPECT_STREQ(current_.ShortName, c.connected) << "the connected service stays current";
            EXPECT_TRUE(editorOpened_.empty());
            EXPECT_EQ(optionsOpened_, 0);
            EXPECT_FALSE(view_.closed);
        }
    }
}

TEST_F(PhoneBookTest, DeleteAsksAndOnlyYesRemovesTheFile) {
    AddService("ALPHA", "1");
    AddService("BETA", "2", "BETA.PHN");
    Book().Open(view_);
    Pick(1);
    ui_.answer = 7;  // No
    book_->Command(view_, dlg::kPhoneDelete);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].stringId, str::kStrConfirmDelete);
    EXPECT_EQ(ui_.messages[0].style, 0x2024u);
    EXPECT_EQ(ui_.beeps, std::vector<unsigned>{kBeepDefault});
    EXPECT_TRUE(fs::exists(dir_ / "BETA.PHN"));
    EXPECT_EQ(book_->EntryCount(), 2);

    ui_.answer = 6;  // Yes: the upper-case file goes too; the last line is reselected
    book_->Command(view_, dlg::kPhoneDelete);
    EXPECT_FALSE(fs::exists(dir_ / "BETA.PHN"));
    EXPECT_EQ(view_.items[kPhoneList], std::vector<std::string>{"ALPHA"});
    EXPECT_EQ(view_.Selection(kPhoneList), 0);
    EXPECT_EQ(view_.texts[dlg::kPhoneNumber], "1");
    book_->Command(view_, dlg::kPhoneDelete);
    EXPECT_TRUE(view_.items[kPhoneList].empty());
    EXPECT_FALSE(view_.IsEnabled(dlg::kPhoneDial)) << "the book is empty";
}

TEST_F(PhoneBookTest, FollowUpOfEachResult) {
    ServiceEntry e = DefaultServiceEntry();
    std::strcpy(e.ShortName, "ACME");
    struct Case {
        int result;
        bool batch, scriptThere;
        bool dial, execute;
        int scriptActive;
    } cases[] = {
        {kPhoneBookNothing, false, false, false, false, -1},
        {kPhoneBookDial, true, true, true, false, 0},
        {kPhoneBookAutolog, false, false, false, true, -1},
        {kPhoneBookAutolog, true, false, true, false, 1},
        {kPhoneBookAutolog, true, true, false, true, 1},
    };
    for (const Case& c : cases) {
        const PhoneBookFollowUp f =
            FollowPhoneBook(c.result, c.batch, e, [&](const std::string&) { return c.scriptThere; });
        EXPECT_EQ(f.startDial, c.dial) << c.result << c.batch << c.scriptThere;
        EXPECT_EQ(f.executeScript, c.execute) << c.result << c.batch << c.scriptThere;
        EXPECT_EQ(f.scriptActive, c.scriptActive) << c.result << c.batch << c.scriptThere;
        if (c.result == kPhoneBookAutolog) {
            EXPECT_EQ(f.scriptPath, "ACME.scr");
        }
    }
}

TEST(DialOptions, ParsesUnsignedNumbersBelow256) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {{"0", 0}, {"255", 255}, {" 12 ", 12}, {"256", -1}, {"", -1}, {"-1", -1}, {"1a", -1},
                 {"99999999999999", -1}};
    for (const Case& c : cases) EXPECT_EQ(ParseDialOption(c.text), c.value) << '"' << c.text << '"';
}

TEST_F(PhoneBookTest, DialOptionsRefuse300WithABeepAndKeepThePreviousValue) {
    AddService("ALPHA", "1");
    current_ = ReadBack("ALPHA");
    current_.DialRetries = 7;
    DialOptionsDialog options(current_, dir_.str(), ui_);
    RecordingDialogView view;
    options.Open(view);
    EXPECT_EQ(view.texts[dlg::kDialOptRetries], "7");
    EXPECT_EQ(view.texts[dlg::kDialOptTimeout], "60");

    view.texts[dlg::kDialOptRetries] = "300";
    options.TextChanged(view, dlg::kDialOptRetries);
    EXPECT_EQ(ui_.beeps, std::vector<unsigned>{kBeepDefault});
    view.texts[dlg::kDialOptTimeout] = "45";
    options.TextChanged(view, dlg::kDialOptTimeout);
    EXPECT_EQ(ui_.beeps.size(), 1u);
    options.Command(view, dlg::kOk);
    EXPECT_EQ(view.result, 1);
    const ServiceEntry saved = ReadBack("ALPHA");
    EXPECT_EQ(saved.DialRetries, 7);
    EXPECT_EQ(saved.DialTimeout, 45);

    // Cancel neither stores nor saves.
    DialOptionsDialog again(current_, dir_.str(), ui_);
    again.Open(view);
    view.texts[dlg::kDialOptRetries] = "3";
    again.TextChanged(view, dlg::kDialOptRetries);
    again.Command(view, dlg::kCancel);
    EXPECT_EQ(view.result, 0);
    EXPECT_EQ(current_.DialRetries, 7);
    EXPECT_EQ(ReadBack("ALPHA").DialRetries, 7);
}

TEST_F(PhoneBookTest, CopySavesUnderTheNewNameOverwritingAnExistingFile) {
    AddService("ALPHA First", "111");
    AddService("BETA Old", "999", "beta.PHN");
    current_ = ReadBack("ALPHA");
    current_.TerminalType = kTypeVt220;
    CopyServiceDialog copy(current_, profile_, dir_.str(), ui_);
    RecordingDialogView view;
    copy.Open(view);
    EXPECT_EQ(view.limits[dlg::kCopyName], 34);
    EXPECT_EQ(view.limits[dlg::kCopyPhone], 39);
    EXPECT_EQ(view.limits[dlg::kCopyPrefix], 6);
    view.texts[dlg::kCopyName] = "BETA New one";
    copy.TextChanged(view, dlg::kCopyName);
    copy.Command(view, dlg::kOk);
    EXPECT_EQ(view.result, 1);
    EXPECT_TRUE(ui_.messages.empty());

    // One file for BETA, holding ALPHA's settings and number under the new name.
    int betas = 0;
    for (const auto& f : fs::directory_iterator(dir_.str()))
        betas += f.path().stem() == "BETA" || f.path().stem() == "beta";
    EXPECT_EQ(betas, 1);
    const ServiceEntry beta = ReadBack("BETA");
    EXPECT_STREQ(beta.NameTail, " New one");
    EXPECT_STREQ(beta.PhoneNumber, "111");
    EXPECT_EQ(beta.TerminalType, kTypeVt220);
    EXPECT_STREQ(ReadBack("ALPHA").PhoneNumber, "111");
}

class ServiceEditorTest : public PhoneBookTest {
protected:
    ServiceEditor& Editor(bool isNew) {
        ServiceEditor::Hooks h;
        h.openTerminal = [this] { current_.TerminalType = kTypeWyse50; };
        h.openModem = [this] { current_.ModemIndex = kUsRoboticsIndex; };
        editor_ = std::make_unique<ServiceEditor>(current_, profile_, dir_.str(), ui_, isNew, h);
        editor_->Open(view_);
        return *editor_;
    }
    void Type(int control, const char* text) {
        view_.texts[control] = text;
        editor_->TextChanged(view_, control);
    }

    std::unique_ptr<ServiceEditor> editor_;
};

TEST_F(ServiceEditorTest, CancelOfAnExistingEntryKeepsTheOtherDialogsChanges) {
    AddService("ACME", "555-0100");
    current_ = ReadBack("ACME");
    Editor(false);
    Type(dlg::kServiceNumber, "555-9999");
    editor_->Command(view_, dlg::kServiceTerm);
    editor_->Command(view_, dlg::kParityBase + 1);
    view_.SelectItem(dlg::kServicePort, 4);
    editor_->SelectionChanged(view_, dlg::kServicePort);
    editor_->Command(view_, dlg::kCancel);
    EXPECT_EQ(view_.result, 0);

    const ServiceEntry saved = ReadBack("ACME");
    EXPECT_EQ(saved.TerminalType, kTypeWyse50);
    EXPECT_STREQ(saved.PhoneNumber, "555-0100");
    EXPECT_EQ(saved.Parity, 0);
    EXPECT_EQ(saved.PortIndex, 0);
    EXPECT_EQ(std::memcmp(&saved, &current_, sizeof saved), 0);
}

TEST_F(ServiceEditorTest, NewEntryCancelWritesNothingAndOkValidatesThenCreatesTheUpperCaseFile) {
    current_ = DefaultServiceEntry();
    Editor(true);
    EXPECT_TRUE(view_.IsEnabled(dlg::kServiceName));
    Type(dlg::kServiceName, "FRESH");
    editor_->Command(view_, dlg::kServiceTerm);
    editor_->Command(view_, dlg::kCancel);
    EXPECT_FALSE(fs::exists(dir_ / "FRESH.PHN"));

    current_ = DefaultServiceEntry();
    view_ = RecordingDialogView();
    Editor(true);
    Type(dlg::kServiceName, "NEWBBS The new one");
    editor_->Command(view_, dlg::kOk);  // no number yet
    EXPECT_FALSE(view_.closed);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].stringId, str::kStrSpecifyPhoneNumber);

    Type(dlg::kServiceNumber, "555-0199");
    editor_->Command(view_, dlg::kDataBitsBase + 1);
    editor_->Command(view_, dlg::kParityBase + 2);
    editor_->Command(view_, dlg::kOk);
    EXPECT_EQ(view_.result, 1);
    ASSERT_TRUE(fs::exists(dir_ / "NEWBBS.PHN"));
    const ServiceEntry saved = ReadBack("NEWBBS");
    EXPECT_STREQ(saved.NameTail, " The new one");
    EXPECT_STREQ(saved.PhoneNumber, "555-0199");
    EXPECT_EQ(saved.DataBitsIndex, 1);
    EXPECT_EQ(saved.Parity, 2);
    EXPECT_EQ(ListPhoneBook(dir_.str()).at(0).text, "NEWBBS The new one");
}

}  // namespace
}  // namespace palvex
