// The serial device of --line: the termios backend with a carrier for
// devices that have no modem lines. A pty reports none, so
// without this a peer that died would only be noticed after a string of
// 27-second time-outs; here its side closing drops the carrier at once.
//
// Writes are gathered by the GatheringPort the caller puts in front.
#pragma once

#include <chrono>

#include "comm/posix/fd_port.h"
#include "comm/posix/posix_port.h"

namespace palvex::xfer {

class LinePort : public PosixPort {
public:
    LinePort() = default;
    ~LinePort() override { Close(); }

    bool Open(const char* deviceName) override {
        modemLines_ = Unknown;
        gone_ = false;
        return PosixPort::Open(deviceName);
    }

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
};

}  // namespace palvex::xfer
