#include "shell/win/typed_keys.h"

#include "comm/pump.h"
#include "shell/win/app.h"

namespace palvex {

void SendTyped(App& app, uint8_t ch) { TransmitBytes(app.session, &ch, 1); }

}  // namespace palvex
