// make_demo_service DIR: puts the demo service DEMO.phn into DIR (the folder
// of palvex32.exe) unless DIR already has phone book entries.
#include <cstdio>
#include <string>

#include "demo_service.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_service DIR\n");
        return 2;
    }
    std::string note;
    const auto result = palvex::demo::InstallDemoService(argv[1], note);
    std::printf("%s\n", note.c_str());
    return result == palvex::demo::InstallResult::Failed ? 1 : 0;
}
