#include "comm/session.h"
#include "terminal/emulators.h"

namespace palvex {

void EndSequence(Session& s) {
    s.screen.EscapeActive = 0;
    s.screen.EscapeLength = 0;
}

void DropWhenComplete(Session& s, uint8_t b) {
    TerminalScreen& sc = s.screen;
    if (b == 0x1B) {  // a new ESC restarts the collector
        sc.EscapeLength = 1;
        return;
    }
    const uint8_t first = sc.EscapeLength > 1 ? sc.EscapeBuffer[1] : 0;
    if (sc.EscapeLength == 2) {
        if (b == '[' || (b >= 0x20 && b <= 0x2F)) return;
        EndSequence(s);
        return;
    }
    if (first == '[') {
        if (b >= 0x40 && b <= 0x7E) EndSequence(s);
        return;
    }
    if (b >= 0x30 && b <= 0x7E) EndSequence(s);
}

}  // namespace palvex
