#pragma once

#include "ui/ControlButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// Controls their owner paints: a transparent button supplies hit testing, mouse states,
// focus and accessibility, and the owner's paint draws it, as a tile where it is one.
namespace ui
{
// A transparent control added to the owner and reporting its clicks to the listener.
// It repaints the owner on every mouse change: a release outside the control changes no
// button state, so without that the tile would stay green.
std::unique_ptr<ControlButton> createPaintedControl(juce::Component& owner, const juce::String& name,
                                                    juce::Button::Listener& listener);

// Tiles are green while held, brighter under the pointer.
juce::Colour tileColour(bool held, bool underPointer);

// A rounded tile with its icon inset by iconInset on every side (no icon when nullptr).
void paintTile(juce::Graphics& g, juce::Rectangle<float> tile, juce::Colour colour,
               const juce::Drawable* icon, float iconInset, float u);

// A rectangle shrunk by inset on every side; a side too short to shrink becomes 0, not
// negative, so a squeezed control never gets a flipped icon or text area.
juce::Rectangle<float> insetClamped(juce::Rectangle<float> area, float inset);
} // namespace ui
