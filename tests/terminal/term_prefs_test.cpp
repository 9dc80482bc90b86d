// Terminal Preferences without a window: the fields it opens with, what the
// terminal list switches, OK's steps in their order with the refusals that
// keep the dialog open, and Cancel.
#include "terminal/term_prefs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "terminal/display_colours.h"

namespace palvex {
namespace {

class TermPrefsTest : public ::testing::Test {
protected:
    void SetUp() override {
        service_ = DefaultServiceEntry();
        service_.TerminalType = kTypeVt100;
        service_.FlowControl = 1;
        service_.DefaultColours = 1;
        service_.BackgroundColour = MakeColour(0, 0, 128);
        service_.TextColour = MakeColour(255, 255, 0);
        screen_ = std::make_unique<TerminalScreen>();
        settings_.ScrollLines = 1000;
    }

    void Open() {
        TermPrefsDialog::Hooks h;
        h.connected = [this] { return connected_; };
        h.applyFlowControl = [this](int flow) { Log("flow " + std::to_string(flow)); };
        h.resetTerminal = [this](int type) { Log("reset " + std::to_string(type)); };
        h.refitHorizontal = [this] { Log("refit " + std::to_string(screen_->columns)); };
        h.setRows = [this](int rows) { Log("rows " + std::to_string(rows)); };
        h.applyColours = [this] { Log("colours"); };
        h.enableColourMenu = [this](bool on) { Log(on ? "menu on" : "menu off"); };
        h.repaint = [this] { Log("repaint"); };
        h.loadKeymap = [this](int type) { Log("keymap " + std::to_string(type)); };
        h.openKeymapEditor = [this](int type) { Log("editor " + std::to_string(type)); };
        // The colour and font dialogs store straight into the record, as the real ones do.
        h.openColourDialog = [this] { Log("colour dialog"); service_.TextColour = MakeColour(1, 2, 3); };
        h.chooseFont = [this](LogFont& f) {
            Log("font dialog");
            return std::strcpy(f.lfFaceName, "Courier New") != nullptr;
        };
        h.setupFont = [this] { Log("setup font"); };
        dialog_ = std::make_unique<TermPrefsDialog>(service_, *screen_, modes_, profile_, settings_, ui_, h);
        view_ = RecordingDialogView();
        dialog_->Open(view_);
        log_.clear();
    }
    void Log(const std::string& s) { log_.push_back(s); }
    void Type(int control, const std::string& text) {
        view_.SetText(control, text);
        if (control == dlg::kTermScrollRange) dialog_->ScrollRangeEdited(view_);
    }
    void Ok() {
        view_.messages.clear();
        dialog_->Command(view_, dlg::kOk);
    }
    std::vector<int> Shown() const {
        std::vector<int> ids;
        for (const auto& m : view_.messages) ids.push_back(m.stringId);
        return ids;
    }

    ServiceEntry service_;
    std::unique_ptr<TerminalScreen> screen_;
    TerminalModes modes_;
    MemoryProfileStore profile_;
    ProgramSettings settings_;
    RecordingUi ui_;
    RecordingDialogView view_;
    std::unique_ptr<TermPrefsDialog> dialog_;
    std::vector<std::string> log_;
    bool connected_ = true;
};

TEST_F(TermPrefsTest, OpeningShowsTheServiceAndTheHeightFallsBackToTheCurrentRows) {
    service_.TerminalWidth = 1;
    service_.LocalEcho = 1;
    service_.BackspaceDelete = 1;
    service_.ResizeMode = 2;
    service_.TerminalType = kTypeWyse50;
    service_.FlowControl = 2;
    service_.TerminalHeight = 0;
    screen_->rows = 30;
    settings_.ScrollLines = 1500;
    Open();
    EXPECT_EQ("30", view_.texts[dlg::kTermHeight]);
    EXPECT_EQ("1500", view_.texts[dlg::kTermScrollRange]);
    const int checks[] = {dlg::kTermWidth132, dlg::kTermWidth80, dlg::kTermLocalEcho, dlg::kTermBsDel,
                          dlg::kTermAutowrap, dlg::kTermResizeBase + 2, dlg::kTermResizeBase};
    std::string ticked;
    for (int id : checks) ticked += view_.checks[id] ? 'x' : '-';
    EXPECT_EQ("x-xx-x-", ticked);
    EXPECT_EQ(kTypeWyse50, dialog_->WorkingType());
    EXPECT_EQ(2, dialog_->WorkingFlow());

    service_.TerminalHeight = 40;
    Open();
    EXPECT_EQ("40", view_.texts[dlg::kTermHeight]);
}

TEST_F(TermPrefsTest, KeypadApplicationOnlyForWyseAndScoAndColourButtonNotForColourTypes) {
    Open();
    for (int type = 1; type <= 9; ++type) {
        dialog_->TypeSelected(view_, type);
        const bool keypad = type == kTypeWyse50 || type == kTypeScoAnsi;
        const bool colour = type != kTypeVt100Color && type != kTypeScoAnsi;
        EXPECT_EQ(keypad, view_.enabled[dlg::kTermKeypadApp]) << type;
        EXPECT_EQ(colour, view_.enabled[dlg::kTermColor]) << type;
    }
    // Only those two types commit the box, and only a connection takes it at once.
    const struct { int type; bool connected; int16_t stored; int live; } cases[] = {
        {kTypeWyse50, true, 1, 1}, {kTypeScoAnsi, false, 1, 0}, {kTypeVt220, true, 0, 0}, {kTypeTty, true, 0, 0}};
    for (const auto& c : cases) {
        service_.KeypadApplication = 0;
        modes_.keypadApp = 0;
        connected_ = c.connected;
        Open();
        dialog_->TypeSelected(view_, c.type);
        view_.SetChecked(dlg::kTermKeypadApp, true);
        Ok();
        EXPECT_TRUE(view_.closed);
        EXPECT_EQ(c.stored, service_.KeypadApplication) << c.type;
        EXPECT_EQ(c.live, modes_.keypadApp) << c.type;
    }
}

TEST_F(TermPrefsTest, HeightOutside24To99IsRefusedAndKeepsTheDialogOpen) {
    const struct {
        const char* typed;
        bool accepted;
    } cases[] = {{"100", false}, {"99", true}, {"23", false}, {"24", true}, {"", false}, {"4O", false}};
    for (const auto& c : cases) {
        service_.TerminalHeight = 0;
        screen_->rows = 24;
        Open();
        Type(dlg::kTermHeight, c.typed);
        Ok();
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(c.accepted, view_.closed);
        if (c.accepted) {
            EXPECT_TRUE(Shown().empty());
            EXPECT_EQ(1, view_.result);
        } else {
            EXPECT_EQ(std::vector<int>{str::kStrTermPageSize}, Shown());
            EXPECT_EQ(0, service_.TerminalHeight);
        }
    }
    // A changed height goes to the record, and to the page only while connected.
    Open();
    Type(dlg::kTermHeight, "99");
    Ok();
    EXPECT_EQ(99, service_.TerminalHeight);
    EXPECT_NE(log_.end(), std::find(log_.begin(), log_.end(), "rows 99"));
    connected_ = false;
    Open();
    Type(dlg::kTermHeight, "50");
    Ok();
    EXPECT_EQ(50, service_.TerminalHeight);
    EXPECT_EQ(log_.end(), std::find(log_.begin(), log_.end(), "rows 50"));
}

TEST_F(TermPrefsTest, ScrollRangeMustLieBetweenTheRowsAnd3000AndAChangeWaitsForTheRestart) {
    const struct {
        const char* typed;
        int rows;
        std::vector<int> shown;
        bool closed;
        const char* written;
    } cases[] = {
        {"20", 24, {str::kStrScrollRangeInvalid}, false, nullptr},
        {"3000", 24, {str::kStrScrollRangeOnRestart}, true, "scroll=3000"},
        {"3001", 24, {str::kStrScrollRangeInvalid}, false, nullptr},
        {"24", 24, {str::kStrScrollRangeOnRestart}, true, "scroll=24"},
        {"30", 40, {str::kStrScrollRangeInvalid}, false, nullptr},
        {"1000", 24, {}, true, nullptr},  // unchanged: nothing said, nothing written
        {"x", 24, {str::kStrScrollRangeInvalid}, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        profile_ = MemoryProfileStore();
        settings_.ScrollLines = 1000;
        screen_->rows = c.rows;
        screen_->scrollRange = 1000;
        service_.TerminalHeight = static_cast<int16_t>(c.rows);
        Open();
        Type(dlg::kTermScrollRange, c.typed);
        Ok();
        EXPECT_EQ(c.shown, Shown());
        EXPECT_EQ(c.closed, view_.closed);
        EXPECT_EQ(c.written ? std::vector<std::string>{c.written} : std::vector<std::string>{}, profile_.writes);
        // The running ring is never resized here.
        EXPECT_EQ(1000, screen_->scrollRange);
    }
}

TEST_F(TermPrefsTest, OnlyAScrollRangeChangeLeavesTheTerminalAsItWas) {
    service_.TerminalHeight = 24;
    Open();
    const ServiceEntry before = service_;
    Type(dlg::kTermScrollRange, "2000");
    Ok();
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(0, std::memcmp(&before, &service_, sizeof before));
    EXPECT_EQ(1000, screen_->scrollRange);
    EXPECT_EQ(2000, settings_.ScrollLines) << "the value the next opening shows";
    for (const auto& entry : log_) EXPECT_NE(0u, entry.rfind("rows", 0)) << entry;
}

TEST_F(TermPrefsTest, ANonNumberInTheScrollRangeBeeps) {
    Open();
    const struct {
        const char* typed;
        int beeps;
        int range;
    } cases[] = {{"25", 0, 25}, {"25a", 1, 0}, {"", 0, 0}, {"-", 1, 0}, {"2500", 0, 2500}};
    for (const auto& c : cases) {
        ui_.beeps.clear();
        Type(dlg::kTermScrollRange, c.typed);
        EXPECT_EQ(c.beeps, static_cast<int>(ui_.beeps.size())) << c.typed;
        EXPECT_EQ(c.range, dialog_->WorkingScrollRange()) << c.typed;
    }
}

TEST_F(TermPrefsTest, OkRunsItsStepsInOrderSoARefusedHeightFollowsAWrittenRange) {
    service_.TerminalHeight = 24;
    Open();
    dialog_->TypeSelected(view_, kTypeVt220);
    dialog_->FlowSelected(3);
    view_.SetChecked(dlg::kTermWidth80, false);
    view_.SetChecked(dlg::kTermWidth132, true);
    view_.SetChecked(dlg::kTermAutowrap, true);
    view_.SetChecked(dlg::kTermBsDel, true);
    view_.SetChecked(dlg::kTermResizeBase, false);
    view_.SetChecked(dlg::kTermResizeBase + 1, true);
    Type(dlg::kTermScrollRange, "500");
    Type(dlg::kTermHeight, "100");
    Ok();
    EXPECT_FALSE(view_.closed);
    EXPECT_EQ((std::vector<int>{str::kStrScrollRangeOnRestart, str::kStrTermPageSize}), Shown());
    EXPECT_EQ(std::vector<std::string>{"scroll=500"}, profile_.writes);
    // Steps 1 to 5 are done, 6 to 9 are not.
    EXPECT_EQ((std::vector<std::string>{"refit 132", "reset 6", "flow 3", "colours", "menu on", "repaint"}), log_);
    EXPECT_EQ(132, screen_->columns);
    EXPECT_EQ(1, screen_->autoWrap);
    EXPECT_EQ(kTypeVt220, service_.TerminalType);
    EXPECT_EQ(3, service_.FlowControl);
    EXPECT_EQ(1, service_.TerminalWidth);
    EXPECT_EQ(1, service_.BackspaceDelete);
    EXPECT_EQ(24, service_.TerminalHeight);
    EXPECT_EQ(0, service_.ResizeMode);

    // Put right, OK again: the range is already saved and not announced twice.
    log_.clear();
    Type(dlg::kTermHeight, "30");
    Ok();
    EXPECT_TRUE(view_.closed);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(std::vector<std::string>{"scroll=500"}, profile_.writes);
    EXPECT_EQ(30, service_.TerminalHeight);
    EXPECT_EQ(1, service_.ResizeMode);
    // The type and flow are already in force, so neither is applied again.
    EXPECT_EQ((std::vector<std::string>{"refit 132", "colours", "menu on", "repaint", "rows 30", "keymap 6"}), log_);

    // A refused range stops before the options of step 5.
    service_.BackspaceDelete = 0;
    Open();
    view_.SetChecked(dlg::kTermBsDel, true);
    view_.SetChecked(dlg::kTermLocalEcho, true);
    Type(dlg::kTermScrollRange, "10");
    Ok();
    EXPECT_FALSE(view_.closed);
    EXPECT_EQ(1, service_.LocalEcho);
    EXPECT_EQ(0, service_.BackspaceDelete);
}

TEST_F(TermPrefsTest, OfflineTheRunningTerminalIsLeftAlone) {
    connected_ = false;
    Open();
    dialog_->TypeSelected(view_, kTypeVt52);
    dialog_->FlowSelected(0);
    view_.SetChecked(dlg::kTermWidth132, true);
    Ok();
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(80, screen_->columns);
    EXPECT_EQ((std::vector<std::string>{"colours", "menu on", "repaint", "keymap 3"}), log_);
    EXPECT_EQ(kTypeVt52, service_.TerminalType);
    EXPECT_EQ(0, service_.FlowControl);
}

TEST_F(TermPrefsTest, SwitchingBetweenColourAndMonochromeTypesSwitchesTheColours) {
    const struct { int from, to; bool connected; std::vector<std::string> log; bool tableColours; } cases[] = {
        {kTypeVt100, kTypeVt100Color, true, {"refit 80", "reset 2", "colours", "menu off", "repaint", "keymap 2"}, true},
        {kTypeVt220, kTypeScoAnsi, false, {"repaint", "keymap 9"}, true},
        {kTypeVt100Color, kTypeVt100, true,
         {"refit 80", "reset 4", "colours", "menu on", "repaint", "keymap 4"}, false},
    };
    for (const auto& c : cases) {
        service_.TerminalType = static_cast<int16_t>(c.from);
        service_.DefaultColours = 1;
        screen_->attr = 0x17;
        screen_->bold = 1;
        connected_ = c.connected;
        Open();
        dialog_->TypeSelected(view_, c.to);
        Ok();
        SCOPED_TRACE(c.to);
        EXPECT_EQ(c.log, log_);
        if (c.tableColours) {
            // Light grey on black, not the monochrome defaults.
            EXPECT_EQ(0, service_.DefaultColours);
            EXPECT_EQ(MakeColour(0, 0, 0), uint32_t{service_.BackgroundColour});
            EXPECT_EQ(MakeColour(191, 191, 191), uint32_t{service_.TextColour});
            EXPECT_EQ(0x70, screen_->attr);
            EXPECT_FALSE(view_.enabled[dlg::kTermColor]);
        } else {
            EXPECT_EQ(1, service_.DefaultColours);
            EXPECT_EQ(0, screen_->bold);
        }
    }
}

TEST_F(TermPrefsTest, CancelPutsTheRecordBackButKeepsWhatTheColourAndFontDialogsStored) {
    service_.TerminalType = kTypeVt100;
    Open();
    const ServiceEntry before = service_;
    dialog_->Command(view_, dlg::kTermColor);
    dialog_->Command(view_, dlg::kTermFont);
    dialog_->TypeSelected(view_, kTypeScoAnsi);
    dialog_->FlowSelected(2);
    view_.SetChecked(dlg::kTermWidth132, true);
    view_.SetChecked(dlg::kTermLocalEcho, true);
    Type(dlg::kTermHeight, "7");
    Ok();  // refused at the height, after committing the type
    ASSERT_FALSE(view_.closed);
    ASSERT_EQ(kTypeScoAnsi, service_.TerminalType);
    dialog_->Command(view_, dlg::kTermKeyboard);
    log_.clear();
    dialog_->Command(view_, dlg::kCancel);
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(0, view_.result);
    ServiceEntry expected = before;
    expected.TextColour = MakeColour(1, 2, 3);
    std::strcpy(expected.TerminalFont.lfFaceName, "Courier New");
    EXPECT_EQ(0, std::memcmp(&expected, &service_, sizeof expected));
    EXPECT_EQ(80, screen_->columns);
    EXPECT_EQ((std::vector<std::string>{"refit 80", "flow 1", "menu on", "colours", "repaint", "keymap 4"}), log_);

    // Without an OK first, Cancel only reloads the keymap of the type it opened with.
    Open();
    dialog_->TypeSelected(view_, kTypeWyse50);
    dialog_->Command(view_, 2);  // Escape
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(std::vector<std::string>{"keymap 4"}, log_);
    EXPECT_EQ(kTypeVt100, service_.TerminalType);
}

TEST_F(TermPrefsTest, TheButtonsOpenTheirDialogsForTheWorkingType) {
    Open();
    dialog_->TypeSelected(view_, kTypeVt320);
    EXPECT_TRUE(dialog_->Command(view_, dlg::kTermKeyboard));
    EXPECT_TRUE(dialog_->Command(view_, dlg::kTermFont));
    EXPECT_TRUE(dialog_->Command(view_, dlg::kHelp));
    EXPECT_FALSE(dialog_->Command(view_, dlg::kTermTypeList));
    EXPECT_EQ((std::vector<std::string>{"editor 7", "font dialog", "setup font"}), log_);
    EXPECT_STREQ("Courier New", service_.TerminalFont.lfFaceName);
    EXPECT_EQ(std::vector<unsigned>{170}, view_.helpContexts);
    EXPECT_FALSE(view_.closed);
}

}  // namespace
}  // namespace palvex
