// Serial-line records in the shape of their Win32 counterparts (DCB, COMSTAT,
// COMMTIMEOUTS), so that the core can build and keep them without <windows.h>.
// The Win32 backend copies them field by field; the POSIX backend maps them to
// termios.
#pragma once

#include <cstdint>

namespace palvex {

struct Dcb {
    uint32_t DCBlength;
    uint32_t BaudRate;
    uint32_t fBinary : 1;
    uint32_t fParity : 1;
    uint32_t fOutxCtsFlow : 1;
    uint32_t fOutxDsrFlow : 1;
    uint32_t fDtrControl : 2;
    uint32_t fDsrSensitivity : 1;
    uint32_t fTXContinueOnXoff : 1;
    uint32_t fOutX : 1;
    uint32_t fInX : 1;
    uint32_t fErrorChar : 1;
    uint32_t fNull : 1;
    uint32_t fRtsControl : 2;
    uint32_t fAbortOnError : 1;
    uint32_t fDummy2 : 17;
    uint16_t wReserved;
    uint16_t XonLim;
    uint16_t XoffLim;
    uint8_t ByteSize;
    uint8_t Parity;
    uint8_t StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    uint16_t wReserved1;
};
static_assert(sizeof(Dcb) == 28, "the DCB image is 28 bytes");

struct ComStat {
    uint32_t flags;     // bit 0 fCtsHold, 1 fDsrHold, 2 fRlsdHold, 3 fXoffHold, 4 fXoffSent, 5 fEof, 6 fTxim
    uint32_t cbInQue;   // bytes waiting in the receive queue
    uint32_t cbOutQue;  // bytes waiting in the transmit queue
    bool CtsHold() const { return flags & kCtsHold; }
    bool XoffHold() const { return flags & kXoffHold; }
    static constexpr uint32_t kCtsHold = 1u << 0;
    static constexpr uint32_t kDsrHold = 1u << 1;
    static constexpr uint32_t kRlsdHold = 1u << 2;
    static constexpr uint32_t kXoffHold = 1u << 3;
    static constexpr uint32_t kXoffSent = 1u << 4;
};

struct CommTimeouts {
    uint32_t ReadIntervalTimeout;
    uint32_t ReadTotalTimeoutMultiplier;
    uint32_t ReadTotalTimeoutConstant;
    uint32_t WriteTotalTimeoutMultiplier;
    uint32_t WriteTotalTimeoutConstant;
};

// Values of the Win32 API, under names that do not clash with its macros.
inline constexpr uint8_t kNoParity = 0, kOddParity = 1, kEvenParity = 2;
inline constexpr uint8_t kOneStopBit = 0, kOne5StopBits = 1, kTwoStopBits = 2;
inline constexpr uint32_t kDtrControlDisable = 0, kDtrControlEnable = 1, kDtrControlHandshake = 2;
inline constexpr uint32_t kRtsControlDisable = 0, kRtsControlEnable = 1, kRtsControlHandshake = 2,
                          kRtsControlToggle = 3;
// GetCommModemStatus bits.
inline constexpr uint32_t kMsCtsOn = 0x10, kMsDsrOn = 0x20, kMsRingOn = 0x40, kMsRlsdOn = 0x80;
// PurgeComm flags.
inline constexpr uint32_t kPurgeTxAbort = 0x1, kPurgeRxAbort = 0x2, kPurgeTxClear = 0x4,
                          kPurgeRxClear = 0x8;
// EscapeCommFunction codes.
inline constexpr uint32_t kSetXoff = 1, kSetXon = 2, kSetRts = 3, kClrRts = 4, kSetDtr = 5,
                          kClrDtr = 6, kSetBreak = 8, kClrBreak = 9;

}  // namespace palvex
