// Terminal Preferences (302) on the real main window, driven through the
// dialog's controls: the height and scroll-range refusals and what an accepted
// OK leaves in the session, the switch to a colour type, and Cancel.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "shell_dialogs_driver.h"
#include "shell_window_fixture.h"
#include "terminal/display_colours.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::DialogStep;

DialogStep Prefs(std::function<void(HWND)> act) { return {"bordlg_gray", "Terminal Preferences", std::move(act)}; }

void SelectType(HWND dialog, int type) { testing::SelectLine(dialog, dlg::kTermTypeList, type - 1); }

class TermPrefsWindowTest : public MainWindowTest {
protected:
    // Connected on COM1 with the service `adjust` makes, the pump not started.
    void Connect(const std::function<void(ServiceEntry&)>& adjust = {}) {
        Open();
        ConnectDirect(adjust);
        ASSERT_TRUE(app_->port.PortOpen);
        TakeCommNotify();
        ui_.messages.clear();
    }
    void RunPrefs(std::vector<DialogStep> steps) {
        DialogScript script(std::move(steps));
        SendMessageA(window_, WM_COMMAND, kCmdTerminalPrefs, 0);
    }
    std::vector<int> Shown() const {
        std::vector<int> ids;
        for (const auto& m : ui_.messages) ids.push_back(m.stringId);
        return ids;
    }
};

TEST_F(TermPrefsWindowTest, HeightAndScrollRangeOutsideTheirLimitsKeepTheDialogOpen) {
    Connect();
    RECT client{};
    GetClientRect(window_, &client);
    const LONG heightBefore = client.bottom;
    std::vector<std::vector<int>> shownAt;
    auto retype = [&](const char* height, const char* range, bool ok = true) {
        return Prefs([&, height, range, ok](HWND d) {
            shownAt.push_back(Shown());
            if (height) SetDlgItemTextA(d, dlg::kTermHeight, height);
            if (range) SetDlgItemTextA(d, dlg::kTermScrollRange, range);
            Click(d, ok ? dlg::kOk : dlg::kCancel);
        });
    };
    std::string heightShown, rangeShown;
    RunPrefs({
        Prefs([&](HWND d) {
            heightShown = testing::WindowText(GetDlgItem(d, dlg::kTermHeight));
            rangeShown = testing::WindowText(GetDlgItem(d, dlg::kTermScrollRange));
            SetDlgItemTextA(d, dlg::kTermHeight, "100");
            Click(d, dlg::kOk);
        }),
        retype("99", "20"),
        retype(nullptr, "3001"),
        retype(nullptr, "3000"),
    });
    EXPECT_EQ("24", heightShown);
    EXPECT_EQ("1000", rangeShown);
    ASSERT_EQ(3u, shownAt.size());
    EXPECT_EQ(std::vector<int>{str::kStrTermPageSize}, shownAt[0]);
    EXPECT_EQ((std::vector<int>{str::kStrTermPageSize, str::kStrScrollRangeInvalid}), shownAt[1]);
    EXPECT_EQ((std::vector<int>{str::kStrTermPageSize, str::kStrScrollRangeInvalid, str::kStrScrollRangeInvalid,
                                str::kStrScrollRangeOnRestart}),
              Shown());
    EXPECT_EQ("3000", ProfileValue("scroll"));
    EXPECT_EQ(99, app_->CurrentService.TerminalHeight);
    EXPECT_EQ(99, app_->screen.rows) << "a connected page takes the height at once";
    EXPECT_EQ(1000, app_->screen.scrollRange) << "the ring waits for the next start";
    GetClientRect(window_, &client);
    EXPECT_GT(client.bottom, heightBefore + 70 * app_->screen.cellHeight) << "the window grows to the page";
}

TEST_F(TermPrefsWindowTest, SwitchingToTheColourVt100GreysTheColourCommandAndTakesTheTableColours) {
    Connect([](ServiceEntry& s) {
        s.TerminalType = kTypeVt100;
        s.DefaultColours = 1;
        s.TextColour = MakeColour(0, 255, 0);
    });
    ASSERT_FALSE(Greyed(kCmdColor));
    bool colourButtonBefore = false, colourButtonAfter = true, keypadAfter = true;
    RunPrefs({Prefs([&](HWND d) {
        colourButtonBefore = IsWindowEnabled(GetDlgItem(d, dlg::kTermColor));
        SelectType(d, kTypeVt100Color);
        colourButtonAfter = IsWindowEnabled(GetDlgItem(d, dlg::kTermColor));
        keypadAfter = IsWindowEnabled(GetDlgItem(d, dlg::kTermKeypadApp));
        Click(d, dlg::kOk);
    })});
    EXPECT_TRUE(colourButtonBefore);
    EXPECT_FALSE(colourButtonAfter);
    EXPECT_FALSE(keypadAfter);
    const ServiceEntry& s = app_->CurrentService;
    EXPECT_EQ(kTypeVt100Color, s.TerminalType);
    EXPECT_EQ(0, s.DefaultColours);
    EXPECT_EQ(MakeColour(0, 0, 0), RgbOnly(s.BackgroundColour));
    EXPECT_EQ(MakeColour(191, 191, 191), RgbOnly(s.TextColour));
    EXPECT_TRUE(Greyed(kCmdColor));
    EXPECT_TRUE(Shown().empty());
}

TEST_F(TermPrefsWindowTest, CancelAfterARefusedOkPutsTheServiceRecordBack) {
    Connect([](ServiceEntry& s) {
        s.TerminalType = kTypeVt220;
        s.FlowControl = 1;
    });
    const ServiceEntry before = app_->CurrentService;
    RunPrefs({
        Prefs([&](HWND d) {
            SelectType(d, kTypeWyse50);
            testing::SelectLine(d, dlg::kTermFlowList, 2);
            SendMessageA(GetDlgItem(d, dlg::kTermLocalEcho), BM_CLICK, 0, 0);
            SendMessageA(GetDlgItem(d, dlg::kTermWidth132), BM_CLICK, 0, 0);
            SetDlgItemTextA(d, dlg::kTermHeight, "7");
            Click(d, dlg::kOk);
        }),
        Prefs([&](HWND d) {
            // The refused OK has committed its first steps already.
            EXPECT_EQ(kTypeWyse50, app_->CurrentService.TerminalType);
            EXPECT_EQ(132, app_->screen.columns);
            Click(d, dlg::kCancel);
        }),
    });
    EXPECT_EQ(std::vector<int>{str::kStrTermPageSize}, Shown());
    EXPECT_EQ(0, std::memcmp(&before, &app_->CurrentService, sizeof before));
    EXPECT_EQ(80, app_->screen.columns);
}

}  // namespace
}  // namespace palvex
