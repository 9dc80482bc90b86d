// Placeholder emulators: until each terminal type has its own, a sequence is
// collected up to its final byte (ECMA-48 shape) and dropped, so that escape
// sequences never reach the screen as text.
#include "comm/session.h"
#include "terminal/emulators.h"

namespace palvex {

void EndSequence(Session& s) {
    s.screen.EscapeActive = 0;
    s.screen.EscapeLength = 0;
}

namespace {

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

}  // namespace

void Vt100Entry(Session& s, uint8_t b) { DropWhenComplete(s, b); }
void Vt52Entry(Session& s, uint8_t b) { DropWhenComplete(s, b); }
void Vt220Entry(Session& s, uint8_t b) { DropWhenComplete(s, b); }
void Vt220StringByte(Session& s, uint8_t) {
    s.screen.StringMode = 0;
    EndSequence(s);
}
void C1Control(Session&, uint8_t) {}
void WyseEntry(Session& s, uint8_t b) { DropWhenComplete(s, b); }
void ScoEntry(Session& s, uint8_t b) { DropWhenComplete(s, b); }
void WyseClearScreen(Session&) {}

}  // namespace palvex
