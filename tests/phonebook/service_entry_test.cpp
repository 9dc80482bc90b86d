#include "phonebook/service_entry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/scratch_dir.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

TEST(ServiceEntryFile, RoundTripKeepsEveryByte) {
    ScratchDir dir;
    ServiceEntry e = DefaultServiceEntry();
    auto* raw = reinterpret_cast<uint8_t*>(&e);
    for (std::size_t i = 0; i < sizeof e; ++i) raw[i] = static_cast<uint8_t>(i * 7 + 3);
    std::memcpy(e.ShortName, "ACME\0", 5);
    ASSERT_EQ(SaveServiceEntry(dir.str(), e), 0);
    EXPECT_EQ(fs::file_size(dir / "ACME.phn"), 2418u);

    ServiceEntry back = DefaultServiceEntry();
    ASSERT_EQ(ReadServiceEntry(dir.str(), "ACME", back), 0);
    EXPECT_EQ(std::memcmp(&back, &e, sizeof e), 0);
}

TEST(ServiceEntryFile, SaveOverwritesInPlaceAndCreateTruncates) {
    ScratchDir dir;
    ServiceEntry e = DefaultServiceEntry();
    std::strcpy(e.ShortName, "BBS");
    // A longer file of the same name is cut to the record by the editor's create.
    dir.Write("BBS.PHN", std::string(5000, '\xAA'));
    RecordingUi ui;
    ASSERT_EQ(CreateServiceFile(dir.str(), e, ui, nullptr), 0);
    EXPECT_EQ(fs::file_size(dir / "BBS.PHN"), 2418u);
    EXPECT_TRUE(ui.messages.empty());
    // Saving finds the ".PHN" file although it asks for ".phn".
    e.DialRetries = 9;
    ASSERT_EQ(SaveServiceEntry(dir.str(), e), 0);
    ServiceEntry back{};
    ASSERT_EQ(ReadServiceEntry(dir.str(), "BBS", back), 0);
    EXPECT_EQ(back.DialRetries, 9);
    int files = 0;
    for (auto& entry : fs::directory_iterator(dir.str())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST(ServiceEntryFile, OnlyFilesOfExactlyTheRecordSizeAreEntries) {
    ScratchDir dir;
    ServiceEntry unchanged = DefaultServiceEntry();
    EXPECT_EQ(ReadServiceEntry(dir.str(), "X", unchanged), -1) << "no file";
    struct Case {
        std::size_t size;
        bool isEntry;
    } cases[] = {{0, false}, {2417, false}, {2418, true}, {2419, false}};
    for (const Case& c : cases) {
        dir.Write("X.phn", std::string(c.size, '\x11'));
        EXPECT_EQ(IsServiceFile((dir / "X.phn").string()), c.isEntry) << c.size;
        ServiceEntry current = DefaultServiceEntry();
        const ServiceEntry before = current;
        const int r = ReadServiceEntry(dir.str(), "X", current);
        EXPECT_EQ(r, c.isEntry ? 0 : -1) << c.size;
        if (!c.isEntry) {
            EXPECT_EQ(std::memcmp(&current, &before, sizeof current), 0) << "unchanged";
        }
    }
    EXPECT_FALSE(IsServiceFile(dir.str()));  // a directory never is
}

TEST(ServiceEntryFile, CreateFailureShowsFileOpenError) {
    RecordingUi ui;
    ServiceEntry e = DefaultServiceEntry();
    std::strcpy(e.ShortName, "ACME");
    EXPECT_EQ(CreateServiceFile("/nonexistent-dir/for/sure", e, ui, nullptr), -1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].stringId, 1);
    EXPECT_EQ(ui.messages[0].style, 0x2030u);
}

TEST(ServiceName, TypedNameSplitsIntoShortNameAndTail) {
    struct Case {
        const char* typed;
        const char* shortName;
        const char* tail;
    } cases[] = {
        {"ACME ONLINE", "ACME", " ONLINE"},
        {"ABCDEFGHIJ", "ABCDEFGH", "IJ"},
        {"", "", ""},
        {" LEADING", "", " LEADING"},
        // The tail is cut to 25 characters.
        {"X 123456789012345678901234567890", "X", " 123456789012345678901234"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", "ABCDEFGH", "IJKLMNOPQRSTUVWXYZ0123456"},
    };
    for (const Case& c : cases) {
        ServiceEntry e = DefaultServiceEntry();
        SplitServiceName(c.typed, e.ShortName, e.NameTail);
        EXPECT_STREQ(e.ShortName, c.shortName) << c.typed;
        EXPECT_STREQ(e.NameTail, c.tail) << c.typed;
        if (std::string(c.shortName) + c.tail == c.typed) {
            EXPECT_EQ(LongServiceName(e), c.typed);
        }
    }
}

TEST(PortSummary, FormatsPortRateFramingAndStops) {
    struct Case {
        int port, baud, data, parity, stops;
        const char* text;
    } cases[] = {{7, 0, 1, 2, 2, "COM8:115200,7,E,2"}, {1, 10, 1, 1, 1, "COM2:300,7,O,1.5"}};
    for (const Case& c : cases) {
        ServiceEntry e = DefaultServiceEntry();
        e.PortIndex = static_cast<int16_t>(c.port);
        e.BaudIndex = static_cast<int16_t>(c.baud);
        e.DataBitsIndex = static_cast<int16_t>(c.data);
        e.Parity = static_cast<int16_t>(c.parity);
        e.StopBits = static_cast<int16_t>(c.stops);
        EXPECT_EQ(FormatPortSummary(e), c.text);
    }
}

}  // namespace
}  // namespace palvex
