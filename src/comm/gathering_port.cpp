#include "comm/gathering_port.h"

namespace palvex {

bool GatheringPort::Flush() {
    if (pending_.empty()) return true;
    const int n = device_.IsOpen() ? device_.Write(pending_.data(), Pending()) : 0;
    pending_.erase(pending_.begin(), pending_.begin() + (n > 0 ? n : 0));
    return pending_.empty();
}

bool GatheringPort::Open(const char* deviceName) {
    pending_.clear();
    return device_.Open(deviceName);
}

bool GatheringPort::SetupQueues(uint32_t receiveQueue, uint32_t transmitQueue) {
    Flush();
    return device_.SetupQueues(receiveQueue, transmitQueue);
}

bool GatheringPort::SetState(const Dcb& dcb) {
    // Bytes written at the old speed and framing leave with it.
    Flush();
    return device_.SetState(dcb);
}

int GatheringPort::Read(uint8_t* buffer, int count) {
    Flush();
    return device_.Read(buffer, count);
}

int GatheringPort::Write(const uint8_t* buffer, int count) {
    if (!device_.IsOpen() || buffer == nullptr || count <= 0) return 0;
    // Order is kept: what is held goes before anything that does not fit.
    if (Pending() + count > kGatherLimit && !Flush()) return 0;
    if (count > kGatherLimit) return device_.Write(buffer, count);
    lastWrite_ = Now();
    if (pending_.empty()) firstHeld_ = lastWrite_;
    pending_.insert(pending_.end(), buffer, buffer + count);
    if (Pending() >= kGatherLimit) Flush();
    return count;
}

void GatheringPort::Look() {
    if (pending_.empty()) return;
    const Clock::time_point now = Now();
    if (now - lastWrite_ >= kWriterPause || now - firstHeld_ >= kLongestHold) Flush();
}

bool GatheringPort::ClearError(uint32_t& errors, ComStat& status) {
    Look();
    if (!device_.ClearError(errors, status)) return false;
    status.cbOutQue += static_cast<uint32_t>(Pending());
    return true;
}

bool GatheringPort::GetModemStatus(uint32_t& status) {
    Look();
    return device_.GetModemStatus(status);
}

bool GatheringPort::EscapeFunction(uint32_t function) {
    // A dropped DTR or an XOFF comes after the bytes written before it.
    Flush();
    return device_.EscapeFunction(function);
}

bool GatheringPort::SetBreak() {
    Flush();
    return device_.SetBreak();
}

bool GatheringPort::Purge(uint32_t flags) {
    if (flags & (kPurgeTxClear | kPurgeTxAbort)) pending_.clear();
    return device_.Purge(flags);
}

void GatheringPort::Close() {
    Flush();
    pending_.clear();
    device_.Close();
}

}  // namespace palvex
