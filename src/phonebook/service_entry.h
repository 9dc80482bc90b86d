// One phone book service: the record and its file. The file is the record byte
// for byte (2418 bytes, little-endian, no header), so the layout below is the
// file format and every offset is checked at compile time.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ui.h"

namespace palvex {

static_assert(std::endian::native == std::endian::little,
              "service files are little-endian images of the record");

#pragma pack(push, 1)

// The Win32 LOGFONTA image (60 bytes), kept inside the record.
struct LogFont {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[32];
};
static_assert(sizeof(LogFont) == 60);

struct ServiceEntry {
    char PhoneNumber[80];
    char PhonePrefix[8];
    char ShortName[10];
    int16_t DataBitsIndex;   // 0 = 8 data bits, 1 = 7
    int16_t StopBits;        // 0 = 1, 1 = 1.5, 2 = 2
    int16_t Parity;          // 0 none, 1 odd, 2 even
    int16_t PortIndex;       // 0..7 = COM1..COM8
    int16_t BaudIndex;       // 0..10, fastest first
    int16_t PhoneType;       // 0 pulse, 1 tone, 2 none (direct)
    int16_t ModemIndex;
    int16_t Protocol;        // 0..7, see TransferProtocol
    int16_t ZSkipExisting;
    int16_t ZCrashRecover;
    int16_t DialTimeout;     // seconds, 0 means 60
    int16_t DialRetries;
    int16_t AsciiStripLf;
    char AsciiStartChar[2];  // caret notation allowed, not NUL-terminated when full
    char AsciiEndChar[2];
    int16_t KeepBackup;
    int16_t SessionCapture;
    int16_t AnswerOnDirect;
    int16_t RealtimeView;
    int16_t TerminalType;    // 1..9, 0 behaves as 1
    int16_t FlowControl;     // 0 none, 1 hardware, 2 xon/xoff, 3 both
    int16_t InboundCrLf;
    int16_t OutboundCrLf;
    int16_t LocalEcho;
    int16_t Reserved146;
    char DownloadDir[1028];
    char SessionLogDir[1028];
    uint8_t Reserved2204[64];
    LogFont TerminalFont;
    int16_t DefaultColours;
    uint32_t BackgroundColour;  // COLORREF
    uint32_t TextColour;        // COLORREF
    int16_t ZSegmented;
    int16_t TerminalWidth;      // 0 = 80 columns, 1 = 132
    int16_t AutoWrap;
    int16_t KermitEightBitPrefix;
    uint16_t KermitPacketSize;  // 0 means 1024
    int16_t MaxErrors;          // 0 means 5
    int16_t ZEscapeControl;
    int16_t BackspaceDelete;
    uint16_t AsciiLineDelay;    // ms
    uint16_t AsciiCharDelay;    // ms
    char NameTail[26];
    uint8_t Reserved2384[22];
    int16_t DisplayControls;
    int16_t KeypadApplication;
    int16_t TerminalHeight;     // rows 24..99, 0 means the current height
    int16_t ResizeMode;         // 0 none, 1 term, 2 font
    int32_t ScrollLock;
};

#pragma pack(pop)

inline constexpr std::size_t kServiceEntrySize = 2418;
static_assert(sizeof(ServiceEntry) == kServiceEntrySize);
// The file format: every field at its offset.
static_assert(offsetof(ServiceEntry, PhoneNumber) == 0);
static_assert(offsetof(ServiceEntry, PhonePrefix) == 80);
static_assert(offsetof(ServiceEntry, ShortName) == 88);
static_assert(offsetof(ServiceEntry, DataBitsIndex) == 98);
static_assert(offsetof(ServiceEntry, StopBits) == 100);
static_assert(offsetof(ServiceEntry, Parity) == 102);
static_assert(offsetof(ServiceEntry, PortIndex) == 104);
static_assert(offsetof(ServiceEntry, BaudIndex) == 106);
static_assert(offsetof(ServiceEntry, PhoneType) == 108);
static_assert(offsetof(ServiceEntry, ModemIndex) == 110);
static_assert(offsetof(ServiceEntry, Protocol) == 112);
static_assert(offsetof(ServiceEntry, ZSkipExisting) == 114);
static_assert(offsetof(ServiceEntry, ZCrashRecover) == 116);
static_assert(offsetof(ServiceEntry, DialTimeout) == 118);
static_assert(offsetof(ServiceEntry, DialRetries) == 120);
static_assert(offsetof(ServiceEntry, AsciiStripLf) == 122);
static_assert(offsetof(ServiceEntry, AsciiStartChar) == 124);
static_assert(offsetof(ServiceEntry, AsciiEndChar) == 126);
static_assert(offsetof(ServiceEntry, KeepBackup) == 128);
static_assert(offsetof(ServiceEntry, SessionCapture) == 130);
static_assert(offsetof(ServiceEntry, AnswerOnDirect) == 132);
static_assert(offsetof(ServiceEntry, RealtimeView) == 134);
static_assert(offsetof(ServiceEntry, TerminalType) == 136);
static_assert(offsetof(ServiceEntry, FlowControl) == 138);
static_assert(offsetof(ServiceEntry, InboundCrLf) == 140);
static_assert(offsetof(ServiceEntry, OutboundCrLf) == 142);
static_assert(offsetof(ServiceEntry, LocalEcho) == 144);
static_assert(offsetof(ServiceEntry, Reserved146) == 146);
static_assert(offsetof(ServiceEntry, DownloadDir) == 148);
static_assert(offsetof(ServiceEntry, SessionLogDir) == 1176);
static_assert(offsetof(ServiceEntry, Reserved2204) == 2204);
static_assert(offsetof(ServiceEntry, TerminalFont) == 2268);
static_assert(offsetof(ServiceEntry, DefaultColours) == 2328);
static_assert(offsetof(ServiceEntry, BackgroundColour) == 2330);
static_assert(offsetof(ServiceEntry, TextColour) == 2334);
static_assert(offsetof(ServiceEntry, ZSegmented) == 2338);
static_assert(offsetof(ServiceEntry, TerminalWidth) == 2340);
static_assert(offsetof(ServiceEntry, AutoWrap) == 2342);
static_assert(offsetof(ServiceEntry, KermitEightBitPrefix) == 2344);
static_assert(offsetof(ServiceEntry, KermitPacketSize) == 2346);
static_assert(offsetof(ServiceEntry, MaxErrors) == 2348);
static_assert(offsetof(ServiceEntry, ZEscapeControl) == 2350);
static_assert(offsetof(ServiceEntry, BackspaceDelete) == 2352);
static_assert(offsetof(ServiceEntry, AsciiLineDelay) == 2354);
static_assert(offsetof(ServiceEntry, AsciiCharDelay) == 2356);
static_assert(offsetof(ServiceEntry, NameTail) == 2358);
static_assert(offsetof(ServiceEntry, Reserved2384) == 2384);
static_assert(offsetof(ServiceEntry, DisplayControls) == 2406);
static_assert(offsetof(ServiceEntry, KeypadApplication) == 2408);
static_assert(offsetof(ServiceEntry, TerminalHeight) == 2410);
static_assert(offsetof(ServiceEntry, ResizeMode) == 2412);
static_assert(offsetof(ServiceEntry, ScrollLock) == 2414);

// Terminal types, in the order of the terminal list.
enum TerminalType : int {
    kTypeTty = 1,
    kTypeVt100Color = 2,
    kTypeVt52 = 3,
    kTypeVt100 = 4,
    kTypeVt102 = 5,
    kTypeVt220 = 6,
    kTypeVt320 = 7,
    kTypeWyse50 = 8,
    kTypeScoAnsi = 9,
};

// Transfer protocols, in the order of the protocol list.
enum TransferProtocol : int {
    kProtoAscii = 0,
    kProtoXmodemChecksum = 1,
    kProtoXmodemCrc = 2,
    kProtoXmodem1k = 3,
    kProtoYmodemBatch = 4,
    kProtoYmodemG = 5,
    kProtoZmodem = 6,
    kProtoKermit = 7,
};

// The built-in default entry (all zero but the defaults of the record).
ServiceEntry DefaultServiceEntry();

// Baud rate of a baud-rate index (0 = 115200 .. 10 = 300); 0 when out of range.
uint32_t BaudRateForIndex(int index);
// "115200" .. "300" for the index; "" when out of range.
const char* BaudRateText(int index);

// "COM%1d:%s,%c,%c,%s": port, rate, data bits, parity letter, stop bits.
std::string FormatPortSummary(const ServiceEntry& entry);

// Splits a typed long name: the short name takes the characters up to the first
// blank, at most 8; the tail takes everything after that point, blank included,
// cut to 25 characters.
void SplitServiceName(const char* typed, char (&shortName)[10], char (&tail)[26]);
// The name the phone book lists: short name followed directly by the tail.
std::string LongServiceName(const ServiceEntry& entry);

// The file of a service in `dir` (empty: the current directory): short name and
// extension; on a case-sensitive file system an existing file that differs only
// in case is found.
std::string ServiceFilePath(const std::string& dir, const char* shortName, const char* extension);

// True when `path` is a phone book entry: a file of exactly 2418 bytes.
bool IsServiceFile(const std::string& path);

// Reads short name + ".phn" from `dir` into `current`. Returns 0, or -1 (silently,
// `current` unchanged) when the file cannot be opened or is not 2418 bytes long.
int ReadServiceEntry(const std::string& dir, const char* shortName, ServiceEntry& current);

// Writes `current` to its short name + ".phn" in `installDir`, opening the file
// for reading and writing or creating it. Returns 0 or -1.
int SaveServiceEntry(const std::string& installDir, const ServiceEntry& current);

// Creates (truncates) short name + ".PHN" in `dir` and writes the record; on
// failure shows "File open error" (string 1) and returns -1.
int CreateServiceFile(const std::string& dir, const ServiceEntry& entry, Ui& ui, WindowRef owner);

}  // namespace palvex
