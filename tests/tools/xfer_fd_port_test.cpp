// The descriptor line under palvex-xfer where the interop run over ptys cannot
// reach: the far end closing on every kind of descriptor, input that ends by
// itself, a stalled write, and small writes gathered in front of the line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "comm/gathering_port.h"
#include "comm/port.h"
#include "comm/posix/fd_port.h"
#include "line_port.h"

namespace palvex {
namespace {

void ClosePair(int& a, int& b) {
    if (a >= 0) ::close(a);
    if (b >= 0 && b != a) ::close(b);
    a = b = -1;
}

struct Line {
    int portRead = -1, portWrite = -1;
    int peerRead = -1, peerWrite = -1;
    std::string kind;
    void ClosePeer() { ClosePair(peerRead, peerWrite); }
    void CloseAll() { ClosePeer(), ClosePair(portRead, portWrite); }
};

Line Pipes() {
    int toPort[2], fromPort[2];
    if (pipe(toPort) != 0 || pipe(fromPort) != 0) return {};
    return Line{toPort[0], fromPort[1], fromPort[0], toPort[1], "pipes"};
}

Line Sockets() {
    int sv[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0) return {};
    return Line{sv[0], sv[0], sv[1], sv[1], "socketpair"};
}

// `portOnMaster`: palvex-xfer on the master with lrzsz on the slave, or the
// other way round.
Line Pty(bool portOnMaster) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return {};
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    if (portOnMaster) return Line{master, master, slave, slave, "pty master"};
    return Line{slave, slave, master, master, "pty slave"};
}

const std::function<Line()> kLines[] = {Pipes, Sockets, [] { return Pty(true); }, [] { return Pty(false); }};

constexpr int kGuardMs = 5000;

void PeerSend(const Line& line, const std::string& bytes) {
    ASSERT_EQ(::write(line.peerWrite, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

std::string PeerReceive(const Line& line, std::size_t count) {
    std::string got;
    char buffer[4096];
    while (got.size() < count) {
        pollfd p{line.peerRead, POLLIN, 0};
        if (::poll(&p, 1, kGuardMs) <= 0) break;
        const ssize_t n = ::read(line.peerRead, buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

std::string PortReceive(PortState& port, int fd, std::size_t count) {
    std::string got;
    uint8_t buffer[1024];
    while (got.size() < count) {
        const int n = ReadPort(port, buffer, sizeof buffer);
        if (n > 0) got.append(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(n));
        else if (!WaitDescriptorReadable(fd, kGuardMs) || DescriptorHungUp(fd)) break;
    }
    return got;
}

struct Opened {
    FdPort device;
    PortState port;
    TerminalModes modes;
    Opened(int readFd, int writeFd) : device(readFd, writeFd) {
        port.handle = &device;
        port.CarrierSeen = 1;
    }
    ~Opened() { ClosePort(port); }
    bool Open() { return OpenPort(port, "stdio", kPortQueueSize, kPortQueueSize) == 1; }
};

struct FdPortTest : ::testing::Test {
    void SetUp() override { signal(SIGPIPE, SIG_IGN); }
};

// The close also gives the descriptors their blocking mode back: they are the
// shell's standard input and output.
TEST_F(FdPortTest, TheFarEndClosingIsACarrierLossOnlyOnceItsBytesAreRead) {
    for (const auto& make : kLines) {
        Line line = make();
        ASSERT_GE(line.portRead, 0) << line.kind;
        const int flags = fcntl(line.portRead, F_GETFL);
        {
            Opened o(line.portRead, line.portWrite);
            ASSERT_TRUE(o.Open()) << line.kind;
            uint32_t lines = 0;
            ASSERT_EQ(GetModemLines(o.port, lines), 1);
            EXPECT_TRUE(lines & kMsRlsdOn) << line.kind;

            PeerSend(line, "last");
            WaitDescriptorReadable(line.portRead, kGuardMs);
            line.ClosePeer();
            // A pty slave loses what waited when the master hangs up; every
            // other kind hands it over first.
            if (line.kind != "pty slave") {
                EXPECT_EQ(PollLine(o.port, o.modes), 0) << line.kind;
                EXPECT_EQ(PortReceive(o.port, line.portRead, 4), "last") << line.kind;
            }
            // A pty shows its hang-up before the last bytes; it is believed
            // once it has lasted a moment with nothing more to read.
            uint8_t scrap[8];
            for (int waited = 0; waited < kGuardMs && !o.device.LineGone(); waited += 5) {
                ReadPort(o.port, scrap, sizeof scrap);
                usleep(5000);
            }
            EXPECT_TRUE(o.device.LineGone()) << line.kind;
            EXPECT_EQ(PollLine(o.port, o.modes), kCarrierLost) << line.kind;
            EXPECT_EQ(PollLine(o.port, o.modes), 0) << line.kind << ": reported once, as a carrier drop is";
        }
        EXPECT_EQ(fcntl(line.portRead, F_GETFL), flags) << line.kind;
        line.CloseAll();
    }
}

// Input that is not a line at all (an empty device, a file) ends by itself;
// what it holds is read first, and nothing waits for ever.
TEST_F(FdPortTest, InputThatEndsByItselfIsALostLineOnceRead) {
    char tmpl[] = "/tmp/xfer-fd-XXXXXX";
    const int file = mkstemp(tmpl);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::write(file, "abc", 3), 3);
    ASSERT_EQ(lseek(file, 0, SEEK_SET), 0);
    unlink(tmpl);
    const struct { const char* kind; int fd; std::string holds; } rows[] = {
        {"/dev/null", ::open("/dev/null", O_RDWR), ""},
        {"a file", file, "abc"},
    };
    for (const auto& row : rows) {
        ASSERT_GE(row.fd, 0) << row.kind;
        {
            Opened o(row.fd, row.fd);
            ASSERT_TRUE(o.Open()) << row.kind;
            EXPECT_EQ(o.device.LineGone(), row.holds.empty()) << row.kind;
            uint8_t buffer[16];
            const int n = ReadPort(o.port, buffer, sizeof buffer);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(n)), row.holds) << row.kind;
            ReadPort(o.port, buffer, sizeof buffer);
            EXPECT_TRUE(o.device.LineGone()) << row.kind;
            EXPECT_EQ(PollLine(o.port, o.modes), kCarrierLost) << row.kind;
        }
        ::close(row.fd);
    }
}

TEST_F(FdPortTest, AStalledWriteGivesUpAfterItsLimitWithThePartCount) {
    Line line = Pipes();
    {
        Opened o(line.portRead, line.portWrite);
        ASSERT_TRUE(o.Open());
        o.device.SetWriteStallLimit(20);
        // The peer holds its end open and never reads: the pipe fills.
        const std::vector<uint8_t> out(1 << 20, 'w');
        const int n = WritePort(o.port, out.data(), static_cast<int>(out.size()));
        EXPECT_GT(n, 0);
        EXPECT_LT(n, 1 << 20);
        EXPECT_FALSE(o.device.LineGone());
    }
    line.CloseAll();
}

// Bytes written one at a time wait, count as queued, and leave in order when
// enough are together or before the next read (a byte per write left gaps
// that made rb give blocks up), on both of palvex-xfer's lines.
TEST_F(FdPortTest, SmallWritesAreGatheredAndLeaveBeforeAnyRead) {
    Line pty = Pty(false);
    const std::string path = ttyname(pty.portRead);
    ::close(pty.portRead);
    Line pipes = Pipes();
    xfer::LinePort linePort;
    GatheringPort gathered(linePort);
    FdPort fdPort(pipes.portRead, pipes.portWrite);
    GatheringPort gatheredFd(fdPort);
    const struct { const char* kind; PortBackend* device; const Line& peer; const char* name; } rows[] = {
        {"descriptors", &gatheredFd, pipes, "stdio"},
        {"device", &gathered, pty, path.c_str()},
    };
    std::string bytes(300, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (const auto& row : rows) {
        PortState port;
        port.handle = row.device;
        ASSERT_EQ(OpenPort(port, row.name, kPortQueueSize, kPortQueueSize), 1) << row.kind;
        for (int i = 0; i < 10; ++i) ASSERT_EQ(WritePort(port, data + i, 1), 1);
        QueryPortStatus(port);
        EXPECT_EQ(port.PortStatus.cbOutQue, 10u) << row.kind;
        pollfd p{row.peer.peerRead, POLLIN, 0};
        EXPECT_EQ(::poll(&p, 1, 0), 0) << row.kind << ": sent before it was due";

        uint8_t scrap[4];
        ReadPort(port, scrap, sizeof scrap);
        EXPECT_EQ(PeerReceive(row.peer, 10), bytes.substr(0, 10)) << row.kind;

        // 240 together go without a read; the rest on the next read.
        for (std::size_t i = 10; i < bytes.size(); ++i) ASSERT_EQ(WritePort(port, data + i, 1), 1);
        std::string got = PeerReceive(row.peer, 240);
        ReadPort(port, scrap, sizeof scrap);
        got += PeerReceive(row.peer, 290 - got.size());
        EXPECT_EQ(got, bytes.substr(10)) << row.kind;
        ClosePort(port);
    }
    pipes.CloseAll();
    pty.portRead = pty.portWrite = -1;
    pty.CloseAll();
}

TEST_F(FdPortTest, ADeviceWithoutModemLinesLosesItsCarrierWhenThePeerCloses) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const std::string path = ttyname(slave);
    ::close(slave);
    xfer::LinePort device;
    PortState port;
    TerminalModes modes;
    port.handle = &device;
    ASSERT_EQ(OpenPort(port, path.c_str(), kPortQueueSize, kPortQueueSize), 1);
    EXPECT_EQ(PollLine(port, modes), 0);
    EXPECT_EQ(port.CarrierSeen, 1);
    EXPECT_FALSE(device.LineGone());
    ::close(master);
    EXPECT_TRUE(device.LineGone());
    EXPECT_EQ(PollLine(port, modes), kCarrierLost);
    ClosePort(port);
}

}  // namespace
}  // namespace palvex
