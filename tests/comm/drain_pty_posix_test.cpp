// The receive path against a real pseudo-terminal: a peer writes a megabyte of
// random bytes into the master and everything must come out of DrainPort in
// order, 8-bit clean on an 8-bit line and with bit 7 cleared on a 7-bit one.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "comm/port.h"
#include "comm/posix/posix_port.h"
#include "comm/pump.h"
#include "platform/native_loop.h"
#include "pty_posix.h"
#include "support/test_session.h"

namespace palvex {
namespace {

TEST(PosixDrain, MegabyteThroughAPtyArrivesByteForByte) {
    for (const int dataBitsIndex : {0, 1}) {
        const bool stripped = dataBitsIndex == 1;
        testing::Pty pty;
        ASSERT_TRUE(pty.ok());
        PosixPort device;
        device.SetComPath(0, pty.slavePath());

        ServiceEntry service = DefaultServiceEntry();
        service.TerminalType = kTypeTty;  // every byte reaches the capture log
        service.Protocol = kProtoXmodemCrc;
        service.FlowControl = 0;          // XON/XOFF would eat bytes of random data
        service.DataBitsIndex = static_cast<int16_t>(dataBitsIndex);
        service.BaudIndex = 0;
        PortState port;
        port.handle = &device;
        RecordingUi ui;
        ASSERT_EQ(ConnectPort(port, service, ui, nullptr), 0);
        EXPECT_EQ(port.EightBitData, stripped ? 0 : 1);

        PumpState pump;
        TerminalScreen screen;
        NullDisplay display;
        screen.display = &display;
        AllocateLines(screen, 100);
        ClearBuffer(screen);
        TerminalModes modes;
        SteadyLoop loop;
        Session session{service, port, pump, screen, modes, ui, loop};
        testing::RecordingCapture capture;
        session.capture = &capture;

        std::mt19937 gen(1234 + dataBitsIndex);
        std::string sent(1 << 20, '\0');
        for (char& ch : sent) ch = static_cast<char>(gen() & 0xFF);
        std::thread peer([&] { pty.Send(sent); });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (capture.bytes.size() < sent.size() && std::chrono::steady_clock::now() < deadline) {
            if (DrainPort(session) == 0 && capture.bytes.size() < sent.size()) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        peer.join();

        std::string expected = sent;
        if (stripped)
            for (char& ch : expected) ch = static_cast<char>(ch & 0x7F);
        ASSERT_EQ(capture.bytes.size(), expected.size());
        const auto diff = std::mismatch(expected.begin(), expected.end(), capture.bytes.begin());
        EXPECT_EQ(diff.first, expected.end()) << "first difference at byte " << (diff.first - expected.begin());
        ClosePort(port);
    }
}

}  // namespace
}  // namespace palvex
