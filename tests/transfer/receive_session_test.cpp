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

using testing::BlockZero;
using testing::Bytes;
using testing::Check;
using testing::Frame;
using testing::TransferRig;

const std::string kEot = Bytes({0x04});

// Plays an X/YMODEM sender on the fake line. Each frame says what makes the
// sender send it: the receiver's start byte ("C", "G" or, for the checksum
// variant, NAK), the ACK of the frame before, or nothing (it streams right
// after the one before). A NAK repeats what was sent last.
class ScriptedSender {
public:
    enum Trigger { kStart, kAck, kFollow };
    struct Out {
        std::string bytes;
        Trigger trigger;
    };

    explicit ScriptedSender(TransferRig& rig) : rig_(rig) {
        rig.fake.onWrite = [this](FakePort&, const uint8_t* bytes, int count) {
            for (int i = 0; i < count; ++i) Hear(bytes[i]);
        };
    }
    void Add(std::string bytes, Trigger trigger) { script_.push_back({std::move(bytes), trigger}); }
    // The first time frame `index` goes out, byte `at` is damaged.
    void CorruptOnce(std::size_t index, std::size_t at) { corrupt_.push_back({index, at}); }
    bool Finished() const { return next_ >= script_.size(); }
    int naks = 0;
    std::string heard;

private:
    void Hear(uint8_t b) {
        heard.push_back(static_cast<char>(b));
        if (b == kNAK && lastSent_ >= 0) {
            ++naks;
            SendFrom(static_cast<std::size_t>(lastSent_));
            return;
        }
        if (b == kACK) {
            if (awaitingAck_) {
                awaitingAck_ = false;
                if (next_ < script_.size() && script_[next_].trigger == kAck) SendFrom(next_);
            }
            return;
        }
        if ((b == 'C' || b == 'G' || b == kNAK) && next_ < script_.size() && script_[next_].trigger == kStart) {
            SendFrom(next_);
        }
    }
    void SendFrom(std::size_t index) {
        lastSent_ = static_cast<int>(index);
        std::size_t i = index;
        do {
            std::string bytes = script_[i].bytes;
            for (auto& c : corrupt_) {
                if (c.first == i) {
                    bytes[c.second] = static_cast<char>(bytes[c.second] ^ 0x20);
                    c.first = static_cast<std::size_t>(-1);
                }
            }
            rig_.fake.QueueInput(bytes);
            ++i;
        } while (i < script_.size() && script_[i].trigger == kFollow);
        next_ = std::max(next_, i);
        awaitingAck_ = true;
    }

    TransferRig& rig_;
    std::vector<Out> script_;
    std::vector<std::pair<std::size_t, std::size_t>> corrupt_;
    std::size_t next_ = 0;
    int lastSent_ = -1;
    bool awaitingAck_ = false;
};

std::string Pad(const std::string& data, std::size_t block) {
    std::string padded = data;
    padded.resize((data.size() + block - 1) / block * block, '\x1A');
    return padded;
}

// The blocks of one file, numbered from 1.
void AddFileBlocks(ScriptedSender& sender, const std::string& data, std::size_t block, Check check,
                   ScriptedSender::Trigger first, ScriptedSender::Trigger rest) {
    uint8_t number = 1;
    for (std::size_t at = 0; at < data.size(); at += block, ++number) {
        sender.Add(Frame(block == 1024 ? 0x02 : 0x01, number, data.substr(at, block), check),
                   at == 0 ? first : rest);
    }
}

std::string Pattern(std::size_t size, int seed) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 31 + static_cast<std::size_t>(seed)) & 0xFF);
    return s;
}

TEST(ReceiveCommand, Preparation) {
    struct Case {
        const char* what;
        int protocol;
        int active;
        uint16_t kermitSize;
        bool opens;
        std::size_t kermitBuffer;
    } cases[] = {
        {"XMODEM", kProtoXmodemCrc, 0, 0, true, 0},
        {"ZMODEM idle", kProtoZmodem, 0, 0, true, 0},
        {"ZMODEM already running", kProtoZmodem, 1, 0, false, 0},
        {"Kermit default size", kProtoKermit, 0, 0, true, 1044},
        {"Kermit 90", kProtoKermit, 0, 90, true, 110},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.t.TransferActive() = c.active;
        rig.service.KermitPacketSize = c.kermitSize;
        const std::size_t appliedBefore = rig.fake.states.size();
        EXPECT_EQ(PrepareReceive(rig.t), c.opens);
        EXPECT_EQ(rig.state.KermitBuffer.size(), c.kermitBuffer);
        if (c.opens) {
            ASSERT_GT(rig.fake.states.size(), appliedBefore);
            EXPECT_EQ(rig.fake.states.back().fInX, 1u);
            EXPECT_EQ(rig.fake.states.back().fOutX, 0u);
        } else {
            EXPECT_EQ(rig.fake.states.size(), appliedBefore);
        }
    }
}

TEST(ReceiveStart, StartByteFieldsAndTimer) {
    struct Case {
        int protocol;
        std::string startByte;
        uint8_t expected;
        bool choosesFile;
    } cases[] = {
        {kProtoXmodemChecksum, Bytes({0x15}), 1, true}, {kProtoXmodemCrc, "C", 1, true},
        {kProtoXmodem1k, "C", 1, true},                 {kProtoYmodemBatch, "C", 0, false},
        {kProtoYmodemG, "G", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        TransferRig rig(c.protocol);
        rig.host.receivePath = rig.dir.File("chosen.gif");
        rig.service.MaxErrors = 0;
        rig.service.RealtimeView = 1;
        testing::WriteFile(rig.host.receivePath, "stale");
        rig.state.TransferCancelled = 1;  // left from the last transfer
        rig.state.BytesDone = 99;

        ReceiveInit(rig.t);
        EXPECT_EQ(rig.Written(), c.startByte);
        EXPECT_EQ(rig.state.ExpectedBlock, c.expected);
        EXPECT_EQ(rig.state.TransferCancelled, 0);
        EXPECT_EQ(rig.state.BytesDone, 0);
        EXPECT_EQ(rig.service.MaxErrors, 5);
        EXPECT_EQ(rig.t.TransferActive(), 1);
        EXPECT_FALSE(rig.host.mainEnabled);
        EXPECT_TRUE(rig.host.TimerRunning(kTimerReceiveIdle));
        EXPECT_EQ(rig.host.starts, 1);
        EXPECT_EQ(rig.host.Field(dlg::kXfrProtocol), ProtocolName(c.protocol));
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Waiting...");
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), "None");
        EXPECT_EQ(rig.host.Field(dlg::kXfrTotalErrors), "0");
        if (c.choosesFile) {
            EXPECT_EQ(rig.state.ReceivePath, rig.host.receivePath);
            EXPECT_EQ(std::filesystem::file_size(rig.host.receivePath), 0u) << "the chosen file starts empty";
            EXPECT_EQ(rig.host.Field(dlg::kXfrFileName), "chosen.gif");
            EXPECT_EQ(rig.host.Field(dlg::kXfrFileSize), "Unknown");
            EXPECT_EQ(rig.state.ViewerWanted, 1);
        } else {
            EXPECT_EQ(rig.state.ViewerWanted, 0);
            EXPECT_EQ(testing::ReadFile(rig.host.receivePath), "stale");
        }
    }
}

TEST(ReceiveStart, CancelledFileChoiceClosesTheDialog) {
    TransferRig rig(kProtoXmodemCrc);
    rig.host.receivePath.clear();
    ReceiveInit(rig.t);
    EXPECT_EQ(rig.host.messages, std::vector<int>{str::kStrFileOpenError});
    EXPECT_EQ(rig.host.cancels, 1);
    EXPECT_EQ(rig.host.starts, 0);
    EXPECT_EQ(rig.t.TransferActive(), 0);
    EXPECT_EQ(rig.Written(), "");
    // The posted Cancel finds nothing running: it closes at once.
    EXPECT_TRUE(ReceiveButton(rig.t));
}

TEST(ReceiveFileChoice, CreatesTheFileOrReportsFailure) {
    struct Case {
        const char* what;
        std::string chosen;  // relative to the rig's folder; "" cancels
        int result;
        bool message;
    } cases[] = {
        {"new file", "new.bin", 0, false},
        {"existing file is emptied", "old.bin", 0, false},
        {"cancelled", "", -1, true},
        {"missing folder", "no/such/place.bin", -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig;
        testing::WriteFile(rig.dir.File("old.bin"), "old contents");
        rig.host.receivePath = c.chosen.empty() ? "" : rig.dir.File(c.chosen);
        EXPECT_EQ(ChooseReceiveFile(rig.t), c.result);
        EXPECT_EQ(rig.host.messages.size(), c.message ? 1u : 0u);
        if (c.result == 0) {
            EXPECT_EQ(rig.state.ReceivePath, rig.host.receivePath);
            EXPECT_EQ(std::filesystem::file_size(rig.host.receivePath), 0u);
        } else {
            EXPECT_EQ(rig.state.ReceivePath, "");
        }
    }
}

struct RunResult {
    int result;
    std::string status;
};

RunResult ReceiveWhole(TransferRig& rig) {
    ReceiveInit(rig.t);
    const int result = ReceiveRun(rig.t);
    return {result, rig.host.Field(dlg::kXfrStatus)};
}

TEST(ReceiveRun, WholeTransfers) {
    const std::string small = Pattern(300, 1);
    const std::string big = Pattern(2500, 2);
    struct Case {
        const char* what;
        int protocol;
    } cases[] = {
        {"XMODEM/CHECKSUM", kProtoXmodemChecksum}, {"XMODEM/CRC", kProtoXmodemCrc},
        {"XMODEM/1K", kProtoXmodem1k},             {"YMODEM BATCH", kProtoYmodemBatch},
        {"YMODEM G", kProtoYmodemG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.host.receivePath = rig.dir.File("x.bin");
        ScriptedSender sender(rig);
        std::vector<std::pair<std::string, std::string>> expectFiles;
        using T = ScriptedSender;
        switch (c.protocol) {
            case kProtoXmodemChecksum:
            case kProtoXmodemCrc: {
                const Check check = c.protocol == kProtoXmodemChecksum ? Check::Sum : Check::Crc;
                AddFileBlocks(sender, big, 128, check, T::kStart, T::kAck);
                sender.Add(kEot, T::kAck);
                expectFiles.push_back({"x.bin", Pad(big, 128)});
                break;
            }
            case kProtoXmodem1k:
                AddFileBlocks(sender, big, 1024, Check::Crc, T::kStart, T::kAck);
                sender.Add(kEot, T::kAck);
                expectFiles.push_back({"x.bin", Pad(big, 1024)});
                break;
            case kProtoYmodemBatch:
                sender.Add(BlockZero("small.txt", "300 0 0"), T::kStart);
                AddFileBlocks(sender, small, 128, Check::Crc, T::kStart, T::kAck);
                sender.Add(kEot, T::kAck);
                sender.Add(BlockZero("big.bin", "2500"), T::kStart);
                AddFileBlocks(sender, big, 1024, Check::Crc, T::kStart, T::kAck);
                sender.Add(kEot, T::kAck);
                sender.Add(BlockZero(""), T::kStart);
                expectFiles.push_back({"small.txt", Pad(small, 128)});
                expectFiles.push_back({"big.bin", Pad(big, 1024)});
                break;
            case kProtoYmodemG:
                sender.Add(BlockZero("small.txt", "300"), T::kStart);
                AddFileBlocks(sender, small, 128, Check::Crc, T::kStart, T::kFollow);
                sender.Add(kEot, T::kFollow);
                sender.Add(BlockZero("big.bin", "2500"), T::kStart);
                AddFileBlocks(sender, big, 1024, Check::Crc, T::kStart, T::kFollow);
                sender.Add(kEot, T::kFollow);
                sender.Add(BlockZero(""), T::kStart);
                expectFiles.push_back({"small.txt", Pad(small, 128)});
                expectFiles.push_back({"big.bin", Pad(big, 1024)});
                break;
        }

        const RunResult r = ReceiveWhole(rig);
        EXPECT_EQ(r.result, kXfrComplete);
        EXPECT_EQ(r.status, "Done");
        EXPECT_TRUE(sender.Finished());
        EXPECT_EQ(sender.naks, 0);
        for (const auto& [name, contents] : expectFiles) EXPECT_EQ(testing::ReadFile(rig.dir.File(name)), contents) << name;
        EXPECT_EQ(rig.host.Field(dlg::kXfrButton), "OK");
        EXPECT_EQ(rig.host.beeps, 1);
        EXPECT_EQ(rig.t.TransferActive(), 0);
        EXPECT_FALSE(rig.host.TimerRunning(kTimerReceiveIdle));
        EXPECT_EQ(rig.host.hangUps, 0);
        EXPECT_EQ(rig.state.BytesDone, 0);
        if (c.protocol == kProtoYmodemG) {
            // Only the two EOTs and the closing block 0 are acknowledged.
            EXPECT_EQ(std::count(sender.heard.begin(), sender.heard.end(), static_cast<char>(kACK)), 3);
        }
    }
}

TEST(ReceiveRun, DamagedBlocksAreRetriedAndTheFileIsWhole) {
    struct Case {
        const char* what;
        int protocol;
        std::size_t frame;  // which frame of the script is damaged once
        std::size_t at;
    } cases[] = {
        {"XMODEM/CRC data", kProtoXmodemCrc, 1, 50},
        {"XMODEM/CRC number", kProtoXmodemCrc, 0, 1},
        {"XMODEM/1K crc", kProtoXmodem1k, 1, 1027},
        {"YMODEM block 0", kProtoYmodemBatch, 0, 20},
        {"YMODEM data", kProtoYmodemBatch, 2, 600},
    };
    const std::string data = Pattern(3000, 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.host.receivePath = rig.dir.File("x.bin");
        ScriptedSender sender(rig);
        using T = ScriptedSender;
        const std::size_t block = c.protocol == kProtoXmodemCrc ? 128 : 1024;
        std::string name = "x.bin";
        if (c.protocol == kProtoYmodemBatch) {
            name = "y.bin";
            sender.Add(BlockZero(name, "3000"), T::kStart);
        }
        AddFileBlocks(sender, data, block, Check::Crc, T::kStart, T::kAck);
        sender.Add(kEot, T::kAck);
        if (c.protocol == kProtoYmodemBatch) sender.Add(BlockZero(""), T::kStart);
        sender.CorruptOnce(c.frame, c.at);
        rig.host.recordHistory = true;

        const RunResult r = ReceiveWhole(rig);
        EXPECT_EQ(r.status, "Done");
        EXPECT_EQ(sender.naks, 1);
        EXPECT_EQ(testing::ReadFile(rig.dir.File(name)), Pad(data, block));
        bool retried = false;
        for (const auto& [control, text] : rig.host.fieldHistory) retried |= control == dlg::kXfrStatus && text == "Retrying";
        EXPECT_TRUE(retried);
    }
}

TEST(ReceiveRun, SenderThatNeverAnswersEndsAfterTheLimit) {
    TransferRig rig(kProtoYmodemBatch);
    rig.service.MaxErrors = 3;
    const RunResult r = ReceiveWhole(rig);
    EXPECT_EQ(r.result, kXfrMaxErrors);
    EXPECT_EQ(r.status, "Transfer terminated");
    EXPECT_EQ(rig.host.Field(dlg::kXfrError), "timeout");
    EXPECT_EQ(rig.Written(), "C" + Bytes({0x15, 0x15, 0x15, 0x18, 0x18, 0x18}));
}

TEST(ReceiveRun, StreamingSenderGarbageEndsWithoutHanging) {
    // A sender that pours out bytes no receiver asked for (noise, the wrong
    // protocol) may not hold the loop: the errors count up and end it.
    for (int protocol : {kProtoXmodemChecksum, kProtoXmodemCrc, kProtoXmodem1k, kProtoYmodemBatch}) {
        SCOPED_TRACE(protocol);
        TransferRig rig(protocol);
        rig.host.receivePath = rig.dir.File("x.bin");
        int pours = 0;
        rig.fake.onWrite = [&](FakePort& f, const uint8_t*, int) {
            if (++pours < 50) f.QueueInput(std::string(3000, '\x01'));
        };
        // Should the loop ever stop ending by itself, this turns the hang into
        // a failure: the user gives up after a million rounds.
        int rounds = 0;
        rig.host.onPump = [&] {
            if (++rounds == 1000000) rig.state.TransferCancelled = 1;
            return false;
        };
        const RunResult r = ReceiveWhole(rig);
        EXPECT_EQ(r.status, "Transfer terminated");
        EXPECT_EQ(r.result, -1);
    }
}

TEST(ReceiveRun, ProtocolsNotBuiltEndAtOnce) {
    for (int protocol : {kProtoAscii, kProtoZmodem, kProtoKermit}) {
        SCOPED_TRACE(protocol);
        TransferRig rig(protocol);
        const RunResult r = ReceiveWhole(rig);
        EXPECT_EQ(r.status, "Transfer terminated");
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), "not available yet");
        EXPECT_EQ(rig.host.Field(dlg::kXfrButton), "OK");
        EXPECT_EQ(rig.Written(), "");
        EXPECT_TRUE(rig.host.messages.empty());
        EXPECT_EQ(rig.t.TransferActive(), 0);
        EXPECT_TRUE(ReceiveButton(rig.t));
    }
}

TEST(ReceiveRun, CarrierLossHangsUp) {
    TransferRig rig(kProtoXmodemCrc);
    rig.host.receivePath = rig.dir.File("x.bin");
    ScriptedSender sender(rig);
    sender.Add(Frame(0x01, 1, "first"), ScriptedSender::kStart);
    // The modem's own words when the line drops, then silence.
    sender.Add("\r\nNO CARRIER\r\n", ScriptedSender::kAck);
    rig.fake.onEmptyRead = [&](FakePort&) {
        if (sender.Finished()) rig.LoseCarrier();
    };
    const RunResult r = ReceiveWhole(rig);
    EXPECT_EQ(r.result, kCarrierLost);
    EXPECT_EQ(r.status, "Transfer terminated");
    EXPECT_EQ(rig.host.Field(dlg::kXfrError), "Lost Connection");
    EXPECT_EQ(rig.host.hangUps, 1);
}

TEST(ReceiveButton, FirstPressCancelsSecondCloses) {
    struct Case {
        int protocol;
        std::string cancelBytes;
        bool showsEnd;
    } cases[] = {
        {kProtoXmodemChecksum, Bytes({0x18, 0x18, 0x18}), true},
        {kProtoYmodemG, Bytes({0x18, 0x18, 0x18}), true},
        {kProtoZmodem, "", false},
        {kProtoAscii, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        TransferRig rig(c.protocol);
        rig.t.TransferActive() = 1;
        rig.state.ViewerActive = 1;
        rig.host.StartTimer(kTimerReceiveIdle, kReceiveIdleMs);
        EXPECT_FALSE(ReceiveButton(rig.t));
        EXPECT_EQ(rig.state.TransferCancelled, 1);
        EXPECT_FALSE(rig.host.TimerRunning(kTimerReceiveIdle));
        EXPECT_EQ(rig.Written(), c.cancelBytes);
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), c.showsEnd ? "user cancelled" : "");
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), c.showsEnd ? "Error" : "");
        EXPECT_EQ(rig.host.Field(dlg::kXfrButton), c.showsEnd ? "OK" : "");
        EXPECT_EQ(rig.state.ViewerActive, c.showsEnd ? 0 : 1);
        if (c.showsEnd) {
            ASSERT_FALSE(rig.fake.purges.empty());
            EXPECT_EQ(rig.fake.purges.back(), kPurgeTxAbort | kPurgeTxClear);
        }
        EXPECT_TRUE(ReceiveButton(rig.t));
        EXPECT_EQ(rig.Written(), c.cancelBytes) << "the second press sends nothing";
    }
    // With the line gone there is nothing to cancel: the press closes.
    TransferRig rig;
    rig.t.TransferActive() = 1;
    rig.fake.Close();
    EXPECT_TRUE(ReceiveButton(rig.t));
}

TEST(ReceiveButton, CancelDuringAnXmodemReceive) {
    TransferRig rig(kProtoXmodemCrc);
    rig.host.receivePath = rig.dir.File("x.bin");
    rig.host.recordHistory = true;
    ScriptedSender sender(rig);
    AddFileBlocks(sender, Pattern(1000, 3), 128, Check::Crc, ScriptedSender::kStart, ScriptedSender::kAck);
    // The user presses Cancel once the second block is in.
    bool pressed = false;
    rig.host.onPump = [&] {
        if (!pressed && rig.state.ExpectedBlock == 3) {
            pressed = true;
            EXPECT_FALSE(ReceiveButton(rig.t));
            return true;
        }
        return false;
    };
    const RunResult r = ReceiveWhole(rig);
    EXPECT_EQ(r.result, kXfrUserCancelled);
    const std::string heard = sender.heard;
    EXPECT_EQ(heard.substr(heard.size() - 3), Bytes({0x18, 0x18, 0x18}));
    bool shown = false;
    for (const auto& [control, text] : rig.host.fieldHistory) shown |= control == dlg::kXfrStatus && text == "user cancelled";
    EXPECT_TRUE(shown);
    EXPECT_EQ(rig.host.Field(dlg::kXfrError), "Error");
    EXPECT_EQ(rig.host.Field(dlg::kXfrButton), "OK");
    EXPECT_EQ(std::filesystem::file_size(rig.dir.File("x.bin")), 256u);
    EXPECT_TRUE(ReceiveButton(rig.t));
}

TEST(ReceiveClose, PutsTheLineBack) {
    struct Case {
        int protocol;
        int flow;
        uint8_t byteSize;  // after the close, on a 7-bit service
        uint32_t software;
    } cases[] = {
        {kProtoXmodemCrc, 0, 7, 0}, {kProtoXmodemCrc, 1, 7, 0}, {kProtoYmodemBatch, 2, 7, 1},
        {kProtoYmodemG, 3, 7, 1},   {kProtoAscii, 2, 7, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol * 10 + c.flow);
        TransferRig rig(c.protocol);
        rig.service.DataBitsIndex = 1;
        rig.service.Parity = kEvenParity;
        rig.service.FlowControl = static_cast<int16_t>(c.flow);
        BuildPortDcb(rig.port, rig.service);
        ApplyPortDcb(rig.port);
        rig.host.receivePath = rig.dir.File("x.bin");
        ReceiveInit(rig.t);
        if (c.protocol != kProtoAscii) {
            EXPECT_EQ(rig.fake.deviceState.ByteSize, 8) << "binary framing for the transfer";
        }
        rig.state.ViewerActive = 1;
        ReceiveClose(rig.t);
        EXPECT_EQ(rig.fake.deviceState.ByteSize, c.byteSize);
        EXPECT_EQ(rig.fake.deviceState.fInX, c.software);
        EXPECT_EQ(rig.fake.deviceState.fOutX, c.software);
        EXPECT_TRUE(rig.host.mainEnabled);
        EXPECT_EQ(rig.t.TransferActive(), 0);
        EXPECT_EQ(rig.host.viewerLog, std::vector<std::string>{"close"});
    }
}

}  // namespace
}  // namespace palvex
