// The real main window over a scripted device: start-up, the profile, closing,
// the page height, the toolbar's hints and the menu against the resources;
// then a session's set-up, the carrier's loss, the printer spool,
// Terminal Preferences, and the mouse with the right button. The rules behind each are checked natively, Dial and whole
// transfers end to end.
#include "shell_window_fixture.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "comm/port_types.h"
#include "shell/app_tables.h"
#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "shell_dialogs_driver.h"

namespace palvex {
namespace {

using testing::Click;

TEST_F(MainWindowTest, StartUpOpensThePhoneBookWithoutAMessage) {
    Open();
    EXPECT_EQ(std::vector<int>{kCmdPhonebook}, commands_);
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().stringId;
    EXPECT_EQ(kOfflineIds, ButtonIds());
    EXPECT_EQ("Offline", app_->toolbar.StatusWord);
    EXPECT_TRUE(Greyed(kCmdHangup));
    EXPECT_FALSE(Greyed(kCmdPhonebook));
    EXPECT_EQ(0, std::memcmp(&app_->CurrentService, &static_cast<const ServiceEntry&>(DefaultServiceEntry()),
                             sizeof(ServiceEntry)));
}

// The settings' rules are checked natively; here the real profile.
TEST_F(MainWindowTest, TransPrintIsWrittenAtExitAndTheProfileReadAtStart) {
    WriteProfileStringA("palvex32", "seqdial", "1");
    WriteProfileStringA("palvex32", "scroll", "3000");
    Open();
    EXPECT_EQ(3000, app_->screen.scrollRange);
    EXPECT_EQ(1, app_->settings.BatchDial);
    EXPECT_EQ(installDir_ + "\\PALVEX.HLP", app_->settings.HelpFile);
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

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

// A hint or a menu item missing from palvex32.rc shows up here rather than as
// an empty status line.
TEST(Hints, EveryMenuItemWithAHintHasItsString) {
    HMENU menu = LoadMenuA(Module(), "File");
    ASSERT_NE(nullptr, menu);
    int checked = 0;
    for (int top = 0; top < GetMenuItemCount(menu); ++top) {
        HMENU sub = GetSubMenu(menu, top);
        for (int i = 0; sub && i < GetMenuItemCount(sub); ++i) {
            const int id = HintStringId(GetMenuItemID(sub, i));
            if (!id) continue;
            char text[512] = {};
            EXPECT_GT(LoadStringA(Module(), static_cast<UINT>(id), text, sizeof text), 0)
                << "menu item " << GetMenuItemID(sub, i);
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
    DestroyMenu(menu);
}

TEST(MenuStates, OnlineAndOfflineItemsAreDisjointAndAllInTheMenu) {
    HMENU menu = LoadMenuA(Module(), "File");
    ASSERT_NE(nullptr, menu);
    const std::set<int> online(OnlineOnlyCommands().begin(), OnlineOnlyCommands().end());
    for (int id : OfflineOnlyCommands()) EXPECT_FALSE(online.count(id)) << id;
    for (auto list : {OnlineOnlyCommands(), OfflineOnlyCommands()})
        for (int id : list) EXPECT_NE(static_cast<UINT>(-1), GetMenuState(menu, id, MF_BYCOMMAND)) << id;
    DestroyMenu(menu);
}

using SessionTest = MainWindowTest;

TEST_F(SessionTest, ADirectConnectionSetsTheSessionUpFromTheService) {
    const struct Case {
        int type, keypad, answer, width, height;
        int keypadApp;
        bool colourGreyed;
        const char* written;
        int columns, rows;
    } cases[] = {
        {kTypeVt100Color, 1, 1, 1, 30, 0, true, "ATS0=1\r", 132, 30},
        {kTypeWyse50, 1, 0, 0, 0, 1, false, "", 80, 24},
    };
    for (const Case& c : cases) {
        Open();
        ConnectDirect([&c](ServiceEntry& s) {
            s.TerminalType = static_cast<int16_t>(c.type);
            s.KeypadApplication = static_cast<int16_t>(c.keypad);
            s.AnswerOnDirect = static_cast<int16_t>(c.answer);
            s.TerminalWidth = static_cast<int16_t>(c.width);
            s.TerminalHeight = static_cast<int16_t>(c.height);
            s.RealtimeView = static_cast<int16_t>(c.answer);
            s.DefaultColours = 1;
        });
        const ServiceEntry& s = app_->CurrentService;
        EXPECT_TRUE(ui_.messages.empty());
        EXPECT_EQ("COM1:", device_.deviceName);
        EXPECT_EQ(c.written, device_.WrittenText()) << c.type;
        EXPECT_EQ(kOnlineIds, ButtonIds());
        EXPECT_EQ("Connected", app_->toolbar.StatusWord);
        EXPECT_EQ("DIRECT is connected to COM1:2400,8,N,1", app_->toolbar.ConnectionText);
        EXPECT_EQ(c.columns, app_->screen.columns);
        EXPECT_EQ(c.rows, app_->screen.rows);
        EXPECT_EQ(c.keypadApp, app_->modes.keypadApp) << c.type;
        EXPECT_EQ(c.answer != 0, Checked(kCmdAnswer));
        EXPECT_EQ(c.answer != 0, Checked(kCmdViewRealtime));
        EXPECT_EQ(c.colourGreyed, Greyed(kCmdColor)) << c.type;
        EXPECT_EQ(c.colourGreyed ? 0 : 1, s.DefaultColours);
        EXPECT_TRUE(Greyed(kCmdPhonebook));
        EXPECT_EQ(installDir_, s.SessionLogDir) << "an empty directory is filled from the settings";
        EXPECT_TRUE(TakeCommNotify()) << "the pump is to start";
        device_.written.clear();
        Command(kCmdAnswer);  // typing reaches the line end to end; answer toggles here
        EXPECT_EQ(c.answer == 0, Checked(kCmdAnswer));
        EXPECT_EQ(c.answer ? "ATS0=0\r" : "ATS0=1\r", device_.WrittenText());
        Close();
        device_ = FakePort{};
    }
}

TEST_F(SessionTest, CarrierLossIsReportedOncePerDisconnectAndReopensThePhoneBook) {
    Open();
    for (int session = 1; session <= 2; ++session) {
        int polls = 0;
        device_.SetCarrier(true);
        device_.onEmptyRead = [&polls](FakePort& port) {
            if (++polls == 3) port.SetCarrier(false);
        };
        device_.QueueInput("\x1b[2;5Hhello");
        ConnectDirect([](ServiceEntry& s) { s.TerminalType = kTypeVt100; });
        Pump();  // the pump runs until the carrier goes

        EXPECT_EQ(0, app_->port.PortOpen);
        EXPECT_EQ(0, app_->pump.PumpRunning);
        EXPECT_EQ(session, CountMessages(110)) << session;
        EXPECT_EQ(0x2040u, ui_.messages.back().style);
        EXPECT_EQ(std::vector<int>(session + 1, kCmdPhonebook), commands_);
        EXPECT_EQ(kOfflineIds, ButtonIds());
        EXPECT_EQ("Offline", app_->toolbar.StatusWord);
        EXPECT_EQ("hello", std::string(reinterpret_cast<const char*>(LineAt(app_->screen, 1).text) + 4, 5));
    }
    EXPECT_EQ(2, device_.closeCount);
    EXPECT_NE(device_.escapes.end(), std::find(device_.escapes.begin(), device_.escapes.end(), kClrDtr));
    EXPECT_EQ(2418u, std::filesystem::file_size(installDir_ + "\\DIRECT.phn")) << "written back";
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(SessionTest, ThePrinterSpoolIsWrittenOutWhenTheSessionEnds) {
    const std::string text(600, 'p');
    for (bool byReset : {false, true}) {
        Connect([](ServiceEntry& s) { s.TerminalType = kTypeVt102; });
        SetCurrentDirectoryA(installDir_.c_str());
        app_->modes.transparentPrint = 1;
        Receive("\x1b[5i" + text);
        EXPECT_EQ(1, app_->pump.PrintControllerActive);
        Command(byReset ? kCmdResetTerm : kCmdHangup);
        EXPECT_EQ(0, app_->pump.PrintControllerActive);
        EXPECT_FALSE(app_->spool.Active());
        EXPECT_EQ(text, Read(installDir_ + "\\temp.txt")) << byReset;
        Close();
        device_ = FakePort{};
    }
}

// The refusals keep the dialog open (their rules are checked natively); the
// accepted height grows the window at once and the range reaches the profile.
TEST_F(SessionTest, TerminalPreferencesRefusalsKeepTheDialogOpenAndTheHeightGrowsTheWindow) {
    Connect();
    RECT client{};
    GetClientRect(window_, &client);
    const LONG heightBefore = client.bottom;
    auto prefs = [](const char* height, const char* range) {
        return testing::DialogStep{"bordlg_gray", "Terminal Preferences", [height, range](HWND d) {
                                       SetDlgItemTextA(d, dlg::kTermHeight, height);
                                       SetDlgItemTextA(d, dlg::kTermScrollRange, range);
                                       Click(d, dlg::kOk);
                                   }};
    };
    {
        testing::DialogScript script({prefs("100", "1000"), prefs("99", "20"), prefs("99", "3000")});
        Command(kCmdTerminalPrefs);
    }
    EXPECT_EQ((std::vector<int>{str::kStrTermPageSize, str::kStrScrollRangeInvalid, str::kStrScrollRangeOnRestart}),
              Shown());
    EXPECT_EQ("3000", ProfileValue("scroll"));
    EXPECT_EQ(99, app_->screen.rows) << "a connected page takes the height at once";
    EXPECT_EQ(1000, app_->screen.scrollRange) << "the ring waits for the next start";
    GetClientRect(window_, &client);
    EXPECT_GT(client.bottom, heightBefore + 70 * app_->screen.cellHeight) << "the window grows to the page";
}

std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) return "<not opened>";
    std::string text = "<no text>";
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) text = p;
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

class ClipboardWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        CloseClipboard();
    }

    // The middle of a cell as shown now.
    LPARAM At(int row, int col) const {
        const int cw = app_->screen.cellWidth, ch = app_->screen.cellHeight;
        return MAKELPARAM((col - app_->screen.hOffset) * cw + cw / 2, kTextTop + row * ch + ch / 2);
    }
    void Drag(LPARAM from, LPARAM to) {
        PostMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, from);
        PostMessageA(window_, WM_MOUSEMOVE, MK_LBUTTON, to);
        PostMessageA(window_, WM_LBUTTONUP, 0, to);
        Pump();
    }
    // As the menu opens.
    bool CopyGreyed() {
        SendMessageA(window_, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(window_)), 0);
        return Greyed(kCmdCopy);
    }
};

// Dragged up over three lines, then the right button: copied and sent.
TEST_F(ClipboardWindowTest, TheMouseMarksCellsAndTheRightButtonCopiesAndSendsThem) {
    Connect([](ServiceEntry& s) {
        s.FlowControl = 1;
        s.AsciiStripLf = 1;
    });
    Receive("first line\r\nsecond\r\nthird one");
    device_.written.clear();
    device_.states.clear();
    EXPECT_TRUE(CopyGreyed()) << "nothing selected yet";
    PostMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, At(0, 0));
    Pump();
    EXPECT_EQ("", device_.WrittenText()) << "nothing is selected";

    Drag(At(2, 4), At(0, 6));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(CopyGreyed());
    PostMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, At(0, 0));
    Pump();
    EXPECT_EQ("line\r\nsecond\r\nthird", ClipboardText());
    EXPECT_EQ("line\rsecond\rthird", device_.WrittenText());
    EXPECT_EQ(2u, device_.states.size()) << "XON/XOFF joins hardware flow control for the text";
    Drag(At(1, 1), At(1, 1));  // a click
    Command(kCmdCopy);
    EXPECT_EQ("", ClipboardText());
}

}  // namespace
}  // namespace palvex
