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

using testing::kPtyGuardMs;
using testing::Pty;

ServiceEntry Service(int dataBitsIndex, int parity, int stopBits, int flow, int baudIndex) {
    ServiceEntry s{};
    s.DataBitsIndex = static_cast<int16_t>(dataBitsIndex);
    s.Parity = static_cast<int16_t>(parity);
    s.StopBits = static_cast<int16_t>(stopBits);
    s.FlowControl = static_cast<int16_t>(flow);
    s.BaudIndex = static_cast<int16_t>(baudIndex);
    s.PortIndex = 0;
    return s;
}

bool WaitReadable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, kPtyGuardMs) > 0;
}

termios Termios(const PosixPort& device) {
    termios tio{};
    tcgetattr(device.Descriptor(), &tio);
    return tio;
}

std::vector<uint8_t> AllByteValues() {
    std::vector<uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
    return bytes;
}

struct PosixPortFixture : ::testing::Test {
    Pty pty;
    PosixPort device;
    PortState port;
    RecordingUi ui;

    void SetUp() override {
        ASSERT_TRUE(pty.ok()) << "no pty available";
        device.SetComPath(0, pty.slavePath());
        port.handle = &device;
    }
    void Connect(const ServiceEntry& s) { ASSERT_EQ(ConnectPort(port, s, ui, nullptr), 0) << ui.messages.size(); }
};

// ---- Bytes both ways ----------------------------------------------------------

using PosixPortDataTest = PosixPortFixture;

TEST_F(PosixPortDataTest, EveryByteValuePassesUnchangedBothWays) {
    // No XON/XOFF here: with it the line rightly swallows 0x11 and 0x13.
    Connect(Service(0, 0, 0, 0, 0));
    const std::vector<uint8_t> all = AllByteValues();

    EXPECT_EQ(WritePort(port, all.data(), static_cast<int>(all.size())), 256);
    EXPECT_EQ(pty.Receive(256), all) << "no CR/LF translation, no bit stripping on output";

    pty.Send(all);
    std::vector<uint8_t> got;
    uint8_t byte = 0;
    while (got.size() < all.size() && WaitReadable(device.Descriptor())) {
        while (ReadPort(port, &byte, 1) == 1) got.push_back(byte);
    }
    EXPECT_EQ(got, all) << "no echo, no line editing, no signals, no CR/LF translation on input";
}

TEST_F(PosixPortDataTest, StatusCountsQueuedInputAndPurgeDiscardsIt) {
    Connect(Service(0, 0, 0, 0, 7));
    uint8_t buffer[16];
    EXPECT_EQ(ReadPort(port, buffer, 16), 0) << "an empty read returns at once";
    pty.Send(std::string("abcde"));
    ASSERT_TRUE(WaitReadable(device.Descriptor()));
    QueryPortStatus(port);
    EXPECT_EQ(port.PortStatus.cbInQue, 5u);
    EXPECT_EQ(port.PortStatus.flags, 0u);

    EXPECT_EQ(PurgePort(port, 0), 1);
    uint8_t byte = 0;
    EXPECT_EQ(ReadPort(port, &byte, 1), 0);
    QueryPortStatus(port);
    EXPECT_EQ(port.PortStatus.cbInQue, 0u);
}

TEST_F(PosixPortDataTest, StalledWriteGivesUpWithWhatWasQueued) {
    Connect(Service(0, 0, 0, 0, 7));
    device.SetWriteStallLimit(100);
    // Nobody reads the master: the pty fills and stays full.
    const std::vector<uint8_t> big(1 << 20, 'x');
    const int written = WritePort(port, big.data(), static_cast<int>(big.size()));
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<int>(big.size()));
}

TEST_F(PosixPortDataTest, XoffEscapeHoldsOutputUntilXon) {
    Connect(Service(0, 0, 0, 0, 7));
    device.SetWriteStallLimit(50);
    const uint8_t bytes[] = {'h', 'i'};
    ASSERT_TRUE(device.EscapeFunction(kSetXoff));
    EXPECT_EQ(WritePort(port, bytes, 2), 0);
    ASSERT_TRUE(device.EscapeFunction(kSetXon));
    EXPECT_EQ(WritePort(port, bytes, 2), 2);
    EXPECT_EQ(pty.Receive(2), (std::vector<uint8_t>{'h', 'i'}));
}

// ---- Framing and flow control in termios -------------------------------------

TEST(PosixTermiosMapTest, DcbMapsToRawTermiosAndBack) {
    struct Case {
        const char* what;
        uint32_t rate;
        uint8_t byteSize, parity, stopBits;
        unsigned outX, inX, ctsFlow, rtsControl;
        tcflag_t size;
        bool parenb, parodd, cstopb, crtscts, ixon, ixoff;
        uint32_t customRate;
    } cases[] = {
        {"8-N-1", 115200, 8, kNoParity, kOneStopBit, 0, 0, 0, kRtsControlDisable,
         CS8, false, false, false, false, false, false, 0},
        {"7-E-1 hardware", 2400, 7, kEvenParity, kOneStopBit, 0, 0, 1, kRtsControlHandshake,
         CS7, true, false, false, true, false, false, 0},
        {"7-O-1 xon/xoff", 9600, 7, kOddParity, kOneStopBit, 1, 1, 0, kRtsControlDisable,
         CS7, true, true, false, false, true, true, 0},
        {"7-N-1.5 takes two stop bits", 57600, 7, kNoParity, kOne5StopBits, 0, 0, 0, kRtsControlDisable,
         CS7, false, false, true, false, false, false, 0},
        {"receive-only xon/xoff", 38400, 8, kNoParity, kOneStopBit, 0, 1, 0, kRtsControlDisable,
         CS8, false, false, false, false, false, true, 0},
        {"rate without a B-constant", 14400, 8, kNoParity, kOneStopBit, 0, 0, 0, kRtsControlDisable,
         CS8, false, false, false, false, false, false, 14400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Start from a cooked terminal with every translation on.
        termios tio{};
        tio.c_iflag = ICRNL | INLCR | ISTRIP | IXON | IXANY | BRKINT | PARMRK | INPCK;
        tio.c_oflag = OPOST | ONLCR;
        tio.c_lflag = ICANON | ECHO | ECHONL | ISIG | IEXTEN;
        tio.c_cflag = CS8 | PARENB | PARODD | CSTOPB | CRTSCTS;
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 5;

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
        ASSERT_TRUE(posix::TermiosFromDcb(dcb, tio, customRate));
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
        EXPECT_EQ(back.DCBlength, 28u);
    }
}

TEST(PosixTermiosMapTest, ImpossibleDcbLeavesTheSettingsAlone) {
    struct Case {
        const char* what;
        uint32_t rate;
        uint8_t byteSize, parity, stopBits;
    } cases[] = {
        {"rate 0 would hang up", 0, 8, 0, 0},
        {"nine data bits", 9600, 9, 0, 0},
        {"unknown parity", 9600, 8, 9, 0},
        {"unknown stop bits", 9600, 8, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        termios tio{};
        tio.c_lflag = ICANON | ECHO;
        tio.c_cflag = CS7 | PARENB;
        Dcb bad{};
        bad.BaudRate = c.rate;
        bad.ByteSize = c.byteSize;
        bad.Parity = c.parity;
        bad.StopBits = c.stopBits;
        uint32_t customRate = 0;
        EXPECT_FALSE(posix::TermiosFromDcb(bad, tio, customRate));
        EXPECT_EQ(tio.c_lflag, static_cast<tcflag_t>(ICANON | ECHO));
        EXPECT_EQ(tio.c_cflag, static_cast<tcflag_t>(CS7 | PARENB));
    }
}

using PosixPortTermiosTest = PosixPortFixture;

// A Linux pty keeps every setting but the character size and parity enable,
// which it forces to 8 and off; those two are checked on the mapping above.
TEST_F(PosixPortTermiosTest, ServiceSettingsReachTheDevice) {
    struct Case {
        const char* what;
        int dataBitsIndex, parity, stopBits, flow, baudIndex;
        bool parodd, cstopb, crtscts, ixon;
        uint32_t rate;
    } cases[] = {
        {"8-N-1 none", 0, 0, 0, 0, 0, false, false, false, false, 115200},
        {"7-O-2 both", 1, 1, 2, 3, 10, true, true, true, true, 300},
        {"rate without a B-constant", 0, 0, 0, 0, 4, false, false, false, false, 14400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pty line;
        ASSERT_TRUE(line.ok());
        PosixPort dev;
        dev.SetComPath(0, line.slavePath());
        PortState p;
        p.handle = &dev;
        ASSERT_EQ(ConnectPort(p, Service(c.dataBitsIndex, c.parity, c.stopBits, c.flow, c.baudIndex), ui,
                              nullptr),
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

TEST_F(PosixPortTermiosTest, BinaryFramingOnASevenEvenLineAndBack) {
    Connect(Service(1, 2, 2, 3, 3));
    Dcb applied{};
    ASSERT_TRUE(device.GetState(applied));
    EXPECT_EQ(applied.ByteSize, 7);
    EXPECT_EQ(applied.Parity, kEvenParity);
    ASSERT_TRUE(Termios(device).c_cflag & CSTOPB);

    SetBinaryFraming(port, true);
    termios tio = Termios(device);
    EXPECT_FALSE(tio.c_cflag & CSTOPB) << "one stop bit";
    EXPECT_TRUE(tio.c_cflag & CRTSCTS) << "flow control is not touched";
    EXPECT_TRUE(tio.c_iflag & IXON);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));

    SetBinaryFraming(port, false);
    EXPECT_TRUE(Termios(device).c_cflag & CSTOPB);
    ASSERT_TRUE(device.GetState(applied));
    EXPECT_EQ(applied.ByteSize, 7);
    EXPECT_EQ(applied.Parity, kEvenParity);
}

TEST_F(PosixPortTermiosTest, RefusedSettingsChangeNothing) {
    ASSERT_TRUE(device.Open("COM1:"));
    Dcb good{};
    good.BaudRate = 9600;
    good.ByteSize = 7;
    good.Parity = kEvenParity;
    good.StopBits = kTwoStopBits;
    ASSERT_TRUE(device.SetState(good));
    const termios before = Termios(device);

    Dcb bad = good;
    bad.BaudRate = 0;
    bad.StopBits = kOneStopBit;
    EXPECT_FALSE(device.SetState(bad));
    const termios after = Termios(device);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B9600)) << "a rate of 0 must not hang up";
    Dcb reported{};
    ASSERT_TRUE(device.GetState(reported));
    EXPECT_EQ(reported.StopBits, kTwoStopBits) << "the last accepted DCB is still reported";
}

// ---- Modem lines and opening ---------------------------------------------------

using PosixPortLineTest = PosixPortFixture;

TEST_F(PosixPortLineTest, PtyHasNoModemLinesAndNeverLosesCarrier) {
    Connect(Service(0, 0, 0, 1, 7));
    uint32_t lines = 0;
    EXPECT_FALSE(device.GetModemStatus(lines));
    EXPECT_EQ(GetModemLines(port, lines), 0);
    TerminalModes modes;
    port.CarrierSeen = 1;
    EXPECT_EQ(PollLine(port, modes), 0);
    EXPECT_EQ(PollLine(port, modes), 0);
}

TEST_F(PosixPortLineTest, DeviceNamesResolveThroughTableThenEnvironment) {
    PosixPort fresh;
    ::setenv("PALVEX_COM3", "/dev/from-environment", 1);
    ::unsetenv("PALVEX_COM4");
    EXPECT_EQ(fresh.ResolvePath("COM3:"), "/dev/from-environment");
    EXPECT_EQ(fresh.ResolvePath("com3"), "/dev/from-environment");
    fresh.SetComPath(2, "/dev/from-table");
    EXPECT_EQ(fresh.ResolvePath("COM3:"), "/dev/from-table");
    EXPECT_EQ(fresh.ResolvePath("COM4:"), "");
    EXPECT_EQ(fresh.ResolvePath("COM9:"), "COM9:") << "not a COM port name: a path";
    EXPECT_EQ(fresh.ResolvePath("COM1:x"), "COM1:x");
    EXPECT_EQ(fresh.ResolvePath(nullptr), "");
    fresh.SetComPath(8, "/ignored");  // out of range: no effect, no crash
    ::unsetenv("PALVEX_COM3");

    ::setenv("PALVEX_COM5", pty.slavePath().c_str(), 1);
    EXPECT_TRUE(fresh.Open("COM5:"));
    ::unsetenv("PALVEX_COM5");
}

TEST_F(PosixPortLineTest, OpenFailsWithoutADevice) {
    char plainFile[] = "/tmp/palvex-port-XXXXXX";
    const int fd = mkstemp(plainFile);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ::unsetenv("PALVEX_COM8");

    struct Case {
        const char* what;
        const char* name;
    } cases[] = {
        {"no such path", "/dev/palvex-no-such-device"}, {"COM name with no device", "COM8:"},
        {"a plain file", plainFile}, {"empty", ""}, {"null", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PosixPort dev;
        EXPECT_FALSE(dev.Open(c.name));
        EXPECT_FALSE(dev.IsOpen());
        uint8_t byte = 0;
        EXPECT_EQ(dev.Read(&byte, 1), 0);
        EXPECT_EQ(dev.Write(&byte, 1), 0);
    }
    ::unlink(plainFile);
}

TEST_F(PosixPortLineTest, LineIsNotSharedAndCanBeReopened) {
    ASSERT_TRUE(device.Open("COM1:"));
    EXPECT_FALSE(device.Open("COM1:")) << "already open";
    PosixPort second;
    EXPECT_FALSE(second.Open(pty.slavePath().c_str())) << "in use";
    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_TRUE(second.Open(pty.slavePath().c_str()));
    second.Close();
    EXPECT_TRUE(device.Open("COM1:"));
}

}  // namespace
}  // namespace palvex
