// Which colours a cell is drawn in. Colours are held in the COLORREF layout
// (0x00BBGGRR, with Windows' flag byte on top) so that the service record, the
// colour dialog and the device context can pass them along unchanged.
#pragma once

#include <cstdint>

namespace palvex {

struct ServiceEntry;

using Colour = uint32_t;

constexpr Colour MakeColour(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }
// The colour dialog builds palette-relative values; the flag byte must not make
// a black colour look like something else.
inline constexpr Colour kPaletteRelative = 0x02000000;
constexpr Colour RgbOnly(Colour c) { return c & 0x00FFFFFF; }

// The 16 colours of the colour emulations, indexed by an attribute nibble; the
// colour dialog's swatches show the same values in the same order.
inline constexpr Colour kColourTable[16] = {
    MakeColour(0, 0, 0),       MakeColour(127, 0, 0),     MakeColour(0, 127, 0),
    MakeColour(127, 127, 0),   MakeColour(0, 0, 127),     MakeColour(127, 0, 127),
    MakeColour(0, 127, 127),   MakeColour(191, 191, 191), MakeColour(127, 127, 127),
    MakeColour(255, 0, 0),     MakeColour(0, 255, 0),     MakeColour(255, 255, 0),
    MakeColour(0, 0, 255),     MakeColour(255, 0, 255),   MakeColour(0, 255, 255),
    MakeColour(255, 255, 255),
};

inline constexpr Colour kDefaultBackground = MakeColour(0, 0, 0);
inline constexpr Colour kDefaultText = MakeColour(192, 192, 192);

// The monochrome pair. The service record keeps it (DefaultColours,
// BackgroundColour, TextColour); the colour emulations use it too, as the
// colours of the device context outside the cells.
struct DisplayColours {
    int16_t useDefaultColours = 0;
    Colour userBackground = kDefaultBackground;
    Colour userText = kDefaultText;
};

DisplayColours ColoursOf(const ServiceEntry& service);
void StoreColours(ServiceEntry& service, const DisplayColours& colours);
// What a colour terminal type starts with: not the defaults, but black and the
// table's light grey.
DisplayColours ColourTypeColours();

struct CellColours {
    Colour text;
    Colour background;
    bool operator==(const CellColours&) const = default;
};

// How a terminal type reads the attribute byte.
enum class ColourRule {
    Table,       // VT100(Ansi Color), SCO-ANSI: both nibbles index the table
    Monochrome,  // VT100, VT102, VT220, VT320, Wyse50: reverse and bright
    Context,     // TTY, VT52 (and unknown types): whatever the context holds
};
ColourRule ColourRuleOf(int terminalType);

// The pair the device context holds between cells: text and background of
// DisplayColours, or the fixed defaults while useDefaultColours is set.
CellColours BaseColours(const DisplayColours& colours);

// Non-zero components go to full strength; when the user's text colour is
// black, a colour without green would stay (nearly) invisible that way and
// becomes mid grey instead.
Colour Brighten(Colour c, Colour userText);

// The colours of one cell with attribute `attr` (high nibble foreground, low
// nibble background). `context` is what the device context holds now; the
// types that ignore attributes get it back unchanged.
CellColours SetCellColours(uint8_t attr, int terminalType, const DisplayColours& colours,
                           const CellColours& context);

}  // namespace palvex
