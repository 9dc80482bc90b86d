// The pump loop and its reads: bursts of single-byte reads, a line poll
// whenever the port runs dry, and the disconnect on carrier loss.
#include "comm/pump.h"

namespace palvex {

namespace {

constexpr uint8_t kCR = 0x0D;
constexpr uint8_t kLF = 0x0A;

// The burst goes to whichever receiver the session is in.
void Dispatch(Session& s, const uint8_t* bytes, int count) {
    if (s.pump.ChatMode)
        ChatReceive(s, bytes, count);
    else if (s.service.DisplayControls)
        InterpretBytesShowingControls(s, bytes, count);
    else
        InterpretBytes(s, bytes, count);
}

}  // namespace

int ReadBurst(Session& s, uint8_t* buffer, int& count) {
    count = 0;
    int result = 0;
    for (;;) {
        uint8_t b;
        if (ReadPort(s.port, &b, 1) < 1) {
            if (PollLine(s.port, s.modes) == kCarrierLost) result = kCarrierLost;
            s.pump.MoreData = 0;
            break;
        }
        buffer[count++] = b;
        if (b == kCR && s.service.InboundCrLf && !s.pump.TransferActive) buffer[count++] = kLF;
        s.pump.LastByte = buffer[count - 1];
        if (count >= kBurstLimit) {
            s.pump.MoreData = 1;
            break;
        }
    }
    return result;
}

int DrainPort(Session& s) {
    int result = 0;
    do {
        int count = 0;
        result = ReadBurst(s, s.pump.ReceiveBuffer, count);
        if (count < 1) break;
        Dispatch(s, s.pump.ReceiveBuffer, count);
    } while (s.pump.MoreData);
    return result;
}

void DropConnection(Session& s) {
    PurgePort(s.port, 0);
    PurgePort(s.port, 1);
    ClosePort(s.port);
    s.port.PortOpen = 0;
    s.port.CarrierSeen = 0;
    s.pump.PumpRunning = 0;
}

int PumpOnce(Session& s) {
    if (!s.port.PortOpen) return 0;
    const int result = DrainPort(s);
    if (result == kCarrierLost) {
        if (s.disconnector)
            s.disconnector->HangUp(s, true);
        else
            DropConnection(s);
    }
    return result;
}

void RunPumpLoop(Session& s) {
    s.pump.PumpRunning = 1;
    while (s.pump.SessionDialog == nullptr && s.port.PortOpen) {
        PumpOnce(s);
        s.loop.TakeMessage(0, true);
    }
    s.pump.PumpRunning = 0;
}

void WaitPumping(Session& s, unsigned ms, bool pump) {
    s.loop.StartTimer(kWaitTimerId, ms);
    for (;;) {
        if (pump) PumpOnce(s);
        if (s.loop.TakeMessage(kWaitTimerId, false) == Taken::WaitTimer) break;
    }
    s.loop.KillTimer(kWaitTimerId);
}

int SendBreak(Session& s) {
    if (!s.port.handle || !s.port.handle->IsOpen()) return 0;
    s.port.handle->SetBreak();
    WaitPumping(s, 150, true);
    // The pump may have dropped the line during the wait.
    if (s.port.handle->IsOpen()) s.port.handle->ClearBreak();
    return 0;
}

int TransmitBytes(Session& s, const uint8_t* bytes, int count) {
    if (!s.port.PortOpen) return 0;
    QueryPortStatus(s.port);
    auto echo = [&s](uint8_t b) {
        if (!s.service.LocalEcho || s.pump.TransferActive) return;
        if (s.service.DisplayControls)
            InterpretBytesShowingControls(s, &b, 1);
        else
            InterpretBytes(s, &b, 1);
    };
    for (int i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        WritePort(s.port, &b, 1);
        echo(b);
        if (b != kCR || !s.service.OutboundCrLf) continue;
        if (s.pump.TransferActive && s.service.Protocol != kProtoAscii) continue;
        WritePort(s.port, &kLF, 1);
        echo(kLF);
    }
    return count;
}

}  // namespace palvex
