// Arbitrary bytes from a host through the receive path of one terminal type,
// on a screen whose geometry the input chooses. After every piece the screen
// must still be sound: cursor on the page, line lengths within the 132 cells,
// ring indices inside the ring.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "comm/terminal_rig.h"

#ifndef PALVEX_FUZZ_TYPE
#error "PALVEX_FUZZ_TYPE selects the terminal type"
#endif

namespace {

void Check(bool ok, const char* what, const palvex::TerminalScreen& s) {
    if (ok) return;
    std::fprintf(stderr, "invariant broken: %s (cursor %d,%d rows %d cols %d N %d)\n", what, s.cursorRow,
                 s.cursorCol, s.rows, s.columns, s.scrollRange);
    std::abort();
}

void CheckScreen(const palvex::TerminalScreen& s) {
    const int n = s.scrollRange;
    Check(s.cursorRow >= 0 && s.cursorRow < s.rows, "cursor row on the page", s);
    Check(s.cursorCol >= 0 && s.cursorCol <= palvex::kLineCells, "cursor column within the cells", s);
    Check(s.columns == 80 || s.columns == 132, "width", s);
    Check(s.rows >= 24 && s.rows <= 99 && s.rows <= n, "rows", s);
    auto inRing = [n](int i) { return i >= 0 && i < n; };
    Check(inRing(s.oldest) && inRing(s.newest) && inRing(s.top) && inRing(s.bottom) && inRing(s.liveTop) &&
              inRing(s.liveBottom),
          "ring indices", s);
    Check(s.livePos >= 0 && s.livePos <= n - s.rows, "live position", s);
    Check(s.viewPos >= 0 && s.viewPos <= s.livePos, "view position", s);
    Check(s.marginTop >= 1 && s.marginTop <= s.rows && s.marginBottom >= 1 && s.marginBottom <= s.rows,
          "margins", s);
    Check(s.EscapeLength >= 0 && s.EscapeLength <= palvex::kEscapeCapacity, "collector length", s);
    Check(s.savedRow >= 0 && s.savedRow < 100 && s.savedCol >= 0 && s.savedCol <= palvex::kLineCells,
          "saved cursor", s);
    for (int i = 0; i < n; ++i) {
        const palvex::ScreenLine& line = *s.ring[i];
        const int length = line.length;
        Check(length >= 0 && length <= palvex::kLineCells, "line length", s);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    // Four bytes of set-up, then what the host sends.
    palvex::TermOptions o;
    o.type = PALVEX_FUZZ_TYPE;
    o.columns = data[0] & 1 ? 132 : 80;
    o.autoWrap = data[0] & 2;
    o.inboundCrLf = data[0] & 4;
    o.sevenBit = data[0] & 8;
    o.displayControls = (data[0] & 0x30) == 0x30;
    o.rows = 24 + data[1] % 76;
    // Mostly a short ring, so that a run does many inputs; now and then one of
    // up to the full 3000 lines.
    const int extra = data[3] & 0x80 ? (data[2] | (data[3] & 0x7F) << 8) % (3001 - o.rows) : data[2] % 64;
    o.scrollRange = o.rows + extra;
    palvex::TerminalRig rig(o);
    if (data[0] & 0x40) rig.service.Protocol = palvex::kProtoZmodem;
    if (data[0] & 0x80) rig.modes.transparentPrint = 1;

    const uint8_t* bytes = data + 4;
    const std::size_t n = size - 4;
    // Three pieces, so that sequences cut across reads are checked as well.
    const std::size_t cuts[] = {0, n / 3, 2 * n / 3, n};
    for (int i = 0; i < 3; ++i) {
        rig.Receive(bytes + cuts[i], cuts[i + 1] - cuts[i]);
        CheckScreen(rig.screen);
    }
    return 0;
}
