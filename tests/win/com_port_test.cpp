// COM1 through the port layer and the Win32 backend against com_port_driver.py
// on a pty; one connection for all tests: the program's block, then the driver's.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "comm/port.h"
#include "comm/win/win32_port.h"
#include "phonebook/service_entry.h"
#include "platform/ui.h"

namespace palvex {
namespace {

// The two blocks, defined the same way in com_port_driver.py.
std::vector<uint8_t> Block(size_t size, uint8_t (*at)(int)) {
    std::vector<uint8_t> block(size);
    for (size_t i = 0; i < size; ++i) block[i] = at(static_cast<int>(i));
    return block;
}
const std::vector<uint8_t> kFromProgram = Block(4096, [](int i) { return static_cast<uint8_t>(i * 131 + 17); });
const std::vector<uint8_t> kToProgram = Block(5120, [](int i) { return static_cast<uint8_t>(255 - i * 37 - i / 256); });

class ComPortOverPty : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        port_.handle = &backend_;
        service_.PortIndex = 0;
        service_.FlowControl = 0;
        connectResult_ = ConnectPort(port_, service_, ui_, nullptr);
    }
    static void TearDownTestSuite() {
        if (!port_.PortOpen) return;
        PurgePort(port_, 0);
        PurgePort(port_, 1);
        ClosePort(port_);
        port_.PortOpen = 0;
    }
    void SetUp() override {
        ASSERT_EQ(0, connectResult_) << "COM1 did not open (error " << backend_.LastError()
                                     << "); run this through com_port_driver.py";
    }

    static inline Win32Port backend_;
    static inline PortState port_;
    static inline ServiceEntry service_ = DefaultServiceEntry();
    static inline RecordingUi ui_;
    static inline int connectResult_ = -1;
};

TEST_F(ComPortOverPty, ConnectAppliesTheServiceAndAnEmptyReadReturnsAtOnce) {
    EXPECT_TRUE(ui_.messages.empty());
    Dcb applied{};
    ASSERT_TRUE(backend_.GetState(applied));
    EXPECT_EQ(BaudRateForIndex(service_.BaudIndex), applied.BaudRate);
    EXPECT_EQ(8, applied.ByteSize);
    EXPECT_EQ(kNoParity, applied.Parity);
    EXPECT_EQ(kOneStopBit, applied.StopBits);
    EXPECT_EQ(0u, applied.fOutX + applied.fInX + applied.fOutxCtsFlow);
    EXPECT_EQ(0, QueryPortStatus(port_));
    uint8_t byte = 0;
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, ReadPort(port_, &byte, 1));
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(ComPortOverPty, SendsABlockThenReceivesEveryByteValueIntact) {
    for (int sent = 0; sent < static_cast<int>(kFromProgram.size());) {
        const int n = WritePort(port_, kFromProgram.data() + sent, static_cast<int>(kFromProgram.size()) - sent);
        ASSERT_GT(n, 0) << "write failed after " << sent << " bytes, error " << backend_.LastError();
        sent += n;
    }
    std::vector<uint8_t> received;
    uint8_t buffer[1024];
    const DWORD start = GetTickCount();
    while (received.size() < kToProgram.size() && GetTickCount() - start < 60000) {
        const int n = ReadPort(port_, buffer, static_cast<int>(std::min(sizeof buffer, kToProgram.size() - received.size())));
        if (n == 0) Sleep(1);
        received.insert(received.end(), buffer, buffer + n);
    }
    ASSERT_EQ(kToProgram.size(), received.size()) << "the peer's block did not arrive in time";
    for (size_t i = 0; i < kToProgram.size(); ++i) ASSERT_EQ(kToProgram[i], received[i]) << "offset " << i;
    Sleep(200);
    EXPECT_EQ(0, ReadPort(port_, buffer, 1)) << "bytes beyond the block";
}

}  // namespace
}  // namespace palvex
