#pragma once

#include <juce_graphics/juce_graphics.h>

// The seven opaque colours of every screen. Translucent variants are made where they are
// used, with withAlpha.
namespace catalogue
{
// "RRGGBB" (any case) to an opaque colour: "FF" is put in front and the eight digits are
// read as ARGB.
juce::Colour parsePaletteColour(const juce::String& rgbHex);

extern const juce::Colour colourBackground;
extern const juce::Colour colourSurface;
extern const juce::Colour colourText;
extern const juce::Colour colourTextDim;
extern const juce::Colour colourGreen;
extern const juce::Colour colourBlue;
extern const juce::Colour colourYellow;
} // namespace catalogue
