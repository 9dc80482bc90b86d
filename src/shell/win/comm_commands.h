// The main window's commands for the port dialogs and the modem search.
#pragma once

namespace palvex {

struct App;

// "Modem &Port" (1008): the modem search, manual form.
void OpenModemPort(App& app);
// "C&ommunication Parameters" (304): "DATABIT" over the current service.
void OpenCommParameters(App& app);
// "Comm &Status" (3100): "COMMSTATUS" over the open port.
void OpenCommStatus(App& app);

}  // namespace palvex
