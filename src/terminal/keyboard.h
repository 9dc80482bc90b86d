// Keyboard translation: key-down, key-up and character messages become bytes
// for the host through the keymap and the emulator's modes, and everything
// typed leaves through SendTyped, which applies the line-end, Backspace/Delete
// and 8-bit control options.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "comm/session.h"
#include "terminal/keymap.h"

namespace palvex {

// What the window's key messages leave for the character message after them.
struct KeyboardInput {
    uint16_t lastVirtualKey = 0;
};

// The string a key sends before SendTyped's rules (empty: nothing).
std::string KeyString(const TerminalModes& modes, const ServiceEntry& service, const Keymap& map, int virtualKey);
// The bytes SendTyped writes for `typed` (before the transmit path's local echo
// and outbound CR/LF).
std::string TypedBytes(const TerminalModes& modes, const ServiceEntry& service, std::string_view typed);

// Shows the live screen, looks the key up and sends what it maps to.
void TranslateKey(Session& s, const Keymap& map, int virtualKey);
// Sends a typed string (chat echo included while chat mode is on).
void SendTyped(Session& s, std::string_view typed);

// The window's messages, routed as the auto-repeat mode asks.
void KeyDown(Session& s, KeyboardInput& in, const Keymap& map, int virtualKey);
void KeyUp(Session& s, KeyboardInput& in, const Keymap& map, int virtualKey);
// A character message; `extendedKey` is the keypad Enter's extended flag.
void KeyCharacter(Session& s, KeyboardInput& in, const Keymap& map, uint8_t ch, bool extendedKey);

}  // namespace palvex
