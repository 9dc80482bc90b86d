// The port layer against the scripted device: the DCB a service produces, the
// open sequence, the connect messages, binary framing and the line poll.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "comm/fake_port.h"
#include "comm/port.h"

namespace palvex {
namespace {

ServiceEntry Service(int dataBitsIndex = 0, int parity = 0, int stopBits = 0, int flow = 0, int baudIndex = 7,
                     int portIndex = 0) {
    ServiceEntry s{};
    s.DataBitsIndex = static_cast<int16_t>(dataBitsIndex);
    s.Parity = static_cast<int16_t>(parity);
    s.StopBits = static_cast<int16_t>(stopBits);
    s.FlowControl = static_cast<int16_t>(flow);
    s.BaudIndex = static_cast<int16_t>(baudIndex);
    s.PortIndex = static_cast<int16_t>(portIndex);
    return s;
}

bool SameDcb(const Dcb& a, const Dcb& b) { return std::memcmp(&a, &b, sizeof(Dcb)) == 0; }

struct PortTest : ::testing::Test {
    FakePort fake;
    PortState port;
    RecordingUi ui;
    TerminalModes modes;

    PortTest() { port.handle = &fake; }

    void Connect(const ServiceEntry& s) {
        ASSERT_EQ(ConnectPort(port, s, ui, nullptr), 0);
        fake.calls.clear();
        fake.states.clear();
    }
};

TEST_F(PortTest, ServiceSetsRateFramingAndHandshakes) {
    const struct {
        int dataBitsIndex, parity, stopBits, flow, baudIndex;
        uint8_t byteSize;
        int eightBit;
        uint32_t rate;
        unsigned outX, ctsFlow, rtsControl;
    } cases[] = {
        {0, 0, 0, 0, 0, 8, 1, 115200, 0, 0, kRtsControlDisable},
        {1, 1, 0, 1, 10, 7, 0, 300, 0, 1, kRtsControlHandshake},
        {1, 2, 2, 2, 7, 7, 0, 2400, 1, 0, kRtsControlDisable},
        {0, 0, 1, 3, 5, 8, 1, 9600, 1, 1, kRtsControlHandshake},
        // A damaged entry must not read outside the rate table.
        {0, 0, 0, 0, -1, 8, 1, 0, 0, 0, kRtsControlDisable},
        {0, 0, 0, 0, 11, 8, 1, 0, 0, 0, kRtsControlDisable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dataBitsIndex << "/" << c.parity << "/" << c.stopBits << " flow "
                                        << c.flow << " @" << c.baudIndex);
        PortState p;
        p.EightBitData = !c.eightBit;
        // Start from the opposite settings so that every field must be written.
        p.PortDcb.fOutX = p.PortDcb.fInX = !c.outX;
        p.PortDcb.fOutxCtsFlow = !c.ctsFlow;
        p.PortDcb.fRtsControl = kRtsControlToggle;
        p.PortDcb.fParity = 1;
        BuildPortDcb(p, Service(c.dataBitsIndex, c.parity, c.stopBits, c.flow, c.baudIndex));
        const Dcb& d = p.PortDcb;
        EXPECT_EQ(d.BaudRate, c.rate);
        EXPECT_EQ(d.ByteSize, c.byteSize);
        EXPECT_EQ(d.Parity, c.parity);
        EXPECT_EQ(d.StopBits, c.stopBits);
        EXPECT_EQ(d.fOutX, c.outX);
        EXPECT_EQ(d.fInX, c.outX);
        EXPECT_EQ(d.fOutxCtsFlow, c.ctsFlow);
        EXPECT_EQ(d.fRtsControl, c.rtsControl);
        EXPECT_EQ(d.fBinary, 1u);
        EXPECT_EQ(d.fParity, 0u);
        EXPECT_EQ(d.fDtrControl, kDtrControlEnable);
        EXPECT_EQ(std::vector<int>(p.SavedFraming, p.SavedFraming + 3),
                  (std::vector<int>{c.byteSize, c.parity, c.stopBits}));
        EXPECT_EQ(p.EightBitData, c.eightBit);
    }
}

TEST_F(PortTest, OpenPrimesTheDeviceInOrderAt2400EightNoneOne) {
    Dcb reported{};
    reported.BaudRate = 19200;
    reported.ByteSize = 7;
    reported.Parity = kEvenParity;
    reported.StopBits = kTwoStopBits;
    reported.fOutX = 1;
    reported.XonLim = 77;
    reported.EofChar = 0x1A;
    fake.deviceState = reported;
    port.PortDcb.BaudRate = 300;  // a DCB being prepared by ConnectPort

    EXPECT_EQ(OpenPort(port, "COM2:", 1024, 512), 1);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"Open", "SetupQueues", "QueryProperties", "GetState",
                                                    "SetState", "SetTimeouts"}));
    EXPECT_EQ(fake.deviceName, "COM2:");
    EXPECT_EQ(fake.receiveQueue, 1024u);
    EXPECT_EQ(fake.transmitQueue, 512u);
    // Only length, rate and framing change; the rest is the driver's.
    Dcb first = reported;
    first.DCBlength = 28;
    first.BaudRate = 2400;
    first.ByteSize = 8;
    first.Parity = kNoParity;
    first.StopBits = kOneStopBit;
    ASSERT_EQ(fake.states.size(), 1u);
    EXPECT_TRUE(SameDcb(fake.states[0], first));
    ASSERT_TRUE(fake.timeouts.has_value());
    EXPECT_EQ(fake.timeouts->ReadIntervalTimeout, 0xFFFFFFFFu) << "reads return at once";
    EXPECT_EQ(fake.timeouts->ReadTotalTimeoutConstant + fake.timeouts->WriteTotalTimeoutConstant, 0u);
    EXPECT_EQ(port.PortDcb.BaudRate, 300u) << "the open must not overwrite the prepared DCB";
    EXPECT_EQ(port.PortOpen, 0);
}

TEST_F(PortTest, ConnectOpensTheServicePortDropsDtrOnceAndAppliesTheDcb) {
    EXPECT_EQ(ConnectPort(port, Service(1, 2, 0, 3, 5, 2), ui, nullptr), 0);
    EXPECT_EQ(port.PortOpen, 1);
    EXPECT_EQ(fake.deviceName, "COM3:");
    EXPECT_EQ(fake.receiveQueue, 16384u);
    EXPECT_EQ(fake.transmitQueue, 16384u);
    EXPECT_EQ(fake.escapes, std::vector<uint32_t>{kClrDtr});
    EXPECT_TRUE(fake.dtr) << "DTR_CONTROL_ENABLE raises DTR again";
    // The drop comes after the open's own settings and before the service's.
    const std::vector<std::string> tail(fake.calls.end() - 3, fake.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"SetTimeouts", "EscapeFunction", "SetState"}));
    ASSERT_EQ(fake.states.size(), 2u);
    EXPECT_EQ(fake.states[1].BaudRate, 9600u);
    EXPECT_EQ(fake.states[1].Parity, kEvenParity);
    EXPECT_EQ(fake.states[1].DCBlength, 28u);
    EXPECT_TRUE(ui.messages.empty());
}

// A failed open touches nothing else; ConnectPort then shows "Device open error".
TEST_F(PortTest, OpenFailureTouchesNothingAndConnectShowsDeviceOpenError) {
    const struct {
        const char* what;
        bool nullHandle, openFails, missing;
        const char* name;
        int portIndex;
    } cases[] = {
        {"device refuses", false, true, false, "COM1:", 0},
        {"device missing", false, false, true, "COM1:", 0},
        {"no name / port index past COM8", false, false, false, nullptr, 8},
        {"no backend", true, false, false, "COM1:", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePort device;
        device.openFails = c.openFails;
        if (c.missing) device.missingDevices.push_back("COM1:");
        PortState p;
        p.handle = c.nullHandle ? nullptr : &device;
        p.PortDcb.BaudRate = 1200;
        EXPECT_EQ(OpenPort(p, c.name, 1024, 1024), -1);
        EXPECT_FALSE(device.IsOpen());
        for (const std::string& call : device.calls) EXPECT_EQ(call, "Open");
        EXPECT_EQ(p.PortDcb.BaudRate, 1200u);

        RecordingUi shown;
        EXPECT_EQ(ConnectPort(p, Service(0, 0, 0, 0, 7, c.portIndex), shown, nullptr), -1);
        EXPECT_EQ(p.PortOpen, 0);
        ASSERT_EQ(shown.messages.size(), 1u);
        EXPECT_EQ(shown.messages[0].stringId, kStrDeviceOpenError);
        EXPECT_EQ(shown.messages[0].style, 0x2010u);
        EXPECT_EQ(shown.beeps, std::vector<unsigned>{0x10});
        EXPECT_TRUE(device.escapes.empty());
        EXPECT_TRUE(device.states.empty());
    }
}

TEST_F(PortTest, ConnectWhileOpenAsksToHangUpFirst) {
    Connect(Service());
    const Dcb before = port.PortDcb;
    EXPECT_EQ(ConnectPort(port, Service(1, 1, 2, 3, 0, 4), ui, nullptr), -1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].stringId, kStrHangUpFirst);
    EXPECT_EQ(ui.messages[0].style, 0x2040u);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_TRUE(SameDcb(port.PortDcb, before));

    // Closing leaves PortOpen to the caller; again, or with no device, is harmless.
    EXPECT_EQ(ClosePort(port), 1);
    EXPECT_FALSE(fake.IsOpen());
    EXPECT_EQ(port.PortOpen, 1);
    EXPECT_EQ(ClosePort(port), 0);
    EXPECT_EQ(fake.closeCount, 1);
    PortState none;
    EXPECT_EQ(ClosePort(none), 0);
}

TEST_F(PortTest, BinaryFramingSwitchesASevenBitLineOnlyAndBack) {
    struct Case {
        int dataBitsIndex, parity, stopBits;
    } cases[] = {{1, kEvenParity, 2}, {1, kNoParity, 1}, {0, kNoParity, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dataBitsIndex << " parity " << c.parity << " stop " << c.stopBits);
        FakePort device;
        PortState p;
        p.handle = &device;
        ASSERT_EQ(ConnectPort(p, Service(c.dataBitsIndex, c.parity, c.stopBits, 3, 3), ui, nullptr), 0);
        const Dcb service = p.PortDcb;
        const int eightBit = p.EightBitData;
        device.states.clear();

        SetBinaryFraming(p, true);
        if (c.dataBitsIndex == 0) {
            EXPECT_TRUE(device.states.empty()) << "an 8-bit line is left alone";
            SetBinaryFraming(p, false);
            EXPECT_TRUE(device.states.empty());
            continue;
        }
        ASSERT_EQ(device.states.size(), 1u);
        Dcb binary = service;
        binary.ByteSize = 8;
        binary.Parity = kNoParity;
        binary.StopBits = kOneStopBit;
        EXPECT_TRUE(SameDcb(device.states[0], binary)) << "only the framing may change";
        EXPECT_EQ(p.EightBitData, eightBit) << "the receive side still strips until framing is restored";
        SetBinaryFraming(p, false);
        ASSERT_EQ(device.states.size(), 2u);
        EXPECT_TRUE(SameDcb(device.states[1], service));
    }
}

TEST_F(PortTest, CarrierLossIsReportedOncePerConnection) {
    struct Step {
        int lines;  // MS_ bits, or -1 when the modem-status call fails
        int result;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"present then absent", {{0x80, 0}, {0, kCarrierLost}, {0, 0}}},
        {"never seen", {{0, 0}, {0x40, 0}}},
        {"status call fails", {{0x80, 0}, {-1, 0}, {0, kCarrierLost}}},
        {"second connection", {{0x80, 0}, {0, kCarrierLost}, {0x80, 0}, {0, kCarrierLost}, {0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePort device;
        PortState p;
        p.handle = &device;
        ASSERT_TRUE(device.Open("COM1:"));
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            device.modemStatusFails = c.steps[i].lines < 0;
            device.modemStatus = c.steps[i].lines < 0 ? 0x80 : static_cast<uint32_t>(c.steps[i].lines);
            EXPECT_EQ(PollLine(p, modes), c.steps[i].result) << "poll " << i;
        }
    }
}

TEST_F(PortTest, CarrierResetsTheKeyboardModesAndThePollRefreshesTheStatus) {
    ASSERT_TRUE(fake.Open("COM1:"));
    modes.autoRepeat = 0;
    modes.keypadApp = 1;
    EXPECT_EQ(PollLine(port, modes), 0);
    EXPECT_EQ(modes.keypadApp, 1) << "no carrier: modes untouched";

    fake.SetCarrier(true);
    fake.QueueInput("abc");
    fake.outQueue = 9;
    fake.holdFlags = ComStat::kCtsHold | ComStat::kXoffHold;
    fake.lineErrors = 0x10;  // a framing error, dropped
    EXPECT_EQ(PollLine(port, modes), 0);
    EXPECT_EQ(modes.autoRepeat, 1);
    EXPECT_EQ(modes.keypadApp, 0);
    EXPECT_EQ(port.CarrierSeen, 1);
    EXPECT_EQ(port.PortStatus.cbInQue, 3u);
    EXPECT_EQ(port.PortStatus.cbOutQue, 9u);
    EXPECT_TRUE(port.PortStatus.CtsHold());
    EXPECT_TRUE(port.PortStatus.XoffHold());
    EXPECT_EQ(fake.lineErrors, 0u) << "the query clears pending line errors";
}

TEST_F(PortTest, AutoAnswerAnswersEveryRing) {
    struct Case {
        const char* what;
        int autoAnswer;
        uint32_t lines;
        int carrierSeen, polls;
        std::string written;
        int result;
    } cases[] = {
        {"ring answered on every poll", 1, kMsRingOn, 0, 3, "ATA\rATA\rATA\r", 0},
        {"ring without auto-answer", 0, kMsRingOn, 0, 2, "", 0},
        {"carrier loss ends the poll before the ring", 1, kMsRingOn, 1, 1, "", kCarrierLost},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePort device;
        PortState p;
        p.handle = &device;
        ASSERT_TRUE(device.Open("COM1:"));
        p.AutoAnswer = c.autoAnswer;
        p.CarrierSeen = c.carrierSeen;
        device.modemStatus = c.lines;
        int result = 0;
        for (int i = 0; i < c.polls; ++i) result = PollLine(p, modes);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(device.WrittenText(), c.written);
    }
}

TEST_F(PortTest, WithoutADeviceNothingMovesAndNothingFails) {
    uint8_t buffer[4] = {'x', 'y', 'z', 'w'};
    fake.QueueInput("abc");  // queued, but the device is closed
    PortState none;
    for (PortState* p : {&port, &none}) {
        p->CarrierSeen = 1;
        p->PortStatus.cbInQue = 5;
        EXPECT_EQ(ReadPort(*p, buffer, 4), 0);
        EXPECT_EQ(WritePort(*p, buffer, 4), 0);
        EXPECT_EQ(PurgePort(*p, 0), 0);
        EXPECT_EQ(SetPortEventMask(*p, 0), 0);
        EXPECT_EQ(SetBinaryFraming(*p, true), 0);
        uint32_t lines = 123;
        EXPECT_EQ(GetModemLines(*p, lines), 0);
        EXPECT_EQ(lines, 0u);
        EXPECT_EQ(PollLine(*p, modes), 0) << "no device is not a carrier loss";
        EXPECT_EQ(p->CarrierSeen, 1);
        EXPECT_EQ(p->PortStatus.cbInQue, 5u);
    }
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_TRUE(fake.written.empty());
}

}  // namespace
}  // namespace palvex
