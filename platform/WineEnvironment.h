#pragma once

#include <juce_core/juce_core.h>

// What the prefix's registry tells a Windows program about its environment.
namespace platform
{
// The temporary folder GetTempPathW gives a Windows program in the prefix: TMP, else TEMP,
// of the environment Wine builds from the registry (the user's values over the machine's),
// else the Temp folder of the user's profile. A Windows path.
juce::String windowsTemporaryPath();
} // namespace platform
