#pragma once

#include <juce_core/juce_core.h>

#include <array>

namespace install
{
// Reads the maker's settings file from settingsFolder and replaces the install folders it
// names, or writes the file with the given (default) folders when it is missing.
void loadInstallSettings(const juce::File& settingsFolder, std::array<juce::File, 3>& installFolders);
} // namespace install
