// The device under the port layer: one call per Win32 serial function the
// design uses. Backends: Win32 COM (comm/win), POSIX termios (comm/posix) and
// the scripted fake for tests (comm/fake_port.h).
#pragma once

#include <cstdint>

#include "comm/port_types.h"

namespace palvex {

class PortBackend {
public:
    virtual ~PortBackend() = default;

    // CreateFileA on the device ("COM1:".."COM8:", or a backend-specific path):
    // read/write, not shared, existing only. False when it cannot be opened.
    virtual bool Open(const char* deviceName) = 0;
    virtual bool IsOpen() const = 0;
    virtual bool SetupQueues(uint32_t receiveQueue, uint32_t transmitQueue) = 0;  // SetupComm
    virtual bool QueryProperties() = 0;                                          // GetCommProperties
    virtual bool GetState(Dcb& dcb) = 0;                                         // GetCommState
    virtual bool SetState(const Dcb& dcb) = 0;                                   // SetCommState
    virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;                  // SetCommTimeouts
    // ReadFile/WriteFile: the number of bytes moved; 0 when nothing was queued.
    virtual int Read(uint8_t* buffer, int count) = 0;
    virtual int Write(const uint8_t* buffer, int count) = 0;
    virtual bool ClearError(uint32_t& errors, ComStat& status) = 0;              // ClearCommError
    virtual bool GetModemStatus(uint32_t& status) = 0;                           // GetCommModemStatus
    virtual bool EscapeFunction(uint32_t function) = 0;                          // EscapeCommFunction
    virtual bool SetBreak() = 0;                                                 // SetCommBreak
    virtual bool ClearBreak() = 0;                                               // ClearCommBreak
    virtual bool Purge(uint32_t flags) = 0;                                      // PurgeComm
    virtual bool SetMask(uint32_t mask) = 0;                                     // SetCommMask
    // Hands over bytes the backend held back to write together; a backend
    // that holds none has nothing to do. False when some are still held.
    virtual bool Flush() { return true; }
    virtual void Close() = 0;                                                    // CloseHandle
};

}  // namespace palvex
