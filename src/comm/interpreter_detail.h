// Steps the standard and the display-controls interpreters share.
#pragma once

#include <cstdint>

#include "comm/session.h"

namespace palvex {

// The terminal type the interpreter works as: anything outside 1..9 is a teletype.
inline int EffectiveTerminalType(const Session& s) {
    const int t = s.service.TerminalType;
    return t >= 1 && t <= 9 ? t : 1;
}

// CAN under ZMODEM: "**" just left of the cursor starts the header collection.
void CheckZmodemStart(Session& s);
// While an auto-start collects its header every byte goes there; true when taken.
bool CollectZmodemHeader(Session& s, uint8_t b);
// A running script's wait: the current line up to `column`, upper-cased.
void MatchScriptWait(Session& s, int column);
// After a burst: read the rest of the header and let the ZMODEM receiver judge it.
int FinishZmodemStart(Session& s, bool showingControls);

}  // namespace palvex
