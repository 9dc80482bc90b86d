// The transfer status dialog on the real main window over a scripted port: what
// only the real dialog shows (its fields, Cancel pressed while the loop pumps,
// the close that gives the main window back, the progress bar's paint, the
// viewer link's messages) and the refusals of the two commands. Whole
// transfers, their ends and the carrier loss are checked natively and against
// lrzsz end to end.
#include "shell_window_fixture.h"

#include <deque>

#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "shell_dialogs_driver.h"
#include "transfer/framework.h"
#include "transfer/win/transfer_dialog.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;

constexpr UINT kCommNotify = 0x44;
constexpr uint8_t kCan = 0x18;

std::string Field(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// A window of its own class whose messages go to `proc` with `self` at hand.
template <typename Self>
HWND MakeWindow(const char* cls, LRESULT(CALLBACK* proc)(HWND, UINT, WPARAM, LPARAM), HWND parent, DWORD style,
                Self* self) {
    WNDCLASSA c{};
    c.lpfnWndProc = proc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = cls;
    RegisterClassA(&c);  // fails harmlessly from the second time on
    HWND window = CreateWindowA(cls, "", style, 0, 0, 10, 10, parent, nullptr, c.hInstance, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return window;
}

template <typename Self>
Self* Of(HWND window) {
    return reinterpret_cast<Self*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Runs actions from inside whichever loop takes the next message: posted
// behind the transfer's start, an action runs while the transfer loop spins.
class InsideLoop {
public:
    InsideLoop() : window_(MakeWindow("PalvexTransferActor", Proc, HWND_MESSAGE, 0, this)) {}
    ~InsideLoop() { DestroyWindow(window_); }

    void Post(std::function<void()> action) {
        actions_.push_back(std::move(action));
        PostMessageA(window_, WM_APP, 0, 0);
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = Of<InsideLoop>(window);
        if (message != WM_APP || !self || self->actions_.empty())
            return DefWindowProcA(window, message, wParam, lParam);
        auto action = std::move(self->actions_.front());
        self->actions_.pop_front();
        action();
        return 0;
    }

    HWND window_;
    std::deque<std::function<void()>> actions_;
};

// A top-level window standing in for the picture viewer: it answers the offer
// (992) with 996 and keeps what reaches it.
struct FakeViewer {
    FakeViewer() : window(MakeWindow("PalvexFakeViewer", Proc, nullptr, WS_POPUP, this)) {}
    ~FakeViewer() { DestroyWindow(window); }

    HWND window;
    std::vector<UINT> received;  // 1000 and 993, in order
    std::string application, topic;
    HWND offeredBy = nullptr;

    static std::string AtomText(ATOM atom) {
        char text[MAX_PATH] = {};
        GlobalGetAtomNameA(atom, text, sizeof text);
        return text;
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = Of<FakeViewer>(window);
        if (!self) return DefWindowProcA(window, message, wParam, lParam);
        switch (message) {
        case kMsgViewerAttach:
            self->offeredBy = reinterpret_cast<HWND>(wParam);
            self->application = AtomText(LOWORD(lParam));
            self->topic = AtomText(HIWORD(lParam));
            SendMessageA(self->offeredBy, kMsgViewerHello, reinterpret_cast<WPARAM>(window), 0);
            return 0;
        case kMsgViewerNotify:
        case kMsgViewerClose: self->received.push_back(message); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
        }
    }
};

class TransferWindowTest : public MainWindowTest {
protected:
    void Connect(int protocol) {
        Open();
        ConnectDirect([protocol](ServiceEntry& s) { s.Protocol = static_cast<int16_t>(protocol); });
        ASSERT_TRUE(TakeCommNotify());
        device_.written.clear();
        device_.purges.clear();
    }

    HWND Dialog() const { return static_cast<HWND>(app_->pump.SessionDialog); }
    TransferRun& Run() { return *CurrentTransferRun(*app_); }
    std::string Path(const char* name) const { return installDir_ + "\\" + name; }

    // The Receive command with the save choice answered by `name` when the
    // protocol asks for one.
    void StartReceive(const char* name = nullptr) {
        if (!name) {
            SendMessageA(window_, WM_COMMAND, kCmdReceive, 0);
            return;
        }
        const std::string path = Path(name);
        DialogScript script({{"bordlg_gray", "Save File", [&path](HWND d) {
                                  SetDlgItemTextA(d, dlg::kFileName, path.c_str());
                                  Click(d, dlg::kOk);
                              }}});
        SendMessageA(window_, WM_COMMAND, kCmdReceive, 0);
    }

    // Everything waiting, the session dialog's keys first, as the program's
    // loops do; the restart of the pump is counted instead of run (the fake
    // line would keep it going for ever).
    int RunWaiting() {
        int restarts = 0;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            if (msg.hwnd == window_ && msg.message == kCommNotify) {
                ++restarts;
                continue;
            }
            HWND dialog = Dialog();
            if (dialog && IsDialogMessageA(dialog, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return restarts;
    }

    // The button as a click reaches the dialog.
    void Press() {
        HWND dialog = Dialog();
        ASSERT_NE(nullptr, dialog);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(dlg::kXfrButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, dlg::kXfrButton)));
    }

    // The second press (the button reads "OK") and the main window's end.
    void CloseAndExpectTheMainWindowBack() {
        Press();
        EXPECT_EQ(1, RunWaiting()) << "the pump restarts once";
        EXPECT_EQ(nullptr, app_->pump.SessionDialog);
        EXPECT_TRUE(IsWindowEnabled(window_));
        EXPECT_EQ(0, app_->transfer.TransferCancelled);
        EXPECT_EQ(0, app_->pump.TransferActive);
    }
};

// The dialog's fields as WM_INITDIALOG leaves them, before the transfer's
// start arrives, and the byte that asks the sender to begin.
TEST_F(TransferWindowTest, TheDialogOpensWithItsFieldsAndTheStartByte) {
    struct Case {
        bool send;
        int protocol;
        const char* chosen;  // the save choice, for the XMODEMs
        const char* title;
        const char* status;
        const char* size;
        std::string written;
    };
    const Case cases[] = {
        {false, kProtoXmodemChecksum, "in.bin", "File Receiving", "Waiting...", "Unknown", "\x15"},
        {true, kProtoXmodemCrc, nullptr, "Sending", "Sending", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.send ? "send " : "receive ") + ProtocolName(c.protocol));
        Connect(c.protocol);
        if (c.send)
            SendMessageA(window_, WM_COMMAND, kCmdSend, 0);
        else
            StartReceive(c.chosen);
        HWND dialog = Dialog();
        ASSERT_NE(nullptr, dialog);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(c.title, testing::WindowText(dialog));
        EXPECT_EQ(ProtocolName(c.protocol), Field(dialog, dlg::kXfrProtocol));
        EXPECT_EQ(c.status, Field(dialog, dlg::kXfrStatus));
        EXPECT_EQ("None", Field(dialog, dlg::kXfrError));
        EXPECT_EQ("0", Field(dialog, dlg::kXfrTotalErrors));
        EXPECT_EQ(c.size, Field(dialog, dlg::kXfrFileSize));
        EXPECT_EQ(c.chosen ? c.chosen : "", Field(dialog, dlg::kXfrFileName));
        EXPECT_EQ("Cancel", Field(dialog, dlg::kXfrButton));
        EXPECT_EQ(c.written, device_.WrittenText());
        EXPECT_FALSE(IsWindowEnabled(window_)) << "the main window waits for the transfer";
        EXPECT_EQ(1, app_->pump.TransferActive);
        if (c.chosen) {
            EXPECT_TRUE(std::filesystem::exists(Path(c.chosen))) << "the chosen file is made empty at once";
        }

        // Cancel before the start arrives: the run ends at once.
        Press();
        EXPECT_EQ(0, RunWaiting());
        EXPECT_EQ("OK", Field(dialog, dlg::kXfrButton));
        EXPECT_EQ(c.send ? "Error" : "Transfer terminated", Field(dialog, dlg::kXfrStatus));
        EXPECT_FALSE(IsWindowEnabled(window_));
        CloseAndExpectTheMainWindowBack();
        EXPECT_FALSE(IsWindow(dialog));
        Close();
    }
}

// The first press while the receive loop runs: three CANs (after whatever was
// waiting to go out is dropped), "user cancelled" and "OK" at once; the loop
// then ends and the second press closes.
TEST_F(TransferWindowTest, FirstCancelInTheReceiveLoopSendsThreeCansAndTheSecondCloses) {
    Connect(kProtoXmodemCrc);
    StartReceive("b.bin");
    HWND dialog = Dialog();
    ASSERT_NE(nullptr, dialog);
    const std::string cancelled = "C" + std::string(3, static_cast<char>(kCan));
    bool running = false;
    std::string status, error, button, written;
    size_t purges = 0;
    InsideLoop inside;
    inside.Post([&] {
        running = TransferRunning(*app_);
        Press();
        status = Field(dialog, dlg::kXfrStatus);
        error = Field(dialog, dlg::kXfrError);
        button = Field(dialog, dlg::kXfrButton);
        written = device_.WrittenText();
        purges = device_.purges.size();
    });
    EXPECT_EQ(0, RunWaiting());

    EXPECT_TRUE(running) << "the press came while the loop ran";
    EXPECT_EQ("user cancelled", status);
    EXPECT_EQ("Error", error);
    EXPECT_EQ("OK", button);
    EXPECT_EQ(cancelled, written);
    EXPECT_NE(0u, purges) << "the transmit queue is purged";
    EXPECT_FALSE(TransferRunning(*app_));
    EXPECT_EQ("Transfer terminated", Field(dialog, dlg::kXfrStatus));
    EXPECT_EQ(cancelled, device_.WrittenText()) << "nothing more after the cancel";
    EXPECT_FALSE(IsWindowEnabled(window_));
    CloseAndExpectTheMainWindowBack();
    EXPECT_FALSE(IsWindow(dialog));
}

// The bar: blue from the left over percent of its width, the DC's own brush
// (white in a fresh memory DC) over the rest; a new percentage invalidates it.
TEST_F(TransferWindowTest, TheProgressBarPaintsBlueToThePercentage) {
    Connect(kProtoYmodemBatch);
    SendMessageA(window_, WM_COMMAND, kCmdReceive, 0);
    HWND dialog = Dialog();
    ASSERT_NE(nullptr, dialog);
    HWND bar = GetDlgItem(dialog, dlg::kXfrProgressBar);
    constexpr int kWidth = 200, kHeight = 8;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);

    const struct {
        int percent;
        int blue;  // columns
    } cases[] = {{0, 0}, {1, 2}, {37, 74}, {50, 100}, {100, 200}, {250, 200}, {-5, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.percent);
        ValidateRect(bar, nullptr);
        Run().host.PaintProgress(c.percent);
        RECT dirty{};
        EXPECT_TRUE(GetUpdateRect(bar, &dirty, FALSE)) << "the bar is to be repainted";

        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_STATIC;
        item.CtlID = dlg::kXfrProgressBar;
        item.hwndItem = bar;
        item.hDC = dc;
        item.rcItem = {0, 0, kWidth, kHeight};
        SendMessageA(dialog, WM_DRAWITEM, dlg::kXfrProgressBar, reinterpret_cast<LPARAM>(&item));
        int leadingBlue = 0, blue = 0, white = 0;
        for (int x = 0; x < kWidth; ++x) {
            const COLORREF pixel = GetPixel(dc, x, kHeight / 2);
            blue += pixel == RGB(0, 0, 255);
            white += pixel == RGB(255, 255, 255);
            if (blue == x + 1) leadingBlue = blue;
        }
        EXPECT_EQ(c.blue, leadingBlue) << "blue from the left";
        EXPECT_EQ(c.blue, blue);
        EXPECT_EQ(kWidth - c.blue, white);
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    Press();
    RunWaiting();
    CloseAndExpectTheMainWindowBack();
}

// The viewer link: the offer goes to every top-level window with the atoms
// "LivePict" and the path; once the viewer answers, the dialog notifies it and
// closes it, and a close from the viewer detaches it. Without the viewer
// program the start fails with its message. 1000 is DDE's execute message:
// Wine drops it on arrival when it carries no command block, so only the
// close can be seen here.
TEST_F(TransferWindowTest, TheViewerLinkAttachesNotifiesAndCloses) {
    Connect(kProtoXmodemCrc);
    SendMessageA(window_, WM_COMMAND, kCmdSend, 0);
    HWND dialog = Dialog();
    ASSERT_NE(nullptr, dialog);
    Press();  // no file is chosen: the send ends at its start
    RunWaiting();
    WinTransferHost& host = Run().host;
    const std::string picture = Path("PIC.GIF");

    FakeViewer viewer;
    host.OfferToViewer(picture);
    EXPECT_EQ(dialog, viewer.offeredBy);
    EXPECT_EQ("LivePict", viewer.application);
    EXPECT_EQ(0, lstrcmpiA(picture.c_str(), viewer.topic.c_str()));
    EXPECT_EQ(viewer.window, host.viewer);
    EXPECT_EQ(1, app_->transfer.ViewerActive);

    ViewerNotify(Run().transfer);
    ViewerNotify(Run().transfer);
    ViewerClose(Run().transfer);
    RunWaiting();
    EXPECT_EQ(std::vector<UINT>{kMsgViewerClose}, viewer.received);
    EXPECT_EQ(nullptr, host.viewer);
    EXPECT_EQ(0, app_->transfer.ViewerActive);

    // The viewer closing by itself.
    host.OfferToViewer(picture);
    ASSERT_EQ(viewer.window, host.viewer);
    SendMessageA(dialog, kMsgViewerClose, reinterpret_cast<WPARAM>(viewer.window), 0);
    EXPECT_EQ(nullptr, host.viewer);
    EXPECT_EQ(0, app_->transfer.ViewerActive);
    ViewerNotify(Run().transfer);
    RunWaiting();
    host.CloseViewer();
    RunWaiting();
    EXPECT_EQ(1u, viewer.received.size()) << "nothing reaches a viewer that has gone";

    // No imgshow32.exe here: string 37, and the transfer goes on.
    LaunchViewer(Run().transfer);
    EXPECT_EQ(1, CountMessages(str::kStrViewerFailed));
    EXPECT_EQ(0, app_->transfer.ViewerActive);

    CloseAndExpectTheMainWindowBack();
}

// Leaving the save choice or the batch list empty ends the transfer before
// anything is sent, and the dialog closes by itself.
TEST_F(TransferWindowTest, NoFileChosenClosesTheDialogByItself) {
    struct Case {
        int command;
        int protocol;
        const char* chooser;
        int messages;  // "File open error" shown
    };
    for (const Case& c : {Case{kCmdReceive, kProtoXmodem1k, "Save File", 1},
                          Case{kCmdSend, kProtoYmodemBatch, "Batch List", 0}}) {
        SCOPED_TRACE(c.chooser);
        Connect(c.protocol);
        int restarts = 0;
        {
            DialogScript script({{"bordlg_gray", c.chooser, [](HWND d) { Click(d, dlg::kCancel); }}});
            SendMessageA(window_, WM_COMMAND, c.command, 0);
            restarts = RunWaiting();
        }
        EXPECT_EQ(1, restarts);
        EXPECT_EQ(nullptr, app_->pump.SessionDialog);
        EXPECT_TRUE(IsWindowEnabled(window_));
        EXPECT_EQ(0, app_->pump.TransferActive);
        EXPECT_EQ(0, app_->transfer.TransferCancelled);
        EXPECT_EQ(c.messages, CountMessages(str::kStrFileOpenError));
        EXPECT_EQ("", device_.WrittenText()) << "no start byte, no CAN";
        ui_.messages.clear();
        Close();
    }
}

// Receive and Send need the line and the session dialog's slot.
TEST_F(TransferWindowTest, TheCommandsOpenNothingOfflineOrOverAnotherSessionDialog) {
    struct Case {
        const char* name;
        bool connect;
        bool otherDialog;
    };
    for (const Case& c : {Case{"offline", false, false}, Case{"another dialog", true, true}}) {
        for (int command : {kCmdReceive, kCmdSend}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(command));
            if (c.connect)
                Connect(kProtoYmodemBatch);
            else
                Open();
            HWND other = nullptr;
            if (c.otherDialog) {
                other = CreateWindowA("STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Module(), nullptr);
                app_->pump.SessionDialog = other;
            }
            SendMessageA(window_, WM_COMMAND, command, 0);
            EXPECT_EQ(other, app_->pump.SessionDialog);
            EXPECT_EQ(0, app_->pump.TransferActive);
            EXPECT_TRUE(device_.written.empty());
            if (other) {
                app_->pump.SessionDialog = nullptr;
                DestroyWindow(other);
            }
            Close();
        }
    }
}

// Timer 23 of the main window is the ZMODEM byte time-out; 26 is only killed.
TEST_F(TransferWindowTest, TheZmodemTimersOfTheMainWindow) {
    Open();
    for (const auto& c : {std::pair{23, 1}, std::pair{26, 0}}) {
        app_->transfer.ZmodemTimeoutFlag = 0;
        SetTimer(window_, c.first, 60000, nullptr);
        SendMessageA(window_, WM_TIMER, c.first, 0);
        EXPECT_EQ(c.second, app_->transfer.ZmodemTimeoutFlag) << c.first;
        EXPECT_FALSE(KillTimer(window_, c.first)) << "timer " << c.first << " was killed";
    }
}

}  // namespace
}  // namespace palvex
