#pragma once

#include <juce_graphics/juce_graphics.h>

// The seven opaque colours of every screen, and the alphas (out of 255) of the
// translucent variants the screens make of them with withAlpha.
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

inline constexpr juce::uint8 alphaFaint = 26;
inline constexpr juce::uint8 alphaRowIdle = 89;
inline constexpr juce::uint8 alphaIdle = 128;
inline constexpr juce::uint8 alphaUnderPointer = 191;
inline constexpr juce::uint8 alphaInstalledIdle = 230;
inline constexpr juce::uint8 alphaOpaque = 255;
} // namespace catalogue
