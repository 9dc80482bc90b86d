// End to end for file transfers: the real main window on COM1, the status
// dialog, the file chooser and the batch list against lrzsz behind a pty held
// by e2e_transfer_driver.py; the two sides meet through marker files.
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
using e2e::Field;
using e2e::FindDialog;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Mark(const std::string& path) { std::ofstream(path) << "mark\n"; }

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// The chooser with a full path typed in and OK pressed.
bool Choose(const char* title, const std::string& path) {
    HWND chooser = FindDialog(title);
    if (!chooser) return false;
    SetDlgItemTextA(chooser, dlg::kFileName, path.c_str());
    Click(chooser, dlg::kOk);
    return true;
}

// Steps played in order from the probe timer; each returns true when it has
// done its part, and one that waits past the deadline fails the script.
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

class EndToEndTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = e2e::ExchangeDir();
        ASSERT_FALSE(dir_.empty()) << "run this through e2e_transfer_driver.py";
        profile_ = std::make_unique<e2e::TestProfile>(dir_, std::initializer_list<const char*>{"INSTALLDIR", "TransPrint"});
    }

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
        // Connected first; the status dialog closed by its second press last.
        steps.insert(steps.begin(), Step{"connect", [this] { return app_->port.PortOpen != 0; }});
        steps.push_back({"close", [this] {
                             return Ended() && PostMessageA(GetDlgItem(Dialog(), dlg::kXfrButton), BM_CLICK, 0, 0);
                         }});
        steps.push_back({"closed", [this] { return !app_->pump.SessionDialog && IsWindowEnabled(app_->MainWindow); }});
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
        app_ = nullptr;
        e2e::DrainQueue();
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
};

// sx sends a.bin; XMODEM pads the last block with 0x1A.
TEST_F(EndToEndTransfer, XmodemCrcReceiveFromSx) {
    std::string bytes;
    Run({
        Command("receive", kProtoXmodemCrc, kCmdReceive, "a-start"),
        {"save choice", [this] { return Choose("Save File", Path("a-in.bin")); }},
        {"end",
         [&] {
             if (!Ended()) return false;
             EXPECT_EQ("Done", Field(Dialog(), dlg::kXfrStatus)) << Field(Dialog(), dlg::kXfrError);
             EXPECT_EQ("a-in.bin", Field(Dialog(), dlg::kXfrFileName));
             bytes = Field(Dialog(), dlg::kXfrBytes);
             return true;
         }},
    });
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
             EXPECT_EQ("Sending", e2e::Text(Dialog()));
             EXPECT_EQ("Done", Field(Dialog(), dlg::kXfrStatus));
             EXPECT_EQ("Successful", Field(Dialog(), dlg::kXfrError));
             EXPECT_EQ("100 %", Field(Dialog(), dlg::kXfrPercent));
             Mark(Path("shot-please"));
             return true;
         }},
        {"screenshot", [this] { return Exists(Path("shot-done")); }},
    });  // the driver compares what rb wrote
}

// The first press while the receive waits: three CANs reach the line and the
// dialog says "user cancelled"; the second press closes it.
TEST_F(EndToEndTransfer, CancelWhileAnXmodemReceiveWaits) {
    Run({
        Command("receive", kProtoXmodemCrc, kCmdReceive, "c-start"),
        {"save choice", [this] { return Choose("Save File", Path("c-in.bin")); }},
        {"cancel",
         [&] {
             if (!Dialog() || !TransferRunning(*app_) || Field(Dialog(), dlg::kXfrStatus) != "Waiting...") return false;
             SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(dlg::kXfrButton, BN_CLICKED),
                          reinterpret_cast<LPARAM>(GetDlgItem(Dialog(), dlg::kXfrButton)));
             EXPECT_EQ("user cancelled", Field(Dialog(), dlg::kXfrStatus));
             EXPECT_EQ("Error", Field(Dialog(), dlg::kXfrError));
             EXPECT_EQ("OK", Field(Dialog(), dlg::kXfrButton));
             return true;
         }},
        {"loop ended",
         [&] {
             if (TransferRunning(*app_) || !Ended()) return false;
             EXPECT_EQ("Transfer terminated", Field(Dialog(), dlg::kXfrStatus));
             return true;
         }},
        // The hang-up purges the line: the driver reads the CANs first.
        {"cans seen", [this] { return Exists(Path("cans-seen")); }},
    });
}

}  // namespace
}  // namespace palvex
