#pragma once

#include <juce_graphics/juce_graphics.h>

// JUCE 7.0.5 has no juce::FontOptions. Every font of the program is made here, so that
// moving to JUCE 8 changes this file only:
//   fontFromTypeface -> juce::Font(juce::FontOptions(typeface).withHeight(height))
//   plainFont        -> juce::Font(juce::FontOptions(height, juce::Font::plain))
namespace ui
{
inline juce::Font fontFromTypeface(const juce::Typeface::Ptr& typeface, float height)
{
    return juce::Font(typeface).withHeight(height);
}

inline juce::Font plainFont(float height)
{
    return juce::Font(height, juce::Font::plain);
}
} // namespace ui
