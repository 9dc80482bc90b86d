// Synthetic host output typical of each kind of terminal use, for benchmarks:
// BBS ANSI art (colours, cursor moves, clears, CP437 blocks), a full-screen
// editor on a DEC terminal, Wyse 50 cursor addressing, a VT52 screen program,
// and plain teletype text. Deterministic for a given size.
#pragma once

#include <cstddef>
#include <cstdio>
#include <random>
#include <string>

namespace palvex::bench {

inline std::string Csi(const char* body) { return std::string("\x1b[") + body; }

inline std::string BbsAnsiArt(std::size_t size) {
    std::mt19937 engine(7);
    auto gen = [&engine] { return static_cast<unsigned>(engine()); };
    std::string out;
    out.reserve(size + 512);
    char buf[64];
    const char* words[] = {"Welcome ", "to ", "the ", "Palvex ", "BBS! ", "Files ", "Messages ", "Doors ", "Sysop "};
    while (out.size() < size) {
        const unsigned roll = gen() % 100;
        if (roll < 30) {
            std::snprintf(buf, sizeof buf, "\x1b[%u;%u;%um", gen() % 2, 30 + gen() % 8, 40 + gen() % 8);
            out += buf;
        } else if (roll < 55) {
            out += words[gen() % 9];
        } else if (roll < 75) {
            const int n = 1 + static_cast<int>(gen() % 12);
            for (int i = 0; i < n; ++i) out += static_cast<char>("\xb0\xb1\xb2\xdb\xdc\xdf\xc4\xcd"[gen() % 8]);
        } else if (roll < 82) {
            std::snprintf(buf, sizeof buf, "\x1b[%u;%uH", 1 + gen() % 24, 1 + gen() % 80);
            out += buf;
        } else if (roll < 87) {
            std::snprintf(buf, sizeof buf, "\x1b[%uC", 1 + gen() % 20);
            out += buf;
        } else if (roll < 94) {
            out += "\r\n";
        } else if (roll < 97) {
            out += Csi("K");
        } else if (roll < 98) {
            out += Csi("0m");
        } else {
            out += Csi("2J");
        }
    }
    out.resize(size);
    return out;
}

inline std::string Vt220Editor(std::size_t size) {
    std::mt19937 engine(11);
    auto gen = [&engine] { return static_cast<unsigned>(engine()); };
    std::string out;
    out.reserve(size + 512);
    char buf[64];
    const char* code[] = {"int main(void) {", "    return 0;", "}", "#include <stdio.h>", "/* comment */",
                          "    for (i = 0; i < n; i++)", "        total += value[i];"};
    out += Csi("1;23r");
    while (out.size() < size) {
        const unsigned roll = gen() % 100;
        if (roll < 35) {
            std::snprintf(buf, sizeof buf, "\x1b[%u;1H", 1 + gen() % 23);
            out += buf;
            out += code[gen() % 7];
            out += Csi("K");
        } else if (roll < 50) {
            out += Csi("24;1H") + Csi("7m") + " -- INSERT --  line 42, col 7 " + Csi("27m") + Csi("K");
        } else if (roll < 60) {
            out += "\x1b" "7";
            std::snprintf(buf, sizeof buf, "\x1b[%u;%uH", 1 + gen() % 23, 1 + gen() % 70);
            out += buf;
            out += Csi("4h") + "x" + Csi("4l") + "\x1b" "8";
        } else if (roll < 68) {
            out += Csi("23;1H") + "\r\n" + code[gen() % 7];
        } else if (roll < 74) {
            out += Csi("1;1H") + "\x1bM" + code[gen() % 7];
        } else if (roll < 80) {
            std::snprintf(buf, sizeof buf, "\x1b[%u;1H\x1b[%uL", 1 + gen() % 22, 1 + gen() % 3);
            out += buf;
        } else if (roll < 86) {
            std::snprintf(buf, sizeof buf, "\x1b[%u;1H\x1b[%uM", 1 + gen() % 22, 1 + gen() % 3);
            out += buf;
        } else if (roll < 92) {
            std::snprintf(buf, sizeof buf, "\x1b[%u;%uH\x1b[%uP", 1 + gen() % 23, 1 + gen() % 60, 1 + gen() % 5);
            out += buf;
        } else if (roll < 97) {
            std::snprintf(buf, sizeof buf, "\x1b[%u@", 1 + gen() % 5);
            out += buf;
        } else {
            out += Csi("H") + Csi("J");
        }
    }
    out.resize(size);
    return out;
}

inline std::string WyseAddressing(std::size_t size) {
    std::mt19937 gen(13);
    std::string out;
    out.reserve(size + 512);
    const char* fields[] = {"NAME:", "ACCOUNT", "BALANCE  1,234.56", "OK", "F1=HELP F3=EXIT"};
    while (out.size() < size) {
        const unsigned roll = gen() % 100;
        out += "\x1b=";
        out += static_cast<char>(32 + gen() % 24);
        out += static_cast<char>(32 + gen() % 70);
        if (roll < 15) out += "\x1bG4";
        out += fields[gen() % 5];
        if (roll < 15) out += "\x1bG0";
        if (roll >= 15 && roll < 30) out += "\x1bT";
        if (roll >= 30 && roll < 32) out += "\x1a";
        if (roll >= 32 && roll < 40) out += "\x0b\x0c\x0c";
    }
    out.resize(size);
    return out;
}

inline std::string Vt52Screen(std::size_t size) {
    std::mt19937 gen(17);
    std::string out;
    out.reserve(size + 512);
    while (out.size() < size) {
        const unsigned roll = gen() % 100;
        out += "\x1bY";
        out += static_cast<char>(32 + gen() % 24);
        out += static_cast<char>(32 + gen() % 70);
        out += "MENU ITEM ";
        out += static_cast<char>('A' + gen() % 26);
        if (roll < 20) out += "\x1bK";
        if (roll >= 20 && roll < 22) out += "\x1bH\x1bJ";
        if (roll >= 22 && roll < 30) out += "\r\n";
    }
    out.resize(size);
    return out;
}

inline std::string TeletypeText(std::size_t size) {
    std::mt19937 gen(42);
    std::string out;
    out.reserve(size + 256);
    const char* words[] = {"the ", "quick ", "brown ", "fox ", "BBS ", "message ", "area ", "1200 ", "baud ", "-- "};
    while (out.size() < size) {
        const unsigned roll = gen() % 100;
        if (roll < 70) {
            out += words[gen() % 10];
        } else if (roll < 85) {
            out += "\r\n";
        } else if (roll < 90) {
            out += '\t';
        } else if (roll < 93) {
            out += "\b\b";
        } else if (roll < 95) {
            out += '\r';
        } else if (roll < 97) {
            out += "\x1b[1m";  // a teletype ignores ESC and shows the rest
        } else {
            out += static_cast<char>(0xA0 + gen() % 0x5F);
        }
    }
    out.resize(size);
    return out;
}

}  // namespace palvex::bench
