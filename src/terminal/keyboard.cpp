#include "terminal/keyboard.h"

#include <cstring>

#include "comm/pump.h"
#include "terminal/terminal_screen.h"

namespace palvex {

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kBackspace = 0x08;
constexpr uint8_t kDel = 0x7F;
constexpr uint8_t kCsi8 = 0x9B;
constexpr uint8_t kSs3 = 0x8F;
constexpr char kReturn = '\r';

constexpr int kVkPageUp = 0x21;
constexpr int kVkLeft = 0x25;
constexpr int kVkDown = 0x28;
constexpr int kVkInsert = 0x2D;
constexpr int kVkDelete = 0x2E;
constexpr int kVkHelp = 0x2F;
constexpr int kVkNumpad0 = 0x60;
constexpr int kVkDivide = 0x6F;
constexpr int kVkF1 = 0x70;
constexpr int kVkF12 = 0x7B;
constexpr int kVkScrollLock = 0x91;

bool IsArrow(int v) { return v >= kVkLeft && v <= kVkDown; }

// The slot's string; a slot whose 16th byte was never cleared still ends at 15.
std::string SlotString(const Keymap& map, int slot) {
    const auto* bytes = reinterpret_cast<const char*>(map.slot[slot]);
    return std::string(bytes, strnlen(bytes, kKeyDefinitionMax));
}

}  // namespace

std::string KeyString(const TerminalModes& modes, const ServiceEntry& service, const Keymap& map, int v) {
    std::string out;
    if (v >= kVkPageUp && v <= kVkInsert) {
        out = SlotString(map, KeySlot(v));
        if (IsArrow(v) && modes.cursorKeysApp && out.size() >= 2 && out[1] == '[') out[1] = 'O';
    } else if (v == kVkDelete) {
        out.assign(1, static_cast<char>(kDel));
    } else if (v == kVkHelp) {
        return {};
    } else if (v >= kVkF1 && v <= kVkF12) {
        out = SlotString(map, KeySlot(v));
    } else if (v >= kVkNumpad0 && v <= kVkDivide) {
        // Outside application mode the keypad's character message sends the digit.
        if (modes.keypadApp) out = SlotString(map, KeySlot(v));
    } else {
        return {};  // F13 and beyond, Num Lock, Scroll Lock and every key without a slot
    }
    if (service.BackspaceDelete && !out.empty() && static_cast<uint8_t>(out[0]) == kBackspace)
        out[0] = static_cast<char>(kDel);
    return out;
}

std::string TypedBytes(const TerminalModes& modes, const ServiceEntry& service, std::string_view typed) {
    if (typed.empty()) return {};
    const auto first = static_cast<uint8_t>(typed[0]);
    if (modes.newLineMode && typed[0] == kReturn) return "\r\n";
    if (service.BackspaceDelete) {
        if (first == kBackspace) return std::string(1, static_cast<char>(kDel));
        if (first == kDel) return std::string(1, static_cast<char>(kBackspace));
        return std::string(typed);
    }
    if (modes.c1Answers && first == kEsc && typed.size() >= 2 && (typed[1] == '[' || typed[1] == 'O')) {
        std::string out(1, static_cast<char>(typed[1] == '[' ? kCsi8 : kSs3));
        out.append(typed.substr(2));
        return out;
    }
    return std::string(typed);
}

void SendTyped(Session& s, std::string_view typed) {
    const std::string bytes = TypedBytes(s.modes, s.service, typed);
    if (bytes.empty()) return;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const int n = static_cast<int>(bytes.size());
    TransmitBytes(s, p, n);
    if (s.pump.ChatMode) ChatEcho(s, p, n);
}

void TranslateKey(Session& s, const Keymap& map, int virtualKey) {
    ShowLiveScreen(s.screen);
    const std::string out = KeyString(s.modes, s.service, map, virtualKey);
    if (!out.empty()) SendTyped(s, out);
}

void KeyDown(Session& s, KeyboardInput& in, const Keymap& map, int virtualKey) {
    in.lastVirtualKey = static_cast<uint16_t>(virtualKey);
    if (s.modes.autoRepeat) TranslateKey(s, map, virtualKey);
}

void KeyUp(Session& s, KeyboardInput&, const Keymap& map, int virtualKey) {
    // Without auto-repeat a held key is sent once, when it is let go.
    if (!s.modes.autoRepeat) TranslateKey(s, map, virtualKey);
}

void KeyCharacter(Session& s, KeyboardInput& in, const Keymap& map, uint8_t ch, bool extendedKey) {
    ShowLiveScreen(s.screen);
    const int last = in.lastVirtualKey;
    if (!s.modes.keypadApp) {
        if (IsArrow(last)) return;
    } else {
        // The key message already sent what these keys map to.
        if ((last >= kVkPageUp && last <= kVkHelp) || (last >= kVkNumpad0 && last <= kVkScrollLock)) return;
        if (ch == static_cast<uint8_t>(kReturn) && extendedKey) {
            const std::string enter = SlotString(map, kSlotKeypadEnter);
            if (!enter.empty()) SendTyped(s, enter);
            return;
        }
    }
    const char c = static_cast<char>(ch);
    SendTyped(s, std::string_view(&c, 1));
}

}  // namespace palvex
