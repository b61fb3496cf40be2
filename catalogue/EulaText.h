#pragma once

#include <juce_core/juce_core.h>

namespace catalogue
{
// The licence agreement shown by the licence panel.
extern const juce::String eulaText;
} // namespace catalogue
