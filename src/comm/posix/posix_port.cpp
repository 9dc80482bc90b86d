#include "comm/posix/posix_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <utility>

#include "comm/posix/custom_speed.h"

namespace palvex {

namespace {

struct SpeedEntry {
    uint32_t rate;
    speed_t code;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},
    {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},
#ifdef B57600
    {57600, B57600},
#endif
#ifdef B115200
    {115200, B115200},
#endif
#ifdef B230400
    {230400, B230400},
#endif
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B921600
    {921600, B921600},
#endif
};

bool SpeedCode(uint32_t rate, speed_t& code) {
    for (const SpeedEntry& e : kSpeeds) {
        if (e.rate == rate) {
            code = e.code;
            return true;
        }
    }
    return false;
}

uint32_t RateOf(speed_t code) {
    for (const SpeedEntry& e : kSpeeds) {
        if (e.code == code) return e.rate;
    }
    return 0;
}

bool ValidFraming(const Dcb& dcb) {
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8) return false;
    if (dcb.StopBits > kTwoStopBits) return false;
#ifdef CMSPAR
    return dcb.Parity <= 4;  // mark and space through sticky parity
#else
    return dcb.Parity <= kEvenParity;
#endif
}

tcflag_t SizeFlag(uint8_t byteSize) {
    switch (byteSize) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        default: return CS8;
    }
}

// "COM1".."COM8", with or without the colon, in any case: 0..7, else -1.
int ComIndex(const char* name) {
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    if (upper(name[0]) != 'C' || upper(name[1]) != 'O' || upper(name[2]) != 'M') return -1;
    if (name[3] < '1' || name[3] > '8') return -1;
    if (name[4] == ':' ? name[5] != '\0' : name[4] != '\0') return -1;
    return name[3] - '1';
}

}  // namespace

namespace posix {

bool TermiosFromDcb(const Dcb& dcb, termios& tio, uint32_t& customRate) {
    customRate = 0;
    // Like SetCommState, refuse what the line cannot do rather than apply half
    // of it; a rate of 0 would mean "hang up" to termios.
    if (dcb.BaudRate == 0 || !ValidFraming(dcb)) return false;

    termios t = tio;
    // Raw: every byte passes untouched both ways; the terminal does its own
    // line-end and bit-7 handling.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                        IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CMSPAR
    t.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
#ifdef CRTSCTS
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    t.c_cflag |= SizeFlag(dcb.ByteSize) | CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    switch (dcb.Parity) {
        case kOddParity: t.c_cflag |= PARENB | PARODD; break;
        case kEvenParity: t.c_cflag |= PARENB; break;
#ifdef CMSPAR
        case 3: t.c_cflag |= PARENB | PARODD | CMSPAR; break;  // mark
        case 4: t.c_cflag |= PARENB | CMSPAR; break;           // space
#endif
        default: break;
    }
    // termios has no 1.5 stop bits; two is the nearer safe choice.
    if (dcb.StopBits == kOne5StopBits || dcb.StopBits == kTwoStopBits) t.c_cflag |= CSTOPB;

    if (dcb.fOutX) t.c_iflag |= IXON;
    if (dcb.fInX) t.c_iflag |= IXOFF;
    if (dcb.XonChar != 0) t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    if (dcb.XoffChar != 0) t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
#ifdef CRTSCTS
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == kRtsControlHandshake) t.c_cflag |= CRTSCTS;
#endif

    speed_t code = 0;
    if (SpeedCode(dcb.BaudRate, code)) {
        cfsetispeed(&t, code);
        cfsetospeed(&t, code);
    } else {
        customRate = dcb.BaudRate;
    }
    tio = t;
    return true;
}

Dcb DcbFromTermios(const termios& tio) {
    Dcb d{};
    d.DCBlength = 28;
    d.BaudRate = RateOf(cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
        case CS5: d.ByteSize = 5; break;
        case CS6: d.ByteSize = 6; break;
        case CS7: d.ByteSize = 7; break;
        default: d.ByteSize = 8; break;
    }
    if (tio.c_cflag & PARENB) {
        const bool odd = tio.c_cflag & PARODD;
#ifdef CMSPAR
        if (tio.c_cflag & CMSPAR)
            d.Parity = odd ? 3 : 4;
        else
#endif
            d.Parity = odd ? kOddParity : kEvenParity;
    } else {
        d.Parity = kNoParity;
    }
    d.StopBits = (tio.c_cflag & CSTOPB) ? kTwoStopBits : kOneStopBit;
    d.fBinary = 1;
    d.fOutX = (tio.c_iflag & IXON) ? 1 : 0;
    d.fInX = (tio.c_iflag & IXOFF) ? 1 : 0;
#ifdef CRTSCTS
    const bool hardware = tio.c_cflag & CRTSCTS;
#else
    const bool hardware = false;
#endif
    d.fOutxCtsFlow = hardware ? 1 : 0;
    d.fRtsControl = hardware ? kRtsControlHandshake : kRtsControlEnable;
    d.fDtrControl = kDtrControlEnable;
    d.XonChar = static_cast<char>(tio.c_cc[VSTART]);
    d.XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
    d.XonLim = 2048;
    d.XoffLim = 512;
    return d;
}

}  // namespace posix

PosixPort::~PosixPort() { Close(); }

void PosixPort::SetComPath(int portIndex, std::string path) {
    if (portIndex >= 0 && portIndex < static_cast<int>(comPaths_.size()))
        comPaths_[static_cast<std::size_t>(portIndex)] = std::move(path);
}

std::string PosixPort::ResolvePath(const char* deviceName) const {
    if (deviceName == nullptr) return "";
    const int index = ComIndex(deviceName);
    if (index < 0) return deviceName;
    const std::string& set = comPaths_[static_cast<std::size_t>(index)];
    if (!set.empty()) return set;
    const char variable[] = {'P', 'A', 'L', 'V', 'E', 'X', '_', 'C', 'O', 'M',
                             static_cast<char>('1' + index), '\0'};
    const char* fromEnvironment = std::getenv(variable);
    return fromEnvironment ? fromEnvironment : "";
}

bool PosixPort::Open(const char* deviceName) {
    if (fd_ >= 0) return false;
    const std::string path = ResolvePath(deviceName);
    if (path.empty()) return false;

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    // Only a terminal device can carry a serial line; a plain file or a pipe
    // would accept writes and lose them.
    if (!isatty(fd)) {
        ::close(fd);
        return false;
    }
    // The line is not shared, as with CreateFileA. The lock stops another
    // instance of this program even when run by root, whom TIOCEXCL does not
    // stop; TIOCEXCL keeps other programs (getty, a second terminal) off.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return false;
    }
#ifdef TIOCEXCL
    ioctl(fd, TIOCEXCL);
#endif
    fd_ = fd;
    haveState_ = false;
    eventMask_ = 0;
    return true;
}

bool PosixPort::SetupQueues(uint32_t, uint32_t) {
    // The driver's buffers are its own; there is nothing to size.
    return IsOpen();
}

bool PosixPort::QueryProperties() { return IsOpen(); }

bool PosixPort::GetState(Dcb& dcb) {
    if (!IsOpen()) return false;
    if (haveState_) {
        dcb = state_;
        return true;
    }
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return false;
    dcb = posix::DcbFromTermios(tio);
    uint32_t custom = 0;
    if (dcb.BaudRate == 0 && posix::GetCustomSpeed(fd_, custom)) dcb.BaudRate = custom;
    return true;
}

bool PosixPort::SetState(const Dcb& dcb) {
    if (!IsOpen()) return false;
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return false;
    uint32_t customRate = 0;
    if (!posix::TermiosFromDcb(dcb, tio, customRate)) return false;
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
    if (customRate != 0 && !posix::SetCustomSpeed(fd_, customRate)) return false;

    // A pty has no modem lines; failing to set them there is expected.
    if (dcb.fDtrControl == kDtrControlDisable)
        ModemLines(TIOCMBIC, TIOCM_DTR);
    else
        ModemLines(TIOCMBIS, TIOCM_DTR);
    const bool hardware = dcb.fOutxCtsFlow || dcb.fRtsControl == kRtsControlHandshake;
    if (dcb.fRtsControl == kRtsControlDisable && !hardware)
        ModemLines(TIOCMBIC, TIOCM_RTS);
    else if (dcb.fRtsControl != kRtsControlToggle)
        ModemLines(TIOCMBIS, TIOCM_RTS);

    state_ = dcb;
    haveState_ = true;
    return true;
}

bool PosixPort::SetTimeouts(const CommTimeouts& timeouts) {
    // Reads here always return at once with what is queued, which is the one
    // setting the program uses; the values are kept for completeness only.
    if (!IsOpen()) return false;
    timeouts_ = timeouts;
    return true;
}

int PosixPort::Read(uint8_t* buffer, int count) {
    if (!IsOpen() || buffer == nullptr || count <= 0) return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(count));
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && errno == EINTR) continue;
        // Nothing queued (EAGAIN), end of file, or a line that went away (EIO
        // on a pty whose other end closed): the caller polls the line next.
        return 0;
    }
}

int PosixPort::Write(const uint8_t* buffer, int count) {
    if (!IsOpen() || buffer == nullptr || count <= 0) return 0;
    using Clock = std::chrono::steady_clock;
    int done = 0;
    auto lastProgress = Clock::now();
    while (done < count) {
        const ssize_t n = ::write(fd_, buffer + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            lastProgress = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;

        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastProgress).count();
        if (waited >= writeStallLimitMs_) break;
        pollfd p{fd_, POLLOUT, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(writeStallLimitMs_ - waited));
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0 && (p.revents & (POLLERR | POLLNVAL))) break;
    }
    return done;
}

bool PosixPort::ClearError(uint32_t& errors, ComStat& status) {
    if (!IsOpen()) return false;
    // termios reports no pending line errors; bad bytes just arrive as bytes.
    errors = 0;
    status = ComStat{};
    int waiting = 0;
    if (ioctl(fd_, FIONREAD, &waiting) == 0 && waiting > 0) status.cbInQue = static_cast<uint32_t>(waiting);
#ifdef TIOCOUTQ
    int unsent = 0;
    if (ioctl(fd_, TIOCOUTQ, &unsent) == 0 && unsent > 0) status.cbOutQue = static_cast<uint32_t>(unsent);
#endif
    return true;
}

bool PosixPort::GetModemStatus(uint32_t& status) {
    if (!IsOpen()) return false;
    int lines = 0;
    if (ioctl(fd_, TIOCMGET, &lines) != 0) return false;
    status = 0;
    if (lines & TIOCM_CAR) status |= kMsRlsdOn;
    if (lines & TIOCM_RNG) status |= kMsRingOn;
    if (lines & TIOCM_CTS) status |= kMsCtsOn;
    if (lines & TIOCM_DSR) status |= kMsDsrOn;
    return true;
}

bool PosixPort::ModemLines(unsigned long request, int bits) {
    return ioctl(fd_, request, &bits) == 0;
}

bool PosixPort::EscapeFunction(uint32_t function) {
    if (!IsOpen()) return false;
    switch (function) {
        case kClrDtr: return ModemLines(TIOCMBIC, TIOCM_DTR);
        case kSetDtr: return ModemLines(TIOCMBIS, TIOCM_DTR);
        case kClrRts: return ModemLines(TIOCMBIC, TIOCM_RTS);
        case kSetRts: return ModemLines(TIOCMBIS, TIOCM_RTS);
        case kSetXon: return tcflow(fd_, TCOON) == 0;
        case kSetXoff: return tcflow(fd_, TCOOFF) == 0;
        case kSetBreak: return SetBreak();
        case kClrBreak: return ClearBreak();
        default: return false;
    }
}

bool PosixPort::SetBreak() { return IsOpen() && ioctl(fd_, TIOCSBRK) == 0; }

bool PosixPort::ClearBreak() { return IsOpen() && ioctl(fd_, TIOCCBRK) == 0; }

bool PosixPort::Purge(uint32_t flags) {
    if (!IsOpen()) return false;
    // Only the CLEAR flags discard data; the ABORT flags end overlapped
    // operations, and there are none here.
    const bool input = flags & kPurgeRxClear;
    const bool output = flags & kPurgeTxClear;
    if (input && output) return tcflush(fd_, TCIOFLUSH) == 0;
    if (input) return tcflush(fd_, TCIFLUSH) == 0;
    if (output) return tcflush(fd_, TCOFLUSH) == 0;
    return true;
}

bool PosixPort::SetMask(uint32_t mask) {
    // Nothing waits on comm events here; the mask is only remembered.
    if (!IsOpen()) return false;
    eventMask_ = mask;
    return true;
}

void PosixPort::Close() {
    if (fd_ < 0) return;
#ifdef TIOCNXCL
    // Exclusive mode outlives this descriptor while anyone else holds the
    // device (the other end of a test pty), and would lock us out next time.
    ioctl(fd_, TIOCNXCL);
#endif
    ::close(fd_);
    fd_ = -1;
    haveState_ = false;
}

}  // namespace palvex
