// Modem profiles: the command strings and result texts of one kind of
// Hayes-compatible modem, stored byte for byte as a 2240-byte ".mdm" file in
// the installation directory, one file per manufacturer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace palvex {

struct Session;

inline constexpr std::size_t kProfileFieldSize = 80;
inline constexpr int kProfileFieldCount = 28;
inline constexpr std::size_t kModemProfileSize = 2240;
// The edit controls deliver at most this many characters per field.
inline constexpr int kProfileTextLimit = 78;

using ProfileField = char[kProfileFieldSize];

// Each field is a NUL-terminated string; what follows the NUL is whatever was
// in memory before and means nothing, but is kept so a file written back is the
// same file.
struct ModemProfile {
    char DialSuffix[kProfileFieldSize] = {};
    char DialPrefix[kProfileFieldSize] = {};
    char InitString[kProfileFieldSize] = {};
    char HangupString[kProfileFieldSize] = {};
    char ResetString[kProfileFieldSize] = {};
    char EscapeString[kProfileFieldSize] = {};
    char ResultBusy[kProfileFieldSize] = {};
    char ResultDialtone[kProfileFieldSize] = {};
    char ResultCarrier[kProfileFieldSize] = {};
    char ResultAnswer[kProfileFieldSize] = {};
    char ResultTimeout[kProfileFieldSize] = {};
    char ResultError[kProfileFieldSize] = {};
    char ResultOk[kProfileFieldSize] = {};
    char ResultConnect[kProfileFieldSize] = {};  // also the 300 bps connect text
    char Connect1200[kProfileFieldSize] = {};
    char Connect2400[kProfileFieldSize] = {};
    char Connect4800[kProfileFieldSize] = {};
    char Connect9600[kProfileFieldSize] = {};
    char Connect600[kProfileFieldSize] = {};
    char Connect14400[kProfileFieldSize] = {};
    char Connect19200[kProfileFieldSize] = {};
    char Connect38400[kProfileFieldSize] = {};
    char Connect56000[kProfileFieldSize] = {};
    char ValidDialChars[kProfileFieldSize] = {};
    char Reserved[4][kProfileFieldSize] = {};
};

static_assert(sizeof(ModemProfile) == kModemProfileSize);
static_assert(sizeof(ModemProfile) == kProfileFieldCount * kProfileFieldSize);
static_assert(offsetof(ModemProfile, DialSuffix) == 0);
static_assert(offsetof(ModemProfile, DialPrefix) == 80);
static_assert(offsetof(ModemProfile, InitString) == 160);
static_assert(offsetof(ModemProfile, HangupString) == 240);
static_assert(offsetof(ModemProfile, ResetString) == 320);
static_assert(offsetof(ModemProfile, EscapeString) == 400);
static_assert(offsetof(ModemProfile, ResultBusy) == 480);
static_assert(offsetof(ModemProfile, ResultDialtone) == 560);
static_assert(offsetof(ModemProfile, ResultCarrier) == 640);
static_assert(offsetof(ModemProfile, ResultAnswer) == 720);
static_assert(offsetof(ModemProfile, ResultTimeout) == 800);
static_assert(offsetof(ModemProfile, ResultError) == 880);
static_assert(offsetof(ModemProfile, ResultOk) == 960);
static_assert(offsetof(ModemProfile, ResultConnect) == 1040);
static_assert(offsetof(ModemProfile, Connect1200) == 1120);
static_assert(offsetof(ModemProfile, Connect2400) == 1200);
static_assert(offsetof(ModemProfile, Connect4800) == 1280);
static_assert(offsetof(ModemProfile, Connect9600) == 1360);
static_assert(offsetof(ModemProfile, Connect600) == 1440);
static_assert(offsetof(ModemProfile, Connect14400) == 1520);
static_assert(offsetof(ModemProfile, Connect19200) == 1600);
static_assert(offsetof(ModemProfile, Connect38400) == 1680);
static_assert(offsetof(ModemProfile, Connect56000) == 1760);
static_assert(offsetof(ModemProfile, ValidDialChars) == 1840);
static_assert(offsetof(ModemProfile, Reserved) == 1920);

// Result indices, in the order MatchResultCode tries them.
enum ModemResult : int {
    kModemBusy = 0,
    kModemDialtone = 1,
    kModemCarrier = 2,
    kModemAnswer = 3,
    kModemTimeout = 4,
    kModemError = 5,
    kModemOk = 6,
    kModemConnect = 7,
};
inline constexpr int kModemResultCount = 8;

inline constexpr int kManufacturerCount = 16;
inline constexpr int kHayesIndex = 4;
inline constexpr int kUsRoboticsIndex = 13;
inline constexpr const char* ManufacturerTable[kManufacturerCount] = {
    "AT&T",     "BlackBox",  "BOCA",     "Dallas", "Hayes",   "Infotel",    "Microcom", "Practical",
    "Promethus", "Rockwell", "Sierra",   "Telebit", "Twincom", "USRobotics", "Zoom",    "Custom"};

// The manufacturer's full name; "" for an index outside the table.
const char* ManufacturerName(int index);

// The name cut to 8 characters + ".mdm"; "" for an index outside the table.
std::string ProfileFileName(int index);
// The profile file of `index` in `dir` ("" = the current directory). On a
// case-sensitive file system an existing file differing only in case is found.
// "" for an index outside the table.
std::string ProfilePath(const std::string& dir, int index);

// The text of a field: up to its NUL, never past its 80 bytes.
std::string_view FieldText(const ProfileField& field);
// Puts at most 78 characters of `text` and a NUL into `field`; the bytes after
// the NUL stay as they were.
void StoreField(ProfileField& field, std::string_view text);
// Field `index` of MatchResultCode's order (0 Busy .. 7 Connect).
const ProfileField& ResultField(const ModemProfile& profile, int index);

enum class ProfileAccess { ReadOnly, ReadWrite };

// Reads the profile file of `index` in `dir` over `profile`. A file shorter
// than 2240 bytes fills only the start; a missing or unreadable file leaves
// `profile` as it was. Nothing is ever shown to the user; the result (whether
// the file opened) is for the dialogs, which fill their controls only then.
// The dialogs open with ReadWrite, as they will write the file back.
bool LoadModemProfile(ModemProfile& profile, const std::string& dir, int index,
                      ProfileAccess access = ProfileAccess::ReadOnly);
// Writes all 2240 bytes to the file of `index` in `dir`, opening it for reading
// and writing or creating it. A file that can be neither is silently skipped;
// the result is whether all bytes were written.
bool SaveModemProfile(const ModemProfile& profile, const std::string& dir, int index);

// The bytes a command string stands for: caret + c gives the byte c - 0x40
// (^M is CR, ^[ is ESC, ^m is 0x2D: no case folding); everything else is copied.
// A caret with nothing after it is sent as the caret itself.
std::string ExpandControlNotation(std::string_view text);

// An init or escape string converted with its pauses: every tilde is dropped and
// each third one (3rd, 6th, ...) is one second of waiting, all of which happens
// before the first byte goes out. A tilde right after a caret is the caret's
// character, not a pause.
struct PausedCommand {
    std::string bytes;
    int pauses = 0;  // seconds to wait before sending
};
PausedCommand ExpandWithPauses(std::string_view text);

// Sends a command string: with `withPauses` (init and escape strings) the tilde
// pauses are waited out first with WaitPumping, the receive pump running while
// they last when `pumpOn`; then the bytes go out one per WritePort call.
void SendCommandString(Session& s, std::string_view text, bool withPauses, bool pumpOn);

// The first result index (0 Busy .. 7 Connect) whose field occurs in `line`,
// case-sensitive; -1 when none does. An empty field occurs in every line.
int MatchResultCode(const ModemProfile& profile, std::string_view line);

}  // namespace palvex
