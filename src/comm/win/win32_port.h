// The port backend over the Win32 serial functions: one COM device opened for
// non-overlapped I/O. Results are passed through unchanged; the port layer
// decides which failures matter.
#pragma once

#include <windows.h>

#include "comm/port_backend.h"
#include "comm/port_types.h"

namespace palvex {

// Field-by-field copies between the core's DCB image and the Win32 DCB; the
// reserved fields travel too, so a record read back and re-applied is unchanged.
void ToWin32Dcb(const Dcb& from, DCB& to);
void FromWin32Dcb(const DCB& from, Dcb& to);
ComStat FromWin32ComStat(const COMSTAT& from);

class Win32Port : public PortBackend {
public:
    Win32Port() = default;
    ~Win32Port() override;
    Win32Port(const Win32Port&) = delete;
    Win32Port& operator=(const Win32Port&) = delete;

    // A second Open releases the handle the backend already holds.
    bool Open(const char* deviceName) override;
    bool IsOpen() const override;
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

    HANDLE Handle() const { return handle_; }
    // GetLastError of the most recent failed call, for diagnostics.
    DWORD LastError() const { return lastError_; }

private:
    bool Check(BOOL ok);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD lastError_ = 0;
};

}  // namespace palvex
