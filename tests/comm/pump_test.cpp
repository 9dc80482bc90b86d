#include <gtest/gtest.h>

#include <string>

#include "comm/pump.h"
#include "support/test_session.h"

namespace palvex {
namespace {

using testing::CountingDisconnector;
using testing::FakeScript;
using testing::RecordingCapture;
using testing::RecordingZmodem;
using testing::TestSession;

const std::string kEsc = "\x1b";

TEST(ReadBurst, StopsAt1023AndMayHold1024WithAnExpandedCr) {
    struct Case {
        std::string input;
        bool transfer;
        int expected;
        std::size_t left;
    } cases[] = {
        {"AB\r", false, 4, 0},  // the added LF even as the last byte
        {std::string(1022, 'x') + "yrest", false, 1023, 4},
        {std::string(1022, 'x') + "\rrest", false, 1024, 4},
        {std::string(1022, 'x') + "\rrest", true, 1023, 4},
    };
    for (const Case& c : cases) {
        TestSession t;
        t.service.InboundCrLf = 1;
        t.pump.TransferActive = c.transfer;
        t.fake.QueueInput(c.input);
        uint8_t buf[kReceiveBufferSize];
        int count = 0;
        ReadBurst(t.session, buf, count);
        EXPECT_EQ(count, c.expected) << c.expected;
        EXPECT_EQ(t.pump.MoreData, c.left ? 1 : 0);
        EXPECT_EQ(t.fake.input.size(), c.left) << "the rest waits for the next burst";
        if (!c.left) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "AB\r\n");
        }
    }
}

TEST(Bit7, StrippedOnSevenBitLinesAndWhileAScriptRunsButShownControlsFollowOnlyTheLine) {
    struct Case {
        bool eightBit, script, displayControls, stripped;
    } cases[] = {{true, false, false, false}, {false, false, false, true}, {true, true, false, true},
                 {false, true, false, true},  {true, true, true, false},   {false, true, true, true}};
    for (const Case& c : cases) {
        TestSession t(kTypeTty);
        RecordingCapture capture;
        FakeScript script;
        script.active = c.script;
        script.pending = false;
        t.session.capture = &capture;
        t.session.script = &script;
        t.service.DisplayControls = c.displayControls;
        t.port.EightBitData = c.eightBit;
        t.Interpret("\xc1\x42\xe9");
        const std::string expected = c.stripped ? "ABi" : "\xc1\x42\xe9";
        EXPECT_EQ(t.Row(0), expected) << c.eightBit << c.script << c.displayControls;
        if (!c.displayControls) {
            EXPECT_EQ(capture.bytes, expected) << c.eightBit << c.script;
        }
    }
}

// TTY acts on the common controls; Wyse 50 moves the cursor with VT, FF and RS.
TEST(Teletype, ControlCharactersMoveTheCursor) {
    const struct {
        int type;
        std::string input;
        const char* row0;  // nullptr: not checked
        const char* row1;
        int row, col;
        bool autoWrap;
    } cases[] = {
        {kTypeTty, "ABC\r\rX", "XBC", "", 0, 1, false},           // a second CR does nothing more
        {kTypeTty, "ABC\r\nX", "ABC", "X", 1, 1, false},          // AfterCR survives LF, then puts X in column 0
        {kTypeTty, "ABC\x7f", "AB", "", 0, 2, false},             // destructive DEL shortens the line
        {kTypeTty, "\x7f\x7f", "", "", 0, 0, false},              // DEL in column 0 does nothing
        {kTypeTty, "ABC\b\bX", "AXC", "", 0, 2, false},           // BS moves, never erases
        {kTypeTty, "\b\bX", "X", "", 0, 1, false},                // BS stops at column 0
        {kTypeTty, "\tX", "        X", "", 0, 9, false},          // TAB from 0 to 8
        {kTypeTty, "12345678\tX", "12345678        X", "", 0, 17, false},  // on a stop a TAB moves a full 8
        {kTypeTty, "A\x0b" "B", "A", " B", 1, 2, false},          // VT is a line feed, FF too
        {kTypeTty, "A\x01\x1e\x1a" "B", "AB", "", 0, 2, false},   // RS, SUB and other controls do nothing here
        {kTypeWyse50, "\n\nAB\x0b", nullptr, nullptr, 1, 2, false},  // VT: up one row
        {kTypeWyse50, "\x0b\x0b", nullptr, nullptr, 0, 0, false},    // never above the top row
        {kTypeWyse50, "AB\x0c\x0c", nullptr, nullptr, 0, 4, false},  // FF: right one column
        {kTypeWyse50, "\r" + std::string(200, '\x0c'), nullptr, nullptr, 0, 79, false},  // no further without autowrap
        {kTypeWyse50, "\r" + std::string(200, '\x0c'), nullptr, nullptr, 2, 40, true},  // wraps even after a CR
        {kTypeWyse50, "\n\nABC\x1e", nullptr, nullptr, 0, 0, false},  // RS: home
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.type << " " << ::testing::PrintToString(c.input.substr(0, 12)));
        TestSession t(c.type);
        t.screen.autoWrap = c.autoWrap;
        t.Interpret(c.input);
        if (c.row0) {
            EXPECT_EQ(t.Row(0), c.row0);
            EXPECT_EQ(t.Row(1), c.row1);
        }
        EXPECT_EQ(t.screen.cursorRow, c.row);
        EXPECT_EQ(t.screen.cursorCol, c.col);
    }
}

TEST(EscapeCollector, OverlongSequenceIsAbandonedAt255Bytes) {
    // The CSI types keep collecting parameter bytes; VT52 and Wyse 50 end on them.
    for (int type : {kTypeVt100Color, kTypeVt100, kTypeVt102, kTypeVt220, kTypeVt320, kTypeScoAnsi}) {
        TestSession t(type);
        // ESC, "[" and parameter bytes that never reach a final byte: 300 in all.
        std::string seq = kEsc + "[" + std::string(298, '1');
        t.Interpret(seq);
        EXPECT_EQ(t.screen.EscapeActive, 0) << type;
        EXPECT_EQ(t.screen.EscapeLength, 0) << type;
        // 254 bytes were collected after ESC, the 255th was dropped, the rest is text.
        EXPECT_EQ(t.Row(0), std::string(300 - 256, '1')) << type;
    }
}

TEST(Capture, SequencesReachTheLogOnlyOnATeletype) {
    struct Case {
        int type;
        const char* logged;
        const char* shown;
    } cases[] = {
        {kTypeTty, "A\x1b[2JB", "A[2JB"},
        {kTypeVt100, "AB", "B"},  // the clear happened, the log never saw it
    };
    for (const Case& c : cases) {
        TestSession t(c.type);
        RecordingCapture capture;
        t.session.capture = &capture;
        t.Interpret("A" + kEsc + "[2JB");
        EXPECT_EQ(capture.bytes, c.logged) << c.type;
        EXPECT_EQ(t.Row(0), c.shown) << c.type;
    }
}

TEST(ZmodemAutoStart, StarStarCanStartsHeaderCollectionOnlyUnderZmodem) {
    struct Case {
        int protocol;
        std::string input;
        bool starts;
    } cases[] = {
        {kProtoZmodem, "**\x18" "B0100000023be50\r\n", true},
        {kProtoZmodem, "rz\r**\x18" "B01", true},
        {kProtoXmodemCrc, "**\x18" "B01", false},
        {kProtoZmodem, "*\x18" "B01", false},
        {kProtoZmodem, "\r\n\x18" "B01", false},
    };
    for (const Case& c : cases) {
        TestSession t(kTypeVt100Color);
        RecordingZmodem z;
        t.session.zmodem = &z;
        t.service.Protocol = static_cast<int16_t>(c.protocol);
        t.port.EightBitData = 0;  // a 7-bit line, so the switch to 8 bits shows
        t.port.SavedFraming[0] = 7;
        t.port.SavedFraming[1] = 2;
        const std::size_t statesBefore = t.fake.states.size();
        t.fake.QueueInput("rest-of-header");
        const int r = t.Interpret(c.input);
        EXPECT_EQ(r, 0);
        if (!c.starts) {
            EXPECT_TRUE(z.headers.empty()) << c.input;
            continue;
        }
        ASSERT_EQ(z.headers.size(), 1u) << c.input;
        const std::size_t star = c.input.find("**");
        EXPECT_EQ(z.headers[0], c.input.substr(star) + "rest-of-header");
        // Rejected: framing back to the service's, collection over.
        EXPECT_EQ(t.pump.TransferActive, 0);
        EXPECT_EQ(t.pump.ZmodemHeaderLength, 0);
        ASSERT_EQ(t.fake.states.size(), statesBefore + 2);
        EXPECT_EQ(t.fake.states[statesBefore].ByteSize, 8);
        EXPECT_EQ(t.fake.states[statesBefore + 1].ByteSize, 7);
        EXPECT_EQ(t.fake.states[statesBefore + 1].Parity, 2);
    }
}

TEST(ZmodemAutoStart, AcceptedHeaderStartsTheReceiveAndShownControlsStillStartIt) {
    TestSession t(kTypeVt100Color);
    RecordingZmodem z;
    t.session.zmodem = &z;
    t.service.Protocol = kProtoZmodem;
    t.service.DisplayControls = 1;
    t.Interpret("**\x18" "B00");
    ASSERT_EQ(z.headers.size(), 1u);
    EXPECT_EQ(z.headers[0], "**\x18" "B00");
    EXPECT_EQ(t.Row(0), "**<can>");
    z.verdict = 1;
    EXPECT_EQ(t.Interpret("**\x18" "B00"), 1);
    EXPECT_EQ(t.pump.TransferActive, 1);
}

TEST(DisplayControls, ControlsAreShownByNameOnOneLine) {
    struct Case {
        std::string input;
        const char* shown;
    } cases[] = {
        {"A\r\nB", "A<cr><lf>B"},
        {std::string("\0\x01\x1b\x1f", 4), "<null><soh><esc><us>"},
        {"\x07\x08\x09\x0b\x0c", "<bel><bs><ht><vt><ff>"},
        {"\x7f", "<del>"},
    };
    for (const Case& c : cases) {
        TestSession t(kTypeVt102);
        t.service.DisplayControls = 1;
        t.Interpret(c.input);
        EXPECT_EQ(t.Row(0), c.shown);
        EXPECT_EQ(t.screen.cursorRow, 0);
        EXPECT_TRUE(t.ui.beeps.empty());
    }
}

TEST(ScriptWait, MatchesTheUpperCasedLineUpToTheCursor) {
    TestSession t(kTypeVt100);
    FakeScript script;
    script.wanted = "LOGIN:";
    t.session.script = &script;
    t.Interpret("Welcome\r\nlogin");
    EXPECT_EQ(script.satisfied, 0);
    t.Interpret(":");
    EXPECT_EQ(script.satisfied, 1);
    EXPECT_FALSE(script.pending);
    t.Interpret(" login:");
    EXPECT_EQ(script.satisfied, 1) << "no wait pending any more";
}

TEST(CarrierLoss, ReportedOnceAndTheBurstIsStillShown) {
    TestSession t(kTypeTty);
    CountingDisconnector hangup;
    t.session.disconnector = &hangup;
    t.fake.SetCarrier(true);
    EXPECT_EQ(t.Drain("up"), 0);
    EXPECT_EQ(t.port.CarrierSeen, 1);

    t.fake.SetCarrier(false);
    t.fake.QueueInput("last words");
    EXPECT_EQ(PumpOnce(t.session), kCarrierLost);
    EXPECT_EQ(hangup.immediate, 1);
    EXPECT_EQ(t.Row(0), "uplast words");
    EXPECT_EQ(t.port.PortOpen, 0);
    EXPECT_EQ(t.port.CarrierSeen, 0);

    EXPECT_EQ(PumpOnce(t.session), 0);
    EXPECT_EQ(hangup.immediate, 1);
}

TEST(Transmit, EchoAndOutboundLineEnds) {
    struct Case {
        bool echo, crlf, transfer;
        int protocol;
        const char* sent;
        const char* shown;
    } cases[] = {
        {true, false, false, kProtoZmodem, "hi\r", "hi"},
        {false, true, false, kProtoZmodem, "hi\r\n", ""},
        {false, true, true, kProtoZmodem, "hi\r", ""},   // a binary transfer owns the line
        {false, true, true, kProtoAscii, "hi\r\n", ""},
        {true, true, true, kProtoAscii, "hi\r\n", ""},   // no echo during a transfer
    };
    for (const Case& c : cases) {
        TestSession t(kTypeTty);
        t.service.LocalEcho = c.echo;
        t.service.OutboundCrLf = c.crlf;
        t.service.Protocol = static_cast<int16_t>(c.protocol);
        t.pump.TransferActive = c.transfer;
        TransmitBytes(t.session, reinterpret_cast<const uint8_t*>("hi\r"), 3);
        EXPECT_EQ(t.fake.WrittenText(), c.sent);
        EXPECT_EQ(t.Row(0), c.shown);
    }
}

}  // namespace
}  // namespace palvex
