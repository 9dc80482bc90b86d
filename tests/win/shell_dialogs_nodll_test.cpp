// Run from a folder without bwcc32.dll: the user is told and the caller gives
// up; messages still reach the user through the system box.
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

using testing::DialogScript;

TEST(WithoutBwcc, LoadingSaysSoAndFailsAndMessagesUseTheSystemBox) {
    ASSERT_EQ(nullptr, GetModuleHandleA("bwcc32.dll"));
    HWND main = CreateWindowA("STATIC", "Palvex32-Dialup", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
    std::vector<std::string> missing, message;
    bool loaded;
    int result;
    {
        DialogScript script({{"#32770", "Error",
                              [&](HWND box) {
                                  missing = testing::ChildTexts(box);
                                  PostMessageA(box, WM_COMMAND, IDOK, 0);
                              }},
                             {"#32770", "Message", [&](HWND box) {
                                  message = testing::ChildTexts(box);
                                  PostMessageA(box, WM_COMMAND, IDOK, 0);
                              }}});
        loaded = LoadDialogLibraries(main);
        result = ShowMessage(main, 10, nullptr, 0x2000);
    }
    EXPECT_FALSE(loaded);
    EXPECT_NE(missing.end(), std::find(missing.begin(), missing.end(), "NO BWCC32.DLL found"));
    EXPECT_EQ(1, result);
    EXPECT_NE(message.end(), std::find(message.begin(), message.end(), "You must hang up first"));
    UnloadDialogLibraries();
    DestroyWindow(main);
}

}  // namespace
}  // namespace palvex
