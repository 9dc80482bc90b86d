// The demo service that scripts/run puts beside the program on a first run:
// "DEMO BBS", dialled through the Hayes profile on COM1, where the script has
// hostsim's demo board waiting.
#pragma once

#include <string>

#include "phonebook/service_entry.h"

namespace palvex::demo {

// DEMO BBS: 5551234, tone, Hayes, COM1 at 115200 8N1 without handshake (the
// pty behind COM1 has no handshake lines), VT100 colour.
ServiceEntry DemoServiceEntry();

// The number of phone book entries in `dir`: files named *.phn in any case
// that are exactly one record long (what the phone book would list).
int CountServiceFiles(const std::string& dir);

enum class InstallResult { Written, Kept, Failed };

// Writes DEMO.phn into `dir` unless the folder already has phone book
// entries, which are the user's and stay as they are. `note` says what
// happened, for the user.
InstallResult InstallDemoService(const std::string& dir, std::string& note);

}  // namespace palvex::demo
