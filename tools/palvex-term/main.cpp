// palvex-term: bytes in, screen out. Replays what a host sent through the same
// receive path and emulators as the program and prints the resulting screen.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "comm/terminal_rig.h"

namespace {

const char* const kTypeNames[] = {"tty",   "vt100-color", "vt52",    "vt100",   "vt102",
                                  "vt220", "vt320",       "wyse50", "sco-ansi"};

void Usage(FILE* to) {
    std::fputs(
        "usage: palvex-term [options] [file]\n"
        "Reads the bytes a host sent (from file, or standard input) and prints the screen.\n"
        "  --type N|name       1..9 or tty, vt100-color, vt52, vt100, vt102, vt220, vt320,\n"
        "                      wyse50, sco-ansi (default 2, vt100-color)\n"
        "  --cols 80|132       terminal width (default 80)\n"
        "  --rows N            screen rows, 24..99 (default 24)\n"
        "  --scroll N          lines kept including the screen, rows..3000 (default 1000)\n"
        "  --inbound-crlf      a received CR also gives LF\n"
        "  --display-controls  show control bytes by name\n"
        "  --autowrap          wrap at the right margin\n"
        "  --seven-bit         7 data bits: bit 7 of every byte is cleared\n"
        "  --attrs             an 'attr' line of attribute bytes after each row\n"
        "  --answers           an 'answers' line with the bytes sent back to the host\n"
        "  --history           the scrollback first, oldest line first, then '----'\n",
        to);
}

bool ParseInt(const char* text, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!text[0] || *end) return false;
    out = static_cast<int>(v);
    return true;
}

bool ParseType(const char* text, int& type) {
    if (ParseInt(text, type)) return type >= 1 && type <= 9;
    for (int i = 0; i < 9; ++i) {
        if (std::strcmp(text, kTypeNames[i]) == 0) {
            type = i + 1;
            return true;
        }
    }
    return false;
}

int Fail(const char* message, const char* what) {
    std::fprintf(stderr, "palvex-term: %s%s\n", message, what ? what : "");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    palvex::TermOptions options;
    palvex::DumpOptions dump;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (!std::strcmp(a, "--type")) {
            const char* v = value();
            if (!v || !ParseType(v, options.type)) return Fail("unknown terminal type: ", v);
        } else if (!std::strcmp(a, "--cols")) {
            const char* v = value();
            if (!v || !ParseInt(v, options.columns) || (options.columns != 80 && options.columns != 132))
                return Fail("--cols takes 80 or 132", nullptr);
        } else if (!std::strcmp(a, "--rows")) {
            const char* v = value();
            if (!v || !ParseInt(v, options.rows) || options.rows < 24 || options.rows > 99)
                return Fail("--rows takes 24..99", nullptr);
        } else if (!std::strcmp(a, "--scroll")) {
            const char* v = value();
            if (!v || !ParseInt(v, options.scrollRange) || options.scrollRange > 3000)
                return Fail("--scroll takes the rows..3000", nullptr);
        } else if (!std::strcmp(a, "--inbound-crlf")) {
            options.inboundCrLf = true;
        } else if (!std::strcmp(a, "--display-controls")) {
            options.displayControls = true;
        } else if (!std::strcmp(a, "--autowrap")) {
            options.autoWrap = true;
        } else if (!std::strcmp(a, "--seven-bit")) {
            options.sevenBit = true;
        } else if (!std::strcmp(a, "--attrs")) {
            dump.attrs = true;
        } else if (!std::strcmp(a, "--answers")) {
            dump.answers = true;
        } else if (!std::strcmp(a, "--history")) {
            dump.history = true;
        } else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            Usage(stdout);
            return 0;
        } else if (a[0] == '-' && a[1] != '\0') {
            Usage(stderr);
            return Fail("unknown option: ", a);
        } else if (path) {
            return Fail("only one input file: ", a);
        } else {
            path = a;
        }
    }
    if (options.scrollRange < options.rows) return Fail("--scroll must not be below --rows", nullptr);

    std::FILE* in = stdin;
    if (path && std::strcmp(path, "-") != 0) {
        in = std::fopen(path, "rb");
        if (!in) return Fail("cannot open ", path);
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
    const bool readError = std::ferror(in);
    if (in != stdin) std::fclose(in);
    if (readError) return Fail("read error on ", path ? path : "standard input");

    palvex::TerminalRig rig(options);
    rig.Receive(bytes.data(), bytes.size());
    const std::string out = palvex::DumpScreen(rig.screen, rig.Answers(), dump);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
