#include "modem/modem_profile.h"

#include <cstdio>
#include <cstring>

#include "comm/pump.h"
#include "comm/session.h"
#include "phonebook/service_entry.h"

namespace palvex {

namespace {

constexpr std::size_t kFileNameCut = 8;
constexpr unsigned kPauseMs = 1000;

constexpr ProfileField ModemProfile::* kResultFields[kModemResultCount] = {
    &ModemProfile::ResultBusy,    &ModemProfile::ResultDialtone, &ModemProfile::ResultCarrier,
    &ModemProfile::ResultAnswer,  &ModemProfile::ResultTimeout,  &ModemProfile::ResultError,
    &ModemProfile::ResultOk,      &ModemProfile::ResultConnect};

bool ValidIndex(int index) { return index >= 0 && index < kManufacturerCount; }

}  // namespace

const char* ManufacturerName(int index) { return ValidIndex(index) ? ManufacturerTable[index] : ""; }

std::string ProfileFileName(int index) {
    if (!ValidIndex(index)) return std::string();
    const std::string_view name = ManufacturerTable[index];
    return std::string(name.substr(0, kFileNameCut)) + ".mdm";
}

std::string ProfilePath(const std::string& dir, int index) {
    if (!ValidIndex(index)) return std::string();
    const std::string cut(std::string_view(ManufacturerTable[index]).substr(0, kFileNameCut));
    return ServiceFilePath(dir, cut.c_str(), ".mdm");
}

std::string_view FieldText(const ProfileField& field) {
    const void* nul = std::memchr(field, '\0', kProfileFieldSize);
    return std::string_view(field, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field)
                                       : kProfileFieldSize);
}

void StoreField(ProfileField& field, std::string_view text) {
    const std::size_t n = text.size() < static_cast<std::size_t>(kProfileTextLimit)
                              ? text.size()
                              : static_cast<std::size_t>(kProfileTextLimit);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

const ProfileField& ResultField(const ModemProfile& profile, int index) {
    static const ProfileField none = {};
    if (index < 0 || index >= kModemResultCount) return none;
    return profile.*kResultFields[index];
}

bool LoadModemProfile(ModemProfile& profile, const std::string& dir, int index, ProfileAccess access) {
    const std::string path = ProfilePath(dir, index);
    if (path.empty()) return false;
    std::FILE* f = std::fopen(path.c_str(), access == ProfileAccess::ReadWrite ? "r+b" : "rb");
    if (!f) return false;
    // Straight into the record: a short file overwrites only as much as it holds.
    std::fread(&profile, 1, sizeof profile, f);
    std::fclose(f);
    return true;
}

bool SaveModemProfile(const ModemProfile& profile, const std::string& dir, int index) {
    const std::string path = ProfilePath(dir, index);
    if (path.empty()) return false;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const std::size_t n = std::fwrite(&profile, 1, sizeof profile, f);
    const int closed = std::fclose(f);
    return n == sizeof profile && closed == 0;
}

namespace {

// One conversion for both forms; `pauses` is null when tildes are plain text.
std::string Convert(std::string_view text, int* pauses) {
    std::string out;
    out.reserve(text.size());
    int tildes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '^' && i + 1 < text.size()) {
            out.push_back(static_cast<char>(static_cast<uint8_t>(text[++i]) - 0x40));
        } else if (c == '~' && pauses) {
            if (++tildes % 3 == 0) ++*pauses;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

std::string ExpandControlNotation(std::string_view text) { return Convert(text, nullptr); }

PausedCommand ExpandWithPauses(std::string_view text) {
    PausedCommand command;
    command.bytes = Convert(text, &command.pauses);
    return command;
}

void SendCommandString(Session& s, std::string_view text, bool withPauses, bool pumpOn) {
    PausedCommand command;
    if (withPauses)
        command = ExpandWithPauses(text);
    else
        command.bytes = ExpandControlNotation(text);
    for (int i = 0; i < command.pauses; ++i) WaitPumping(s, kPauseMs, pumpOn);
    for (const char c : command.bytes) {
        const auto b = static_cast<uint8_t>(c);
        WritePort(s.port, &b, 1);
    }
}

int MatchResultCode(const ModemProfile& profile, std::string_view line) {
    for (int i = 0; i < kModemResultCount; ++i)
        if (line.find(FieldText(ResultField(profile, i))) != std::string_view::npos) return i;
    return -1;
}

}  // namespace palvex
