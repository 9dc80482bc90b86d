#include "comm/fake_port.h"

#include <algorithm>

namespace palvex {

FakePort::FakePort() {
    deviceState.DCBlength = 28;
    deviceState.BaudRate = 9600;
    deviceState.fBinary = 1;
    deviceState.fDtrControl = kDtrControlEnable;
    deviceState.fRtsControl = kRtsControlEnable;
    deviceState.XonLim = 2048;
    deviceState.XoffLim = 512;
    deviceState.ByteSize = 8;
    deviceState.Parity = kNoParity;
    deviceState.StopBits = kOneStopBit;
    deviceState.XonChar = 0x11;
    deviceState.XoffChar = 0x13;
}

void FakePort::QueueInput(std::string_view bytes) {
    input.insert(input.end(), bytes.begin(), bytes.end());
}

void FakePort::QueueInput(const uint8_t* bytes, std::size_t count) {
    if (bytes != nullptr) input.insert(input.end(), bytes, bytes + count);
}

void FakePort::QueueInput(std::initializer_list<uint8_t> bytes) {
    input.insert(input.end(), bytes.begin(), bytes.end());
}

void FakePort::SetCarrier(bool on) {
    modemStatus = on ? (modemStatus | kMsRlsdOn) : (modemStatus & ~kMsRlsdOn);
}

void FakePort::SetRing(bool on) {
    modemStatus = on ? (modemStatus | kMsRingOn) : (modemStatus & ~kMsRingOn);
}

bool FakePort::Open(const char* name) {
    calls.emplace_back("Open");
    const std::string requested = name ? name : "";
    openAttempts.push_back(requested);
    // Like CreateFileA without sharing: a device already open is in use.
    if (open_ || openFails || requested.empty()) return false;
    if (std::find(missingDevices.begin(), missingDevices.end(), requested) != missingDevices.end())
        return false;
    open_ = true;
    ++openCount;
    deviceName = requested;
    return true;
}

bool FakePort::SetupQueues(uint32_t receive, uint32_t transmit) {
    calls.emplace_back("SetupQueues");
    if (!open_) return false;
    receiveQueue = receive;
    transmitQueue = transmit;
    return true;
}

bool FakePort::QueryProperties() {
    calls.emplace_back("QueryProperties");
    return open_;
}

bool FakePort::GetState(Dcb& dcb) {
    calls.emplace_back("GetState");
    if (!open_) return false;
    dcb = deviceState;
    return true;
}

bool FakePort::SetState(const Dcb& dcb) {
    calls.emplace_back("SetState");
    if (!open_) return false;
    states.push_back(dcb);
    if (setStateFails) return false;
    deviceState = dcb;
    if (dcb.fDtrControl == kDtrControlEnable) dtr = true;
    if (dcb.fDtrControl == kDtrControlDisable) dtr = false;
    if (dcb.fRtsControl == kRtsControlEnable) rts = true;
    if (dcb.fRtsControl == kRtsControlDisable) rts = false;
    return true;
}

bool FakePort::SetTimeouts(const CommTimeouts& t) {
    calls.emplace_back("SetTimeouts");
    if (!open_) return false;
    timeouts = t;
    return true;
}

int FakePort::Read(uint8_t* buffer, int count) {
    calls.emplace_back("Read");
    if (!open_ || buffer == nullptr || count <= 0) return 0;
    if (input.empty() && onEmptyRead) onEmptyRead(*this);
    const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(count), input.size()));
    std::copy_n(input.begin(), n, buffer);
    input.erase(input.begin(), input.begin() + n);
    return n;
}

int FakePort::Write(const uint8_t* buffer, int count) {
    calls.emplace_back("Write");
    if (!open_ || buffer == nullptr || count <= 0) return 0;
    written.insert(written.end(), buffer, buffer + count);
    if (onWrite) onWrite(*this, buffer, count);
    return count;
}

bool FakePort::ClearError(uint32_t& errors, ComStat& status) {
    calls.emplace_back("ClearError");
    if (!open_) return false;
    errors = lineErrors;
    lineErrors = 0;
    status.flags = holdFlags;
    status.cbInQue = inQueue ? *inQueue : static_cast<uint32_t>(input.size());
    status.cbOutQue = outQueue;
    return true;
}

bool FakePort::GetModemStatus(uint32_t& status) {
    calls.emplace_back("GetModemStatus");
    if (!open_ || modemStatusFails) return false;
    status = modemStatus;
    return true;
}

bool FakePort::EscapeFunction(uint32_t function) {
    calls.emplace_back("EscapeFunction");
    if (!open_) return false;
    escapes.push_back(function);
    switch (function) {
        case kSetDtr: dtr = true; break;
        case kClrDtr: dtr = false; break;
        case kSetRts: rts = true; break;
        case kClrRts: rts = false; break;
        case kSetBreak: breakOn = true; break;
        case kClrBreak: breakOn = false; break;
        case kSetXon:
        case kSetXoff: break;
        default: return false;
    }
    return true;
}

bool FakePort::SetBreak() {
    calls.emplace_back("SetBreak");
    if (!open_) return false;
    breakOn = true;
    ++breakCount;
    return true;
}

bool FakePort::ClearBreak() {
    calls.emplace_back("ClearBreak");
    if (!open_) return false;
    breakOn = false;
    return true;
}

bool FakePort::Purge(uint32_t flags) {
    calls.emplace_back("Purge");
    if (!open_) return false;
    purges.push_back(flags);
    // As a driver does: received bytes not yet read are gone, and so are the
    // bytes still waiting to go out.
    if (flags & kPurgeRxClear) input.clear();
    if (flags & kPurgeTxClear) outQueue = 0;
    return true;
}

bool FakePort::SetMask(uint32_t mask) {
    calls.emplace_back("SetMask");
    if (!open_) return false;
    eventMask = mask;
    return true;
}

void FakePort::Close() {
    calls.emplace_back("Close");
    if (!open_) return;
    open_ = false;
    ++closeCount;
}

}  // namespace palvex
