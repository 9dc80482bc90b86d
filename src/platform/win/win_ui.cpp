#include "platform/win/win_ui.h"

namespace palvex {

namespace {
constexpr int kMaxStringLength = 511;
constexpr const char* kMessageTitle = "Message";
}  // namespace

std::string ComposeMessageText(HINSTANCE module, int stringId, const char* extra) {
    std::string text;
    if (stringId >= 1) {
        char buffer[kMaxStringLength + 1] = {};
        int length = LoadStringA(module, static_cast<UINT>(stringId), buffer, sizeof buffer);
        if (length > 0) text.assign(buffer, static_cast<size_t>(length));
    }
    if (extra) text += extra;
    return text;
}

HWND WinUi::OwnerOrDefault(WindowRef owner) const {
    return owner ? static_cast<HWND>(owner) : defaultOwner_;
}

int WinUi::ShowMessage(WindowRef owner, int stringId, const char* extra, unsigned style) {
    std::string text = ComposeMessageText(module_, stringId, extra);
    return MessageBoxA(OwnerOrDefault(owner), text.c_str(), kMessageTitle, style);
}

int WinUi::ShowText(WindowRef owner, const char* text, unsigned style) {
    return MessageBoxA(OwnerOrDefault(owner), text ? text : "", kMessageTitle, style);
}

void WinUi::MessageBeep(unsigned type) {
    ::MessageBeep(type);
}

}  // namespace palvex
