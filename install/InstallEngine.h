#pragma once

#include <juce_core/juce_core.h>

#include <array>

namespace install
{
// One install (or, with uninstallMode, uninstall) run over the selected formats, in the
// order VST3, CLAP, AAX. Every processed format is deselected. Returns the run's result.
bool processSelectedFormats(std::array<bool, 3>& formatSelected, bool uninstallMode,
                            const std::array<juce::File, 3>& installFolders, const juce::String& productName);

// Removes a file "script.sh" from the temporary folder, if there is one.
void removeLeftoverScript();
} // namespace install
