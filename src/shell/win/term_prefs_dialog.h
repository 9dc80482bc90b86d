// "Terminal Preferences" (302).
#pragma once

namespace palvex {

struct App;

void OpenTerminalPrefs(App& app);

}  // namespace palvex
