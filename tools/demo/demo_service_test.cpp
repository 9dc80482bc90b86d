// The demo service goes only into a phone book without entries, and the file
// it writes is a record the program reads back as DEMO BBS.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "demo_service.h"

namespace palvex::demo {
namespace {

namespace fs = std::filesystem;

class DemoServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("palvex-demo-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteFile(const std::string& name, std::size_t size) {
        std::ofstream(dir_ / name, std::ios::binary) << std::string(size, 'x');
    }

    fs::path dir_;
};

TEST_F(DemoServiceTest, TheRecordReadsBackAsTheDemoBoard) {
    std::string note;
    ASSERT_EQ(InstallResult::Written, InstallDemoService(dir_.string(), note)) << note;
    ServiceEntry e{};
    ASSERT_EQ(0, ReadServiceEntry(dir_.string(), "DEMO", e));
    EXPECT_EQ("DEMO BBS", LongServiceName(e));
    EXPECT_STREQ("5551234", e.PhoneNumber);
    EXPECT_EQ("COM1:115200,8,N,1", FormatPortSummary(e));
    EXPECT_EQ(1, e.PhoneType) << "tone";
    EXPECT_EQ(4, e.ModemIndex) << "Hayes";
    EXPECT_EQ(kTypeVt100Color, e.TerminalType);
    EXPECT_EQ(0, e.FlowControl);
    EXPECT_EQ(kServiceEntrySize, fs::file_size(dir_ / "DEMO.phn"));
}

// What counts as the user's phone book: record-sized *.phn files in any case.
TEST_F(DemoServiceTest, WrittenOnlyWhereThePhoneBookIsEmpty) {
    struct Case {
        std::vector<std::pair<std::string, std::size_t>> files;
        InstallResult result;
    };
    const Case cases[] = {
        {{}, InstallResult::Written},
        {{{"HOME.phn", kServiceEntrySize}}, InstallResult::Kept},
        {{{"office.PHN", kServiceEntrySize}}, InstallResult::Kept},
        {{{"junk.phn", 100}, {"notes.txt", kServiceEntrySize}}, InstallResult::Written},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const auto& [name, size] : c.files) WriteFile(name, size);
        std::string note;
        EXPECT_EQ(c.result, InstallDemoService(dir_.string(), note)) << note;
        const bool demo = fs::exists(dir_ / "DEMO.phn");
        EXPECT_EQ(c.result == InstallResult::Written, demo) << note;
        for (const auto& [name, size] : c.files) EXPECT_EQ(size, fs::file_size(dir_ / name)) << name << " untouched";
    }
}

TEST_F(DemoServiceTest, AMissingFolderIsReportedNotCreated) {
    std::string note;
    EXPECT_EQ(InstallResult::Failed, InstallDemoService((dir_ / "absent").string(), note));
    EXPECT_NE(std::string::npos, note.find("absent"));
    EXPECT_FALSE(fs::exists(dir_ / "absent"));
}

}  // namespace
}  // namespace palvex::demo
