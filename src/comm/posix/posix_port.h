// The serial device on a POSIX system: a tty driven through termios, raw and
// 8-bit clean, with reads that never wait. Lets the native build talk to a
// real modem, a USB adapter or a pty bridged by socat.
#pragma once

#include <termios.h>

#include <array>
#include <cstdint>
#include <string>

#include "comm/port_backend.h"

namespace palvex {

namespace posix {

// The raw, 8-bit clean settings for a DCB, built on `tio` (the device's
// current settings). False, with `tio` unchanged, when the DCB asks for what
// termios cannot do. `customRate` is the rate when it has no B-constant and
// must be set apart (SetCustomSpeed), else 0.
bool TermiosFromDcb(const Dcb& dcb, termios& tio, uint32_t& customRate);
// The DCB a device's settings amount to (BaudRate 0 when it has no B-constant).
Dcb DcbFromTermios(const termios& tio);

}  // namespace posix

class PosixPort : public PortBackend {
public:
    PosixPort() = default;
    ~PosixPort() override;
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    // The device behind "COM<portIndex + 1>:" (portIndex 0..7, as in the
    // service entry: 0 is "COM1:"). Without one, the environment variable
    // PALVEX_COM1 .. PALVEX_COM8 is read when the port is opened.
    void SetComPath(int portIndex, std::string path);
    // The path Open would use for a device name: "COMn:" (or "COMn", any case)
    // through the table above, anything else as given. "" when a COM name has
    // no device.
    std::string ResolvePath(const char* deviceName) const;

    // How long a write keeps trying when the device takes no more bytes (flow
    // control held, nobody reading a pty) before it returns the count queued
    // so far. WriteFile would wait for ever; a terminal must not freeze.
    void SetWriteStallLimit(int milliseconds) { writeStallLimitMs_ = milliseconds; }

    int Descriptor() const { return fd_; }

    bool Open(const char* deviceName) override;
    bool IsOpen() const override { return fd_ >= 0; }
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
    bool ModemLines(unsigned long request, int bits);

    int fd_ = -1;
    std::array<std::string, 8> comPaths_{};
    bool haveState_ = false;
    Dcb state_{};
    CommTimeouts timeouts_{};
    uint32_t eventMask_ = 0;
    int writeStallLimitMs_ = 30000;
};

}  // namespace palvex
