#include "comm/session.h"
#include "terminal/emulators.h"

namespace palvex {

void Vt220Entry(Session& s, uint8_t b) { DropWhenComplete(s, b); }
void Vt220StringByte(Session& s, uint8_t) {
    s.screen.StringMode = 0;
    EndSequence(s);
}
void C1Control(Session&, uint8_t) {}

}  // namespace palvex
