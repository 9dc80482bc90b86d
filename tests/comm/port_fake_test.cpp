// The scripted device behaves like a driver where later tests rely on it:
// reads never block or invent bytes, purges discard, a device is not shared.
#include <gtest/gtest.h>

#include <string>

#include "comm/fake_port.h"

namespace palvex {
namespace {

TEST(FakePortTest, ReadsDrainTheQueueWithoutBlocking) {
    FakePort fake;
    uint8_t buffer[16];
    fake.QueueInput("xy");
    EXPECT_EQ(fake.Read(buffer, 4), 0) << "a closed device gives nothing";
    ASSERT_TRUE(fake.Open("COM1:"));
    fake.QueueInput({0x00, 0xFF});
    const uint8_t more[] = {'z'};
    fake.QueueInput(more, 1);
    EXPECT_EQ(fake.Read(buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, buffer + 3), std::string("xy\0", 3));
    EXPECT_EQ(fake.Read(buffer, 16), 2);
    EXPECT_EQ(buffer[0], 0xFF);
    EXPECT_EQ(buffer[1], 'z');
    EXPECT_EQ(fake.Read(buffer, 16), 0);
}

TEST(FakePortTest, EmptyReadHookCanFeedTheSameRead) {
    FakePort fake;
    ASSERT_TRUE(fake.Open("COM1:"));
    int hooks = 0;
    fake.onEmptyRead = [&](FakePort& f) {
        if (++hooks == 2) f.QueueInput("late");
    };
    uint8_t buffer[8];
    EXPECT_EQ(fake.Read(buffer, 8), 0);
    EXPECT_EQ(fake.Read(buffer, 8), 4);
    EXPECT_EQ(hooks, 2);
}

TEST(FakePortTest, OpenFailsWhenScriptedOrInUse) {
    struct Case {
        const char* what;
        bool openFails;
        bool missing;
        bool alreadyOpen;
        bool opens;
    } cases[] = {
        {"plain", false, false, false, true},
        {"refused", true, false, false, false},
        {"missing", false, true, false, false},
        {"in use", false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakePort fake;
        fake.openFails = c.openFails;
        if (c.missing) fake.missingDevices.push_back("COM4:");
        if (c.alreadyOpen) {
            ASSERT_TRUE(fake.Open("COM1:"));
        }
        EXPECT_EQ(fake.Open("COM4:"), c.opens);
        EXPECT_EQ(fake.deviceName, c.opens ? "COM4:" : (c.alreadyOpen ? "COM1:" : ""));
        EXPECT_EQ(fake.openAttempts.back(), "COM4:");
    }
}

TEST(FakePortTest, StatusReportsQueuesFlagsAndOneShotErrors) {
    FakePort fake;
    ASSERT_TRUE(fake.Open("COM1:"));
    fake.QueueInput("12345");
    fake.lineErrors = 0x8;
    fake.holdFlags = ComStat::kXoffHold;
    uint32_t errors = 0;
    ComStat status{};
    ASSERT_TRUE(fake.ClearError(errors, status));
    EXPECT_EQ(errors, 0x8u);
    EXPECT_EQ(status.cbInQue, 5u);
    EXPECT_TRUE(status.XoffHold());
    ASSERT_TRUE(fake.ClearError(errors, status));
    EXPECT_EQ(errors, 0u);
    fake.inQueue = 1000;
    ASSERT_TRUE(fake.ClearError(errors, status));
    EXPECT_EQ(status.cbInQue, 1000u);
}

TEST(FakePortTest, PurgeAndControlLinesActLikeADriver) {
    FakePort fake;
    ASSERT_TRUE(fake.Open("COM1:"));
    fake.QueueInput("stale");
    fake.outQueue = 40;
    ASSERT_TRUE(fake.Purge(kPurgeTxAbort | kPurgeTxClear));
    EXPECT_EQ(fake.input.size(), 5u) << "a transmit purge keeps received bytes";
    EXPECT_EQ(fake.outQueue, 0u);
    ASSERT_TRUE(fake.Purge(kPurgeRxAbort | kPurgeRxClear));
    EXPECT_TRUE(fake.input.empty());

    Dcb dcb{};
    dcb.fDtrControl = kDtrControlEnable;
    ASSERT_TRUE(fake.SetState(dcb));
    EXPECT_TRUE(fake.dtr);
    ASSERT_TRUE(fake.EscapeFunction(kClrDtr));
    EXPECT_FALSE(fake.dtr);
    EXPECT_FALSE(fake.EscapeFunction(77)) << "unknown escape code";
    ASSERT_TRUE(fake.SetBreak());
    EXPECT_TRUE(fake.breakOn);
    ASSERT_TRUE(fake.ClearBreak());
    EXPECT_FALSE(fake.breakOn);
    EXPECT_EQ(fake.breakCount, 1);

    Dcb reported{};
    ASSERT_TRUE(fake.GetState(reported));
    EXPECT_EQ(reported.fDtrControl, kDtrControlEnable) << "the device reports what was applied";
}

}  // namespace
}  // namespace palvex
