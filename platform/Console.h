#pragma once

#include <juce_core/juce_core.h>

// Text for the console the program was started from. A Windows GUI program has no console
// of its own: it writes to the standard handles when they were redirected, and otherwise
// attaches to its parent's console, if there is one. Without any console the text is lost.
namespace platform
{
void writeToStandardOutput(const juce::String& text);
void writeToStandardError(const juce::String& text);
} // namespace platform
