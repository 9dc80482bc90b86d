#include "demo_service.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace palvex::demo {

ServiceEntry DemoServiceEntry() {
    ServiceEntry e = DefaultServiceEntry();
    SplitServiceName("DEMO BBS", e.ShortName, e.NameTail);
    std::strcpy(e.PhoneNumber, "5551234");
    e.PhoneType = 1;      // tone
    e.ModemIndex = 4;     // Hayes
    e.PortIndex = 0;      // COM1
    e.BaudIndex = 0;      // 115200
    e.DataBitsIndex = 0;  // 8
    e.Parity = 0;         // none
    e.StopBits = 0;       // 1
    e.FlowControl = 0;
    e.TerminalType = kTypeVt100Color;
    return e;
}

int CountServiceFiles(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    int count = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string ext = it->path().extension().string();
        for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (ext == ".phn" && IsServiceFile(it->path().string())) ++count;
    }
    return count;
}

InstallResult InstallDemoService(const std::string& dir, std::string& note) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        note = "no folder " + dir;
        return InstallResult::Failed;
    }
    if (const int count = CountServiceFiles(dir); count > 0) {
        note = "the phone book in " + dir + " has " + std::to_string(count) + " service(s); no demo service added";
        return InstallResult::Kept;
    }
    const ServiceEntry entry = DemoServiceEntry();
    if (SaveServiceEntry(dir, entry) != 0) {
        note = "could not write " + ServiceFilePath(dir, entry.ShortName, ".phn");
        return InstallResult::Failed;
    }
    note = "added the service DEMO BBS (" + ServiceFilePath(dir, entry.ShortName, ".phn") + ")";
    return InstallResult::Written;
}

}  // namespace palvex::demo
