// The termios backend on a real pty: the test holds the master side and plays
// the remote end; the port layer drives the slave side as its serial line.
#include <gtest/gtest.h>

#include <termios.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "comm/port.h"
#include "comm/posix/custom_speed.h"
#include "comm/posix/posix_port.h"
#include "pty_posix.h"

namespace palvex {
namespace {

using testing::Pty;

ServiceEntry Service(int dataBitsIndex, int parity, int stopBits, int flow, int baudIndex) {
    ServiceEntry s{};
    s.DataBitsIndex = static_cast<int16_t>(dataBitsIndex);
    s.Parity = static_cast<int16_t>(parity);
    s.StopBits = static_cast<int16_t>(stopBits);
    s.FlowControl = static_cast<int16_t>(flow);
    s.BaudIndex = static_cast<int16_t>(baudIndex);
    return s;
}

termios Termios(const PosixPort& device) {
    termios tio{};
    tcgetattr(device.Descriptor(), &tio);
    return tio;
}

struct PosixPortTest : ::testing::Test {
    Pty pty;
    PosixPort device;
    PortState port;
    RecordingUi ui;

    void SetUp() override {
        ASSERT_TRUE(pty.ok()) << "no pty available";
        device.SetComPath(0, pty.slavePath());
        port.handle = &device;
    }
    void Connect(const ServiceEntry& s) { ASSERT_EQ(ConnectPort(port, s, ui, nullptr), 0); }
};

TEST_F(PosixPortTest, EveryByteValuePassesUnchangedBothWays) {
    // No XON/XOFF here: with it the line rightly swallows 0x11 and 0x13.
    Connect(Service(0, 0, 0, 0, 0));
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);

    EXPECT_EQ(WritePort(port, all.data(), 256), 256);
    EXPECT_EQ(pty.Receive(256), all) << "no CR/LF translation, no bit stripping on output";

    pty.Send(all);
    std::vector<uint8_t> got;
    uint8_t byte = 0;
    pollfd p{device.Descriptor(), POLLIN, 0};
    while (got.size() < all.size() && ::poll(&p, 1, testing::kPtyGuardMs) > 0) {
        while (ReadPort(port, &byte, 1) == 1) got.push_back(byte);
    }
    EXPECT_EQ(got, all) << "no echo, no line editing, no signals, no CR/LF translation on input";

    // Nobody reads the master now: the pty fills and the write gives up.
    device.SetWriteStallLimit(100);
    const std::vector<uint8_t> big(1 << 20, 'x');
    const int written = WritePort(port, big.data(), static_cast<int>(big.size()));
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<int>(big.size()));
}

// A DCB that cannot be applied (rate 0 would hang up) leaves termios alone.
TEST(PosixTermiosMapTest, DcbMapsToRawTermiosAndBack) {
    const struct {
        const char* what;
        uint32_t rate;
        uint8_t byteSize, parity, stopBits;
        unsigned outX, inX, ctsFlow, rtsControl;
        bool ok;
        tcflag_t size;
        bool parenb, parodd, cstopb, crtscts, ixon, ixoff;
        uint32_t customRate;
    } cases[] = {
        {"8-N-1", 115200, 8, kNoParity, kOneStopBit, 0, 0, 0, kRtsControlDisable, true,
         CS8, false, false, false, false, false, false, 0},
        {"7-E-1 hardware", 2400, 7, kEvenParity, kOneStopBit, 0, 0, 1, kRtsControlHandshake, true,
         CS7, true, false, false, true, false, false, 0},
        {"7-O-1.5 xon/xoff takes two stop bits", 9600, 7, kOddParity, kOne5StopBits, 1, 1, 0, kRtsControlDisable,
         true, CS7, true, true, true, false, true, true, 0},
        {"receive-only xon/xoff", 38400, 8, kNoParity, kOneStopBit, 0, 1, 0, kRtsControlDisable, true,
         CS8, false, false, false, false, false, true, 0},
        {"rate without a B-constant", 14400, 8, kNoParity, kOneStopBit, 0, 0, 0, kRtsControlDisable, true,
         CS8, false, false, false, false, false, false, 14400},
        {"rate 0", 0, 8, 0, 0, 0, 0, 0, 0, false, 0, false, false, false, false, false, false, 0},
        {"nine data bits", 9600, 9, 0, 0, 0, 0, 0, 0, false, 0, false, false, false, false, false, false, 0},
        {"unknown parity", 9600, 8, 9, 0, 0, 0, 0, 0, false, 0, false, false, false, false, false, false, 0},
        {"unknown stop bits", 9600, 8, 0, 3, 0, 0, 0, 0, false, 0, false, false, false, false, false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Start from a cooked terminal with every translation on.
        termios tio{};
        tio.c_iflag = ICRNL | INLCR | ISTRIP | IXON | IXANY | BRKINT | PARMRK | INPCK;
        tio.c_oflag = OPOST | ONLCR;
        tio.c_lflag = ICANON | ECHO | ECHONL | ISIG | IEXTEN;
        tio.c_cflag = CS8 | PARENB | PARODD | CSTOPB | CRTSCTS;
        tio.c_cc[VMIN] = 1;
        const termios before = tio;

        Dcb dcb{};
        dcb.BaudRate = c.rate;
        dcb.ByteSize = c.byteSize;
        dcb.Parity = c.parity;
        dcb.StopBits = c.stopBits;
        dcb.fOutX = c.outX;
        dcb.fInX = c.inX;
        dcb.fOutxCtsFlow = c.ctsFlow;
        dcb.fRtsControl = c.rtsControl;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        uint32_t customRate = 99;
        ASSERT_EQ(posix::TermiosFromDcb(dcb, tio, customRate), c.ok);
        if (!c.ok) {
            EXPECT_EQ(tio.c_lflag, before.c_lflag);
            EXPECT_EQ(tio.c_cflag, before.c_cflag);
            continue;
        }
        EXPECT_EQ(customRate, c.customRate);
        EXPECT_EQ(tio.c_cflag & CSIZE, c.size);
        EXPECT_EQ((tio.c_cflag & PARENB) != 0, c.parenb);
        EXPECT_EQ((tio.c_cflag & PARODD) != 0, c.parodd);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.cstopb);
        EXPECT_EQ((tio.c_cflag & CRTSCTS) != 0, c.crtscts);
        EXPECT_EQ((tio.c_iflag & IXON) != 0, c.ixon);
        EXPECT_EQ((tio.c_iflag & IXOFF) != 0, c.ixoff);
        EXPECT_EQ(tio.c_cc[VSTART], 0x11);
        EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
        // Raw and 8-bit clean whatever the DCB says.
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
        EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | PARMRK | IXANY | INPCK | BRKINT), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_cc[VTIME], 0);

        const Dcb back = posix::DcbFromTermios(tio);
        EXPECT_EQ(back.BaudRate, c.customRate ? 0u : c.rate);
        EXPECT_EQ(back.ByteSize, c.byteSize);
        EXPECT_EQ(back.Parity, c.parity);
        EXPECT_EQ(back.StopBits, c.stopBits == kOneStopBit ? kOneStopBit : kTwoStopBits);
        EXPECT_EQ(back.fOutX, c.outX);
        EXPECT_EQ(back.fInX, c.inX);
        EXPECT_EQ(back.fOutxCtsFlow, c.ctsFlow);
    }
}

// A Linux pty keeps every setting but the character size and parity enable,
// which it forces to 8 and off; those two are checked on the mapping above.
TEST_F(PosixPortTest, ServiceSettingsReachTheDevice) {
    const struct {
        const char* what;
        int dataBitsIndex, parity, stopBits, flow, baudIndex;
        bool parodd, cstopb, crtscts, ixon;
        uint32_t rate;
    } cases[] = {
        {"8-N-1 none", 0, 0, 0, 0, 0, false, false, false, false, 115200},
        {"7-O-2 both", 1, 1, 2, 3, 10, true, true, true, true, 300},
        {"rate without a B-constant", 0, 0, 0, 0, 4, false, false, false, false, 14400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Pty line;
        ASSERT_TRUE(line.ok());
        PosixPort dev;
        dev.SetComPath(0, line.slavePath());
        PortState p;
        p.handle = &dev;
        ASSERT_EQ(ConnectPort(p, Service(c.dataBitsIndex, c.parity, c.stopBits, c.flow, c.baudIndex), ui, nullptr),
                  0);
        const termios tio = Termios(dev);
        EXPECT_EQ((tio.c_cflag & PARODD) != 0, c.parodd);
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.cstopb);
        EXPECT_EQ((tio.c_cflag & CRTSCTS) != 0, c.crtscts);
        EXPECT_EQ((tio.c_iflag & IXON) != 0, c.ixon);
        EXPECT_EQ((tio.c_iflag & IXOFF) != 0, c.ixon);
        uint32_t rate = 0;
        ASSERT_TRUE(posix::GetCustomSpeed(dev.Descriptor(), rate));
        EXPECT_EQ(rate, c.rate);
    }
}

TEST_F(PosixPortTest, PtyHasNoModemLinesAndNeverLosesCarrier) {
    Connect(Service(0, 0, 0, 1, 7));
    uint32_t lines = 0;
    EXPECT_FALSE(device.GetModemStatus(lines));
    EXPECT_EQ(GetModemLines(port, lines), 0);
    TerminalModes modes;
    port.CarrierSeen = 1;
    EXPECT_EQ(PollLine(port, modes), 0);
    EXPECT_EQ(PollLine(port, modes), 0);
}

TEST_F(PosixPortTest, OpenFindsTheDeviceOrFailsCleanly) {
    char plainFile[] = "/tmp/palvex-port-XXXXXX";
    const int fd = mkstemp(plainFile);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ::unsetenv("PALVEX_COM8");
    ::setenv("PALVEX_COM5", pty.slavePath().c_str(), 1);
    const struct {
        const char* what;
        const char* name;
        bool opens;
    } cases[] = {
        {"COM name from the table", "COM1:", true},
        {"COM name from the environment, any case", "com5", true},
        {"no such path", "/dev/palvex-no-such-device", false},
        {"COM name with no device", "COM8:", false},
        {"a plain file", plainFile, false},
        {"empty", "", false},
        {"null", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PosixPort dev;
        dev.SetComPath(0, pty.slavePath());
        EXPECT_EQ(dev.Open(c.name), c.opens);
        EXPECT_EQ(dev.IsOpen(), c.opens);
        if (c.opens) continue;
        uint8_t byte = 0;
        EXPECT_EQ(dev.Read(&byte, 1), 0);
        EXPECT_EQ(dev.Write(&byte, 1), 0);
    }
    ::unsetenv("PALVEX_COM5");
    ::unlink(plainFile);

    // The line is not shared, and can be opened again once closed.
    ASSERT_TRUE(device.Open("COM1:"));
    EXPECT_FALSE(device.Open("COM1:")) << "already open";
    PosixPort second;
    EXPECT_FALSE(second.Open(pty.slavePath().c_str())) << "in use";
    device.Close();
    EXPECT_TRUE(second.Open(pty.slavePath().c_str()));
}

}  // namespace
}  // namespace palvex
