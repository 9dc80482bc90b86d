#include "shell/settings.h"

#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstdlib>

#include "platform/ui.h"
#include "shell/string_ids.h"

namespace palvex {

namespace {

std::string Directory(std::string text) {
    if (text.size() > kMaxDirectoryLength) text.resize(kMaxDirectoryLength);
    return text;
}

void WriteNumber(ProfileStore& store, const char* key, const char* format, auto value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    store.WriteString(key, text);
}

}  // namespace

bool MemoryProfileStore::NoCase::operator()(const std::string& a, const std::string& b) const {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
}

std::string MemoryProfileStore::GetString(const char* key, const char* fallback) {
    reads.emplace_back(key);
    auto it = values_.find(key);
    if (it != values_.end()) return it->second;
    return fallback ? fallback : "";
}

int MemoryProfileStore::GetInt(const char* key, int fallback) {
    reads.emplace_back(key);
    auto it = values_.find(key);
    if (it == values_.end() || it->second.empty()) return fallback;
    // As GetProfileIntA: the 32 low bits, so "%u" values above INT_MAX come
    // back whole when read as unsigned.
    return static_cast<int>(static_cast<uint32_t>(std::strtoll(it->second.c_str(), nullptr, 10)));
}

bool MemoryProfileStore::WriteString(const char* key, const char* value) {
    writes.push_back(std::string(key) + "=" + (value ? value : ""));
    if (value)
        values_[key] = value;
    else
        values_.erase(key);
    return true;
}

bool MemoryProfileStore::Has(const char* key) const {
    return values_.count(key) != 0;
}

std::string MemoryProfileStore::Value(const char* key) const {
    auto it = values_.find(key);
    return it == values_.end() ? std::string() : it->second;
}

ProgramSettings ReadProgramSettings(ProfileStore& store, const std::string& startDirectory) {
    ProgramSettings s;
    s.InstallDir = Directory(store.GetString(kKeyInstallDir, startDirectory.c_str()));
    s.HelpFile = s.InstallDir + "\\" + kHelpFileName;
    s.DefaultSessionDir = ReadSessionDir(store, s.InstallDir);
    s.DefaultDownloadDir = ReadDownloadDir(store, s.InstallDir);
    s.TransPrint = static_cast<unsigned>(store.GetInt(kKeyTransPrint, 0));
    s.BatchDial = store.GetInt(kKeyBatchDial, 0);
    s.ScrollLines = store.GetInt(kKeyScroll, kDefaultScrollLines);
    if (s.ScrollLines < kMinScrollLines) s.ScrollLines = kMinScrollLines;
    return s;
}

std::string ReadSessionDir(ProfileStore& store, const std::string& installDir) {
    return Directory(store.GetString(kKeySessionDir, installDir.c_str()));
}

std::string ReadDownloadDir(ProfileStore& store, const std::string& installDir) {
    return Directory(store.GetString(kKeyDownloadDir, installDir.c_str()));
}

void WriteTransPrint(ProfileStore& store, unsigned value) {
    WriteNumber(store, kKeyTransPrint, "%u", value);
}

void WriteBatchDial(ProfileStore& store, int value) {
    WriteNumber(store, kKeyBatchDial, "%d", value);
}

void WriteScrollLines(ProfileStore& store, int value) {
    WriteNumber(store, kKeyScroll, "%d", value);
}

ScrollRangeResult StoreScrollRange(ProfileStore& store, DialogView& view, int value, int pageRows,
                                   int running) {
    if (value < pageRows || value > kMaxScrollRange) {
        view.ShowMessage(str::kStrScrollRangeInvalid, nullptr, kStyleTaskModal);
        return ScrollRangeResult::Rejected;
    }
    if (value == running) return ScrollRangeResult::Unchanged;
    view.ShowMessage(str::kStrScrollRangeOnRestart, nullptr, kStyleTaskModal);
    WriteScrollLines(store, value);
    return ScrollRangeResult::Saved;
}

}  // namespace palvex
