// A whole terminal without a window: the records of one session wired together
// over a memory port. The command-line tools, benchmarks and fuzzers replay byte
// streams through it exactly as the receive pump would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "comm/memory_port.h"
#include "comm/session.h"
#include "platform/native_loop.h"

namespace palvex {

struct TermOptions {
    int type = kTypeVt100Color;
    int columns = 80;       // 80 or 132
    int rows = 24;          // 24..99
    int scrollRange = 1000; // lines in the ring, at least rows
    bool inboundCrLf = false;
    bool displayControls = false;
    bool autoWrap = false;
    bool sevenBit = false;
};

class TerminalRig {
public:
    // `display` may be null for a NullDisplay.
    explicit TerminalRig(const TermOptions& options, DisplaySink* display = nullptr);
    TerminalRig(const TerminalRig&) = delete;
    TerminalRig& operator=(const TerminalRig&) = delete;

    // Feeds bytes as received from the port: bursts, inbound CR/LF, bit 7.
    void Receive(const uint8_t* bytes, std::size_t size);
    void Receive(const std::string& bytes) {
        Receive(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    // What the terminal wrote back to the host.
    const std::vector<uint8_t>& Answers() const { return answers_; }

    ServiceEntry service;
    PortState port;
    PumpState pump;
    TerminalScreen screen;
    TerminalModes modes;
    SilentUi ui;
    SteadyLoop loop;
    Session session;

private:
    NullDisplay nullDisplay_;
    std::vector<uint8_t> answers_;
};

// The screen as text, the format of palvex-term: optional history lines then
// "----", the rows with trailing blanks removed (with "attr" lines), "cursor R C",
// and optionally "answers" with the bytes written back.
struct DumpOptions {
    bool history = false;
    bool attrs = false;
    bool answers = false;
};
std::string DumpScreen(TerminalScreen& screen, const std::vector<uint8_t>& answers, const DumpOptions& options);
// One shown row's text up to its length, trailing blanks removed.
std::string RowText(TerminalScreen& screen, int row);

}  // namespace palvex
