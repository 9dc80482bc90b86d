// A session wired to a scripted fake port, a recording user interface and a
// clock that only moves when messages are taken: the receive path end to end
// without a window or a device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comm/fake_port.h"
#include "comm/pump.h"
#include "comm/session.h"
#include "platform/native_loop.h"
#include "platform/ui.h"
#include "terminal/display_sink.h"

namespace palvex::testing {

struct RecordingCapture : CaptureLog {
    bool on = true;
    std::string bytes;
    bool On() const override { return on; }
    void Byte(uint8_t b) override { bytes.push_back(static_cast<char>(b)); }
};

struct RecordingSpool : PrintSpool {
    std::string bytes;
    void Byte(uint8_t b) override { bytes.push_back(static_cast<char>(b)); }
};

struct FakeScript : ScriptWait {
    bool active = true;
    bool pending = true;
    std::string wanted;
    int satisfied = 0;
    bool Active() const override { return active; }
    bool WaitPending() const override { return pending; }
    const char* WaitString() const override { return wanted.c_str(); }
    void Satisfied() override {
        ++satisfied;
        pending = false;
    }
};

struct RecordingZmodem : ZmodemAutoStart {
    int verdict = 0;
    std::vector<std::string> headers;
    int CheckHeader(Session&, const uint8_t* header, int length, bool) override {
        headers.emplace_back(reinterpret_cast<const char*>(header), static_cast<std::size_t>(length));
        return verdict;
    }
};

struct CountingDisconnector : Disconnector {
    int immediate = 0, withEscape = 0;
    void HangUp(Session& s, bool isImmediate) override {
        (isImmediate ? immediate : withEscape) += 1;
        DropConnection(s);
    }
};

class TestSession {
public:
    explicit TestSession(int type = 1, int rows = 24, int scrollRange = 100, int columns = 80);
    ~TestSession();

    // Bytes through the standard (or display-controls) interpreter directly.
    int Interpret(const std::string& bytes);
    // Bytes through the port: queued on the fake and drained by the pump.
    int Drain(const std::string& bytes);
    std::string Row(int row);

    FakePort fake;
    ServiceEntry service;
    PortState port;
    PumpState pump;
    TerminalScreen screen;
    TerminalModes modes;
    RecordingUi ui;
    SteppingLoop loop;
    RecordingDisplay display;
    Session session;
};

}  // namespace palvex::testing
