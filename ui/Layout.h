#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Layout in units of u, a hundredth of the window's width, shared by the main component
// and its panels.
namespace ui
{
// The bounds (x, y, w, h) × u, each rounded to the nearest integer, ties to even.
juce::Rectangle<int> boundsInUnits(float u, float x, float y, float w, float h);

// An overlay panel covers the whole of its owner, in front of every other child.
void coverOwner(const juce::Component& owner, juce::Component& panel);
} // namespace ui
