// The X/YMODEM receive steps: which blocks each protocol takes or refuses,
// what it answers, what lands in the file, and YMODEM's block 0.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "shell/dialog_ids.h"
#include "transfer/framework.h"
#include "transfer/xymodem_receive.h"
#include "transfer_fixture.h"

namespace palvex {
namespace {

using testing::BlockZero;
using testing::Bytes;
using testing::Check;
using testing::Frame;
using testing::TransferRig;

const std::string kAck = Bytes({kACK});
const std::string kEot = Bytes({kEOT});
const std::string kNak = Bytes({kNAK});

std::string Corrupt(std::string frame, std::size_t at) {
    frame[at] = static_cast<char>(frame[at] ^ 0x55);
    return frame;
}

// A step returns 0 while a block is incomplete; a few rounds settle it.
int Step(TransferRig& rig) {
    int result = 0;
    for (int round = 0; round < 8 && result == 0; ++round) result = BlockReceiveStep(rig.state.ActiveProtocol)(rig.t);
    return result;
}

std::size_t FileSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::size_t>(size);
}

TEST(XmodemReceive, DataBlocksTakenOrRefused) {
    const std::string d(128, 'D');
    const std::string k(1024, 'K');
    struct Case {
        const char* what;
        int protocol;
        uint8_t expected;
        int stored;  // 128-byte blocks already in the file
        std::string input;
        int result;
        std::string answer;
        std::size_t fileSize;
        uint8_t next;
    } cases[] = {
        {"checksum block", kProtoXmodemChecksum, 1, 0, Frame(kSOH, 1, d, Check::Sum), 1, kAck, 128, 2},
        {"bad sum", kProtoXmodemChecksum, 1, 0, Corrupt(Frame(kSOH, 1, d, Check::Sum), 131), -2, "", 0, 1},
        {"STX before the first block", kProtoXmodemChecksum, 1, 0, Frame(kSTX, 1, d, Check::Sum).substr(0, 132), -3,
         "", 0, 1},
        {"crc block after noise", kProtoXmodemCrc, 1, 0, "\r\nxyz" + Frame(kSOH, 1, d), 1, kAck, 128, 2},
        {"bad crc", kProtoXmodemCrc, 1, 0, Corrupt(Frame(kSOH, 1, d), 132), -2, "", 0, 1},
        {"block skipped", kProtoXmodemCrc, 1, 0, Frame(kSOH, 2, d), -13, "", 0, 1},
        {"repeat of the last block", kProtoXmodemCrc, 3, 2, Frame(kSOH, 2, d), 1, kAck, 256, 3},
        {"repeat across the wrap", kProtoXmodemCrc, 0, 1, Frame(kSOH, 255, d), 1, kAck, 128, 0},
        {"255 then 0", kProtoXmodemCrc, 0, 1, Frame(kSOH, 0, d), 1, kAck, 256, 1},
        {"more than a block at once", kProtoXmodemCrc, 1, 0, Frame(kSOH, 1, d) + "x", 0, "", 0, 1},
        {"1k STX block", kProtoXmodem1k, 1, 0, Frame(kSTX, 1, k), 1, kAck, 1024, 2},
        {"a first EOT is refused", kProtoXmodemChecksum, 4, 3, kEot, 0, kNak, 384, 4},
        {"checksum EOT repeated", kProtoXmodemChecksum, 4, 3, kEot + kEot, 2, kNak + kAck, 384, 0},
        {"an EOT inside a damaged block is refused", kProtoXmodemCrc, 4, 3,
         std::string("\x41") + std::string(40, 'd') + kEot + std::string(90, 'd'), 0, kNak, 384, 4},
        {"two EOTs apart inside a damaged block are both refused", kProtoXmodemCrc, 4, 3,
         std::string("\x41") + std::string(40, 'd') + kEot + std::string(20, 'd') + kEot + std::string(60, 'd'), 0,
         kNak + kNak, 384, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.state.ReceivePath = rig.dir.File("download.bin");
        testing::WriteFile(rig.state.ReceivePath, std::string(static_cast<std::size_t>(c.stored) * 128, 'o'));
        rig.state.ExpectedBlock = c.expected;
        rig.state.FirstBlockDone = c.stored > 0;
        rig.Feed(c.input);
        EXPECT_EQ(Step(rig), c.result);
        EXPECT_EQ(rig.Written(), c.answer);
        EXPECT_EQ(FileSize(rig.state.ReceivePath), c.fileSize);
        EXPECT_EQ(rig.state.ExpectedBlock, c.next);
    }
}

TEST(XmodemReceive, OneKilobyteThenShortBlockKeepsThePadding) {
    TransferRig rig(kProtoXmodem1k);
    testing::WriteFile(rig.state.ReceivePath = rig.dir.File("x.bin"), "");
    rig.state.ExpectedBlock = 1;
    rig.state.ViewerActive = 1;
    const std::string file(1100, 'f');
    for (const std::string& frame : {Frame(kSTX, 1, file.substr(0, 1024)), Frame(kSOH, 2, file.substr(1024)), kEot + kEot}) {
        rig.Feed(frame);
        EXPECT_GT(Step(rig), 0);
    }
    EXPECT_EQ(testing::ReadFile(rig.state.ReceivePath), file + std::string(52, '\x1A'));
    EXPECT_EQ(rig.Written(), kAck + kAck + kNak + kAck);
    EXPECT_EQ(rig.host.Field(dlg::kXfrBytes), "1152");
    EXPECT_EQ(rig.host.viewerLog, std::vector<std::string>{"notify"}) << "at 1024 bytes, not at 1152";

    rig.state.ReceivePath = rig.dir.File("gone/x.bin");
    rig.state.ExpectedBlock = 1;
    rig.Feed(Frame(kSOH, 1, "x"));
    EXPECT_EQ(Step(rig), kXfrFileOpenError);
}

TEST(YmodemReceive, BlockZero) {
    struct Case {
        const char* what;
        int protocol;
        std::string input;
        int result;
        std::string answer;
        const char* file;  // created empty in the download folder
        const char* sizeField;
    } cases[] = {
        {"name and size", kProtoYmodemBatch, BlockZero("A.TXT", "1100 0 0"), 1, kAck + "C", "A.TXT", "1100"},
        {"name only", kProtoYmodemBatch, BlockZero("NOSIZE.DAT"), 1, kAck + "C", "NOSIZE.DAT", "Unknown"},
        {"a path is cut to its name", kProtoYmodemBatch, BlockZero("../../etc/evil", "5"), 1, kAck + "C", "evil", "5"},
        {"name fills the block", kProtoYmodemBatch, Frame(kSOH, 0, std::string(128, 'n')), 1, kAck + "C",
         "", "Unknown"},
        {"empty name ends the batch", kProtoYmodemBatch, BlockZero(""), 2, kAck, "", ""},
        {"STX block 0", kProtoYmodemBatch, Frame(kSTX, 0, "A.TXT"), -3, "", "", ""},
        {"block 1 first", kProtoYmodemBatch, Frame(kSOH, 1, "A.TXT"), -13, "", "", ""},
        {"bad crc", kProtoYmodemBatch, Corrupt(BlockZero("A.TXT"), 60), -2, "", "", "Unknown"},
        {"G: name and size", kProtoYmodemG, BlockZero("A.TXT", "1100"), 1, "G", "A.TXT", "1100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.Feed(c.input);
        EXPECT_EQ(Step(rig), c.result);
        EXPECT_EQ(rig.Written(), c.answer);
        EXPECT_EQ(rig.host.Field(dlg::kXfrFileSize), c.sizeField);
        EXPECT_EQ(rig.state.FirstBlockDone, c.result == 1 ? 1 : 0);
        if (*c.file) {
            EXPECT_EQ(rig.state.ReceivePath, rig.dir.File(c.file));
            EXPECT_EQ(rig.host.Field(dlg::kXfrFileName), c.file);
        }
        // Exactly the named file, empty, and nothing else appears.
        int entries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(rig.dir.path())) {
            EXPECT_EQ(entry.path().string(), rig.state.ReceivePath);
            EXPECT_EQ(FileSize(entry.path().string()), 0u);
            ++entries;
        }
        EXPECT_EQ(entries, c.result == 1 ? 1 : 0);
    }
}

TEST(YmodemReceive, KeepBackupMovesTheOldFileAside) {
    for (int keep : {0, 1}) {
        TransferRig rig(kProtoYmodemBatch);
        // Backups land in the current directory.
        const auto saved = std::filesystem::current_path();
        std::filesystem::current_path(rig.dir.path());
        std::filesystem::create_directory(rig.dir.path() / "dl");
        std::strncpy(rig.service.DownloadDir, (rig.dir.path() / "dl").string().c_str(), 1000);
        rig.service.KeepBackup = static_cast<int16_t>(keep);
        const std::string target = (rig.dir.path() / "dl" / "PIC.TAR.GZ").string();
        testing::WriteFile(target, "last week's picture");

        rig.Feed(BlockZero("C:\\DL\\PIC.TAR.GZ", "3"));
        EXPECT_EQ(Step(rig), 1);
        EXPECT_EQ(FileSize(target), 0u);
        EXPECT_EQ(testing::ReadFile(rig.dir.File("PIC.bak")), keep ? "last week's picture" : "");
        std::filesystem::current_path(saved);
    }
}

TEST(YmodemReceive, StreamedBlocks) {
    const std::string g(1024, 'g');
    struct Case {
        const char* what;
        std::string input;  // after block 0 was taken
        int result;
        std::string answer;
        std::size_t fileSize;
    } cases[] = {
        {"two blocks in one read", Frame(kSTX, 1, g) + Frame(kSOH, 2, "tail"), 0, "", 1152},
        {"block then EOT", Frame(kSTX, 1, g) + kEot, 3, kAck + "G", 1024},
        {"bad header byte", "x", -7, "", 0},
        {"repeats are not recognised", Frame(kSTX, 1, g) + Frame(kSTX, 1, g), -13, "", 1024},
        {"good block then a broken one", Frame(kSOH, 1, "a") + Corrupt(Frame(kSOH, 2, "b"), 9), -2, "", 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(kProtoYmodemG);
        rig.Feed(BlockZero("stream.bin", "2000"));
        ASSERT_EQ(Step(rig), 1);
        rig.fake.written.clear();
        rig.Feed(c.input);
        EXPECT_EQ(Step(rig), c.result);
        EXPECT_EQ(rig.Written(), c.answer);
        EXPECT_EQ(FileSize(rig.dir.File("stream.bin")), c.fileSize);
    }

    // Blocks split anywhere across reads are put back together.
    TransferRig rig(kProtoYmodemG);
    rig.Feed(BlockZero("split.bin"));
    ASSERT_EQ(Step(rig), 1);
    const std::string frames = Frame(kSTX, 1, std::string(1024, 'a')) + Frame(kSTX, 2, std::string(1024, 'b'));
    for (std::size_t at = 0; at < frames.size(); at += 700) {
        rig.Feed(frames.substr(at, 700));
        EXPECT_EQ(YmodemGStep(rig.t), 0);
    }
    EXPECT_EQ(testing::ReadFile(rig.dir.File("split.bin")), std::string(1024, 'a') + std::string(1024, 'b'));
}

TEST(ReceiveSteps, CarrierLossAndOverfullBuffer) {
    for (int protocol = kProtoXmodemChecksum; protocol <= kProtoYmodemG; ++protocol) {
        SCOPED_TRACE(protocol);
        TransferRig rig(protocol);
        rig.Feed(Frame(kSOH, 1, "x").substr(0, 60));
        rig.LoseCarrier();
        EXPECT_EQ(Step(rig), kCarrierLost);
    }

    // A sender streaming without waiting for answers fills the buffer: it is
    // refused rather than waited on, since the line never falls silent.
    TransferRig rig(kProtoXmodemCrc);
    rig.state.ExpectedBlock = 1;
    rig.Feed(Frame(kSOH, 1, "a") + std::string(2000, 'z'));
    EXPECT_EQ(Step(rig), kXfrBadPacket);
}

}  // namespace
}  // namespace palvex
