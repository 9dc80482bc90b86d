// The modem search over one scripted device that answers to some port names
// and not others, with the dialog's posted messages and timers played by a
// small event queue on a virtual clock.
#include "modem/port_detect.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "comm/fake_port.h"

namespace palvex {
namespace {

// Posted messages run first, in order; when none is waiting the clock jumps to
// the next timer due.
class DialogLoop : public PortDetectHooks {
public:
    std::vector<std::string> statuses;
    int beeps = 0;
    bool okRemoved = false, closed = false;
    int result = -1;
    uint32_t now = 0;

    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void StartTimer(int id, unsigned ms) override { timers_[id] = {ms, now + ms}; }
    void KillTimer(int id) override { timers_.erase(id); }
    void PostCommand(int id) override { posted_.push_back(id); }
    void PostPoll() override { posted_.push_back(-1); }
    void Beep() override { ++beeps; }
    void RemoveOk() override { okRemoved = true; }
    void Close(int code) override {
        closed = true;
        result = code;
    }

    void Run(PortDetector& d, uint32_t limitMs = 60000) {
        while (!closed && now <= limitMs) {
            if (!posted_.empty()) {
                const int p = posted_.front();
                posted_.pop_front();
                if (p < 0) d.Poll();
                else d.Command(p);
                continue;
            }
            if (timers_.empty()) return;
            auto next = timers_.begin();
            for (auto it = timers_.begin(); it != timers_.end(); ++it)
                if (it->second.due < next->second.due) next = it;
            now = next->second.due;
            next->second.due += next->second.period;
            d.Timer(next->first);
        }
    }
    bool TimersRunning() const { return !timers_.empty(); }

private:
    struct Timer {
        unsigned period;
        uint32_t due;
    };
    std::map<int, Timer> timers_;
    std::deque<int> posted_;
};

// COM1..COM`present` open; only `modemPort` answers, with `reply` once the
// probe's carriage return is written (echoed when `echo`).
struct Rig {
    FakePort device;
    PortState port;
    TerminalModes modes;
    DialogLoop loop;

    Rig(int present, const char* modemPort = "", std::string reply = "", bool echo = false) {
        port.handle = &device;
        for (int n = present + 1; n <= 8; ++n) device.missingDevices.push_back("COM" + std::to_string(n) + ":");
        device.onWrite = [=, seen = std::string()](FakePort& d, const uint8_t* b, int n) mutable {
            seen.append(reinterpret_cast<const char*>(b), static_cast<std::size_t>(n));
            if (seen.back() != '\r') return;
            if (d.deviceName == modemPort) d.QueueInput((echo ? seen : "") + reply);
            seen.clear();
        };
    }
};

TEST(PortDetectTest, ModemOnCom3BehindTwoSilentPortsIsFoundInTurn) {
    Rig rig(4, "COM3:", "\r\nOK\r\n", true);
    PortDetector d(rig.port, rig.modes, rig.loop, false);
    d.Open();
    rig.loop.Run(d);

    EXPECT_EQ((std::vector<std::string>{"Checking port COM1:", "Checking port COM2:", "Checking port COM3:",
                                        "Modem found in port 3"}),
              rig.loop.statuses);
    EXPECT_EQ(3, d.state.DetectedPort);
    EXPECT_EQ(1, d.state.Done);
    EXPECT_EQ(1, rig.loop.beeps);
    EXPECT_FALSE(rig.loop.TimersRunning());
    EXPECT_FALSE(rig.loop.closed);  // the manual form waits for OK
    EXPECT_EQ("OK", std::string(d.state.line.text));
    // Two silent ports cost their three seconds each.
    EXPECT_GE(rig.loop.now, 6000u);
    EXPECT_LT(rig.loop.now, 6100u);

    const FakePort& dev = rig.device;
    EXPECT_EQ("ATQ\rATQ\rATQ\r", dev.WrittenText());
    EXPECT_EQ(3, dev.openCount);
    EXPECT_EQ(3, dev.closeCount);
    EXPECT_EQ(1024u, dev.receiveQueue);
    EXPECT_EQ(2400u, dev.states.back().BaudRate);
    // Each probe purges the receive side before the transmit side, then closes.
    const uint32_t rx = kPurgeRxAbort | kPurgeRxClear, tx = kPurgeTxAbort | kPurgeTxClear;
    EXPECT_EQ((std::vector<uint32_t>{rx, tx, rx, tx, rx, tx}), dev.purges);
    EXPECT_EQ(0, rig.port.PortOpen);
}

TEST(PortDetectTest, SearchEndsAtOnceOrOnTimeByHowPortsFail) {
    const struct {
        const char* name;
        int silentPorts;
        uint32_t minMs, maxMs;
    } cases[] = {
        {"no port opens", 0, 0, 0},
        {"eight silent ports", 8, 24000, 24200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.silentPorts);
        PortDetector d(rig.port, rig.modes, rig.loop, true);
        d.Open();
        rig.loop.Run(d);

        ASSERT_EQ(9u, rig.loop.statuses.size());
        for (int n = 1; n <= 8; ++n) EXPECT_EQ(CheckingPortText(n), rig.loop.statuses[n - 1u]);
        EXPECT_EQ("Modem is not found in any port", rig.loop.statuses.back());
        EXPECT_EQ(0, d.state.DetectedPort);
        EXPECT_EQ(1, rig.loop.beeps);
        EXPECT_TRUE(rig.loop.okRemoved);
        EXPECT_TRUE(rig.loop.closed);  // the automatic form posts OK itself
        EXPECT_EQ(0, rig.loop.result);
        EXPECT_GE(rig.loop.now, c.minMs);
        EXPECT_LE(rig.loop.now, c.maxMs);
        EXPECT_EQ(8u, rig.device.openAttempts.size());
    }
}

TEST(PortDetectTest, WhichRepliesCountAsAModem) {
    const struct {
        const char* name;
        const char* reply;
        bool found;
        const char* collected;
    } cases[] = {
        {"any text is a modem", "\r\nERROR\r\n", true, "ERROR"},
        {"numeric code ends the read at once", "0\r\nNOISE\r\n", true, ""},
        {"blank lines only", "\r\n\r\n", false, ""},
        {"text without a line end", "\r\nOK", false, ""},
        {"line feed without carriage return first", "\nOK\n", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(1, "COM1:", c.reply);
        PortDetector d(rig.port, rig.modes, rig.loop, false);
        d.Open();
        rig.loop.Run(d);

        EXPECT_EQ(c.found ? 1 : 0, d.state.DetectedPort);
        EXPECT_EQ(c.found ? "Modem found in port 1" : "Modem is not found in any port", rig.loop.statuses.back());
        EXPECT_EQ(c.collected, std::string(d.state.line.text, static_cast<std::size_t>(d.state.line.length)));
        if (c.found) {
            EXPECT_LT(rig.loop.now, 10u);  // found by the first polls, not the time limit
        }
    }
}

TEST(PortDetectTest, ManualOkWaitsForTheEndAndClosingReleasesAnOpenProbe) {
    Rig rig(2, "COM2:", "\r\nOK\r\n");
    PortDetector d(rig.port, rig.modes, rig.loop, false);
    d.Open();
    EXPECT_FALSE(rig.loop.okRemoved);
    d.Command(kPortCmdOk);
    d.Command(2);  // Escape
    rig.loop.Run(d, 1000);  // still waiting on the silent COM1
    EXPECT_EQ(0, d.state.Done);
    d.Command(kPortCmdOk);
    EXPECT_FALSE(rig.loop.closed);
    rig.loop.Run(d);
    ASSERT_EQ(1, d.state.Done);
    d.Command(kPortCmdOk);
    EXPECT_TRUE(rig.loop.closed);
    EXPECT_EQ(2, rig.loop.result);

    Rig silent(1);
    PortDetector e(silent.port, silent.modes, silent.loop, false);
    e.Open();
    silent.loop.Run(e, 100);
    ASSERT_TRUE(silent.device.IsOpen());
    e.End();
    EXPECT_FALSE(silent.device.IsOpen());
    EXPECT_EQ(2u, silent.device.purges.size());
    EXPECT_FALSE(silent.loop.TimersRunning());
    e.End();  // twice is harmless
    EXPECT_EQ(1, silent.device.closeCount);
}

}  // namespace
}  // namespace palvex
