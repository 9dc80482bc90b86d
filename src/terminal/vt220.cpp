// VT102, VT220 and VT320 share this emulator; they differ only in the
// identification they send and in the 8-bit controls the pump hands to
// C1Control for VT220/VT320. SCO-ANSI reuses the completion test and the
// executor through the dialect (sco.cpp).
#include "terminal/vt220.h"

#include "comm/session.h"
#include "terminal/dec_common.h"
#include "terminal/emulators.h"

namespace palvex {
namespace dec {
namespace {

constexpr uint8_t kEsc = 0x1B;

// Final byte -> whether the executor's table holds it.
using FinalTable = std::array<bool, 256>;
template <std::size_t N>
constexpr FinalTable MakeFinals(const char (&finals)[N]) {
    FinalTable t{};
    for (std::size_t i = 0; i + 1 < N; ++i) t[static_cast<uint8_t>(finals[i])] = true;
    return t;
}
constexpr FinalTable kVt220FinalSet = MakeFinals(kVt220Finals);
constexpr FinalTable kScoFinalSet = MakeFinals(kScoFinals);

void Identify(Session& s) {
    const char* answer;
    switch (s.TerminalType()) {
        case kTypeVt220:
            answer = "\x1b[?62;1;2;9;11;14c";
            break;
        case kTypeVt320:
            answer = "\x1b[?63;1;2;9;11;14c";
            break;
        default:
            answer = "\x1b[?6c";
            break;
    }
    SendAnswer(s, answer, s.modes.c1Answers != 0);
}

void DeviceStatus(Session& s, const EscText& t) {
    const bool eightBit = s.modes.c1Answers != 0;
    if (t[1] == '?') {
        if (NumberAt(t, 2) == 25) SendAnswer(s, "\x1b[?20n", eightBit);
        return;
    }
    switch (NumberAt(t, 1)) {
        case 5:
            SendAnswer(s, "\x1b[0n", eightBit);
            return;
        case 6:
            SendCursorPosition(s, eightBit);
            return;
        default:
            return;
    }
}

// Modes are recognised by the position of single bytes, not by number, in this
// order; the first that matches is the one set.
void SetMode(Session& s, const EscText& t, bool on) {
    TerminalScreen& sc = s.screen;
    TerminalModes& m = s.modes;
    const int v = on ? 1 : 0;
    if (t[2] == '8')
        m.autoRepeat = v;
    else if (t[2] == '2' && t[3] == '0')
        m.newLineMode = v;
    else if (t[1] == '4')
        sc.insertMode = v;
    else if (t[2] == '7')
        sc.autoWrap = v;
    else if (t[2] == '1')
        m.cursorKeysApp = v;
    else if (t[2] == '3')
        sc.columns = on ? 132 : 80;  // the width only; nothing is cleared or resized
}

// The printer controller. While transparent print is off the host can only
// switch it off, never on.
void MediaCopy(Session& s, int ps) {
    PumpState& p = s.pump;
    if (s.modes.transparentPrint) {
        if (ps == 5) {
            // A second "on" must not reopen the capture and lose what it holds.
            if (!p.PrintControllerActive && s.spool) s.spool->Start();
            p.PrintControllerActive = 1;
        } else if (ps == 4) {
            p.PrintControllerActive = 0;
            if (s.spool) s.spool->End();
        }
        return;
    }
    if (ps == 4 && s.spool) s.spool->End();
    p.PrintControllerActive = 0;
}

void SelectiveErase(TerminalModes& m, const EscText& t) {
    if (t.length < 1 || t[t.length - 1] != '"') return;
    switch (NumberAt(t, 1)) {
        case 0:
        case 2:
            m.selectiveErase = 1;
            return;
        case 1:
            m.selectiveErase = 0;
            return;
        default:
            return;
    }
}

// ESC [ ? Ps J/K act only while selective erase is on; -1 when ignored.
int EraseParam(const TerminalModes& m, const EscText& t) {
    if (t[1] != '?') return NumberAt(t, 1);
    return m.selectiveErase ? NumberAt(t, 2) : -1;
}

}  // namespace

void DecExecute(Session& s, const uint8_t* afterEsc, int count, Dialect d) {
    if (afterEsc == nullptr || count < 1) return;
    const uint8_t final = afterEsc[count - 1];
    const bool sco = d == Dialect::Sco;
    if (!(sco ? kScoFinalSet : kVt220FinalSet)[final]) return;

    TerminalScreen& sc = s.screen;
    TerminalModes& m = s.modes;
    const EscText t = TextOf(afterEsc, count);
    // The final straight after ESC: the short forms (ESC D, ESC M, ESC c ...).
    const bool alone = count == 1;

    switch (final) {
        case 'A':
            if (!alone) CursorUp(sc, CountParam(t));
            return;
        case 'B':
            if (t[0] == '(')
                sc.graphics[0] = 0;
            else if (t[0] == ')')
                sc.graphics[1] = 0;
            else if (!alone)
                CursorDown(sc, CountParam(t), LastRow(sc));
            return;
        case 'C':
            if (!alone) CursorRight(sc, CountParam(t), LastRow(sc), LastColumn(sc));
            return;
        case 'D':
            if (alone)
                Index(sc);
            else
                CursorLeft(sc, CountParam(t));
            return;
        case 'E':
            NextLine(sc);  // ESC [ Pn E too, once
            return;
        case 'J': {
            const int ps = EraseParam(m, t);
            if (ps >= 0) EraseInDisplay(sc, ps);
            return;
        }
        case 'K': {
            const int ps = EraseParam(m, t);
            if (ps >= 0) EraseInLine(sc, ps);
            return;
        }
        case 'H':
        case 'f':
            CursorTo(sc, NumberAt(t, 1), NumberAfter(t, 1, ';'));
            return;
        case 'm':
            SelectGraphicRendition(sc, m, t, 1, sco ? Renditions::Sco : Renditions::Vt220);
            return;
        case 'n':
            DeviceStatus(s, t);
            return;
        case 'c':
            // A parameter (ESC [ 0 c) asks for something this terminal is not.
            if (!sco && count <= 2) Identify(s);
            return;
        case 'Z':
            if (sco) {
                if (!alone) BackTab(sc);  // ESC [ Z; ESC Z alone would identify, silently
            } else if (count <= 2) {
                Identify(s);
            }
            return;
        case 'r':
            SetScrollRegion(sc, NumberAt(t, 1), NumberAfter(t, 1, ';'));
            return;
        case 'h':
        case 'l':
            SetMode(s, t, final == 'h');
            return;
        case 'P':
            if (!alone) DeleteChars(sc, CountParam(t));
            return;
        case 'L':
            if (!alone) InsertLinesAtCursor(sc, CountParam(t));
            return;
        case 'M':
            if (alone)
                ReverseIndex(sc);
            else
                DeleteLinesAtCursor(sc, CountParam(t));
            return;
        case 's':
            if (sco)
                SaveCursor(sc, m.scoSavedCol, m.scoSavedRow);
            else
                SaveCursor(sc, m.savedX2, m.savedY2);
            return;
        case 'u':
            if (sco)
                RestoreCursor(sc, m.scoSavedCol, m.scoSavedRow);
            else
                RestoreCursor(sc, m.savedX2, m.savedY2);
            return;
        case 'i':
            MediaCopy(s, NumberAt(t, 1));
            return;
        case 'F':
            m.c1Answers = 0;
            return;
        case 'G':
            m.c1Answers = 1;
            return;
        case '@':
            if (!alone) InsertBlanks(sc, CountParam(t));
            return;
        case 'X':
            if (!alone) EraseChars(sc, CountParam(t));
            return;
        case 'q':
            SelectiveErase(m, t);
            return;
        case 'T':
            ScrollRegionDownShown(sc);  // Pn is not read: always one line
            return;
        case 'S':
            ScrollRegionUpShown(sc);
            return;
        default:
            return;
    }
}

void Complete(Session& s, Completion kind, Dialect d) {
    TerminalScreen& sc = s.screen;
    const int length = sc.EscapeLength;
    const uint8_t first = length > 1 ? sc.EscapeBuffer[1] : 0;

    switch (kind) {
        case Completion::Collect:
            return;
        case Completion::Restart:
            sc.EscapeBuffer[0] = kEsc;
            sc.EscapeBuffer[1] = 0;
            sc.EscapeLength = 1;
            return;
        case Completion::Zero:
            if (length < 3 || sc.EscapeBuffer[2] != '0') return;
            switch (first) {
                case '(':
                    sc.graphics[0] = 1;
                    break;
                case ')':
                    sc.graphics[1] = 1;
                    break;
                case '*':
                case '+':
                case '-':
                case '.':
                case '/':
                    break;  // G2/G3 designations: no such sets here
                default:
                    return;
            }
            EndSequence(s);
            return;
        case Completion::LineSize:
            if (first == '#') EndSequence(s);
            return;
        case Completion::Save:
            if (first != '7') return;
            SaveCursor(sc, sc.savedCol, sc.savedRow);
            EndSequence(s);
            return;
        case Completion::Restore:
            if (first != '8') return;
            RestoreCursor(sc, sc.savedCol, sc.savedRow);
            MoveCaret(sc);
            EndSequence(s);
            return;
        case Completion::Drop:
            EndSequence(s);
            return;
        case Completion::KeypadApp:
            KeypadApplication(s);
            EndSequence(s);
            return;
        case Completion::KeypadNum:
            KeypadNumeric(s);
            EndSequence(s);
            return;
        case Completion::TabSet:
            if (first == 'H') {
                EndSequence(s);
                return;
            }
            break;
        case Completion::DeviceCtl:
            if (first == 'P') {
                // The pump routes the string's bytes by this flag, which only
                // the DEC types have; SCO-ANSI just keeps collecting.
                if (d == Dialect::Vt220) sc.StringMode = 1;
                return;
            }
            break;
        case Completion::Execute:
            break;
    }
    DecExecute(s, sc.EscapeBuffer + 1, length - 1, d);
    EndSequence(s);
}


}  // namespace dec

void Vt220Execute(Session& s, const uint8_t* afterEsc, int count) {
    dec::DecExecute(s, afterEsc, count, dec::Dialect::Vt220);
}

void Vt220Entry(Session& s, uint8_t b) { dec::DecEntry(s, b, dec::Dialect::Vt220); }

void Vt220StringByte(Session& s, uint8_t b) {
    TerminalScreen& sc = s.screen;
    const int length = sc.EscapeLength;
    // The content (key definitions and the like) is not kept; only the end of
    // the string matters. A string that fills the collector ends there.
    const bool terminated = b == 0x9C || (b == '\\' && length >= 2 && sc.EscapeBuffer[length - 2] == dec::kEsc);
    if (terminated || length >= kEscapeCapacity) {
        sc.StringMode = 0;
        EndSequence(s);
    }
}

void C1Control(Session& s, uint8_t b) {
    TerminalScreen& sc = s.screen;
    // The 8-bit controls that stand for ESC and a letter: load the pair, exactly
    // as if both bytes had arrived.
    uint8_t letter = 0;
    switch (b) {
        case 0x84: letter = 'D'; break;  // IND
        case 0x85: letter = 'E'; break;  // NEL
        case 0x88: letter = 'H'; break;  // HTS
        case 0x8D: letter = 'M'; break;  // RI
        case 0x8E: letter = 'N'; break;  // SS2
        case 0x8F: letter = 'O'; break;  // SS3
        case 0x90: letter = 'P'; break;  // DCS
        case 0x9B:                       // CSI
            sc.EscapeBuffer[0] = dec::kEsc;
            sc.EscapeBuffer[1] = '[';
            sc.EscapeLength = 2;
            sc.EscapeActive = 1;
            sc.StringMode = 0;
            return;
        default:  // ST ends a device control string; anything else ends what is open
            sc.StringMode = 0;
            EndSequence(s);
            return;
    }
    sc.EscapeBuffer[0] = dec::kEsc;
    sc.EscapeBuffer[1] = letter;
    sc.EscapeLength = 2;
    sc.EscapeActive = 1;
    sc.StringMode = 0;
    Vt220Entry(s, letter);
}

}  // namespace palvex
