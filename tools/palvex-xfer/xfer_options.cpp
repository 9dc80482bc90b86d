#include "xfer_options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "phonebook/service_entry.h"

namespace palvex::xfer {

namespace {

struct ProtocolRow {
    const char* name;
    int protocol;
    bool available;
};

// ASCII, ZMODEM and Kermit are named so that a script written for them
// gets a plain "not available yet" rather than "unknown protocol".
constexpr ProtocolRow kProtocols[] = {
    {"ascii", kProtoAscii, false},
    {"xmodem", kProtoXmodemChecksum, true},
    {"xmodem-crc", kProtoXmodemCrc, true},
    {"xmodem-1k", kProtoXmodem1k, true},
    {"ymodem", kProtoYmodemBatch, true},
    {"ymodem-g", kProtoYmodemG, true},
    {"zmodem", kProtoZmodem, false},
    {"kermit", kProtoKermit, false},
};

// The service record keeps the download directory in 1028 bytes.
constexpr std::size_t kDirMax = sizeof(ServiceEntry{}.DownloadDir) - 1;

bool ParseNumber(const char* text, long low, long high, long& out) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    out = v;
    return true;
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

std::string ErrnoText() { return std::strerror(errno); }

// The directory part of a path ("." for a bare name).
std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

int CheckSendFile(const Options& options, const std::string& path, std::string& error) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        error = Quoted(path) + ": " + ErrnoText();
        return kExitFailed;
    }
    if (!S_ISREG(st.st_mode)) {
        error = Quoted(path) + ": not a regular file";
        return kExitFailed;
    }
    if (access(path.c_str(), R_OK) != 0) {
        error = Quoted(path) + ": " + ErrnoText();
        return kExitFailed;
    }
    // XMODEM has no way to say "nothing": its first block carries data.
    // YMODEM can, and skips such a file itself ("File is zero length").
    if (st.st_size == 0 && SingleFileProtocol(options.protocol)) {
        error = Quoted(path) + " is empty; " + ProtocolCliName(options.protocol) +
                " cannot send a zero-length file";
        return kExitFailed;
    }
    return kExitComplete;
}

}  // namespace

int ProtocolFromName(const std::string& name) {
    for (const ProtocolRow& row : kProtocols) {
        if (name == row.name) return row.protocol;
    }
    return -1;
}

const char* ProtocolCliName(int protocol) {
    for (const ProtocolRow& row : kProtocols) {
        if (row.protocol == protocol) return row.name;
    }
    return "?";
}

bool ProtocolAvailable(int protocol) {
    for (const ProtocolRow& row : kProtocols) {
        if (row.protocol == protocol) return row.available;
    }
    return false;
}

bool SingleFileProtocol(int protocol) {
    return protocol == kProtoAscii || protocol == kProtoXmodemChecksum || protocol == kProtoXmodemCrc ||
           protocol == kProtoXmodem1k;
}

bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
    options = Options{};
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i] ? argv[i] : "";
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (onlyFiles || a.empty() || a[0] != '-' || a == "-") {
            if (options.direction == Direction::kNone && !onlyFiles) {
                if (a == "send") {
                    options.direction = Direction::kSend;
                    continue;
                }
                if (a == "receive") {
                    options.direction = Direction::kReceive;
                    continue;
                }
                error = "the first word is 'send' or 'receive', not " + Quoted(a);
                return false;
            }
            if (a.empty()) {
                error = "an empty file name";
                return false;
            }
            options.files.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyFiles = true;
        } else if (a == "--help" || a == "-h") {
            options.help = true;
            return true;
        } else if (a == "--protocol") {
            const char* v = value();
            if (v == nullptr) {
                error = "--protocol needs a name";
                return false;
            }
            options.protocol = ProtocolFromName(v);
            if (options.protocol < 0) {
                error = "unknown protocol " + Quoted(v);
                return false;
            }
        } else if (a == "--dir") {
            const char* v = value();
            if (v == nullptr || *v == '\0') {
                error = "--dir needs a directory";
                return false;
            }
            if (std::strlen(v) > kDirMax) {
                error = "--dir is longer than " + std::to_string(kDirMax) + " characters";
                return false;
            }
            options.dir = v;
        } else if (a == "--line") {
            const char* v = value();
            if (v == nullptr || *v == '\0') {
                error = "--line needs a device";
                return false;
            }
            options.line = v;
        } else if (a == "--speed") {
            long v = 0;
            if (!ParseNumber(value(), 50, 4000000, v)) {
                error = "--speed takes a rate from 50 to 4000000";
                return false;
            }
            options.speed = static_cast<uint32_t>(v);
        } else if (a == "--max-errors") {
            long v = 0;
            if (!ParseNumber(value(), 1, 32767, v)) {
                error = "--max-errors takes a number from 1 to 32767";
                return false;
            }
            options.maxErrors = static_cast<int>(v);
        } else if (a == "--keep-backup") {
            options.keepBackup = true;
        } else {
            error = "unknown option " + Quoted(a);
            return false;
        }
    }
    if (options.direction == Direction::kNone) {
        error = "say 'send' or 'receive'";
        return false;
    }
    if (options.protocol < 0) {
        error = "--protocol is required";
        return false;
    }
    return true;
}

int CheckFiles(const Options& options, std::string& error) {
    const bool single = SingleFileProtocol(options.protocol);
    const char* proto = ProtocolCliName(options.protocol);
    if (options.direction == Direction::kReceive) {
        if (single) {
            if (options.files.size() != 1) {
                error = std::string(proto) + " receives into exactly one FILE";
                return kExitUsage;
            }
            const std::string dir = DirectoryOf(options.files[0]);
            struct stat st {};
            if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
                error = "no directory " + Quoted(dir) + " for " + Quoted(options.files[0]);
                return kExitUsage;
            }
            return kExitComplete;
        }
        if (!options.files.empty()) {
            error = std::string(proto) + " takes the names from the sender; use --dir for where they go";
            return kExitUsage;
        }
        struct stat st {};
        if (stat(options.dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            error = "no directory " + Quoted(options.dir);
            return kExitUsage;
        }
        return kExitComplete;
    }

    if (single && options.files.size() != 1) {
        error = std::string(proto) + " sends exactly one FILE";
        return kExitUsage;
    }
    if (options.files.empty()) {
        error = std::string(proto) + " needs the FILES to send";
        return kExitUsage;
    }
    for (const std::string& f : options.files) {
        const int status = CheckSendFile(options, f, error);
        if (status != kExitComplete) return status;
    }
    return kExitComplete;
}

void PrintUsage(FILE* to) {
    std::fputs(
        "usage: palvex-xfer send|receive --protocol NAME [options] [FILES...]\n"
        "Sends or receives files over standard input and output (like sz and rz),\n"
        "or over a serial device with --line.\n"
        "\n"
        "  --protocol NAME   xmodem (checksum), xmodem-crc, xmodem-1k, ymodem,\n"
        "                    ymodem-g; zmodem, kermit and ascii are not available yet\n"
        "  --dir DIR         where ymodem and ymodem-g put received files\n"
        "                    (default: the current directory)\n"
        "  --line DEVICE     talk on DEVICE (a tty) instead of standard input/output\n"
        "  --speed N         the rate of DEVICE (default 115200)\n"
        "  --max-errors N    errors allowed per block before giving up (default 5)\n"
        "  --keep-backup     a received file that exists is first renamed to its\n"
        "                    name up to the first '.' plus \".bak\" in the current\n"
        "                    directory (ymodem, ymodem-g)\n"
        "  --help            this text\n"
        "\n"
        "receive: xmodem writes the one FILE given (the sender's padding stays in it);\n"
        "         ymodem writes into DIR under the sender's names.\n"
        "send:    xmodem sends one FILE (not an empty one); ymodem sends the FILES in\n"
        "         order and skips empty ones.\n"
        "\n"
        "Progress goes to standard error; nothing but the protocol goes to standard\n"
        "output. Ctrl-C (SIGINT) cancels the transfer as the Cancel button does.\n"
        "Exit status: 0 complete, 1 failed, 2 usage error or protocol not available.\n",
        to);
}

}  // namespace palvex::xfer
