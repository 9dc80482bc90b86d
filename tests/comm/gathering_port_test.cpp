// Held bytes must reach the device in order and before anything that waits
// for an answer or changes the line; a purge must drop them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>

#include "comm/fake_port.h"
#include "comm/gathering_port.h"

namespace palvex {
namespace {

// A device whose driver takes at most `room` bytes per write.
class NarrowPort : public FakePort {
public:
    int room = 1 << 20;
    int Write(const uint8_t* buffer, int count) override { return FakePort::Write(buffer, std::min(count, room)); }
};

// The clock stands still unless a test moves it.
class SteppedLine : public GatheringPort {
public:
    using GatheringPort::GatheringPort;
    std::chrono::microseconds elapsed{0};

protected:
    Clock::time_point Now() const override { return Clock::time_point{} + elapsed; }
};

int Put(GatheringPort& line, const std::string& bytes) {
    return line.Write(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
}

TEST(GatheringPortTest, HeldBytesLeaveBeforeWhateverWaitsOrChangesTheLine) {
    const struct {
        const char* call;
        std::function<void(GatheringPort&)> act;
        bool sends;
    } rows[] = {
        {"Read", [](GatheringPort& l) { uint8_t b; l.Read(&b, 1); }, true},
        {"EscapeFunction", [](GatheringPort& l) { l.EscapeFunction(kClrDtr); }, true},
        {"SetBreak", [](GatheringPort& l) { l.SetBreak(); }, true},
        {"SetState", [](GatheringPort& l) { l.SetState(Dcb{}); }, true},
        {"Flush", [](GatheringPort& l) { l.Flush(); }, true},
        {"Close", [](GatheringPort& l) { l.Close(); }, true},
        // The senders look at the line once per byte; while they keep writing,
        // a look sends nothing.
        {"ClearError", [](GatheringPort& l) { uint32_t e; ComStat s; l.ClearError(e, s); }, false},
        {"GetModemStatus", [](GatheringPort& l) { uint32_t s; l.GetModemStatus(s); }, false},
        {"SetMask", [](GatheringPort& l) { l.SetMask(1); }, false},
    };
    for (const auto& row : rows) {
        FakePort device;
        SteppedLine line(device);
        ASSERT_TRUE(line.Open("COM1:"));
        for (char c : std::string("ATDT5551234\r")) ASSERT_EQ(Put(line, std::string(1, c)), 1);
        EXPECT_TRUE(device.written.empty()) << row.call;
        row.act(line);
        EXPECT_EQ(device.WrittenText(), row.sends ? "ATDT5551234\r" : "") << row.call;
        if (row.sends && std::string(row.call) != "Flush" && std::string(row.call) != "Close") {
            // The device sees the bytes before the call that needed them out.
            const auto write = std::find(device.calls.begin(), device.calls.end(), "Write");
            const auto call = std::find(device.calls.begin(), device.calls.end(), row.call);
            EXPECT_LT(write - device.calls.begin(), call - device.calls.begin()) << row.call;
        }
    }
}

TEST(GatheringPortTest, ALookSendsOnceTheWriterPausesOrTheOldestByteHasWaited) {
    using std::chrono::microseconds;
    const microseconds pause = GatheringPort::kWriterPause;
    static_assert(GatheringPort::kLongestHold < 29 * (GatheringPort::kWriterPause - microseconds(1)));
    const struct {
        const char* what;
        microseconds gap;    // between the bytes
        int bytes;
        microseconds after;  // from the last byte to the look
        bool sends;
    } rows[] = {
        {"a stream, looked at at once", microseconds(50), 20, microseconds(0), false},
        {"a stream that stopped", microseconds(50), 20, pause, true},
        {"a slow stream past the longest hold", pause - microseconds(1), 30, microseconds(0), true},
        {"a slow stream within it", pause - microseconds(1), 3, microseconds(0), false},
        {"one byte just written", microseconds(0), 1, pause - microseconds(1), false},
    };
    for (const auto& row : rows) {
        for (const bool modemStatus : {false, true}) {
            FakePort device;
            SteppedLine line(device);
            ASSERT_TRUE(line.Open("COM1:"));
            for (int i = 0; i < row.bytes; ++i) {
                if (i > 0) line.elapsed += row.gap;
                Put(line, "x");
            }
            line.elapsed += row.after;
            uint32_t value = 0;
            ComStat status{};
            if (modemStatus)
                line.GetModemStatus(value);
            else
                line.ClearError(value, status);
            EXPECT_EQ(device.written.size(), row.sends ? static_cast<std::size_t>(row.bytes) : 0u)
                << row.what << (modemStatus ? " (modem status)" : " (status)");
        }
    }
}

TEST(GatheringPortTest, GathersUpToTheLimitAndKeepsOrderAroundLargeWrites) {
    FakePort device;
    SteppedLine line(device);
    ASSERT_TRUE(line.Open("COM1:"));
    const int limit = GatheringPort::kGatherLimit;
    std::string expected;
    for (int i = 0; i < limit - 1; ++i) {
        expected += static_cast<char>(i);
        Put(line, expected.substr(expected.size() - 1));
    }
    EXPECT_TRUE(device.written.empty());
    uint32_t errors = 0;
    ComStat status{};
    device.outQueue = 7;
    ASSERT_TRUE(line.ClearError(errors, status));
    EXPECT_EQ(status.cbOutQue, static_cast<uint32_t>(limit - 1 + 7)) << "held bytes count as queued";

    Put(line, "X");  // the limit reached: out at once
    expected += "X";
    EXPECT_EQ(device.WrittenText(), expected);

    Put(line, "ab");
    const std::string block(limit + 1, 'B');
    EXPECT_EQ(Put(line, block), limit + 1);  // too large to hold: goes after what was held
    expected += "ab" + block;
    EXPECT_EQ(device.WrittenText(), expected);
    EXPECT_EQ(line.Pending(), 0);
}

TEST(GatheringPortTest, PurgeDropsHeldBytesAndAFullDriverKeepsTheRest) {
    NarrowPort device;
    GatheringPort line(device);
    ASSERT_TRUE(line.Open("COM1:"));
    Put(line, "stale");
    ASSERT_TRUE(line.Purge(kPurgeTxAbort | kPurgeTxClear));
    line.Flush();
    EXPECT_TRUE(device.written.empty()) << "purged bytes must not go out later";

    Put(line, "0123456789");
    device.room = 4;
    EXPECT_FALSE(line.Flush());
    EXPECT_EQ(device.WrittenText(), "0123");
    EXPECT_EQ(line.Pending(), 6);
    // A write that does not fit while the driver is full is refused, not reordered.
    device.room = 0;
    EXPECT_EQ(Put(line, std::string(GatheringPort::kGatherLimit, 'z')), 0);
    device.room = 1 << 20;
    EXPECT_TRUE(line.Flush());
    EXPECT_EQ(device.WrittenText(), "0123456789");

    line.Close();
    EXPECT_EQ(Put(line, "late"), 0) << "a closed device takes nothing";
}

}  // namespace
}  // namespace palvex
