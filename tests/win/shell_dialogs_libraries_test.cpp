// bwcc32.dll under Wine: the four classes come with LoadDialogLibraries and go
// with UnloadDialogLibraries; the controls behave as the templates expect.
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/win/about_dialog.h"
#include "shell/win/dialog_libraries.h"
#include "shell_dialogs_driver.h"
#include "shell_dialogs_fixture.h"

namespace palvex {
namespace {

using testing::DialogScript;

constexpr const char* kClasses[] = {"bordlg_gray", "BorShade", "BorCheck", "BorRadio"};

bool ClassExists(const char* name, WNDCLASSA* info = nullptr) {
    WNDCLASSA wc{};
    bool found = GetClassInfoA(GetModuleHandleA(nullptr), name, &wc) != FALSE;
    if (info) *info = wc;
    return found;
}

using DialogLibrariesTest = testing::ShellDialogTest;

TEST_F(DialogLibrariesTest, LoadingRegistersTheFourClassesForEveryModule) {
    for (const char* name : kClasses) {
        WNDCLASSA wc{};
        ASSERT_TRUE(ClassExists(name, &wc)) << name;
        EXPECT_NE(0u, wc.style & CS_GLOBALCLASS) << name;
    }
}

TEST_F(DialogLibrariesTest, UnloadingTakesTheClassesAndTheLibraryAway) {
    UnloadDialogLibraries();
    for (const char* name : kClasses) EXPECT_FALSE(ClassExists(name)) << name;
    EXPECT_EQ(nullptr, GetModuleHandleA("bwcc32.dll"));
    // And a second start brings them back.
    ASSERT_TRUE(LoadDialogLibraries(main_));
    for (const char* name : kClasses) EXPECT_TRUE(ClassExists(name)) << name;
}

TEST_F(DialogLibrariesTest, CheckAndRadioAreButtonsThatKeepTheirState) {
    struct Case {
        const char* cls;
        DWORD style;
        LRESULT afterFirst, afterSecond;
    } cases[] = {
        {"BorCheck", BS_AUTOCHECKBOX, BST_CHECKED, BST_UNCHECKED},
        {"BorRadio", BS_AUTORADIOBUTTON, BST_CHECKED, BST_CHECKED},
    };
    for (const Case& c : cases) {
        HWND button = CreateWindowA(c.cls, "x", WS_CHILD | WS_VISIBLE | c.style, 0, 0, 80, 16, main_,
                                    reinterpret_cast<HMENU>(77), GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, button) << c.cls;
        EXPECT_EQ(BST_UNCHECKED, SendMessageA(button, BM_GETCHECK, 0, 0));
        SendMessageA(button, BM_CLICK, 0, 0);
        EXPECT_EQ(c.afterFirst, SendMessageA(button, BM_GETCHECK, 0, 0)) << c.cls;
        SendMessageA(button, BM_CLICK, 0, 0);
        EXPECT_EQ(c.afterSecond, SendMessageA(button, BM_GETCHECK, 0, 0)) << c.cls;
        DestroyWindow(button);
    }
    Pump();
}

TEST_F(DialogLibrariesTest, ShadeFramesLetClicksThroughToTheControlsTheySurround) {
    HWND shade = CreateWindowA("BorShade", "", WS_CHILD | WS_VISIBLE | 1, 0, 0, 100, 50, main_, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, shade);
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(shade, WM_NCHITTEST, 0, MAKELPARAM(10, 10)));
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageA(shade, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    EXPECT_EQ(reinterpret_cast<LRESULT>(font), SendMessageA(shade, WM_GETFONT, 0, 0));
    DestroyWindow(shade);
}

TEST_F(DialogLibrariesTest, TheDialogClassPaintsGrey) {
    COLORREF brushColour = 0, erased = 0;
    {
        DialogScript script({{"bordlg_gray", "About Palvex32-Dialup", [&](HWND d) {
                                  HDC screen = GetDC(nullptr);
                                  HDC memory = CreateCompatibleDC(screen);
                                  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
                                  HGDIOBJ old = SelectObject(memory, bitmap);
                                  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
                                      d, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(memory),
                                      reinterpret_cast<LPARAM>(d)));
                                  LOGBRUSH lb{};
                                  if (brush) GetObjectA(brush, sizeof lb, &lb);
                                  brushColour = lb.lbColor;
                                  SendMessageA(d, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
                                  erased = GetPixel(memory, 2, 2);
                                  SelectObject(memory, old);
                                  DeleteObject(bitmap);
                                  DeleteDC(memory);
                                  ReleaseDC(nullptr, screen);
                                  testing::Click(d, 400);
                              }}});
        ShowAboutDialog(main_);
    }
    EXPECT_EQ(RGB(192, 192, 192), brushColour);
    EXPECT_EQ(RGB(192, 192, 192), erased);
}

TEST_F(DialogLibrariesTest, ColourChangeIsSafeWithOrWithoutCtl3d) {
    DialogLibrariesColorChange();
    UnloadDialogLibraries();
    DialogLibrariesColorChange();
}

}  // namespace
}  // namespace palvex
