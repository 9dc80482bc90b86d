#include "comm/terminal_rig.h"

#include <cstdio>

#include "comm/pump.h"

namespace palvex {

TerminalRig::TerminalRig(const TermOptions& o, DisplaySink* display)
    : service(DefaultServiceEntry()),
      session{service, port, pump, screen, modes, ui, loop} {
    service.TerminalType = static_cast<int16_t>(o.type);
    service.TerminalWidth = o.columns == 132 ? 1 : 0;
    service.TerminalHeight = static_cast<int16_t>(o.rows);
    service.AutoWrap = o.autoWrap;
    service.InboundCrLf = o.inboundCrLf;
    service.DisplayControls = o.displayControls;
    service.DataBitsIndex = o.sevenBit ? 1 : 0;
    service.FlowControl = 0;

    screen.display = display ? display : &nullDisplay_;
    screen.columns = o.columns == 132 ? 132 : 80;
    screen.rows = o.rows;
    screen.marginTop = 1;
    screen.marginBottom = o.rows;
    screen.autoWrap = o.autoWrap;
    AllocateLines(screen, o.scrollRange < o.rows ? o.rows : o.scrollRange);
    screen.scrollRange = o.scrollRange < o.rows ? o.rows : o.scrollRange;
    ClearBuffer(screen);

    port.EightBitData = o.sevenBit ? 0 : 1;
    port.PortOpen = 1;
}

void TerminalRig::Receive(const uint8_t* bytes, std::size_t size) {
    MemoryPort line(bytes, size);
    line.Open("COM1:");
    port.handle = &line;
    while (line.Remaining() > 0 && port.PortOpen) DrainPort(session);
    answers_.insert(answers_.end(), line.written.begin(), line.written.end());
    port.handle = nullptr;
}

std::string RowText(TerminalScreen& screen, int row) {
    const ScreenLine& line = LineAt(screen, row);
    int n = line.length;
    if (n > kLineCells) n = kLineCells;
    if (n < 0) n = 0;
    std::string text(reinterpret_cast<const char*>(line.text), static_cast<std::size_t>(n));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

namespace {

void AppendHex(std::string& out, const char* label, const uint8_t* bytes, std::size_t n) {
    out += label;
    char hex[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(hex, sizeof hex, " %02x", bytes[i]);
        out += hex;
    }
    out += '\n';
}

std::string RingLineText(TerminalScreen& screen, int ringIndex) {
    const ScreenLine& line = *screen.ring[ringIndex];
    int n = line.length < 0 ? 0 : (line.length > kLineCells ? kLineCells : line.length);
    std::string text(reinterpret_cast<const char*>(line.text), static_cast<std::size_t>(n));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

std::string DumpScreen(TerminalScreen& screen, const std::vector<uint8_t>& answers, const DumpOptions& o) {
    std::string out;
    ShowLiveScreen(screen);
    if (o.history) {
        const int n = screen.scrollRange;
        for (int i = screen.oldest; i != screen.liveTop; i = (i + 1) % n) {
            out += RingLineText(screen, i);
            out += '\n';
        }
        out += "----\n";
    }
    for (int r = 0; r < screen.rows; ++r) {
        out += RowText(screen, r);
        out += '\n';
        if (o.attrs) {
            const ScreenLine& line = LineAt(screen, r);
            int n = line.length < 0 ? 0 : (line.length > kLineCells ? kLineCells : line.length);
            AppendHex(out, "attr", AttrAt(screen, r), static_cast<std::size_t>(n));
        }
    }
    char cursor[48];
    std::snprintf(cursor, sizeof cursor, "cursor %d %d\n", screen.cursorRow, screen.cursorCol);
    out += cursor;
    if (o.answers) AppendHex(out, "answers", answers.data(), answers.size());
    return out;
}

}  // namespace palvex
