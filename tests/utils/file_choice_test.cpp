// What the file chooser makes of typed text, listing lines and filter records.
#include "utils/file_choice.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace palvex {
namespace {

TEST(FileChoiceTest, TypedTextIsClassifiedAndSplit) {
    struct Case { const char* text; bool pattern, rooted; const char *drive, *directory, *name; };
    const Case cases[] = {
        {"C:\\work\\notes.txt", false, true, "C:", "C:\\work", "notes.txt"},
        {"C:notes.txt", false, true, "C:", "", "notes.txt"},
        {"\\work\\sub\\a.b.c", false, true, "", "\\work\\sub", "a.b.c"},
        {"/tmp/x/long file name.txt", false, true, "", "/tmp/x", "long file name.txt"},
        {"sub\\notes.txt", false, false, "", "sub", "notes.txt"},
        {"C:\\work\\?.scr", true, true, "C:", "C:\\work", "?.scr"},
        {"C:\\work\\", false, true, "C:", "C:\\work", ""},
        {"1:bad", false, false, "", "", "1:bad"},
        {"", false, false, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.pattern, IsFilePattern(c.text));
        EXPECT_EQ(c.rooted, NamesDriveOrRootedDirectory(c.text));
        const SplitPath split = SplitFilePath(c.text);
        EXPECT_EQ(c.drive, split.drive);
        EXPECT_EQ(c.directory, split.directory);
        EXPECT_EQ(c.name, split.name);
    }
}

TEST(FileChoiceTest, ListingLinesShowLongNamesInTheirOwnForm) {
    const std::map<std::string, std::string> longNames = {
        {"PROGRA~1", "Program Files"}, {"LONGFI~1.TXT", "long file name.txt"}, {"..", "should not be asked"}};
    const auto lookup = [&](const std::string& s) {
        auto it = longNames.find(s);
        return it == longNames.end() ? std::string() : it->second;
    };
    struct Case { const char* line; ListingKind kind; const char* name; const char* shown; };
    const Case cases[] = {
        {"[PROGRA~1]", ListingKind::Directory, "PROGRA~1", "[Program Files]"},
        {"LONGFI~1.TXT", ListingKind::File, "LONGFI~1.TXT", "long file name.txt"},
        {"[..]", ListingKind::Parent, "..", "[..]"},
        {"[-c-]", ListingKind::Drive, "c", "[-c-]"},
        {"[unknown]", ListingKind::Directory, "unknown", "[unknown]"},
        {"[", ListingKind::File, "[", "["},
        {"[]", ListingKind::Directory, "", "[]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ListingEntry e = ParseListingLine(c.line);
        EXPECT_EQ(c.kind, e.kind);
        EXPECT_EQ(c.name, e.name);
        EXPECT_EQ(c.shown, DisplayListingLine(c.line, lookup));
    }
}

TEST(FileChoiceTest, FilterRecordsGivePairsUpToTheEmptyText) {
    struct Case {
        const char* name;
        const char* record;  // with its NULs; a string literal adds the last one
        std::vector<std::pair<std::string, std::string>> pairs;
    };
    const Case cases[] = {
        {"two pairs", "(*.scr)\0*.scr\0(*.*)\0*.*\0", {{"(*.scr)", "*.scr"}, {"(*.*)", "*.*"}}},
        {"description without pattern", "Text\0*.txt\0Half\0", {{"Text", "*.txt"}}},
        {"empty", "", {}},
        {"none", nullptr, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto pairs = ParseFilterPairs(c.record);
        ASSERT_EQ(c.pairs.size(), pairs.size());
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            EXPECT_EQ(c.pairs[i].first, pairs[i].description);
            EXPECT_EQ(c.pairs[i].second, pairs[i].pattern);
        }
    }
}

}  // namespace
}  // namespace palvex
