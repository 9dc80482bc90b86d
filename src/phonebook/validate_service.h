// The check every path that accepts an edited service runs before saving it:
// the service editor's OK, the copy dialog's OK and the communication
// parameters' OK.
#pragma once

#include <string>

#include "modem/modem_profile.h"
#include "phonebook/service_entry.h"
#include "platform/ui.h"

namespace palvex {

inline constexpr unsigned kValidateStyle = kStyleTaskModal | kStyleInformation;  // 0x2040

// The characters a short name may not contain (it is a file name stem), blank
// included.
inline constexpr const char kIllegalNameChars[] = "/\\[]|<+=;,*?. ";

// True when `shortName` is not empty and holds none of kIllegalNameChars.
bool IsLegalShortName(const char* shortName);

// Checks `entry` in this order: the short name, the manufacturer's profile
// loaded from `installDir` into `profile` (the working profile), 8 data bits
// with parity, a dialled type without a number, type None with one, and the
// number against the profile's valid dial characters. The first failure beeps
// (MB_ICONHAND), shows its message owned by `owner` and gives -1; 0 when all
// pass.
int ValidateService(const ServiceEntry& entry, ModemProfile& profile, const std::string& installDir, Ui& ui,
                    WindowRef owner);

}  // namespace palvex
