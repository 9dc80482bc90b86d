#include "support/test_session.h"

#include "comm/terminal_rig.h"

namespace palvex::testing {

TestSession::TestSession(int type, int rows, int scrollRange, int columns)
    : service(DefaultServiceEntry()), session{service, port, pump, screen, modes, ui, loop} {
    service.TerminalType = static_cast<int16_t>(type);
    service.FlowControl = 0;
    service.Protocol = kProtoXmodemCrc;
    screen.display = &display;
    screen.columns = columns;
    screen.rows = rows;
    screen.marginTop = 1;
    screen.marginBottom = rows;
    screen.scrollRange = scrollRange;
    AllocateLines(screen, scrollRange);
    ClearBuffer(screen);
    fake.Open("COM1:");
    port.handle = &fake;
    port.PortOpen = 1;
    port.EightBitData = 1;
}

TestSession::~TestSession() = default;

int TestSession::Interpret(const std::string& bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const int n = static_cast<int>(bytes.size());
    return service.DisplayControls ? InterpretBytesShowingControls(session, p, n) : InterpretBytes(session, p, n);
}

int TestSession::Drain(const std::string& bytes) {
    fake.QueueInput(bytes);
    return DrainPort(session);
}

std::string TestSession::Row(int row) { return RowText(screen, row); }

}  // namespace palvex::testing
