#include <cstdio>

#include "terminal/display_sink.h"

namespace palvex {
namespace {

// Hex for bytes so a test can spell an expected cell the way it reads in a dump.
template <typename... Args>
std::string Line(const char* format, Args... args) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

}  // namespace

void RecordingDisplay::DrawCell(int x, int y, uint8_t ch, uint8_t attr) {
    calls.push_back(Line("cell %d %d %02X %02X", x, y, unsigned{ch}, unsigned{attr}));
}

void RecordingDisplay::FillBackground(const PixelRect& r) {
    calls.push_back(Line("fill %d %d %d %d", r.left, r.top, r.right, r.bottom));
}

void RecordingDisplay::ScrollPixels(const PixelRect& r, int dx, int dy) {
    calls.push_back(Line("scroll %d %d %d %d %d %d", r.left, r.top, r.right, r.bottom, dx, dy));
}

void RecordingDisplay::RepaintRow(int row) { calls.push_back(Line("row %d", row)); }

void RecordingDisplay::RepaintAll() { calls.push_back("all"); }

}  // namespace palvex
