// The standard interpreter: the terminal's first stage. It feeds the capture
// log and the printer controller, watches for the ZMODEM auto-start, handles the
// teletype controls, writes printable bytes into the screen buffer and collects
// escape sequences for the emulator of the terminal type.
#include <cstring>

#include "comm/interpreter_detail.h"
#include "comm/pump.h"
#include "terminal/emulators.h"

namespace palvex {

namespace {

constexpr uint8_t kBEL = 0x07, kBS = 0x08, kHT = 0x09, kLF = 0x0A, kVT = 0x0B, kFF = 0x0C, kCR = 0x0D,
                  kSO = 0x0E, kSI = 0x0F, kCAN = 0x18, kSUB = 0x1A, kESC = 0x1B, kRS = 0x1E, kDEL = 0x7F;

bool IsC1Type(int t) { return t == kTypeVt220 || t == kTypeVt320; }
bool IsC1(uint8_t b) { return b >= 0x84 && b <= 0x9F; }

void StartSequence(TerminalScreen& sc) {
    sc.EscapeActive = 1;
    sc.EscapeBuffer[0] = kESC;
    sc.EscapeBuffer[1] = 0;
    sc.EscapeLength = 1;
    sc.StringMode = 0;
}

void CallEmulator(Session& s, int t, uint8_t b) {
    switch (t) {
        case kTypeVt100Color:
        case kTypeVt100:
            Vt100Entry(s, b);
            break;
        case kTypeVt52:
            Vt52Entry(s, b);
            break;
        case kTypeVt102:
        case kTypeVt220:
        case kTypeVt320:
            if (s.screen.StringMode)
                Vt220StringByte(s, b);
            else
                Vt220Entry(s, b);
            break;
        case kTypeWyse50:
            WyseEntry(s, b);
            break;
        case kTypeScoAnsi:
            ScoEntry(s, b);
            break;
        default:
            break;
    }
}

void CollectSequenceByte(Session& s, int t, uint8_t b) {
    TerminalScreen& sc = s.screen;
    if (b == kCAN) {
        sc.EscapeActive = 0;
        return;
    }
    if (IsC1(b) && IsC1Type(t)) {
        C1Control(s, b);
        return;
    }
    if (sc.EscapeLength >= kEscapeCapacity) {
        // Too long to be a real sequence: give it up without overrunning the buffer.
        sc.EscapeActive = 0;
        if (sc.StringMode) {
            Vt220StringByte(s, '\\');
            sc.StringMode = 0;
        }
        sc.EscapeLength = 0;
        return;
    }
    sc.EscapeBuffer[sc.EscapeLength++] = b;
    CallEmulator(s, t, b);
}

void WyseCursorRight(TerminalScreen& sc) {
    ++sc.cursorCol;
    if (sc.cursorCol > sc.columns - 1) {
        if (sc.autoWrap) {
            // Straight to column 0: after a CR that is still pending, a
            // carriage return would do nothing and the cursor would run away.
            sc.cursorCol = 0;
            LineFeed(sc);
        } else {
            sc.cursorCol = sc.columns - 1;
        }
    }
}

// A control byte (below 0x20, or DEL) outside an escape sequence.
void Control(Session& s, int t, uint8_t b) {
    TerminalScreen& sc = s.screen;
    switch (b) {
        case kLF:
            LineFeed(sc);
            return;
        case kVT:
            if (t == kTypeWyse50) {
                if (sc.cursorRow > 0) --sc.cursorRow;
            } else {
                LineFeed(sc);
            }
            return;
        case kFF:
            if (t == kTypeWyse50)
                WyseCursorRight(sc);
            else
                LineFeed(sc);
            return;
        case kRS:
            if (t == kTypeWyse50) {
                sc.cursorCol = 0;
                sc.cursorRow = 0;
            }
            return;
        case kSUB:
            if (t == kTypeWyse50) WyseClearScreen(s);
            return;
        case kCR:
            if (!sc.AfterCR) CarriageReturn(sc);
            return;
        case kSO:
            ResolveAfterCR(sc);
            sc.shift = 1;
            return;
        case kSI:
            ResolveAfterCR(sc);
            sc.shift = 0;
            return;
        case kDEL:
            if (sc.cursorCol != 0) {
                ResolveAfterCR(sc);
                DeleteLeft(sc);
            }
            return;
        case kBS:
            ResolveAfterCR(sc);
            Backspace(sc);
            return;
        case kBEL:
            s.ui.MessageBeep(0);
            ResolveAfterCR(sc);
            return;
        case kESC:
            ResolveAfterCR(sc);
            if (t > kTypeTty) StartSequence(sc);
            return;
        case kCAN:
            ResolveAfterCR(sc);
            if (s.service.Protocol == kProtoZmodem) CheckZmodemStart(s);
            return;
        case kHT:
            ResolveAfterCR(sc);
            Tab(sc);
            return;
        default:
            ResolveAfterCR(sc);
            return;
    }
}

}  // namespace

void CheckZmodemStart(Session& s) {
    TerminalScreen& sc = s.screen;
    const int col = sc.cursorCol;
    if (col < 2 || col > kLineCells) return;
    const ScreenLine& line = LineAt(sc, sc.cursorRow);
    if (line.text[col - 1] != '*' || line.text[col - 2] != '*') return;
    s.pump.TransferActive = 1;
    s.pump.ZmodemHeader[0] = '*';
    s.pump.ZmodemHeader[1] = '*';
    s.pump.ZmodemHeader[2] = kCAN;
    s.pump.ZmodemHeaderLength = 3;
    SetBinaryFraming(s.port, true);
}

bool CollectZmodemHeader(Session& s, uint8_t b) {
    if (!s.pump.TransferActive || s.service.Protocol != kProtoZmodem) return false;
    s.pump.ZmodemHeader[s.pump.ZmodemHeaderLength++] = b;
    if (s.pump.ZmodemHeaderLength >= kReceiveBufferSize) {
        s.pump.TransferActive = 0;
        s.pump.ZmodemHeaderLength = 0;
    }
    return true;
}

void MatchScriptWait(Session& s, int column) {
    if (!s.script || !s.script->Active() || !s.script->WaitPending()) return;
    const char* wanted = s.script->WaitString();
    if (!wanted) return;
    const ScreenLine& line = LineAt(s.screen, s.screen.cursorRow);
    char text[kLineCells + 1];
    int n = 0;
    for (int c = 0; c <= column && c < kLineCells; ++c) {
        char ch = static_cast<char>(line.text[c]);
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        text[n++] = ch != 0 ? ch : ' ';
    }
    text[n] = 0;
    if (std::strstr(text, wanted)) s.script->Satisfied();
}

int FinishZmodemStart(Session& s, bool showingControls) {
    if (s.service.Protocol != kProtoZmodem || !s.pump.TransferActive) return 0;
    PumpState& p = s.pump;
    while (p.ZmodemHeaderLength < kReceiveBufferSize) {
        uint8_t b;
        if (ReadPort(s.port, &b, 1) < 1) {
            if (PollLine(s.port, s.modes) == kCarrierLost) return kCarrierLost;
            break;
        }
        p.ZmodemHeader[p.ZmodemHeaderLength++] = b;
    }
    QueryPortStatus(s.port);
    const int verdict = s.zmodem ? s.zmodem->CheckHeader(s, p.ZmodemHeader, p.ZmodemHeaderLength, showingControls)
                                 : 0;
    if (verdict == 1 || verdict == kCarrierLost) return verdict;
    SetBinaryFraming(s.port, false);
    p.ZmodemHeaderLength = 0;
    p.TransferActive = 0;
    return 0;
}

int InterpretBytes(Session& s, const uint8_t* bytes, int count) {
    TerminalScreen& sc = s.screen;
    sc.display->HideCaret();
    ShowLiveScreen(sc);
    const int t = EffectiveTerminalType(s);
    const bool stripBit7 = !s.port.EightBitData || s.ScriptActive();
    const bool capture = s.CaptureOn();
    const bool watchScript = s.ScriptActive();

    for (int i = 0; i < count; ++i) {
        uint8_t b = bytes[i];
        if (CollectZmodemHeader(s, b)) continue;
        if (stripBit7) b &= 0x7F;
        if (b == kCR) sc.EscapeActive = 0;
        if (sc.EscapeActive) {
            CollectSequenceByte(s, t, b);
            continue;
        }
        if (t > kTypeTty && (s.pump.PrintControllerActive || capture)) {
            if (b == kESC) {
                ResolveAfterCR(sc);
                StartSequence(sc);
                continue;
            }
            if (IsC1(b) && IsC1Type(t)) {
                ResolveAfterCR(sc);
                C1Control(s, b);
                continue;
            }
            if (s.pump.PrintControllerActive) {
                if (s.spool) s.spool->Byte(b);
                continue;
            }
            s.capture->Byte(b);
        } else if (capture) {
            s.capture->Byte(b);
        }
        if (b < 0x20 || b == kDEL) {
            Control(s, t, b);
            continue;
        }
        ResolveAfterCR(sc);
        if (IsC1(b) && IsC1Type(t)) {
            C1Control(s, b);
            continue;
        }
        if (watchScript || capture || s.pump.PrintControllerActive) {
            PutChar(sc, b);
            if (watchScript) MatchScriptWait(s, sc.cursorCol - 1);
            continue;
        }
        // A run of plain text goes to the screen in one call; nothing else
        // looks at its bytes.
        int end = i + 1;
        while (end < count) {
            const uint8_t c = stripBit7 ? bytes[end] & 0x7F : bytes[end];
            if (c < 0x20 || c == kDEL || (IsC1(c) && IsC1Type(t))) break;
            ++end;
        }
        PutText(sc, bytes + i, end - i, stripBit7);
        i = end - 1;
    }
    sc.display->ShowCaretAt(CursorX(sc), CursorY(sc));
    return FinishZmodemStart(s, false);
}

}  // namespace palvex
