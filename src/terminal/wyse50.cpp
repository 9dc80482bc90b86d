#include "comm/session.h"
#include "terminal/emulators.h"

namespace palvex {

void WyseEntry(Session& s, uint8_t b) { DropWhenComplete(s, b); }
void WyseClearScreen(Session&) {}

}  // namespace palvex
