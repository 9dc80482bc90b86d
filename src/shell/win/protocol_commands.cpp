#include "shell/win/app.h"
#include "shell/win/defdir_dialog.h"
#include "shell/win/transfer_commands.h"
#include "transfer/win/settings_dialogs.h"

namespace palvex {

void OpenProtocolSettings(App& app) {
    ProtocolDialogArgs args{app.CurrentService, app.settings.HelpFile, [&app](HWND protocolDialog) {
                                // The Default Directory dialog belongs to the main window (its
                                // capture switch is a main-window command); the preference
                                // dialog waits disabled behind it.
                                EnableWindow(protocolDialog, FALSE);
                                ShowDefaultDirDialog(app.MainWindow, app.CurrentService, app.settings,
                                                     [&app] { return app.port.PortOpen != 0; });
                                EnableWindow(protocolDialog, TRUE);
                                SetActiveWindow(protocolDialog);
                            }};
    ShowProtocolDialog(app.MainWindow, app.Instance, args);
}

}  // namespace palvex
