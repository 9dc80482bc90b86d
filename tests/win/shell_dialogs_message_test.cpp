// The shared message box under Wine. Each dialog costs Wine about two seconds
// to take down without a window manager, so the cases are few and each run
// checks everything it can.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell/win/message_dialog.h"
#include "shell_dialogs_driver.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;
using testing::WindowText;
using MessageBoxTest = testing::ShellDialogTest;

std::vector<int> VisibleButtons(HWND dialog) {
    std::vector<int> ids;
    for (int id : {dlg::kMsgOk, dlg::kMsgCancel, dlg::kMsgYes, dlg::kMsgNo})
        if (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) ids.push_back(id);
    return ids;
}

TEST_F(MessageBoxTest, StyleChoosesButtonsAndIconAndEachButtonIsItsResult) {
    struct Case {
        unsigned style;
        int id;
        const char* extra;
        std::string text;
        std::vector<int> buttons;
        LPCSTR icon;  // nullptr: none shown
    } cases[] = {
        {0x2000, 10, nullptr, "You must hang up first", {1}, nullptr},
        {0x2010, 1, " C:\\X.LOG", "File open error C:\\X.LOG", {1}, IDI_HAND},
        {0x2021, 0, "only the extra", "only the extra", {1, 2}, IDI_QUESTION},
        {0x2034, -4, nullptr, "", {6, 7}, IDI_EXCLAMATION},
        {0x2040, 11, nullptr, "Device open error", {1}, IDI_ASTERISK},
    };
    for (const Case& c : cases) {
        for (int press : c.buttons) {
            SCOPED_TRACE(::testing::Message() << std::hex << c.style << " press " << std::dec << press);
            std::vector<int> seen;
            LRESULT defaultId = 0;
            HICON icon = nullptr;
            std::string text, title;
            HWND owner = nullptr;
            int result;
            {
                DialogScript script({{"bordlg_gray", "Message", [&](HWND d) {
                                          seen = VisibleButtons(d);
                                          defaultId = LOWORD(SendMessageA(d, DM_GETDEFID, 0, 0));
                                          if (IsWindowVisible(GetDlgItem(d, dlg::kMsgIcon)))
                                              icon = reinterpret_cast<HICON>(
                                                  SendDlgItemMessageA(d, dlg::kMsgIcon, STM_GETICON, 0, 0));
                                          text = WindowText(GetDlgItem(d, dlg::kMsgText));
                                          title = WindowText(d);
                                          owner = GetWindow(d, GW_OWNER);
                                          Click(d, press);
                                      }}});
                result = ShowMessage(nullptr, c.id, c.extra, c.style);
            }
            EXPECT_EQ(press, result);
            EXPECT_EQ(c.buttons, seen);
            EXPECT_EQ(c.buttons[0], defaultId);
            EXPECT_EQ(c.icon ? LoadIconA(nullptr, c.icon) : nullptr, icon);
            EXPECT_EQ(c.text, text);
            EXPECT_EQ("Message", title);
            EXPECT_EQ(main_, owner);  // no owner given: the main window
        }
    }
}

TEST_F(MessageBoxTest, EscapeAnswersALoneOkAndCancelButNotYesNo) {
    struct Case {
        unsigned style;
        int result;
    } cases[] = {{0x2000, 1}, {0x2001, 2}, {0x2004, 7}};
    for (const Case& c : cases) {
        int result;
        {
            // What IsDialogMessage makes of Escape; Yes/NO must stay open for
            // the click on NO that follows to count.
            DialogScript script({{"bordlg_gray", "Message", [&](HWND d) {
                                      SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
                                      Click(d, dlg::kMsgNo);
                                  }}});
            result = ShowMessage(nullptr, 10, nullptr, c.style);
        }
        EXPECT_EQ(c.result, result) << c.style;
    }
}

}  // namespace
}  // namespace palvex
