// The receive dialog's life without a window: the Receive command, the start,
// whole transfers against a scripted sender, the Cancel/OK button and the
// close that puts the line back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "transfer/framework.h"
#include "transfer/transfer_session.h"
#include "transfer_fixture.h"

namespace palvex {
namespace {

using testing::BlockZero;
using testing::Bytes;
using testing::Check;
using testing::Frame;
using testing::TransferRig;

const std::string kEot = Bytes({kEOT});
const std::string kCan3 = Bytes({kCAN, kCAN, kCAN});

// An X/YMODEM sender played on the fake line. Each frame goes out on the
// receiver's start byte ("C", "G", or NAK before anything was sent), on the
// ACK of the frame before, or right after the frame before (streaming). A
// NAK repeats what went out last.
class ScriptedSender {
public:
    enum Trigger { kStart, kAck, kFollow };

    explicit ScriptedSender(TransferRig& rig) : rig_(rig) {
        rig.fake.onWrite = [this](FakePort&, const uint8_t* bytes, int count) {
            for (int i = 0; i < count; ++i) Hear(bytes[i]);
        };
    }
    void Add(std::string bytes, Trigger trigger) { script_.push_back({std::move(bytes), trigger}); }
    // Blocks numbered from 1; the first waits for `first`, the rest for `rest`.
    void AddFile(const std::string& data, std::size_t block, Check check, Trigger first, Trigger rest) {
        uint8_t number = 1;
        for (std::size_t at = 0; at < data.size(); at += block, ++number)
            Add(Frame(block == 1024 ? kSTX : kSOH, number, data.substr(at, block), check), at == 0 ? first : rest);
    }
    bool Finished() const { return next_ >= script_.size(); }
    std::size_t damaged = SIZE_MAX;  // this frame goes out damaged the first time
    int naks = 0;
    std::string heard;

private:
    void Hear(uint8_t b) {
        heard.push_back(static_cast<char>(b));
        const bool startWaits = next_ < script_.size() && script_[next_].second == kStart;
        if (b == kNAK && last_ != SIZE_MAX) {
            // The receiver refuses a first EOT by design; only other NAKs are retries.
            if (script_[last_].first != kEot) ++naks;
            SendFrom(last_);
        } else if (b == kACK && next_ < script_.size() && script_[next_].second == kAck) {
            SendFrom(next_);
        } else if ((b == 'C' || b == 'G' || b == kNAK) && startWaits) {
            SendFrom(next_);
        }
    }
    void SendFrom(std::size_t index) {
        last_ = index;
        do {
            std::string bytes = script_[index].first;
            if (index == damaged) {
                bytes[bytes.size() / 2] ^= 0x20;
                damaged = SIZE_MAX;
            }
            rig_.fake.QueueInput(bytes);
        } while (++index < script_.size() && script_[index].second == kFollow);
        next_ = std::max(next_, index);
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

std::string Padded(std::string data, std::size_t block) {
    data.resize((data.size() + block - 1) / block * block, '\x1A');
    return data;
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

TEST(ReceiveRun, WholeTransfersWithAndWithoutDamage) {
    const std::string small = Pattern(300, 1);
    const std::string big = Pattern(2500, 2);
    using T = ScriptedSender;
    struct Case { const char* what; int protocol; std::size_t damaged; } cases[] = {
        {"checksum", kProtoXmodemChecksum, SIZE_MAX}, {"1k", kProtoXmodem1k, 1},
        {"batch, block 0", kProtoYmodemBatch, 0},     {"G", kProtoYmodemG, SIZE_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.host.receivePath = rig.dir.File("x.bin");
        ScriptedSender sender(rig);
        std::vector<std::pair<std::string, std::string>> files;
        if (c.protocol <= kProtoXmodem1k) {
            const std::size_t block = c.protocol == kProtoXmodem1k ? 1024 : 128;
            sender.AddFile(big, block, c.protocol == kProtoXmodemChecksum ? Check::Sum : Check::Crc, T::kStart, T::kAck);
            sender.Add(kEot, T::kAck);
            files = {{"x.bin", Padded(big, block)}};
        } else {
            const T::Trigger flow = c.protocol == kProtoYmodemG ? T::kFollow : T::kAck;
            for (const auto& [name, data, block] :
                 {std::tuple{"small.txt", small, 128}, std::tuple{"big.bin", big, 1024}}) {
                sender.Add(BlockZero(name, std::to_string(data.size())), T::kStart);
                sender.AddFile(data, block, Check::Crc, T::kStart, flow);
                sender.Add(kEot, flow);
                files.push_back({name, Padded(data, block)});
            }
            sender.Add(BlockZero(""), T::kStart);
        }
        sender.damaged = c.damaged;
        rig.host.recordHistory = true;

        EXPECT_EQ(ReceiveWhole(rig), kXfrComplete);
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Done");
        EXPECT_TRUE(sender.Finished());
        EXPECT_EQ(sender.naks, c.damaged == SIZE_MAX ? 0 : 1);
        for (const auto& [name, contents] : files) EXPECT_EQ(testing::ReadFile(rig.dir.File(name)), contents) << name;
        EXPECT_EQ(rig.host.Field(dlg::kXfrButton), "OK");
        EXPECT_EQ(rig.host.beeps, 1);
        const bool retried = std::count(rig.host.fieldHistory.begin(), rig.host.fieldHistory.end(),
                                        std::make_pair(dlg::kXfrStatus, std::string("Retrying"))) > 0;
        EXPECT_EQ(retried, c.damaged != SIZE_MAX);
        if (c.protocol == kProtoYmodemG) {
            EXPECT_EQ(std::count(sender.heard.begin(), sender.heard.end(), static_cast<char>(kACK)), 3)
                << "only the two EOTs and the closing block 0 are acknowledged";
        }
    }
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
    struct Case {
        int protocol;
        bool showsEnd;  // X/YMODEM end here; ZMODEM and ASCII in their loops
    } cases[] = {{kProtoYmodemG, true}, {kProtoZmodem, false}};
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
    sender.AddFile(Pattern(1000, 3), 128, Check::Crc, ScriptedSender::kStart, ScriptedSender::kAck);
    rig.host.onPump = [&] { return rig.state.ExpectedBlock == 3 && !rig.state.TransferCancelled && !ReceiveButton(rig.t); };
    EXPECT_EQ(ReceiveWhole(rig), kXfrUserCancelled);
    EXPECT_EQ(sender.heard.substr(sender.heard.size() - 3), kCan3);
    EXPECT_EQ(testing::ReadFile(rig.dir.File("x.bin")).size(), 256u);
    EXPECT_TRUE(ReceiveButton(rig.t));
}

}  // namespace
}  // namespace palvex
