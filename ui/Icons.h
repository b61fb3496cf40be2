#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace ui
{
// An icon from embedded SVG data, drawn in the surface colour: its pure opaque black
// becomes colourSurface, every other colour stays as drawn.
std::unique_ptr<juce::Drawable> createSurfaceIcon(const char* svgData, int svgSize);

// The same for the embedded resource of that name ("icon_vst3_svg"); nullptr when there
// is none.
std::unique_ptr<juce::Drawable> createSurfaceIcon(const char* resourceName);
} // namespace ui
