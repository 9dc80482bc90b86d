// palvex-xfer: the program's file transfers from a shell, like sz and rz.
// It talks on standard input and output, or on a serial device, and runs
// the very protocol code of the status dialog.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "comm/gathering_port.h"
#include "comm/posix/fd_port.h"
#include "line_port.h"
#include "xfer_options.h"
#include "xfer_run.h"

namespace {

volatile std::sig_atomic_t gCancelRequests = 0;

extern "C" void OnInterrupt(int) { gCancelRequests = gCancelRequests + 1; }

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The first press cancels the transfer, which then ends by itself; a
    // second one finds the default action again and ends the program.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A peer that closes its side is seen as a lost line, not a signal.
    signal(SIGPIPE, SIG_IGN);
}

// The master side of a pty passes bytes untouched; its terminal settings are
// the slave's, which belong to the program on the other side.
bool IsPtyMaster(int fd) { return ptsname(fd) != nullptr; }

// Standard input as a raw line for the length of the transfer, when it is a
// terminal (rz and sz do the same): no echo, no line editing, no signals
// from control characters, all eight bits.
class RawTerminal {
public:
    explicit RawTerminal(int fd) : fd_(fd) {
        if (!isatty(fd_) || IsPtyMaster(fd_) || tcgetattr(fd_, &saved_) != 0) return;
        termios raw = saved_;
        cfmakeraw(&raw);
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        active_ = tcsetattr(fd_, TCSADRAIN, &raw) == 0;
    }
    ~RawTerminal() {
        if (active_) tcsetattr(fd_, TCSADRAIN, &saved_);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

private:
    int fd_;
    termios saved_{};
    bool active_ = false;
};

bool SameFile(int a, int b) {
    struct stat sa {}, sb {};
    if (fstat(a, &sa) != 0 || fstat(b, &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace palvex::xfer;
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "palvex-xfer: %s\n", error.c_str());
        std::fputs("Try 'palvex-xfer --help'.\n", stderr);
        return kExitUsage;
    }
    if (options.help) {
        // Asked for, so it goes where the asker looks; nothing else ever
        // goes to standard output.
        PrintUsage(stdout);
        return kExitComplete;
    }
    if (!ProtocolAvailable(options.protocol)) {
        std::fprintf(stderr, "palvex-xfer: %s: not available yet\n", ProtocolCliName(options.protocol));
        return kExitUsage;
    }
    const int checked = CheckFiles(options, error);
    if (checked != kExitComplete) {
        std::fprintf(stderr, "palvex-xfer: %s\n", error.c_str());
        return checked;
    }

    CatchInterrupts();
    RunSettings settings;
    settings.cancelRequests = &gCancelRequests;
    settings.interactive = isatty(STDERR_FILENO) == 1;

    if (!options.line.empty()) {
        LinePort device;
        palvex::GatheringPort line(device);
        settings.deviceName = options.line;
        settings.carrierFromStart = false;
        LineHooks hooks;
        hooks.gone = [&device] { return device.LineGone(); };
        hooks.wait = [&device](int ms) {
            if (device.IsOpen()) palvex::WaitDescriptorReadable(device.Descriptor(), ms);
        };
        return RunTransfer(options, line, hooks, settings);
    }

    // On the line itself (a terminal session on a remote host), anything
    // written to standard error would land in the protocol; only the end is
    // reported, once the line is free again.
    settings.silent = SameFile(STDERR_FILENO, STDIN_FILENO) || SameFile(STDERR_FILENO, STDOUT_FILENO);
    RawTerminal raw(STDIN_FILENO);
    palvex::FdPort device(STDIN_FILENO, STDOUT_FILENO);
    palvex::GatheringPort line(device);
    LineHooks hooks;
    hooks.gone = [&device] { return device.LineGone(); };
    hooks.wait = [](int ms) { palvex::WaitDescriptorReadable(STDIN_FILENO, ms); };
    return RunTransfer(options, line, hooks, settings);
}
