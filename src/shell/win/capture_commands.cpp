#include "shell/win/capture_commands.h"

#include "shell/win/app.h"

namespace palvex {

void ToggleCapture(App&) {}
void ApplyServiceCapture(App&) {}
void CloseCapture(App&) {}

}  // namespace palvex
