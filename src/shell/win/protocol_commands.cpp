#include "shell/win/transfer_commands.h"

namespace palvex {

void OpenProtocolSettings(App&) {}

}  // namespace palvex
