// The transfer settings dialogs driven through a recording view: what they
// show, what OK refuses, what reaches the service record and when.
#include "transfer/transfer_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <utility>
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
    s.MaxErrors = 0;
    s.KeepBackup = 1;
    s.AsciiStripLf = 0;
    s.ZSkipExisting = 1;
    s.KermitPacketSize = 0;
    std::memcpy(s.AsciiStartChar, "^Q", 2);
    std::memcpy(s.AsciiEndChar, "^Z", 2);
    s.AsciiLineDelay = 40;
    return s;
}

// One dialog, 'P'rotocol, 'K'ermit, 'A'SCII or 'Z'MODEM, opened on a record.
struct Rig {
    explicit Rig(char kind, const std::function<void(ServiceEntry&)>& setup = {}) {
        if (setup) setup(service);
        if (kind == 'P') {
            auto d = Start(std::make_shared<ProtocolDialog>(
                service, ui, ProtocolDialog::Hooks{[this](int p) { optionsOpened.push_back(p); }, {}}));
            select = [this, d](int p) {
                view.SelectItem(dlg::kProtoList, p);
                d->SelectionChanged(view);
            };
        }
        if (kind == 'K') Start(std::make_shared<KermitOptionsDialog>(service, ui));
        if (kind == 'A') Start(std::make_shared<AsciiOptionsDialog>(service, ui));
        if (kind == 'Z') Start(std::make_shared<ZmodemOptionsDialog>(service));
    }
    Rig(const Rig&) = delete;

    template <typename D>
    std::shared_ptr<D> Start(std::shared_ptr<D> d) {
        d->Open(view);
        press = [this, d](int control) { return d->Command(view, control); };
        return d;
    }

    ServiceEntry service = Record();
    RecordingUi ui;
    RecordingDialogView view;
    std::vector<int> optionsOpened;
    std::function<bool(int control)> press;
    std::function<void(int protocol)> select;
};

TEST(TransferSettingsTest, ProtocolDialogShowsTheRecordAndEnablesOptionsForAsciiZmodemAndKermit) {
    const bool hasOptions[kProtocolCount] = {true, false, false, false, false, false, true, true};
    for (int p = 0; p < kProtocolCount; ++p) {
        SCOPED_TRACE(p);
        // The limit is p too: 0 is shown as 5.
        Rig r('P', [p](ServiceEntry& s) { s.Protocol = s.MaxErrors = static_cast<int16_t>(p); });
        EXPECT_EQ(p, r.view.Selection(dlg::kProtoList));
        EXPECT_EQ(p == 0 ? "5" : std::to_string(p), r.view.texts[dlg::kProtoMaxErrors]);
        EXPECT_EQ(hasOptions[p], r.view.IsEnabled(dlg::kProtoOptions));
        // Away to the other kind and back through the list.
        r.select(hasOptions[p] ? kProtoYmodemG : kProtoKermit);
        EXPECT_NE(hasOptions[p], r.view.IsEnabled(dlg::kProtoOptions));
        r.select(p);
        EXPECT_EQ(hasOptions[p], r.view.IsEnabled(dlg::kProtoOptions));
        r.press(dlg::kProtoOptions);
        EXPECT_EQ(hasOptions[p] ? std::vector<int>{p} : std::vector<int>{}, r.optionsOpened);
        ASSERT_EQ(8u, r.view.items[dlg::kProtoList].size());
        EXPECT_EQ("XMODEM/1K", r.view.items[dlg::kProtoList][3]);
    }
    // A number without an entry selects nothing, offers no options and stays.
    Rig odd('P', [](ServiceEntry& s) { s.Protocol = 12; });
    EXPECT_EQ(-1, odd.view.Selection(dlg::kProtoList));
    EXPECT_FALSE(odd.view.IsEnabled(dlg::kProtoOptions));
    odd.press(dlg::kOk);
    EXPECT_EQ(12, odd.service.Protocol);
}

TEST(TransferSettingsTest, OkRefusesWhatIsOutOfRangeWithItsMessageAndStoresNothing) {
    using Field = int (*)(const ServiceEntry&);
    const Field maxErrors = [](const ServiceEntry& s) { return int{s.MaxErrors}; };
    const Field kermit = [](const ServiceEntry& s) { return int{s.KermitPacketSize}; };
    const Field line = [](const ServiceEntry& s) { return int{s.AsciiLineDelay}; };
    const Field character = [](const ServiceEntry& s) { return int{s.AsciiCharDelay}; };
    // refusal: string id, 0 when accepted
    struct Case { char dialog; int control; const char* typed; int refusal; Field field; int stored; } cases[] = {
        {'P', dlg::kProtoMaxErrors, "0", str::kStrMaxErrorsInvalid, maxErrors, 0},
        {'P', dlg::kProtoMaxErrors, "32768", str::kStrMaxErrorsInvalid, maxErrors, 0},
        {'P', dlg::kProtoMaxErrors, " 12 ", 0, maxErrors, 12},
        {'K', dlg::kKermitPacketSize, "64", str::kStrKermitSizeInvalid, kermit, 0},
        {'K', dlg::kKermitPacketSize, "9025", str::kStrKermitSizeInvalid, kermit, 0},
        {'K', dlg::kKermitPacketSize, "9024", 0, kermit, 9024},
        {'A', dlg::kAsciiCharDelay, "-1", str::kStrAsciiDelayInvalid, character, 0},
        {'A', dlg::kAsciiLineDelay, "65536", str::kStrAsciiDelayInvalid, line, 40},
        {'A', dlg::kAsciiLineDelay, "", 0, line, 0},
        {'A', dlg::kAsciiLineDelay, "65535", 0, line, 65535},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.dialog) + " '" + c.typed + "'");
        Rig r(c.dialog);
        r.view.texts[c.control] = c.typed;
        r.press(dlg::kOk);
        EXPECT_EQ(c.stored, c.field(r.service));
        EXPECT_EQ(c.refusal == 0, r.view.closed);
        if (c.refusal == 0) {
            EXPECT_TRUE(r.view.messages.empty());
            continue;
        }
        ASSERT_EQ(1u, r.view.messages.size());
        EXPECT_EQ(c.refusal, r.view.messages[0].stringId);
        EXPECT_EQ(1u, r.ui.beeps.size());
        EXPECT_TRUE(SameRecord(Record(), r.service));
    }
}

// The same changes are stored by OK and dropped by Cancel and Escape.
TEST(TransferSettingsTest, OkStoresBoxesAndFieldsWhileCancelAndEscapeLeaveEveryField) {
    struct Case {
        char dialog;
        std::vector<int> clicks;
        std::vector<std::pair<int, const char*>> typed;
        std::function<void(ServiceEntry&)> stored;  // applied to Record()
        unsigned help;
    } cases[] = {
        {'P', {dlg::kProtoKeepBackup}, {}, [](ServiceEntry& s) { s.KeepBackup = 0, s.MaxErrors = 5; }, 150},
        {'K', {dlg::kKermitEightBit}, {},
         [](ServiceEntry& s) { s.KermitEightBitPrefix = 1, s.KermitPacketSize = 1024; }, 480},
        {'Z', {dlg::kZSkipExisting, dlg::kZCrashRecover, dlg::kZSegmented, dlg::kZEscapeControl}, {},
         [](ServiceEntry& s) { s.ZSkipExisting = 0, s.ZCrashRecover = s.ZSegmented = s.ZEscapeControl = 1; }, 410},
        {'A', {dlg::kAsciiStripLf}, {{dlg::kAsciiStartChar, "A"}, {dlg::kAsciiEndChar, ""}, {dlg::kAsciiCharDelay, "7"}},
         [](ServiceEntry& s) {
             s.AsciiStripLf = 1, s.AsciiCharDelay = 7;
             std::memcpy(s.AsciiStartChar, "A\0", 2);
             std::memcpy(s.AsciiEndChar, "\0\0", 2);
         },
         450},
    };
    for (const Case& c : cases) {
        for (int button : {dlg::kOk, dlg::kCancel, dlg::kEscape}) {
            SCOPED_TRACE(std::string(1, c.dialog) + " button " + std::to_string(button));
            Rig r(c.dialog);
            for (int box : c.clicks) EXPECT_TRUE(r.press(box));
            for (const auto& [control, text] : c.typed) r.view.texts[control] = text;
            r.press(dlg::kHelp);
            EXPECT_TRUE(SameRecord(Record(), r.service)) << "nothing before the button";
            r.press(button);
            ServiceEntry expected = Record();
            if (button == dlg::kOk) c.stored(expected);
            EXPECT_TRUE(r.view.closed);
            EXPECT_EQ(button == dlg::kOk ? 1 : 0, r.view.result);
            EXPECT_TRUE(SameRecord(expected, r.service));
            EXPECT_EQ(std::vector<unsigned>{c.help}, r.view.helpContexts);
        }
    }
    // The character fields take at most two characters and show what they hold.
    Rig ascii('A');
    EXPECT_EQ(2, ascii.view.limits[dlg::kAsciiStartChar]);
    EXPECT_EQ(2, ascii.view.limits[dlg::kAsciiEndChar]);
    EXPECT_EQ("^Q", ascii.view.texts[dlg::kAsciiStartChar]);
    Rig kermit('K');
    EXPECT_EQ("1024", kermit.view.texts[dlg::kKermitPacketSize]);
}

TEST(BatchListTest, PathIsDriveThenDirectoryUnlessRootThenName) {
    struct Case { const char* cwd; const char* name; const char* path; } cases[] = {
        {"C:\\", "A.TXT", "C:\\A.TXT"},
        {"D:\\DL\\NEW\\", "long name.tar.gz", "D:\\DL\\NEW\\long name.tar.gz"},
        {"C:\\DL", "SUB\\A.TXT", "C:\\DL\\SUB\\A.TXT"},
        {"\\\\server\\share", "f.bin", "\\\\server\\share\\f.bin"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.path, BatchFilePath(c.cwd, c.name)) << c.cwd << " + " << c.name;
}

// A list box that takes only so many entries, as one out of memory would.
class SmallListView : public RecordingDialogView {
public:
    int capacity = 1000;
    bool outOfMemory = false;
    void AddItem(int control, const std::string& text) override {
        if (ItemCount(control) < capacity) RecordingDialogView::AddItem(control, text);
    }
    std::string ItemText(int control, int index) override {
        if (outOfMemory) throw std::bad_alloc();
        return RecordingDialogView::ItemText(control, index);
    }
};

// Steps: "+path" adds (what the chooser answers; "+" is a cancelled choice),
// "-" presses Delete, "@n" clicks entry n, "!n" sets the list box's capacity,
// and a button id as text presses that button.
struct BatchRig {
    RecordingUi ui;
    SmallListView view;
    std::vector<std::string> widened;
    BatchListDialog dialog{ui, {[this] { return chosen; }, [this](const std::string& t) { widened.push_back(t); }}};
    std::string chosen;

    explicit BatchRig(const std::vector<std::string>& steps) {
        dialog.Open(view);
        for (const std::string& step : steps) {
            const std::string arg = step.substr(1);
            switch (step[0]) {
            case '+': chosen = arg, dialog.Command(view, dlg::kBatchAdd); break;
            case '-': dialog.Command(view, dlg::kBatchDelete); break;
            case '@': view.SelectItem(dlg::kBatchList, std::stoi(arg)); break;
            case '!': view.capacity = std::stoi(arg); break;
            case '~': view.outOfMemory = true; break;
            default: dialog.Command(view, std::stoi(step)); break;
            }
        }
    }
};

TEST(BatchListTest, AddAndDeleteKeepTheListTheSelectionAndTheDeleteButton) {
    struct Case {
        std::vector<std::string> steps;
        std::vector<std::string> list;
        int selection;
        bool deleteEnabled;
        int messages;
    } cases[] = {
        {{}, {}, -1, false, 0},
        {{"+C:\\A"}, {"C:\\A"}, 0, true, 0},
        {{"+"}, {}, -1, false, 0},
        {{"+C:\\A", "+C:\\B", "+C:\\C", "-"}, {"C:\\B", "C:\\C"}, 0, true, 0},
        {{"+C:\\A", "+C:\\B", "+C:\\C", "@1", "-"}, {"C:\\A", "C:\\C"}, 0, true, 0},
        {{"!1", "+C:\\A", "+C:\\B"}, {"C:\\A"}, 0, true, 1},
        // An entry of the senders' list holds 260 bytes with the NUL.
        {{"+C:\\" + std::string(257, 'x')}, {}, -1, false, 1},
        {{"+C:\\" + std::string(256, 'y')}, {"C:\\" + std::string(256, 'y')}, 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.steps).substr(0, 80));
        BatchRig r(c.steps);
        EXPECT_EQ(c.list, r.view.items[dlg::kBatchList]);
        EXPECT_EQ(c.selection, r.view.Selection(dlg::kBatchList));
        EXPECT_EQ(c.deleteEnabled, r.view.IsEnabled(dlg::kBatchDelete));
        EXPECT_EQ(static_cast<int>(c.list.size()), r.dialog.BatchCount());
        // Every path taken, and only those, may widen the list.
        if (std::find(c.steps.begin(), c.steps.end(), "-") == c.steps.end()) {
            EXPECT_EQ(c.list, r.widened);
        }
        ASSERT_EQ(static_cast<size_t>(c.messages), r.view.messages.size());
        if (c.messages && c.list.size() == 1) {
            EXPECT_EQ(str::kStrBatchListFull, r.view.messages[0].stringId);
        }
        EXPECT_FALSE(r.view.closed);
    }
}

TEST(BatchListTest, DoneReturnsTheCountWithThePathsAndCancelOrAnEmptyDoneReturnZero) {
    const std::string done = std::to_string(dlg::kBatchDone), cancel = std::to_string(dlg::kCancel),
                      escape = std::to_string(dlg::kEscape);
    struct Case { std::vector<std::string> steps; std::vector<std::string> list; } cases[] = {
        {{"+C:\\A.ZIP", "+C:\\DL\\B.TXT", done}, {"C:\\A.ZIP", "C:\\DL\\B.TXT"}},
        {{done}, {}},
        {{"+C:\\A.ZIP", "+C:\\B", cancel}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.steps));
        BatchRig r(c.steps);
        EXPECT_TRUE(r.view.closed);
        EXPECT_EQ(static_cast<int>(c.list.size()), r.view.result);
        EXPECT_EQ(static_cast<int>(c.list.size()), r.dialog.BatchCount());
        EXPECT_EQ(c.list, r.dialog.BatchList());
    }
    // A list that cannot be copied out stays open with its message.
    BatchRig full({"+C:\\A", "~", done});
    EXPECT_FALSE(full.view.closed);
    ASSERT_EQ(1u, full.view.messages.size());
    EXPECT_EQ(str::kStrBatchAllocFailed, full.view.messages[0].stringId);

    BatchRig help({std::to_string(dlg::kHelp)});
    EXPECT_EQ(std::vector<unsigned>{350}, help.view.helpContexts);
    EXPECT_FALSE(help.dialog.Command(help.view, 4242));
}

}  // namespace
}  // namespace palvex
