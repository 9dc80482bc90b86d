// The descriptor line under palvex-xfer: pipes, sockets and ptys as the far
// end, the port layer on top as the transfers use it.
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

#include "comm/port.h"
#include "comm/gathering_port.h"
#include "comm/posix/fd_port.h"
#include "line_port.h"

namespace palvex {
namespace {

// The far end of a line: the descriptors the test plays the peer on, and the
// descriptors the port is given.
struct Line {
    int portRead = -1, portWrite = -1;
    int peerRead = -1, peerWrite = -1;
    std::string kind;

    void ClosePeer() {
        if (peerRead >= 0) ::close(peerRead);
        if (peerWrite >= 0 && peerWrite != peerRead) ::close(peerWrite);
        peerRead = peerWrite = -1;
    }
    void CloseAll() {
        ClosePeer();
        if (portRead >= 0) ::close(portRead);
        if (portWrite >= 0 && portWrite != portRead) ::close(portWrite);
        portRead = portWrite = -1;
    }
};

void MakeRaw(int fd) {
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
}

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

// The port on the pty master, the peer on the slave (palvex-xfer with its
// standard input and output on the master, lrzsz on the slave).
Line PtyMaster() {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return {};
    MakeRaw(slave);
    return Line{master, master, slave, slave, "pty master"};
}

// The port on the slave, the peer on the master.
Line PtySlave() {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return {};
    MakeRaw(slave);
    return Line{slave, slave, master, master, "pty slave"};
}

const std::function<Line()> kLines[] = {Pipes, Sockets, PtyMaster, PtySlave};

constexpr int kGuardMs = 5000;

void PeerSend(const Line& line, const std::vector<uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(line.peerWrite, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        pollfd p{line.peerWrite, POLLOUT, 0};
        if (::poll(&p, 1, kGuardMs) <= 0) return;
    }
}

std::vector<uint8_t> PeerReceive(const Line& line, std::size_t count) {
    std::vector<uint8_t> got;
    uint8_t buffer[4096];
    while (got.size() < count) {
        pollfd p{line.peerRead, POLLIN, 0};
        if (::poll(&p, 1, kGuardMs) <= 0) break;
        const ssize_t n = ::read(line.peerRead, buffer, sizeof buffer);
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

// Reads through the port until `count` bytes came or the guard ran out.
std::vector<uint8_t> PortReceive(PortState& port, int fd, std::size_t count) {
    std::vector<uint8_t> got;
    uint8_t buffer[1024];
    while (got.size() < count) {
        const int n = ReadPort(port, buffer, sizeof buffer);
        if (n > 0) {
            got.insert(got.end(), buffer, buffer + n);
            continue;
        }
        if (!WaitDescriptorReadable(fd, kGuardMs) || DescriptorHungUp(fd)) break;
    }
    return got;
}

std::vector<uint8_t> AllBytes(std::size_t count) {
    std::vector<uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

struct Opened {
    Line line;
    FdPort device;
    PortState port;
    TerminalModes modes;
    explicit Opened(Line l) : line(l), device(l.portRead, l.portWrite) {
        port.handle = &device;
        port.CarrierSeen = 1;
    }
    ~Opened() {
        ClosePort(port);
        line.CloseAll();
    }
    bool Open() { return OpenPort(port, "stdio", kPortQueueSize, kPortQueueSize) == 1; }
};

struct FdPortTest : ::testing::Test {
    void SetUp() override { signal(SIGPIPE, SIG_IGN); }
};

TEST_F(FdPortTest, EveryByteValuePassesBothWaysAndReadsNeverWait) {
    for (const auto& make : kLines) {
        Opened o(make());
        ASSERT_GE(o.line.portRead, 0);
        ASSERT_TRUE(o.Open()) << o.line.kind;
        uint8_t scrap[16];
        // Nothing there: back at once with nothing.
        EXPECT_EQ(ReadPort(o.port, scrap, sizeof scrap), 0) << o.line.kind;

        const std::vector<uint8_t> in = AllBytes(3000);
        PeerSend(o.line, in);
        EXPECT_EQ(PortReceive(o.port, o.line.portRead, in.size()), in) << o.line.kind;

        const std::vector<uint8_t> out = AllBytes(5000);
        EXPECT_EQ(WritePort(o.port, out.data(), static_cast<int>(out.size())), 5000) << o.line.kind;
        EXPECT_EQ(PeerReceive(o.line, out.size()), out) << o.line.kind;
        EXPECT_FALSE(o.device.LineGone()) << o.line.kind;
    }
}

TEST_F(FdPortTest, TheStatusCountsWaitingBytesAndUnsentOnesOnlyOnATty) {
    for (const auto& make : kLines) {
        Opened o(make());
        ASSERT_TRUE(o.Open()) << o.line.kind;
        PeerSend(o.line, AllBytes(37));
        // A pty hands bytes over asynchronously; wait until they are there.
        WaitDescriptorReadable(o.line.portRead, kGuardMs);
        for (int i = 0; i < 100; ++i) {
            QueryPortStatus(o.port);
            if (o.port.PortStatus.cbInQue == 37) break;
            usleep(1000);
        }
        EXPECT_EQ(o.port.PortStatus.cbInQue, 37u) << o.line.kind;
        // Nothing was written, so nothing is held back on any kind of line.
        EXPECT_EQ(o.port.PortStatus.cbOutQue, 0u) << o.line.kind;
        EXPECT_EQ(o.port.PortStatus.flags, 0u) << o.line.kind;
    }
}

TEST_F(FdPortTest, TheFarEndClosingIsACarrierLossOnlyOnceItsBytesAreRead) {
    for (const auto& make : kLines) {
        Opened o(make());
        ASSERT_TRUE(o.Open()) << o.line.kind;
        EXPECT_EQ(PollLine(o.port, o.modes), 0) << o.line.kind;
        uint32_t lines = 0;
        ASSERT_EQ(GetModemLines(o.port, lines), 1);
        EXPECT_TRUE(lines & kMsRlsdOn) << o.line.kind;

        PeerSend(o.line, {'l', 'a', 's', 't'});
        WaitDescriptorReadable(o.line.portRead, kGuardMs);
        o.line.ClosePeer();
        // A pty slave loses what waited when the master hangs up; every
        // other kind hands it over first.
        if (o.line.kind != "pty slave") {
            EXPECT_EQ(PollLine(o.port, o.modes), 0) << o.line.kind;
            EXPECT_EQ(PortReceive(o.port, o.line.portRead, 4), (std::vector<uint8_t>{'l', 'a', 's', 't'}))
                << o.line.kind;
        }
        // A pty shows its hang-up before the last bytes; it is believed
        // once it has lasted a moment with nothing more to read.
        uint8_t scrap[8];
        for (int waited = 0; waited < kGuardMs && !o.device.LineGone(); waited += 5) {
            ReadPort(o.port, scrap, sizeof scrap);
            usleep(5000);
        }
        EXPECT_TRUE(o.device.LineGone()) << o.line.kind;
        EXPECT_EQ(PollLine(o.port, o.modes), kCarrierLost) << o.line.kind;
        // Reported once, as a modem's carrier drop is.
        EXPECT_EQ(PollLine(o.port, o.modes), 0) << o.line.kind;
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
    const struct {
        const char* kind;
        int fd;
        std::string holds;
    } rows[] = {
        {"/dev/null", ::open("/dev/null", O_RDWR), ""},
        {"a file", file, "abc"},
    };
    for (const auto& row : rows) {
        ASSERT_GE(row.fd, 0) << row.kind;
        FdPort device(row.fd, row.fd);
        PortState port;
        TerminalModes modes;
        port.handle = &device;
        port.CarrierSeen = 1;
        ASSERT_EQ(OpenPort(port, "stdio", kPortQueueSize, kPortQueueSize), 1) << row.kind;
        EXPECT_EQ(device.LineGone(), row.holds.empty()) << row.kind;
        QueryPortStatus(port);
        EXPECT_EQ(port.PortStatus.cbInQue, row.holds.size()) << row.kind;
        uint8_t buffer[16];
        const int n = ReadPort(port, buffer, sizeof buffer);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(n)), row.holds) << row.kind;
        ReadPort(port, buffer, sizeof buffer);
        EXPECT_TRUE(device.LineGone()) << row.kind;
        EXPECT_EQ(PollLine(port, modes), kCarrierLost) << row.kind;
        ClosePort(port);
        ::close(row.fd);
    }
}

TEST_F(FdPortTest, AWriteNobodyReadsEndsWithoutASignal) {
    for (const auto& make : kLines) {
        Opened o(make());
        ASSERT_TRUE(o.Open()) << o.line.kind;
        o.line.ClosePeer();
        const std::vector<uint8_t> out = AllBytes(200000);
        const int n = WritePort(o.port, out.data(), static_cast<int>(out.size()));
        EXPECT_LT(n, 200000) << o.line.kind;
        EXPECT_TRUE(o.device.LineGone()) << o.line.kind;
    }
}

TEST_F(FdPortTest, AStalledWriteGivesUpAfterItsLimitWithThePartCount) {
    Opened o(Pipes());
    ASSERT_TRUE(o.Open());
    o.device.SetWriteStallLimit(20);
    // The peer holds its end open and never reads: the pipe fills.
    const std::vector<uint8_t> out = AllBytes(1 << 20);
    const int n = WritePort(o.port, out.data(), static_cast<int>(out.size()));
    EXPECT_GT(n, 0);
    EXPECT_LT(n, 1 << 20);
    EXPECT_FALSE(o.device.LineGone());
}

TEST_F(FdPortTest, PurgingReceiveDropsWhatWaitsAndCloseGivesBackTheFlags) {
    for (const auto& make : kLines) {
        Line line = make();
        const int readFlags = fcntl(line.portRead, F_GETFL);
        const int writeFlags = fcntl(line.portWrite, F_GETFL);
        {
            Opened o(line);
            ASSERT_TRUE(o.Open()) << line.kind;
            EXPECT_TRUE(fcntl(line.portRead, F_GETFL) & O_NONBLOCK) << line.kind;
            EXPECT_FALSE(o.device.Open("again")) << "opened twice: " << line.kind;
            PeerSend(o.line, AllBytes(100));
            WaitDescriptorReadable(line.portRead, kGuardMs);
            PurgePort(o.port, 0);
            uint8_t scrap[128];
            EXPECT_EQ(ReadPort(o.port, scrap, sizeof scrap), 0) << line.kind;
            ClosePort(o.port);
            EXPECT_FALSE(o.device.IsOpen());
            EXPECT_EQ(fcntl(line.portRead, F_GETFL), readFlags) << line.kind;
            EXPECT_EQ(fcntl(line.portWrite, F_GETFL), writeFlags) << line.kind;
            o.line.portRead = o.line.portWrite = -1;  // closed below
        }
        line.CloseAll();
    }
}

TEST_F(FdPortTest, StateCallsAreAcceptedAndChangeNothingOnTheLine) {
    Opened o(PtyMaster());
    ASSERT_TRUE(o.Open());
    termios before{};
    tcgetattr(o.line.peerRead, &before);
    ServiceEntry service = DefaultServiceEntry();
    service.DataBitsIndex = 1;  // 7 data bits, even parity: not what the tty has
    service.Parity = 2;
    BuildPortDcb(o.port, service);
    EXPECT_EQ(ApplyPortDcb(o.port), 1);
    Dcb read{};
    EXPECT_TRUE(o.device.GetState(read));
    EXPECT_EQ(read.ByteSize, 7);
    EXPECT_EQ(SetBinaryFraming(o.port, true), 0);
    EXPECT_TRUE(o.device.EscapeFunction(kClrDtr));
    EXPECT_TRUE(o.device.SetBreak());
    EXPECT_TRUE(o.device.ClearBreak());
    termios after{};
    tcgetattr(o.line.peerRead, &after);
    EXPECT_EQ(before.c_cflag, after.c_cflag);
    EXPECT_EQ(before.c_iflag, after.c_iflag);
}

// Bytes written one at a time wait, count as queued, and leave in order
// when enough are together or before the next read.
TEST_F(FdPortTest, SmallWritesAreGatheredAndLeaveBeforeAnyRead) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    MakeRaw(slave);
    const std::string path = ttyname(slave);
    Line pipes = Pipes();
    xfer::LinePort linePort;
    GatheringPort gathered(linePort);
    FdPort fdPort(pipes.portRead, pipes.portWrite);
    const struct {
        const char* kind;
        PortBackend* device;
        Line peer;
        const char* name;
    } rows[] = {
        {"descriptors", &fdPort, pipes, "stdio"},
        {"device", &gathered, Line{-1, -1, master, master, "pty"}, path.c_str()},
    };
    for (const auto& row : rows) {
        PortState port;
        port.handle = row.device;
        ASSERT_EQ(OpenPort(port, row.name, kPortQueueSize, kPortQueueSize), 1) << row.kind;
        const std::vector<uint8_t> bytes = AllBytes(300);
        for (int i = 0; i < 10; ++i) ASSERT_EQ(WritePort(port, &bytes[static_cast<std::size_t>(i)], 1), 1);
        QueryPortStatus(port);
        EXPECT_EQ(port.PortStatus.cbOutQue, 10u) << row.kind;
        pollfd p{row.peer.peerRead, POLLIN, 0};
        EXPECT_EQ(::poll(&p, 1, 0), 0) << row.kind << ": sent before it was due";

        uint8_t scrap[4];
        ReadPort(port, scrap, sizeof scrap);
        EXPECT_EQ(PeerReceive(row.peer, 10), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 10)) << row.kind;

        // 240 together go without a read; the rest on the next read.
        for (std::size_t i = 10; i < bytes.size(); ++i) ASSERT_EQ(WritePort(port, &bytes[i], 1), 1);
        std::vector<uint8_t> got = PeerReceive(row.peer, 240);
        ReadPort(port, scrap, sizeof scrap);
        const std::vector<uint8_t> rest = PeerReceive(row.peer, 290 - got.size());
        got.insert(got.end(), rest.begin(), rest.end());
        EXPECT_EQ(got, std::vector<uint8_t>(bytes.begin() + 10, bytes.end())) << row.kind;
        ClosePort(port);
    }
    pipes.CloseAll();
    ::close(slave);
    ::close(master);
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
