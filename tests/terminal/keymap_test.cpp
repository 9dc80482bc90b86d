// The keymap file and the key-definition text form: slots of the keys, a
// type's half of the file, damaged and missing files, and the installed
// palvex.kbd as the build writes it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "phonebook/service_entry.h"
#include "support/scratch_dir.h"
#include "terminal/keymap.h"

namespace palvex {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

std::string Text(const uint8_t* slot) {
    const auto* p = reinterpret_cast<const char*>(slot);
    return std::string(p, strnlen(p, kKeySlotBytes));
}

std::string Show(const std::string& bytes) { return ::testing::PrintToString(bytes); }

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// Every byte tells where it lies: the record, the half and the offset in it.
Bytes Patterned(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i / kKeymapBytes * 16 + i % 13 + 1);
    return bytes;
}

// The map holds `file` from `offset`, or zeros where the file has ended.
::testing::AssertionResult Holds(const Keymap& map, const Bytes& file, size_t offset) {
    const auto* got = &map.slot[0][0];
    for (size_t i = 0; i < static_cast<size_t>(kKeymapBytes); ++i) {
        const uint8_t want = offset + i < file.size() ? file[offset + i] : 0;
        if (got[i] != want) return ::testing::AssertionFailure() << "byte " << i;
    }
    return ::testing::AssertionSuccess();
}

class KeymapFile : public ::testing::Test {
protected:
    void SetUp() override { path = (dir_ / kKeymapFileName).string(); }

    testing::ScratchDir dir_{"palvex-keymap-"};
    std::string path;
};

TEST(KeymapSlots, EveryCodeHasItsSlotOrNone) {
    const struct { int code, slot; } anchors[] = {
        {0x21, 0}, {0x28, 7}, {0x29, 8}, {0x2A, 9}, {0x2F, 14}, {0x60, 15}, {0x6F, 30}, {0x70, 31}, {0x7B, 42},
        {0x20, -1}, {0x30, -1}, {0x5F, -1}, {0x7C, -1}, {-1, -1}, {0x126, -1},
    };
    for (const auto& a : anchors) EXPECT_EQ(a.slot, KeySlot(a.code)) << "code " << a.code;
    // Each of the 43 slots belongs to exactly one code.
    int owners[kKeymapSlots] = {};
    for (int code = 0; code < 256; ++code) {
        const int slot = KeySlot(code);
        ASSERT_TRUE(slot >= -1 && slot < kKeymapSlots) << code;
        if (slot >= 0) ++owners[slot];
    }
    for (int slot = 0; slot < kKeymapSlots; ++slot) EXPECT_EQ(1, owners[slot]) << "slot " << slot;
    EXPECT_EQ("C:\\PALVEX\\palvex.kbd", KeymapPath("C:\\PALVEX\\"));
    EXPECT_EQ("C:\\palvex.kbd", KeymapPath("C:\\"));
    EXPECT_EQ("palvex.kbd", KeymapPath(""));
}

TEST_F(KeymapFile, LoadReadsTheCurrentHalfOfEachTypeAndZerosWhatIsMissing) {
    const Bytes full = Patterned(kKeymapFileBytes);
    Keymap map;
    std::memset(&map.slot[0][0], 0x55, kKeymapBytes);
    LoadKeymap(map, path, 3);  // no file at all: nothing left from before
    EXPECT_TRUE(Holds(map, {}, 0));

    WriteAll(path, full);
    for (int type = 1; type <= kKeymapTypes; ++type) {
        LoadKeymap(map, path, type);
        EXPECT_TRUE(Holds(map, full, static_cast<size_t>(type - 1) * kKeymapRecordBytes)) << "type " << type;
    }
    LoadKeymap(map, path, 0);
    EXPECT_TRUE(Holds(map, full, 0)) << "type 0 is the teletype";
    LoadKeymap(map, path, 10);
    EXPECT_TRUE(Holds(map, {}, 0)) << "type 10 has no record";

    // Ends 100 bytes into type 3's current half.
    const Bytes cut(full.begin(), full.begin() + 2 * kKeymapRecordBytes + 100);
    WriteAll(path, cut);
    std::memset(&map.slot[0][0], 0x55, kKeymapBytes);
    LoadKeymap(map, path, 3);
    EXPECT_TRUE(Holds(map, cut, 2 * kKeymapRecordBytes));
    LoadKeymap(map, path, 4);
    EXPECT_TRUE(Holds(map, {}, 0));
}

TEST_F(KeymapFile, TheEditorCreatesReadsAndWritesOnlyItsHalf) {
    Keymap map;
    ASSERT_TRUE(ParseKeyDefinition("keep", map.slot[0]));
    EXPECT_FALSE(ReadKeymapHalf(map, path, 1, false)) << "no file";
    EXPECT_FALSE(WriteKeymapCurrent(map, path, 1)) << "the editor makes the file first";
    EXPECT_FALSE(EnsureKeymapFile((dir_ / "missing" / kKeymapFileName).string()));
    ASSERT_TRUE(EnsureKeymapFile(path));
    EXPECT_EQ(Bytes(kKeymapFileBytes, 0), ReadAll(path));

    const Bytes file = Patterned(kKeymapFileBytes);
    WriteAll(path, file);
    ASSERT_TRUE(EnsureKeymapFile(path));
    EXPECT_EQ(file, ReadAll(path)) << "an existing file is kept";
    ASSERT_TRUE(ReadKeymapHalf(map, path, 6, true));
    EXPECT_TRUE(Holds(map, file, 5 * kKeymapRecordBytes + kKeymapBytes));
    ASSERT_TRUE(ReadKeymapHalf(map, path, 6, false));
    EXPECT_TRUE(Holds(map, file, 5 * kKeymapRecordBytes));

    Keymap edited;
    ASSERT_TRUE(ParseKeyDefinition("^[[Z", edited.slot[5]));
    ASSERT_TRUE(WriteKeymapCurrent(edited, path, 9));
    Bytes want = file;
    std::memcpy(want.data() + 8 * kKeymapRecordBytes, &edited, kKeymapBytes);
    EXPECT_EQ(want, ReadAll(path));

    // A file cut short inside a type's record is refused for that type and leaves the map.
    WriteAll(path, Patterned(kKeymapRecordBytes + 500));
    EXPECT_TRUE(ReadKeymapHalf(map, path, 1, true));
    ASSERT_TRUE(ParseKeyDefinition("keep", map.slot[0]));
    EXPECT_FALSE(ReadKeymapHalf(map, path, 2, false));
    EXPECT_FALSE(ReadKeymapHalf(map, path, 10, false));
    EXPECT_EQ("keep", Text(map.slot[0]));
}

TEST(KeyDefinition, TextIsParsedIntoTheSlotOrRefused) {
    const struct { const char* text; bool ok; std::string bytes; } cases[] = {
        {"^[[A\\41", true, "\x1b[AA"}, {"^A@^M", true, "\x01@\r"}, {"\\FF\\ff\\0a\\7F", true, "\xff\xff\n\x7f"},
        {"0123456789ABCDEFGHIJ", true, "0123456789ABCDE"},  // cut to 15
        {"x^", true, "x^"},                                 // a caret at the end is itself
        {"", true, ""}, {"\\4g", false, ""}, {"abc\\", false, ""},
        {"0123456789ABCDEFGH\\zz", false, ""},  // refused even past the 15th byte
    };
    for (const auto& c : cases) {
        uint8_t slot[kKeySlotBytes];
        std::memset(slot, 0xAA, sizeof slot);
        ASSERT_EQ(c.ok, ParseKeyDefinition(c.text, slot)) << c.text;
        std::string want = c.ok ? c.bytes + std::string(kKeySlotBytes - c.bytes.size(), '\0')
                                : std::string(kKeySlotBytes, '\xAA');  // a refused text stores nothing
        EXPECT_EQ(Show(want), Show(std::string(reinterpret_cast<char*>(slot), kKeySlotBytes))) << c.text;
    }
    const struct { std::string bytes; const char* text; } shown[] = {
        {"\x1b[A", "^[[A"}, {"\x1e", "^^"}, {"\x7f", "\\7f"}, {"\x9b" "A\xc8\xff", "\\9bA\\c8\\ff"}, {" ~az", " ~az"},
    };
    for (const auto& c : shown) {
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

TEST(InstalledKeymap, EveryTypeShipsItsKeysInBothHalvesInTheEditorsTextForm) {
    const Bytes file = ReadAll(PALVEX_KEYMAP_FILE);
    ASSERT_EQ(static_cast<size_t>(kKeymapFileBytes), file.size()) << PALVEX_KEYMAP_FILE;
    const auto key = [&](int type, int virtualKey) {
        return Text(file.data() + static_cast<size_t>(type - 1) * kKeymapRecordBytes +
                    static_cast<size_t>(virtualKey < 0 ? kSlotKeypadEnter : KeySlot(virtualKey)) * kKeySlotBytes);
    };
    for (int type = 1; type <= kKeymapTypes; ++type) {
        const auto current = file.begin() + (type - 1) * kKeymapRecordBytes;
        EXPECT_TRUE(std::equal(current, current + kKeymapBytes, current + kKeymapBytes)) << "type " << type;
    }
    // One key of each kind of rule: arrows, keypad, Enter, function keys, Wyse's control forms.
    const struct { int type, key; std::string bytes; } known[] = {
        {kTypeVt100, 0x65, "\x1bOu"}, {kTypeVt100, -1, "\x1bOM"}, {kTypeVt220, 0x75, "\x1b[17~"},
        {kTypeVt52, 0x26, "\x1b" "A"}, {kTypeWyse50, 0x70, "\x01@\r"}, {kTypeScoAnsi, 0x70, "\x1b[M"},
    };
    for (const auto& k : known) EXPECT_EQ(Show(k.bytes), Show(key(k.type, k.key))) << k.type << " key " << k.key;
    // Where the host can switch the cursor keys to ESC O, they start ESC [.
    for (int type : {kTypeTty, kTypeVt100Color, kTypeVt100, kTypeVt102, kTypeVt220, kTypeVt320, kTypeScoAnsi})
        for (int arrow = 0x25; arrow <= 0x28; ++arrow)
            EXPECT_EQ("\x1b[", key(type, arrow).substr(0, 2)) << "type " << type << " key " << arrow;
    for (size_t at = 0; at < file.size(); at += kKeySlotBytes) {
        uint8_t back[kKeySlotBytes];
        ASSERT_TRUE(ParseKeyDefinition(FormatKeyDefinition(file.data() + at), back)) << "offset " << at;
        EXPECT_EQ(0, std::memcmp(back, file.data() + at, kKeySlotBytes)) << "offset " << at;
    }
}

#endif

}  // namespace
}  // namespace palvex
