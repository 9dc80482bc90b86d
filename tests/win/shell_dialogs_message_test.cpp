// The shared message box under Wine: the buttons, results and icon of each
// style, its text and owner, long texts, and the fallback without the dialog
// classes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell/win/dialog_libraries.h"
#include "shell/win/message_dialog.h"
#include "shell_dialogs_driver.h"
#include "shell_dialogs_fixture.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::WindowText;

constexpr const char* kGray = "bordlg_gray";

bool Visible(HWND dialog, int id) {
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

std::vector<int> VisibleButtons(HWND dialog) {
    std::vector<int> ids;
    for (int id : {dlg::kMsgOk, dlg::kMsgCancel, dlg::kMsgYes, dlg::kMsgNo})
        if (Visible(dialog, id)) ids.push_back(id);
    return ids;
}

using MessageBoxTest = testing::ShellDialogTest;

// Each dialog costs Wine about two seconds to take down without a window
// manager, so one table covers buttons, results, icon and text together.
TEST_F(MessageBoxTest, StyleChoosesButtonsAndIconAndEachButtonIsItsResult) {
    struct Case {
        unsigned style;
        int id;
        const char* extra;
        std::string text;
        std::vector<int> buttons;
        LPCSTR icon;  // nullptr: no icon shown
    } cases[] = {
        {0x2000, 10, nullptr, "You must hang up first", {1}, nullptr},
        {0x2010, 1, " C:\\LOG\\X.LOG", "File open error C:\\LOG\\X.LOG", {1}, IDI_HAND},
        {0x2021, 0, "only the extra", "only the extra", {1, 2}, IDI_QUESTION},
        {0x2034, -4, nullptr, "", {6, 7}, IDI_EXCLAMATION},
        {0x2040, 11, nullptr, "Device open error", {1}, IDI_ASTERISK},
    };
    for (const Case& c : cases) {
        for (int press : c.buttons) {
            SCOPED_TRACE(::testing::Message() << "style " << std::hex << c.style << " press " << std::dec << press);
            std::vector<int> seen;
            int defaultId = 0;
            bool iconShown = false;
            HICON icon = nullptr;
            std::string text, title;
            RECT client{}, ok{};
            int result;
            {
                DialogScript script({{kGray, "Message", [&](HWND d) {
                                          seen = VisibleButtons(d);
                                          defaultId = LOWORD(SendMessageA(d, DM_GETDEFID, 0, 0));
                                          iconShown = Visible(d, dlg::kMsgIcon);
                                          icon = reinterpret_cast<HICON>(
                                              SendDlgItemMessageA(d, dlg::kMsgIcon, STM_GETICON, 0, 0));
                                          text = WindowText(GetDlgItem(d, dlg::kMsgText));
                                          title = WindowText(d);
                                          GetClientRect(d, &client);
                                          GetWindowRect(GetDlgItem(d, dlg::kMsgOk), &ok);
                                          MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&ok), 2);
                                          Click(d, press);
                                      }}});
                result = ShowMessage(nullptr, c.id, c.extra, c.style);
            }
            EXPECT_EQ(press, result);
            EXPECT_EQ(c.buttons, seen);
            EXPECT_EQ(c.buttons[0], defaultId);
            EXPECT_EQ(c.icon != nullptr, iconShown);
            if (c.icon) {
                EXPECT_EQ(LoadIconA(nullptr, c.icon), icon);
            }
            EXPECT_EQ(c.text, text);
            EXPECT_EQ("Message", title);
            if (c.buttons.size() == 1) {
                EXPECT_NEAR(client.right / 2, (ok.left + ok.right) / 2, 1);
            }
        }
    }
}

TEST_F(MessageBoxTest, EscapeAnswersALoneOkAndCancelButNotYesNo) {
    struct Case {
        unsigned style;
        int result;
    } cases[] = {{0x2000, 1}, {0x2001, 2}, {0x2004, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        int result;
        {
            // What IsDialogMessage makes of Escape; Yes/NO must stay open
            // for the click on NO that follows to count.
            DialogScript script({{kGray, "Message", [&](HWND d) {
                                      SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
                                      if (VisibleButtons(d) == std::vector<int>{6, 7}) Click(d, dlg::kMsgNo);
                                  }}});
            result = ShowMessage(nullptr, 10, nullptr, c.style);
        }
        EXPECT_EQ(c.result, result);
    }
}

TEST_F(MessageBoxTest, NoOwnerMeansTheMainWindowAndAnOwnerIsKept) {
    HWND other = CreateWindowA("STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    for (HWND owner : {static_cast<HWND>(nullptr), other}) {
        HWND seen = nullptr;
        {
            DialogScript script({{kGray, "Message", [&](HWND d) {
                                      seen = GetWindow(d, GW_OWNER);
                                      Click(d, dlg::kMsgOk);
                                  }}});
            ShowMessage(owner, 10, nullptr, 0x2000);
        }
        EXPECT_EQ(owner ? owner : main_, seen);
    }
    DestroyWindow(other);
}

TEST_F(MessageBoxTest, ALongTextGetsTheLinesItNeedsAboveTheButtons) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "word ";
    RECT client{}, ok{}, label{};
    {
        DialogScript script({{kGray, "Message", [&](HWND d) {
                                  GetClientRect(d, &client);
                                  GetWindowRect(GetDlgItem(d, dlg::kMsgOk), &ok);
                                  GetWindowRect(GetDlgItem(d, dlg::kMsgText), &label);
                                  MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&ok), 2);
                                  MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&label), 2);
                                  Click(d, dlg::kMsgOk);
                              }}});
        ShowMessageText(nullptr, text.c_str(), 0x2000);
    }
    // 200 words need far more than the template's three lines.
    EXPECT_GT(label.bottom - label.top, 100);
    EXPECT_GE(ok.top, label.bottom);
    EXPECT_GT(client.bottom, ok.bottom);
}

TEST_F(MessageBoxTest, WithoutTheDialogClassesTheSystemBoxStandsIn) {
    UnloadDialogLibraries();
    std::vector<std::string> texts;
    int result;
    {
        DialogScript script({{"#32770", "Message", [&](HWND d) {
                                  texts = testing::ChildTexts(d);
                                  PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
                              }}});
        result = ShowMessage(nullptr, 10, nullptr, 0x2001);
    }
    EXPECT_EQ(2, result);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "You must hang up first"));
}

}  // namespace
}  // namespace palvex
