// The dialer against a scripted modem: the dial dialog's messages, timers and
// posted commands are played by a small event queue on a clock that jumps from
// timer to timer, and the modem answers each command written to the fake port.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "comm/port_types.h"
#include "modem/dialer.h"
#include "shell/string_ids.h"
#include "support/test_session.h"

namespace palvex {
namespace {

using testing::TestSession;

ServiceEntry Service(const char* name, const char* number, int retries = 5, int timeout = 30) {
    ServiceEntry s = DefaultServiceEntry();
    std::strncpy(s.ShortName, name, 8);
    std::strncpy(s.PhoneNumber, number, sizeof s.PhoneNumber - 1);
    s.DialRetries = static_cast<int16_t>(retries);
    s.DialTimeout = static_cast<int16_t>(timeout);
    s.FlowControl = 0;
    return s;
}

class DialRig : public DialerHooks {
public:
    struct Event {
        enum Kind { Command, Button, Reader, Ended } kind;
        int value;
    };
    struct Timer {
        uint64_t due;
        unsigned period;
    };
    struct TimerStart {
        int id;
        unsigned ms;
    };
    struct Dial {
        std::string name, command;
        uint64_t at;
    };

    DialRig() {
        t.fake.Close();
        t.fake.openCount = t.fake.closeCount = 0;
        t.port.PortOpen = 0;
        t.service = Service("ACME", "555-0100");
        const std::pair<ProfileField ModemProfile::*, const char*> fields[] = {
            {&ModemProfile::ResetString, "ATZ^M"},        {&ModemProfile::InitString, "AT&F^M"},
            {&ModemProfile::DialPrefix, "ATD"},           {&ModemProfile::DialSuffix, "^M"},
            {&ModemProfile::ResultBusy, "BUSY"},          {&ModemProfile::ResultDialtone, "NO DIALTONE"},
            {&ModemProfile::ResultCarrier, "NO CARRIER"}, {&ModemProfile::ResultAnswer, "NO ANSWER"},
            {&ModemProfile::ResultTimeout, "TIMEOUT"},    {&ModemProfile::ResultError, "ERROR"},
            {&ModemProfile::ResultOk, "OK"},              {&ModemProfile::ResultConnect, "CONNECT"},
        };
        for (const auto& [field, text] : fields) StoreField(profile.*field, text);
        t.fake.onWrite = [this](FakePort& port, const uint8_t* bytes, int n) {
            for (int i = 0; i < n; ++i) {
                const char c = static_cast<char>(bytes[i]);
                if (echo) port.QueueInput(std::string(1, c));
                if (c != '\r') {
                    command_ += c;
                    continue;
                }
                const std::string cmd = command_;
                command_.clear();
                if (cmd.rfind("ATD", 0) == 0) {
                    dials.push_back({ServiceName(), cmd + "\r", now});
                    if (onDial) onDial(port, static_cast<int>(dials.size()));
                } else if (modem) {
                    port.QueueInput(modem(cmd));
                }
            }
        };
    }

    // Every command but a dial is answered by this (default: OK).
    std::function<std::string(const std::string&)> modem = [](const std::string&) { return "\r\nOK\r\n"; };
    // A dial command, numbered from 1.
    std::function<void(FakePort&, int)> onDial;
    bool echo = false;

    std::string ServiceName() const { return std::string(t.service.ShortName, strnlen(t.service.ShortName, 10)); }

    void Start(bool batchDial = false) {
        dialer = std::make_unique<Dialer>(t.session, profile, *this, batch, batchDial, scriptActive);
        dialer->Open();
    }
    // Runs the dialog's messages until the main window hears the dial ended
    // or `limitMs` of clock time has passed.
    void Run(uint64_t limitMs = 600000) {
        deadline_ = now + limitMs;
        while (!ended && !timedOut) TakeOneMessage();
    }
    // Runs until `ms` more have passed (the dial may still be going on).
    void RunFor(uint64_t ms) {
        const uint64_t until = now + ms;
        deadline_ = until;
        while (!ended && !timedOut && now < until) TakeOneMessage();
        if (timedOut && readerStopped_) {
            // The reader was only interrupted: it carries on with the next run.
            dialer->state.AbortFlag = 0;
            posted.push_front({Event::Reader, 0});
        }
        timedOut = readerStopped_ = false;
    }

    int Status(const std::string& text) const {
        int n = 0;
        for (const auto& s : statuses) n += s == text;
        return n;
    }
    std::vector<std::string> DialedNames() const {
        std::vector<std::string> names;
        for (const Dial& d : dials) names.push_back(d.name);
        return names;
    }
    std::vector<unsigned> Starts(int id) const {
        std::vector<unsigned> ms;
        for (const TimerStart& s : timerStarts)
            if (s.id == id) ms.push_back(s.ms);
        return ms;
    }

    // ---- DialerHooks ----
    void SetControlText(int id, const std::string& text) override {
        controls[id] = text;
        history[id].push_back(text);
        if (id == kDialCtlStatus) statuses.push_back(text);
    }
    void SetTitle(const std::string& text) override { title = text; }
    void SetMainTitle(const std::string& text) override { mainTitle = text; }
    void StartTimer(int id, unsigned ms) override {
        timers[id] = {now + ms, ms};
        timerStarts.push_back({id, ms});
    }
    void KillTimer(int id) override { timers.erase(id); }
    void PostCommand(int id) override { posted.push_back({Event::Command, id}); }
    // The user clicks a button of the dialog.
    void Press(int id) { posted.push_back({Event::Button, id}); }
    void PostReader() override { posted.push_back({Event::Reader, 0}); }
    void PostDialingEnded(int wParam) override { posted.push_back({Event::Ended, wParam}); }
    void EnableMainWindow() override { mainEnabled = true; }
    void DisableDialog() override { dialogDisabled = true; }
    void Interpret(const uint8_t* bytes, int count) override {
        interpreted.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
    }
    bool ReadService(const char* shortName) override {
        auto it = files.find(shortName);
        if (it == files.end()) return false;
        t.service = it->second;
        return true;
    }
    void LoadProfile(int manufacturer) override { profilesLoaded.push_back(manufacturer); }
    bool ScriptFileExists(const char* shortName) override { return scripts.count(shortName) != 0; }
    void TakeOneMessage() override {
        if (now >= deadline_) {
            // A dial that should have ended: stop the reader so the test fails
            // on its expectations instead of hanging.
            timedOut = true;
            if (dialer && dialer->ReaderRunning() && !dialer->state.AbortFlag) {
                dialer->state.AbortFlag = 1;
                readerStopped_ = true;
            }
            return;
        }
        if (!posted.empty()) {
            const Event e = posted.front();
            posted.pop_front();
            switch (e.kind) {
            case Event::Command: dialer->Command(e.value, false); break;
            case Event::Button: dialer->Command(e.value, true); break;
            case Event::Reader: dialer->RunResponseReader(); break;
            case Event::Ended: ended = e.value; break;
            }
            return;
        }
        if (timers.empty()) {
            now += 1;
            return;
        }
        auto next = timers.begin();
        for (auto it = timers.begin(); it != timers.end(); ++it)
            if (it->second.due < next->second.due) next = it;
        now = std::max(now, next->second.due);
        next->second.due += next->second.period;
        dialer->Timer(next->first);
    }

    TestSession t;
    ModemProfile profile;
    DialBatchList batch;
    int scriptActive = 0;
    std::unique_ptr<Dialer> dialer;
    std::map<std::string, ServiceEntry> files;
    std::map<std::string, int> scripts;

    uint64_t now = 0;
    std::map<int, Timer> timers;
    std::vector<TimerStart> timerStarts;
    std::deque<Event> posted;
    std::optional<int> ended;
    bool timedOut = false;
    std::map<int, std::string> controls;
    std::map<int, std::vector<std::string>> history;
    std::vector<std::string> statuses;
    std::string title, mainTitle, interpreted;
    std::vector<Dial> dials;
    std::vector<int> profilesLoaded;
    bool mainEnabled = false, dialogDisabled = false;

private:
    std::string command_;
    uint64_t deadline_ = 0;
    bool readerStopped_ = false;
};

TEST(DialCommandTest, PrefixToneNumberAndSuffix) {
    const struct Case {
        const char* prefix;
        int phoneType;
        const char* phonePrefix;
        const char* number;
        const char* suffix;
        const char* expected;
    } cases[] = {
        {"ATD", 1, "9", "(1) 2-3", "^M", "ATDT 9,123\r"},
        {"ATD", 0, "9", "(1) 2-3", "^M", "ATDP 9,123\r"},
        {"AT^[D", 1, "*70", "12", "", "AT\x1b" "DT *70,12"},
        {"ATD", 2, "9", "123", "^M", ""},       // direct line: nothing to dial
        {"ATD", 1, "9", "( ) - ", "^M", ""},    // nothing left of the number
        {"", 1, "", "1+2", "", "T 1+2"},
    };
    for (const Case& c : cases) {
        ModemProfile profile;
        StoreField(profile.DialPrefix, c.prefix);
        StoreField(profile.DialSuffix, c.suffix);
        ServiceEntry s = Service("X", c.number);
        s.PhoneType = static_cast<int16_t>(c.phoneType);
        std::strncpy(s.PhonePrefix, c.phonePrefix, sizeof s.PhonePrefix - 1);
        EXPECT_EQ(c.expected, BuildDialCommand(s, profile)) << c.number << " type " << c.phoneType;
    }
}

TEST(DialerTest, ReachesTheDialThroughResetAndInit) {
    const struct Case {
        const char* what;
        bool echo;
        const char* resetAnswer;
        const char* initAnswer;
        unsigned responseAfterReset;  // timer 3 as restarted by the reset's answer
    } cases[] = {
        {"verbal answers", false, "\r\nOK\r\n", "\r\nOK\r\n", 7000},
        {"echoed commands", true, "\r\nOK\r\n", "\r\nOK\r\n", 7000},
        {"carrier text counts as OK", false, "\r\nNO CARRIER\r\n", "\r\nNO CARRIER\r\n", 7000},
        {"numeric OK after the reset", false, "0\r", "\r\nOK\r\n", 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialRig rig;
        rig.echo = c.echo;
        rig.modem = [&c](const std::string& cmd) { return std::string(cmd == "ATZ" ? c.resetAnswer : c.initAnswer); };
        rig.onDial = [](FakePort& port, int) { port.QueueInput("\r\nCONNECT 2400\r\n"); };
        rig.Start();
        EXPECT_EQ("Dialing ACME", rig.title);
        EXPECT_EQ("555-0100", rig.controls[kDialCtlNumber]);
        rig.Run();
        ASSERT_EQ(std::optional<int>(0), rig.ended);
        EXPECT_EQ(1, rig.t.port.PortOpen) << "the connection stands for the main window";
        EXPECT_EQ("ATZ\rAT&F\rATDT 5550100\r", rig.t.fake.WrittenText());
        EXPECT_EQ((std::vector<unsigned>{4000, c.responseAfterReset}), rig.Starts(kDialTimerResponse));
        EXPECT_EQ(1, rig.Status("Initializing"));
        EXPECT_EQ(1, rig.Status("Dialing"));
        EXPECT_EQ("CONNECT 2400", rig.controls[kDialCtlStatus]);
        // The numeric OK's carriage return goes to the terminal; an echo never does.
        EXPECT_EQ(std::string(c.resetAnswer[0] == '0' ? "\r" : "") + "CONNECT 2400\r\n", rig.interpreted);
        EXPECT_EQ(2u, rig.t.ui.beeps.size());
        EXPECT_TRUE(rig.t.ui.messages.empty());
        EXPECT_TRUE(rig.mainEnabled);
        EXPECT_TRUE(rig.dialogDisabled);
        EXPECT_TRUE(rig.timers.empty());
    }
}


TEST(DialerTest, ConnectsOnlyWhileDialing) {
    const struct Case {
        const char* what;
        bool carrierFromStart;
        std::string answer;  // to the dial command
        bool carrier;        // raised by the dial command
        const char* status;
        std::string interpreted;
    } cases[] = {
        {"connect text", false, "\r\nCONNECT 9600/ARQ\r\n", false, "CONNECT 9600/ARQ", "CONNECT 9600/ARQ\r\n"},
        {"carrier detect", false, "", true, "Connected", ""},
        // DCD forced on: the OK to the init string is enough, nothing is dialled.
        {"carrier on all along", true, "", false, "Connected", ""},
        {"text that is no result", false, "\r\nRINGING\r\n\r\nCONNECT\r\n", false, "CONNECT", "RINGING\r\nCONNECT\r\n"},
        {"an overlong line is cut", false, "\r\n" + std::string(300, 'x') + "\r\n\r\nCONNECT\r\n", false, "CONNECT",
         std::string(255, 'x') + "\r\nCONNECT\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialRig rig;
        if (c.carrierFromStart) rig.t.fake.SetCarrier(true);
        rig.onDial = [&c](FakePort& port, int) {
            port.QueueInput(c.answer);
            if (c.carrier) port.SetCarrier(true);
        };
        rig.Start();
        rig.Run();
        ASSERT_EQ(std::optional<int>(0), rig.ended);
        EXPECT_EQ(c.carrierFromStart ? 0u : 1u, rig.dials.size()) << "carrier before the init's OK is not taken";
        EXPECT_EQ(1, rig.t.port.PortOpen);
        EXPECT_EQ(c.status, rig.controls[kDialCtlStatus]);
        EXPECT_EQ(c.interpreted, rig.interpreted);
        EXPECT_EQ((std::vector<unsigned>{0, 0}), rig.t.ui.beeps);
        EXPECT_EQ(c.carrier || c.carrierFromStart ? 1 : 0, rig.t.port.CarrierSeen);
    }
}

TEST(DialerTest, RedialsUntilTheRetriesAreUsedUp) {
    const struct Case {
        const char* what;
        int retries, timeout;
        std::vector<std::string> answers;  // to each dial; "" = silence
        std::vector<std::string> attempts; // control 11 as it counted
        uint64_t secondDialAfter;          // ms from the first dial (0: no second)
        int connected;                     // -1: gave up
    } cases[] = {
        {"busy, then connect", 3, 30, {"BUSY", "CONNECT"}, {"1", "2"}, 3000, 1},
        {"retry count 0 dials once", 0, 30, {"BUSY"}, {"1"}, 0, -1},
        {"retry count 3 dials three times", 3, 30, {"BUSY", "NO ANSWER", "NO CARRIER", "BUSY"}, {"1", "2", "3"}, 3000, -1},
        {"countdown ends the attempt", 2, 5, {"", "CONNECT"}, {"1", "2"}, 7000, 1},
        {"time-out 0 is 60 seconds", 2, 0, {"", "CONNECT"}, {"1", "2"}, 62000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialRig rig;
        rig.t.service = Service("ACME", "5550100", c.retries, c.timeout);
        rig.onDial = [&c](FakePort& port, int n) {
            const std::string& a = c.answers[static_cast<std::size_t>(n - 1)];
            if (!a.empty()) port.QueueInput("\r\n" + a + "\r\n");
        };
        rig.Start();
        EXPECT_EQ(c.timeout ? std::to_string(c.timeout) : "60", rig.controls[kDialCtlCountdown]);
        rig.Run();
        ASSERT_TRUE(rig.ended.has_value());
        EXPECT_EQ(0, *rig.ended);
        EXPECT_EQ(c.attempts, rig.history[kDialCtlRetries]);
        EXPECT_EQ(c.attempts.size(), rig.dials.size());
        if (c.secondDialAfter) {
            ASSERT_GE(rig.dials.size(), 2u);
            EXPECT_EQ(c.secondDialAfter, rig.dials[1].at - rig.dials[0].at);
        }
        EXPECT_EQ(static_cast<int>(c.attempts.size()) - 1, rig.Status("Redialing"));
        EXPECT_EQ(c.connected > 0 ? 1 : 0, rig.t.port.PortOpen);
        EXPECT_TRUE(rig.t.ui.messages.empty()) << "the failure is the main window's to report";
        if (c.answers[0] == "BUSY") {
            EXPECT_EQ("BUSY", rig.history[kDialCtlLastStatus].front());
            if (c.retries > 0) {
                EXPECT_EQ(3000u, rig.Starts(kDialTimerNext)[2]) << "redial 3 s after BUSY";
            }
        }
    }
}

TEST(DialerTest, InitialisationThatIsNeverAnswered) {
    const struct Case {
        const char* what;
        const char* resetAnswer;
        uint64_t failsAt;
    } cases[] = {
        {"reset answered, init not", "\r\nOK\r\n", 7000},
        {"a silent modem", "", 8000},
        {"numeric error to the reset", "4\r", 8000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialRig rig;
        rig.modem = [&c](const std::string& cmd) { return std::string(cmd == "ATZ" ? c.resetAnswer : ""); };
        rig.Start();
        rig.Run();
        ASSERT_EQ(std::optional<int>(0), rig.ended);
        EXPECT_EQ(c.failsAt, rig.now);
        ASSERT_EQ(1u, rig.t.ui.messages.size());
        EXPECT_EQ(str::kStrModemInitFailed, rig.t.ui.messages[0].stringId);
        EXPECT_EQ(0x2040u, rig.t.ui.messages[0].style);
        EXPECT_EQ(std::vector<unsigned>{0}, rig.t.ui.beeps);
        EXPECT_EQ(0, rig.t.port.PortOpen);
        EXPECT_TRUE(rig.dials.empty());
        EXPECT_EQ("ATZ\rAT&F\r ", rig.t.fake.WrittenText()) << "a blank ends whatever the modem was doing";
        EXPECT_EQ(c.resetAnswer[0] == '4' ? 1 : 0, rig.Status("Error"));
    }
}

TEST(DialerTest, EscapeLeavesTheRedialToTheModem) {
    DialRig rig;
    rig.t.service = Service("ACME", "5550100", 3, 5);
    rig.Start();
    rig.RunFor(4500);  // dialled at 4 s, the modem says nothing
    ASSERT_EQ(1u, rig.dials.size());
    rig.dialer->Command(kDialCmdEscape, false);
    EXPECT_EQ(' ', rig.t.fake.written.back());
    EXPECT_EQ(0u, rig.timers.count(kDialTimerCountdown)) << "the countdown stops";
    EXPECT_EQ(5, rig.dialer->State().Countdown);
    rig.RunFor(60000);
    EXPECT_EQ(1u, rig.dials.size()) << "no redial by the clock";
    rig.t.fake.QueueInput("\r\nNO CARRIER\r\n");
    rig.RunFor(2999);
    EXPECT_EQ(1u, rig.dials.size());
    rig.RunFor(1);
    EXPECT_EQ(2u, rig.dials.size()) << "the modem's answer redials 3 s later";
    EXPECT_FALSE(rig.ended.has_value());
}

TEST(DialerTest, CancelClosesThePortAndTellsTheMainWindow) {
    const struct Case {
        const char* what;
        bool button;
        bool openFails;
        int wParam;
    } cases[] = {
        {"the Cancel button", true, false, 1},
        {"posted by the dialer", false, false, 0},
        {"a port that does not open", false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialRig rig;
        rig.t.fake.openFails = c.openFails;
        rig.scriptActive = 1;
        rig.batch.Add("ACME");
        rig.Start();
        if (!c.openFails) {
            rig.RunFor(5000);
            ASSERT_EQ(1u, rig.dials.size());
            if (c.button)
                rig.Press(kDialCmdCancel);
            else
                rig.PostCommand(kDialCmdCancel);
        }
        rig.Run();
        ASSERT_EQ(std::optional<int>(c.wParam), rig.ended);
        EXPECT_EQ(0, rig.t.port.PortOpen);
        EXPECT_EQ(0, rig.scriptActive);
        EXPECT_TRUE(rig.batch.Empty());
        EXPECT_EQ("Palvex32-Dialup", rig.mainTitle);
        EXPECT_TRUE(rig.mainEnabled);
        EXPECT_TRUE(rig.dialogDisabled);
        EXPECT_TRUE(rig.timers.empty());
        if (c.openFails) {
            ASSERT_EQ(1u, rig.t.ui.messages.size());
            EXPECT_EQ(kStrDeviceOpenError, rig.t.ui.messages[0].stringId);
            EXPECT_TRUE(rig.t.fake.written.empty());
            continue;
        }
        EXPECT_TRUE(rig.t.ui.messages.empty());
        EXPECT_EQ(' ', rig.t.fake.written.back());
        EXPECT_EQ((std::vector<uint32_t>{kPurgeTxAbort | kPurgeTxClear, kPurgeRxAbort | kPurgeRxClear}),
                  rig.t.fake.purges);
        EXPECT_EQ((std::vector<uint32_t>{kClrDtr, kClrDtr, kClrRts}), rig.t.fake.escapes);
        EXPECT_FALSE(rig.t.fake.IsOpen());
    }
}

TEST(DialerTest, BatchDialCyclesThroughTheServicesWithNumbers) {
    DialRig rig;
    rig.files["FIRST"] = Service("FIRST", "111", 9, 30);
    rig.files["SECOND"] = Service("SECOND", "", 9, 30);
    rig.files["THIRD"] = Service("THIRD", "333", 9, 30);
    rig.files["THIRD"].ModemIndex = 13;
    for (const char* name : {"FIRST", "SECOND", "THIRD"}) rig.batch.Add(name);
    rig.t.service = rig.files["FIRST"];
    rig.onDial = [&rig](FakePort& port, int n) {
        port.QueueInput("\r\nBUSY\r\n");
        if (n == 4) rig.Press(kDialCmdCancel);
    };
    rig.Start(true);
    rig.Run();
    ASSERT_EQ(std::optional<int>(1), rig.ended);
    EXPECT_EQ((std::vector<std::string>{"FIRST", "THIRD", "FIRST", "THIRD"}), rig.DialedNames());
    EXPECT_EQ("ATDT 333\r", rig.dials[1].command);
    EXPECT_EQ(std::vector<std::string>(4, "1"), rig.history[kDialCtlRetries]) << "each service one dial per pass";
    EXPECT_EQ(0, rig.Status("Redialing"));
    // The fourth BUSY moves on before the click is taken.
    EXPECT_EQ(4, rig.Status("Dialing next number"));
    EXPECT_EQ((std::vector<int>{13, 4, 13, 4}), rig.profilesLoaded);
    EXPECT_EQ(5, rig.t.fake.openCount) << "each service gets the port anew";
    EXPECT_EQ("Dialing FIRST", rig.title);
}

TEST(DialerTest, BatchDialWithoutAnyNumberGivesUp) {
    const struct Case {
        const char* what;
        std::vector<const char*> numbers;  // "-": no file
        int dials;
    } cases[] = {
        {"no service has a number", {"555", "", ""}, 1},
        {"a file that cannot be read keeps the current service", {"555", "-"}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialRig rig;
        for (std::size_t i = 0; i < c.numbers.size(); ++i) {
            const std::string name{'S', static_cast<char>('0' + i)};
            if (std::string(c.numbers[i]) != "-") rig.files[name] = Service(name.c_str(), c.numbers[i], 1, 30);
            rig.batch.Add(name.c_str());
        }
        rig.t.service = rig.files["S0"];
        // The number empties after the first dial, so no slot has one left.
        rig.onDial = [&rig, &c](FakePort& port, int n) {
            if (std::string(c.numbers[1]) != "-") rig.files["S0"].PhoneNumber[0] = 0;
            port.QueueInput("\r\nBUSY\r\n");
            if (n == c.dials) rig.Press(kDialCmdCancel);
        };
        rig.Start(true);
        rig.Run();
        ASSERT_TRUE(rig.ended.has_value()) << "no endless search";
        EXPECT_EQ(static_cast<std::size_t>(c.dials), rig.dials.size());
    }
}

}  // namespace
}  // namespace palvex
