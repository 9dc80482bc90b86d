// The selection and the clipboard through the real main window: the mouse
// marking cells, Copy, the right button, Transmit, and the view following a
// pointer held outside the text. Which cells give which text is checked natively.
#include "shell_window_fixture.h"

#include "comm/pump.h"
#include "shell/command_ids.h"

namespace palvex {
namespace {

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

void EmptyTheClipboard() {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
}

void SetClipboardText(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

class ClipboardWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        EmptyTheClipboard();
    }

    void Connect(const std::function<void(ServiceEntry&)>& adjust = {}) {
        ConnectDirect(adjust);
        ASSERT_TRUE(TakeCommNotify());
    }
    void Receive(const std::string& bytes) {
        device_.QueueInput(bytes);
        DrainPort(app_->session);
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
    bool GreyedNow(int id) {
        SendMessageA(window_, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(window_)), 0);
        return Greyed(id);
    }
    bool CopyGreyed() { return GreyedNow(kCmdCopy); }
    bool TransmitGreyed() { return GreyedNow(kCmdTransmit); }
    void Command(int id) { SendMessageA(window_, WM_COMMAND, id, 0); }
};

TEST_F(ClipboardWindowTest, CopyTakesTheCellsTheMouseMarked) {
    const struct {
        const char* what;
        int fromRow, fromCol, toRow, toCol;
        const char* text;
    } cases[] = {
        {"three lines", 0, 0, 2, 4, "first line\r\nsecond\r\nthird"},
        {"dragged up", 2, 4, 0, 6, "line\r\nsecond\r\nthird"},
        {"one line", 1, 1, 1, 3, "eco"},
        {"a click", 1, 1, 1, 1, ""},
    };
    Open();
    Connect();
    Receive("first line\r\nsecond\r\nthird one");
    ASSERT_GT(app_->view.visibleColumns, 10);
    EXPECT_TRUE(CopyGreyed()) << "nothing selected yet";
    for (const auto& c : cases) {
        SetClipboardText("before");
        Drag(At(c.fromRow, c.fromCol), At(c.toRow, c.toCol));
        EXPECT_EQ(nullptr, GetCapture()) << c.what;
        EXPECT_FALSE(CopyGreyed()) << c.what;
        Command(kCmdCopy);
        EXPECT_EQ(c.text, ClipboardText()) << c.what;
    }
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ClipboardWindowTest, AClickOutsideTheTextStartsNoSelection) {
    Open();
    Connect();
    Receive("text");
    const int right = app_->view.visibleColumns * app_->screen.cellWidth;
    for (LPARAM outside : {MAKELPARAM(5, kTextTop - 5), MAKELPARAM(right + 2, kTextTop + 3)}) {
        Drag(outside, At(0, 3));
        EXPECT_FALSE(app_->selection.SelectionExists);
        EXPECT_TRUE(CopyGreyed());
    }
}

TEST_F(ClipboardWindowTest, TheRightButtonCopiesAndSendsTheSelection) {
    Open();
    Connect([](ServiceEntry& s) {
        s.FlowControl = 1;
        s.AsciiStripLf = 1;
    });
    Receive("first line\r\nsecond");
    device_.written.clear();
    device_.states.clear();

    PostMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, At(0, 0));
    Pump();
    EXPECT_EQ("", device_.WrittenText()) << "nothing is selected";

    Drag(At(0, 6), At(1, 5));
    PostMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, At(0, 0));
    Pump();
    EXPECT_EQ("line\r\nsecond", ClipboardText());
    EXPECT_EQ("line\rsecond", device_.WrittenText());
    // Hardware flow control alone: XON/XOFF joins it for the text and leaves again.
    ASSERT_EQ(2u, device_.states.size());
    EXPECT_EQ(1u, device_.states[0].fOutX);
    EXPECT_EQ(1u, device_.states[0].fInX);
    EXPECT_EQ(0u, device_.states[1].fOutX);
    EXPECT_EQ(0u, device_.states[1].fInX);
}

TEST_F(ClipboardWindowTest, TransmitSendsTheClipboardAsTyped) {
    Open();
    EXPECT_TRUE(TransmitGreyed()) << "offline";
    Connect([](ServiceEntry& s) {
        s.AsciiStripLf = 0;
        s.OutboundCrLf = 0;
        s.BackspaceDelete = 1;
    });
    EXPECT_TRUE(TransmitGreyed()) << "no text on the clipboard";
    SetClipboardText("dir\r\nx\by");
    EXPECT_FALSE(TransmitGreyed());
    device_.written.clear();
    Command(kCmdTransmit);
    EXPECT_EQ("dir\r\nx\x7fy", device_.WrittenText());
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ClipboardWindowTest, APointerHeldOutsideTheTextScrollsTheViewTowardsIt) {
    Open();
    Connect([](ServiceEntry& s) { s.TerminalWidth = 1; });
    std::string lines;
    for (int i = 1; i <= 30; ++i) lines += (i > 1 ? "\r\n" : "") + std::string(i < 10 ? "L0" : "L") + std::to_string(i);
    Receive(lines);
    // Narrower than 132 columns, so that the text can scroll sideways.
    SetWindowPos(window_, nullptr, 0, 0, 640, 600, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    const int rows = app_->screen.rows;
    ASSERT_EQ(24, rows);
    ASSERT_LT(app_->view.visibleColumns, 132) << "the window must be narrower than the terminal";
    const int cw = app_->screen.cellWidth;
    const int right = app_->view.visibleColumns * cw;

    // Above the top row: one line back into the history, and the range ends
    // on the line the view uncovered.
    const int livePos = app_->screen.viewPos;
    PostMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, At(2, 1));
    PostMessageA(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(cw + 2, kTextTop - 20));
    PostMessageA(window_, WM_MOUSEMOVE, MK_LBUTTON, At(0, 0));
    PostMessageA(window_, WM_LBUTTONUP, 0, At(0, 0));
    Pump();
    EXPECT_EQ(livePos - 1, app_->screen.viewPos);
    Command(kCmdCopy);
    EXPECT_EQ("L06\r\nL07\r\nL08\r\nL0", ClipboardText());

    // Right of the visible width: one column further right.
    EXPECT_EQ(0, app_->screen.hOffset);
    PostMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, At(0, 0));
    PostMessageA(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(right + 3 * cw, kTextTop + 2));
    PostMessageA(window_, WM_LBUTTONUP, 0, MAKELPARAM(right + 3 * cw, kTextTop + 2));
    Pump();
    EXPECT_EQ(1, app_->screen.hOffset);
    EXPECT_EQ(nullptr, GetCapture());
}

}  // namespace
}  // namespace palvex
