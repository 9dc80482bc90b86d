// The Win32 adapters under Wine: the DCB and COMSTAT copies and the backend
// without a device.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "comm/win/win32_port.h"

namespace palvex {
namespace {

// Walking one bit through the whole 28-byte image finds a field copied to the
// wrong place, a field left out and a truncated bit field alike.
TEST(DcbCopy, EveryBitReachesTheSameBitOfTheWin32Dcb) {
    for (size_t bit = 0; bit < sizeof(Dcb) * 8; ++bit) {
        Dcb core{};
        reinterpret_cast<uint8_t*>(&core)[bit / 8] = static_cast<uint8_t>(1u << (bit % 8));
        DCB device;
        std::memset(&device, 0, sizeof device);
        ToWin32Dcb(core, device);
        ASSERT_EQ(0, std::memcmp(&core, &device, sizeof core)) << "to Win32, bit " << bit;

        Dcb back;
        std::memset(&back, 0xA5, sizeof back);
        FromWin32Dcb(device, back);
        ASSERT_EQ(0, std::memcmp(&core, &back, sizeof core)) << "from Win32, bit " << bit;
    }
    Dcb ones;
    std::memset(&ones, 0xFF, sizeof ones);
    DCB device{};
    ToWin32Dcb(ones, device);
    Dcb back{};
    FromWin32Dcb(device, back);
    EXPECT_EQ(0, std::memcmp(&ones, &back, sizeof ones)) << "all ones";
}

TEST(ComStatCopy, HoldFlagsKeepTheirBitsAndCountsArePassedOn) {
    COMSTAT device{};
    device.fCtsHold = device.fRlsdHold = device.fXoffSent = 1;
    device.cbInQue = 1234;
    device.cbOutQue = 77;
    const ComStat status = FromWin32ComStat(device);
    EXPECT_EQ(ComStat::kCtsHold | ComStat::kRlsdHold | ComStat::kXoffSent, status.flags);
    EXPECT_EQ(1234u, status.cbInQue);
    EXPECT_EQ(77u, status.cbOutQue);
    device = COMSTAT{};
    device.fDsrHold = device.fXoffHold = 1;
    EXPECT_EQ(ComStat::kDsrHold | ComStat::kXoffHold, FromWin32ComStat(device).flags);
}

// A missing device fails the open, and everything after it fails quietly.
TEST(Win32PortWithoutDevice, OpenFailsAndCallsOnTheClosedPortFailQuietly) {
    Win32Port port;
    EXPECT_FALSE(port.Open("\\\\.\\PALVEXNOSUCHPORT"));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_NE(0u, port.LastError());
    uint8_t byte = 0x41;
    EXPECT_EQ(0, port.Read(&byte, 1));
    EXPECT_EQ(0, port.Write(&byte, 1));
    Dcb dcb{};
    EXPECT_FALSE(port.GetState(dcb));
    uint32_t errors = 0;
    ComStat status{};
    EXPECT_FALSE(port.ClearError(errors, status));
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

}  // namespace
}  // namespace palvex
