// The program settings in the Windows profile (WIN.INI), section "palvex32".
#pragma once

#include <windows.h>

#include <string>

#include "shell/settings.h"

namespace palvex {

class WinProfileStore : public ProfileStore {
public:
    std::string GetString(const char* key, const char* fallback) override;
    int GetInt(const char* key, int fallback) override;
    bool WriteString(const char* key, const char* value) override;
};

// The default install directory: drive, ":\" and the current directory.
std::string CurrentStartDirectory();

}  // namespace palvex
