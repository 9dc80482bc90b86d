#include "shell/win/modem_commands.h"

#include "modem/win/modem_dialogs.h"
#include "shell/win/app.h"

namespace palvex {

void OpenModemSettings(App& app) {
    ShowModemDialog(app.MainWindow, app.CurrentService, app.WorkingProfile, app.settings.InstallDir,
                    app.settings.HelpFile);
}

}  // namespace palvex
