#include "shell/win/transfer_commands.h"

namespace palvex {

void SetTransferDefaults(App&) {}
void StartReceive(App&) {}
void StartSend(App&) {}
void ReleaseTransferResources(App&) {}
void ZmodemTimer(App&, int) {}

}  // namespace palvex
