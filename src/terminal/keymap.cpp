#include "terminal/keymap.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace palvex {

namespace {

// Types outside the list have no record; 0 is the plain teletype.
long RecordOffset(int type) {
    if (type == 0) type = 1;
    return static_cast<long>(type - 1) * kKeymapRecordBytes;
}

bool KnownType(int type) { return type >= 0 && type <= kKeymapTypes; }

// Reads up to kKeymapBytes at `offset`; the count actually read.
size_t ReadAt(const std::string& path, long offset, uint8_t* out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    size_t got = 0;
    if (std::fseek(f, offset, SEEK_SET) == 0) got = std::fread(out, 1, kKeymapBytes, f);
    std::fclose(f);
    return got;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int KeySlot(int virtualKey) {
    if (virtualKey >= 0x21 && virtualKey <= 0x2F) return virtualKey - 33;
    if (virtualKey >= 0x60 && virtualKey <= 0x7B) return virtualKey - 81;
    return -1;
}

std::string KeymapPath(const std::string& installDir) {
    if (installDir.empty()) return kKeymapFileName;
    const char last = installDir.back();
    if (last == '\\' || last == '/') return installDir + kKeymapFileName;
    return installDir + "\\" + kKeymapFileName;
}

void LoadKeymap(Keymap& map, const std::string& path, int type) {
    map = Keymap{};
    if (!KnownType(type)) return;
    ReadAt(path, RecordOffset(type), &map.slot[0][0]);
}

bool EnsureKeymapFile(const std::string& path) {
    if (FILE* f = std::fopen(path.c_str(), "r+b")) {
        std::fclose(f);
        return true;
    }
    // Only a file that is not there is created; one that exists but cannot be
    // written is left alone.
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const std::vector<uint8_t> zeros(kKeymapFileBytes, 0);
    const bool whole = std::fwrite(zeros.data(), 1, zeros.size(), f) == zeros.size();
    return (std::fclose(f) == 0) && whole;
}

bool ReadKeymapHalf(Keymap& map, const std::string& path, int type, bool defaultHalf) {
    if (!KnownType(type)) return false;
    Keymap read;
    const long offset = RecordOffset(type) + (defaultHalf ? kKeymapBytes : 0);
    if (ReadAt(path, offset, &read.slot[0][0]) != static_cast<size_t>(kKeymapBytes)) return false;
    map = read;
    return true;
}

bool WriteKeymapCurrent(const Keymap& map, const std::string& path, int type) {
    if (!KnownType(type)) return false;
    FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) return false;
    bool ok = std::fseek(f, RecordOffset(type), SEEK_SET) == 0 &&
              std::fwrite(&map.slot[0][0], 1, kKeymapBytes, f) == static_cast<size_t>(kKeymapBytes);
    if (std::fclose(f) != 0) ok = false;
    return ok;
}

std::string FormatKeyDefinition(const uint8_t* slot) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < kKeyDefinitionMax && slot[i]; ++i) {
        const uint8_t b = slot[i];
        if (b < 32) {
            text += '^';
            text += static_cast<char>(b + 0x40);
        } else if (b > 126) {
            text += '\\';
            text += kHex[b >> 4];
            text += kHex[b & 15];
        } else {
            text += static_cast<char>(b);
        }
    }
    return text;
}

bool ParseKeyDefinition(const std::string& text, uint8_t slot[kKeySlotBytes]) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '^' && i + 1 < text.size()) {
            bytes += static_cast<char>(static_cast<uint8_t>(text[++i]) - 0x40);
        } else if (c == '\\') {
            const int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
            if (hi < 0 || lo < 0) return false;
            bytes += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            bytes += c;
        }
    }
    if (bytes.size() > static_cast<size_t>(kKeyDefinitionMax)) bytes.resize(kKeyDefinitionMax);
    std::memset(slot, 0, kKeySlotBytes);
    std::memcpy(slot, bytes.data(), bytes.size());
    return true;
}

}  // namespace palvex
