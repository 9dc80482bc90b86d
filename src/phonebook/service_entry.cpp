#include "phonebook/service_entry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "comm/port.h"

namespace palvex {

namespace {

constexpr uint32_t kBaudRates[] = {115200, 57600, 38400, 19200, 14400, 9600, 4800, 2400, 1200, 600, 300};
constexpr const char* kBaudTexts[] = {"115200", "57600", "38400", "19200", "14400", "9600",
                                      "4800",   "2400",  "1200",  "600",   "300"};
constexpr int kBaudCount = 11;

// Bounded copy that always terminates, since record text fields may hold
// anything after a damaged save.
void CopyText(char* dst, std::size_t size, const char* src, std::size_t n) {
    if (n >= size) n = size - 1;
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

std::size_t BoundedLength(const char* text, std::size_t size) {
    const void* nul = std::memchr(text, '\0', size);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : size;
}

}  // namespace

ServiceEntry DefaultServiceEntry() {
    ServiceEntry e;
    std::memset(&e, 0, sizeof e);
    e.BaudIndex = 7;
    e.PhoneType = 1;
    e.ModemIndex = 4;
    e.Protocol = kProtoZmodem;
    e.DialTimeout = 60;
    e.DialRetries = 5;
    e.AsciiStripLf = 1;
    e.AsciiStartChar[0] = '^';
    e.AsciiStartChar[1] = 'M';
    e.RealtimeView = 1;
    e.TerminalType = kTypeVt100Color;
    e.FlowControl = 3;
    return e;
}

uint32_t BaudRateForIndex(int index) {
    return index >= 0 && index < kBaudCount ? kBaudRates[index] : 0;
}

const char* BaudRateText(int index) {
    return index >= 0 && index < kBaudCount ? kBaudTexts[index] : "";
}

std::string FormatPortSummary(const ServiceEntry& e) {
    static constexpr char kParity[] = {'N', 'O', 'E'};
    static constexpr const char* kStops[] = {"1", "1.5", "2"};
    const char parity = e.Parity >= 0 && e.Parity <= 2 ? kParity[e.Parity] : 'N';
    const char* stops = e.StopBits >= 0 && e.StopBits <= 2 ? kStops[e.StopBits] : "1";
    char text[64];
    std::snprintf(text, sizeof text, "COM%1d:%s,%c,%c,%s", e.PortIndex + 1, BaudRateText(e.BaudIndex),
                  e.DataBitsIndex == 1 ? '7' : '8', parity, stops);
    return text;
}

void SplitServiceName(const char* typed, char (&shortName)[10], char (&tail)[26]) {
    std::memset(shortName, 0, sizeof shortName);
    std::memset(tail, 0, sizeof tail);
    if (!typed) return;
    const std::size_t len = std::strlen(typed);
    std::size_t cut = 0;
    while (cut < len && cut < 8 && typed[cut] != ' ') ++cut;
    CopyText(shortName, sizeof shortName, typed, cut);
    CopyText(tail, sizeof tail, typed + cut, std::min<std::size_t>(len - cut, 25));
}

std::string LongServiceName(const ServiceEntry& e) {
    std::string name(e.ShortName, BoundedLength(e.ShortName, sizeof e.ShortName));
    name.append(e.NameTail, BoundedLength(e.NameTail, sizeof e.NameTail));
    return name;
}

std::string ServiceFilePath(const std::string& dir, const char* shortName, const char* extension) {
    namespace fs = std::filesystem;
    std::string file(shortName, BoundedLength(shortName, 10));
    file += extension;
    const fs::path base = dir.empty() ? fs::path(".") : fs::path(dir);
    fs::path exact = base / file;
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact.string();
    // Service files are named without regard to case (the editor writes ".PHN",
    // everything else asks for ".phn"); find the one that is there.
    auto lower = [](std::string t) {
        for (char& c : t)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return t;
    };
    const std::string wanted = lower(file);
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        if (lower(it->path().filename().string()) == wanted) return it->path().string();
    }
    return exact.string();
}

bool IsServiceFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const auto size = std::filesystem::file_size(path, ec);
    return !ec && size == kServiceEntrySize;
}

int ReadServiceEntry(const std::string& dir, const char* shortName, ServiceEntry& current) {
    const std::string path = ServiceFilePath(dir, shortName, ".phn");
    if (!IsServiceFile(path)) return -1;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    ServiceEntry read;
    const std::size_t n = std::fread(&read, 1, sizeof read, f);
    std::fclose(f);
    if (n != sizeof read) return -1;
    current = read;
    return 0;
}

namespace {

int WriteRecord(const std::string& path, const ServiceEntry& entry, bool truncate) {
    std::FILE* f = truncate ? nullptr : std::fopen(path.c_str(), "r+b");
    if (!f) f = std::fopen(path.c_str(), "wb");
    if (!f) return -1;
    const std::size_t n = std::fwrite(&entry, 1, sizeof entry, f);
    const int closed = std::fclose(f);
    return n == sizeof entry && closed == 0 ? 0 : -1;
}

}  // namespace

int SaveServiceEntry(const std::string& installDir, const ServiceEntry& current) {
    return WriteRecord(ServiceFilePath(installDir, current.ShortName, ".phn"), current, false);
}

int CreateServiceFile(const std::string& dir, const ServiceEntry& entry, Ui& ui, WindowRef owner) {
    std::string file(entry.ShortName, BoundedLength(entry.ShortName, sizeof entry.ShortName));
    // Reuse an existing file of another case so that one service keeps one file.
    std::string path = ServiceFilePath(dir, entry.ShortName, ".PHN");
    if (file.empty() || WriteRecord(path, entry, true) != 0) {
        ui.ShowMessage(owner, kStrFileOpenError, nullptr, 0x2030);
        return -1;
    }
    return 0;
}

}  // namespace palvex
