// The main window's entries into file transfer: the Receive and Send commands,
// the protocol settings, the end of a transfer and the ZMODEM timers.
#pragma once

namespace palvex {

struct App;

// At window creation: the transfer state starts clear.
void SetTransferDefaults(App& app);
void OpenProtocolSettings(App& app);  // 2001
void StartReceive(App& app);          // 2000
void StartSend(App& app);             // 2003
// WM_USER from the status dialog: frees what the transfer held (the Kermit
// buffer, the batch list) and destroys the dialog.
void ReleaseTransferResources(App& app);
// ZMODEM time-outs (timers 23 and 26).
void ZmodemTimer(App& app, int timerId);

}  // namespace palvex
