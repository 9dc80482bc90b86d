// palvex-xfer's run: what it reports, and the ways a run over a socket pair
// ends without a transfer. Whole transfers are the interop test's.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "comm/gathering_port.h"
#include "comm/posix/fd_port.h"
#include "phonebook/service_entry.h"
#include "support/scratch_dir.h"
#include "xfer_options.h"
#include "xfer_run.h"

namespace palvex::xfer {
namespace {

// A FILE* whose text the test reads back.
struct Capture {
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    ~Capture() { std::fclose(stream), std::free(buffer); }
    FILE* file() { return stream; }
    std::string Text() { return std::fflush(stream), std::string(buffer, size); }
};

struct FieldStep { int control; const char* text; uint32_t at; };

// The fields UpdateProgress sets, in its order.
std::vector<FieldStep> Progress(const char* bytes, const char* percent, uint32_t at) {
    return {{13, bytes, at}, {14, "00:00:01", at}, {16, "None", at}, {12, "Receiving", at}, {17, "900", at},
            {18, percent, at}};
}

std::string Report(bool interactive, bool silent, const std::vector<FieldStep>& steps, const char* status,
                   const char* error) {
    Capture out;
    Reporter reporter(out.file(), interactive, silent);
    for (const FieldStep& s : steps) reporter.OnField(s.control, s.text, s.at);
    reporter.Finish(status, error, {});
    return out.Text();
}

std::vector<FieldStep> Join(std::initializer_list<std::vector<FieldStep>> parts) {
    std::vector<FieldStep> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(XferReportTest, WhatTheLogShows) {
    const std::vector<FieldStep> oneFile = Join({
        {{15, "3000", 0}, {10, "a.bin", 0}},
        Progress("0", "0 %", 0),
        Progress("1024", "34 %", 10),     // too soon after the first line
        Progress("2048", "68 %", 5000),   // due again
        Progress("3072", "100 %", 5010),  // the last one, printed at the end
    });
    const std::vector<FieldStep> retry = Join({
        {{10, "x.bin", 0}},
        Progress("128", "?", 0),
        {{12, "Retrying", 10}, {16, "crc error", 10}, {100, "1", 10}},
        // Repeats of one text are told once; a new one again.
        {{16, "crc error", 20}, {16, "bad packet", 30}},
    });

    const struct {
        const char* what;
        bool interactive;
        bool silent;
        std::vector<FieldStep> steps;
        const char* status;
        const char* error;
        const char* expected;
    } rows[] = {
        {"a log gets a line now and then and the last figures", false, false, oneFile, "Done", "None",
         "a.bin: 0 of 3000 bytes, 0 %, 900 cps, 00:00:01\n"
         "a.bin: 2048 of 3000 bytes, 68 %, 900 cps, 00:00:01\n"
         "a.bin: 3072 of 3000 bytes, 100 %, 900 cps, 00:00:01\n"
         "palvex-xfer: Done\n"},
        {"retries and the end's error text", false, false, retry, "Transfer terminated", "bad packet",
         "x.bin: 128 bytes, 900 cps, 00:00:01\n"
         "palvex-xfer: x.bin: retrying after crc error\n"
         "palvex-xfer: x.bin: retrying after bad packet\n"
         "palvex-xfer: Transfer terminated: bad packet\n"},
        {"a terminal gets one line rewritten in place", true, false, oneFile, "Done", "None",
         "\ra.bin: 0 of 3000 bytes, 0 %, 900 cps, 00:00:01\033[K"
         "\ra.bin: 2048 of 3000 bytes, 68 %, 900 cps, 00:00:01\033[K"
         "\ra.bin: 3072 of 3000 bytes, 100 %, 900 cps, 00:00:01\033[K\n"
         "palvex-xfer: Done\n"},
        {"on the line itself only the end", false, true, retry, "Transfer terminated", "bad packet",
         "palvex-xfer: Transfer terminated: bad packet\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Report(row.interactive, row.silent, row.steps, row.status, row.error), row.expected) << row.what;
    }
}

TEST(XferReportTest, MessagesShownByTheTransferAreNamed) {
    Capture out;
    Reporter(out.file(), false, false).Finish("Not started", "", {1, 4242});
    EXPECT_EQ(out.Text(), "palvex-xfer: Not started\npalvex-xfer: File open error\npalvex-xfer: message 4242\n");
}

struct RunFixture : ::testing::Test {
    testing::ScratchDir dir{"xfer-run-"};

    void SetUp() override {
        signal(SIGPIPE, SIG_IGN);
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    void WriteFile(const std::string& name, std::size_t size) {
        std::ofstream(Path(name), std::ios::binary) << std::string(size, 'x');
    }

    // One run on descriptor `fd`; its log goes to `log`.
    static int Run(const Options& options, int fd, std::string& log, const volatile std::sig_atomic_t* cancel = nullptr) {
        Capture out;
        FdPort device(fd, fd);
        GatheringPort line(device);
        LineHooks hooks;
        hooks.gone = [&device] { return device.LineGone(); };
        hooks.wait = [fd](int ms) { WaitDescriptorReadable(fd, ms); };
        RunSettings settings;
        settings.log = out.file();
        settings.cancelRequests = cancel;
        const int status = RunTransfer(options, line, hooks, settings);
        log = out.Text();
        return status;
    }

    static Options Make(Direction direction, int protocol, std::vector<std::string> files, std::string dir = ".") {
        Options o;
        o.direction = direction;
        o.protocol = protocol;
        o.files = std::move(files);
        o.dir = std::move(dir);
        return o;
    }
};

TEST_F(RunFixture, RunsThatCannotCompleteEndWithAReason) {
    WriteFile("x.bin", 500);
    const volatile std::sig_atomic_t pressed = 1;
    const struct {
        const char* what;
        Options options;
        bool closeFarEnd;
        const volatile std::sig_atomic_t* cancel;
        int status;
        const char* says;
    } rows[] = {
        {"send, the far end closed", Make(Direction::kSend, kProtoYmodemBatch, {Path("x.bin")}), true, nullptr,
         kExitFailed, "the line was closed at the far end"},
        {"receive, interrupted", Make(Direction::kReceive, kProtoYmodemG, {}, dir.str()), false, &pressed,
         kExitFailed, "user cancelled"},
        {"receive into a file that cannot be made", Make(Direction::kReceive, kProtoXmodemChecksum, {Path("no/dir/f")}),
         false, nullptr, kExitFailed, "File open error"},
    };
    for (const auto& row : rows) {
        int pair[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        if (row.closeFarEnd) ::close(pair[1]);
        std::string log;
        EXPECT_EQ(Run(row.options, pair[0], log, row.cancel), row.status) << row.what << "\n" << log;
        EXPECT_NE(log.find(row.says), std::string::npos) << row.what << "\n" << log;
        ::close(pair[0]);
        if (!row.closeFarEnd) ::close(pair[1]);
    }
}

}  // namespace
}  // namespace palvex::xfer
