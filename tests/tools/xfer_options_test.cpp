// palvex-xfer's command line and the checks of the files it names.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "phonebook/service_entry.h"
#include "support/scratch_dir.h"
#include "xfer_options.h"

namespace palvex::xfer {
namespace {

bool Parse(std::vector<std::string> words, Options& options, std::string& error) {
    std::vector<const char*> argv{"palvex-xfer"};
    for (const std::string& w : words) argv.push_back(w.c_str());
    return ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

struct GoodLine {
    std::vector<std::string> words;
    Direction direction;
    int protocol;
    std::string dir;
    std::string line;
    uint32_t speed;
    int maxErrors;
    bool keepBackup;
    std::vector<std::string> files;
};

TEST(XferOptionsTest, AcceptedLinesGiveTheirSettings) {
    const GoodLine rows[] = {
        {{"receive", "--protocol", "xmodem", "out.bin"},
         Direction::kReceive, kProtoXmodemChecksum, ".", "", 115200, 5, false, {"out.bin"}},
        // Options may come before the direction and between the files; after
        // "--" even a name that looks like an option is a file.
        {{"--protocol", "ymodem", "--dir", "/tmp", "receive", "--keep-backup", "--max-errors", "12"},
         Direction::kReceive, kProtoYmodemBatch, "/tmp", "", 115200, 12, true, {}},
        {{"send", "a", "--protocol", "xmodem-crc", "--", "--odd-name"},
         Direction::kSend, kProtoXmodemCrc, ".", "", 115200, 5, false, {"a", "--odd-name"}},
        // The protocols not built yet still parse: they are refused later
        // with their own message.
        {{"send", "--protocol", "kermit", "--line", "/dev/ttyS0", "--speed", "50", "--max-errors", "32767", "x"},
         Direction::kSend, kProtoKermit, ".", "/dev/ttyS0", 50, 32767, false, {"x"}},
    };
    for (const GoodLine& row : rows) {
        Options o;
        std::string error;
        ASSERT_TRUE(Parse(row.words, o, error)) << row.words[0] << " " << row.words[1] << ": " << error;
        SCOPED_TRACE(row.words[1]);
        EXPECT_EQ(o.direction, row.direction);
        EXPECT_EQ(o.protocol, row.protocol);
        EXPECT_EQ(o.dir, row.dir);
        EXPECT_EQ(o.line, row.line);
        EXPECT_EQ(o.speed, row.speed);
        EXPECT_EQ(o.maxErrors, row.maxErrors);
        EXPECT_EQ(o.keepBackup, row.keepBackup);
        EXPECT_EQ(o.files, row.files);
    }
}

TEST(XferOptionsTest, RefusedLinesSayWhy) {
    const std::string longDir(1028, 'd');
    const struct { std::vector<std::string> words; const char* says; } rows[] = {
        {{}, "send' or 'receive"},
        {{"fetch", "--protocol", "xmodem"}, "'fetch'"},
        {{"send", "file"}, "--protocol is required"},
        {{"send", "--protocol", "xmodem-2k", "f"}, "unknown protocol 'xmodem-2k'"},
        {{"send", "--protocol", "xmodem", "--verbose", "f"}, "unknown option '--verbose'"},
        {{"receive", "--protocol", "ymodem", "--dir", ""}, "--dir needs a directory"},
        {{"receive", "--protocol", "ymodem", "--dir", longDir}, "longer than 1027"},
        {{"send", "--protocol", "xmodem", "--line"}, "--line needs a device"},
        {{"send", "--protocol", "xmodem", "--speed", "49", "f"}, "--speed takes"},
        {{"send", "--protocol", "xmodem", "--max-errors", "0", "f"}, "--max-errors takes"},
        {{"send", "--protocol", "xmodem", "--max-errors", "32768x", "f"}, "--max-errors takes"},
        {{"send", "--protocol", "xmodem", ""}, "empty file name"},
    };
    for (const auto& row : rows) {
        Options o;
        std::string error;
        std::string line;
        for (const std::string& w : row.words) line += w.substr(0, 20) + " ";
        EXPECT_FALSE(Parse(row.words, o, error)) << line;
        EXPECT_NE(error.find(row.says), std::string::npos) << line << "-> " << error;
    }
}

struct FilesFixture : ::testing::Test {
    testing::ScratchDir dir{"xfer-options-"};
    void SetUp() override {
        dir.Write("data.bin", "hello");
        dir.Write("empty.bin", "");
        std::filesystem::create_directory(dir / "sub");
    }
    std::string P(const char* name) const { return (dir / name).string(); }
};

TEST_F(FilesFixture, FilesAreCheckedBeforeTheLineIsTouched) {
    const std::string missing = P("missing.bin");
    const struct {
        Direction direction;
        int protocol;
        std::vector<std::string> files;
        std::string downloadDir;
        int status;
        const char* says;
    } rows[] = {
        {Direction::kReceive, kProtoXmodemCrc, {P("new.bin")}, ".", kExitComplete, ""},
        {Direction::kReceive, kProtoXmodemChecksum, {P("nodir/new.bin")}, ".", kExitUsage, "no directory"},
        {Direction::kReceive, kProtoYmodemBatch, {}, P("data.bin"), kExitUsage, "no directory"},
        {Direction::kReceive, kProtoYmodemBatch, {P("x")}, ".", kExitUsage, "takes the names from the sender"},
        {Direction::kSend, kProtoXmodemCrc, {}, ".", kExitUsage, "exactly one FILE"},
        {Direction::kSend, kProtoXmodemChecksum, {P("empty.bin")}, ".", kExitFailed, "cannot send a zero-length file"},
        {Direction::kSend, kProtoXmodemCrc, {missing}, ".", kExitFailed, "No such file"},
        {Direction::kSend, kProtoXmodemCrc, {P("sub")}, ".", kExitFailed, "not a regular file"},
        {Direction::kSend, kProtoYmodemBatch, {}, ".", kExitUsage, "needs the FILES"},
        // An empty file in a batch goes to the sender, which skips it.
        {Direction::kSend, kProtoYmodemBatch, {P("data.bin"), P("empty.bin")}, ".", kExitComplete, ""},
        {Direction::kSend, kProtoYmodemG, {P("data.bin"), missing}, ".", kExitFailed, "missing.bin"},
    };
    for (const auto& row : rows) {
        Options o;
        o.direction = row.direction;
        o.protocol = row.protocol;
        o.files = row.files;
        o.dir = row.downloadDir;
        std::string error;
        const int status = CheckFiles(o, error);
        const std::string what = std::string(ProtocolCliName(row.protocol)) +
                                 (row.direction == Direction::kSend ? " send " : " receive ") +
                                 (row.files.empty() ? std::string("-") : row.files[0]);
        EXPECT_EQ(status, row.status) << what << ": " << error;
        if (row.status != kExitComplete) {
            EXPECT_NE(error.find(row.says), std::string::npos) << what << ": " << error;
        }
    }
}

}  // namespace
}  // namespace palvex::xfer
