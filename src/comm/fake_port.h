// A scripted serial device for tests. A test queues what the "remote" sends,
// sets the modem lines and failure switches, and afterwards inspects every
// call the port layer made: bytes written, DCBs applied, purges, escapes.
// Nothing blocks: a read takes what is queued, possibly nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comm/port_backend.h"

namespace palvex {

class FakePort : public PortBackend {
public:
    FakePort();

    // ---- The remote side and the device's behaviour -------------------------

    void QueueInput(std::string_view bytes);
    void QueueInput(const uint8_t* bytes, std::size_t count);
    void QueueInput(std::initializer_list<uint8_t> bytes);
    std::deque<uint8_t> input;  // what the next reads return, front first

    void SetCarrier(bool on);  // MS_RLSD_ON in modemStatus
    void SetRing(bool on);     // MS_RING_ON in modemStatus
    uint32_t modemStatus = 0;  // the MS_ bits GetModemStatus reports

    bool modemStatusFails = false;             // GetModemStatus fails, as on a pty
    bool openFails = false;                    // every Open fails
    std::vector<std::string> missingDevices;   // names whose Open fails
    bool setStateFails = false;                // SetState refuses every DCB

    // What ClearError reports. cbInQue is the queued input unless set here.
    std::optional<uint32_t> inQueue;
    uint32_t outQueue = 0;
    uint32_t holdFlags = 0;   // ComStat::flags (kCtsHold, kXoffHold, ...)
    uint32_t lineErrors = 0;  // reported by the next ClearError, then cleared

    // The device's current settings: what GetState reports. Starts as a
    // plausible driver default (9600 8-N-1) and follows every accepted SetState.
    Dcb deviceState{};

    // Called after every write with the bytes just written: lets a test play
    // the modem ("AT" in, "OK" out) by queueing input or changing lines.
    std::function<void(FakePort&, const uint8_t*, int)> onWrite;
    // Called when a read finds nothing queued; whatever it queues is returned
    // by that same read.
    std::function<void(FakePort&)> onEmptyRead;

    // ---- What was done to the device ----------------------------------------

    std::vector<uint8_t> written;           // every byte written while open
    std::string WrittenText() const { return std::string(written.begin(), written.end()); }
    std::vector<Dcb> states;                // every DCB given to SetState, in order
    std::optional<CommTimeouts> timeouts;   // the last SetTimeouts
    uint32_t receiveQueue = 0;              // the last SetupQueues
    uint32_t transmitQueue = 0;
    std::vector<uint32_t> purges;           // PurgeComm flags, in order
    std::vector<uint32_t> escapes;          // EscapeCommFunction codes, in order
    bool dtr = false;                       // DTR as escapes and DCBs left it
    bool rts = false;
    bool breakOn = false;
    int breakCount = 0;                     // SetBreak calls
    uint32_t eventMask = 0;
    int openCount = 0;                      // successful opens
    int closeCount = 0;
    std::string deviceName;                 // the name of the last successful open
    std::vector<std::string> openAttempts;  // every name given to Open
    std::vector<std::string> calls;         // backend calls by name ("Open", "SetState", ...)

    // ---- PortBackend ----------------------------------------------------------

    bool Open(const char* deviceName) override;
    bool IsOpen() const override { return open_; }
    bool SetupQueues(uint32_t receiveQueue, uint32_t transmitQueue) override;
    bool QueryProperties() override;
    bool GetState(Dcb& dcb) override;
    bool SetState(const Dcb& dcb) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;
    int Read(uint8_t* buffer, int count) override;
    int Write(const uint8_t* buffer, int count) override;
    bool ClearError(uint32_t& errors, ComStat& status) override;
    bool GetModemStatus(uint32_t& status) override;
    bool EscapeFunction(uint32_t function) override;
    bool SetBreak() override;
    bool ClearBreak() override;
    bool Purge(uint32_t flags) override;
    bool SetMask(uint32_t mask) override;
    void Close() override;

private:
    bool open_ = false;
};

}  // namespace palvex
