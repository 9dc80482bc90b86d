// Session capture as the menu and the connection drive it, and the end of the
// transparent-print spool.
#pragma once

namespace palvex {

struct App;

void ToggleCapture(App& app);         // 1005
// Capture as the current service asks for at connection.
void ApplyServiceCapture(App& app);
// Flush and close the capture file (switch-off, hang-up, disconnect).
void CloseCapture(App& app);
// Transparent print: the printer controller in progress is ended and its
// spool printed (disconnect, exit).
void EndTransparentPrint(App& app);

}  // namespace palvex
