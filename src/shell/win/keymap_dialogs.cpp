#include "shell/win/keymap_dialogs.h"

#include "shell/win/app.h"

namespace palvex {

void OpenKeymapEditor(App&, HWND, int) {}
void OpenKeymapEditor(App& app) { OpenKeymapEditor(app, app.MainWindow, app.CurrentService.TerminalType); }

}  // namespace palvex
