#include "transfer/zmodem_link.h"

#include "transfer/framework.h"

namespace palvex {

namespace {

// Bytes already handed to the driver beyond which we stop adding more: a
// deeper queue only delays the receiver's XOFF and our reaction to Cancel.
constexpr uint32_t kTransmitQueueLimit = 256;

enum class Room { Ready, Wait, Failed };

// One look at the line. PollLine queries the port status first, so the hold
// flags and the queue count in PortStatus are fresh when it returns.
Room CheckLine(Transfer& t, int& failure) {
    if (!PortIsOpen(t.port) || PollLine(t.port, t.modes) == kCarrierLost) {
        failure = kXfrLostConnection;
        return Room::Failed;
    }
    if (t.state.ZmodemTimeoutFlag) {
        failure = kXfrTimeout;
        return Room::Failed;
    }
    if (t.state.TransferCancelled) {
        failure = kXfrUserCancelled;
        return Room::Failed;
    }
    const ComStat& status = t.port.PortStatus;
    if (status.CtsHold() || status.XoffHold() || status.cbOutQue >= kTransmitQueueLimit) return Room::Wait;
    return Room::Ready;
}

}  // namespace

int ZWriteByte(Transfer& t, uint8_t byte) {
    TransferState& s = t.state;
    s.ZmodemTimeoutFlag = 0;

    // The common case is a line with room: one message, one look, one write.
    // The 30-second guard is only armed once the line makes us wait, which
    // spares a timer start and stop on every byte of a block.
    t.host.PumpMessage();
    int failure = 0;
    Room room = CheckLine(t, failure);
    if (room == Room::Failed) return failure;
    if (room == Room::Ready && WritePort(t.port, &byte, 1) == 1) return 1;

    t.host.StartTimer(kTimerZmodemIo, kZmodemWriteMs);
    for (;;) {
        const bool pumped = t.host.PumpMessage();
        room = CheckLine(t, failure);
        if (room == Room::Failed) {
            // A fired timer 23 was killed by its handler already.
            if (failure != kXfrTimeout) t.host.KillTimer(kTimerZmodemIo);
            return failure;
        }
        // A driver that takes nothing (a full pty) is waited out like a
        // held line.
        if (room == Room::Ready && WritePort(t.port, &byte, 1) == 1) {
            t.host.KillTimer(kTimerZmodemIo);
            return 1;
        }
        if (!pumped) t.host.Idle();
    }
}

}  // namespace palvex
