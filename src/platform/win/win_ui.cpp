#include "platform/win/win_ui.h"

namespace palvex {

HWND WinUi::OwnerOrDefault(WindowRef owner) const {
    return owner ? static_cast<HWND>(owner) : defaultOwner_;
}

int WinUi::ShowMessage(WindowRef owner, int stringId, const char* extra, unsigned style) {
    return palvex::ShowMessage(OwnerOrDefault(owner), stringId, extra, style);
}

int WinUi::ShowText(WindowRef owner, const char* text, unsigned style) {
    return ShowMessageText(OwnerOrDefault(owner), text, style);
}

void WinUi::MessageBeep(unsigned type) {
    ::MessageBeep(type);
}

}  // namespace palvex
