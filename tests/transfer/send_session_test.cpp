// The send dialog's life without a window: the Send command, the start, whole
// sends and how their end is shown, the Cancel/OK button and the close that
// puts the line back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "send_peer.h"
#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "transfer/framework.h"
#include "transfer/transfer_session.h"
#include "transfer/xymodem_send.h"
#include "transfer_fixture.h"

namespace palvex {
namespace {

using testing::PeerFrame;
using testing::ScriptedReceiver;
using testing::TransferRig;

TEST(SendSession, SendCommandAndStartPrepareTheLineAndTheDialog) {
    struct Case {
        int protocol;
        uint16_t kermitSize;
        std::size_t kermitBuffer;
        bool binaryFraming;
        std::string written;  // by the start
    } cases[] = {
        {kProtoKermit, 0, 1044, true, ""},
        {kProtoKermit, 100, 120, true, ""},
        {kProtoAscii, 0, 0, false, ""},  // no start character while ASCII cannot send
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        TransferRig rig(c.protocol);
        rig.service.KermitPacketSize = c.kermitSize;
        rig.service.MaxErrors = 0;
        rig.service.FlowControl = 2;
        rig.port.EightBitData = 0;
        rig.port.PortDcb.ByteSize = 7;
        rig.pump.ZmodemHeaderLength = 9;
        rig.state.TransferCancelled = 1;

        ASSERT_TRUE(PrepareSend(rig.t));
        EXPECT_EQ(rig.pump.ZmodemHeaderLength, 0);
        EXPECT_EQ(rig.state.KermitBuffer.size(), c.kermitBuffer);
        ASSERT_FALSE(rig.fake.states.empty());
        EXPECT_EQ(rig.fake.states.back().fInX, 0u);  // the sender obeys XOFF and sends none
        EXPECT_EQ(rig.fake.states.back().fOutX, 1u);

        SendInit(rig.t);
        EXPECT_EQ(rig.port.PortDcb.ByteSize, c.binaryFraming ? 8 : 7);
        EXPECT_EQ(rig.service.MaxErrors, 5);
        EXPECT_EQ(rig.state.TransferCancelled, 0);
        EXPECT_EQ(rig.host.title, "Sending");
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Sending");
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), "None");
        EXPECT_FALSE(rig.host.mainEnabled);
        EXPECT_EQ(rig.Written(), c.written);
    }
}

struct RunCase {
    const char* what;
    int protocol;
    std::size_t fileSize;  // 0: an empty file
    bool chooseNothing;    // the file choice or the batch list is abandoned
    std::string peerSays;  // answer to every data block; "" the usual one
    bool loseCarrier;
    int result;
    std::string status;
    std::string error;
    bool bytesWritten;
    int transferActive;  // after the run: 1 when the close is to tell the receiver
};

TEST(SendSession, RunSendsAndShowsHowItEnded) {
    const RunCase cases[] = {
        {"XMODEM done", kProtoXmodemCrc, 300, false, "", false, 0, "Done", "Successful", true, 0},
        {"no file chosen", kProtoXmodemCrc, 300, true, "", false, kXfrFileOpenError, "Error", "file open error",
         false, 0},
        {"empty file", kProtoXmodem1k, 0, false, "", false, kXfrFileOpenError, "Error", "file open error", false, 0},
        {"receiver cancels", kProtoXmodemCrc, 300, false, "\x18", false, kXfrCancelReceived, "Error",
         "cancel received", true, 1},
        {"carrier lost", kProtoYmodemBatch, 300, false, "", true, kXfrLostConnection, "Error", "Lost Connection", true,
         1},
        {"stray ACK instead of a start byte", kProtoXmodemCrc, 300, false, "", false, kRespAck, "Error",
         "Protocol Error", false, 1},
        {"ASCII", kProtoAscii, 300, false, "", false, kXfrProtocolError, "Error", "not available yet", false, 0},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        const bool batch = c.protocol == kProtoYmodemBatch || c.protocol == kProtoYmodemG;
        const std::string path = rig.dir.File("up.bin");
        testing::WriteFile(path, std::string(c.fileSize, 'u'));
        if (!c.chooseNothing) {
            rig.host.sendPath = path;
            rig.host.batch = {path};
        }
        ScriptedReceiver peer(rig,
                              c.protocol == kProtoYmodemG ? ScriptedReceiver::YmodemG
                              : batch                     ? ScriptedReceiver::Ymodem
                                                          : ScriptedReceiver::Xmodem,
                              true);
        peer.answer = [&](const PeerFrame& f, int) {
            if (c.loseCarrier) rig.LoseCarrier();
            if (c.peerSays == "-") return std::string();
            return c.peerSays.empty() || !f.IsBlock() ? peer.DefaultAnswer(f) : c.peerSays;
        };

        PrepareSend(rig.t);
        SendInit(rig.t);
        rig.fake.written.clear();
        rig.Feed(c.result == kRespAck ? "\x06" : c.protocol == kProtoYmodemG ? "G" : "C");
        EXPECT_EQ(SendRun(rig.t), c.result);
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), c.status);
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), c.error);
        EXPECT_EQ(rig.host.Field(dlg::kXfrButton), "OK");
        EXPECT_EQ(rig.host.beeps, 1);
        EXPECT_EQ(rig.host.hangUps, c.result == kXfrLostConnection ? 1 : 0);
        EXPECT_EQ(!rig.fake.written.empty(), c.bytesWritten);
        EXPECT_EQ(rig.t.TransferActive(), c.transferActive);
        EXPECT_EQ(rig.state.TransferCancelled, 1) << "the button's next press closes";
        EXPECT_TRUE(SendButton(rig.t));
    }
}

TEST(SendSession, AnAbandonedBatchListClosesTheDialog) {
    TransferRig rig(kProtoYmodemBatch);
    PrepareSend(rig.t);
    SendInit(rig.t);
    EXPECT_EQ(SendRun(rig.t), kXfrUserCancelled);
    EXPECT_EQ(rig.host.cancels, 1);
    EXPECT_EQ(rig.state.TransferCancelled, 1);
    EXPECT_EQ(rig.t.TransferActive(), 0);
    EXPECT_EQ(rig.host.beeps, 0);
    EXPECT_EQ(rig.Written(), "");
}

TEST(SendSession, FirstPressAbortsTheSendAndTheNextCloses) {
    TransferRig rig(kProtoXmodemCrc);
    const std::string path = rig.dir.File("up.bin");
    testing::WriteFile(path, std::string(5000, 'u'));
    rig.host.sendPath = path;
    ScriptedReceiver peer(rig, ScriptedReceiver::Xmodem, true);
    PrepareSend(rig.t);
    SendInit(rig.t);
    rig.Feed("C");
    bool pressed = false, closes = true;
    rig.host.onPump = [&] {
        if (!pressed && peer.frames.size() == 3) {
            pressed = true;
            closes = SendButton(rig.t);
            EXPECT_EQ(rig.host.Field(dlg::kXfrError), "User abort");
        }
        return false;
    };
    EXPECT_EQ(SendRun(rig.t), kXfrUserCancelled);
    EXPECT_FALSE(closes);
    const std::vector<uint32_t> receiveThenTransmit = {kPurgeRxAbort | kPurgeRxClear, kPurgeTxAbort | kPurgeTxClear};
    EXPECT_EQ(rig.fake.purges, receiveThenTransmit);
    EXPECT_EQ(peer.frames.size(), 3u) << "nothing goes out after the press";
    EXPECT_EQ(rig.host.Field(dlg::kXfrError), "user cancelled");
    EXPECT_TRUE(SendButton(rig.t));

    TransferRig closed(kProtoXmodemCrc);
    closed.fake.Close();
    EXPECT_TRUE(SendButton(closed.t)) << "without a line the first press closes";
}

TEST(SendSession, CloseTellsAWaitingReceiverAndPutsTheLineBack) {
    struct Case {
        int protocol;
        int active;
        int flow;
        std::string cans;
        uint32_t softwareFlow;
        uint8_t byteSize;
    } cases[] = {
        {kProtoXmodemCrc, 1, 0, "\x18\x18\x18", 0, 7},
        {kProtoZmodem, 1, 3, "\x18\x18\x18\x18\x18", 1, 7},
        {kProtoAscii, 1, 1, "", 0, 8},  // ASCII never left the line's own framing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        TransferRig rig(c.protocol);
        rig.service.FlowControl = static_cast<int16_t>(c.flow);
        rig.port.EightBitData = 0;
        rig.port.SavedFraming[0] = 7;
        rig.port.PortDcb.ByteSize = 8;
        rig.t.TransferActive() = c.active;
        rig.host.mainEnabled = false;
        SendClose(rig.t);
        EXPECT_EQ(rig.Written(), c.cans);
        EXPECT_EQ(rig.t.TransferActive(), 0);
        ASSERT_FALSE(rig.fake.states.empty());
        EXPECT_EQ(rig.fake.states.back().fInX, c.softwareFlow);
        EXPECT_EQ(rig.fake.states.back().fOutX, c.softwareFlow);
        EXPECT_EQ(rig.port.PortDcb.ByteSize, c.byteSize);
        EXPECT_TRUE(rig.host.mainEnabled);
    }
}

}  // namespace
}  // namespace palvex
