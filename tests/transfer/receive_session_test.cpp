// The receive dialog's life without a window: the Receive command, the start,
// whole transfers against a scripted sender, the Cancel/OK button and the
// close that puts the line back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "transfer/framework.h"
#include "transfer/transfer_session.h"
#include "transfer_fixture.h"

namespace palvex {
namespace {

using testing::Bytes;
using testing::Frame;
using testing::TransferRig;

const std::string kCan3 = Bytes({kCAN, kCAN, kCAN});

// An XMODEM sender played on the fake line: each frame goes out on the
// receiver's start byte ("C" or NAK before anything was sent) or on the ACK
// of the frame before; a NAK repeats what went out last.
class ScriptedSender {
public:
    enum Trigger { kStart, kAck };

    explicit ScriptedSender(TransferRig& rig) : rig_(rig) {
        rig.fake.onWrite = [this](FakePort&, const uint8_t* bytes, int count) {
            for (int i = 0; i < count; ++i) Hear(bytes[i]);
        };
    }
    void Add(std::string bytes, Trigger trigger) { script_.push_back({std::move(bytes), trigger}); }
    void AddFile(const std::string& data, Trigger first) {
        uint8_t number = 1;
        for (std::size_t at = 0; at < data.size(); at += 128, ++number)
            Add(Frame(kSOH, number, data.substr(at, 128)), at == 0 ? first : kAck);
    }
    bool Finished() const { return next_ >= script_.size(); }
    std::string heard;

private:
    void Hear(uint8_t b) {
        heard.push_back(static_cast<char>(b));
        const bool more = next_ < script_.size();
        if (b == kNAK && last_ != SIZE_MAX) Send(last_);
        else if (more && ((b == kACK && script_[next_].second == kAck) ||
                          ((b == 'C' || b == kNAK) && script_[next_].second == kStart)))
            Send(next_);
    }
    void Send(std::size_t index) {
        last_ = index;
        rig_.fake.QueueInput(script_[index].first);
        next_ = std::max(next_, index + 1);
    }

    TransferRig& rig_;
    std::vector<std::pair<std::string, Trigger>> script_;
    std::size_t next_ = 0;
    std::size_t last_ = SIZE_MAX;
};

std::string Pattern(std::size_t size, int seed) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(i * 31 + static_cast<std::size_t>(seed));
    return s;
}

int ReceiveWhole(TransferRig& rig) {
    ReceiveInit(rig.t);
    return ReceiveRun(rig.t);
}

TEST(ReceiveCommand, PreparationAndStart) {
    struct Case { int protocol; int zmodemActive; bool opens; std::string startByte; uint8_t expected; } cases[] = {
        {kProtoXmodemChecksum, 0, true, Bytes({kNAK}), 1},
        {kProtoYmodemG, 0, true, "G", 0},
        {kProtoZmodem, 1, false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        TransferRig rig(c.protocol);
        rig.t.TransferActive() = c.zmodemActive;
        rig.host.receivePath = rig.dir.File("chosen.gif");
        rig.service.RealtimeView = 1;
        rig.service.MaxErrors = 0;
        rig.state.TransferCancelled = 1;  // left from the last transfer
        ASSERT_EQ(PrepareReceive(rig.t), c.opens);
        if (!c.opens) continue;
        EXPECT_EQ(rig.fake.deviceState.fInX, 1u);
        EXPECT_EQ(rig.fake.deviceState.fOutX, 0u);

        ReceiveInit(rig.t);
        EXPECT_EQ(rig.Written(), c.startByte);
        EXPECT_EQ(rig.state.ExpectedBlock, c.expected);
        EXPECT_EQ(rig.state.TransferCancelled, 0);
        EXPECT_EQ(rig.service.MaxErrors, 5);
        EXPECT_FALSE(rig.host.mainEnabled);
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Waiting...");
        const bool xmodem = c.expected == 1;
        EXPECT_TRUE(rig.host.TimerRunning(kTimerReceiveIdle));
        EXPECT_EQ(rig.state.ReceivePath, xmodem ? rig.host.receivePath : "");
        EXPECT_EQ(std::filesystem::exists(rig.host.receivePath), xmodem) << "the chosen file is created empty";
        EXPECT_EQ(rig.host.Field(dlg::kXfrFileName), xmodem ? "chosen.gif" : "");
        EXPECT_EQ(rig.state.ViewerWanted, xmodem ? 1 : 0);
    }

    // Cancelling the save choice shows "File open error" and closes the dialog.
    TransferRig rig(kProtoXmodemCrc);
    ReceiveInit(rig.t);
    EXPECT_EQ(rig.host.messages, std::vector<int>{str::kStrFileOpenError});
    EXPECT_EQ(rig.host.cancels, 1);
    EXPECT_EQ(rig.Written(), "");
    EXPECT_TRUE(ReceiveButton(rig.t)) << "the posted Cancel finds nothing running";
    rig.host.receivePath = rig.dir.File("no/such/folder.bin");
    EXPECT_EQ(ChooseReceiveFile(rig.t), -1);
}

TEST(ReceiveRun, UnfinishedEnds) {
    struct Case { const char* what; int protocol; int result; const char* error; int hangUps; } cases[] = {
        {"ASCII", kProtoAscii, kXfrProtocolError, "not available yet", 0},
        {"carrier lost", kProtoXmodemCrc, kCarrierLost, "Lost Connection", 1},
        {"garbage pours in", kProtoXmodem1k, -1, "bad packet", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.host.receivePath = rig.dir.File("x.bin");
        ScriptedSender sender(rig);
        if (c.result == kCarrierLost) {
            sender.Add(Frame(kSOH, 1, "first"), ScriptedSender::kStart);
            sender.Add("\r\nNO CARRIER\r\n", ScriptedSender::kAck);  // the modem's words, then silence
            rig.fake.onEmptyRead = [&](FakePort&) {
                if (sender.Finished()) rig.LoseCarrier();
            };
        } else if (c.result == -1) {
            // Whatever the receiver says, 3000 header bytes answer it: the
            // loop must end by its error count, not hang on a busy line.
            rig.fake.onWrite = [](FakePort& f, const uint8_t*, int) { f.QueueInput(std::string(3000, '\x01')); };
        }
        int rounds = 0;
        rig.host.onPump = [&] {
            if (++rounds == 1000000) rig.state.TransferCancelled = 1;  // turns a hang into a failure
            return false;
        };
        EXPECT_EQ(ReceiveWhole(rig), c.result);
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Transfer terminated");
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), c.error);
        EXPECT_EQ(rig.host.hangUps, c.hangUps);
        EXPECT_EQ(rig.t.TransferActive(), 0);
    }
}

TEST(ReceiveButton, FirstPressCancelsSecondCloses) {
    // showsEnd: X/YMODEM end here; ZMODEM and ASCII in their loops
    struct Case { int protocol; bool showsEnd; } cases[] = {{kProtoYmodemG, true}, {kProtoZmodem, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        TransferRig rig(c.protocol);
        rig.t.TransferActive() = 1;
        rig.state.ViewerActive = 1;
        rig.host.StartTimer(kTimerReceiveIdle, kReceiveIdleMs);
        EXPECT_FALSE(ReceiveButton(rig.t));
        EXPECT_EQ(rig.state.TransferCancelled, 1);
        EXPECT_FALSE(rig.host.TimerRunning(kTimerReceiveIdle));
        EXPECT_EQ(rig.Written(), c.showsEnd ? kCan3 : "");
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), c.showsEnd ? "user cancelled" : "");
        EXPECT_EQ(rig.host.Field(dlg::kXfrButton), c.showsEnd ? "OK" : "");
        EXPECT_EQ(rig.state.ViewerActive, c.showsEnd ? 0 : 1);
        EXPECT_TRUE(ReceiveButton(rig.t));
        EXPECT_EQ(rig.Written(), c.showsEnd ? kCan3 : "") << "the second press only closes";
    }

    // Pressed in the middle of an XMODEM receive, once two blocks are in.
    TransferRig rig(kProtoXmodemCrc);
    rig.host.receivePath = rig.dir.File("x.bin");
    ScriptedSender sender(rig);
    sender.AddFile(Pattern(1000, 3), ScriptedSender::kStart);
    rig.host.onPump = [&] { return rig.state.ExpectedBlock == 3 && !rig.state.TransferCancelled && !ReceiveButton(rig.t); };
    EXPECT_EQ(ReceiveWhole(rig), kXfrUserCancelled);
    EXPECT_EQ(sender.heard.substr(sender.heard.size() - 3), kCan3);
    EXPECT_EQ(testing::ReadFile(rig.dir.File("x.bin")).size(), 256u);
    EXPECT_TRUE(ReceiveButton(rig.t));
}

}  // namespace
}  // namespace palvex
