// A port over a block of memory: what a "remote" sent, read without copying,
// and what was written back. The command-line tools replay captured sessions
// through it; it has no modem lines, like a pty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "comm/port_backend.h"

namespace palvex {

class MemoryPort : public PortBackend {
public:
    MemoryPort(const uint8_t* input, std::size_t size) : input_(input), size_(size) {}

    std::vector<uint8_t> written;
    std::size_t Remaining() const { return size_ - pos_; }

    bool Open(const char*) override { return open_ = true; }
    bool IsOpen() const override { return open_; }
    bool SetupQueues(uint32_t, uint32_t) override { return true; }
    bool QueryProperties() override { return true; }
    bool GetState(Dcb& dcb) override {
        dcb = state_;
        return true;
    }
    bool SetState(const Dcb& dcb) override {
        state_ = dcb;
        return true;
    }
    bool SetTimeouts(const CommTimeouts&) override { return true; }
    int Read(uint8_t* buffer, int count) override {
        int n = 0;
        while (n < count && pos_ < size_) buffer[n++] = input_[pos_++];
        return n;
    }
    int Write(const uint8_t* buffer, int count) override {
        written.insert(written.end(), buffer, buffer + count);
        return count;
    }
    bool ClearError(uint32_t& errors, ComStat& status) override {
        errors = 0;
        status = ComStat{0, static_cast<uint32_t>(Remaining()), 0};
        return true;
    }
    bool GetModemStatus(uint32_t&) override { return false; }
    bool EscapeFunction(uint32_t) override { return false; }
    bool SetBreak() override { return true; }
    bool ClearBreak() override { return true; }
    bool Purge(uint32_t) override { return true; }
    bool SetMask(uint32_t) override { return true; }
    void Close() override { open_ = false; }

private:
    const uint8_t* input_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool open_ = false;
    Dcb state_{};
};

}  // namespace palvex
