// The serial device of --line: the termios backend with two additions.
//
// A carrier for devices that have no modem lines. A pty reports none, so
// without this a peer that died would only be noticed after a string of
// 27-second time-outs; here its side closing drops the carrier at once.
//
// Small writes gathered, as FdPort gathers them: the protocols write a byte
// at a time, and a system call per byte costs more than the line itself on
// a fast device. What waits goes out when enough is together, before every
// read, on Flush (the idle wait) and on Close, and counts in the transmit
// queue.
#pragma once

#include <chrono>
#include <vector>

#include "comm/posix/fd_port.h"
#include "comm/posix/posix_port.h"

namespace palvex::xfer {

class LinePort : public PosixPort {
public:
    static constexpr int kGatherLimit = FdPort::kGatherLimit;

    LinePort() = default;
    ~LinePort() override { Close(); }

    bool Open(const char* deviceName) override {
        modemLines_ = Unknown;
        gone_ = false;
        pending_.clear();
        return PosixPort::Open(deviceName);
    }

    void Close() override {
        Flush();
        pending_.clear();
        PosixPort::Close();
    }

    int Write(const uint8_t* buffer, int count) override {
        if (!IsOpen() || buffer == nullptr || count <= 0) return 0;
        if (Pending() + count > kGatherLimit && !Flush()) return 0;
        if (count > kGatherLimit) return PosixPort::Write(buffer, count);
        pending_.insert(pending_.end(), buffer, buffer + count);
        if (Pending() >= kGatherLimit) Flush();
        return count;
    }

    int Read(uint8_t* buffer, int count) override {
        // Whoever reads now waits for an answer to what it wrote.
        Flush();
        return PosixPort::Read(buffer, count);
    }

    bool ClearError(uint32_t& errors, ComStat& status) override {
        if (!PosixPort::ClearError(errors, status)) return false;
        status.cbOutQue += static_cast<uint32_t>(Pending());
        return true;
    }

    bool Purge(uint32_t flags) override {
        if (flags & kPurgeTxClear) pending_.clear();
        return PosixPort::Purge(flags);
    }

    // Sends what was gathered; true when nothing is left.
    bool Flush() {
        if (pending_.empty()) return true;
        const int n = IsOpen() ? PosixPort::Write(pending_.data(), Pending()) : 0;
        pending_.erase(pending_.begin(), pending_.begin() + (n > 0 ? n : 0));
        return pending_.empty();
    }

    int Pending() const { return static_cast<int>(pending_.size()); }

    bool GetModemStatus(uint32_t& status) override {
        if (modemLines_ != Absent) {
            if (PosixPort::GetModemStatus(status)) {
                modemLines_ = Present;
                return true;
            }
            if (!IsOpen()) return false;
            modemLines_ = Absent;
        }
        if (!IsOpen()) return false;
        // The protocols poll once per byte; the descriptor is asked now and then.
        const auto now = std::chrono::steady_clock::now();
        if (now >= nextCheck_) {
            nextCheck_ = now + std::chrono::milliseconds(20);
            LineGone();
        }
        status = kMsCtsOn | kMsDsrOn;
        if (!gone_) status |= kMsRlsdOn;
        return true;
    }

    // Only a device without modem lines can tell this way; a real line has
    // its carrier. The slave side of a pty loses what waited when the master
    // closes, so there is nothing to wait for once the hang-up shows.
    bool LineGone() {
        if (modemLines_ == Present || !IsOpen()) return false;
        if (!gone_ && DescriptorHungUp(Descriptor())) gone_ = true;
        return gone_;
    }

private:
    enum ModemLines { Unknown, Present, Absent };
    ModemLines modemLines_ = Unknown;
    bool gone_ = false;
    std::chrono::steady_clock::time_point nextCheck_{};
    std::vector<uint8_t> pending_;
};

}  // namespace palvex::xfer
