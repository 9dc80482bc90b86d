// The cell colour rule: the colour table for the colour types, reverse and
// bright for the monochrome types, the context's colours for TTY and VT52.
#include <gtest/gtest.h>

#include "phonebook/service_entry.h"  // the terminal types
#include "terminal/display_colours.h"

namespace palvex {
namespace {

constexpr Colour kBlack = MakeColour(0, 0, 0);
constexpr Colour kGrey = MakeColour(192, 192, 192);
constexpr Colour kWhite = MakeColour(255, 255, 255);
constexpr Colour kMidGrey = MakeColour(127, 127, 127);

const DisplayColours kDefaults{1, MakeColour(1, 2, 3), MakeColour(4, 5, 6)};  // user pair ignored
const DisplayColours kGreenOnBlue{0, MakeColour(0, 0, 128), MakeColour(0, 128, 0)};
const DisplayColours kBlackOnWhite{0, kWhite, kBlack};
const DisplayColours kRedOnBlack{0, kBlack, MakeColour(128, 0, 0)};
const CellColours kContext{MakeColour(9, 9, 9), MakeColour(8, 8, 8)};

TEST(CellColours, FollowTheRuleOfTheTerminalType) {
    struct Case {
        const char* what;
        int type;
        uint8_t attr;
        DisplayColours colours;
        CellColours expected;  // text, background
    };
    const Case cases[] = {
        // Colour types: both nibbles index the table, whatever the pair says.
        {"ESC [ 31 ; 44 m", kTypeVt100Color, 0x14, kDefaults, {kColourTable[1], kColourTable[4]}},
        {"ESC [ 1 m, then 31 ; 44", kTypeVt100Color, 0x94, kDefaults, {kColourTable[9], kColourTable[4]}},
        {"SCO-ANSI bright background", kTypeScoAnsi, 0x0E, kGreenOnBlue, {kColourTable[0], kColourTable[14]}},
        // Monochrome types with the default pair.
        {"normal", kTypeVt100, 0x70, kDefaults, {kGrey, kBlack}},
        {"ESC [ 7 m: reverse", kTypeVt100, 0x07, kDefaults, {kBlack, kGrey}},
        {"ESC [ 1 ; 7 m: brightened background", kTypeVt102, 0x0F, kDefaults, {kBlack, kWhite}},
        {"concealed 0x00 in normal colours", kTypeVt320, 0x00, kDefaults, {kGrey, kBlack}},
        {"foreground 8 is bright", kTypeWyse50, 0x80, kDefaults, {kWhite, kBlack}},
        {"background 8: bright and reverse", kTypeVt100, 0x08, kDefaults, {kBlack, kWhite}},
        // Monochrome types with the user's pair.
        {"user pair", kTypeVt100, 0x70, kGreenOnBlue, {MakeColour(0, 128, 0), MakeColour(0, 0, 128)}},
        {"user pair reverse", kTypeVt100, 0x07, kGreenOnBlue, {MakeColour(0, 0, 128), MakeColour(0, 128, 0)}},
        {"black text brightens to grey", kTypeVt100, 0xF0, kBlackOnWhite, {kMidGrey, kWhite}},
        {"black text, reverse bright", kTypeVt100, 0x0F, kBlackOnWhite, {kWhite, kMidGrey}},
        {"no green, text not black", kTypeVt100, 0xF0, kRedOnBlack, {MakeColour(255, 0, 0), kBlack}},
        // Types that ignore attributes.
        {"TTY", kTypeTty, 0x14, kGreenOnBlue, kContext}, {"VT52", kTypeVt52, 0x07, kGreenOnBlue, kContext},
        {"unknown type", 42, 0x07, kDefaults, kContext},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CellColours got = SetCellColours(c.attr, c.type, c.colours, kContext);
        EXPECT_EQ(got.text, c.expected.text);
        EXPECT_EQ(got.background, c.expected.background);
    }
}

TEST(Brighten, RaisesNonZeroComponentsOrGreysWhenTheTextIsBlack) {
    struct Case { Colour in, userText, out; };
    const Case cases[] = {
        {MakeColour(0, 128, 0), kGrey, MakeColour(0, 255, 0)},
        {MakeColour(128, 0, 128), kBlack, kMidGrey},      // no green, text black
        {MakeColour(10, 1, 0), kBlack, MakeColour(255, 255, 0)},  // green: the rule does not apply
        // The dialog's palette-relative black is still black, and the flag stays.
        {kBlack | kPaletteRelative, kBlack | kPaletteRelative, kMidGrey | kPaletteRelative},
        {MakeColour(0, 9, 0) | kPaletteRelative, kGrey, MakeColour(0, 255, 0) | kPaletteRelative},
    };
    for (const Case& c : cases) EXPECT_EQ(Brighten(c.in, c.userText), c.out) << std::hex << c.in;
}

TEST(BaseColours, DefaultPairUserPairAndTheColourTypeStart) {
    EXPECT_EQ(BaseColours(kDefaults), (CellColours{kGrey, kBlack}));
    EXPECT_EQ(BaseColours(kGreenOnBlue), (CellColours{MakeColour(0, 128, 0), MakeColour(0, 0, 128)}));
    EXPECT_EQ(BaseColours(ColourTypeColours()), (CellColours{MakeColour(191, 191, 191), kBlack}));
}

}  // namespace
}  // namespace palvex
