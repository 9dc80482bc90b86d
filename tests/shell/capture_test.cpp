// The capture log and the spool: blocks of 512 on disk, the rest at close,
// overwrite or append by the user's answer, failures that leave capture off.
#include "shell/capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/string_ids.h"
#include "support/scratch_dir.h"
#include "support/test_session.h"  // RecordingUi

namespace palvex {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// Distinct bytes, so a block written twice or out of order shows.
std::string Pattern(int n, int seed = 0) {
    std::string s;
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>((i * 7 + seed) % 251));
    return s;
}

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        service_ = DefaultServiceEntry();
        std::memcpy(service_.ShortName, "BBS", 4);
        window_.checkMenu = [this](bool on) { checks_.push_back(on); };
    }

    fs::path LogPath() const { return dir_ / "BBS.log"; }
    int Apply(int on) {
        capture_.CaptureOn = on;
        return ApplyCapture(capture_, service_, dir_.str(), ui_, window_);
    }
    void Feed(const std::string& bytes) {
        for (char c : bytes) capture_.CaptureByte(static_cast<uint8_t>(c));
    }

    testing::ScratchDir dir_{"palvex-capture-"};
    ServiceEntry service_{};
    CaptureState capture_;
    RecordingUi ui_;
    CaptureWindow window_;
    std::vector<bool> checks_;
};

TEST_F(CaptureTest, BytesReachTheFileInWholeBlocksAndTheRestAtClose) {
    const struct { int fed; uintmax_t onDisk; } cases[] = {{511, 0}, {512, 512}, {1023, 512}, {1500, 1024}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fed);
        fs::remove(LogPath());
        ASSERT_EQ(0, Apply(1));
        const std::string bytes = Pattern(c.fed, c.fed);
        Feed(bytes);
        EXPECT_EQ(c.onDisk, fs::file_size(LogPath()));
        capture_.CloseCapture();
        EXPECT_FALSE(capture_.log.Exists());
        EXPECT_EQ(bytes, ReadFile(LogPath()));
    }
}

TEST_F(CaptureTest, AnExistingLogIsOverwrittenOrAppendedToByTheAnswer) {
    const struct { int answer; const char* after; } cases[] = {{6, "new"}, {7, "old;new"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        WriteFile(LogPath(), "old;");
        ui_.messages.clear();
        ui_.beeps.clear();
        ui_.answer = c.answer;
        ASSERT_EQ(0, Apply(1));
        ASSERT_EQ(1u, ui_.messages.size());
        EXPECT_EQ(str::kStrOverwriteLog, ui_.messages[0].stringId);
        EXPECT_EQ(0x2044u, ui_.messages[0].style);
        EXPECT_EQ(1u, ui_.beeps.size());
        Feed("new");
        capture_.CloseCapture();
        EXPECT_EQ(c.after, ReadFile(LogPath()));
    }
    // Turning capture on again over an open log keeps what it held.
    fs::remove(LogPath());
    ASSERT_EQ(0, Apply(1));
    Feed("held");
    ASSERT_EQ(0, Apply(1));
    Feed("+more");
    capture_.CloseCapture();
    EXPECT_EQ("held+more", ReadFile(LogPath()));
}

TEST_F(CaptureTest, SwitchingOnAndOffFollowsTheMenuAndTheServiceOption) {
    // A missing log is made empty without a question.
    ASSERT_EQ(0, Apply(1));
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(0u, fs::file_size(LogPath()));
    EXPECT_EQ(LogPath().string(), capture_.CapturePath());
    EXPECT_EQ(1, service_.SessionCapture);
    capture_.CloseCapture();
    ASSERT_EQ(0, Apply(0));
    EXPECT_EQ(0, service_.SessionCapture);
    EXPECT_EQ((std::vector<bool>{true, false}), checks_);

    // The log goes to the session directory or else the install directory; a
    // name that fills its field has no terminator of its own.
    EXPECT_EQ((fs::path("/inst") / "BBS.log").string(), CaptureFilePath(service_, "/inst"));
    std::strcpy(service_.SessionLogDir, "/logs");
    std::memcpy(service_.ShortName, "ABCDEFGHIJ", 10);
    EXPECT_EQ((fs::path("/logs") / "ABCDEFGHIJ.log").string(), CaptureFilePath(service_, "/inst"));
}

TEST_F(CaptureTest, ALogThatCannotBeMadeLeavesCaptureOff) {
    const std::string missing = (dir_ / "no" / "such" / "dir").string();
    std::strcpy(service_.SessionLogDir, missing.c_str());
    service_.SessionCapture = 1;
    EXPECT_EQ(-1, Apply(1));
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(str::kStrFileOpenError, ui_.messages[0].stringId);
    EXPECT_EQ(0x2000u, ui_.messages[0].style);
    EXPECT_EQ(0, capture_.CaptureOn);
    EXPECT_EQ(0, service_.SessionCapture);
    EXPECT_EQ(std::vector<bool>{false}, checks_);
    // Bytes offered while off go nowhere and break nothing.
    Feed(Pattern(600));
    capture_.CloseCapture();
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(CaptureTest, WhileTheLogCannotBeOpenedTheFirst1024BytesAreKept) {
    ASSERT_EQ(0, Apply(1));
    fs::remove(LogPath());
    const std::string bytes = Pattern(1500);
    Feed(bytes);
    EXPECT_EQ(kLogBufferSize, capture_.log.Count());
    // Once it can be opened again the held bytes go out with the next one.
    WriteFile(LogPath(), "");
    capture_.CaptureByte('x');
    EXPECT_EQ(bytes.substr(0, 1024), ReadFile(LogPath()));
    EXPECT_EQ(0, capture_.log.Count());
}

TEST_F(CaptureTest, TheSpoolIsMadeEmptyFedAndPrintedAtItsEnd) {
    SpoolState spool;
    EXPECT_EQ(kSpoolFileName, spool.file.path);
    spool.file.path = (dir_ / "temp.txt").string();
    std::vector<std::string> printed;
    spool.printFile = [&](const std::string& p) { printed.push_back(p); };
    WriteFile(spool.file.path, "left over from last time");
    spool.End();  // a reset or hang-up with the controller off prints nothing
    EXPECT_TRUE(printed.empty());

    spool.Start();
    EXPECT_EQ(0u, fs::file_size(spool.file.path));
    const std::string first = Pattern(600, 1);
    for (char c : first) spool.Byte(static_cast<uint8_t>(c));
    EXPECT_EQ(512u, fs::file_size(spool.file.path));
    spool.End();
    spool.End();
    EXPECT_EQ(first, ReadFile(spool.file.path));
    EXPECT_EQ(std::vector<std::string>{spool.file.path}, printed);
    EXPECT_FALSE(spool.Active());
}

}  // namespace
}  // namespace palvex
