#include "shell/win/profile_store.h"

#include <vector>

namespace palvex {

std::string WinProfileStore::GetString(const char* key, const char* fallback) {
    char buffer[kMaxDirectoryLength + 1] = {};
    DWORD length = GetProfileStringA(kProfileSection, key, fallback ? fallback : "", buffer, sizeof buffer);
    return std::string(buffer, length);
}

int WinProfileStore::GetInt(const char* key, int fallback) {
    return static_cast<int>(GetProfileIntA(kProfileSection, key, fallback));
}

bool WinProfileStore::WriteString(const char* key, const char* value) {
    return WriteProfileStringA(kProfileSection, key, value) != FALSE;
}

std::string CurrentStartDirectory() {
    DWORD size = GetCurrentDirectoryA(0, nullptr);
    if (size == 0) return std::string();
    std::vector<char> buffer(size + 1);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    // Already in the drive, colon, backslash, path form for a drive path.
    return std::string(buffer.data(), length);
}

}  // namespace palvex
