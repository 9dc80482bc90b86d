#include "terminal/display_colours.h"

#include "phonebook/service_entry.h"

namespace palvex {

DisplayColours ColoursOf(const ServiceEntry& service) {
    return {service.DefaultColours, service.BackgroundColour, service.TextColour};
}

void StoreColours(ServiceEntry& service, const DisplayColours& colours) {
    service.DefaultColours = colours.useDefaultColours;
    service.BackgroundColour = colours.userBackground;
    service.TextColour = colours.userText;
}

DisplayColours ColourTypeColours() { return {0, kColourTable[0], kColourTable[7]}; }

ColourRule ColourRuleOf(int terminalType) {
    switch (terminalType) {
    case kTypeVt100Color:
    case kTypeScoAnsi:
        return ColourRule::Table;
    case kTypeVt100:
    case kTypeVt102:
    case kTypeVt220:
    case kTypeVt320:
    case kTypeWyse50:
        return ColourRule::Monochrome;
    default:
        return ColourRule::Context;
    }
}

CellColours BaseColours(const DisplayColours& colours) {
    if (colours.useDefaultColours) return {kDefaultText, kDefaultBackground};
    return {colours.userText, colours.userBackground};
}

Colour Brighten(Colour c, Colour userText) {
    const Colour flags = c & ~0x00FFFFFFu;
    if (GreenOf(c) == 0 && RgbOnly(userText) == 0) return flags | MakeColour(127, 127, 127);
    return flags | MakeColour(RedOf(c) ? 255 : 0, GreenOf(c) ? 255 : 0, BlueOf(c) ? 255 : 0);
}

CellColours SetCellColours(uint8_t attr, int terminalType, const DisplayColours& colours,
                           const CellColours& context) {
    const int fg = attr >> 4;
    const int bg = attr & 0x0F;
    switch (ColourRuleOf(terminalType)) {
    case ColourRule::Table:
        return {kColourTable[fg], kColourTable[bg]};
    case ColourRule::Monochrome: {
        const CellColours base = BaseColours(colours);
        const bool bright = fg > 7 || bg >= 8;
        const Colour text = bright ? Brighten(base.text, colours.userText) : base.text;
        // Any background nibble means reverse video; 0x00 (concealed) is not.
        if (bg != 0) return {base.background, text};
        return {text, base.background};
    }
    case ColourRule::Context:
        break;
    }
    return context;
}

}  // namespace palvex
