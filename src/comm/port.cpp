#include "comm/port.h"

#include <cstring>

namespace palvex {

namespace {

// The size Win32 expects in DCBlength; SetCommState refuses other values.
constexpr uint32_t kDcbLength = 28;

constexpr uint8_t kCarriageReturn = 0x0D;

bool HasDevice(const PortState& port) {
    return port.handle != nullptr && port.handle->IsOpen();
}

}  // namespace

const char* PortDeviceName(int portIndex) {
    static const char* const kNames[] = {"COM1:", "COM2:", "COM3:", "COM4:",
                                         "COM5:", "COM6:", "COM7:", "COM8:"};
    if (portIndex < 0 || portIndex >= 8) return "";
    return kNames[portIndex];
}

int OpenPort(PortState& port, const char* deviceName, uint32_t receiveQueue, uint32_t transmitQueue) {
    if (port.handle == nullptr || deviceName == nullptr) return -1;
    if (!port.handle->Open(deviceName)) return -1;

    PortBackend& device = *port.handle;
    device.SetupQueues(receiveQueue, transmitQueue);
    device.QueryProperties();

    // A scratch DCB: PortDcb may already hold the service's settings, waiting
    // to be applied once the open has succeeded.
    Dcb dcb{};
    device.GetState(dcb);
    dcb.BaudRate = 2400;
    dcb.ByteSize = 8;
    dcb.Parity = kNoParity;
    dcb.StopBits = kOneStopBit;
    dcb.DCBlength = kDcbLength;
    device.SetState(dcb);

    device.SetTimeouts(port.PortTimeouts);
    return 1;
}

void BuildPortDcb(PortState& port, const ServiceEntry& service) {
    Dcb& dcb = port.PortDcb;
    dcb.fDummy2 = 0;
    dcb.wReserved = 0;

    // An index outside the table (a damaged entry) leaves a rate of 0, which a
    // device refuses, so the line keeps the rate it was opened with.
    dcb.BaudRate = BaudRateForIndex(service.BaudIndex);

    dcb.ByteSize = service.DataBitsIndex == 0 ? 8 : 7;
    dcb.Parity = static_cast<uint8_t>(service.Parity);
    dcb.StopBits = static_cast<uint8_t>(service.StopBits);
    port.SavedFraming[0] = dcb.ByteSize;
    port.SavedFraming[1] = dcb.Parity;
    port.SavedFraming[2] = dcb.StopBits;
    port.EightBitData = dcb.ByteSize == 8 ? 1 : 0;

    const int flow = service.FlowControl;
    const bool software = flow == 2 || flow == 3;
    const bool hardware = flow == 1 || flow == 3;
    dcb.fOutX = software ? 1 : 0;
    dcb.fInX = software ? 1 : 0;
    dcb.fOutxCtsFlow = hardware ? 1 : 0;
    dcb.fRtsControl = hardware ? kRtsControlHandshake : kRtsControlDisable;

    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDsrSensitivity = 0;
    dcb.fDtrControl = kDtrControlEnable;
    dcb.fNull = 0;
    dcb.fAbortOnError = 0;

    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = 2048;
    dcb.XoffLim = 4096;
}

int ConnectPort(PortState& port, const ServiceEntry& service, Ui& ui, WindowRef owner) {
    if (port.PortOpen == 1) {
        ui.MessageBeep(kBeepIconHand);
        ui.ShowMessage(owner, kStrHangUpFirst, nullptr, kStyleTaskModal | kStyleInformation);
        return -1;
    }

    BuildPortDcb(port, service);

    if (OpenPort(port, PortDeviceName(service.PortIndex), kPortQueueSize, kPortQueueSize) != 1) {
        ui.MessageBeep(kBeepIconHand);
        ui.ShowMessage(owner, kStrDeviceOpenError, nullptr, kStyleTaskModal | kStyleStop);
        return -1;
    }

    // Dropping DTR once before the real settings resets a modem that was left
    // on line; DTR_CONTROL_ENABLE in the DCB raises it again.
    port.handle->EscapeFunction(kClrDtr);
    port.PortOpen = 1;
    ApplyPortDcb(port);
    return 0;
}

int ApplyPortDcb(PortState& port) {
    port.PortDcb.DCBlength = kDcbLength;
    if (!HasDevice(port)) return 0;
    return port.handle->SetState(port.PortDcb) ? 1 : 0;
}

int ReadPort(PortState& port, uint8_t* buffer, int count) {
    if (!HasDevice(port) || buffer == nullptr || count <= 0) return 0;
    const int n = port.handle->Read(buffer, count);
    return n > 0 ? n : 0;
}

int WritePort(PortState& port, const uint8_t* buffer, int count) {
    if (!HasDevice(port) || buffer == nullptr || count <= 0) return 0;
    const int n = port.handle->Write(buffer, count);
    return n > 0 ? n : 0;
}

int FlushPort(PortState& port) {
    if (!HasDevice(port)) return 0;
    return port.handle->Flush() ? 1 : 0;
}

int QueryPortStatus(PortState& port) {
    if (!HasDevice(port)) return 0;
    // Line errors are cleared and forgotten; only the queue counts and hold
    // flags matter to the callers.
    uint32_t errors = 0;
    ComStat status{};
    if (port.handle->ClearError(errors, status)) port.PortStatus = status;
    return 0;
}

int GetModemLines(PortState& port, uint32_t& status) {
    status = 0;
    if (!HasDevice(port)) return 0;
    return port.handle->GetModemStatus(status) ? 1 : 0;
}

int SetPortEventMask(PortState& port, uint32_t mask) {
    if (!HasDevice(port)) return 0;
    return port.handle->SetMask(mask) ? 1 : 0;
}

int ClosePort(PortState& port) {
    if (!HasDevice(port)) return 0;
    port.handle->Close();
    return 1;
}

int PurgePort(PortState& port, int which) {
    uint32_t flags;
    switch (which) {
        case 0: flags = kPurgeRxAbort | kPurgeRxClear; break;
        case 1: flags = kPurgeTxAbort | kPurgeTxClear; break;
        default: return 0;
    }
    if (!HasDevice(port)) return 0;
    return port.handle->Purge(flags) ? 1 : 0;
}

int SetBinaryFraming(PortState& port, bool on) {
    if (port.EightBitData == 1) return 0;
    Dcb& dcb = port.PortDcb;
    if (on) {
        dcb.ByteSize = 8;
        dcb.Parity = kNoParity;
        dcb.StopBits = kOneStopBit;
    } else {
        dcb.ByteSize = port.SavedFraming[0];
        dcb.Parity = port.SavedFraming[1];
        dcb.StopBits = port.SavedFraming[2];
    }
    ApplyPortDcb(port);
    return 0;
}

int PollLine(PortState& port, TerminalModes& modes) {
    QueryPortStatus(port);

    uint32_t lines = 0;
    // A device without modem lines (a pty, some cables) gives no answer here;
    // that is not a carrier loss.
    if (GetModemLines(port, lines) == 0) return 0;

    if (lines & kMsRlsdOn) {
        port.CarrierSeen = 1;
        // Reset on every poll with carrier, not only on its rising edge: a
        // connection must start with these two modes whatever the last
        // session's emulator left behind.
        modes.autoRepeat = 1;
        modes.keypadApp = 0;
    } else if (port.CarrierSeen == 1) {
        port.CarrierSeen = 0;
        return kCarrierLost;
    }

    if ((lines & kMsRingOn) && port.AutoAnswer == 1) {
        const void* end = std::memchr(port.AnswerCommand, '\0', sizeof port.AnswerCommand);
        const int length = end ? static_cast<int>(static_cast<const char*>(end) - port.AnswerCommand)
                               : static_cast<int>(sizeof port.AnswerCommand);
        WritePort(port, reinterpret_cast<const uint8_t*>(port.AnswerCommand), length);
        const uint8_t cr = kCarriageReturn;
        WritePort(port, &cr, 1);
    }
    return 0;
}

}  // namespace palvex
