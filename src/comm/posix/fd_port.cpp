#include "comm/posix/fd_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace palvex {

namespace {

int BytesWaiting(int fd) {
    int waiting = 0;
    if (ioctl(fd, FIONREAD, &waiting) != 0 || waiting < 0) return 0;
    return waiting;
}

Dcb PlausibleState() {
    Dcb d{};
    d.DCBlength = 28;
    d.BaudRate = 115200;
    d.fBinary = 1;
    d.fDtrControl = kDtrControlEnable;
    d.fRtsControl = kRtsControlEnable;
    d.ByteSize = 8;
    d.Parity = kNoParity;
    d.StopBits = kOneStopBit;
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    d.XonLim = 2048;
    d.XoffLim = 512;
    return d;
}

constexpr std::chrono::milliseconds kHangUpPollInterval{20};
constexpr std::chrono::milliseconds kHangUpSettle{100};

}  // namespace

bool DescriptorHungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, 0);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return false;
    if (p.revents & POLLNVAL) return true;
    if (!(p.revents & (POLLHUP | POLLERR))) return false;
    // A closed pipe still hands out what was written before the close.
    return BytesWaiting(fd) == 0;
}

bool WaitDescriptorReadable(int fd, int milliseconds) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, milliseconds);
    return ready > 0;
}

FdPort::~FdPort() { Close(); }

bool FdPort::Open(const char*) {
    if (open_) return false;
    readFlags_ = fcntl(readFd_, F_GETFL);
    writeFlags_ = fcntl(writeFd_, F_GETFL);
    if (readFlags_ < 0 || writeFlags_ < 0) return false;
    // Non-blocking on both: a read must come back at once with what is
    // there, and a write that would block is waited for here, with a limit,
    // instead of in the kernel for ever.
    fcntl(readFd_, F_SETFL, readFlags_ | O_NONBLOCK);
    if (writeFd_ != readFd_) fcntl(writeFd_, F_SETFL, writeFlags_ | O_NONBLOCK);
    readIsTty_ = isatty(readFd_) == 1;
    writeIsTty_ = isatty(writeFd_) == 1;
    state_ = PlausibleState();
    gone_ = false;
    hangUpSeen_ = false;
    peeked_.clear();
    open_ = true;
    return true;
}

void FdPort::Close() {
    if (!open_) return;
    peeked_.clear();
    fcntl(readFd_, F_SETFL, readFlags_);
    if (writeFd_ != readFd_) fcntl(writeFd_, F_SETFL, writeFlags_);
    open_ = false;
}

bool FdPort::SetupQueues(uint32_t, uint32_t) { return open_; }

bool FdPort::QueryProperties() { return open_; }

bool FdPort::GetState(Dcb& dcb) {
    if (!open_) return false;
    dcb = state_;
    return true;
}

bool FdPort::SetState(const Dcb& dcb) {
    // Remembered so that GetState gives it back; the descriptors' own
    // settings belong to whoever handed them over.
    if (!open_) return false;
    state_ = dcb;
    return true;
}

bool FdPort::SetTimeouts(const CommTimeouts&) { return open_; }

void FdPort::CheckHangUp(bool now) {
    if (gone_) return;
    const auto t = std::chrono::steady_clock::now();
    if (!now && t < nextCheck_) return;
    nextCheck_ = t + kHangUpPollInterval;
    if (!readIsTty_ && peeked_.empty()) Probe();
    if (gone_) return;
    if (!DescriptorHungUp(readFd_)) {
        hangUpSeen_ = false;
        return;
    }
    // A pipe or socket keeps its order: a hang-up with nothing to read is
    // the end. A pty shows the hang-up of its other side at once, but hands
    // over what that side wrote just before closing a moment later.
    if (!readIsTty_) {
        gone_ = true;
    } else if (!hangUpSeen_) {
        hangUpSeen_ = true;
        hangUpSince_ = t;
    } else if (t - hangUpSince_ >= kHangUpSettle) {
        gone_ = true;
    }
}

void FdPort::Probe() {
    // /dev/null, a file at its end or a socket whose peer shut down its side
    // read as ready with nothing counted: only a read tells the end from
    // bytes the count does not show. What it finds is kept for Read.
    pollfd p{readFd_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN) || BytesWaiting(readFd_) > 0) return;
    uint8_t buffer[512];
    ssize_t n;
    do {
        n = ::read(readFd_, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n == 0)
        gone_ = true;
    else if (n > 0)
        peeked_.insert(peeked_.end(), buffer, buffer + n);
}

bool FdPort::LineGone() {
    if (open_) CheckHangUp(true);
    return gone_;
}

int FdPort::Read(uint8_t* buffer, int count) {
    if (!open_ || buffer == nullptr || count <= 0) return 0;
    if (!peeked_.empty()) {
        const int n = std::min(count, static_cast<int>(peeked_.size()));
        std::copy(peeked_.begin(), peeked_.begin() + n, buffer);
        peeked_.erase(peeked_.begin(), peeked_.begin() + n);
        return n;
    }
    for (;;) {
        const ssize_t n = ::read(readFd_, buffer, static_cast<size_t>(count));
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 && !readIsTty_) {
            gone_ = true;  // end of input on a pipe, socket or file
        } else if (n == 0 || errno == EIO) {
            // A raw tty answers an empty read with 0 rather than EAGAIN, and
            // a pty whose other side closed with EIO, bytes possibly still
            // on their way.
            CheckHangUp(true);
        }
        return 0;
    }
}

int FdPort::Write(const uint8_t* buffer, int count) {
    if (!open_ || buffer == nullptr || count <= 0) return 0;
    using Clock = std::chrono::steady_clock;
    int done = 0;
    auto lastProgress = Clock::now();
    while (done < count) {
        const ssize_t n = ::write(writeFd_, buffer + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            lastProgress = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // EPIPE, EIO: nobody will ever read this (SIGPIPE is the
            // caller's to ignore).
            gone_ = true;
            break;
        }
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastProgress).count();
        if (waited >= writeStallLimitMs_) break;
        pollfd p{writeFd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(writeStallLimitMs_ - waited));
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0 && (p.revents & (POLLERR | POLLNVAL | POLLHUP)) && !(p.revents & POLLOUT)) {
            gone_ = true;
            break;
        }
    }
    return done;
}

bool FdPort::ClearError(uint32_t& errors, ComStat& status) {
    if (!open_) return false;
    errors = 0;
    status = ComStat{};
    status.cbInQue = static_cast<uint32_t>(peeked_.size() + static_cast<std::size_t>(BytesWaiting(readFd_)));
#ifdef TIOCOUTQ
    // Only a tty keeps a count of what it has not sent yet; a pipe's
    // contents are already the reader's.
    if (writeIsTty_) {
        int unsent = 0;
        if (ioctl(writeFd_, TIOCOUTQ, &unsent) == 0 && unsent > 0) status.cbOutQue = static_cast<uint32_t>(unsent);
    }
#endif
    return true;
}

bool FdPort::GetModemStatus(uint32_t& status) {
    if (!open_) return false;
    CheckHangUp(false);
    status = kMsCtsOn | kMsDsrOn;
    if (!gone_) status |= kMsRlsdOn;
    return true;
}

bool FdPort::EscapeFunction(uint32_t) { return open_; }

bool FdPort::SetBreak() { return open_; }

bool FdPort::ClearBreak() { return open_; }

bool FdPort::Purge(uint32_t flags) {
    if (!open_) return false;
    if (flags & kPurgeRxClear) {
        peeked_.clear();
        if (readIsTty_) {
            tcflush(readFd_, TCIFLUSH);
        } else {
            // A pipe cannot be flushed; what is in it now is read and dropped.
            uint8_t scrap[4096];
            for (int rounds = 0; rounds < 64 && BytesWaiting(readFd_) > 0; ++rounds) {
                if (::read(readFd_, scrap, sizeof scrap) <= 0) break;
            }
        }
    }
    if ((flags & kPurgeTxClear) && writeIsTty_) tcflush(writeFd_, TCOFLUSH);
    return true;
}

bool FdPort::SetMask(uint32_t) { return open_; }

}  // namespace palvex
