// The keymap: one string of up to 15 bytes for each navigation, keypad and
// function key, per terminal type, kept in "palvex.kbd" beside the program.
// The file holds two keymaps per type (the one in use and the shipped default),
// types in list order.
#pragma once

#include <cstdint>
#include <string>

namespace palvex {

inline constexpr int kKeymapSlots = 43;
inline constexpr int kKeySlotBytes = 16;       // NUL-terminated
inline constexpr int kKeyDefinitionMax = 15;   // bytes a definition keeps
inline constexpr int kKeymapBytes = 688;
inline constexpr int kKeymapRecordBytes = 1376;  // current half, then default half
inline constexpr int kKeymapTypes = 9;
inline constexpr int kKeymapFileBytes = 12384;
inline constexpr const char* kKeymapFileName = "palvex.kbd";
inline constexpr int kSlotKeypadEnter = 8;     // the editor's "Etr" key

struct Keymap {
    uint8_t slot[kKeymapSlots][kKeySlotBytes] = {};
};
static_assert(sizeof(Keymap) == kKeymapBytes);

// Slot of a virtual-key code: v - 33 for 0x21..0x2F, v - 81 for 0x60..0x7B;
// -1 for every other key.
int KeySlot(int virtualKey);

// "palvex.kbd" in the program's directory.
std::string KeymapPath(const std::string& installDir);

// Clears `map` and reads the current half of `type` (0 behaves as 1). A
// missing or short file leaves the keys that are not there empty.
void LoadKeymap(Keymap& map, const std::string& path, int type);

// The editor's file: created as 12384 zero bytes when missing. False when it
// can neither be opened nor created.
bool EnsureKeymapFile(const std::string& path);
// One half of a type's record into `map`; false when it cannot be read whole.
bool ReadKeymapHalf(Keymap& map, const std::string& path, int type, bool defaultHalf);
// The current half of a type's record; false on a write or seek failure.
bool WriteKeymapCurrent(const Keymap& map, const std::string& path, int type);

// The editable text of a slot: bytes below 32 as "^" + (byte + 0x40), bytes
// above 126 as "\" + two lowercase hex digits, others as themselves.
std::string FormatKeyDefinition(const uint8_t* slot);
// Parses the text form back, cut to 15 bytes and NUL-padded into `slot`.
// False (slot untouched) when a "\" is not followed by two hex digits.
bool ParseKeyDefinition(const std::string& text, uint8_t slot[kKeySlotBytes]);

}  // namespace palvex
