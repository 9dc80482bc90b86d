// A line made of descriptors the process already holds: standard input and
// output when the program runs under another one (like sz and rz under a
// terminal or a socat bridge), or one descriptor for both ways. Reads never
// wait; writes keep trying for a while when the far end is slow; the state
// calls are accepted and do nothing, since whoever set up the descriptors set
// up the line. The far end closing its side is reported as a carrier loss.
//
// Every write goes to the descriptor at once; put a GatheringPort in front
// so that the protocols' single bytes do not each cost a system call.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "comm/port_backend.h"

namespace palvex {

// True when `fd` reports a hang-up or an error and has nothing left to read:
// the other end of the pipe, pty or socket is closed for good.
bool DescriptorHungUp(int fd);

// Waits up to `milliseconds` until `fd` has something to read or hung up.
bool WaitDescriptorReadable(int fd, int milliseconds);

class FdPort : public PortBackend {
public:
    // The descriptors are not owned: Close gives them back with the flags
    // they had and leaves them open. The same descriptor may be given twice.
    FdPort(int readFd, int writeFd) : readFd_(readFd), writeFd_(writeFd) {}
    ~FdPort() override;
    FdPort(const FdPort&) = delete;
    FdPort& operator=(const FdPort&) = delete;

    // How long a write keeps trying when the far end takes no more bytes
    // before it returns the count written so far.
    void SetWriteStallLimit(int milliseconds) { writeStallLimitMs_ = milliseconds; }

    int ReadDescriptor() const { return readFd_; }
    int WriteDescriptor() const { return writeFd_; }
    // The far end is gone: end of input, a hang-up, or a write nobody reads.
    bool LineGone();

    // The device name is ignored: the line is the descriptors.
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
    // CTS and DSR always; carrier (RLSD) until the far end is gone.
    bool GetModemStatus(uint32_t& status) override;
    bool EscapeFunction(uint32_t function) override;
    bool SetBreak() override;
    bool ClearBreak() override;
    bool Purge(uint32_t flags) override;
    bool SetMask(uint32_t mask) override;
    void Close() override;

private:
    // Looks for a hang-up at most every few milliseconds unless `now`; the
    // protocols poll the line once per byte.
    void CheckHangUp(bool now);
    // Reads once when the descriptor says "ready" but counts nothing.
    void Probe();

    int readFd_;
    int writeFd_;
    bool open_ = false;
    bool gone_ = false;
    bool hangUpSeen_ = false;
    std::chrono::steady_clock::time_point hangUpSince_{};
    std::chrono::steady_clock::time_point nextCheck_{};
    bool readIsTty_ = false;
    bool writeIsTty_ = false;
    int readFlags_ = 0;
    int writeFlags_ = 0;
    std::vector<uint8_t> peeked_;  // read by Probe, not yet by Read
    Dcb state_{};
    int writeStallLimitMs_ = 30000;
};

}  // namespace palvex
