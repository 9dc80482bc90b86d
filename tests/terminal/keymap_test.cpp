// The keymap file and the key-definition text form: slots of the keys, a
// type's half of the file, damaged and missing files, and the installed
// palvex.kbd as the build writes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "phonebook/service_entry.h"
#include "terminal/keymap.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;

std::string Text(const uint8_t* slot) {
    const auto* p = reinterpret_cast<const char*>(slot);
    return std::string(p, strnlen(p, kKeySlotBytes));
}

std::string Slot(const Keymap& map, int slot) { return Text(map.slot[slot]); }

std::string Show(const std::string& bytes) { return ::testing::PrintToString(bytes); }

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A private folder per test, removed afterwards.
class KeymapFile : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir_ = fs::temp_directory_path() / ("palvex-keymap-" + name);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path = (dir_ / kKeymapFileName).string();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    // Every byte tells where it lies: the record, the half and the offset in it.
    static std::vector<uint8_t> Patterned(size_t size) {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i / kKeymapBytes * 16 + i % 13 + 1);
        return bytes;
    }
    static bool SameAs(const Keymap& map, const std::vector<uint8_t>& file, size_t offset) {
        return std::memcmp(&map.slot[0][0], file.data() + offset, kKeymapBytes) == 0;
    }
    static bool AllZero(const Keymap& map) {
        const Keymap zero;
        return std::memcmp(&map, &zero, sizeof map) == 0;
    }

    fs::path dir_;
    std::string path;
};

TEST(KeymapSlots, EveryCodeHasItsSlotOrNone) {
    const struct { int code, slot; } anchors[] = {
        {0x21, 0},  {0x28, 7},  {0x29, 8},  {0x2A, 9},  {0x2D, 12}, {0x2F, 14}, {0x60, 15},
        {0x6F, 30}, {0x70, 31}, {0x7B, 42}, {0x20, -1}, {0x30, -1}, {0x5F, -1}, {0x7C, -1}, {0x91, -1},
    };
    for (const auto& a : anchors) EXPECT_EQ(a.slot, KeySlot(a.code)) << "code " << a.code;

    // Each of the 43 slots belongs to exactly one code; all other codes have none.
    int owners[kKeymapSlots] = {};
    int without = 0;
    for (int code = 0; code < 256; ++code) {
        const int slot = KeySlot(code);
        ASSERT_GE(slot, -1) << code;
        ASSERT_LT(slot, kKeymapSlots) << code;
        if (slot < 0)
            ++without;
        else
            ++owners[slot];
    }
    for (int slot = 0; slot < kKeymapSlots; ++slot) EXPECT_EQ(1, owners[slot]) << "slot " << slot;
    EXPECT_EQ(256 - kKeymapSlots, without);
    EXPECT_EQ(-1, KeySlot(-1));
    EXPECT_EQ(-1, KeySlot(0x126));
}

TEST(KeymapSlots, TheFileLivesInTheProgramsFolder) {
    EXPECT_EQ("C:\\PALVEX\\palvex.kbd", KeymapPath("C:\\PALVEX"));
    EXPECT_EQ("C:\\PALVEX\\palvex.kbd", KeymapPath("C:\\PALVEX\\"));
    EXPECT_EQ("C:\\palvex.kbd", KeymapPath("C:\\"));
    EXPECT_EQ("/opt/palvex/palvex.kbd", KeymapPath("/opt/palvex/"));
    EXPECT_EQ("palvex.kbd", KeymapPath(""));
}

TEST_F(KeymapFile, LoadReadsTheCurrentHalfOfEachType) {
    const std::vector<uint8_t> file = Patterned(kKeymapFileBytes);
    WriteAll(path, file);
    Keymap map;
    for (int type = 1; type <= kKeymapTypes; ++type) {
        LoadKeymap(map, path, type);
        EXPECT_TRUE(SameAs(map, file, static_cast<size_t>(type - 1) * kKeymapRecordBytes)) << "type " << type;
    }
    LoadKeymap(map, path, 0);
    EXPECT_TRUE(SameAs(map, file, 0)) << "type 0 is the teletype";
    for (int type : {-1, 10, 99}) {
        LoadKeymap(map, path, type);
        EXPECT_TRUE(AllZero(map)) << "type " << type << " has no record";
    }
}

TEST_F(KeymapFile, MissingAndShortFilesLeaveTheKeysThatAreNotThereEmpty) {
    const std::vector<uint8_t> full = Patterned(kKeymapFileBytes);
    Keymap map;
    LoadKeymap(map, path, 3);  // no file at all: nothing left from before
    std::memset(&map.slot[0][0], 0x55, kKeymapBytes);
    LoadKeymap(map, path, 3);
    EXPECT_TRUE(AllZero(map));

    // Ends 100 bytes into type 3's current half.
    const size_t cut = 2 * kKeymapRecordBytes + 100;
    WriteAll(path, std::vector<uint8_t>(full.begin(), full.begin() + static_cast<long>(cut)));
    std::memset(&map.slot[0][0], 0x55, kKeymapBytes);
    LoadKeymap(map, path, 3);
    EXPECT_EQ(0, std::memcmp(&map.slot[0][0], full.data() + 2 * kKeymapRecordBytes, 100));
    for (int i = 100; i < kKeymapBytes; ++i) ASSERT_EQ(0, (&map.slot[0][0])[i]) << "byte " << i;
    LoadKeymap(map, path, 4);
    EXPECT_TRUE(AllZero(map));
    LoadKeymap(map, path, 2);
    EXPECT_TRUE(SameAs(map, full, kKeymapRecordBytes));

    WriteAll(path, {});
    LoadKeymap(map, path, 1);
    EXPECT_TRUE(AllZero(map));
}

TEST_F(KeymapFile, TheEditorCreatesReadsAndWritesOnlyItsHalf) {
    ASSERT_TRUE(EnsureKeymapFile(path));
    EXPECT_EQ(std::vector<uint8_t>(kKeymapFileBytes, 0), ReadAll(path));

    const std::vector<uint8_t> file = Patterned(kKeymapFileBytes);
    WriteAll(path, file);
    ASSERT_TRUE(EnsureKeymapFile(path));
    EXPECT_EQ(file, ReadAll(path)) << "an existing file is kept";

    Keymap map;
    ASSERT_TRUE(ReadKeymapHalf(map, path, 6, true));
    EXPECT_TRUE(SameAs(map, file, 5 * kKeymapRecordBytes + kKeymapBytes));
    ASSERT_TRUE(ReadKeymapHalf(map, path, 6, false));
    EXPECT_TRUE(SameAs(map, file, 5 * kKeymapRecordBytes));
    ASSERT_TRUE(ReadKeymapHalf(map, path, 0, false));
    EXPECT_TRUE(SameAs(map, file, 0));

    Keymap edited;
    ASSERT_TRUE(ParseKeyDefinition("^[[Z", edited.slot[5]));
    ASSERT_TRUE(WriteKeymapCurrent(edited, path, 9));
    std::vector<uint8_t> want = file;
    std::memcpy(want.data() + 8 * kKeymapRecordBytes, &edited, kKeymapBytes);
    EXPECT_EQ(want, ReadAll(path));
    ASSERT_TRUE(ReadKeymapHalf(map, path, 9, false));
    EXPECT_EQ("\x1b[Z", Slot(map, 5));
}

TEST_F(KeymapFile, TheEditorsFailuresAreReportedAndLeaveTheMap) {
    Keymap map;
    ASSERT_TRUE(ParseKeyDefinition("keep", map.slot[0]));
    EXPECT_FALSE(ReadKeymapHalf(map, path, 1, false)) << "no file";
    EXPECT_FALSE(WriteKeymapCurrent(map, path, 1)) << "the editor makes the file first";
    EXPECT_FALSE(fs::exists(path));

    WriteAll(path, Patterned(kKeymapRecordBytes + 500));
    EXPECT_TRUE(ReadKeymapHalf(map, path, 1, true));
    ASSERT_TRUE(ParseKeyDefinition("keep", map.slot[0]));
    EXPECT_FALSE(ReadKeymapHalf(map, path, 2, false)) << "type 2 is cut short";
    EXPECT_FALSE(ReadKeymapHalf(map, path, 10, false));
    EXPECT_EQ("keep", Slot(map, 0));

    const std::string nowhere = (dir_ / "missing" / kKeymapFileName).string();
    EXPECT_FALSE(EnsureKeymapFile(nowhere));
    EXPECT_FALSE(WriteKeymapCurrent(map, nowhere, 1));
}

TEST(KeyDefinition, TextIsParsedIntoTheSlotOrRefused) {
    const struct { const char* text; bool ok; std::string bytes; } cases[] = {
        {"^[[A\\41", true, "\x1b[AA"}, {"^[OP", true, "\x1bOP"}, {"^A@^M", true, "\x01@\r"},
        {"\\FF\\ff\\0a\\7F", true, "\xff\xff\n\x7f"}, {"plain text", true, "plain text"},
        {"0123456789ABCDEFGHIJ", true, "0123456789ABCDE"},  // cut to 15
        {"^[[1;2;3;4;5;6;7;8", true, "\x1b[1;2;3;4;5;6;7"},
        {"x^", true, "x^"},                                 // a caret at the end is itself
        {"", true, ""}, {"\\4g", false, ""}, {"\\4", false, ""}, {"abc\\", false, ""}, {"\\g0", false, ""},
        {"0123456789ABCDEFGH\\zz", false, ""},  // refused even past the 15th byte
    };
    for (const auto& c : cases) {
        uint8_t slot[kKeySlotBytes];
        std::memset(slot, 0xAA, sizeof slot);
        ASSERT_EQ(c.ok, ParseKeyDefinition(c.text, slot)) << c.text;
        if (!c.ok) {
            for (uint8_t b : slot) ASSERT_EQ(0xAA, b) << c.text << ": a refused text stores nothing";
            continue;
        }
        EXPECT_EQ(Show(c.bytes), Show(Text(slot))) << c.text;
        for (size_t i = c.bytes.size(); i < kKeySlotBytes; ++i) EXPECT_EQ(0, slot[i]) << c.text << " byte " << i;
    }
}

TEST(KeyDefinition, BytesAreShownAsTheEditorWritesThem) {
    const struct { std::string bytes; const char* text; } cases[] = {
        {"\x1b[A", "^[[A"}, {"\x01@\r", "^A@^M"}, {"\x1e", "^^"}, {"\x7f", "\\7f"},
        {"\x9b" "A\xc8\xff", "\\9bA\\c8\\ff"}, {" ~az", " ~az"}, {"", ""},
    };
    for (const auto& c : cases) {
        uint8_t slot[kKeySlotBytes] = {};
        std::memcpy(slot, c.bytes.data(), c.bytes.size());
        EXPECT_EQ(c.text, FormatKeyDefinition(slot)) << Show(c.bytes);
    }
    // A slot whose last byte was never cleared still ends after 15 bytes.
    uint8_t full[kKeySlotBytes];
    std::memset(full, 'x', sizeof full);
    EXPECT_EQ(std::string(15, 'x'), FormatKeyDefinition(full));
}

#ifdef PALVEX_KEYMAP_FILE

std::string Key(const std::vector<uint8_t>& file, int type, bool defaultHalf, int virtualKey) {
    const size_t at = static_cast<size_t>(type - 1) * kKeymapRecordBytes + (defaultHalf ? kKeymapBytes : 0) +
                      static_cast<size_t>(virtualKey < 0 ? kSlotKeypadEnter : KeySlot(virtualKey)) * kKeySlotBytes;
    const auto* p = reinterpret_cast<const char*>(file.data() + at);
    return std::string(p, strnlen(p, kKeySlotBytes));
}

TEST(InstalledKeymap, EveryTypeShipsItsUsualKeysInBothHalves) {
    const std::vector<uint8_t> file = ReadAll(PALVEX_KEYMAP_FILE);
    ASSERT_EQ(static_cast<size_t>(kKeymapFileBytes), file.size()) << PALVEX_KEYMAP_FILE;
    for (int type = 1; type <= kKeymapTypes; ++type) {
        const auto current = file.begin() + (type - 1) * kKeymapRecordBytes;
        EXPECT_TRUE(std::equal(current, current + kKeymapBytes, current + kKeymapBytes)) << "type " << type;
        for (int slot = 0; slot < kKeymapSlots; ++slot)
            EXPECT_EQ(0, current[slot * kKeySlotBytes + kKeyDefinitionMax]) << "type " << type << " slot " << slot;
    }

    constexpr int kEnter = -1;
    const struct { int type, key; std::string bytes; } known[] = {
        {kTypeTty, 0x26, "\x1b[A"}, {kTypeTty, kEnter, "\r"}, {kTypeVt100, 0x26, "\x1b[A"},
        {kTypeVt100, 0x70, "\x1bOP"}, {kTypeVt100, 0x65, "\x1bOu"}, {kTypeVt100, 0x6D, "\x1bOm"},
        {kTypeVt100, kEnter, "\x1bOM"}, {kTypeVt100Color, 0x25, "\x1b[D"}, {kTypeVt220, 0x26, "\x1b[A"},
        {kTypeVt220, 0x24, "\x1b[1~"}, {kTypeVt220, 0x21, "\x1b[5~"}, {kTypeVt220, 0x75, "\x1b[17~"},
        {kTypeVt220, 0x7A, "\x1b[23~"}, {kTypeVt320, 0x7B, "\x1b[24~"}, {kTypeVt320, 0x71, "\x1bOQ"},
        {kTypeVt52, 0x26, "\x1b" "A"}, {kTypeVt52, 0x70, "\x1bP"}, {kTypeVt52, 0x69, "\x1b?y"},
        {kTypeVt52, kEnter, "\x1b?M"}, {kTypeWyse50, 0x26, "\x0b"}, {kTypeWyse50, 0x24, "\x1e"},
        {kTypeWyse50, 0x70, "\x01@\r"}, {kTypeWyse50, 0x7B, "\x01K\r"}, {kTypeScoAnsi, 0x24, "\x1b[H"},
        {kTypeScoAnsi, 0x21, "\x1b[I"}, {kTypeScoAnsi, 0x2D, "\x1b[L"}, {kTypeScoAnsi, 0x70, "\x1b[M"},
        {kTypeScoAnsi, 0x7B, "\x1b[X"},
    };
    for (const auto& k : known)
        EXPECT_EQ(Show(k.bytes), Show(Key(file, k.type, false, k.key))) << "type " << k.type << " key " << k.key;

    // Where the host can switch the cursor keys to ESC O, they start ESC [.
    for (int type : {kTypeTty, kTypeVt100Color, kTypeVt100, kTypeVt102, kTypeVt220, kTypeVt320, kTypeScoAnsi})
        for (int arrow = 0x25; arrow <= 0x28; ++arrow)
            EXPECT_EQ("\x1b[", Key(file, type, false, arrow).substr(0, 2)) << "type " << type << " key " << arrow;
}

TEST(InstalledKeymap, EverySlotSurvivesTheEditorsTextForm) {
    const std::vector<uint8_t> file = ReadAll(PALVEX_KEYMAP_FILE);
    ASSERT_EQ(static_cast<size_t>(kKeymapFileBytes), file.size());
    for (size_t at = 0; at < file.size(); at += kKeySlotBytes) {
        uint8_t back[kKeySlotBytes];
        ASSERT_TRUE(ParseKeyDefinition(FormatKeyDefinition(file.data() + at), back)) << "offset " << at;
        EXPECT_EQ(0, std::memcmp(back, file.data() + at, kKeySlotBytes)) << "offset " << at;
    }
}

#endif

}  // namespace
}  // namespace palvex
