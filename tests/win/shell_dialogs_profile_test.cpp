// The settings in the Wine prefix's own profile. Every key is put back as it
// was, so the prefix stays as the program would find it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/settings.h"
#include "shell/win/profile_store.h"

namespace palvex {
namespace {

TEST(WinProfileStore, MissingKeysGiveTheDefaultsAndWrittenOnesAreReadBack) {
    const char* keys[] = {"INSTALLDIR", "SESSION", "DOWNLOAD", "TransPrint", "seqdial", "scroll"};
    std::string saved[6];
    bool existed[6];
    for (int i = 0; i < 6; ++i) {
        char value[2048] = {};
        existed[i] = GetProfileStringA(kProfileSection, keys[i], "\x01", value, sizeof value) != 1 || value[0] != 1;
        saved[i] = value;
        WriteProfileStringA(kProfileSection, keys[i], nullptr);
    }

    WinProfileStore store;
    const std::string start = CurrentStartDirectory();
    EXPECT_EQ(":\\", start.substr(1, 2));
    ProgramSettings s = ReadProgramSettings(store, start);
    EXPECT_EQ(start, s.InstallDir);
    EXPECT_EQ(start, s.DefaultDownloadDir);
    EXPECT_EQ(0u, s.TransPrint);
    EXPECT_EQ(1000, s.ScrollLines);

    WriteTransPrint(store, 1);
    WriteBatchDial(store, 1);
    WriteScrollLines(store, 10);
    store.WriteString("INSTALLDIR", ("C:\\" + std::string(1400, 'd')).c_str());
    s = ReadProgramSettings(store, start);
    EXPECT_EQ(1u, s.TransPrint);
    EXPECT_EQ(1, s.BatchDial);
    EXPECT_EQ(24, s.ScrollLines);
    EXPECT_EQ(1027u, s.InstallDir.size());

    for (int i = 0; i < 6; ++i)
        WriteProfileStringA(kProfileSection, keys[i], existed[i] ? saved[i].c_str() : nullptr);
}

}  // namespace
}  // namespace palvex
