// COM1 through the port layer and the Win32 backend, with com_port_driver.py
// holding the other end of the line (a pty). The tests share one connection and
// follow the driver's script: the program sends its block first, then the
// driver answers with its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "comm/port.h"
#include "comm/win/win32_port.h"
#include "phonebook/service_entry.h"
#include "platform/ui.h"

namespace palvex {
namespace {

// The two blocks, defined the same way in com_port_driver.py.
std::vector<uint8_t> BlockFromProgram() {
    std::vector<uint8_t> block(4096);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 131 + 17);
    return block;
}

std::vector<uint8_t> BlockToProgram() {
    std::vector<uint8_t> block(5120);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<uint8_t>(255 - static_cast<int>(i) * 37 - static_cast<int>(i / 256));
    return block;
}

constexpr DWORD kReceiveDeadlineMs = 60000;

class ComPortOverPty : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        backend_ = new Win32Port;
        port_ = new PortState;
        port_->handle = backend_;
        service_ = DefaultServiceEntry();
        service_.PortIndex = 0;
        service_.DataBitsIndex = 0;
        service_.Parity = kNoParity;
        service_.StopBits = kOneStopBit;
        service_.FlowControl = 0;
        connectResult_ = ConnectPort(*port_, service_, ui_, nullptr);
    }

    static void TearDownTestSuite() {
        if (port_->PortOpen) {
            PurgePort(*port_, 0);
            PurgePort(*port_, 1);
            ClosePort(*port_);
            port_->PortOpen = 0;
        }
        delete port_;
        delete backend_;
    }

    void SetUp() override {
        ASSERT_EQ(0, connectResult_) << "COM1 did not open (error " << backend_->LastError()
                                     << "); run this through com_port_driver.py";
    }

    static Win32Port* backend_;
    static PortState* port_;
    static ServiceEntry service_;
    static RecordingUi ui_;
    static int connectResult_;
};

Win32Port* ComPortOverPty::backend_ = nullptr;
PortState* ComPortOverPty::port_ = nullptr;
ServiceEntry ComPortOverPty::service_{};
RecordingUi ComPortOverPty::ui_;
int ComPortOverPty::connectResult_ = -1;

TEST_F(ComPortOverPty, ConnectAppliesTheServiceFramingToTheDevice) {
    EXPECT_EQ(1, port_->PortOpen);
    EXPECT_TRUE(ui_.messages.empty());
    Dcb applied{};
    ASSERT_TRUE(backend_->GetState(applied));
    EXPECT_EQ(BaudRateForIndex(service_.BaudIndex), applied.BaudRate);
    EXPECT_EQ(8, applied.ByteSize);
    EXPECT_EQ(kNoParity, applied.Parity);
    EXPECT_EQ(kOneStopBit, applied.StopBits);
    EXPECT_EQ(0u, applied.fOutX);
    EXPECT_EQ(0u, applied.fInX);
    EXPECT_EQ(0u, applied.fOutxCtsFlow);
}

TEST_F(ComPortOverPty, AReadWithNothingQueuedReturnsAtOnce) {
    uint8_t byte = 0;
    DWORD start = GetTickCount();
    EXPECT_EQ(0, ReadPort(*port_, &byte, 1));
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(ComPortOverPty, QueryPortStatusSucceedsOnTheOpenPort) {
    uint32_t errors = 0;
    ComStat status{};
    EXPECT_TRUE(backend_->ClearError(errors, status));
    EXPECT_EQ(0, QueryPortStatus(*port_));
}

TEST_F(ComPortOverPty, SendsABlockThePeerReceivesIntact) {
    const std::vector<uint8_t> block = BlockFromProgram();
    int sent = 0;
    while (sent < static_cast<int>(block.size())) {
        int n = WritePort(*port_, block.data() + sent, static_cast<int>(block.size()) - sent);
        ASSERT_GT(n, 0) << "write failed after " << sent << " bytes, error " << backend_->LastError();
        sent += n;
    }
}

TEST_F(ComPortOverPty, ReceivesEveryByteValueIntact) {
    const std::vector<uint8_t> expected = BlockToProgram();
    std::vector<uint8_t> received;
    received.reserve(expected.size());
    uint8_t buffer[1024];
    const DWORD start = GetTickCount();
    while (received.size() < expected.size() && GetTickCount() - start < kReceiveDeadlineMs) {
        int wanted = static_cast<int>(std::min(sizeof buffer, expected.size() - received.size()));
        int n = ReadPort(*port_, buffer, wanted);
        if (n == 0) {
            Sleep(1);
            continue;
        }
        received.insert(received.end(), buffer, buffer + n);
    }
    ASSERT_EQ(expected.size(), received.size()) << "the peer's block did not arrive in time";
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(expected[i], received[i]) << "first difference at offset " << i;

    Sleep(200);
    uint8_t extra = 0;
    EXPECT_EQ(0, ReadPort(*port_, &extra, 1)) << "bytes beyond the block";
}

}  // namespace
}  // namespace palvex
