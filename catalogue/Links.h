#pragma once

#include <juce_core/juce_core.h>

namespace catalogue
{
// The four link buttons in their on-screen order: "EULA", "MANUAL", "WEBSITE", "SUPPORT".
// A lookup past the end yields an empty string.
extern const juce::StringArray linkNames;
} // namespace catalogue
