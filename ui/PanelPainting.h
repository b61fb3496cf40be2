#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Drawing shared by the overlay panels.
namespace ui
{
// A font of the given height in the typeface of the component's look and feel. Asked of
// the look and feel at each call, not of the framework's typeface cache, which may still
// hold a face from a look and feel that is gone.
juce::Font lookAndFeelFont(const juce::Component& component, float height);

// The circular close control drawn under the transparent close button: an ellipse and
// an "X", full colourTextDim while the pointer is over the button, alphaIdle otherwise.
void drawCloseControl(juce::Graphics& g, const juce::Button& closeButton, float u);

// Takes the panel off its parent, if it has one; the owner keeps the object.
void closePanel(juce::Component& panel);
} // namespace ui
