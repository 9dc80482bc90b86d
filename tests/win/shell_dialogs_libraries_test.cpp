// bwcc32.dll under Wine: its classes live exactly as long as the library, and
// the dialog class paints grey.
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/dialog_ids.h"
#include "shell/win/about_dialog.h"
#include "shell/win/dialog_libraries.h"
#include "shell_dialogs_driver.h"

namespace palvex {
namespace {

using DialogLibrariesTest = testing::ShellDialogTest;

TEST_F(DialogLibrariesTest, TheFourGlobalClassesComeAndGoWithTheLibrary) {
    for (int round = 0; round < 2; ++round) {
        for (const char* name : {"bordlg_gray", "BorShade", "BorCheck", "BorRadio"}) {
            WNDCLASSA wc{};
            ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), name, &wc)) << name << " round " << round;
            EXPECT_NE(0u, wc.style & CS_GLOBALCLASS) << name;
        }
        // Group frames lie over the controls they surround: clicks go through.
        HWND shade = CreateWindowA("BorShade", "", WS_CHILD | 1, 0, 0, 50, 50, main_, nullptr, nullptr, nullptr);
        EXPECT_EQ(HTTRANSPARENT, SendMessageA(shade, WM_NCHITTEST, 0, 0));
        DestroyWindow(shade);

        UnloadDialogLibraries();
        // Classes left behind would point into the unloaded library.
        WNDCLASSA wc{};
        EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "BorCheck", &wc));
        EXPECT_EQ(nullptr, GetModuleHandleA("bwcc32.dll"));
        ASSERT_TRUE(LoadDialogLibraries(main_));
    }
}

TEST_F(DialogLibrariesTest, TheDialogClassPaintsGrey) {
    COLORREF erased = 0;
    {
        testing::DialogScript script({{"bordlg_gray", "About Palvex32-Dialup", [&](HWND d) {
                                           HDC screen = GetDC(nullptr);
                                           HDC memory = CreateCompatibleDC(screen);
                                           HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
                                           HGDIOBJ old = SelectObject(memory, bitmap);
                                           SendMessageA(d, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
                                           erased = GetPixel(memory, 2, 2);
                                           DeleteObject(SelectObject(memory, old));
                                           DeleteDC(memory);
                                           ReleaseDC(nullptr, screen);
                                           testing::Click(d, dlg::kOk);
                                       }}});
        ShowAboutDialog(main_);
    }
    EXPECT_EQ(RGB(192, 192, 192), erased);
}

}  // namespace
}  // namespace palvex
