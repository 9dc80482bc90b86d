#include "shell/win/comm_commands.h"

#include "comm/win/comm_dialogs.h"
#include "modem/win/port_dialog.h"
#include "phonebook/validate_service.h"
#include "shell/command_ids.h"
#include "shell/win/app.h"

namespace palvex {

void OpenModemPort(App& app) { ShowModemPortDialog(app, app.MainWindow); }

void OpenCommParameters(App& app) {
    CommParameterArgs args{app.CurrentService, app.port, app.settings.HelpFile, [&app](HWND dialog) {
                               return ValidateService(app.CurrentService, app.WorkingProfile,
                                                      app.settings.InstallDir, app.ui, dialog);
                           }};
    ShowCommParameterDialog(app.MainWindow, args);
}

void OpenCommStatus(App& app) {
    // The pump marks itself running when the message reaches it; marking it
    // here would make the main window drop the message as a second pump.
    CommStatusArgs args{app.port, app.screen, app.settings.HelpFile, [&app] { return app.pump.PumpRunning != 0; },
                        [&app] { PostMessageA(app.MainWindow, kMsgCommNotify, 0, 0); }};
    ShowCommStatusDialog(app.MainWindow, args);
}

}  // namespace palvex
