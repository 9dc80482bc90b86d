#include "shell/win/clipboard_commands.h"

#include "shell/win/app.h"

namespace palvex {

void CopySelection(App&) {}
void TransmitClipboard(App&) {}
void SelectAll(App&) {}
void MouseSelection(App&, UINT, WPARAM, LPARAM) {}

}  // namespace palvex
