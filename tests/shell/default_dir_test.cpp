#include "shell/default_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "shell/dialog_ids.h"
#include "support/scratch_dir.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;

class DefaultDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root_ / "down");
        fs::create_directories(root_ / "logs");
        std::ofstream(root_ / "file.txt") << "x";
    }

    std::string Path(const char* name) const { return (root_ / name).string(); }

    // Opens a dialog on a fresh record; `typed` go through EN_UPDATE.
    void Open(const char* download, const char* session, int16_t capture = 0) {
        std::memset(&service_, 0, sizeof service_);
        std::strcpy(service_.DownloadDir, download);
        std::strcpy(service_.SessionLogDir, session);
        service_.SessionCapture = capture;
        view_ = RecordingDialogView();
        dialog_ = std::make_unique<DefaultDirDialog>(
            service_, "C:\\PALVEX", DefaultDirDialog::Hooks{[this] { return portOpen_; }, [this] { ++toggles_; }});
        dialog_->Open(view_);
    }
    void Type(int control, const std::string& text) {
        view_.SetText(control, text);
        dialog_->TextChanged(view_, control);
    }

    testing::ScratchDir root_{"palvex-defdir-"};
    ServiceEntry service_;
    RecordingDialogView view_;
    std::unique_ptr<DefaultDirDialog> dialog_;
    bool portOpen_ = false;
    int toggles_ = 0;
};

TEST_F(DefaultDirTest, OpeningFillsOnlyEmptyDirectoriesWithTheInstallDirectory) {
    struct Case { const char *download, *session, *wantDownload, *wantSession; int16_t capture; } cases[] = {
        {"", "", "C:\\PALVEX", "C:\\PALVEX", 0},
        {"D:\\DL", "", "D:\\DL", "C:\\PALVEX", 1},
    };
    for (const Case& c : cases) {
        Open(c.download, c.session, c.capture);
        // The record itself is filled, not only the fields.
        EXPECT_STREQ(c.wantDownload, service_.DownloadDir);
        EXPECT_STREQ(c.wantSession, service_.SessionLogDir);
        EXPECT_EQ(c.wantDownload, view_.texts[dlg::kDirDownload]);
        EXPECT_EQ(c.wantSession, view_.texts[dlg::kDirSession]);
        EXPECT_EQ(c.capture != 0, view_.checks[dlg::kDirCapture]);
        EXPECT_EQ(1027, view_.limits[dlg::kDirDownload]);
        EXPECT_EQ(1027, view_.limits[dlg::kDirSession]);
    }
}

TEST_F(DefaultDirTest, OkChecksDownloadThenSessionAndClosesOnlyWhenBothAreStored) {
    const std::string down = Path("down"), logs = Path("logs"), file = Path("file.txt"), gone = Path("gone");
    struct Case {
        std::string download, session;
        int message;  // 0 none, 16 download, 17 session
        std::string storedDownload, storedSession;
    } cases[] = {
        {down, logs, 0, down, logs},
        // An existing file passes the existence test as well; empty is stored.
        {file, "", 0, file, ""},
        // The download check comes first and stops before the session one.
        {gone, gone, 16, "C:\\PALVEX", "C:\\PALVEX"},
        // The download copy is stored before the session check fails.
        {down, gone, 17, down, "C:\\PALVEX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.download + " | " + c.session);
        Open("", "");
        Type(dlg::kDirDownload, c.download);
        Type(dlg::kDirSession, c.session);
        view_.SetText(dlg::kDirDownload, gone);  // no EN_UPDATE: not a typed value
        EXPECT_TRUE(dialog_->Command(view_, dlg::kOk));
        ASSERT_EQ(c.message ? 1u : 0u, view_.messages.size());
        if (c.message) {
            EXPECT_EQ(c.message, view_.messages[0].stringId);
            EXPECT_EQ(0x2000u, view_.messages[0].style);
        }
        EXPECT_EQ(c.message == 0, view_.closed);
        EXPECT_EQ(c.message == 0 ? 1 : 0, view_.result);
        EXPECT_EQ(c.storedDownload, service_.DownloadDir);
        EXPECT_EQ(c.storedSession, service_.SessionLogDir);
    }
}

TEST_F(DefaultDirTest, CaptureIsStoredFirstAndToggledOnlyWhenChangedWhileThePortIsOpen) {
    struct Case {
        int16_t before;
        bool checked, portOpen;
        int toggles;
    } cases[] = {{0, true, true, 1}, {1, true, true, 0}, {0, true, false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.before << c.checked << c.portOpen);
        portOpen_ = c.portOpen;
        toggles_ = 0;
        // A missing directory keeps the dialog open; the capture choice is
        // already made, and a second OK must not switch it back.
        Open(Path("gone").c_str(), Path("logs").c_str(), c.before);
        view_.SetChecked(dlg::kDirCapture, c.checked);
        dialog_->Command(view_, dlg::kOk);
        EXPECT_EQ(c.checked ? 1 : 0, service_.SessionCapture);
        Type(dlg::kDirDownload, Path("down"));
        dialog_->Command(view_, dlg::kOk);
        EXPECT_TRUE(view_.closed);
        EXPECT_EQ(c.toggles, toggles_);
    }
}

TEST_F(DefaultDirTest, CancelAndEscapeCloseWithoutStoringHelpKeepsItOpen) {
    portOpen_ = true;
    for (int button : {dlg::kCancel, 2}) {
        Open("D:\\DL", "");
        Type(dlg::kDirDownload, Path("down"));
        view_.SetChecked(dlg::kDirCapture, true);
        EXPECT_TRUE(dialog_->Command(view_, button));
        EXPECT_TRUE(view_.closed);
        EXPECT_EQ(0, view_.result);
        EXPECT_STREQ("D:\\DL", service_.DownloadDir);
        EXPECT_EQ(0, service_.SessionCapture + toggles_);
    }
    Open("", "");
    EXPECT_TRUE(dialog_->Command(view_, dlg::kHelp));
    EXPECT_EQ(std::vector<unsigned>{260}, view_.helpContexts);
    EXPECT_FALSE(view_.closed);
}

}  // namespace
}  // namespace palvex
