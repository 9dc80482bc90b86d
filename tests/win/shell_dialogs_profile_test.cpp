// The settings in the Wine prefix's own profile. Every key a test writes is
// put back as it was, so the prefix stays as the program would find it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/settings.h"
#include "shell/win/profile_store.h"

namespace palvex {
namespace {

class KeepProfileKey {
public:
    explicit KeepProfileKey(const char* key) : key_(key) {
        char buffer[2048] = {};
        GetProfileStringA(kProfileSection, key, kAbsent, buffer, sizeof buffer);
        existed_ = std::string(buffer) != kAbsent;
        value_ = buffer;
        WriteProfileStringA(kProfileSection, key, nullptr);
    }
    ~KeepProfileKey() { WriteProfileStringA(kProfileSection, key_, existed_ ? value_.c_str() : nullptr); }

private:
    static constexpr const char* kAbsent = "\x01palvex-absent";
    const char* key_;
    bool existed_ = false;
    std::string value_;
};

class ProfileTest : public ::testing::Test {
protected:
    KeepProfileKey keys_[6] = {KeepProfileKey("INSTALLDIR"), KeepProfileKey("SESSION"),
                               KeepProfileKey("DOWNLOAD"),   KeepProfileKey("TransPrint"),
                               KeepProfileKey("seqdial"),    KeepProfileKey("scroll")};
    WinProfileStore store_;
};

TEST_F(ProfileTest, WithoutTheKeysTheStartDirectoryAndDefaultsApply) {
    const std::string start = CurrentStartDirectory();
    ASSERT_GE(start.size(), 3u);
    EXPECT_EQ(":\\", start.substr(1, 2));
    ProgramSettings s = ReadProgramSettings(store_, start);
    EXPECT_EQ(start, s.InstallDir);
    EXPECT_EQ(start, s.DefaultSessionDir);
    EXPECT_EQ(start, s.DefaultDownloadDir);
    EXPECT_EQ(0u, s.TransPrint);
    EXPECT_EQ(0, s.BatchDial);
    EXPECT_EQ(1000, s.ScrollLines);
}

TEST_F(ProfileTest, WrittenValuesAreWhatTheNextStartReads) {
    WriteTransPrint(store_, 1);
    WriteBatchDial(store_, 1);
    WriteScrollLines(store_, 10);
    char text[32] = {};
    GetProfileStringA(kProfileSection, "TransPrint", "", text, sizeof text);
    EXPECT_STREQ("1", text);
    ProgramSettings s = ReadProgramSettings(store_, "C:\\");
    EXPECT_EQ(1u, s.TransPrint);
    EXPECT_EQ(1, s.BatchDial);
    EXPECT_EQ(24, s.ScrollLines);
    WriteBatchDial(store_, 0);
    EXPECT_EQ(0, ReadProgramSettings(store_, "C:\\").BatchDial);
}

TEST_F(ProfileTest, DirectoriesComeBackAtMost1027Characters) {
    const std::string longDir = "C:\\" + std::string(1400, 'd');
    ASSERT_TRUE(store_.WriteString("INSTALLDIR", longDir.c_str()));
    ASSERT_TRUE(store_.WriteString("SESSION", "D:\\LOGS"));
    ProgramSettings s = ReadProgramSettings(store_, "C:\\");
    EXPECT_EQ(longDir.substr(0, 1027), s.InstallDir);
    EXPECT_EQ("D:\\LOGS", s.DefaultSessionDir);
    EXPECT_EQ(s.InstallDir, s.DefaultDownloadDir);
}

}  // namespace
}  // namespace palvex
