// The port layer: the only code that touches the serial device. One channel at
// a time, opened with fixed queues and non-blocking reads, framed from the
// current service entry.
#pragma once

#include <cstdint>

#include "comm/port_backend.h"
#include "comm/port_types.h"
#include "phonebook/service_entry.h"
#include "platform/ui.h"
#include "terminal/terminal_modes.h"

namespace palvex {

// The system-wide result for "carrier lost".
inline constexpr int kCarrierLost = -16;

inline constexpr uint32_t kPortQueueSize = 16384;

// Message string ids used here.
inline constexpr int kStrFileOpenError = 1;
inline constexpr int kStrSelectDatabits = 6;
inline constexpr int kStrHangUpFirst = 10;
inline constexpr int kStrDeviceOpenError = 11;

struct PortState {
    // PortHandle: the device; valid while handle->IsOpen(). Not owned.
    PortBackend* handle = nullptr;
    int PortOpen = 0;
    Dcb PortDcb{};                 // last applied; all zero at start, never read back
    uint8_t SavedFraming[3]{};     // ByteSize, Parity, StopBits of the service
    int EightBitData = 0;
    ComStat PortStatus{};
    CommTimeouts PortTimeouts{0xFFFFFFFFu, 0, 0, 0, 0};
    int CarrierSeen = 0;
    int AutoAnswer = 0;
    char AnswerCommand[32] = "ATA";
};

// "COM1:".."COM8:" for port index 0..7; "" out of range.
const char* PortDeviceName(int portIndex);

// Opens and primes the device (queues, 2400 8N1, PortTimeouts). 1 or -1.
int OpenPort(PortState& port, const char* deviceName, uint32_t receiveQueue, uint32_t transmitQueue);
// Builds PortDcb from `service`, opens its port and applies the DCB. 0 or -1
// (a message was shown).
int ConnectPort(PortState& port, const ServiceEntry& service, Ui& ui, WindowRef owner);
// Fills PortDcb from the service as ConnectPort does, without touching the device.
void BuildPortDcb(PortState& port, const ServiceEntry& service);
int ReadPort(PortState& port, uint8_t* buffer, int count);
int WritePort(PortState& port, const uint8_t* buffer, int count);
// Sends at once what the device holds back from earlier writes: for bytes
// nobody will wait on an answer to, such as a cancel.
int FlushPort(PortState& port);
int QueryPortStatus(PortState& port);
// Non-zero on success; `status` gets the MS_ bits.
int GetModemLines(PortState& port, uint32_t& status);
int SetPortEventMask(PortState& port, uint32_t mask);
int ClosePort(PortState& port);
// which 0: discard received data; 1: discard data not yet sent.
int PurgePort(PortState& port, int which);
// Switches to 8-none-1 for a binary transfer and back; nothing on an 8-bit line.
int SetBinaryFraming(PortState& port, bool on);
// The line poll: 0, or kCarrierLost on the first poll that finds carrier gone.
int PollLine(PortState& port, TerminalModes& modes);
// Applies PortDcb (DCBlength 28) to the open device.
int ApplyPortDcb(PortState& port);

}  // namespace palvex
