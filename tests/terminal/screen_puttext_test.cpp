// Text stored a run at a time must leave the screen exactly as the same bytes
// stored one by one: same cells, attributes, lengths, cursor and drawing.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "terminal/display_sink.h"
#include "terminal/terminal_screen.h"

namespace palvex {
namespace {

struct Screen {
    TerminalScreen s;
    RecordingDisplay display;
    Screen(int columns, bool autoWrap, int hOffset, bool graphics, bool insert) {
        s.display = &display;
        s.columns = columns;
        s.rows = 24;
        s.marginBottom = 24;
        AllocateLines(s, 40);
        ClearBuffer(s);
        s.autoWrap = autoWrap;
        s.hOffset = hOffset;
        s.graphics[0] = graphics;
        s.insertMode = insert;
        s.attr = 0x1E;
        display.calls.clear();
    }
};

TEST(PutText, MatchesPutCharByteForByte) {
    std::mt19937 gen(5);
    for (int round = 0; round < 400; ++round) {
        const int columns = gen() % 2 ? 132 : 80;
        const bool autoWrap = gen() % 2, graphics = gen() % 5 == 0, insert = gen() % 5 == 0, strip = gen() % 2;
        const int hOffset = gen() % 4 == 0 ? static_cast<int>(gen() % 20) : 0;
        Screen one(columns, autoWrap, hOffset, graphics, insert), run(columns, autoWrap, hOffset, graphics, insert);
        const int startCol = static_cast<int>(gen() % 140), startRow = static_cast<int>(gen() % 24);
        for (Screen* x : {&one, &run}) {
            x->s.cursorCol = startCol;
            x->s.cursorRow = startRow;
        }
        std::vector<uint8_t> text(gen() % 400);
        for (uint8_t& b : text) b = static_cast<uint8_t>(0x20 + gen() % 0xE0);

        for (uint8_t b : text) PutChar(one.s, strip ? b & 0x7F : b);
        PutText(run.s, text.data(), static_cast<int>(text.size()), strip);

        SCOPED_TRACE(::testing::Message() << "round " << round);
        ASSERT_EQ(run.s.cursorCol, one.s.cursorCol);
        ASSERT_EQ(run.s.cursorRow, one.s.cursorRow);
        ASSERT_EQ(run.s.liveTop, one.s.liveTop);
        for (int r = 0; r < 40; ++r) {
            // Lines are packed records: read the length by value.
            const int runLength = run.s.ring[r]->length, oneLength = one.s.ring[r]->length;
            ASSERT_EQ(runLength, oneLength) << "line " << r;
            ASSERT_EQ(std::memcmp(run.s.ring[r]->text, one.s.ring[r]->text, kLineCells), 0) << "line " << r;
            ASSERT_EQ(std::memcmp(run.s.attrPlane + r * kLineStride, one.s.attrPlane + r * kLineStride, kLineCells), 0);
        }
        ASSERT_EQ(run.display.calls, one.display.calls);
    }
}

}  // namespace
}  // namespace palvex
