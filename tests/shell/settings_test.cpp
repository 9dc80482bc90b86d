#include "shell/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace palvex {
namespace {

const std::string kStart = "C:\\PALVEX";

TEST(ProgramSettingsRead, DirectoriesFollowTheInstallDirectoryUnlessSetThemselves) {
    const std::string longDir(1500, 'i'), cut(1027, 'i');
    struct Case {
        const char *install, *session, *download;
        std::string wantInstall, wantSession, wantDownload;
    } cases[] = {
        {nullptr, nullptr, nullptr, kStart, kStart, kStart},
        {"D:\\PV", nullptr, nullptr, "D:\\PV", "D:\\PV", "D:\\PV"},
        // An empty key is a value of its own, not a missing one.
        {"D:\\PV", "", nullptr, "D:\\PV", "", "D:\\PV"},
        // Read into 1028-byte buffers.
        {longDir.c_str(), nullptr, nullptr, cut, cut, cut},
    };
    for (const Case& c : cases) {
        MemoryProfileStore store;
        if (c.install) store.WriteString("INSTALLDIR", c.install);
        if (c.session) store.WriteString("SESSION", c.session);
        if (c.download) store.WriteString("DOWNLOAD", c.download);
        ProgramSettings s = ReadProgramSettings(store, kStart);
        EXPECT_EQ(c.wantInstall, s.InstallDir);
        EXPECT_EQ(c.wantInstall + "\\PALVEX.HLP", s.HelpFile);
        EXPECT_EQ(c.wantSession, s.DefaultSessionDir);
        EXPECT_EQ(c.wantDownload, s.DefaultDownloadDir);
    }
}

TEST(ProgramSettingsRead, ScrollBelow24IsRaisedAndNothingElseIsTouched) {
    struct Case {
        const char* stored;
        int want;
    } cases[] = {{"-5", 24}, {"23", 24}, {"24", 24}, {"5000", 5000}, {"", 1000}, {"abc", 24}, {"500 lines", 500}};
    for (const Case& c : cases) {
        MemoryProfileStore store;
        store.WriteString("scroll", c.stored);
        EXPECT_EQ(c.want, ReadProgramSettings(store, kStart).ScrollLines) << '"' << c.stored << '"';
    }
}

TEST(ProgramSettingsWrite, EachKeyIsItsDecimalTextAndTheNextStartReadsIt) {
    struct Case {
        void (*write)(ProfileStore&);
        const char* written;
        unsigned transPrint;
        int batchDial, scroll;
    } cases[] = {
        // "%u": a value with the top bit set must not come out negative.
        {[](ProfileStore& s) { WriteTransPrint(s, 0x80000000u); }, "TransPrint=2147483648", 0x80000000u, 0, 1000},
        {[](ProfileStore& s) { WriteBatchDial(s, 1); }, "seqdial=1", 0, 1, 1000},
        {[](ProfileStore& s) { WriteScrollLines(s, 2500); }, "scroll=2500", 0, 0, 2500},
    };
    for (const Case& c : cases) {
        MemoryProfileStore store;
        c.write(store);
        EXPECT_EQ(std::vector<std::string>{c.written}, store.writes);
        ProgramSettings s = ReadProgramSettings(store, kStart);
        EXPECT_EQ(c.transPrint, s.TransPrint) << c.written;
        EXPECT_EQ(c.batchDial, s.BatchDial) << c.written;
        EXPECT_EQ(c.scroll, s.ScrollLines) << c.written;
    }
}

TEST(ScrollRangeRule, AcceptsPageRowsTo3000AndWritesOnlyAChange) {
    struct Case {
        int value, pageRows, running;
        ScrollRangeResult want;
        int message;  // string id shown, 0 for none
        std::vector<std::string> writes;
    } cases[] = {
        {23, 24, 1000, ScrollRangeResult::Rejected, 2, {}},
        {24, 24, 1000, ScrollRangeResult::Saved, 3, {"scroll=24"}},
        {3001, 24, 1000, ScrollRangeResult::Rejected, 2, {}},
        // The lower bound is the page, not 24.
        {30, 40, 1000, ScrollRangeResult::Rejected, 2, {}},
        {1000, 24, 1000, ScrollRangeResult::Unchanged, 0, {}},
    };
    for (const Case& c : cases) {
        MemoryProfileStore store;
        RecordingDialogView view;
        EXPECT_EQ(c.want, StoreScrollRange(store, view, c.value, c.pageRows, c.running)) << c.value;
        EXPECT_EQ(c.message ? 1u : 0u, view.messages.size()) << c.value;
        if (c.message && !view.messages.empty()) {
            EXPECT_EQ(c.message, view.messages[0].stringId);
            EXPECT_EQ(0x2000u, view.messages[0].style);
        }
        EXPECT_EQ(c.writes, store.writes) << c.value;
    }
}

}  // namespace
}  // namespace palvex
