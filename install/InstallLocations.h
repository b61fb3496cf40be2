#pragma once

#include "catalogue/FormatTable.h"
#include "install/InstallSettings.h"

#include <juce_core/juce_core.h>

#include <array>

namespace install
{
// The folders a run of the program acts on, as the start-up settings load left them.
struct InstallLocations
{
    juce::File settingsFolder; // the maker's folder, holding the settings file
    catalogue::PerFormat<juce::File> installFolders;
    SettingsLoad settingsLoad = SettingsLoad::notWritten;
};

// The default install folder of each format, below the Common Files folder.
catalogue::PerFormat<juce::File> defaultInstallFolders();

// The start-up step that the window and the command line share: the maker's folder inside
// commonApplicationDataFolder, then the settings load over the given defaults.
InstallLocations loadInstallLocations(const juce::File& commonApplicationDataFolder,
                                      const catalogue::PerFormat<juce::File>& defaultFolders);
} // namespace install
