// The main window offline: what start-up does on its own, the settings it
// reads and writes, closing, the page height, the status-line hints and the
// commands that need no subsystem behind them.
#include "shell_window_fixture.h"

#include "shell/command_ids.h"

namespace palvex {
namespace {

TEST_F(MainWindowTest, StartUpOpensThePhoneBookWithoutAMessage) {
    Open();
    EXPECT_EQ(std::vector<int>{kCmdPhonebook}, commands_);
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().stringId;
    EXPECT_EQ(kOfflineIds, ButtonIds());
    EXPECT_EQ("Offline", app_->toolbar.StatusWord);
    EXPECT_TRUE(Greyed(kCmdHangup));
    EXPECT_TRUE(Greyed(kCmdAnswer));
    EXPECT_FALSE(Greyed(kCmdPhonebook));
    EXPECT_EQ(0, std::memcmp(&app_->CurrentService, &static_cast<const ServiceEntry&>(DefaultServiceEntry()),
                             sizeof(ServiceEntry)));
}

TEST_F(MainWindowTest, SettingsComeFromTheProfileWithTheirDefaults) {
    SetCurrentDirectoryA(installDir_.c_str());  // the default install directory
    const struct {
        const char *installDir, *scroll, *transPrint, *seqdial;
        int lines;
        bool transparent;
        int batch;
    } cases[] = {
        {nullptr, nullptr, nullptr, nullptr, 1000, false, 0},
        {installDir_.c_str(), "10", nullptr, nullptr, 24, false, 0},
        {installDir_.c_str(), "3000", "1", "1", 3000, true, 1},
    };
    for (const auto& c : cases) {
        WriteProfileStringA("palvex32", "INSTALLDIR", c.installDir);
        WriteProfileStringA("palvex32", "scroll", c.scroll);
        WriteProfileStringA("palvex32", "TransPrint", c.transPrint);
        WriteProfileStringA("palvex32", "seqdial", c.seqdial);
        Open();
        EXPECT_EQ(c.lines, app_->screen.scrollRange);
        EXPECT_EQ(c.transparent, Checked(kCmdPrintTransparent));
        EXPECT_EQ(c.transparent, app_->modes.transparentPrint != 0);
        EXPECT_EQ(c.batch, app_->settings.BatchDial);
        EXPECT_EQ(installDir_, app_->settings.InstallDir);
        EXPECT_EQ(installDir_, app_->settings.DefaultSessionDir);
        EXPECT_EQ(installDir_ + "\\PALVEX.HLP", app_->settings.HelpFile);
        Close();
    }
}

TEST_F(MainWindowTest, TransPrintIsWrittenAtExitAndSeqdialIsLeftAlone) {
    WriteProfileStringA("palvex32", "seqdial", "1");
    Open();
    SendMessageA(window_, WM_COMMAND, kCmdPrintTransparent, 0);
    EXPECT_TRUE(Checked(kCmdPrintTransparent));
    EXPECT_EQ("<missing>", ProfileValue("TransPrint"));
    Close();
    EXPECT_EQ("1", ProfileValue("TransPrint"));
    EXPECT_EQ("1", ProfileValue("seqdial"));
    Open();
    EXPECT_TRUE(Checked(kCmdPrintTransparent));
}

TEST_F(MainWindowTest, ClosingIsRefusedWhileThePortIsOpen) {
    for (UINT way : {UINT(WM_COMMAND), UINT(WM_CLOSE), UINT(WM_QUERYENDSESSION)}) {
        Open();
        ui_ = RecordingUi{};
        const WPARAM wParam = way == WM_COMMAND ? kCmdExit : 0;
        app_->port.PortOpen = 1;
        const LRESULT refused = SendMessageA(window_, way, wParam, 0);
        EXPECT_TRUE(IsWindow(window_)) << way;
        ASSERT_EQ(1u, ui_.messages.size()) << way;
        EXPECT_EQ(10, ui_.messages[0].stringId);
        EXPECT_EQ(0x2040u, ui_.messages[0].style);
        EXPECT_EQ(std::vector<unsigned>{MB_ICONHAND}, ui_.beeps);

        app_->port.PortOpen = 0;
        const LRESULT allowed = SendMessageA(window_, way, wParam, 0);
        EXPECT_FALSE(IsWindow(window_)) << way;
        if (way == WM_QUERYENDSESSION) {
            EXPECT_EQ(0, refused);
            EXPECT_EQ(1, allowed);
        }
        Close();
    }
}

TEST_F(MainWindowTest, WithResizeOptionNoneTheWindowKeepsThePageHeight) {
    Open();
    ASSERT_EQ(0, app_->CurrentService.ResizeMode);
    const int frame = GetSystemMetrics(SM_CYMINTRACK) + GetSystemMetrics(SM_CYMENU) + GetSystemMetrics(SM_CYBORDER);
    const int page = frame + (app_->screen.rows + 1) * app_->screen.cellHeight + 86;
    ShowWindow(window_, SW_RESTORE);
    for (int asked : {page + 200, 100}) {
        SetWindowPos(window_, nullptr, 0, 0, 500, asked, SWP_NOMOVE | SWP_NOZORDER);
        RECT r;
        GetWindowRect(window_, &r);
        EXPECT_EQ(page, r.bottom - r.top) << asked;
    }
}

TEST_F(MainWindowTest, MenuSelectionShowsTheHintAndClosingClearsIt) {
    Open();
    const struct {
        UINT item, flags;
        bool menuGone;
        const char* hint;
    } cases[] = {
        {kCmdPhonebook, 0, false, "Open phonebook"},
        {kCmdResetTerm, MF_GRAYED, false, "Reset terminal setting"},
        {SC_MAXIMIZE, MF_SYSMENU, false, "Enlarge Palvex window to fill screen"},
        {2, MF_POPUP, false, ""},  // a popup of the menu bar
        {0, 0xFFFF, true, ""},     // the menu closes
    };
    for (const auto& c : cases) {
        app_->toolbar.hint = "stale";
        SendMessageA(window_, WM_MENUSELECT, MAKEWPARAM(c.item, c.flags),
                     c.menuGone ? 0 : reinterpret_cast<LPARAM>(GetMenu(window_)));
        EXPECT_EQ(c.hint, app_->toolbar.hint) << c.item;
    }
}

TEST_F(MainWindowTest, APressedToolbarButtonShowsItsHintUntilReleased) {
    Open();
    // Drawn into a bitmap: the hidden window's own pixels cannot be read back.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 50);
    HGDIOBJ old = SelectObject(memory, bitmap);
    DRAWITEMSTRUCT item{ODT_BUTTON, kCmdExit, 0, ODA_SELECT, ODS_SELECTED, app_->toolbar.buttons[5], memory,
                        {0, 0, 64, 50}, 0};
    const COLORREF shadow = RGB(0x80, 0x80, 0x80);
    EXPECT_EQ(1, SendMessageA(window_, WM_DRAWITEM, kCmdExit, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ("Exit from this program", app_->toolbar.hint);
    EXPECT_NE(shadow, GetPixel(memory, 63, 10)) << "pressed: no shadow";
    item.itemState = 0;
    SendMessageA(window_, WM_DRAWITEM, kCmdExit, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ("", app_->toolbar.hint);
    EXPECT_EQ(shadow, GetPixel(memory, 63, 10));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST_F(MainWindowTest, ChatChecksItselfAndDisablesBothScrollBars) {
    Open();
    for (int on : {1, 0}) {
        SendMessageA(window_, WM_COMMAND, kCmdChat, 0);
        EXPECT_EQ(on, app_->pump.ChatMode);
        EXPECT_EQ(on != 0, Checked(kCmdChat));
        EXPECT_EQ(on == 0, IsWindowEnabled(app_->VScroll) != 0);
        EXPECT_EQ(on == 0, IsWindowEnabled(app_->HScroll) != 0);
    }
}

TEST_F(MainWindowTest, ResetTermKeepsEightBitAnswersOnlyForVt220AndVt320) {
    Open();
    for (int type = 0; type <= 9; ++type) {
        app_->CurrentService.TerminalType = static_cast<int16_t>(type);
        app_->modes.c1Answers = app_->modes.reverse = 1;
        app_->screen.attr = 0x17;
        app_->screen.marginTop = 5;
        app_->pump.PrintControllerActive = 1;
        SendMessageA(window_, WM_COMMAND, kCmdResetTerm, 0);
        EXPECT_EQ(type == 6 || type == 7, app_->modes.c1Answers == 1) << type;
        EXPECT_EQ(0, app_->modes.reverse);
        EXPECT_EQ(0x70, app_->screen.attr);
        EXPECT_EQ(1, app_->screen.marginTop);
        EXPECT_EQ(0, app_->pump.PrintControllerActive);
    }
}

TEST_F(MainWindowTest, F10IsAKeyOfTheTerminalNotOfTheMenu) {
    Open();
    for (int repeat : {1, 0}) {
        app_->modes.autoRepeat = repeat;
        app_->keys.lastVirtualKey = 0;
        EXPECT_EQ(0, SendMessageA(window_, WM_SYSKEYDOWN, VK_F10, 0));
        // Taken on the way down with auto-repeat, on the way up without.
        EXPECT_EQ(repeat ? VK_F10 : 0, app_->keys.lastVirtualKey);
        EXPECT_EQ(0, SendMessageA(window_, WM_SYSKEYUP, VK_F10, 0xC0000001));
    }
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window_, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_NOREMOVE));
}

}  // namespace
}  // namespace palvex
