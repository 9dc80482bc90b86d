#include "comm/win/win32_port.h"

namespace palvex {

// The core names the Win32 values itself so that it needs no <windows.h>; the
// backend passes them through untranslated, so they must agree.
static_assert(sizeof(DCB) == sizeof(Dcb), "the core's DCB image must match the Win32 DCB");
static_assert(kNoParity == NOPARITY && kOddParity == ODDPARITY && kEvenParity == EVENPARITY);
static_assert(kOneStopBit == ONESTOPBIT && kOne5StopBits == ONE5STOPBITS &&
              kTwoStopBits == TWOSTOPBITS);
static_assert(kDtrControlDisable == DTR_CONTROL_DISABLE && kDtrControlEnable == DTR_CONTROL_ENABLE &&
              kDtrControlHandshake == DTR_CONTROL_HANDSHAKE);
static_assert(kRtsControlDisable == RTS_CONTROL_DISABLE && kRtsControlEnable == RTS_CONTROL_ENABLE &&
              kRtsControlHandshake == RTS_CONTROL_HANDSHAKE && kRtsControlToggle == RTS_CONTROL_TOGGLE);
static_assert(kMsCtsOn == MS_CTS_ON && kMsDsrOn == MS_DSR_ON && kMsRingOn == MS_RING_ON &&
              kMsRlsdOn == MS_RLSD_ON);
static_assert(kPurgeTxAbort == PURGE_TXABORT && kPurgeRxAbort == PURGE_RXABORT &&
              kPurgeTxClear == PURGE_TXCLEAR && kPurgeRxClear == PURGE_RXCLEAR);
static_assert(kSetXoff == SETXOFF && kSetXon == SETXON && kSetRts == SETRTS && kClrRts == CLRRTS &&
              kSetDtr == SETDTR && kClrDtr == CLRDTR && kSetBreak == SETBREAK &&
              kClrBreak == CLRBREAK);

// The core's Dcb has the Win32 DCB's fields under the same names, so one copy
// serves both directions.
template <class From, class To>
void CopyDcb(const From& from, To& to) {
    to.DCBlength = from.DCBlength;
    to.BaudRate = from.BaudRate;
    to.fBinary = from.fBinary;
    to.fParity = from.fParity;
    to.fOutxCtsFlow = from.fOutxCtsFlow;
    to.fOutxDsrFlow = from.fOutxDsrFlow;
    to.fDtrControl = from.fDtrControl;
    to.fDsrSensitivity = from.fDsrSensitivity;
    to.fTXContinueOnXoff = from.fTXContinueOnXoff;
    to.fOutX = from.fOutX;
    to.fInX = from.fInX;
    to.fErrorChar = from.fErrorChar;
    to.fNull = from.fNull;
    to.fRtsControl = from.fRtsControl;
    to.fAbortOnError = from.fAbortOnError;
    to.fDummy2 = from.fDummy2;
    to.wReserved = from.wReserved;
    to.XonLim = from.XonLim;
    to.XoffLim = from.XoffLim;
    to.ByteSize = from.ByteSize;
    to.Parity = from.Parity;
    to.StopBits = from.StopBits;
    to.XonChar = from.XonChar;
    to.XoffChar = from.XoffChar;
    to.ErrorChar = from.ErrorChar;
    to.EofChar = from.EofChar;
    to.EvtChar = from.EvtChar;
    to.wReserved1 = from.wReserved1;
}

void ToWin32Dcb(const Dcb& from, DCB& to) { CopyDcb(from, to); }

void FromWin32Dcb(const DCB& from, Dcb& to) { CopyDcb(from, to); }

ComStat FromWin32ComStat(const COMSTAT& from) {
    ComStat to{};
    to.flags = (from.fCtsHold ? ComStat::kCtsHold : 0u) | (from.fDsrHold ? ComStat::kDsrHold : 0u) |
               (from.fRlsdHold ? ComStat::kRlsdHold : 0u) |
               (from.fXoffHold ? ComStat::kXoffHold : 0u) |
               (from.fXoffSent ? ComStat::kXoffSent : 0u) | (from.fEof ? 1u << 5 : 0u) |
               (from.fTxim ? 1u << 6 : 0u);
    to.cbInQue = from.cbInQue;
    to.cbOutQue = from.cbOutQue;
    return to;
}

Win32Port::~Win32Port() {
    Close();
}

bool Win32Port::Check(BOOL ok) {
    if (!ok) lastError_ = GetLastError();
    return ok != FALSE;
}

bool Win32Port::Open(const char* deviceName) {
    Close();
    handle_ = CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return Check(handle_ != INVALID_HANDLE_VALUE);
}

bool Win32Port::IsOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

bool Win32Port::SetupQueues(uint32_t receiveQueue, uint32_t transmitQueue) {
    return Check(SetupComm(handle_, receiveQueue, transmitQueue));
}

bool Win32Port::QueryProperties() {
    COMMPROP properties{};
    return Check(GetCommProperties(handle_, &properties));
}

bool Win32Port::GetState(Dcb& dcb) {
    DCB device{};
    device.DCBlength = sizeof device;
    if (!Check(GetCommState(handle_, &device))) return false;
    FromWin32Dcb(device, dcb);
    return true;
}

bool Win32Port::SetState(const Dcb& dcb) {
    DCB device{};
    ToWin32Dcb(dcb, device);
    return Check(SetCommState(handle_, &device));
}

bool Win32Port::SetTimeouts(const CommTimeouts& timeouts) {
    COMMTIMEOUTS device{};
    device.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    device.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    device.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    device.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    device.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    return Check(SetCommTimeouts(handle_, &device));
}

int Win32Port::Read(uint8_t* buffer, int count) {
    if (count <= 0) return 0;
    DWORD moved = 0;
    if (!Check(ReadFile(handle_, buffer, static_cast<DWORD>(count), &moved, nullptr))) return 0;
    return static_cast<int>(moved);
}

int Win32Port::Write(const uint8_t* buffer, int count) {
    if (count <= 0) return 0;
    DWORD moved = 0;
    if (!Check(WriteFile(handle_, buffer, static_cast<DWORD>(count), &moved, nullptr))) return 0;
    return static_cast<int>(moved);
}

bool Win32Port::ClearError(uint32_t& errors, ComStat& status) {
    DWORD mask = 0;
    COMSTAT device{};
    if (!Check(ClearCommError(handle_, &mask, &device))) return false;
    errors = mask;
    status = FromWin32ComStat(device);
    return true;
}

bool Win32Port::GetModemStatus(uint32_t& status) {
    DWORD lines = 0;
    if (!Check(GetCommModemStatus(handle_, &lines))) return false;
    status = lines;
    return true;
}

bool Win32Port::EscapeFunction(uint32_t function) {
    return Check(EscapeCommFunction(handle_, function));
}

bool Win32Port::SetBreak() {
    return Check(SetCommBreak(handle_));
}

bool Win32Port::ClearBreak() {
    return Check(ClearCommBreak(handle_));
}

bool Win32Port::Purge(uint32_t flags) {
    return Check(PurgeComm(handle_, flags));
}

bool Win32Port::SetMask(uint32_t mask) {
    return Check(SetCommMask(handle_, mask));
}

void Win32Port::Close() {
    if (handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
}

}  // namespace palvex
