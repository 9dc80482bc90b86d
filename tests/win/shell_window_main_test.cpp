// The main window offline: what start-up does on its own, the settings it
// reads and writes, closing, the tracking limits, the menu and status-line
// behaviour and the commands that work without a subsystem behind them.
#include "shell_window_fixture.h"

#include <cstring>

#include "shell/app_tables.h"
#include "shell/command_ids.h"

namespace palvex {
namespace {

// The service's resize options.
constexpr int kResizeNone = 0, kResizeTerm = 1, kResizeFont = 2;

const std::vector<int> kOfflineIds = {400, 1001, 1009, 3009, 3008, 11, 5006};
const std::vector<int> kOnlineIds = {2003, 2000, 1001, 1009, 3009, 3008, 1000, 5006};

TEST_F(MainWindowTest, StartUpOpensThePhoneBookWithoutAMessage) {
    Open();
    EXPECT_EQ(std::vector<int>{400}, commands_);
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().stringId;
    EXPECT_EQ(kOfflineIds, ButtonIds());
    EXPECT_EQ("Offline", app_->toolbar.StatusWord);
    EXPECT_TRUE(Greyed(kCmdHangup));
    EXPECT_TRUE(Greyed(kCmdAnswer));
    EXPECT_FALSE(Greyed(kCmdPhonebook));
    EXPECT_EQ(0x70, app_->screen.attr);
    EXPECT_EQ(80, app_->screen.columns);
    // The built-in default service is current.
    EXPECT_EQ(0, std::memcmp(&app_->CurrentService, &static_cast<const ServiceEntry&>(DefaultServiceEntry()),
                             sizeof(ServiceEntry)));
}

TEST_F(MainWindowTest, SettingsComeFromTheProfileWithTheirDefaults) {
    struct Case {
        const char* scroll;
        const char* transPrint;
        const char* seqdial;
        int lines;
        bool transparent;
        int batch;
    } cases[] = {
        {nullptr, nullptr, nullptr, 1000, false, 0},
        {"10", nullptr, nullptr, 24, false, 0},
        {"3000", "1", "1", 3000, true, 1},
        {"500", "0", "0", 500, false, 0},
    };
    for (const Case& c : cases) {
        WriteProfileStringA("palvex32", "scroll", c.scroll);
        WriteProfileStringA("palvex32", "TransPrint", c.transPrint);
        WriteProfileStringA("palvex32", "seqdial", c.seqdial);
        Open();
        EXPECT_EQ(c.lines, app_->screen.scrollRange) << (c.scroll ? c.scroll : "none");
        EXPECT_EQ(c.transparent, Checked(kCmdPrintTransparent));
        EXPECT_EQ(c.transparent ? 1 : 0, app_->modes.transparentPrint);
        EXPECT_EQ(c.batch, app_->settings.BatchDial);
        EXPECT_EQ(installDir_, app_->settings.InstallDir);
        EXPECT_EQ(installDir_, app_->settings.SessionDir);
        EXPECT_EQ(installDir_, app_->settings.DownloadDir);
        EXPECT_EQ(installDir_ + "\\PALVEX.HLP", app_->settings.HelpFile);
        Close();
    }
}

TEST_F(MainWindowTest, WithoutAnInstallDirTheStartDirectoryIsUsed) {
    WriteProfileStringA("palvex32", "INSTALLDIR", nullptr);
    SetCurrentDirectoryA(installDir_.c_str());
    char start[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof start, start);
    Open();
    EXPECT_EQ(start, app_->settings.InstallDir);
    EXPECT_EQ(start, app_->settings.SessionDir);
    EXPECT_EQ(std::string(start) + "\\PALVEX.HLP", app_->settings.HelpFile);
}

TEST_F(MainWindowTest, TransPrintIsWrittenAtExitAndSeqdialIsLeftAlone) {
    WriteProfileStringA("palvex32", "seqdial", "1");
    Open();
    EXPECT_EQ(ProfileSnapshot::kMissing, ProfileSnapshot::Get("TransPrint"));
    SendMessageA(window_, WM_COMMAND, kCmdPrintTransparent, 0);
    EXPECT_TRUE(Checked(kCmdPrintTransparent));
    Close();
    EXPECT_EQ("1", ProfileSnapshot::Get("TransPrint"));
    EXPECT_EQ("1", ProfileSnapshot::Get("seqdial"));

    Open();
    EXPECT_TRUE(Checked(kCmdPrintTransparent));
    SendMessageA(window_, WM_COMMAND, kCmdPrintTransparent, 0);
    Close();
    EXPECT_EQ("0", ProfileSnapshot::Get("TransPrint"));
}

TEST_F(MainWindowTest, ClosingIsRefusedWhileThePortIsOpen) {
    enum Way { kExit, kClose, kEndSession };
    for (Way way : {kExit, kClose, kEndSession}) {
        Open();
        app_->port.PortOpen = 1;
        ui_ = RecordingUi{};
        auto ask = [&]() -> LRESULT {
            switch (way) {
            case kExit: return SendMessageA(window_, WM_COMMAND, kCmdExit, 0);
            case kClose: return SendMessageA(window_, WM_CLOSE, 0, 0);
            default: return SendMessageA(window_, WM_QUERYENDSESSION, 0, 0);
            }
        };
        const LRESULT refused = ask();
        EXPECT_TRUE(IsWindow(window_)) << way;
        ASSERT_EQ(1u, ui_.messages.size()) << way;
        EXPECT_EQ(10, ui_.messages[0].stringId);
        EXPECT_EQ(0x2040u, ui_.messages[0].style);
        EXPECT_EQ(std::vector<unsigned>{MB_ICONHAND}, ui_.beeps);
        if (way == kEndSession) {
            EXPECT_EQ(0, refused);
        }

        app_->port.PortOpen = 0;
        const LRESULT allowed = ask();
        EXPECT_FALSE(IsWindow(window_)) << way;
        if (way == kEndSession) {
            EXPECT_EQ(1, allowed);
        }
        EXPECT_EQ(1u, ui_.messages.size());
        Close();
    }
}

TEST_F(MainWindowTest, TheResizeOptionSetsTheTrackingHeights) {
    Open();
    const int frame = GetSystemMetrics(SM_CYMINTRACK) + GetSystemMetrics(SM_CYMENU) + GetSystemMetrics(SM_CYBORDER);
    const int cell = app_->screen.cellHeight;
    struct Case {
        int option, rows;
        int minHeight, maxHeight;  // -1: left as the system had it
    } cases[] = {
        {kResizeNone, 24, frame + 25 * cell + 86, frame + 25 * cell + 86},
        {kResizeTerm, 24, frame + 25 * cell + 86, -1},
        {kResizeFont, 24, -1, -1},
    };
    for (const Case& c : cases) {
        app_->CurrentService.ResizeMode = static_cast<int16_t>(c.option);
        MINMAXINFO info{};
        info.ptMinTrackSize = {111, 222};
        info.ptMaxTrackSize = {3333, 4444};
        SendMessageA(window_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(c.minHeight < 0 ? 222 : c.minHeight, info.ptMinTrackSize.y) << c.option;
        EXPECT_EQ(c.maxHeight < 0 ? 4444 : c.maxHeight, info.ptMaxTrackSize.y) << c.option;
        EXPECT_EQ(111, info.ptMinTrackSize.x);
        EXPECT_EQ(3333, info.ptMaxTrackSize.x);
    }
}

TEST_F(MainWindowTest, WithResizeOptionNoneTheWindowKeepsThePageHeight) {
    Open();
    ASSERT_EQ(kResizeNone, app_->CurrentService.ResizeMode);
    RECT before;
    GetWindowRect(window_, &before);
    ShowWindow(window_, SW_RESTORE);
    SetWindowPos(window_, nullptr, 0, 0, 500, before.bottom - before.top + 200, SWP_NOMOVE | SWP_NOZORDER);
    RECT taller;
    GetWindowRect(window_, &taller);
    SetWindowPos(window_, nullptr, 0, 0, 500, 100, SWP_NOMOVE | SWP_NOZORDER);
    RECT shorter;
    GetWindowRect(window_, &shorter);
    const int frame = GetSystemMetrics(SM_CYMINTRACK) + GetSystemMetrics(SM_CYMENU) + GetSystemMetrics(SM_CYBORDER);
    const int page = frame + 25 * app_->screen.cellHeight + 86;
    EXPECT_EQ(page, taller.bottom - taller.top);
    EXPECT_EQ(page, shorter.bottom - shorter.top);
}

TEST_F(MainWindowTest, MenuSelectionShowsTheHintAndClosingClearsIt) {
    Open();
    const struct {
        UINT item, flags;
        bool nullMenu;
        const char* hint;
    } cases[] = {
        {kCmdPhonebook, 0, false, "Open phonebook"},
        {kCmdResetTerm, MF_GRAYED, false, "Reset terminal setting"},
        {SC_CLOSE, MF_SYSMENU, false, "Exit from this program"},
        {SC_MAXIMIZE, MF_SYSMENU, false, "Enlarge Palvex window to fill screen"},
        {2, MF_POPUP, false, ""},      // a popup of the menu bar: only cleared
        {0, 0xFFFF, true, ""},         // the menu closes
        {999, 0, false, ""},           // no hint for this id
    };
    for (const auto& c : cases) {
        app_->toolbar.hint = "stale";
        SendMessageA(window_, WM_MENUSELECT, MAKEWPARAM(c.item, c.flags),
                     c.nullMenu ? 0 : reinterpret_cast<LPARAM>(GetMenu(window_)));
        EXPECT_EQ(c.hint, app_->toolbar.hint) << c.item;
    }
}

TEST_F(MainWindowTest, PressingAToolbarButtonShowsItsHintUntilReleased) {
    Open();
    HWND button = app_->toolbar.buttons[5];
    ASSERT_EQ(kCmdExit, GetDlgCtrlID(button));
    // Drawn into a bitmap: the hidden window's own pixels cannot be read.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 50);
    HGDIOBJ old = SelectObject(memory, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = kCmdExit;
    item.hwndItem = button;
    item.hDC = memory;
    item.rcItem = {0, 0, 64, 50};
    item.itemAction = ODA_SELECT;
    item.itemState = ODS_SELECTED;
    EXPECT_EQ(1, SendMessageA(window_, WM_DRAWITEM, kCmdExit, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ("Exit from this program", app_->toolbar.hint);
    // Pressed: the picture moved by two pixels, no shadow at the right edge.
    EXPECT_NE(RGB(0x80, 0x80, 0x80), GetPixel(item.hDC, 63, 10));

    item.itemState = 0;
    SendMessageA(window_, WM_DRAWITEM, kCmdExit, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ("", app_->toolbar.hint);
    EXPECT_EQ(RGB(0x80, 0x80, 0x80), GetPixel(item.hDC, 63, 10));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST_F(MainWindowTest, ChatChecksItselfAndDisablesTheScrollBars) {
    Open();
    SendMessageA(window_, WM_COMMAND, kCmdChat, 0);
    EXPECT_EQ(1, app_->pump.ChatMode);
    EXPECT_TRUE(Checked(kCmdChat));
    EXPECT_FALSE(IsWindowEnabled(app_->VScroll));
    EXPECT_FALSE(IsWindowEnabled(app_->HScroll));
    EXPECT_EQ(14, app_->pump.chat.remoteRow);
    SendMessageA(window_, WM_COMMAND, kCmdChat, 0);
    EXPECT_EQ(0, app_->pump.ChatMode);
    EXPECT_FALSE(Checked(kCmdChat));
    EXPECT_TRUE(IsWindowEnabled(app_->VScroll));
    EXPECT_TRUE(IsWindowEnabled(app_->HScroll));
}

TEST_F(MainWindowTest, ResetTermKeepsEightBitAnswersOnlyForVt220AndVt320) {
    Open();
    for (int type = 0; type <= 9; ++type) {
        app_->CurrentService.TerminalType = static_cast<int16_t>(type);
        app_->modes.c1Answers = 1;
        app_->modes.reverse = 1;
        app_->screen.attr = 0x17;
        app_->screen.marginTop = 5;
        app_->screen.graphics[1] = 1;
        app_->pump.PrintControllerActive = 1;
        SendMessageA(window_, WM_COMMAND, kCmdResetTerm, 0);
        EXPECT_EQ(type == 6 || type == 7 ? 1 : 0, app_->modes.c1Answers) << type;
        EXPECT_EQ(0, app_->modes.reverse);
        EXPECT_EQ(0x70, app_->screen.attr);
        EXPECT_EQ(1, app_->screen.marginTop);
        EXPECT_EQ(0, app_->screen.graphics[1]);
        EXPECT_EQ(0, app_->pump.PrintControllerActive);
    }
}

TEST_F(MainWindowTest, ClearBufferEmptiesTheScreenAndTheHistory) {
    Open();
    TerminalScreen& s = app_->screen;
    for (const char* text : {"one\r\n", "two\r\n"})
        for (const char* p = text; *p; ++p) {
            if (*p == '\r') CarriageReturn(s);
            else if (*p == '\n') LineFeed(s);
            else { ResolveAfterCR(s); PutChar(s, static_cast<uint8_t>(*p)); }
        }
    ASSERT_EQ(3, LineAt(s, 0).length);
    SendMessageA(window_, WM_COMMAND, kCmdClearBuffer, 0);
    EXPECT_EQ(0, LineAt(s, 0).length);
    EXPECT_EQ(0, LineAt(s, 1).length);
    EXPECT_EQ(0, s.cursorRow);
    EXPECT_EQ(0, s.cursorCol);
}

TEST_F(MainWindowTest, TransmitNeedsClipboardTextAndAnOpenPortCopyASelection) {
    Open();
    auto setClipboard = [&](const char* text) {
        ASSERT_TRUE(OpenClipboard(window_));
        EmptyClipboard();
        if (text) {
            HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
            std::memcpy(GlobalLock(block), text, std::strlen(text) + 1);
            GlobalUnlock(block);
            SetClipboardData(CF_TEXT, block);
        }
        CloseClipboard();
    };
    const struct {
        const char* clipboard;
        int portOpen;
        bool selection;
        bool transmit, copy;
    } cases[] = {
        {"hello", 1, false, true, false},
        {"hello", 0, true, false, true},
        {nullptr, 1, true, false, true},
        {nullptr, 0, false, false, false},
    };
    HMENU menu = GetMenu(window_);
    for (const auto& c : cases) {
        setClipboard(c.clipboard);
        app_->port.PortOpen = c.portOpen;
        app_->screen.selPlane[5 * kLineStride + 3] = c.selection ? 1 : 0;
        SendMessageA(window_, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        EXPECT_EQ(!c.transmit, Greyed(kCmdTransmit)) << (c.clipboard ? "text " : "none ") << c.portOpen;
        EXPECT_EQ(!c.copy, Greyed(kCmdCopy)) << c.selection;
    }
    app_->port.PortOpen = 0;
    setClipboard(nullptr);
}

TEST_F(MainWindowTest, F10IsAKeyOfTheTerminalNotOfTheMenu) {
    Open();
    app_->modes.autoRepeat = 1;
    app_->lastVirtualKey = 0;
    EXPECT_EQ(0, SendMessageA(window_, WM_SYSKEYDOWN, VK_F10, 0));
    EXPECT_EQ(VK_F10, app_->lastVirtualKey);
    EXPECT_EQ(0, SendMessageA(window_, WM_SYSKEYUP, VK_F10, 0xC0000001));

    // Without auto-repeat keys are taken when they come up, F10 as well.
    app_->modes.autoRepeat = 0;
    app_->lastVirtualKey = 0;
    EXPECT_EQ(0, SendMessageA(window_, WM_SYSKEYDOWN, VK_F10, 0));
    EXPECT_EQ(0, app_->lastVirtualKey);
    EXPECT_EQ(0, SendMessageA(window_, WM_SYSKEYUP, VK_F10, 0xC0000001));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window_, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_NOREMOVE));
}

}  // namespace
}  // namespace palvex
