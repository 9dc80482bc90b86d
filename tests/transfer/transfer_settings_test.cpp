// The transfer settings dialogs driven through a recording view: what they
// show, what OK refuses, what reaches the service record and when.
#include "transfer/transfer_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "transfer/transfer_state.h"

namespace palvex {
namespace {

bool SameRecord(const ServiceEntry& a, const ServiceEntry& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

ServiceEntry Record() {
    ServiceEntry s = DefaultServiceEntry();
    s.Protocol = kProtoXmodemCrc;
    s.MaxErrors = 9;
    s.KeepBackup = 1;
    s.ZSkipExisting = 1;
    s.ZSegmented = 0;
    s.KermitPacketSize = 500;
    s.KermitEightBitPrefix = 0;
    s.AsciiStripLf = 0;
    std::memcpy(s.AsciiStartChar, "^Q", 2);
    std::memcpy(s.AsciiEndChar, "^Z", 2);
    s.AsciiLineDelay = 40;
    s.AsciiCharDelay = 3;
    return s;
}

// ---- Protocol Preference ----

class ProtocolDialogTest : public ::testing::Test {
protected:
    ProtocolDialog Make() {
        return ProtocolDialog(service, ui, {[this](int p) { options.push_back(p); }, [this] { ++defDirs; }});
    }
    ServiceEntry service = Record();
    RecordingUi ui;
    RecordingDialogView view;
    std::vector<int> options;
    int defDirs = 0;
};

TEST_F(ProtocolDialogTest, OpensWithTheEightNamesTheRecordsValuesAndAZeroLimitShownAsFive) {
    struct Case {
        int16_t maxErrors;
        const char* shown;
    } cases[] = {{0, "5"}, {1, "1"}, {9, "9"}, {32767, "32767"}};
    for (const Case& c : cases) {
        service.MaxErrors = c.maxErrors;
        RecordingDialogView v;
        ProtocolDialog d = Make();
        d.Open(v);
        EXPECT_EQ(c.shown, v.texts[dlg::kProtoMaxErrors]) << c.maxErrors;
        EXPECT_EQ(c.maxErrors, service.MaxErrors) << "opening writes nothing";
        EXPECT_EQ((std::vector<std::string>{"ASCII", "XMODEM/CHECKSUM", "XMODEM/CRC", "XMODEM/1K", "YMODEM BATCH",
                                            "YMODEM G", "ZMODEM", "KERMIT"}),
                  v.items[dlg::kProtoList]);
        EXPECT_EQ(kProtoXmodemCrc, v.Selection(dlg::kProtoList));
        EXPECT_TRUE(v.checks[dlg::kProtoKeepBackup]);
    }
}

TEST_F(ProtocolDialogTest, OptionsIsEnabledOnlyForAsciiZmodemAndKermit) {
    const bool hasOptions[kProtocolCount] = {true, false, false, false, false, false, true, true};
    for (int p = 0; p < kProtocolCount; ++p) {
        // As the record opens the dialog ...
        service.Protocol = static_cast<int16_t>(p);
        RecordingDialogView opened;
        ProtocolDialog a = Make();
        a.Open(opened);
        EXPECT_EQ(hasOptions[p], opened.IsEnabled(dlg::kProtoOptions)) << "open " << p;

        // ... and as the selection moves there from the other kind.
        service.Protocol = hasOptions[p] ? kProtoXmodem1k : kProtoZmodem;
        RecordingDialogView moved;
        ProtocolDialog b = Make();
        b.Open(moved);
        moved.SelectItem(dlg::kProtoList, p);
        b.SelectionChanged(moved);
        EXPECT_EQ(hasOptions[p], moved.IsEnabled(dlg::kProtoOptions)) << "select " << p;

        // The button opens the option dialog of the selected protocol only.
        options.clear();
        EXPECT_TRUE(b.Command(moved, dlg::kProtoOptions));
        EXPECT_EQ(hasOptions[p] ? std::vector<int>{p} : std::vector<int>{}, options) << p;
    }
}

TEST_F(ProtocolDialogTest, OkReadsTheLimitAndRefusesWhatIsNotAUsableNumber) {
    struct Case {
        const char* typed;
        int stored;  // 0: refused
    } cases[] = {
        {"0", 0},      {"", 0},        {"abc", 0},     {"-3", 0},      {"32768", 0}, {"7x", 0},
        {"1", 1},      {" 12 ", 12},   {"32767", 32767}, {"5", 5},
    };
    for (const Case& c : cases) {
        service = Record();
        const ServiceEntry before = service;
        RecordingDialogView v;
        ui.beeps.clear();
        ProtocolDialog d = Make();
        d.Open(v);
        v.SelectItem(dlg::kProtoList, kProtoZmodem);
        d.SelectionChanged(v);
        d.Command(v, dlg::kProtoKeepBackup);
        v.texts[dlg::kProtoMaxErrors] = c.typed;
        EXPECT_TRUE(d.Command(v, dlg::kOk));
        if (c.stored == 0) {
            EXPECT_FALSE(v.closed) << c.typed;
            ASSERT_EQ(1u, v.messages.size()) << c.typed;
            EXPECT_EQ(str::kStrMaxErrorsInvalid, v.messages[0].stringId);
            EXPECT_EQ(1u, ui.beeps.size());
            EXPECT_TRUE(SameRecord(before, service)) << c.typed;
        } else {
            EXPECT_TRUE(v.closed) << c.typed;
            EXPECT_EQ(1, v.result);
            EXPECT_TRUE(v.messages.empty());
            EXPECT_EQ(c.stored, service.MaxErrors) << c.typed;
            EXPECT_EQ(kProtoZmodem, service.Protocol);
            EXPECT_EQ(0, service.KeepBackup);
        }
    }
}

TEST_F(ProtocolDialogTest, AZeroLimitIsStoredAsFiveByAnUntouchedOk) {
    service.MaxErrors = 0;
    ProtocolDialog d = Make();
    d.Open(view);
    d.Command(view, dlg::kOk);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(5, service.MaxErrors);
}

TEST_F(ProtocolDialogTest, AProtocolNumberWithoutAnEntrySelectsNothingAndOkKeepsIt) {
    service.Protocol = 12;
    ProtocolDialog d = Make();
    d.Open(view);
    EXPECT_EQ(-1, view.Selection(dlg::kProtoList));
    EXPECT_FALSE(view.IsEnabled(dlg::kProtoOptions));
    d.Command(view, dlg::kOk);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(12, service.Protocol);
}

TEST_F(ProtocolDialogTest, OtherButtonsReachTheirHooksAndHelpContext) {
    ProtocolDialog d = Make();
    d.Open(view);
    EXPECT_TRUE(d.Command(view, dlg::kProtoDefDir));
    EXPECT_TRUE(d.Command(view, dlg::kHelp));
    EXPECT_FALSE(d.Command(view, 12345));
    EXPECT_EQ(1, defDirs);
    EXPECT_EQ(std::vector<unsigned>{150}, view.helpContexts);
    EXPECT_FALSE(view.closed);
}

// ---- The option dialogs ----

TEST(KermitOptionsTest, PacketSizeIsAcceptedFrom65To9024AndZeroIsShownAs1024) {
    struct Case {
        const char* typed;
        bool accepted;
    } cases[] = {{"64", false}, {"9025", false}, {"0", false}, {"", false},     {"abc", false},
                 {"-70", false}, {"65", true},   {"9024", true}, {" 1024", true}, {"2048 ", true}};
    for (const Case& c : cases) {
        ServiceEntry service = Record();
        service.KermitPacketSize = 0;
        const ServiceEntry before = service;
        RecordingUi ui;
        RecordingDialogView v;
        KermitOptionsDialog d(service, ui);
        d.Open(v);
        EXPECT_EQ("1024", v.texts[dlg::kKermitPacketSize]);
        d.Command(v, dlg::kKermitEightBit);
        v.texts[dlg::kKermitPacketSize] = c.typed;
        d.Command(v, dlg::kOk);
        EXPECT_EQ(c.accepted, v.closed) << c.typed;
        if (c.accepted) {
            EXPECT_EQ(std::stoi(c.typed), service.KermitPacketSize) << c.typed;
            EXPECT_EQ(1, service.KermitEightBitPrefix);
            EXPECT_TRUE(v.messages.empty());
        } else {
            ASSERT_EQ(1u, v.messages.size()) << c.typed;
            EXPECT_EQ(str::kStrKermitSizeInvalid, v.messages[0].stringId);
            EXPECT_EQ(1u, ui.beeps.size());
            EXPECT_TRUE(SameRecord(before, service)) << c.typed;
        }
    }
}

TEST(AsciiOptionsTest, DelaysAreReadSignedAndRefusedBelowZero) {
    struct Case {
        const char* line;
        const char* character;
        int storedLine;  // -1: refused
        int storedChar;
    } cases[] = {
        {"-1", "0", -1, 0},    {"0", "-1", -1, 0},    {"65536", "0", -1, 0}, {"1x", "0", -1, 0},
        {"0", "0", 0, 0},      {"", " ", 0, 0},       {"250", "15", 250, 15}, {"65535", "1", 65535, 1},
    };
    for (const Case& c : cases) {
        ServiceEntry service = Record();
        const ServiceEntry before = service;
        RecordingUi ui;
        RecordingDialogView v;
        AsciiOptionsDialog d(service, ui);
        d.Open(v);
        d.Command(v, dlg::kAsciiStripLf);
        v.texts[dlg::kAsciiStartChar] = "A";
        v.texts[dlg::kAsciiLineDelay] = c.line;
        v.texts[dlg::kAsciiCharDelay] = c.character;
        d.Command(v, dlg::kOk);
        const std::string label = std::string(c.line) + "/" + c.character;
        if (c.storedLine < 0) {
            EXPECT_FALSE(v.closed) << label;
            ASSERT_EQ(1u, v.messages.size()) << label;
            EXPECT_EQ(str::kStrAsciiDelayInvalid, v.messages[0].stringId);
            EXPECT_EQ(1u, ui.beeps.size());
            EXPECT_TRUE(SameRecord(before, service)) << label;
        } else {
            EXPECT_TRUE(v.closed) << label;
            EXPECT_EQ(c.storedLine, service.AsciiLineDelay) << label;
            EXPECT_EQ(c.storedChar, service.AsciiCharDelay) << label;
            EXPECT_EQ(1, service.AsciiStripLf);
        }
    }
}

TEST(AsciiOptionsTest, StartAndEndCharactersHoldUpToTwoCharactersWithoutANul) {
    struct Case {
        const char* typed;
        char stored[2];
    } cases[] = {{"^C", {'^', 'C'}}, {"A", {'A', 0}}, {"", {0, 0}}, {"^Z", {'^', 'Z'}}};
    for (const Case& c : cases) {
        ServiceEntry service = Record();
        RecordingUi ui;
        RecordingDialogView v;
        AsciiOptionsDialog d(service, ui);
        d.Open(v);
        EXPECT_EQ("^Q", v.texts[dlg::kAsciiStartChar]);
        EXPECT_EQ("^Z", v.texts[dlg::kAsciiEndChar]);
        EXPECT_EQ(2, v.limits[dlg::kAsciiStartChar]);
        EXPECT_EQ(2, v.limits[dlg::kAsciiEndChar]);
        v.texts[dlg::kAsciiStartChar] = c.typed;
        v.texts[dlg::kAsciiEndChar] = c.typed;
        d.Command(v, dlg::kOk);
        ASSERT_TRUE(v.closed) << c.typed;
        EXPECT_EQ(0, std::memcmp(c.stored, service.AsciiStartChar, 2)) << c.typed;
        EXPECT_EQ(0, std::memcmp(c.stored, service.AsciiEndChar, 2)) << c.typed;
        // The neighbouring field is not touched by a full one.
        EXPECT_EQ(1, service.KeepBackup);
    }
}

TEST(ZmodemOptionsTest, EachBoxTogglesItsOwnFieldOnOk) {
    struct Case {
        int box;
        int16_t ServiceEntry::*field;
    } cases[] = {{dlg::kZSkipExisting, &ServiceEntry::ZSkipExisting},
                 {dlg::kZCrashRecover, &ServiceEntry::ZCrashRecover},
                 {dlg::kZSegmented, &ServiceEntry::ZSegmented},
                 {dlg::kZEscapeControl, &ServiceEntry::ZEscapeControl}};
    for (const Case& c : cases) {
        ServiceEntry service = Record();
        ServiceEntry expected = service;
        expected.*c.field = service.*c.field ? 0 : 1;
        RecordingDialogView v;
        ZmodemOptionsDialog d(service);
        d.Open(v);
        EXPECT_EQ(service.*c.field != 0, v.IsChecked(c.box));
        d.Command(v, c.box);
        EXPECT_EQ(expected.*c.field != 0, v.IsChecked(c.box));
        EXPECT_TRUE(SameRecord(Record(), service)) << "nothing before OK";
        d.Command(v, dlg::kOk);
        EXPECT_TRUE(v.closed);
        EXPECT_TRUE(SameRecord(expected, service)) << c.box;
    }
}

// Every dialog, with every control changed, then left by Cancel or Escape.
TEST(TransferSettingsCancelTest, CancelAndEscapeLeaveEveryFieldAsItWas) {
    struct Case {
        const char* name;
        unsigned help;
        std::function<void(ServiceEntry&, RecordingUi&, RecordingDialogView&, int button)> run;
    } cases[] = {
        {"protocol", kProtocolHelpContext,
         [](ServiceEntry& s, RecordingUi& ui, RecordingDialogView& v, int button) {
             s.MaxErrors = 0;
             ProtocolDialog d(s, ui, {});
             d.Open(v);
             v.SelectItem(dlg::kProtoList, kProtoKermit);
             d.SelectionChanged(v);
             d.Command(v, dlg::kProtoKeepBackup);
             v.texts[dlg::kProtoMaxErrors] = "20";
             d.Command(v, dlg::kHelp);
             d.Command(v, button);
         }},
        {"zmodem", kZmodemOptionsHelpContext,
         [](ServiceEntry& s, RecordingUi&, RecordingDialogView& v, int button) {
             ZmodemOptionsDialog d(s);
             d.Open(v);
             for (int box : {dlg::kZSkipExisting, dlg::kZCrashRecover, dlg::kZSegmented, dlg::kZEscapeControl})
                 d.Command(v, box);
             d.Command(v, dlg::kHelp);
             d.Command(v, button);
         }},
        {"kermit", kKermitOptionsHelpContext,
         [](ServiceEntry& s, RecordingUi& ui, RecordingDialogView& v, int button) {
             s.KermitPacketSize = 0;
             KermitOptionsDialog d(s, ui);
             d.Open(v);
             v.texts[dlg::kKermitPacketSize] = "300";
             d.Command(v, dlg::kKermitEightBit);
             d.Command(v, dlg::kHelp);
             d.Command(v, button);
         }},
        {"ascii", kAsciiOptionsHelpContext,
         [](ServiceEntry& s, RecordingUi& ui, RecordingDialogView& v, int button) {
             AsciiOptionsDialog d(s, ui);
             d.Open(v);
             d.Command(v, dlg::kAsciiStripLf);
             v.texts[dlg::kAsciiStartChar] = "X";
             v.texts[dlg::kAsciiEndChar] = "";
             v.texts[dlg::kAsciiLineDelay] = "7";
             v.texts[dlg::kAsciiCharDelay] = "8";
             d.Command(v, dlg::kHelp);
             d.Command(v, button);
         }},
    };
    for (const Case& c : cases) {
        for (int button : {dlg::kCancel, dlg::kEscape}) {
            ServiceEntry service = Record();
            RecordingUi ui;
            RecordingDialogView v;
            c.run(service, ui, v, button);
            ServiceEntry expected = Record();
            if (std::string(c.name) == "protocol") expected.MaxErrors = 0;
            if (std::string(c.name) == "kermit") expected.KermitPacketSize = 0;
            EXPECT_TRUE(v.closed) << c.name << " " << button;
            EXPECT_EQ(0, v.result);
            EXPECT_TRUE(SameRecord(expected, service)) << c.name << " " << button;
            EXPECT_EQ(std::vector<unsigned>{c.help}, v.helpContexts) << c.name;
        }
    }
}

// ---- Batch list ----

TEST(BatchFilePathTest, DriveThenDirectoryUnlessRootThenName) {
    struct Case {
        const char* cwd;
        const char* name;
        const char* path;
    } cases[] = {
        {"C:\\", "A.TXT", "C:\\A.TXT"},
        {"C:", "A.TXT", "C:\\A.TXT"},
        {"C:\\DL", "A.TXT", "C:\\DL\\A.TXT"},
        {"D:\\DL\\NEW", "long name.tar.gz", "D:\\DL\\NEW\\long name.tar.gz"},
        {"D:\\DL\\NEW\\", "x", "D:\\DL\\NEW\\x"},
        {"C:\\DL", "SUB\\A.TXT", "C:\\DL\\SUB\\A.TXT"},
        {"\\\\server\\share\\dir", "f.bin", "\\\\server\\share\\dir\\f.bin"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.path, BatchFilePath(c.cwd, c.name)) << c.cwd << " + " << c.name;
}

// A list box that takes only so many entries, as one out of memory would.
class SmallListView : public RecordingDialogView {
public:
    int capacity = 1000;
    void AddItem(int control, const std::string& text) override {
        if (ItemCount(control) < capacity) RecordingDialogView::AddItem(control, text);
    }
};

class BatchListTest : public ::testing::Test {
protected:
    BatchListDialog Make() {
        return BatchListDialog(ui, {[this] {
                                        if (chosen.empty()) return std::string();
                                        std::string next = chosen.front();
                                        chosen.erase(chosen.begin());
                                        return next;
                                    },
                                    [this](const std::string& text) { widened.push_back(text); }});
    }
    RecordingUi ui;
    SmallListView view;
    std::vector<std::string> chosen;  // what the chooser answers, "" for Cancel
    std::vector<std::string> widened;
};

// Scripts of Add ("+path", "+" for a cancelled choice), Delete ("-") and a
// selection click ("@n"), each followed by what the list shows.
TEST_F(BatchListTest, AddAndDeleteKeepTheListTheSelectionAndTheDeleteButton) {
    struct Case {
        const char* name;
        std::vector<std::string> steps;
        std::vector<std::string> list;
        int selection;
        bool deleteEnabled;
        int count;
    } cases[] = {
        {"nothing yet", {}, {}, -1, false, 0},
        {"one added", {"+C:\\A"}, {"C:\\A"}, 0, true, 1},
        {"chooser cancelled", {"+"}, {}, -1, false, 0},
        {"three in order", {"+C:\\A", "+C:\\B", "+C:\\C"}, {"C:\\A", "C:\\B", "C:\\C"}, 0, true, 3},
        {"the only entry deleted", {"+C:\\A", "-"}, {}, -1, false, 0},
        {"the last one deleted", {"+C:\\A", "+C:\\B", "@1", "-"}, {"C:\\A"}, 0, true, 1},
        {"the first one deleted", {"+C:\\A", "+C:\\B", "+C:\\C", "-"}, {"C:\\B", "C:\\C"}, 0, true, 2},
        {"a middle one deleted", {"+C:\\A", "+C:\\B", "+C:\\C", "@1", "-"}, {"C:\\A", "C:\\C"}, 0, true, 2},
        {"added after emptying", {"+C:\\A", "-", "+C:\\B"}, {"C:\\B"}, 0, true, 1},
        {"the same file twice", {"+C:\\A", "+C:\\A"}, {"C:\\A", "C:\\A"}, 0, true, 2},
    };
    for (const Case& c : cases) {
        SmallListView v;
        chosen.clear();
        BatchListDialog d = Make();
        d.Open(v);
        for (const std::string& step : c.steps) {
            if (step[0] == '+') {
                chosen.push_back(step.substr(1));
                EXPECT_TRUE(d.Command(v, dlg::kBatchAdd));
            } else if (step[0] == '-') {
                EXPECT_TRUE(d.Command(v, dlg::kBatchDelete));
            } else {
                v.SelectItem(dlg::kBatchList, std::stoi(step.substr(1)));
            }
        }
        EXPECT_EQ(c.list, v.items[dlg::kBatchList]) << c.name;
        EXPECT_EQ(c.selection, v.Selection(dlg::kBatchList)) << c.name;
        EXPECT_EQ(c.deleteEnabled, v.IsEnabled(dlg::kBatchDelete)) << c.name;
        EXPECT_EQ(c.count, d.BatchCount()) << c.name;
        EXPECT_TRUE(v.messages.empty()) << c.name;
        EXPECT_FALSE(v.closed) << c.name;
    }
}

TEST_F(BatchListTest, DoneReturnsTheCountWithThePathsAndCancelOrAnEmptyDoneReturnZero) {
    struct Case {
        const char* name;
        std::vector<std::string> added;
        int deletes;
        int button;
        int result;
    } cases[] = {
        {"done with two", {"C:\\A.ZIP", "C:\\DL\\B.TXT"}, 0, dlg::kBatchDone, 2},
        {"done with none", {}, 0, dlg::kBatchDone, 0},
        {"done after deleting all", {"C:\\A.ZIP"}, 1, dlg::kBatchDone, 0},
        {"cancel with two", {"C:\\A.ZIP", "C:\\B"}, 0, dlg::kCancel, 0},
        {"escape with one", {"C:\\A.ZIP"}, 0, dlg::kEscape, 0},
    };
    for (const Case& c : cases) {
        SmallListView v;
        chosen = c.added;
        BatchListDialog d = Make();
        d.Open(v);
        for (size_t i = 0; i < c.added.size(); ++i) d.Command(v, dlg::kBatchAdd);
        for (int i = 0; i < c.deletes; ++i) d.Command(v, dlg::kBatchDelete);
        d.Command(v, c.button);
        EXPECT_TRUE(v.closed) << c.name;
        EXPECT_EQ(c.result, v.result) << c.name;
        EXPECT_EQ(c.result, d.BatchCount()) << c.name;
        EXPECT_EQ(c.result > 0 ? c.added : std::vector<std::string>{}, d.BatchList()) << c.name;
    }
}

TEST_F(BatchListTest, AFullListBoxOrAnOverlongPathIsRefusedAndTheListStaysUsable) {
    view.capacity = 2;
    chosen = {"C:\\A", "C:\\B", "C:\\C", "C:\\" + std::string(kBatchPathSize - 3, 'x'),
              "C:\\" + std::string(kBatchPathSize - 4, 'y')};
    BatchListDialog d = Make();
    d.Open(view);
    d.Command(view, dlg::kBatchAdd);
    d.Command(view, dlg::kBatchAdd);
    d.Command(view, dlg::kBatchAdd);
    ASSERT_EQ(1u, view.messages.size());
    EXPECT_EQ(str::kStrBatchListFull, view.messages[0].stringId);
    EXPECT_EQ(2, d.BatchCount());

    view.capacity = 10;
    d.Command(view, dlg::kBatchAdd);  // 260 bytes: no room for the NUL
    ASSERT_EQ(2u, view.messages.size());
    EXPECT_NE(std::string::npos, view.messages[1].extra.find("xxx"));
    d.Command(view, dlg::kBatchAdd);  // 259 bytes fit
    EXPECT_EQ(2u, view.messages.size());
    EXPECT_EQ(3, d.BatchCount());

    // Every accepted path, and only those, may widen the list box.
    EXPECT_EQ(3u, widened.size());
    EXPECT_EQ(chosen.size(), 0u);
    d.Command(view, dlg::kBatchDone);
    EXPECT_EQ(3, view.result);
    EXPECT_EQ(static_cast<size_t>(kBatchPathSize - 1), d.BatchList()[2].size());
}

TEST_F(BatchListTest, HelpOpensContext350AndUnknownButtonsAreNotTaken) {
    BatchListDialog d = Make();
    d.Open(view);
    EXPECT_TRUE(d.Command(view, dlg::kHelp));
    EXPECT_FALSE(d.Command(view, 4242));
    EXPECT_EQ(std::vector<unsigned>{350}, view.helpContexts);
    EXPECT_FALSE(view.closed);
}

}  // namespace
}  // namespace palvex
