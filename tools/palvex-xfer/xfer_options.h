// palvex-xfer's command line: what to do, by which protocol, where, over
// which line; and the checks of the files named, made before the line is
// touched so that a typo never leaves a peer waiting.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace palvex::xfer {

// Exit statuses.
inline constexpr int kExitComplete = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

enum class Direction { kNone, kSend, kReceive };

struct Options {
    Direction direction = Direction::kNone;
    int protocol = -1;        // TransferProtocol
    std::string dir = ".";    // where batch protocols put received files
    std::string line;         // a device; empty: standard input and output
    uint32_t speed = 115200;  // of the device
    int maxErrors = 5;
    bool keepBackup = false;
    bool help = false;
    std::vector<std::string> files;
};

// The TransferProtocol of a command-line name ("xmodem-crc"); -1 when unknown.
int ProtocolFromName(const std::string& name);
// The command-line name of a protocol number.
const char* ProtocolCliName(int protocol);
// True for the protocols this build can run.
bool ProtocolAvailable(int protocol);
// True for the protocols that move one file the user names (ASCII, XMODEM);
// the others take their names from the batch list or the sender.
bool SingleFileProtocol(int protocol);

// Parses argv[1..]. False with `error` set when the line makes no sense; a
// request for help is not an error (`help` is set and the rest unchecked).
bool ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

void PrintUsage(FILE* to);

// Checks what the transfer will need from the file system: the one file to
// receive into or send, the batch to send, the download directory. Returns
// kExitComplete when all is well, otherwise the exit status with `error` set:
// kExitUsage for a command line that cannot work (no file where one is
// needed, a directory that does not exist), kExitFailed for files that are
// there but cannot be sent (missing, unreadable, empty for XMODEM).
int CheckFiles(const Options& options, std::string& error);

}  // namespace palvex::xfer
