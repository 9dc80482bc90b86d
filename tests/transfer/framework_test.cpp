// The framework the receivers share: check values, progress, names and
// backups, the start and end characters, and the receive loop's time-out,
// retry and error-limit rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "shell/dialog_ids.h"
#include "shell/string_ids.h"
#include "transfer/crc.h"
#include "transfer/framework.h"
#include "transfer_fixture.h"

namespace palvex {
namespace {

using testing::Bytes;
using testing::Frame;
using testing::TransferRig;

const std::string kCan3 = Bytes({kCAN, kCAN, kCAN});

TEST(CheckValues, CatalogueValuesAndResidues) {
    const std::string input = "123456789";
    const auto* bytes = reinterpret_cast<const uint8_t*>(input.data());
    uint16_t crc16 = 0;
    for (uint8_t b : input) crc16 = UpdateCrc16(b, crc16);
    EXPECT_EQ(UpdateCrc16(0, UpdateCrc16(0, crc16)), 0x31C3) << "a sender finishes with two zero bytes";
    EXPECT_EQ(UpdateCrc16(0xC3, UpdateCrc16(0x31, crc16)), 0) << "a good frame leaves 0";
    EXPECT_EQ(Crc16Block(bytes, input.size()), 0xC331) << "stored little-endian, high byte first";

    uint32_t crc32 = 0xFFFFFFFFu;
    for (uint8_t b : input) crc32 = UpdateCrc32(b, crc32);
    const uint32_t sent = ~crc32;
    EXPECT_EQ(sent, 0xCBF43926u);
    for (int i = 0; i < 4; ++i) crc32 = UpdateCrc32(static_cast<uint8_t>(sent >> (8 * i)), crc32);
    EXPECT_EQ(crc32, kCrc32Residue);

    EXPECT_EQ(Checksum8(bytes, input.size()), 0xDD);
    const std::string pad(128, '\x1A');
    EXPECT_EQ(Checksum8(reinterpret_cast<const uint8_t*>(pad.data()), pad.size()), 0) << "the sum wraps";
}

TEST(Progress, ElapsedRateAndPercentage) {
    struct Elapsed {
        uint32_t ms;
        const char* text;
    } times[] = {{999, "00:00:00"}, {59999, "00:00:59"}, {3723000, "01:02:03"}, {360000000, "100:00:00"}};
    for (const Elapsed& c : times) EXPECT_EQ(FormatElapsed(c.ms), c.text) << c.ms;

    struct Case {
        int protocol;
        int32_t bytes, declared, resumed;
        uint32_t elapsed;
        const char* cps;
        const char* percent;
        int bar;
    } cases[] = {
        {kProtoXmodemCrc, 1500, 0, 0, 2000, "750", "?", 0},
        {kProtoXmodemCrc, 1500, 3000, 0, 999, "0", "50 %", 50},
        {kProtoYmodemBatch, 2048, 1100, 0, 1999, "2048", "100 %", 100},  // longer than declared
        {kProtoZmodem, 3000, 6000, 1000, 2000, "1000", "50 %", 50},      // a resume counts this session only
        {kProtoYmodemBatch, 2000000000, 2100000000, 0, 4000, "500000000", "95 %", 95},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        TransferRig rig(c.protocol);
        rig.loop.Advance(c.elapsed);
        rig.state.BytesDone = c.bytes;
        rig.state.DeclaredSize = c.declared;
        rig.state.ResumeOffset = c.resumed;
        UpdateProgress(rig.t, 0);
        EXPECT_EQ(rig.host.Field(dlg::kXfrCps), c.cps);
        EXPECT_EQ(rig.host.Field(dlg::kXfrPercent), c.percent);
        EXPECT_EQ(rig.host.percent, c.bar);
        EXPECT_EQ(rig.state.Percent, c.bar);
        EXPECT_EQ(rig.host.Field(dlg::kXfrBytes), std::to_string(c.bytes));
    }
}

TEST(AsciiCharacters, StartAndEndResolution) {
    struct Case {
        char field[2];
        int start, end;
    } cases[] = {{{'^', 'Q'}, 0x11, 0x11}, {{'A', 0}, 0x41, -1}, {{0, 0}, 0x00, -1}, {{'^', 0}, '^', -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field, 2));
        EXPECT_EQ(ResolveStartChar(c.field), c.start);
        EXPECT_EQ(ResolveEndChar(c.field), c.end);
    }
}

TEST(Names, ReceivedNamesStayInTheDownloadFolder) {
    struct Case {
        const char* given;
        const char* safe;
    } cases[] = {{"C:\\DL\\PIC.TAR.GZ", "PIC.TAR.GZ"}, {"C:x.bin", "x.bin"}, {"../../evil", "evil"},
                 {"", "noname"}, {"...", "noname"}, {"dir/", "noname"}};
    for (const Case& c : cases) EXPECT_EQ(SafeReceivedName(c.given), c.safe) << c.given;

#ifdef _WIN32
    const std::string sep = "\\";
#else
    const std::string sep = "/";
#endif
    struct Join {
        const char* dir;
        std::string path;
    } joins[] = {{"", "A.TXT"}, {"C:\\DL", "C:\\DL" + sep + "A.TXT"}, {"/tmp/dl/", "/tmp/dl/A.TXT"}};
    for (const Join& j : joins) {
        ServiceEntry service = DefaultServiceEntry();
        std::strncpy(service.DownloadDir, j.dir, sizeof service.DownloadDir - 1);
        EXPECT_EQ(DownloadPath(service, "A.TXT"), j.path) << j.dir;
    }
    ServiceEntry full = DefaultServiceEntry();
    std::memset(full.DownloadDir, 'd', sizeof full.DownloadDir);  // no NUL anywhere
    EXPECT_EQ(DownloadPath(full, "x").size(), sizeof full.DownloadDir + 2);
}

TEST(BlockStart, NoiseGivesTheLoopItsTurnBack) {
    TransferRig noisy;
    noisy.Feed(std::string(5000, 'n'));
    EXPECT_EQ(WaitBlockStart(noisy.t), -1);
    EXPECT_GT(noisy.fake.input.size(), 0u) << "a line of noise gives the caller its turn back";
}

TEST(ReceiveLoop, SilenceCountsTimeoutsUntilTheLimit) {
    for (int maxErrors : {1, 3}) {
        for (int protocol : {kProtoXmodemChecksum, kProtoYmodemG}) {
            SCOPED_TRACE(protocol * 10 + maxErrors);
            TransferRig rig(protocol);
            rig.service.MaxErrors = static_cast<int16_t>(maxErrors);
            rig.t.TransferActive() = 1;
            rig.host.recordHistory = true;
            rig.host.StartTimer(kTimerReceiveIdle, kReceiveIdleMs);

            EXPECT_EQ(ReceiveLoop(rig.t), kXfrMaxErrors);
            EXPECT_EQ(rig.Written(), std::string(maxErrors, static_cast<char>(kNAK)) + kCan3);
            EXPECT_EQ(rig.loop.TickCount(), (maxErrors + 1) * kReceiveIdleMs) << "one time-out per 27 s";
            EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Transfer Cancelled");
            EXPECT_EQ(rig.host.Field(dlg::kXfrError), "timeout");
            EXPECT_EQ(rig.t.TransferActive(), 0);
            int retries = 0;
            for (const auto& [control, text] : rig.host.fieldHistory) {
                if (control == dlg::kXfrTotalErrors) {
                    EXPECT_EQ(text, std::to_string(++retries));
                }
            }
            EXPECT_EQ(retries, maxErrors);
        }
    }
}

TEST(ReceiveLoop, BadBlocksAreRetriedUpToTheLimit) {
    std::string badCrc = Frame(kSOH, 1, "data");
    badCrc[10] ^= 0x40;
    // naks: YMODEM-G ends at the first error
    struct Case { int protocol; std::string block; const char* error; int naks; } cases[] = {
        {kProtoXmodemCrc, badCrc, "crc error", 2},
        {kProtoXmodemCrc, Frame(kSOH, 3, "data"), "Bad sequence error", 2},
        {kProtoXmodemChecksum, Frame(kSTX, 1, "", testing::Check::Sum).substr(0, 132), "bad packet", 2},
        {kProtoYmodemG, badCrc, "crc error", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        TransferRig rig(c.protocol);
        rig.service.MaxErrors = 2;
        rig.t.TransferActive() = 1;
        rig.state.ExpectedBlock = 1;
        rig.state.FirstBlockDone = c.protocol == kProtoYmodemG;
        rig.host.recordHistory = true;
        rig.Feed(c.block);
        rig.fake.onWrite = [&](FakePort& f, const uint8_t* bytes, int count) {
            if (count == 1 && bytes[0] == kNAK) f.QueueInput(c.block);  // the sender repeats its mistake
        };
        EXPECT_EQ(ReceiveLoop(rig.t), -1);
        EXPECT_EQ(rig.Written(), std::string(c.naks, static_cast<char>(kNAK)) + kCan3);
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), c.error);
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Transfer Cancelled");
        EXPECT_LT(rig.loop.TickCount(), kReceiveIdleMs) << "no time-out was needed";
        if (c.naks) {
            EXPECT_EQ(rig.host.fieldHistory[1], std::make_pair(dlg::kXfrError, std::string(c.error)));
            EXPECT_EQ(rig.host.fieldHistory[0], std::make_pair(dlg::kXfrStatus, std::string("Retrying")));
        }
    }
}

TEST(ReceiveLoop, EndsWhenThePortIsGone) {
    TransferRig rig;
    rig.fake.Close();
    EXPECT_EQ(ReceiveLoop(rig.t), kCarrierLost);
}

TEST(Viewer, StartFailureIsShownAndTheTransferGoesOn) {
    for (bool starts : {true, false}) {
        TransferRig rig;
        rig.host.viewerStarts = starts;
        rig.state.ReceivePath = "C:\\DL\\CAT.GIF";
        LaunchViewer(rig.t);
        ViewerNotify(rig.t);
        ViewerClose(rig.t);
        ViewerClose(rig.t);
        std::vector<std::string> log = {"start C:\\DL\\CAT.GIF"};
        if (starts) log.insert(log.end(), {"notify", "close"});
        EXPECT_EQ(rig.host.viewerLog, log);
        EXPECT_EQ(rig.host.messages, starts ? std::vector<int>{} : std::vector<int>{str::kStrViewerFailed});
        EXPECT_EQ(rig.state.ViewerActive, 0);
    }
}

}  // namespace
}  // namespace palvex
