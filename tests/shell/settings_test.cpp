#include "shell/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace palvex {
namespace {

const std::string kStart = "C:\\PALVEX";

TEST(ProgramSettingsRead, NoSectionGivesTheStartDirectoryAndTheDefaults) {
    MemoryProfileStore store;
    ProgramSettings s = ReadProgramSettings(store, kStart);
    EXPECT_EQ(kStart, s.InstallDir);
    EXPECT_EQ(kStart, s.DefaultSessionDir);
    EXPECT_EQ(kStart, s.DefaultDownloadDir);
    EXPECT_EQ("C:\\PALVEX\\PALVEX.HLP", s.HelpFile);
    EXPECT_EQ(0u, s.TransPrint);
    EXPECT_EQ(0, s.BatchDial);
    EXPECT_EQ(1000, s.ScrollLines);
    EXPECT_TRUE(store.writes.empty());
}

TEST(ProgramSettingsRead, KeysAreReadOnceInTheDocumentedOrder) {
    MemoryProfileStore store;
    ReadProgramSettings(store, kStart);
    EXPECT_EQ((std::vector<std::string>{"INSTALLDIR", "SESSION", "DOWNLOAD", "TransPrint", "seqdial",
                                        "scroll"}),
              store.reads);
}

TEST(ProgramSettingsRead, DirectoriesFollowTheInstallDirectoryUnlessSetThemselves) {
    struct Case {
        const char* install;
        const char* session;
        const char* download;
        std::string wantInstall, wantSession, wantDownload, wantHelp;
    } cases[] = {
        {"D:\\APPS\\PV", nullptr, nullptr, "D:\\APPS\\PV", "D:\\APPS\\PV", "D:\\APPS\\PV",
         "D:\\APPS\\PV\\PALVEX.HLP"},
        {nullptr, "E:\\LOGS", nullptr, kStart, "E:\\LOGS", kStart, "C:\\PALVEX\\PALVEX.HLP"},
        {"D:\\PV", "E:\\LOGS", "F:\\DL", "D:\\PV", "E:\\LOGS", "F:\\DL", "D:\\PV\\PALVEX.HLP"},
        // An empty key is a value of its own, not a missing one.
        {"D:\\PV", "", nullptr, "D:\\PV", "", "D:\\PV", "D:\\PV\\PALVEX.HLP"},
    };
    for (const Case& c : cases) {
        MemoryProfileStore store;
        if (c.install) store.WriteString("INSTALLDIR", c.install);
        if (c.session) store.WriteString("SESSION", c.session);
        if (c.download) store.WriteString("DOWNLOAD", c.download);
        ProgramSettings s = ReadProgramSettings(store, kStart);
        EXPECT_EQ(c.wantInstall, s.InstallDir);
        EXPECT_EQ(c.wantSession, s.DefaultSessionDir);
        EXPECT_EQ(c.wantDownload, s.DefaultDownloadDir);
        EXPECT_EQ(c.wantHelp, s.HelpFile);
    }
}

TEST(ProgramSettingsRead, DirectoriesAreCutTo1027Characters) {
    MemoryProfileStore store;
    store.WriteString("INSTALLDIR", std::string(1500, 'i').c_str());
    store.WriteString("DOWNLOAD", std::string(1028, 'd').c_str());
    ProgramSettings s = ReadProgramSettings(store, kStart);
    EXPECT_EQ(std::string(1027, 'i'), s.InstallDir);
    EXPECT_EQ(std::string(1027, 'i'), s.DefaultSessionDir);
    EXPECT_EQ(std::string(1027, 'd'), s.DefaultDownloadDir);
}

TEST(ProgramSettingsRead, ScrollBelow24IsRaisedAndNothingElseIsTouched) {
    struct Case {
        const char* stored;
        int want;
    } cases[] = {
        {"10", 24},   {"0", 24},      {"-5", 24},     {"23", 24},   {"24", 24},
        {"25", 25},   {"3000", 3000}, {"5000", 5000}, {"", 1000},   {"abc", 24},
        {"500 lines", 500},
    };
    for (const Case& c : cases) {
        MemoryProfileStore store;
        store.WriteString("scroll", c.stored);
        EXPECT_EQ(c.want, ReadProgramSettings(store, kStart).ScrollLines) << '"' << c.stored << '"';
    }
}

TEST(ProgramSettingsRead, KeyNamesIgnoreCaseAsInTheProfile) {
    MemoryProfileStore store;
    store.WriteString("TRANSPRINT", "1");
    store.WriteString("SeqDial", "1");
    store.WriteString("SCROLL", "200");
    ProgramSettings s = ReadProgramSettings(store, kStart);
    EXPECT_EQ(1u, s.TransPrint);
    EXPECT_EQ(1, s.BatchDial);
    EXPECT_EQ(200, s.ScrollLines);
}

TEST(ProgramSettingsWrite, EachKeyIsWrittenAsDecimalTextAndReadBack) {
    struct Case {
        void (*write)(ProfileStore&);
        const char* key;
        const char* text;
    } cases[] = {
        {[](ProfileStore& s) { WriteTransPrint(s, 1); }, "TransPrint", "1"},
        {[](ProfileStore& s) { WriteTransPrint(s, 0); }, "TransPrint", "0"},
        // "%u": a value with the top bit set must not come out negative.
        {[](ProfileStore& s) { WriteTransPrint(s, 0x80000000u); }, "TransPrint", "2147483648"},
        {[](ProfileStore& s) { WriteBatchDial(s, 1); }, "seqdial", "1"},
        {[](ProfileStore& s) { WriteBatchDial(s, 0); }, "seqdial", "0"},
        {[](ProfileStore& s) { WriteScrollLines(s, 2500); }, "scroll", "2500"},
    };
    for (const Case& c : cases) {
        MemoryProfileStore store;
        c.write(store);
        ASSERT_EQ(1u, store.writes.size());
        EXPECT_EQ(std::string(c.key) + "=" + c.text, store.writes[0]);
    }
}

TEST(ProgramSettingsWrite, BatchDialAndTransPrintSurviveARestart) {
    MemoryProfileStore store;
    ProgramSettings first = ReadProgramSettings(store, kStart);
    WriteBatchDial(store, !first.BatchDial);
    WriteTransPrint(store, 1);
    ProgramSettings second = ReadProgramSettings(store, kStart);
    EXPECT_EQ(1, second.BatchDial);
    EXPECT_EQ(1u, second.TransPrint);
    WriteBatchDial(store, 0);
    EXPECT_EQ(0, ReadProgramSettings(store, kStart).BatchDial);
}

TEST(ScrollRangeRule, AcceptsPageRowsTo3000AndWritesOnlyAChange) {
    struct Case {
        int value, pageRows, running;
        ScrollRangeResult want;
        int message;          // string id shown, 0 for none
        const char* written;  // nullptr for no write
    } cases[] = {
        {23, 24, 1000, ScrollRangeResult::Rejected, 2, nullptr},
        {24, 24, 1000, ScrollRangeResult::Saved, 3, "24"},
        {3000, 24, 1000, ScrollRangeResult::Saved, 3, "3000"},
        {3001, 24, 1000, ScrollRangeResult::Rejected, 2, nullptr},
        {-1, 24, 1000, ScrollRangeResult::Rejected, 2, nullptr},
        // The lower bound is the page, not 24.
        {30, 40, 1000, ScrollRangeResult::Rejected, 2, nullptr},
        {40, 40, 1000, ScrollRangeResult::Saved, 3, "40"},
        {1000, 24, 1000, ScrollRangeResult::Unchanged, 0, nullptr},
        // A rejected value is refused even when it equals the running size.
        {24, 40, 24, ScrollRangeResult::Rejected, 2, nullptr},
    };
    for (const Case& c : cases) {
        MemoryProfileStore store;
        RecordingDialogView view;
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.want, StoreScrollRange(store, view, c.value, c.pageRows, c.running));
        if (c.message) {
            ASSERT_EQ(1u, view.messages.size());
            EXPECT_EQ(c.message, view.messages[0].stringId);
            EXPECT_EQ(0x2000u, view.messages[0].style);
        } else {
            EXPECT_TRUE(view.messages.empty());
        }
        if (c.written) {
            ASSERT_EQ(1u, store.writes.size());
            EXPECT_EQ(std::string("scroll=") + c.written, store.writes[0]);
        } else {
            EXPECT_TRUE(store.writes.empty());
        }
        EXPECT_FALSE(view.closed);
    }
}

}  // namespace
}  // namespace palvex
