// End to end for file transfers: the real main window connected directly to
// COM1, the status dialog, the file chooser and the batch list, against lrzsz
// on the other end of a pty (held by e2e_transfer_driver.py). An XMODEM/CRC
// receive from sx, a YMODEM batch of two files to rb, and a receive cancelled
// while it waits. The program and the driver meet through marker files in the
// exchange folder: the program says when a peer is to start, the driver when it
// has seen what it waited for and when the screenshot is taken.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "shell/command_ids.h"
#include "shell/dialog_ids.h"
#include "transfer/win/transfer_dialog.h"

namespace palvex {
namespace {

// Longer than the transfers' own time-outs (60 s), so that they report first.
constexpr DWORD kStepDeadlineMs = 90000;

using e2e::Exists;

std::string Text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string Field(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Mark(const std::string& path) { std::ofstream(path) << "mark\n"; }

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

struct DialogSearch {
    const char* title;
    HWND found;
};

// A named callback: a lambda does not convert to the stdcall pointer on i686.
BOOL CALLBACK VisitDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) || std::string(cls) != "bordlg_gray" ||
        Text(window) != search->title)
        return TRUE;
    search->found = window;
    return FALSE;
}

// A visible, enabled dialog of ours with this title, or null.
HWND FindDialog(const char* title) {
    DialogSearch search{title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &VisitDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The chooser with a full path typed in and OK pressed.
bool Choose(const char* title, const std::string& path) {
    HWND chooser = FindDialog(title);
    if (!chooser) return false;
    SetDlgItemTextA(chooser, dlg::kFileName, path.c_str());
    Click(chooser, dlg::kOk);
    return true;
}

// Steps played in order from the probe timer, inside whichever loop runs; each
// returns true when it has done its part. A step that waits longer than the
// deadline ends the script with a failure.
struct Step {
    const char* name;
    std::function<bool()> act;
};

class Script {
public:
    explicit Script(std::vector<Step> steps) : steps_(std::move(steps)) {}

    void Tick() {
        if (Done()) return;
        if (GetTickCount() - since_ > kStepDeadlineMs) {
            failure = std::string("no progress at step \"") + steps_[next_].name + "\"";
            next_ = steps_.size();
            return;
        }
        if (steps_[next_].act()) {
            ++next_;
            since_ = GetTickCount();
        }
    }
    bool Done() const { return next_ >= steps_.size(); }

    std::string failure;

private:
    std::vector<Step> steps_;
    size_t next_ = 0;
    DWORD since_ = GetTickCount();
};

// One session per case: the window connects directly to COM1, the script
// runs, and the session hangs up.
class EndToEndTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = e2e::ExchangeDir();
        ASSERT_FALSE(dir_.empty()) << "run this through e2e_transfer_driver.py";
        profile_ = std::make_unique<e2e::TestProfile>(dir_, std::initializer_list<const char*>{"INSTALLDIR", "TransPrint"});
    }

    void TearDown() override { profile_.reset(); }

    HWND Dialog() const { return static_cast<HWND>(app_->pump.SessionDialog); }
    std::string Path(const char* name) const { return dir_ + "\\" + name; }

    // The transfer shows its end: the button reads "OK".
    bool Ended() const { return Dialog() && Field(Dialog(), dlg::kXfrButton) == "OK"; }

    Step Command(const char* name, int protocol, int command, const char* marker = nullptr) {
        return {name, [this, protocol, command, marker] {
                    app_->CurrentService.Protocol = static_cast<int16_t>(protocol);
                    if (marker) Mark(Path(marker));
                    PostMessageA(app_->MainWindow, WM_COMMAND, command, 0);
                    return true;
                }};
    }
    Step CloseDialog() {
        return {"close", [this] {
                    if (!Ended()) return false;
                    Click(Dialog(), dlg::kXfrButton);
                    return true;
                }};
    }
    Step Closed() {
        return {"closed", [this] { return !app_->pump.SessionDialog && IsWindowEnabled(app_->MainWindow); }};
    }

    void Run(std::vector<Step> steps) {
        RecordingUi ui;
        e2e::TestMainWindow main(ui, [](int id) { return id == kCmdPhonebook; });
        ASSERT_NE(nullptr, main.window);
        app_ = main.app.get();
        e2e::DirectOnCom1(app_->CurrentService, "XFER", kTypeTty);
        // On a loaded machine a peer may time out and NAK; that is a retry,
        // not the end.
        app_->CurrentService.MaxErrors = 30;

        bool hangingUp = false;
        steps.insert(steps.begin(), Step{"connect", [this] { return app_->port.PortOpen != 0; }});
        Script script(std::move(steps));
        {
            e2e::ProbeTimer timer(50, [&] {
                script.Tick();
                if (!script.Done() || hangingUp) return;
                if (!script.failure.empty()) Abandon(script);
                if (app_->pump.SessionDialog) return;
                hangingUp = true;
                PostMessageA(app_->MainWindow, WM_COMMAND, kCmdHangup, 0);
            });
            SetTimer(main.window, 3, 100, nullptr);  // what the phone book's Dial does
            e2e::RunMessages(*app_, [&] { return hangingUp && !app_->port.PortOpen; }, {}, 200);
        }
        EXPECT_EQ("", script.failure);
        messages_ = ui.messages;
        app_ = nullptr;
        // The window's end posts WM_QUIT; the next case's loop must not see it.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // A stuck case still ends: what the dialog showed goes into the failure,
    // then every dialog is cancelled, the status dialog pressed until it closes.
    void Abandon(Script& script) {
        if (HWND dialog = Dialog(); dialog && !abandoning_) {
            script.failure += "; the dialog showed \"" + Field(dialog, dlg::kXfrStatus) + "\", \"" +
                              Field(dialog, dlg::kXfrError) + "\", " + Field(dialog, dlg::kXfrBytes) + " bytes";
        }
        abandoning_ = true;
        for (const char* title : {"Save File", "Open File", "Batch List"})
            if (HWND other = FindDialog(title)) Click(other, dlg::kCancel);
        if (HWND dialog = Dialog()) Click(dialog, dlg::kXfrButton);
    }

    std::string dir_;
    bool abandoning_ = false;
    std::unique_ptr<e2e::TestProfile> profile_;
    App* app_ = nullptr;
    std::vector<RecordingUi::Message> messages_;
};

// sx sends a.bin; XMODEM pads the last block with 0x1A.
TEST_F(EndToEndTransfer, XmodemCrcReceiveFromSx) {
    std::string status, error, bytes, fileField;
    Run({
        Command("receive", kProtoXmodemCrc, kCmdReceive, "a-start"),
        {"save choice", [this] { return Choose("Save File", Path("a-in.bin")); }},
        {"end",
         [&] {
             if (!Ended()) return false;
             status = Field(Dialog(), dlg::kXfrStatus);
             error = Field(Dialog(), dlg::kXfrError);
             bytes = Field(Dialog(), dlg::kXfrBytes);
             fileField = Field(Dialog(), dlg::kXfrFileName);
             return true;
         }},
        CloseDialog(),
        Closed(),
    });
    EXPECT_EQ("Done", status) << error;
    EXPECT_EQ("a-in.bin", fileField);
    const std::string sent = ReadFile(Path("a.bin")), got = ReadFile(Path("a-in.bin"));
    ASSERT_FALSE(sent.empty()) << "the driver writes a.bin";
    ASSERT_GE(got.size(), sent.size());
    EXPECT_EQ(0u, got.size() % 128) << "whole blocks";
    EXPECT_LT(got.size() - sent.size(), 1024u);
    EXPECT_EQ(sent, got.substr(0, sent.size()));
    EXPECT_EQ(std::string(got.size() - sent.size(), '\x1A'), got.substr(sent.size())) << "lrzsz pads with 0x1A";
    EXPECT_EQ(std::to_string(got.size()), bytes);
}

// Two files through the batch list to rb; the picture is taken at the end.
TEST_F(EndToEndTransfer, YmodemBatchSendOfTwoFilesToRb) {
    std::string title, status, error, percent;
    auto batch = [](std::function<void(HWND)> act) {
        return [act] {
            HWND list = FindDialog("Batch List");
            if (!list) return false;
            act(list);
            return true;
        };
    };
    Run({
        Command("send", kProtoYmodemBatch, kCmdSend),
        {"batch list", batch([](HWND d) { Click(d, dlg::kBatchAdd); })},
        {"first file", [this] { return Choose("Open File", Path("b-one.dat")); }},
        {"batch list again", batch([](HWND d) { Click(d, dlg::kBatchAdd); })},
        {"second file", [this] { return Choose("Open File", Path("b-two.txt")); }},
        {"done", batch([this](HWND d) {
             Mark(Path("b-start"));
             Click(d, dlg::kBatchDone);
         })},
        {"end",
         [&] {
             if (!Ended()) return false;
             title = Text(Dialog());
             status = Field(Dialog(), dlg::kXfrStatus);
             error = Field(Dialog(), dlg::kXfrError);
             percent = Field(Dialog(), dlg::kXfrPercent);
             Mark(Path("shot-please"));
             return true;
         }},
        {"screenshot", [this] { return Exists(Path("shot-done")); }},
        CloseDialog(),
        Closed(),
    });
    EXPECT_EQ("Sending", title);
    EXPECT_EQ("Done", status);
    EXPECT_EQ("Successful", error);
    EXPECT_EQ("100 %", percent);
    // The driver compares what rb wrote.
}

// The first press while the receive waits: three CANs reach the line and the
// dialog says "user cancelled"; the second press closes it.
TEST_F(EndToEndTransfer, CancelWhileAnXmodemReceiveWaits) {
    std::string pressed, pressedError, pressedButton, final;
    Run({
        Command("receive", kProtoXmodemCrc, kCmdReceive, "c-start"),
        {"save choice", [this] { return Choose("Save File", Path("c-in.bin")); }},
        {"cancel",
         [&] {
             if (!Dialog() || !TransferRunning(*app_) || Field(Dialog(), dlg::kXfrStatus) != "Waiting...") return false;
             HWND button = GetDlgItem(Dialog(), dlg::kXfrButton);
             SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(dlg::kXfrButton, BN_CLICKED),
                          reinterpret_cast<LPARAM>(button));
             pressed = Field(Dialog(), dlg::kXfrStatus);
             pressedError = Field(Dialog(), dlg::kXfrError);
             pressedButton = Field(Dialog(), dlg::kXfrButton);
             return true;
         }},
        {"loop ended",
         [&] {
             if (TransferRunning(*app_) || !Ended()) return false;
             final = Field(Dialog(), dlg::kXfrStatus);
             return true;
         }},
        // The hang-up purges the line: the driver reads the CANs first.
        {"cans seen", [this] { return Exists(Path("cans-seen")); }},
        CloseDialog(),
        Closed(),
    });
    EXPECT_EQ("user cancelled", pressed);
    EXPECT_EQ("Error", pressedError);
    EXPECT_EQ("OK", pressedButton);
    EXPECT_EQ("Transfer terminated", final);
}

}  // namespace
}  // namespace palvex
