// Run from a folder without bwcc32.dll: the user is told and the caller is
// asked to give up; messages still reach the user through the system box.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/win/dialog_libraries.h"
#include "shell/win/message_dialog.h"
#include "shell_dialogs_driver.h"

namespace palvex {
namespace {

using testing::ChildTexts;
using testing::DialogScript;

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(WithoutBwcc, LoadingSaysSoAndFails) {
    ASSERT_EQ(nullptr, GetModuleHandleA("bwcc32.dll"));
    HWND main = CreateWindowA("STATIC", "Palvex32-Dialup", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    std::vector<std::string> texts;
    bool loaded = true;
    {
        DialogScript script({{"#32770", "Error", [&](HWND box) {
                                  texts = ChildTexts(box);
                                  PostMessageA(box, WM_COMMAND, IDOK, 0);
                              }}});
        loaded = LoadDialogLibraries(main);
    }
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(Contains(texts, "NO BWCC32.DLL found"));
    WNDCLASSA wc;
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "bordlg_gray", &wc));
    UnloadDialogLibraries();
    DestroyWindow(main);
}

TEST(WithoutBwcc, MessagesFallBackToTheSystemBox) {
    std::vector<std::string> texts;
    int result = 0;
    {
        DialogScript script({{"#32770", "Message", [&](HWND box) {
                                  texts = ChildTexts(box);
                                  PostMessageA(box, WM_COMMAND, IDOK, 0);
                              }}});
        result = ShowMessageText(nullptr, "no dialog classes here", 0x2000);
    }
    EXPECT_EQ(1, result);
    EXPECT_TRUE(Contains(texts, "no dialog classes here"));
}

}  // namespace
}  // namespace palvex
