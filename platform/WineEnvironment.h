#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// What the prefix's registry tells a Windows program: its environment and machine-wide keys.
namespace platform
{
// The temporary folder GetTempPathW gives a Windows program in the prefix: TMP, else TEMP,
// of the environment Wine builds from the registry (the user's values over the machine's),
// else the Temp folder of the user's profile. A Windows path.
juce::String windowsTemporaryPath();

// A string value of a key of the prefix's machine registry (HKLM, in system.reg), as
// stored; nothing when the key or the value is missing.
std::optional<juce::String> machineRegistryString(const juce::String& keyPath, const juce::String& name);
} // namespace platform
