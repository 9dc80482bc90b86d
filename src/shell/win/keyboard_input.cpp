#include "shell/win/keyboard_input.h"

#include "shell/win/app.h"
#include "terminal/keyboard.h"
#include "terminal/keymap.h"

namespace palvex {

namespace {

constexpr LPARAM kExtendedKeyBit = LPARAM(1) << 24;

class WinKeyboard : public KeyboardState {
public:
    // Only the table the keypad's character messages are made from; the
    // keyboard's light is not the program's to switch.
    void NumLockOn() override {
        BYTE keys[256];
        if (!GetKeyboardState(keys)) return;
        keys[VK_NUMLOCK] |= 1;
        SetKeyboardState(keys);
    }
};

}  // namespace

KeyboardState& WinKeyboardState() {
    static WinKeyboard keyboard;
    return keyboard;
}

void LoadServiceKeymap(App& app) {
    LoadKeymap(app.keymap, KeymapPath(app.settings.InstallDir), app.CurrentService.TerminalType);
}

void KeyMessage(App& app, UINT message, WPARAM wParam, LPARAM lParam) {
    const int vk = static_cast<int>(wParam & 0xFFFF);
    switch (message) {
    case WM_KEYDOWN: KeyDown(app.session, app.keys, app.keymap, vk); break;
    case WM_KEYUP: KeyUp(app.session, app.keys, app.keymap, vk); break;
    case WM_CHAR:
        KeyCharacter(app.session, app.keys, app.keymap, static_cast<uint8_t>(wParam), (lParam & kExtendedKeyBit) != 0);
        break;
    default: break;
    }
}

void SendTyped(App& app, std::string_view typed) { SendTyped(app.session, typed); }

}  // namespace palvex
