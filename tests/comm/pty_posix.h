// The master side of a pseudo-terminal, held by a test that plays the remote
// end; the port layer opens the slave side as its serial line.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace palvex::testing {

// Generous: only a broken backend ever waits this long.
constexpr int kPtyGuardMs = 5000;

class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            const char* name = ptsname(master_);
            if (name) slavePath_ = name;
        }
    }
    ~Pty() {
        if (master_ >= 0) ::close(master_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0 && !slavePath_.empty(); }
    const std::string& slavePath() const { return slavePath_; }

    // Gives up only when the slave side stops reading for the guard time.
    template <class Bytes>
    void Send(const Bytes& bytes) {
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(master_, data + done, bytes.size() - done);
            pollfd p{master_, POLLOUT, 0};
            if (n > 0) done += static_cast<std::size_t>(n);
            else if (::poll(&p, 1, kPtyGuardMs) <= 0) return;
        }
    }
    // Everything the slave side wrote, up to `count` bytes.
    std::vector<uint8_t> Receive(std::size_t count) {
        std::vector<uint8_t> got;
        uint8_t buffer[512];
        while (got.size() < count) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, kPtyGuardMs) <= 0) break;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

}  // namespace palvex::testing
