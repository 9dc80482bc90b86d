#include "shell/default_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "shell/dialog_ids.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;

constexpr int kDownload = dlg::kDirDownload;
constexpr int kSession = dlg::kDirSession;
constexpr int kCapture = dlg::kDirCapture;

class DefaultDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("palvex-defdir-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "down");
        fs::create_directories(root_ / "logs");
        std::ofstream(root_ / "file.txt") << "x";
        std::memset(&service_, 0, sizeof service_);
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Path(const char* name) const { return (root_ / name).string(); }

    DefaultDirDialog MakeDialog() {
        return DefaultDirDialog(service_, install_,
                                {[this] { return portOpen_; }, [this] { ++toggles_; }});
    }

    // What the user does: type into an edit, the control reports EN_UPDATE.
    static void Type(DefaultDirDialog& dialog, RecordingDialogView& view, int control, const std::string& text) {
        view.SetText(control, text);
        dialog.TextChanged(view, control);
    }

    fs::path root_;
    ServiceEntry service_;
    std::string install_ = "C:\\PALVEX";
    bool portOpen_ = false;
    int toggles_ = 0;
};

TEST_F(DefaultDirTest, OpeningFillsOnlyEmptyDirectoriesWithTheInstallDirectory) {
    struct Case {
        const char* download;
        const char* session;
        const char* wantDownload;
        const char* wantSession;
    } cases[] = {
        {"", "", "C:\\PALVEX", "C:\\PALVEX"},
        {"D:\\DL", "", "D:\\DL", "C:\\PALVEX"},
        {"", "E:\\LOG", "C:\\PALVEX", "E:\\LOG"},
        {"D:\\DL", "E:\\LOG", "D:\\DL", "E:\\LOG"},
    };
    for (const Case& c : cases) {
        std::strcpy(service_.DownloadDir, c.download);
        std::strcpy(service_.SessionLogDir, c.session);
        DefaultDirDialog dialog = MakeDialog();
        RecordingDialogView view;
        dialog.Open(view);
        // The record itself is filled, not only the fields.
        EXPECT_STREQ(c.wantDownload, service_.DownloadDir);
        EXPECT_STREQ(c.wantSession, service_.SessionLogDir);
        EXPECT_EQ(c.wantDownload, view.texts[kDownload]);
        EXPECT_EQ(c.wantSession, view.texts[kSession]);
        EXPECT_EQ(1027, view.limits[kDownload]);
        EXPECT_EQ(1027, view.limits[kSession]);
    }
}

TEST_F(DefaultDirTest, TheCheckBoxShowsTheCaptureOption) {
    for (int16_t capture : {0, 1}) {
        service_.SessionCapture = capture;
        DefaultDirDialog dialog = MakeDialog();
        RecordingDialogView view;
        dialog.Open(view);
        EXPECT_EQ(capture != 0, view.checks[kCapture]);
    }
}

TEST_F(DefaultDirTest, OkChecksDownloadThenSessionAndClosesOnlyWhenBothAreStored) {
    const std::string down = Path("down"), logs = Path("logs"), file = Path("file.txt");
    const std::string missing = Path("missing"), missing2 = Path("nowhere");
    struct Case {
        std::string download, session;
        int message;  // 0 none, 16 download, 17 session
        bool closed;
        std::string storedDownload, storedSession;  // what the record holds afterwards
    } cases[] = {
        {down, logs, 0, true, down, logs},
        // An existing file passes the existence test as well.
        {file, file, 0, true, file, file},
        // Empty means "no directory" and is stored as is.
        {"", "", 0, true, "", ""},
        {missing, logs, 16, false, "C:\\PALVEX", "C:\\PALVEX"},
        // The download check comes first and stops before the session one.
        {missing, missing2, 16, false, "C:\\PALVEX", "C:\\PALVEX"},
        // The download copy is stored before the session check fails.
        {down, missing2, 17, false, down, "C:\\PALVEX"},
        {"", missing2, 17, false, "", "C:\\PALVEX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.download + " | " + c.session);
        std::memset(&service_, 0, sizeof service_);
        DefaultDirDialog dialog = MakeDialog();
        RecordingDialogView view;
        dialog.Open(view);
        Type(dialog, view, kDownload, c.download);
        Type(dialog, view, kSession, c.session);
        EXPECT_TRUE(dialog.Command(view, dlg::kOk));
        if (c.message) {
            ASSERT_EQ(1u, view.messages.size());
            EXPECT_EQ(c.message, view.messages[0].stringId);
            EXPECT_EQ(0x2000u, view.messages[0].style);
        } else {
            EXPECT_TRUE(view.messages.empty());
        }
        EXPECT_EQ(c.closed, view.closed);
        if (c.closed) {
            EXPECT_EQ(1, view.result);
        }
        EXPECT_EQ(c.storedDownload, service_.DownloadDir);
        EXPECT_EQ(c.storedSession, service_.SessionLogDir);
    }
}

TEST_F(DefaultDirTest, AFixedDirectoryLetsTheSecondOkClose) {
    DefaultDirDialog dialog = MakeDialog();
    RecordingDialogView view;
    dialog.Open(view);
    Type(dialog, view, kDownload, Path("missing"));
    Type(dialog, view, kSession, Path("logs"));
    dialog.Command(view, dlg::kOk);
    ASSERT_FALSE(view.closed);
    Type(dialog, view, kDownload, Path("down"));
    dialog.Command(view, dlg::kOk);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(Path("down"), service_.DownloadDir);
    EXPECT_EQ(Path("logs"), service_.SessionLogDir);
}

TEST_F(DefaultDirTest, OkStoresWhatWasTypedNotWhatTheFieldShowsLater) {
    // The working copies follow EN_UPDATE; a field changed without the
    // notification (as by SetDlgItemText) does not count.
    DefaultDirDialog dialog = MakeDialog();
    RecordingDialogView view;
    dialog.Open(view);
    Type(dialog, view, kDownload, Path("down"));
    Type(dialog, view, kSession, Path("logs"));
    view.SetText(kDownload, Path("missing"));
    dialog.Command(view, dlg::kOk);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(Path("down"), service_.DownloadDir);
}

TEST_F(DefaultDirTest, CaptureIsToggledOnlyWhenChangedWhileThePortIsOpen) {
    struct Case {
        int16_t before;
        bool checked;
        bool portOpen;
        int toggles;
    } cases[] = {
        {0, true, true, 1},  {1, false, true, 1},  {0, false, true, 0}, {1, true, true, 0},
        {0, true, false, 0}, {1, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.before << c.checked << c.portOpen);
        std::memset(&service_, 0, sizeof service_);
        service_.SessionCapture = c.before;
        portOpen_ = c.portOpen;
        toggles_ = 0;
        DefaultDirDialog dialog = MakeDialog();
        RecordingDialogView view;
        dialog.Open(view);
        Type(dialog, view, kDownload, Path("down"));
        Type(dialog, view, kSession, Path("logs"));
        view.SetChecked(kCapture, c.checked);
        dialog.Command(view, dlg::kOk);
        EXPECT_EQ(c.toggles, toggles_);
        EXPECT_EQ(c.checked ? 1 : 0, service_.SessionCapture);
    }
}

TEST_F(DefaultDirTest, CaptureIsStoredBeforeTheDirectoryChecksAndToggledOnce) {
    portOpen_ = true;
    DefaultDirDialog dialog = MakeDialog();
    RecordingDialogView view;
    dialog.Open(view);
    Type(dialog, view, kDownload, Path("missing"));
    Type(dialog, view, kSession, Path("logs"));
    view.SetChecked(kCapture, true);
    dialog.Command(view, dlg::kOk);
    EXPECT_FALSE(view.closed);
    EXPECT_EQ(1, service_.SessionCapture);
    EXPECT_EQ(1, toggles_);
    // Pressing OK again after fixing the path must not switch capture back.
    Type(dialog, view, kDownload, Path("down"));
    dialog.Command(view, dlg::kOk);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(1, toggles_);
}

TEST_F(DefaultDirTest, CancelAndEscapeCloseWithoutStoringHelpKeepsItOpen) {
    for (int button : {dlg::kCancel, 2}) {
        std::strcpy(service_.DownloadDir, "D:\\DL");
        service_.SessionCapture = 0;
        portOpen_ = true;
        toggles_ = 0;
        DefaultDirDialog dialog = MakeDialog();
        RecordingDialogView view;
        dialog.Open(view);
        Type(dialog, view, kDownload, Path("down"));
        view.SetChecked(kCapture, true);
        EXPECT_TRUE(dialog.Command(view, button));
        EXPECT_TRUE(view.closed);
        EXPECT_EQ(0, view.result);
        EXPECT_STREQ("D:\\DL", service_.DownloadDir);
        EXPECT_EQ(0, service_.SessionCapture);
        EXPECT_EQ(0, toggles_);
    }

    DefaultDirDialog dialog = MakeDialog();
    RecordingDialogView view;
    dialog.Open(view);
    EXPECT_TRUE(dialog.Command(view, dlg::kHelp));
    EXPECT_EQ(std::vector<unsigned>{260}, view.helpContexts);
    EXPECT_FALSE(view.closed);
    EXPECT_FALSE(dialog.Command(view, kCapture));
}

}  // namespace
}  // namespace palvex
