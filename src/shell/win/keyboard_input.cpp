#include "shell/win/keyboard_input.h"

#include "comm/pump.h"
#include "shell/win/app.h"

namespace palvex {

void LoadServiceKeymap(App&) {}

void KeyMessage(App& app, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_KEYDOWN) app.keys.lastVirtualKey = static_cast<uint16_t>(wParam);
    if (message != WM_CHAR) return;
    const uint8_t ch = static_cast<uint8_t>(wParam);
    TransmitBytes(app.session, &ch, 1);
}

void SendTyped(App& app, std::string_view typed) {
    TransmitBytes(app.session, reinterpret_cast<const uint8_t*>(typed.data()), static_cast<int>(typed.size()));
}

}  // namespace palvex
