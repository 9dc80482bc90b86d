#include "shell/win/term_prefs_dialog.h"

#include "shell/win/app.h"

namespace palvex {

void OpenTerminalPrefs(App&) {}

}  // namespace palvex
