// The marks, the text a copy takes from them, and text sent as if typed.
#include "shell/selection.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/screen_rig.h"
#include "support/test_session.h"
#include "terminal/keyboard.h"

namespace palvex {
namespace {

using testing::ScreenRig;

struct Cell { int row, col; };

// Which cells of the shown rows are marked, one string per row ('#' marked).
std::vector<std::string> MarkPicture(TerminalScreen& s, int rows, int cols) {
    std::vector<std::string> out;
    for (int r = 0; r < rows; ++r) {
        std::string line;
        for (int c = 0; c < cols; ++c) line += SelAt(s, r)[c] ? '#' : '.';
        out.push_back(line);
    }
    return out;
}

TEST(SelectionText, MarkedRangesGiveTheirTextWithLineEndsBetweenLines) {
    const struct { const char* what; Cell from, to; std::string text; } cases[] = {
        {"three whole lines", {0, 0}, {2, 79}, "first line\r\nsecond\r\nthird one"},
        {"dragged backwards", {2, 2}, {0, 6}, "line\r\nsecond\r\nthi"},
        {"within one line", {1, 1}, {1, 3}, "eco"},
        {"an empty line between", {2, 0}, {4, 1}, "third one\r\n\r\nfi"},
        {"started beyond a line's end", {1, 20}, {2, 4}, "third"},
        {"one character", {1, 2}, {1, 2}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScreenRig rig(8, 50);
        rig.Put(0, "first line");
        rig.Put(1, "second");
        rig.Put(2, "third one");
        rig.Put(4, "fifth");
        SelectionState sel;
        StartSelection(rig.s, sel, c.from.row, c.from.col);
        ExtendSelection(rig.s, sel, c.to.row, c.to.col);
        EXPECT_EQ(c.text, SelectedText(rig.s, sel));
    }
}

TEST(SelectionText, AWrappedRingIsReadFromItsOldestLine) {
    // Five lines for a three-row screen: after seven lines the oldest held
    // line sits in the middle of the ring.
    ScreenRig rig(3, 5);
    rig.Type("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng");
    ASSERT_NE(0, rig.s.oldest);
    ASSERT_EQ("cdefg", rig.HeldColumn0());

    // Start on the oldest line in the history, finish on the live screen.
    HistoryScroll(rig.s, ScrollCode::LineUp);
    HistoryScroll(rig.s, ScrollCode::LineUp);
    ASSERT_EQ("c", rig.Row(0));
    SelectionState sel;
    StartSelection(rig.s, sel, 0, 0);
    ShowLiveScreen(rig.s);
    ExtendSelection(rig.s, sel, 2, 0);
    EXPECT_EQ("c\r\nd\r\ne\r\nf\r\ng", SelectedText(rig.s, sel));
}

TEST(SelectionMarks, ExtendingMarksTheRangeInReadingOrderAndUnmarksTheRest) {
    ScreenRig rig(4, 20, 6);
    SelectionState sel;
    RowSpan rows = StartSelection(rig.s, sel, 1, 2);
    EXPECT_EQ(1, rows.first + rows.last - 1);
    EXPECT_TRUE(sel.SelectionExists);

    rows = ExtendSelection(rig.s, sel, 3, 1);
    EXPECT_EQ((std::vector<std::string>{"......", "..####", "######", "##...."}), MarkPicture(rig.s, 4, 6));
    EXPECT_EQ(1, rows.first);
    EXPECT_EQ(3, rows.last);

    // Across the anchor: the range now runs backwards from it.
    rows = ExtendSelection(rig.s, sel, 0, 4);
    EXPECT_EQ((std::vector<std::string>{"....##", "###...", "......", "......"}), MarkPicture(rig.s, 4, 6));
    EXPECT_EQ(0, rows.first);
    EXPECT_EQ(3, rows.last);

    // The same cell again changes nothing.
    EXPECT_TRUE(ExtendSelection(rig.s, sel, 0, 4).Empty());

    // A new start clears the old marks and reports the rows they were on.
    rows = StartSelection(rig.s, sel, 3, 5);
    EXPECT_EQ((std::vector<std::string>{"......", "......", "......", ".....#"}), MarkPicture(rig.s, 4, 6));
    EXPECT_EQ(0, rows.first);
    EXPECT_EQ(3, rows.last);
}

TEST(SelectionMarks, SelectAllMarksTheScreenAndOnlyIt) {
    ScreenRig rig(3, 10, 5);
    rig.Type("1\r\n2\r\n3\r\n4\r\n5");
    HistoryScroll(rig.s, ScrollCode::LineUp);
    SelectionState sel;
    StartSelection(rig.s, sel, 0, 0);  // a mark that Select All replaces
    ShowLiveScreen(rig.s);
    const RowSpan rows = SelectScreen(rig.s, sel);
    EXPECT_EQ(0, rows.first);
    EXPECT_EQ(2, rows.last);
    EXPECT_EQ((std::vector<std::string>{"#####", "#####", "#####"}), MarkPicture(rig.s, 3, 5));
    EXPECT_EQ("3\r\n4\r\n5", SelectedText(rig.s, sel));
}

// A loop that keeps the waits it was asked for.
class WaitRecordingLoop : public SteppingLoop {
public:
    void StartTimer(int id, unsigned ms) override {
        waits.push_back(ms);
        SteppingLoop::StartTimer(id, ms);
    }
    std::vector<unsigned> waits;
};

struct TransmitRig {
    testing::TestSession t;
    WaitRecordingLoop loop;
    Session session{t.service, t.port, t.pump, t.screen, t.modes, t.ui, loop};

    std::string Send(std::string_view text) {
        t.fake.written.clear();
        TransmitText(session, text, [this](std::string_view typed) { SendTyped(session, typed); });
        return t.fake.WrittenText();
    }
};

TEST(TransmitText, LineEndsFollowTheOutboundAndStripOptionsAndTypingRules) {
    const struct {
        const char* what;
        int outboundCrLf, stripLf, newLineMode, swapBsDel;
        std::string text, sent;
    } cases[] = {
        {"strip", 0, 1, 0, 0, "ab\r\ncd\n", "ab\rcd"},
        {"CR->CR LF", 1, 0, 0, 0, "ab\r\ncd", "ab\r\n\ncd"},
        {"CR->CR LF, strip", 1, 1, 0, 0, "ab\r\ncd", "ab\r\ncd"},
        {"new-line mode", 0, 1, 1, 0, "a\rb", "a\r\nb"},
        {"BS/DEL swap", 0, 0, 0, 1, "x\by\x7f", "x\x7fy\b"},
        {"up to the NUL", 0, 0, 0, 0, std::string("ab\0cd", 5), "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TransmitRig rig;
        rig.t.service.OutboundCrLf = static_cast<int16_t>(c.outboundCrLf);
        rig.t.service.AsciiStripLf = static_cast<int16_t>(c.stripLf);
        rig.t.service.BackspaceDelete = static_cast<int16_t>(c.swapBsDel);
        rig.t.modes.newLineMode = c.newLineMode;
        EXPECT_EQ(c.sent, rig.Send(c.text));
        EXPECT_TRUE(rig.loop.waits.empty());
    }
}

TEST(TransmitText, CharacterDelaysComeBeforeEachCharacterAndLineDelaysAfterEachLf) {
    const struct { int charDelay, lineDelay, stripLf; std::string text; std::vector<unsigned> waits; } cases[] = {
        {0, 40, 1, "a\nb\nc", {40, 40}},  // a stripped LF still ends a line
        {5, 0, 0, "ab\ncd", {5, 5, 5, 5, 5}},
        {5, 40, 1, "a\nb\n", {5, 5, 40, 5, 5, 40}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TransmitRig rig;
        rig.t.service.AsciiCharDelay = static_cast<uint16_t>(c.charDelay);
        rig.t.service.AsciiLineDelay = static_cast<uint16_t>(c.lineDelay);
        rig.t.service.AsciiStripLf = static_cast<int16_t>(c.stripLf);
        rig.Send(c.text);
        EXPECT_EQ(c.waits, rig.loop.waits);
    }
}

TEST(TransmitText, XonXoffIsSwitchedOnForTheTextUnlessTheLineUsesItAlready) {
    for (int flow = 0; flow <= 3; ++flow) {
        SCOPED_TRACE(flow);
        TransmitRig rig;
        rig.t.service.FlowControl = static_cast<int16_t>(flow);
        rig.t.port.PortDcb.fOutxCtsFlow = flow == 1;
        rig.t.fake.states.clear();
        rig.Send("hi");
        const auto& states = rig.t.fake.states;
        if (flow >= 2) {
            EXPECT_TRUE(states.empty());
            continue;
        }
        ASSERT_EQ(2u, states.size());
        EXPECT_EQ(1u, states[0].fOutX);
        EXPECT_EQ(1u, states[0].fInX);
        EXPECT_EQ(0u, states[1].fOutX);
        EXPECT_EQ(0u, states[1].fInX);
        // Only the two flags move; the rest of the line stays as it was.
        EXPECT_EQ(static_cast<uint32_t>(flow == 1), states[0].fOutxCtsFlow);
        EXPECT_EQ(static_cast<uint32_t>(flow == 1), states[1].fOutxCtsFlow);
    }
}

TEST(TransmitText, ACarrierLostDuringADelayEndsTheTransmission) {
    TransmitRig rig;
    rig.t.service.AsciiCharDelay = 3;
    rig.t.port.CarrierSeen = 1;  // and the fake reports no carrier now
    EXPECT_EQ("", rig.Send("hello"));
    EXPECT_EQ(0, rig.t.port.PortOpen);
    EXPECT_EQ(1u, rig.loop.waits.size());
}

}  // namespace
}  // namespace palvex
