// Keyboard translation: which message sends a key, what the keymap and the
// emulator's modes make of it, and what leaves through the transmit path.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/test_session.h"
#include "terminal/keyboard.h"
#include "terminal/keymap.h"

namespace palvex {
namespace {

using testing::TestSession;

std::string Show(const std::string& bytes) { return ::testing::PrintToString(bytes); }

constexpr int kPgUp = 0x21, kHome = 0x24, kLeft = 0x25, kUp = 0x26, kDown = 0x28, kPrint = 0x2A,
              kInsert = 0x2D, kDelete = 0x2E, kHelp = 0x2F, kPad0 = 0x60, kPad5 = 0x65, kDivide = 0x6F,
              kF1 = 0x70, kF10 = 0x79, kF12 = 0x7B, kF13 = 0x7C, kNumLock = 0x90,
              kReturn = 0x0D, kBack = 0x08, kLetterA = 0x41;

// A VT-like keymap in which every slot used here holds something telling.
Keymap TestKeymap() {
    Keymap map;
    const struct { int slot; const char* text; } defs[] = {
        {0, "^[[5~"}, {3, "^[[1~"}, {4, "^[[D"}, {5, "^[[A"}, {7, "^[B"},  // Down as VT52 would have it
        {kSlotKeypadEnter, "^[OM"}, {9, "prt"}, {12, "^[[2~"}, {13, "del"}, {14, "help"},
        {15, "^[Op"}, {20, "^[Ou"}, {30, "^[OQ"}, {31, "^[OP"}, {40, "^[[21~"}, {42, "^H"},
    };
    for (const auto& d : defs) EXPECT_TRUE(ParseKeyDefinition(d.text, map.slot[d.slot])) << d.text;
    return map;
}

TEST(KeyString, TheKeymapAndTheModesChooseTheString) {
    const Keymap map = TestKeymap();
    const struct { int key; int cursorKeysApp, keypadApp, swap; std::string want; } cases[] = {
        {kUp, 0, 0, 0, "\x1b[A"}, {kUp, 1, 0, 0, "\x1bOA"},
        {kDown, 1, 0, 0, "\x1b" "B"},      // second byte not "[": unchanged
        {kHome, 1, 0, 0, "\x1b[1~"},       // only the arrows turn into ESC O
        {kPgUp, 0, 0, 0, "\x1b[5~"}, {kInsert, 1, 1, 0, "\x1b[2~"},
        {kPrint, 0, 0, 0, "prt"},          // 0x2A takes its slot like its neighbours
        {kDelete, 0, 0, 0, "\x7f"},        // never its slot
        {kDelete, 0, 0, 1, "\x7f"}, {kHelp, 0, 1, 0, ""},  // Delete sends DEL even when swapped
        {kF1, 0, 0, 0, "\x1bOP"},          // F-keys in either keypad mode
        {kF10, 1, 1, 0, "\x1b[21~"}, {kF12, 0, 0, 0, "\b"},
        {kF12, 0, 0, 1, "\x7f"},           // a leading Backspace becomes Delete
        {kPad5, 0, 0, 0, ""},              // the character message sends the digit
        {kPad5, 0, 1, 0, "\x1bOu"}, {kPad0, 1, 1, 0, "\x1bOp"}, {kDivide, 0, 1, 0, "\x1bOQ"}, {kF13, 0, 1, 0, ""},
        {kNumLock, 0, 1, 0, ""}, {kLetterA, 0, 1, 0, ""}, {kReturn, 0, 1, 0, ""},
    };
    for (const auto& c : cases) {
        TerminalModes modes;
        modes.cursorKeysApp = c.cursorKeysApp;
        modes.keypadApp = c.keypadApp;
        ServiceEntry service = DefaultServiceEntry();
        service.BackspaceDelete = static_cast<int16_t>(c.swap);
        EXPECT_EQ(Show(c.want), Show(KeyString(modes, service, map, c.key)))
            << "key " << c.key << " cka " << c.cursorKeysApp << " kpa " << c.keypadApp << " swap " << c.swap;
    }
    Keymap empty;
    TerminalModes modes;
    EXPECT_EQ("", KeyString(modes, DefaultServiceEntry(), empty, kUp)) << "no keymap file: mapped keys send nothing";
}

TEST(TypedBytes, LineEndSwapAndEightBitRulesInTheirOrder) {
    const struct { int newLine, swap, c1; std::string typed, want; } cases[] = {
        {0, 0, 0, "\r", "\r"}, {1, 0, 0, "\r", "\r\n"},
        {1, 0, 0, "\rrest", "\r\n"},          // anything after the CR is dropped
        {1, 0, 0, "a\r", "a\r"}, {1, 1, 1, "\r", "\r\n"}, {0, 1, 0, "\x7f", "\b"}, {0, 1, 0, "\bxy", "\x7f"},
        {0, 1, 1, "\x1b[A", "\x1b[A"},        // with the swap on the 8-bit forms are not used
        {0, 0, 1, "\x1b[A", "\x9b" "A"}, {0, 0, 1, "\x1b[17~", "\x9b" "17~"}, {0, 0, 1, "\x1bOP", "\x8f" "P"},
        {0, 0, 1, "\x1b" "A", "\x1b" "A"}, {0, 0, 0, "\x1b[A", "\x1b[A"}, {0, 0, 0, "", ""},
    };
    for (const auto& c : cases) {
        TerminalModes modes;
        modes.newLineMode = c.newLine;
        modes.c1Answers = c.c1;
        ServiceEntry service = DefaultServiceEntry();
        service.BackspaceDelete = static_cast<int16_t>(c.swap);
        EXPECT_EQ(Show(c.want), Show(TypedBytes(modes, service, c.typed)))
            << Show(c.typed) << " nl " << c.newLine << " swap " << c.swap << " c1 " << c.c1;
    }
}

class Keyboard : public ::testing::Test {
protected:
    Keyboard() : t(kTypeVt220) {}
    std::string Sent() {
        std::string out = t.fake.WrittenText();
        t.fake.written.clear();
        return out;
    }
    TestSession t;
    Keymap map = TestKeymap();
    KeyboardInput in;
};

TEST_F(Keyboard, KeysAreSentOnKeyDownOrOnceOnReleaseAsAutoRepeatSays) {
    const struct {
        int autoRepeat;
        int repeats;       // key-downs before the key-up
        std::string want;
    } cases[] = {
        {1, 3, "\x1b[A\x1b[A\x1b[A"}, {0, 5, "\x1b[A"},
    };
    for (const auto& c : cases) {
        t.modes.autoRepeat = c.autoRepeat;
        for (int i = 0; i < c.repeats; ++i) KeyDown(t.session, in, map, kUp);
        EXPECT_EQ(kUp, in.lastVirtualKey);
        if (!c.autoRepeat) {
            EXPECT_EQ("", Sent()) << "held, not yet released";
        }
        KeyUp(t.session, in, map, kUp);
        EXPECT_EQ(Show(c.want), Show(Sent())) << "autoRepeat " << c.autoRepeat << " repeats " << c.repeats;
    }
}

TEST_F(Keyboard, CharacterMessagesOfTranslatedKeysAreDropped) {
    const struct { int keypadApp; int lastKey; uint8_t ch; bool extended; std::string want; } cases[] = {
        {0, kUp, 'x', false, ""}, {0, kPad5, '5', false, "5"}, {0, kPgUp, 'x', false, "x"},
        {0, kReturn, '\r', true, "\r"},          // keypad Enter outside application mode
        {1, kPad5, '5', false, ""}, {1, kPgUp, 'x', false, ""}, {1, kF13, 'x', false, ""},
        {1, kLetterA, 'a', false, "a"},
        {1, kReturn, '\r', true, "\x1bOM"},      // keypad Enter sends its slot
        {1, kReturn, '\r', false, "\r"},         // the main Return key does not
        {1, kBack, '\b', false, "\b"},
    };
    for (const auto& c : cases) {
        t.modes.keypadApp = c.keypadApp;
        in.lastVirtualKey = static_cast<uint16_t>(c.lastKey);
        KeyCharacter(t.session, in, map, c.ch, c.extended);
        EXPECT_EQ(Show(c.want), Show(Sent())) << "kpa " << c.keypadApp << " key " << c.lastKey << " char " << int{c.ch};
    }
}

TEST_F(Keyboard, AfterEscSpaceGArrowsGoOutInEightBits) {
    t.Interpret("\x1b G");
    ASSERT_EQ(1, t.modes.c1Answers);
    KeyDown(t.session, in, map, kLeft);
    EXPECT_EQ(Show("\x9b" "D"), Show(Sent()));
    t.Interpret("\x1b[?1h");
    KeyDown(t.session, in, map, kUp);
    EXPECT_EQ(Show("\x8f" "A"), Show(Sent()));
    t.Interpret("\x1b F");
    KeyDown(t.session, in, map, kUp);
    EXPECT_EQ(Show("\x1bOA"), Show(Sent()));
}

TEST_F(Keyboard, TypedKeysTakeTheTransmitPathUntilHangUp) {
    t.modes.newLineMode = 1;
    in.lastVirtualKey = kReturn;
    KeyCharacter(t.session, in, map, '\r', false);
    EXPECT_EQ("\r\n", Sent());

    t.port.PortOpen = 0;  // hung up: keys go nowhere
    KeyDown(t.session, in, map, kUp);
    SendTyped(t.session, "x");
    EXPECT_EQ("", Sent());
}

TEST_F(Keyboard, AKeyBringsBackTheLiveScreen) {
    t.screen.viewPos = t.screen.livePos - 3;
    t.display.calls.clear();
    KeyDown(t.session, in, map, kHelp);  // even one that sends nothing
    EXPECT_EQ(t.screen.livePos, t.screen.viewPos);
    EXPECT_EQ(t.screen.livePos, t.display.vPos);

    t.screen.viewPos = t.screen.livePos - 3;
    in.lastVirtualKey = kUp;
    KeyCharacter(t.session, in, map, 'x', false);
    EXPECT_EQ(t.screen.livePos, t.screen.viewPos);
}

// The chat area as the display saw it: cells drawn and scrolls, in order.
std::vector<std::string> ChatCalls(TestSession& t) {
    std::vector<std::string> out;
    for (const std::string& call : t.display.calls)
        for (const char* kind : {"cell", "scroll", "fill"})
            if (call.rfind(kind, 0) == 0) out.push_back(call);
    t.display.calls.clear();
    return out;
}

TEST_F(Keyboard, ChatWrapsAtTheWindowAndScrollsAfterTheNinthLine) {
    t.pump.ChatMode = 1;
    const int columns = (t.display.ClientWidth() - kScrollBarWidth) / t.screen.cellWidth;
    SendTyped(t.session, std::string(static_cast<size_t>(columns), 'w'));
    EXPECT_EQ(0, t.pump.chat.localRow);
    EXPECT_EQ(columns, t.pump.chat.localCol);
    t.display.calls.clear();
    SendTyped(t.session, "z");
    EXPECT_EQ((std::vector<std::string>{"cell 0 70 7A 70"}), ChatCalls(t));

    for (int line = 2; line <= 8; ++line) SendTyped(t.session, "\r");
    EXPECT_EQ(8, t.pump.chat.localRow);
    EXPECT_TRUE(ChatCalls(t).empty()) << "nine lines fit without scrolling";
    SendTyped(t.session, "\rq");
    const std::string right = std::to_string(t.display.ClientWidth() - kScrollBarWidth);
    const std::string bottom = std::to_string(kTextTop + 9 * t.screen.cellHeight);
    EXPECT_EQ((std::vector<std::string>{"scroll 0 54 " + right + " " + bottom + " 0 -16",
                                        "fill 0 182 " + right + " " + bottom, "cell 0 182 71 70"}),
              ChatCalls(t));
    EXPECT_EQ(8, t.pump.chat.localRow);
}

}  // namespace
}  // namespace palvex
