// SCO-ANSI: the VT220 emulator with colour renditions, back-tab and one-line
// scrolls (ESC [ Z, ESC [ T, ESC [ S), its own ESC [ s / u cursor and no
// identification answer. The shared completion test and executor tell it apart
// by the dialect.
#include "comm/session.h"
#include "terminal/emulators.h"
#include "terminal/vt220.h"

namespace palvex {

void ScoExecute(Session& s, const uint8_t* afterEsc, int count) {
    dec::DecExecute(s, afterEsc, count, dec::Dialect::Sco);
}

void ScoEntry(Session& s, uint8_t b) { dec::DecEntry(s, b, dec::Dialect::Sco); }

}  // namespace palvex
