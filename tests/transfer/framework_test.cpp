// The framework the receivers share: check values, texts and formats, names
// and backups, the start and end characters, the timers, the block-start
// wait, and the receive loop's retry, limit, cancel and carrier rules.
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

const std::string kCheckInput = "123456789";

const uint8_t* U8(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(CheckValues, KnownValuesAndResidues) {
    // The table form, finished with two zero bytes, and the bitwise form agree
    // on the catalogue value of CRC-16/XMODEM.
    uint16_t table = 0;
    for (char c : kCheckInput) table = UpdateCrc16(static_cast<uint8_t>(c), table);
    const uint16_t finished = UpdateCrc16(0, UpdateCrc16(0, table));
    EXPECT_EQ(finished, 0x31C3);
    EXPECT_EQ(Crc16Block(U8(kCheckInput), kCheckInput.size()), 0xC331) << "high byte first when stored little-endian";

    // A receiver running the two CRC bytes through the table form ends at 0.
    uint16_t residue = 0;
    for (char c : kCheckInput) residue = UpdateCrc16(static_cast<uint8_t>(c), residue);
    residue = UpdateCrc16(0xC3, UpdateCrc16(0x31, residue));
    EXPECT_EQ(residue, 0);

    uint32_t crc32 = 0xFFFFFFFFu;
    for (char c : kCheckInput) crc32 = UpdateCrc32(static_cast<uint8_t>(c), crc32);
    EXPECT_EQ(~crc32, 0xCBF43926u);
    const uint32_t sent = ~crc32;
    for (int i = 0; i < 4; ++i) crc32 = UpdateCrc32(static_cast<uint8_t>(sent >> (8 * i)), crc32);
    EXPECT_EQ(crc32, kCrc32Residue);

    struct SumCase {
        std::string bytes;
        uint8_t sum;
    } sums[] = {{"", 0}, {kCheckInput, 0xDD}, {std::string(2, '\xFF'), 0xFE}, {std::string(128, '\x1A'), 0x00}};
    for (const SumCase& c : sums) EXPECT_EQ(Checksum8(U8(c.bytes), c.bytes.size()), c.sum) << c.bytes.size();
}

TEST(Texts, ErrorTextsAndProtocolNames) {
    struct Case {
        int code;
        const char* text;
    } errors[] = {{0, " "},          {-1, "timeout"},           {-2, "crc error"},
                  {-5, "file seek/write error"},                {-8, "max error exceeded"},
                  {-11, "user cancelled"}, {-13, "Bad sequence error"}, {-16, "Lost Connection"},
                  {-17, " "},        {3, " "}};
    for (const Case& c : errors) EXPECT_STREQ(TransferErrorText(c.code), c.text) << c.code;

    const char* names[] = {"ASCII", "XMODEM/CHECKSUM", "XMODEM/CRC", "XMODEM/1K",
                           "YMODEM BATCH", "YMODEM G", "ZMODEM", "KERMIT"};
    for (int p = 0; p < kProtocolCount; ++p) EXPECT_STREQ(ProtocolName(p), names[p]);
    EXPECT_STREQ(ProtocolName(8), "");
    EXPECT_STREQ(ProtocolName(-1), "");
}

TEST(Progress, ElapsedTimeFormat) {
    struct Case {
        uint32_t ms;
        const char* text;
    } cases[] = {{0, "00:00:00"},          {999, "00:00:00"},       {59999, "00:00:59"},
                 {60000, "00:01:00"},      {3723000, "01:02:03"},   {86399000, "23:59:59"},
                 {360000000, "100:00:00"}};
    for (const Case& c : cases) EXPECT_EQ(FormatElapsed(c.ms), c.text) << c.ms;
}

TEST(Progress, RateAndPercentage) {
    struct Case {
        const char* what;
        int protocol;
        int32_t bytes;
        uint32_t elapsed;
        int32_t declared;
        int32_t resumed;
        const char* cps;
        const char* percentText;
        int percent;
    } cases[] = {
        {"1500 bytes in 2 s", kProtoXmodemCrc, 1500, 2000, 0, 0, "750", "?", 0},
        {"under a second", kProtoXmodemCrc, 1500, 999, 3000, 0, "0", "50 %", 50},
        {"whole seconds only", kProtoXmodemCrc, 1500, 1999, 3000, 0, "1500", "50 %", 50},
        {"longer than declared", kProtoYmodemBatch, 2048, 1000, 1100, 0, "2048", "100 %", 100},
        {"nothing yet", kProtoYmodemBatch, 0, 0, 1100, 0, "0", "0 %", 0},
        {"resumed ZMODEM counts this session", kProtoZmodem, 3000, 2000, 6000, 1000, "1000", "50 %", 50},
        {"resume ignored elsewhere", kProtoYmodemG, 3000, 2000, 6000, 1000, "1500", "50 %", 50},
        {"large file", kProtoYmodemBatch, 2000000000, 4000, 2100000000, 0, "500000000", "95 %", 95},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.state.StartTick = rig.loop.TickCount();
        rig.loop.Advance(c.elapsed);
        rig.state.BytesDone = c.bytes;
        rig.state.DeclaredSize = c.declared;
        rig.state.ResumeOffset = c.resumed;
        UpdateProgress(rig.t, 0);
        EXPECT_EQ(rig.host.Field(dlg::kXfrCps), c.cps);
        EXPECT_EQ(rig.host.Field(dlg::kXfrPercent), c.percentText);
        EXPECT_EQ(rig.host.percent, c.percent);
        EXPECT_EQ(rig.state.Percent, c.percent);
        EXPECT_EQ(rig.host.Field(dlg::kXfrBytes), std::to_string(c.bytes));
        EXPECT_EQ(rig.host.Field(dlg::kXfrElapsed), FormatElapsed(c.elapsed));
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), "None");
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Receiving");
    }
    TransferRig rig;
    UpdateProgress(rig.t, 1);
    EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Sending");
}

TEST(AsciiCharacters, StartAndEndResolution) {
    struct Case {
        char field[2];
        int start;
        int end;
    } cases[] = {
        {{'^', 'Q'}, 0x11, 0x11}, {{'^', 'Z'}, 0x1A, 0x1A}, {{'^', 'M'}, 0x0D, 0x0D},
        {{'^', '@'}, 0x00, 0x00}, {{'A', 0}, 0x41, -1},     {{'Z', 0}, 0x5A, -1},
        {{0, 0}, 0x00, -1},       {{'^', 0}, '^', -1},      {{'x', 'y'}, 'x', -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field, 2));
        EXPECT_EQ(ResolveStartChar(c.field), c.start);
        EXPECT_EQ(ResolveEndChar(c.field), c.end);
    }
}

TEST(Names, BaseAndSafeReceivedNames) {
    struct Case {
        const char* given;
        const char* base;
        const char* safe;
    } cases[] = {
        {"A.TXT", "A.TXT", "A.TXT"},
        {"C:\\DL\\PIC.TAR.GZ", "PIC.TAR.GZ", "PIC.TAR.GZ"},
        {"C:x.bin", "x.bin", "x.bin"},
        {"dir/sub/f.bin", "f.bin", "f.bin"},
        {"/etc/passwd", "passwd", "passwd"},
        {"../../evil", "evil", "evil"},
        {"..\\..\\evil.exe", "evil.exe", "evil.exe"},
        {"", "", "noname"},
        {".", ".", "noname"},
        {"..", "..", "noname"},
        {"...", "...", "noname"},
        {"dir/", "", "noname"},
        {"up/..", "..", "noname"},
        {".profile", ".profile", ".profile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(BaseName(c.given), c.base);
        EXPECT_EQ(SafeReceivedName(c.given), c.safe);
    }
}

TEST(Names, DownloadPathJoinsWithOneSeparator) {
#ifdef _WIN32
    const std::string sep = "\\";
#else
    const std::string sep = "/";
#endif
    struct Case {
        const char* dir;
        std::string path;
    } cases[] = {
        {"", "A.TXT"},
        {"C:\\DL", "C:\\DL" + sep + "A.TXT"},
        {"C:\\DL\\", "C:\\DL\\A.TXT"},
        {"/tmp/dl/", "/tmp/dl/A.TXT"},
    };
    for (const Case& c : cases) {
        ServiceEntry service = DefaultServiceEntry();
        std::strncpy(service.DownloadDir, c.dir, sizeof service.DownloadDir - 1);
        EXPECT_EQ(DownloadPath(service, "A.TXT"), c.path) << c.dir;
    }
    ServiceEntry full = DefaultServiceEntry();
    std::memset(full.DownloadDir, 'd', sizeof full.DownloadDir);  // no terminating NUL
    EXPECT_EQ(DownloadPath(full, "x").size(), sizeof full.DownloadDir + 2);
}

TEST(Names, ViewerPictures) {
    struct Case {
        const char* path;
        bool picture;
    } cases[] = {{"c:\\dl\\cat.gif", true}, {"CAT.JPG", true}, {"cat.jpeg", false},
                 {"a.gif.zip", true},       {"gif", false},    {"x.png", false}};
    for (const Case& c : cases) EXPECT_EQ(IsViewerPicture(c.path), c.picture) << c.path;
}

TEST(Backups, ExistingFileMovesToItsBakNameInTheCurrentFolder) {
    TransferRig rig;
    testing::CurrentDirGuard here(rig.dir.path());
    std::filesystem::create_directory(rig.dir.path() / "DL");
    const std::string original = (rig.dir.path() / "DL" / "PIC.TAR.GZ").string();
    testing::WriteFile(original, "old picture");

    BackupExisting(original);
    EXPECT_FALSE(std::filesystem::exists(original));
    EXPECT_EQ(testing::ReadFile(rig.dir.File("PIC.bak")), "old picture");

    // Nothing to back up: nothing happens, no file appears.
    BackupExisting((rig.dir.path() / "DL" / "NEW.TXT").string());
    EXPECT_FALSE(std::filesystem::exists(rig.dir.File("NEW.bak")));
    BackupExisting("");
}

TEST(Timers, EachTimerSetsItsFlag) {
    struct Case {
        int id;
        int timeout, cancelled, sendTimeout, zmodemTimeout, active;
    } cases[] = {
        {kTimerReceiveIdle, 1, 0, 0, 0, 1},
        {kTimerSendResponse, 0, 1, 1, 0, 0},
        {kTimerZmodemIo, 0, 0, 0, 1, 1},
        {7, 0, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        TransferRig rig;
        rig.t.TransferActive() = 1;
        rig.host.StartTimer(c.id, 100);
        OnTransferTimer(rig.t, c.id);
        EXPECT_FALSE(rig.host.TimerRunning(c.id));
        EXPECT_EQ(rig.state.TimeoutFlag, c.timeout);
        EXPECT_EQ(rig.state.TransferCancelled, c.cancelled);
        EXPECT_EQ(rig.state.SendTimeoutFlag, c.sendTimeout);
        EXPECT_EQ(rig.state.ZmodemTimeoutFlag, c.zmodemTimeout);
        EXPECT_EQ(rig.t.TransferActive(), c.active);
    }
}

TEST(BlockStart, SkipsToAHeaderByte) {
    struct Case {
        const char* what;
        std::string input;
        bool loseCarrier;
        int result;
        uint8_t header;
        std::size_t left;
    } cases[] = {
        {"SOH at once", Bytes({0x01, 0x07}), false, 0, 0x01, 1},
        {"noise before STX", "ab\r\n" + Bytes({0x02}), false, 0, 0x02, 0},
        {"EOT", Bytes({0x04}), false, 0, 0x04, 0},
        {"CAN is noise here", Bytes({0x18, 0x18}), false, -1, 0, 0},
        {"nothing", "", false, -1, 0, 0},
        {"carrier gone", "xyz", true, -16, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig;
        rig.Feed(c.input);
        if (c.loseCarrier) rig.LoseCarrier();
        EXPECT_EQ(WaitBlockStart(rig.t), c.result);
        EXPECT_EQ(rig.fake.input.size(), c.left);
        if (c.result == 0) {
            EXPECT_EQ(rig.pump.ReceiveBuffer[0], c.header);
            EXPECT_EQ(rig.state.BlockFill, 1);
        } else {
            EXPECT_EQ(rig.state.BlockFill, 0);
        }
    }

    // A line of pure noise gives the caller its turn back instead of holding it.
    TransferRig noisy;
    noisy.Feed(std::string(5000, 'n'));
    EXPECT_EQ(WaitBlockStart(noisy.t), -1);
    EXPECT_GT(noisy.fake.input.size(), 0u);
}

TEST(ReceiveLoop, SilenceCountsTimeoutsUntilTheLimit) {
    struct Case {
        int protocol;
        int maxErrors;
        std::string naks;  // what each time-out sends before the limit
    } cases[] = {
        {kProtoXmodemChecksum, 2, Bytes({0x15, 0x15})},
        {kProtoYmodemBatch, 1, Bytes({0x15})},
        {kProtoYmodemG, 3, Bytes({0x15, 0x15, 0x15})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.protocol);
        TransferRig rig(c.protocol);
        rig.service.MaxErrors = static_cast<int16_t>(c.maxErrors);
        rig.t.TransferActive() = 1;
        rig.host.recordHistory = true;
        rig.host.StartTimer(kTimerReceiveIdle, kReceiveIdleMs);
        const uint32_t start = rig.loop.TickCount();

        EXPECT_EQ(ReceiveLoop(rig.t), kXfrMaxErrors);
        EXPECT_EQ(rig.Written(), c.naks + Bytes({0x18, 0x18, 0x18}));
        EXPECT_EQ(rig.loop.TickCount() - start, (c.maxErrors + 1) * kReceiveIdleMs) << "one time-out per 27 s";
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Transfer Cancelled");
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), "timeout");
        EXPECT_EQ(rig.t.TransferActive(), 0);
        EXPECT_EQ(rig.state.ErrorCount, 0);
        // Each retry was shown with its running count.
        int retries = 0;
        for (const auto& [control, text] : rig.host.fieldHistory) {
            if (control == dlg::kXfrTotalErrors) {
                EXPECT_EQ(text, std::to_string(++retries));
            }
        }
        EXPECT_EQ(retries, c.maxErrors);
    }
}

TEST(ReceiveLoop, BadBlocksAreRetriedThenEndTheTransfer) {
    struct Case {
        const char* what;
        int protocol;
        std::string block;
        const char* error;
    } cases[] = {
        {"crc", kProtoXmodemCrc, [] {
             std::string f = Frame(0x01, 1, "data");
             f[10] ^= 0x40;
             return f;
         }(),
         "crc error"},
        {"sequence", kProtoXmodemCrc, Frame(0x01, 3, "data"), "Bad sequence error"},
        {"checksum header", kProtoXmodemChecksum, Frame(0x02, 1, "data", testing::Check::Sum).substr(0, 132),
         "bad packet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.service.MaxErrors = 2;
        rig.t.TransferActive() = 1;
        rig.state.ExpectedBlock = 1;
        // The sender answers every NAK with the same broken block.
        rig.Feed(c.block);
        int naks = 0;
        rig.fake.onWrite = [&](FakePort& f, const uint8_t* bytes, int count) {
            if (count == 1 && bytes[0] == kNAK) {
                ++naks;
                f.QueueInput(c.block);
            }
        };
        EXPECT_EQ(ReceiveLoop(rig.t), -1);
        EXPECT_EQ(naks, 2);
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), c.error);
        EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Transfer Cancelled");
        EXPECT_EQ(rig.Written().substr(rig.Written().size() - 3), Bytes({0x18, 0x18, 0x18}));
        EXPECT_EQ(rig.loop.TickCount() < kReceiveIdleMs, true) << "no time-out was needed";
    }
}

TEST(ReceiveLoop, OneRetryShowsRetryingAndTheCount) {
    TransferRig rig(kProtoXmodemCrc);
    rig.state.ExpectedBlock = 1;
    std::string bad = Frame(0x01, 1, "payload");
    bad[5] ^= 1;
    rig.Feed(bad);
    EXPECT_EQ(ReceiveDispatch(rig.t), 0);
    EXPECT_EQ(rig.Written(), Bytes({0x15}));
    EXPECT_EQ(rig.host.Field(dlg::kXfrStatus), "Retrying");
    EXPECT_EQ(rig.host.Field(dlg::kXfrError), "crc error");
    EXPECT_EQ(rig.host.Field(dlg::kXfrTotalErrors), "1");
    EXPECT_TRUE(rig.host.TimerRunning(kTimerReceiveIdle));
    EXPECT_EQ(rig.state.BlockFill, 0);

    // The good copy clears the count.
    rig.Feed(Frame(0x01, 1, "payload"));
    testing::WriteFile(rig.state.ReceivePath = rig.dir.File("x.bin"), "");
    EXPECT_EQ(ReceiveDispatch(rig.t), 1);
    EXPECT_EQ(rig.state.ErrorCount, 0);
}

TEST(ReceiveLoop, EndsOnCancelCarrierLossOrAClosedPort) {
    {
        TransferRig rig;
        rig.state.TransferCancelled = 1;
        EXPECT_EQ(ReceiveLoop(rig.t), kXfrUserCancelled);
        EXPECT_EQ(rig.Written(), "");
    }
    {
        TransferRig rig;
        rig.t.TransferActive() = 1;
        rig.Feed("noise");
        rig.LoseCarrier();
        EXPECT_EQ(ReceiveLoop(rig.t), kCarrierLost);
        EXPECT_EQ(rig.host.Field(dlg::kXfrError), "Lost Connection");
        EXPECT_EQ(rig.t.TransferActive(), 0);
    }
    {
        TransferRig rig;
        rig.fake.Close();
        EXPECT_EQ(ReceiveLoop(rig.t), kCarrierLost);
    }
    {
        // Cancel pressed while the loop waits: the pump delivers it.
        TransferRig rig;
        int pumps = 0;
        rig.host.onPump = [&] {
            if (++pumps == 50) rig.state.TransferCancelled = 1;
            return false;
        };
        EXPECT_EQ(ReceiveLoop(rig.t), kXfrUserCancelled);
    }
}

TEST(ReceiveLoop, ProtocolsWithoutAReceiverEndAtOnce) {
    for (int protocol : {kProtoAscii, kProtoZmodem, kProtoKermit}) {
        TransferRig rig(protocol);
        rig.t.TransferActive() = 1;
        rig.Feed("x");
        EXPECT_EQ(ReceiveLoop(rig.t), -1) << protocol;
        EXPECT_EQ(rig.t.TransferActive(), 0);
    }
}

TEST(Viewer, StartFailureIsShownAndTheTransferGoesOn) {
    struct Case {
        bool starts;
        int active;
        std::vector<int> messages;
    } cases[] = {{true, 1, {}}, {false, 0, {str::kStrViewerFailed}}};
    for (const Case& c : cases) {
        TransferRig rig;
        rig.host.viewerStarts = c.starts;
        rig.state.ReceivePath = "C:\\DL\\CAT.GIF";
        LaunchViewer(rig.t);
        EXPECT_EQ(rig.state.ViewerActive, c.active);
        EXPECT_EQ(rig.host.messages, c.messages);
        ViewerNotify(rig.t);
        ViewerClose(rig.t);
        ViewerClose(rig.t);
        std::vector<std::string> log = {"start C:\\DL\\CAT.GIF"};
        if (c.starts) log.insert(log.end(), {"notify", "close"});
        EXPECT_EQ(rig.host.viewerLog, log);
        EXPECT_EQ(rig.state.ViewerActive, 0);
    }
}

}  // namespace
}  // namespace palvex
