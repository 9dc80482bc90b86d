// The modem search run over eight scripted devices, one per port name, with
// the dialog's posted messages and timers played by a small event queue on a
// virtual clock.
#include "modem/port_detect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "comm/fake_port.h"

namespace palvex {
namespace {

// One backend that opens whichever device the name picks: a FakePort per
// present port; names without one fail to open as a missing device does.
class PortBank : public PortBackend {
public:
    FakePort& Add(const std::string& name) {
        auto& slot = devices_[name];
        slot = std::make_unique<FakePort>();
        return *slot;
    }
    FakePort* Device(const std::string& name) {
        auto it = devices_.find(name);
        return it == devices_.end() ? nullptr : it->second.get();
    }
    std::vector<std::string> attempts;

    bool Open(const char* name) override {
        attempts.push_back(name);
        FakePort* d = Device(name);
        if (!d || !d->Open(name)) return false;
        current_ = d;
        return true;
    }
    bool IsOpen() const override { return current_ && current_->IsOpen(); }
    bool SetupQueues(uint32_t r, uint32_t t) override { return current_->SetupQueues(r, t); }
    bool QueryProperties() override { return current_->QueryProperties(); }
    bool GetState(Dcb& dcb) override { return current_->GetState(dcb); }
    bool SetState(const Dcb& dcb) override { return current_->SetState(dcb); }
    bool SetTimeouts(const CommTimeouts& t) override { return current_->SetTimeouts(t); }
    int Read(uint8_t* b, int n) override { return current_->Read(b, n); }
    int Write(const uint8_t* b, int n) override { return current_->Write(b, n); }
    bool ClearError(uint32_t& e, ComStat& s) override { return current_->ClearError(e, s); }
    bool GetModemStatus(uint32_t& s) override { return current_->GetModemStatus(s); }
    bool EscapeFunction(uint32_t f) override { return current_->EscapeFunction(f); }
    bool SetBreak() override { return current_->SetBreak(); }
    bool ClearBreak() override { return current_->ClearBreak(); }
    bool Purge(uint32_t f) override { return current_->Purge(f); }
    bool SetMask(uint32_t m) override { return current_->SetMask(m); }
    void Close() override {
        if (current_) current_->Close();
        current_ = nullptr;
    }

private:
    std::map<std::string, std::unique_ptr<FakePort>> devices_;
    FakePort* current_ = nullptr;
};

// The dialog: posted messages run first, in order; when none is waiting the
// clock jumps to the next timer due.
class DialogLoop : public PortDetectHooks {
public:
    std::vector<std::string> statuses;
    int beeps = 0;
    bool okRemoved = false;
    bool closed = false;
    int result = -1;
    uint32_t now = 0;

    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void StartTimer(int id, unsigned ms) override { timers_[id] = {ms, now + ms}; }
    void KillTimer(int id) override { timers_.erase(id); }
    void PostCommand(int id) override { posted_.push_back({false, id}); }
    void PostPoll() override { posted_.push_back({true, 0}); }
    void Beep() override { ++beeps; }
    void RemoveOk() override { okRemoved = true; }
    void Close(int code) override {
        closed = true;
        result = code;
    }

    // Runs until the dialog closes, nothing is left to do, or `limitMs` passes.
    void Run(PortDetector& d, uint32_t limitMs = 60000) {
        while (!closed && now <= limitMs) {
            if (!posted_.empty()) {
                Posted p = posted_.front();
                posted_.pop_front();
                if (p.poll) d.Poll();
                else d.Command(p.command);
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
    struct Posted {
        bool poll;
        int command;
    };
    std::map<int, Timer> timers_;
    std::deque<Posted> posted_;
};

// A Hayes modem: echoes the command, then answers in words or digits.
void PlayModem(FakePort& device, const std::string& answer) {
    device.onWrite = [answer, seen = std::string()](FakePort& d, const uint8_t* b, int n) mutable {
        seen.append(reinterpret_cast<const char*>(b), static_cast<std::size_t>(n));
        if (seen.find('\r') == std::string::npos) return;
        d.QueueInput(seen);
        d.QueueInput(answer);
        seen.clear();
    };
}

class PortDetectTest : public ::testing::Test {
protected:
    PortDetectTest() { port.handle = &bank; }

    PortDetector& Start(bool automatic) {
        detector = std::make_unique<PortDetector>(port, modes, loop, automatic);
        detector->Open();
        return *detector;
    }

    PortBank bank;
    PortState port;
    TerminalModes modes;
    DialogLoop loop;
    std::unique_ptr<PortDetector> detector;
};

TEST_F(PortDetectTest, ModemOnCom3BehindTwoSilentPortsIsFoundInTurn) {
    FakePort& com1 = bank.Add("COM1:");
    FakePort& com2 = bank.Add("COM2:");
    FakePort& com3 = bank.Add("COM3:");
    bank.Add("COM4:");
    PlayModem(com3, "\r\nOK\r\n");

    PortDetector& d = Start(false);
    loop.Run(d);

    EXPECT_EQ((std::vector<std::string>{"Checking port COM1:", "Checking port COM2:", "Checking port COM3:",
                                        "Modem found in port 3"}),
              loop.statuses);
    EXPECT_EQ(3, d.state.DetectedPort);
    EXPECT_EQ(1, d.state.Done);
    EXPECT_EQ(1, loop.beeps);
    EXPECT_FALSE(loop.TimersRunning());
    EXPECT_FALSE(loop.closed);  // the manual form waits for OK
    EXPECT_EQ("OK", std::string(d.state.line.text));
    // Two silent ports cost their three seconds each.
    EXPECT_GE(loop.now, 6000u);
    EXPECT_LT(loop.now, 6100u);

    for (FakePort* dev : {&com1, &com2, &com3}) {
        EXPECT_EQ("ATQ\r", dev->WrittenText());
        EXPECT_EQ(1, dev->closeCount);
        EXPECT_EQ(1024u, dev->receiveQueue);
        ASSERT_FALSE(dev->states.empty());
        EXPECT_EQ(2400u, dev->states.back().BaudRate);
        // Receive side purged before transmit side, then closed.
        EXPECT_EQ((std::vector<uint32_t>{kPurgeRxAbort | kPurgeRxClear, kPurgeTxAbort | kPurgeTxClear}),
                  dev->purges);
    }
    EXPECT_EQ(0, bank.Device("COM4:")->openCount);
    EXPECT_EQ(0, port.PortOpen);
}

TEST_F(PortDetectTest, SearchEndsAtOnceOrOnTimeByHowPortsFail) {
    struct Case {
        const char* name;
        int silentPorts;  // COM1..COMn present and silent, the rest missing
        uint32_t minMs, maxMs;
    };
    const Case cases[] = {
        {"no port opens", 0, 0, 0},
        {"eight silent ports", 8, 24000, 24200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortBank freshBank;
        port = PortState{};
        port.handle = &freshBank;
        loop = DialogLoop{};
        for (int n = 1; n <= c.silentPorts; ++n) freshBank.Add("COM" + std::to_string(n) + ":");

        PortDetector d(port, modes, loop, true);
        d.Open();
        loop.Run(d);

        ASSERT_EQ(9u, loop.statuses.size());
        for (int n = 1; n <= 8; ++n) EXPECT_EQ(CheckingPortText(n), loop.statuses[static_cast<std::size_t>(n - 1)]);
        EXPECT_EQ("Modem is not found in any port", loop.statuses.back());
        EXPECT_EQ(0, d.state.DetectedPort);
        EXPECT_EQ(1, loop.beeps);
        EXPECT_TRUE(loop.okRemoved);
        EXPECT_TRUE(loop.closed);  // the automatic form posts OK itself
        EXPECT_EQ(0, loop.result);
        EXPECT_GE(loop.now, c.minMs);
        EXPECT_LE(loop.now, c.maxMs);
        EXPECT_EQ(8u, freshBank.attempts.size());
    }
}

TEST_F(PortDetectTest, WhichRepliesCountAsAModem) {
    struct Case {
        const char* name;
        std::string reply;
        bool found;
        const char* collected;
    };
    const Case cases[] = {
        {"word reply", "\r\nOK\r\n", true, "OK"},
        {"any text is a modem", "\r\nERROR\r\n", true, "ERROR"},
        {"numeric code on its first byte", "0\r", true, ""},
        {"numeric code ends the read at once", "0\r\nNOISE\r\n", true, ""},
        {"blank lines only", "\r\n\r\n", false, ""},
        {"text without a line end", "\r\nOK", false, ""},
        {"line feed without carriage return first", "\nOK\n", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortBank freshBank;
        port = PortState{};
        port.handle = &freshBank;
        loop = DialogLoop{};
        FakePort& com1 = freshBank.Add("COM1:");
        // No echo: the reply alone, queued once the probe is written.
        com1.onWrite = [reply = c.reply](FakePort& dev, const uint8_t*, int) { dev.QueueInput(reply); };

        PortDetector d(port, modes, loop, false);
        d.Open();
        loop.Run(d);

        EXPECT_EQ(c.found ? 1 : 0, d.state.DetectedPort);
        EXPECT_EQ(c.found ? "Modem found in port 1" : "Modem is not found in any port", loop.statuses.back());
        EXPECT_EQ(c.collected, std::string(d.state.line.text, static_cast<std::size_t>(d.state.line.length)));
        if (c.found) {
            EXPECT_LT(loop.now, 10u);  // found by the first polls, not the time limit
        }
    }
}

TEST_F(PortDetectTest, ManualOkDoesNothingUntilTheSearchHasEnded) {
    bank.Add("COM1:");
    FakePort& com2 = bank.Add("COM2:");
    PlayModem(com2, "\r\nOK\r\n");
    PortDetector& d = Start(false);
    EXPECT_FALSE(loop.okRemoved);

    d.Command(kPortCmdOk);
    d.Command(2);  // Escape
    EXPECT_FALSE(loop.closed);

    loop.Run(d, 1000);  // still waiting on the silent COM1
    EXPECT_EQ(0, d.state.Done);
    d.Command(kPortCmdOk);
    EXPECT_FALSE(loop.closed);

    loop.Run(d);
    ASSERT_EQ(1, d.state.Done);
    d.Command(kPortCmdOk);
    EXPECT_TRUE(loop.closed);
    EXPECT_EQ(2, loop.result);
}

TEST_F(PortDetectTest, ClosingWhileAProbeIsOpenReleasesThePort) {
    FakePort& com1 = bank.Add("COM1:");
    PortDetector& d = Start(false);
    loop.Run(d, 100);
    ASSERT_TRUE(com1.IsOpen());
    d.End();
    EXPECT_FALSE(com1.IsOpen());
    EXPECT_EQ(2u, com1.purges.size());
    EXPECT_FALSE(loop.TimersRunning());
    d.End();  // twice is harmless
    EXPECT_EQ(1, com1.closeCount);
}

}  // namespace
}  // namespace palvex
