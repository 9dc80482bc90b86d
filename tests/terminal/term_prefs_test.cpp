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

using Log = std::vector<std::string>;

class TermPrefsTest : public ::testing::Test {
protected:
    void SetUp() override {
        service_ = DefaultServiceEntry();
        service_.TerminalType = kTypeVt100;
        service_.FlowControl = 1;
        service_.DefaultColours = 1;
        service_.TextColour = MakeColour(255, 255, 0);
        settings_.ScrollLines = 1000;
    }

    void Open() {
        TermPrefsDialog::Hooks h;
        h.connected = [this] { return connected_; };
        h.applyFlowControl = [this](int flow) { log_.push_back("flow " + std::to_string(flow)); };
        h.resetTerminal = [this](int type) { log_.push_back("reset " + std::to_string(type)); };
        h.refitHorizontal = [this] { log_.push_back("refit " + std::to_string(screen_->columns)); };
        h.setRows = [this](int rows) { log_.push_back("rows " + std::to_string(rows)); };
        h.applyColours = [this] { log_.push_back("colours"); };
        h.enableColourMenu = [this](bool on) { log_.push_back(on ? "menu on" : "menu off"); };
        h.repaint = [this] { log_.push_back("repaint"); };
        h.loadKeymap = [this](int type) { log_.push_back("keymap " + std::to_string(type)); };
        h.openKeymapEditor = [this](int type) { log_.push_back("editor " + std::to_string(type)); };
        // The colour and font dialogs store straight into the record, as the real ones do.
        h.openColourDialog = [this] { service_.TextColour = MakeColour(1, 2, 3); };
        h.chooseFont = [this](LogFont& f) {
            log_.push_back("font dialog");
            return std::strcpy(f.lfFaceName, "Courier New") != nullptr;
        };
        h.setupFont = [this] { log_.push_back("setup font"); };
        dialog_ = std::make_unique<TermPrefsDialog>(service_, *screen_, modes_, profile_, settings_, ui_, h);
        view_ = RecordingDialogView();
        dialog_->Open(view_);
        log_.clear();
    }
    void Type(int control, const std::string& text) {
        view_.SetText(control, text);
        if (control == dlg::kTermScrollRange) dialog_->ScrollRangeEdited(view_);
    }
    std::vector<int> Ok() {
        view_.messages.clear();
        dialog_->Command(view_, dlg::kOk);
        std::vector<int> ids;
        for (const auto& m : view_.messages) ids.push_back(m.stringId);
        return ids;
    }

    ServiceEntry service_;
    std::unique_ptr<TerminalScreen> screen_ = std::make_unique<TerminalScreen>();
    TerminalModes modes_;
    MemoryProfileStore profile_;
    ProgramSettings settings_;
    RecordingUi ui_;
    RecordingDialogView view_;
    std::unique_ptr<TermPrefsDialog> dialog_;
    Log log_;
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
    std::string ticked;
    for (int id : {dlg::kTermWidth132, dlg::kTermWidth80, dlg::kTermLocalEcho, dlg::kTermBsDel, dlg::kTermAutowrap,
                   dlg::kTermResizeBase + 2, dlg::kTermResizeBase})
        ticked += view_.checks[id] ? 'x' : '-';
    EXPECT_EQ("x-xx-x-", ticked);
    EXPECT_EQ(kTypeWyse50, dialog_->WorkingType());
    EXPECT_EQ(2, dialog_->WorkingFlow());
}

TEST_F(TermPrefsTest, KeypadApplicationOnlyForWyseAndScoAndColourButtonNotForColourTypes) {
    Open();
    for (int type = 1; type <= 9; ++type) {
        dialog_->TypeSelected(view_, type);
        EXPECT_EQ(type == kTypeWyse50 || type == kTypeScoAnsi, view_.enabled[dlg::kTermKeypadApp]) << type;
        EXPECT_EQ(type != kTypeVt100Color && type != kTypeScoAnsi, view_.enabled[dlg::kTermColor]) << type;
    }
    // Only those two types commit the box, and only a connection takes it at once.
    const struct { int type; bool connected; int16_t stored; int live; } cases[] = {
        {kTypeWyse50, true, 1, 1}, {kTypeScoAnsi, false, 1, 0}, {kTypeVt220, true, 0, 0}};  // stored, live
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

TEST_F(TermPrefsTest, HeightOutside24To99IsRefusedAndOnlyAConnectionTakesItAtOnce) {
    const struct { const char* typed; bool connected, accepted; } cases[] = {
        {"100", true, false}, {"99", true, true}, {"23", true, false}, {"24", false, true}, {"4O", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        service_.TerminalHeight = 0;
        screen_->rows = 30;
        connected_ = c.connected;
        Open();
        Type(dlg::kTermHeight, c.typed);
        const std::vector<int> shown = Ok();
        EXPECT_EQ(c.accepted, view_.closed);
        EXPECT_EQ(c.accepted ? std::vector<int>{} : std::vector<int>{str::kStrTermPageSize}, shown);
        EXPECT_EQ(c.accepted ? std::atoi(c.typed) : 0, service_.TerminalHeight);
        const bool resized = std::find(log_.begin(), log_.end(), std::string("rows ") + c.typed) != log_.end();
        EXPECT_EQ(c.accepted && c.connected, resized);
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
    EXPECT_EQ((std::vector<int>{str::kStrScrollRangeOnRestart, str::kStrTermPageSize}), Ok());
    EXPECT_FALSE(view_.closed);
    EXPECT_EQ(Log{"scroll=500"}, profile_.writes);
    // Steps 1 to 5 are done, 6 to 9 are not.
    EXPECT_EQ((Log{"refit 132", "reset 6", "flow 3", "colours", "menu on", "repaint"}), log_);
    EXPECT_EQ(132, screen_->columns);
    EXPECT_EQ(1, screen_->autoWrap);
    EXPECT_EQ(kTypeVt220, service_.TerminalType);
    EXPECT_EQ(3, service_.FlowControl);
    EXPECT_EQ(1, service_.BackspaceDelete);
    EXPECT_EQ(24, service_.TerminalHeight);
    EXPECT_EQ(0, service_.ResizeMode);

    // Put right, OK again: the range is already saved and not announced twice,
    // and the type and flow are already in force, so neither is applied again.
    log_.clear();
    Type(dlg::kTermHeight, "30");
    EXPECT_TRUE(Ok().empty());
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(Log{"scroll=500"}, profile_.writes);
    EXPECT_EQ(30, service_.TerminalHeight);
    EXPECT_EQ(1, service_.ResizeMode);
    EXPECT_EQ((Log{"refit 132", "colours", "menu on", "repaint", "rows 30", "keymap 6"}), log_);

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

TEST_F(TermPrefsTest, TypeChangesReachTheRunningTerminalOnlyWhileConnected) {
    const struct { int from, to; bool connected; Log log; bool tableColours; } cases[] = {
        {kTypeVt100, kTypeVt52, false, {"colours", "menu on", "repaint", "keymap 3"}, false},
        {kTypeVt100, kTypeVt100Color, true, {"refit 80", "reset 2", "colours", "menu off", "repaint", "keymap 2"}, true},
        {kTypeVt220, kTypeScoAnsi, false, {"repaint", "keymap 9"}, true},
        {kTypeVt100Color, kTypeVt100, true, {"refit 80", "reset 4", "colours", "menu on", "repaint", "keymap 4"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        service_.TerminalType = static_cast<int16_t>(c.from);
        service_.DefaultColours = 1;
        screen_->attr = 0x17;
        screen_->bold = 1;
        connected_ = c.connected;
        Open();
        dialog_->TypeSelected(view_, c.to);
        dialog_->FlowSelected(1);
        Ok();
        EXPECT_EQ(c.log, log_);
        EXPECT_EQ(c.to, service_.TerminalType);
        if (c.tableColours) {
            // Light grey on black, not the monochrome defaults.
            EXPECT_EQ(0, service_.DefaultColours);
            EXPECT_EQ(MakeColour(0, 0, 0), uint32_t{service_.BackgroundColour});
            EXPECT_EQ(MakeColour(191, 191, 191), uint32_t{service_.TextColour});
            EXPECT_EQ(0x70, screen_->attr);
        } else {
            EXPECT_EQ(1, service_.DefaultColours);
            EXPECT_EQ(0, screen_->bold);
        }
    }
}

TEST_F(TermPrefsTest, CancelPutsTheRecordBackButKeepsWhatTheColourAndFontDialogsStored) {
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
    log_.clear();
    dialog_->Command(view_, dlg::kCancel);
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(0, view_.result);
    ServiceEntry expected = before;
    expected.TextColour = MakeColour(1, 2, 3);
    std::strcpy(expected.TerminalFont.lfFaceName, "Courier New");
    EXPECT_EQ(0, std::memcmp(&expected, &service_, sizeof expected));
    EXPECT_EQ(80, screen_->columns);
    EXPECT_EQ((Log{"refit 80", "flow 1", "menu on", "colours", "repaint", "keymap 4"}), log_);

    // Without an OK first, Cancel only reloads the keymap of the type it opened with.
    Open();
    dialog_->TypeSelected(view_, kTypeWyse50);
    dialog_->Command(view_, 2);  // Escape
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(Log{"keymap 4"}, log_);
    EXPECT_EQ(kTypeVt100, service_.TerminalType);
}

}  // namespace
}  // namespace palvex
