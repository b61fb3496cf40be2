#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// Reading values from the text files in which Wine keeps a prefix's registry (user.reg,
// system.reg). Only what the installer needs: string values of one key.
namespace platform
{
struct WineRegistryValue
{
    juce::String text;
    bool expandable = false; // REG_EXPAND_SZ: may hold %VARIABLE% references
};

// The string value `name` (case-insensitive, as in the registry) of the key `keyPath`
// ("Environment", "System\\CurrentControlSet\\Control\\Session Manager\\Environment"),
// read from the registry file's text; nothing when the key or value is missing or the
// value is no string.
std::optional<WineRegistryValue> findWineRegistryString(const juce::String& registryText,
                                                        const juce::String& keyPath,
                                                        const juce::String& name);
} // namespace platform
