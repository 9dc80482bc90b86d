// The transfer status dialog on the real main window over a scripted port:
// what only the real dialog shows. Whole transfers and Cancel in a running
// loop are checked against lrzsz end to end.
#include "shell_window_fixture.h"

#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "shell_dialogs_driver.h"
#include "transfer/framework.h"
#include "transfer/win/transfer_dialog.h"

namespace palvex {
namespace {

using testing::Click;
using testing::DialogScript;

constexpr UINT kCommNotify = 0x44;

std::string Field(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

class TransferWindowTest : public MainWindowTest {
protected:
    void Connect(int protocol) {
        MainWindowTest::Connect([protocol](ServiceEntry& s) { s.Protocol = static_cast<int16_t>(protocol); });
        device_.written.clear();
    }

    HWND Dialog() const { return static_cast<HWND>(app_->pump.SessionDialog); }
    TransferRun& Run() { return *CurrentTransferRun(*app_); }
    std::string Path(const char* name) const { return installDir_ + "\\" + name; }

    // The Receive command with the save choice answered by `name`.
    void StartReceive(const char* name) {
        const std::string path = Path(name);
        DialogScript script({{"bordlg_gray", "Save File", [&path](HWND d) {
                                  SetDlgItemTextA(d, dlg::kFileName, path.c_str());
                                  Click(d, dlg::kOk);
                              }}});
        Command(kCmdReceive);
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
        ASSERT_NE(nullptr, Dialog());
        testing::Notify(Dialog(), dlg::kXfrButton, BN_CLICKED);
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
            Command(kCmdSend);
        else
            StartReceive(c.chosen);
        HWND dialog = Dialog();
        ASSERT_NE(nullptr, dialog);
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
        EXPECT_TRUE(!c.chosen || std::filesystem::exists(Path(c.chosen))) << "the chosen file is made empty at once";

        // Cancel before the start arrives: the run ends at once.
        Press();
        EXPECT_EQ(0, RunWaiting());
        EXPECT_EQ("OK", Field(dialog, dlg::kXfrButton));
        EXPECT_EQ(c.send ? "Error" : "Transfer terminated", Field(dialog, dlg::kXfrStatus));
        CloseAndExpectTheMainWindowBack();
        EXPECT_FALSE(IsWindow(dialog));
        Close();
    }
}

// The bar: blue from the left over percent of its width, the DC's own brush
// (white in a fresh memory DC) over the rest; a new percentage invalidates it.
TEST_F(TransferWindowTest, TheProgressBarPaintsBlueToThePercentage) {
    Connect(kProtoYmodemBatch);
    Command(kCmdReceive);
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
    } cases[] = {{1, 2}, {37, 74}, {250, 200}, {-5, 0}};
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

}  // namespace
}  // namespace palvex
