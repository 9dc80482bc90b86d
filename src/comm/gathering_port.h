// A device that holds small writes back, as a serial driver's transmit queue
// does, and hands them to the device under it in one piece.
//
// The protocols write a byte at a time. One device call per byte costs more
// than the byte itself on a fast line, and where every call is a round trip
// (Wine's server, a busy machine) the gaps it leaves inside a block make a
// strict receiver give the block up. Held bytes go out when enough are
// together, before every read (whoever reads waits for an answer to what it
// wrote), before any change to the line's state, on Flush and on Close, and
// when the program looks at the line (ClearError, GetModemStatus) after the
// writer has paused or the oldest byte has waited long enough: many loops
// only read once the status says bytes have come. Held bytes count in the
// transmit queue that ClearError reports; a purge of the transmit side drops
// them.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "comm/port_backend.h"

namespace palvex {

class GatheringPort : public PortBackend {
public:
    // Writes held up to this many bytes; a larger write goes at once. Below
    // the queue depth at which the senders stop adding bytes, so what is held
    // never makes a sender wait.
    static constexpr int kGatherLimit = 240;
    // A look at the line sends what is held once no byte has been written
    // for this long (the writer waits for something)...
    static constexpr std::chrono::microseconds kWriterPause{1000};
    // ...or once the oldest held byte has waited this long.
    static constexpr std::chrono::microseconds kLongestHold{20000};

    // The device is not owned and must outlive this one.
    explicit GatheringPort(PortBackend& device) : device_(device) {}
    ~GatheringPort() override = default;
    GatheringPort(const GatheringPort&) = delete;
    GatheringPort& operator=(const GatheringPort&) = delete;

    // Hands what is held to the device; true when nothing is left.
    bool Flush() override;
    int Pending() const { return static_cast<int>(pending_.size()); }

    bool Open(const char* deviceName) override;
    bool IsOpen() const override { return device_.IsOpen(); }
    bool SetupQueues(uint32_t receiveQueue, uint32_t transmitQueue) override;
    bool QueryProperties() override { return device_.QueryProperties(); }
    bool GetState(Dcb& dcb) override { return device_.GetState(dcb); }
    bool SetState(const Dcb& dcb) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override { return device_.SetTimeouts(timeouts); }
    int Read(uint8_t* buffer, int count) override;
    int Write(const uint8_t* buffer, int count) override;
    bool ClearError(uint32_t& errors, ComStat& status) override;
    bool GetModemStatus(uint32_t& status) override;
    bool EscapeFunction(uint32_t function) override;
    bool SetBreak() override;
    bool ClearBreak() override { return device_.ClearBreak(); }
    bool Purge(uint32_t flags) override;
    bool SetMask(uint32_t mask) override { return device_.SetMask(mask); }
    void Close() override;

protected:
    using Clock = std::chrono::steady_clock;
    virtual Clock::time_point Now() const { return Clock::now(); }

private:
    void Look();

    PortBackend& device_;
    std::vector<uint8_t> pending_;
    Clock::time_point firstHeld_{};
    Clock::time_point lastWrite_{};
};

}  // namespace palvex
