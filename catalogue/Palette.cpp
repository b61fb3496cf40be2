#include "catalogue/Palette.h"

namespace catalogue
{
juce::Colour parsePaletteColour(const juce::String& rgbHex)
{
    return juce::Colour(static_cast<juce::uint32>(("FF" + rgbHex).getHexValue32()));
}

const juce::Colour colourBackground = parsePaletteColour("111111");
const juce::Colour colourSurface = parsePaletteColour("171717");
const juce::Colour colourText = parsePaletteColour("F5F5F5");
const juce::Colour colourTextDim = parsePaletteColour("AAA6A6");
const juce::Colour colourGreen = parsePaletteColour("86cf7a");
const juce::Colour colourBlue = parsePaletteColour("0094d8");
const juce::Colour colourYellow = parsePaletteColour("D3C55F");
} // namespace catalogue
