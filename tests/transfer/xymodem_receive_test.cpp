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

const std::string kAck = Bytes({0x06});
const std::string kEot = Bytes({0x04});

std::string Corrupt(std::string frame, std::size_t at) {
    frame[at] = static_cast<char>(frame[at] ^ 0x55);
    return frame;
}

// Runs the protocol's step a few times, until it reports something (a step
// returns 0 while a block is incomplete).
int StepUntilResult(TransferRig& rig) {
    const ReceiveStep step = BlockReceiveStep(rig.state.ActiveProtocol);
    int result = 0;
    for (int round = 0; round < 8 && result == 0; ++round) result = step(rig.t);
    return result;
}

// A receiver in the middle of an XMODEM file: `stored` blocks written,
// `expected` next.
void StartXmodemFile(TransferRig& rig, uint8_t expected, int stored) {
    rig.state.ReceivePath = rig.dir.File("download.bin");
    testing::WriteFile(rig.state.ReceivePath, std::string(static_cast<std::size_t>(stored) * 128, 'o'));
    rig.state.ExpectedBlock = expected;
    rig.state.FirstBlockDone = stored > 0 ? 1 : 0;
    rig.state.BytesDone = stored * 128;
}

TEST(XmodemReceive, DataBlocksTakenOrRefused) {
    const std::string data(128, 'D');
    struct Case {
        const char* what;
        int protocol;
        uint8_t expected;
        int stored;  // blocks already in the file
        std::string input;
        int result;
        std::string answer;
        std::size_t fileSize;
        uint8_t nextExpected;
    } cases[] = {
        {"checksum: first block", kProtoXmodemChecksum, 1, 0, Frame(0x01, 1, data, Check::Sum), 1, kAck, 128, 2},
        {"checksum: bad sum", kProtoXmodemChecksum, 1, 0, Corrupt(Frame(0x01, 1, data, Check::Sum), 131), -2, "", 0, 1},
        {"checksum: bad complement", kProtoXmodemChecksum, 1, 0, Corrupt(Frame(0x01, 1, data, Check::Sum), 2), -13,
         "", 0, 1},
        {"checksum: STX before the first block", kProtoXmodemChecksum, 1, 0,
         Frame(0x02, 1, data, Check::Sum).substr(0, 132), -3, "", 0, 1},
        {"checksum: a CRC frame is one byte long", kProtoXmodemChecksum, 1, 0, Frame(0x01, 1, data), 0, "", 0, 1},
        {"crc: first block", kProtoXmodemCrc, 1, 0, Frame(0x01, 1, data), 1, kAck, 128, 2},
        {"crc: bad crc", kProtoXmodemCrc, 1, 0, Corrupt(Frame(0x01, 1, data), 132), -2, "", 0, 1},
        {"crc: bad data", kProtoXmodemCrc, 1, 0, Corrupt(Frame(0x01, 1, data), 40), -2, "", 0, 1},
        {"crc: block skipped", kProtoXmodemCrc, 1, 0, Frame(0x01, 2, data), -13, "", 0, 1},
        {"crc: repeat of the last block", kProtoXmodemCrc, 3, 2, Frame(0x01, 2, data), 1, kAck, 256, 3},
        {"crc: repeat across the wrap", kProtoXmodemCrc, 0, 1, Frame(0x01, 255, data), 1, kAck, 128, 0},
        {"crc: 255 then 0", kProtoXmodemCrc, 0, 1, Frame(0x01, 0, data), 1, kAck, 256, 1},
        {"crc: block 0 before block 1 is a repeat", kProtoXmodemCrc, 1, 0, Frame(0x01, 0, data), 1, kAck, 0, 1},
        {"crc: too many bytes at once", kProtoXmodemCrc, 1, 0, Frame(0x01, 1, data) + "x", 0, "", 0, 1},
        {"crc: noise before the header", kProtoXmodemCrc, 1, 0, "\r\nxyz" + Frame(0x01, 1, data), 1, kAck, 128, 2},
        {"1k: STX block", kProtoXmodem1k, 1, 0, Frame(0x02, 1, std::string(1024, 'K')), 1, kAck, 1024, 2},
        {"1k: SOH block", kProtoXmodem1k, 1, 0, Frame(0x01, 1, data), 1, kAck, 128, 2},
        {"1k: STX with a bad crc", kProtoXmodem1k, 1, 0, Corrupt(Frame(0x02, 1, std::string(1024, 'K')), 1000), -2,
         "", 0, 1},
        {"checksum: EOT", kProtoXmodemChecksum, 4, 3, kEot, 2, kAck, 384, 0},
        {"crc: EOT", kProtoXmodemCrc, 4, 3, kEot, 2, kAck, 384, 0},
        {"1k: EOT", kProtoXmodem1k, 4, 3, kEot, 2, kAck, 384, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        StartXmodemFile(rig, c.expected, c.stored);
        rig.Feed(c.input);
        EXPECT_EQ(StepUntilResult(rig), c.result);
        EXPECT_EQ(rig.Written(), c.answer);
        EXPECT_EQ(std::filesystem::file_size(rig.state.ReceivePath), c.fileSize);
        EXPECT_EQ(rig.state.ExpectedBlock, c.nextExpected);
        if (c.result == 1 && c.fileSize > static_cast<std::size_t>(c.stored) * 128) {
            EXPECT_EQ(rig.state.BytesDone, static_cast<int32_t>(c.fileSize));
            EXPECT_EQ(rig.host.Field(dlg::kXfrBytes), std::to_string(c.fileSize));
        }
    }
}

TEST(XmodemReceive, OneKilobyteThenShortBlockKeepsThePadding) {
    TransferRig rig(kProtoXmodem1k);
    StartXmodemFile(rig, 1, 0);
    const std::string file(1100, 'f');
    rig.Feed(Frame(0x02, 1, file.substr(0, 1024)));
    EXPECT_EQ(StepUntilResult(rig), 1);
    rig.Feed(Frame(0x01, 2, file.substr(1024)));
    EXPECT_EQ(StepUntilResult(rig), 1);
    rig.Feed(kEot);
    EXPECT_EQ(StepUntilResult(rig), 2);

    const std::string stored = testing::ReadFile(rig.state.ReceivePath);
    ASSERT_EQ(stored.size(), 1152u);
    EXPECT_EQ(stored.substr(0, 1100), file);
    EXPECT_EQ(stored.substr(1100), std::string(52, '\x1A'));
    EXPECT_EQ(rig.Written(), kAck + kAck + kAck);
}

TEST(XmodemReceive, BlockArrivingInPiecesIsCollected) {
    TransferRig rig(kProtoXmodemCrc);
    StartXmodemFile(rig, 1, 0);
    const std::string frame = Frame(0x01, 1, "pieces");
    const ReceiveStep step = BlockReceiveStep(kProtoXmodemCrc);
    for (std::size_t at = 0; at < frame.size(); at += 20) {
        rig.Feed(frame.substr(at, 20));
        const int result = step(rig.t);
        EXPECT_EQ(result, at + 20 >= frame.size() ? 1 : 0) << at;
    }
    EXPECT_EQ(testing::ReadFile(rig.state.ReceivePath).substr(0, 6), "pieces");
}

TEST(XmodemReceive, FileErrorsEndTheFile) {
    {
        TransferRig rig(kProtoXmodemCrc);
        StartXmodemFile(rig, 1, 0);
        rig.state.ReceivePath = rig.dir.File("gone/download.bin");
        rig.Feed(Frame(0x01, 1, "x"));
        EXPECT_EQ(StepUntilResult(rig), kXfrFileOpenError);
        EXPECT_EQ(rig.Written(), "") << "a block that was not stored is not acknowledged";
    }
    {
        TransferRig rig(kProtoXmodemCrc);
        rig.state.ReceivePath = rig.dir.path().string();  // a folder cannot be appended to
        rig.state.ExpectedBlock = 1;
        rig.Feed(Frame(0x01, 1, "x"));
        const int result = StepUntilResult(rig);
        EXPECT_TRUE(result == kXfrFileOpenError || result == kXfrWriteError) << result;
    }
}

TEST(XmodemReceive, ViewerHearsOfEveryKilobyte) {
    TransferRig rig(kProtoXmodemCrc);
    StartXmodemFile(rig, 1, 0);
    rig.state.ViewerActive = 1;
    for (int block = 1; block <= 16; ++block) {
        rig.Feed(Frame(0x01, static_cast<uint8_t>(block), "img"));
        ASSERT_EQ(StepUntilResult(rig), 1);
    }
    EXPECT_EQ(rig.host.viewerLog, (std::vector<std::string>{"notify", "notify"}));
}

TEST(YmodemReceive, BlockZero) {
    struct Case {
        const char* what;
        int protocol;
        std::string input;
        int result;
        std::string answer;
        const char* file;  // created in the download folder; "" none
        const char* sizeField;
        int32_t declared;
    } cases[] = {
        {"name and size", kProtoYmodemBatch, BlockZero("A.TXT", "1100 0 0"), 1, kAck + "C", "A.TXT", "1100", 1100},
        {"name, size, time and mode", kProtoYmodemBatch, BlockZero("b.bin", "42 14723362736 100644"), 1, kAck + "C",
         "b.bin", "42", 42},
        {"name only", kProtoYmodemBatch, BlockZero("NOSIZE.DAT"), 1, kAck + "C", "NOSIZE.DAT", "Unknown", 0},
        {"size 0", kProtoYmodemBatch, BlockZero("EMPTY", "0"), 1, kAck + "C", "EMPTY", "Unknown", 0},
        {"garbage size", kProtoYmodemBatch, BlockZero("G.TXT", "abc"), 1, kAck + "C", "G.TXT", "Unknown", 0},
        {"a path is cut to its name", kProtoYmodemBatch, BlockZero("../../etc/evil", "5"), 1, kAck + "C", "evil",
         "5", 5},
        {"dots only", kProtoYmodemBatch, BlockZero("..", "5"), 1, kAck + "C", "noname", "5", 5},
        {"name fills the block", kProtoYmodemBatch, Frame(0x01, 0, std::string(128, 'n')), 1, kAck + "C", "", "Unknown",
         0},
        {"empty name ends the batch", kProtoYmodemBatch, BlockZero(""), 2, kAck, "", "", 0},
        {"STX block 0", kProtoYmodemBatch, Frame(0x02, 0, std::string("A.TXT\0", 6)), -3, "", "", "", 0},
        {"block 1 first", kProtoYmodemBatch, Frame(0x01, 1, std::string("A.TXT\0", 6)), -13, "", "", "", 0},
        {"bad crc", kProtoYmodemBatch, Corrupt(BlockZero("A.TXT", "10"), 60), -2, "", "", "10", 10},
        {"bad complement", kProtoYmodemBatch, Corrupt(BlockZero("A.TXT"), 2), -13, "", "", "", 0},
        {"G: name and size", kProtoYmodemG, BlockZero("A.TXT", "1100 0 0"), 1, "G", "A.TXT", "1100", 1100},
        {"G: empty name", kProtoYmodemG, BlockZero(""), 2, kAck, "", "", 0},
        {"G: bad crc", kProtoYmodemG, Corrupt(BlockZero("A.TXT"), 100), -2, "", "", "Unknown", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(c.protocol);
        rig.Feed(c.input);
        EXPECT_EQ(StepUntilResult(rig), c.result);
        EXPECT_EQ(rig.Written(), c.answer);
        EXPECT_EQ(rig.host.Field(dlg::kXfrFileSize), c.sizeField);
        EXPECT_EQ(rig.state.DeclaredSize, c.declared);
        if (c.result == 1) {
            EXPECT_EQ(rig.state.ExpectedBlock, 1);
            EXPECT_EQ(rig.state.FirstBlockDone, 1);
            if (*c.file) {
                EXPECT_EQ(rig.state.ReceivePath, rig.dir.File(c.file));
                EXPECT_EQ(rig.host.Field(dlg::kXfrFileName), c.file);
            }
            EXPECT_TRUE(std::filesystem::exists(rig.state.ReceivePath));
            EXPECT_EQ(std::filesystem::file_size(rig.state.ReceivePath), 0u);
        } else {
            EXPECT_EQ(rig.state.FirstBlockDone, 0);
        }
        // Nothing but the named file ever appears in the download folder.
        int entries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(rig.dir.path())) {
            (void)entry;
            ++entries;
        }
        EXPECT_EQ(entries, c.result == 1 ? 1 : 0);
    }
}

TEST(YmodemReceive, ExistingFileIsReplacedOrBackedUp) {
    struct Case {
        int keepBackup;
        bool backupExists;
    } cases[] = {{0, false}, {1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keepBackup);
        TransferRig rig(kProtoYmodemBatch);
        testing::CurrentDirGuard here(rig.dir.path());
        std::filesystem::create_directory(rig.dir.path() / "dl");
        const std::string dl = (rig.dir.path() / "dl").string();
        std::strncpy(rig.service.DownloadDir, dl.c_str(), sizeof rig.service.DownloadDir - 1);
        rig.service.KeepBackup = static_cast<int16_t>(c.keepBackup);
        const std::string target = (rig.dir.path() / "dl" / "REPORT.TXT").string();
        testing::WriteFile(target, "last week's report");

        rig.Feed(BlockZero("REPORT.TXT", "3"));
        EXPECT_EQ(StepUntilResult(rig), 1);
        EXPECT_EQ(std::filesystem::file_size(target), 0u);
        EXPECT_EQ(std::filesystem::exists(rig.dir.File("REPORT.bak")), c.backupExists);
        if (c.backupExists) {
            EXPECT_EQ(testing::ReadFile(rig.dir.File("REPORT.bak")), "last week's report");
        }
    }
}

TEST(YmodemReceive, BatchOfTwoFiles) {
    TransferRig rig(kProtoYmodemBatch);
    const std::string one(200, '1');
    const std::string two(1024, '2');
    // The framework's reset between files is done here by hand, as
    // ReceiveDispatch does it on result 3.
    auto nextFile = [&] {
        rig.state.BytesDone = 0;
        rig.state.ExpectedBlock = 0;
        rig.state.FirstBlockDone = 0;
    };
    struct Step {
        std::string input;
        int result;
        std::string answer;
    } steps[] = {
        {BlockZero("one.txt", "200"), 1, kAck + "C"},
        {Frame(0x01, 1, one.substr(0, 128)), 1, kAck},
        {Frame(0x01, 1, one.substr(0, 128)), 1, kAck},  // our ACK was lost
        {Frame(0x01, 2, one.substr(128)), 1, kAck},
        {kEot, 3, kAck + "C"},
        {BlockZero("two.bin", "1024"), 1, kAck + "C"},
        {Frame(0x02, 1, two), 1, kAck},
        {kEot, 3, kAck + "C"},
        {BlockZero(""), 2, kAck},
    };
    for (const Step& s : steps) {
        rig.fake.written.clear();
        rig.Feed(s.input);
        const int result = StepUntilResult(rig);
        EXPECT_EQ(result, s.result);
        EXPECT_EQ(rig.Written(), s.answer);
        if (result == 3) nextFile();
    }
    EXPECT_EQ(testing::ReadFile(rig.dir.File("one.txt")), one + std::string(56, '\x1A'));
    EXPECT_EQ(testing::ReadFile(rig.dir.File("two.bin")), two);
}

TEST(YmodemReceive, StreamedBlocks) {
    const std::string data(1024, 'g');
    struct Case {
        const char* what;
        std::string input;  // after block 0 was taken
        int result;
        std::string answer;
        std::size_t fileSize;
    } cases[] = {
        {"one block, no answer", Frame(0x02, 1, data), 0, "", 1024},
        {"two blocks in one read", Frame(0x02, 1, data) + Frame(0x01, 2, "tail"), 0, "", 1152},
        {"block then EOT", Frame(0x02, 1, data) + kEot, 3, kAck + "G", 1024},
        {"EOT", kEot, 3, kAck + "G", 0},
        {"bad header byte", "x", -7, "", 0},
        {"bad crc", Corrupt(Frame(0x02, 1, data), 500), -2, "", 0},
        {"bad complement", Corrupt(Frame(0x02, 1, data), 2), -13, "", 0},
        {"repeats are not recognised", Frame(0x02, 1, data) + Frame(0x02, 1, data), -13, "", 1024},
        {"good block then a broken one", Frame(0x01, 1, "a") + Corrupt(Frame(0x01, 2, "b"), 9), -2, "", 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransferRig rig(kProtoYmodemG);
        rig.Feed(BlockZero("stream.bin", "2000"));
        ASSERT_EQ(StepUntilResult(rig), 1);
        ASSERT_EQ(rig.Written(), "G") << "block 0 gets G and nothing else";
        rig.fake.written.clear();

        rig.Feed(c.input);
        EXPECT_EQ(StepUntilResult(rig), c.result);
        EXPECT_EQ(rig.Written(), c.answer);
        EXPECT_EQ(std::filesystem::file_size(rig.dir.File("stream.bin")), c.fileSize);
    }
}

TEST(YmodemReceive, StreamedBlockSplitAcrossReads) {
    TransferRig rig(kProtoYmodemG);
    rig.Feed(BlockZero("split.bin"));
    ASSERT_EQ(StepUntilResult(rig), 1);
    const std::string frames = Frame(0x02, 1, std::string(1024, 'a')) + Frame(0x02, 2, std::string(1024, 'b'));
    for (std::size_t at = 0; at < frames.size(); at += 700) {
        rig.Feed(frames.substr(at, 700));
        EXPECT_EQ(YmodemGStep(rig.t), 0);
    }
    EXPECT_EQ(testing::ReadFile(rig.dir.File("split.bin")), std::string(1024, 'a') + std::string(1024, 'b'));
    EXPECT_EQ(rig.state.ExpectedBlock, 3);
}

TEST(ReceiveSteps, CarrierLossWhileCollecting) {
    for (int protocol = kProtoXmodemChecksum; protocol <= kProtoYmodemG; ++protocol) {
        SCOPED_TRACE(protocol);
        TransferRig rig(protocol);
        rig.state.ReceivePath = rig.dir.File("f");
        rig.Feed(Frame(0x01, 1, "x").substr(0, 60));
        rig.LoseCarrier();
        EXPECT_EQ(StepUntilResult(rig), kCarrierLost);
    }
    EXPECT_EQ(BlockReceiveStep(kProtoAscii), nullptr);
    EXPECT_EQ(BlockReceiveStep(kProtoZmodem), nullptr);
    EXPECT_EQ(BlockReceiveStep(kProtoKermit), nullptr);
}

TEST(ReceiveSteps, OverfullBufferIsRefusedNotWaitedOn) {
    // A sender that streams without waiting for answers fills the buffer; the
    // step refuses it instead of waiting for a silence that never comes.
    TransferRig rig(kProtoXmodemCrc);
    StartXmodemFile(rig, 1, 0);
    rig.Feed(Frame(0x01, 1, "a") + std::string(2000, 'z'));
    const ReceiveStep step = BlockReceiveStep(kProtoXmodemCrc);
    int result = 0;
    for (int round = 0; round < 10 && result == 0; ++round) result = step(rig.t);
    EXPECT_EQ(result, kXfrBadPacket);
}

}  // namespace
}  // namespace palvex
