// Characters typed on the keyboard, on their way to the port.
#pragma once

#include <cstdint>

namespace palvex {

struct App;

// One typed character (WM_CHAR) to the remote through the transmit path, with
// its local echo and outbound line-end option.
void SendTyped(App& app, uint8_t ch);

}  // namespace palvex
