// The display-controls interpreter: every control byte is shown by name, so a
// user can see exactly what the host sends. Nothing is interpreted as an escape
// sequence here.
#include "comm/interpreter_detail.h"
#include "comm/pump.h"

namespace palvex {

namespace {

constexpr const char* kControlNames[32] = {
    "<null>", "<soh>", "<stx>", "<etx>", "<eot>", "<enq>", "<ack>", "<bel>", "<bs>", "<ht>", "<lf>",
    "<vt>",   "<ff>",  "<cr>",  "<so>",  "<si>",  "<dle>", "<dc1>", "<dc2>", "<dc3>", "<dc4>", "<nak>",
    "<syn>",  "<etb>", "<can>", "<em>",  "<sub>", "<esc>", "<fs>",  "<gs>",  "<rs>",  "<us>"};

constexpr uint8_t kCAN = 0x18;
constexpr uint8_t kNameAttr = 0x70;

// Stores and draws one cell, wrapping at the terminal width whatever the
// autowrap option says; the shown names must never pile up in the last cell.
void ShowCell(TerminalScreen& sc, uint8_t ch, uint8_t attr) {
    const int savedWrap = sc.autoWrap;
    const int savedInsert = sc.insertMode;
    const int savedGraphics[2] = {sc.graphics[0], sc.graphics[1]};
    const uint8_t savedAttr = sc.attr;
    sc.autoWrap = 1;
    sc.insertMode = 0;
    sc.graphics[0] = sc.graphics[1] = 0;
    sc.attr = attr;
    PutChar(sc, ch);
    sc.AfterCR = 0;
    sc.autoWrap = savedWrap;
    sc.insertMode = savedInsert;
    sc.graphics[0] = savedGraphics[0];
    sc.graphics[1] = savedGraphics[1];
    sc.attr = savedAttr;
}

}  // namespace

const char* ControlName(uint8_t b) {
    if (b < 0x20) return kControlNames[b];
    if (b == 0x7F) return "<del>";
    return nullptr;
}

int InterpretBytesShowingControls(Session& s, const uint8_t* bytes, int count) {
    TerminalScreen& sc = s.screen;
    sc.display->HideCaret();
    ShowLiveScreen(sc);
    const bool capture = s.CaptureOn();
    for (int i = 0; i < count; ++i) {
        uint8_t b = bytes[i];
        if (CollectZmodemHeader(s, b)) continue;
        if (!s.port.EightBitData) b &= 0x7F;
        if (capture) s.capture->Byte(b);
        if (const char* name = ControlName(b)) {
            // The auto-start looks at what stood left of the CAN, before its name.
            const bool zmodemCan = b == kCAN && s.service.Protocol == kProtoZmodem;
            if (zmodemCan) CheckZmodemStart(s);
            for (const char* p = name; *p; ++p) ShowCell(sc, static_cast<uint8_t>(*p), kNameAttr);
            continue;
        }
        ShowCell(sc, b, sc.attr);
        MatchScriptWait(s, sc.cursorCol - 1);
    }
    sc.display->ShowCaretAt(CursorX(sc), CursorY(sc));
    return FinishZmodemStart(s, true);
}

}  // namespace palvex
