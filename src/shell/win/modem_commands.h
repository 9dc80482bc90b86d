// The modem settings command of the main window.
#pragma once

namespace palvex {

struct App;

// "&Modem Setting" (301): the manufacturer list over the current service and
// the working profile.
void OpenModemSettings(App& app);

}  // namespace palvex
