#include "comm/session.h"
#include "terminal/emulators.h"

namespace palvex {

void Vt100Entry(Session& s, uint8_t b) { DropWhenComplete(s, b); }

}  // namespace palvex
