// The X/YMODEM senders against a scripted receiver: the blocks they build,
// how they answer NAK, CAN and silence, YMODEM's block 0 and batches, the
// YMODEM-G stream, and the byte output that waits for a held line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "send_peer.h"
#include "shell/dialog_ids.h"
#include "transfer/framework.h"
#include "transfer/xymodem_send.h"
#include "transfer/zmodem_link.h"
#include "transfer_fixture.h"

namespace palvex {
namespace {

using testing::PeerFrame;
using testing::ScriptedReceiver;
using testing::TransferRig;

const std::string kAck(1, '\x06'), kNak(1, '\x15'), kCan(1, '\x18');

// Every byte value, in an order that is not a simple count.
std::string Content(std::size_t size) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return s;
}

std::string MakeFile(TransferRig& rig, const std::string& name, std::size_t size) {
    const std::string path = rig.dir.File(name);
    testing::WriteFile(path, Content(size));
    return path;
}

// Answers frame i with script[i]; "*" and frames past the script get the
// receiver's usual answer.
void Script(ScriptedReceiver& peer, std::vector<std::string> script) {
    peer.answer = [&peer, script](const PeerFrame& f, int i) {
        const std::size_t at = static_cast<std::size_t>(i);
        return at < script.size() && script[at] != "*" ? script[at] : peer.DefaultAnswer(f);
    };
}

bool FieldShown(const TransferRig& rig, int control, const std::string& text) {
    const auto& h = rig.host.fieldHistory;
    return std::find(h.begin(), h.end(), std::make_pair(control, text)) != h.end();
}

int SendXmodem(TransferRig& rig, const std::string& path, const std::string& start) {
    rig.state.ReceivePath = path;
    rig.host.recordHistory = true;
    rig.Feed(start);
    return XmodemSend(rig.t);
}

TEST(XmodemSend, TheReceiversStartByteChoosesTheCheckAndPaddingIsZero) {
    struct Case {
        int protocol;
        std::string start;
        bool crc;
        std::size_t size;
        std::size_t blocks;
        uint8_t header;
    } cases[] = {
        {kProtoXmodemCrc, kNak, false, 300, 3, 0x01},       // CRC asked for, checksum given
        {kProtoXmodemChecksum, "C", true, 300, 3, 0x01},    // and the other way round
        {kProtoXmodemCrc, "G", true, 300, 3, 0x01},
        {kProtoXmodem1k, kNak, false, 1025, 2, 0x02},      // STX with a one-byte checksum
        {kProtoXmodem1k, "C", true, 1024, 1, 0x02},
        {kProtoXmodemCrc, "C", true, 200, 2, 0x01},         // 72 file bytes and 56 zeros
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.protocol) + " " + c.start + " " + std::to_string(c.size));
        TransferRig rig(c.protocol);
        ScriptedReceiver peer(rig, ScriptedReceiver::Xmodem, c.crc);
        EXPECT_EQ(SendXmodem(rig, MakeFile(rig, "f.bin", c.size), c.start), 0);
        ASSERT_EQ(peer.frames.size(), c.blocks + 1);
        EXPECT_TRUE(peer.frames.back().IsEot());
        for (std::size_t i = 0; i < c.blocks; ++i) {
            EXPECT_EQ(peer.frames[i].Header(), c.header);
            EXPECT_EQ(peer.frames[i].Number(), i + 1);
        }
        EXPECT_TRUE(peer.ChecksGood());
        std::string expected = Content(c.size);
        expected.resize(c.blocks * (c.header == 0x02 ? 1024 : 128), '\0');
        EXPECT_EQ(peer.DataBlocks(), expected);
        EXPECT_EQ(peer.loose, "");
        EXPECT_EQ(peer.talkedOver, 0);
        EXPECT_EQ(rig.state.BytesDone, static_cast<int32_t>(c.size));
        EXPECT_EQ(rig.host.Field(dlg::kXfrBytes), std::to_string(c.size));
    }
}

TEST(XmodemSend, BlockNumbersWrapFrom255To0) {
    TransferRig rig(kProtoXmodemChecksum);
    ScriptedReceiver peer(rig, ScriptedReceiver::Xmodem, false);
    ASSERT_EQ(SendXmodem(rig, MakeFile(rig, "big.bin", 257 * 128 + 1), kNak), 0);
    ASSERT_EQ(peer.frames.size(), 259u);
    EXPECT_EQ(peer.frames[254].Number(), 255);
    EXPECT_EQ(peer.frames[255].Number(), 0);
    EXPECT_EQ(peer.frames[256].Number(), 1);
    EXPECT_TRUE(peer.ChecksGood());
    EXPECT_EQ(peer.DataBlocks().substr(0, 257 * 128 + 1), Content(257 * 128 + 1));
}

TEST(XmodemSend, NakCanAndTheErrorLimit) {
    // A 300-byte file: blocks 1, 2, 3 (frames 0..2), then EOT; MaxErrors 3.
    struct Case {
        const char* what;
        std::vector<std::string> script;
        int result;
        std::string frameKinds;  // 1..3 block numbers, E for EOT
        std::string loose;
    } cases[] = {
        {"NAKs up to the limit resend the same block", {kNak, kNak, kNak, kAck}, 0, "1111 23E", ""},
        {"the count starts again after each ACK", {kNak, kNak, kNak, kAck, kNak, kNak, kNak}, 0, "1111 2222 3E", ""},
        {"one NAK past the limit", {kNak, kNak, kNak, kNak}, kXfrMaxErrors, "1111", "\x18\x18"},
        {"a NAK of EOT repeats EOT", {kAck, kAck, kAck, kNak}, 0, "123EE", ""},
        {"C answering the first block asks for it again", {"C" + kAck}, 0, "1123E", ""},
        {"C before a later block's ACK is waited past", {kAck, "C" + kAck}, 0, "123E", ""},
        {"CAN ends the send", {kAck, kCan}, kXfrCancelReceived, "12", ""},
        {"noise is not an answer", {"x\r\n" + kAck}, 0, "123E", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(kProtoXmodemCrc);
        rig.service.MaxErrors = 3;
        ScriptedReceiver peer(rig, ScriptedReceiver::Xmodem, true);
        Script(peer, c.script);
        EXPECT_EQ(SendXmodem(rig, MakeFile(rig, "f.bin", 300), "C"), c.result);
        std::string kinds;
        for (const PeerFrame& f : peer.frames) kinds += f.IsEot() ? 'E' : static_cast<char>('0' + f.Number());
        std::string wanted = c.frameKinds;
        std::erase(wanted, ' ');
        EXPECT_EQ(kinds, wanted);
        EXPECT_EQ(peer.loose, c.loose);
        EXPECT_TRUE(peer.ChecksGood());
        if (c.result == 0) {
            EXPECT_EQ(peer.DataBlocks().substr(0, 300), Content(300)) << "a resend must not skip file bytes";
        }
        const bool retried = std::count(c.script.begin(), c.script.end(), kNak) > 0 || c.frameKinds == "1123E";
        EXPECT_EQ(FieldShown(rig, dlg::kXfrError, "NAK Received"), retried);
    }
}

TEST(XmodemSend, SilenceCancelAndCarrierLoss) {
    struct Case {
        const char* what;
        std::string start;
        int cancelAfterPumps;  // 0: never
        bool loseCarrier;
        int result;
        std::size_t frames;
    } cases[] = {
        {"no start byte for 60 s", "", 0, false, kXfrTimeout, 0},
        {"silence after block 1: the time-out ends the send", "C", 0, false, kXfrUserCancelled, 1},
        {"Cancel pressed", "C", 500, false, kXfrUserCancelled, 1},
        {"carrier lost", "C", 0, true, kXfrLostConnection, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(kProtoXmodemCrc);
        rig.t.TransferActive() = 1;
        ScriptedReceiver peer(rig, ScriptedReceiver::Xmodem, true);
        peer.answer = [&](const PeerFrame&, int) {
            if (c.loseCarrier) rig.LoseCarrier();
            return std::string();
        };
        int pumps = 0;
        rig.host.onPump = [&] {
            if (++pumps == c.cancelAfterPumps) rig.state.TransferCancelled = 1;
            return false;
        };
        EXPECT_EQ(SendXmodem(rig, MakeFile(rig, "f.bin", 300), c.start), c.result);
        EXPECT_EQ(peer.frames.size(), c.frames);
        const bool timedOut = c.cancelAfterPumps == 0 && !c.loseCarrier;
        if (timedOut) {
            EXPECT_GE(rig.loop.TickCount(), 60000u);
            EXPECT_EQ(rig.t.TransferActive(), 0);
        }
        EXPECT_EQ(FieldShown(rig, dlg::kXfrError, "timeout"), timedOut && c.frames > 0);
        EXPECT_FALSE(rig.host.TimerRunning(kTimerSendResponse));
    }
}

TEST(YmodemSend, BlockZeroNamesTheFileAndAnEmptyOneEndsTheBatch) {
    // info: what block 0 carries after the name's NUL
    struct Case { std::string name; std::size_t size; std::string info; } cases[] = {
        {"DATA.BIN", 5000, "5000"},
        {std::string(150, 'n'), 7, "7"},  // cut so that the size still fits
    };
    for (const Case& c : cases) {
        TransferRig rig(kProtoYmodemBatch);
        rig.host.recordHistory = true;
        ScriptedReceiver peer(rig, ScriptedReceiver::Ymodem, true);
        rig.Feed("C");
        ASSERT_EQ(YmodemBatchSend(rig.t, {MakeFile(rig, c.name, c.size)}), 0);

        std::string data = c.name.substr(0, 128 - 2 - c.info.size()) + '\0' + c.info + '\0';
        data.resize(128, '\0');
        EXPECT_EQ(peer.frames.front().bytes.substr(0, 3 + 128), std::string("\x01\x00\xff", 3) + data);
        EXPECT_EQ(rig.host.Field(dlg::kXfrFileName), c.name);
        EXPECT_EQ(rig.host.Field(dlg::kXfrFileSize), std::to_string(c.size));
        EXPECT_EQ(peer.frames.back().bytes, std::string("\x01\x00\xff", 3) + std::string(130, '\0'));
        EXPECT_TRUE(peer.ChecksGood());
    }
}

std::string FrameKinds(const ScriptedReceiver& peer) {
    std::string kinds;
    for (const PeerFrame& f : peer.frames) {
        if (f.IsEot()) kinds += 'E';
        else if (f.Header() == 0x01 && f.Number() == 0) kinds += f.Data()[0] ? 'Z' : 'z';
        else kinds += static_cast<char>('0' + f.Number());
    }
    return kinds;
}

TEST(YmodemSend, BatchesWithBothProtocols) {
    // kinds: Z block 0, z the end of the batch, digits data blocks, E EOT; loose: CANs sent
    struct Case {
        const char* what;
        ScriptedReceiver::Kind kind;
        std::vector<std::pair<std::string, std::size_t>> files;
        bool lazy;
        std::vector<std::string> script;
        int result;
        std::string kinds, loose;
    } cases[] = {
        {"two files, the empty one skipped", ScriptedReceiver::Ymodem, {{"a", 1500}, {"e", 0}, {"b", 10}}, false, {},
         0, "Z12EZ1Ez", ""},
        {"answers that come late", ScriptedReceiver::Ymodem, {{"a", 1500}, {"b", 10}}, true, {}, 0, "Z12EZ1Ez", ""},
        {"a missing file", ScriptedReceiver::Ymodem, {{"a", 10}, {"", 0}}, false, {}, kXfrFileOpenError, "Z1E", ""},
        {"NAK of block 0 and of EOT", ScriptedReceiver::Ymodem, {{"a", 10}}, false, {kNak, "*", "*", kNak}, 0,
         "ZZ1EEz", ""},
        {"C answering block 0 asks for it again", ScriptedReceiver::Ymodem, {{"a", 10}}, false, {"C"}, 0, "ZZ1Ez", ""},
        {"block 0 refused past the limit", ScriptedReceiver::Ymodem, {{"a", 10}}, false,
         {kNak, kNak, kNak, kNak, kNak, kNak}, kXfrMaxErrors, "ZZZZZZ", "\x18\x18"},
        {"CAN after block 0", ScriptedReceiver::Ymodem, {{"a", 10}}, false, {kCan}, kXfrCancelReceived, "Z", ""},
        {"streamed: stray bytes do not stop it", ScriptedReceiver::YmodemG, {{"a", 3000}}, false, {"G", "xy", "\x12\x12"},
         0, "Z123Ez", ""},
        {"streamed: three 0x12 stop it", ScriptedReceiver::YmodemG, {{"a", 3000}}, false, {"G", "\x12\x12\x12"},
         kXfrCancelReceived, "Z1", ""},
        {"streamed: EOT NAKed", ScriptedReceiver::YmodemG, {{"a", 10}}, false, {"G", "", kNak}, kXfrCrcError, "Z1E",
         "\x18\x18\x18"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bool streamed = c.kind == ScriptedReceiver::YmodemG;
        TransferRig rig(streamed ? kProtoYmodemG : kProtoYmodemBatch);
        rig.host.recordHistory = true;
        ScriptedReceiver peer(rig, c.kind, true);
        peer.lazy = c.lazy;
        Script(peer, c.script);
        std::vector<std::string> list;
        for (const auto& [name, size] : c.files)
            list.push_back(name.empty() ? rig.dir.File("missing") : MakeFile(rig, name, size));
        rig.Feed(streamed ? "G" : "C");
        const int result = streamed ? YmodemGSend(rig.t, list) : YmodemBatchSend(rig.t, list);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(FrameKinds(peer), c.kinds);
        EXPECT_EQ(peer.loose, c.loose);
        EXPECT_TRUE(peer.ChecksGood());
        EXPECT_EQ(peer.talkedOver, 0);
        bool empty = false;
        for (const auto& [name, size] : c.files) empty = empty || (size == 0 && !name.empty());
        EXPECT_EQ(FieldShown(rig, dlg::kXfrError, "File is zero length"), empty);
        if (c.result == 0) {
            std::string expected;
            for (const auto& [name, size] : c.files) {
                std::string data = Content(size);
                data.resize((size + 1023) / 1024 * 1024, '\0');
                expected += data;
            }
            EXPECT_EQ(peer.DataBlocks(), expected);
        }
    }
}

TEST(ZWriteByte, WaitsForAHeldLineAndGivesUp) {
    struct Case {
        const char* what;
        uint32_t hold;
        uint32_t outQueue;
        int releaseAfter;  // pumps; 0: never
        int cancelAfter;
        bool loseCarrier;
        int result;
    } cases[] = {
        {"free line", 0, 255, 0, 0, false, 1},
        {"CTS released", ComStat::kCtsHold, 0, 200, 0, false, 1},
        {"held for 30 s", ComStat::kXoffHold, 0, 0, 0, false, kXfrTimeout},
        {"cancelled while held", ComStat::kXoffHold, 0, 0, 200, false, kXfrUserCancelled},
        {"carrier lost while held", ComStat::kCtsHold, 0, 0, 0, true, kXfrLostConnection},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig;
        rig.fake.holdFlags = c.hold;
        rig.fake.outQueue = c.outQueue;
        if (c.loseCarrier) rig.LoseCarrier();
        int pumps = 0;
        rig.host.onPump = [&] {
            ++pumps;
            if (pumps == c.releaseAfter) rig.fake.holdFlags = 0, rig.fake.outQueue = 0;
            if (pumps == c.cancelAfter) rig.state.TransferCancelled = 1;
            return false;
        };
        EXPECT_EQ(ZWriteByte(rig.t, 0x5A), c.result);
        EXPECT_EQ(rig.Written(), c.result == 1 ? "Z" : "");
        if (c.releaseAfter) {
            EXPECT_GE(pumps, c.releaseAfter);
        }
        if (c.result == kXfrTimeout) {
            EXPECT_GE(rig.loop.TickCount(), 30000u);
        }
        EXPECT_FALSE(rig.host.TimerRunning(kTimerZmodemIo));
    }

    TransferRig closed;
    closed.fake.Close();
    EXPECT_EQ(ZWriteByte(closed.t, 0x5A), kXfrLostConnection);
}

}  // namespace
}  // namespace palvex
