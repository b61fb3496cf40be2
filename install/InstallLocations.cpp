#include "install/InstallLocations.h"

#include "catalogue/Formats.h"
#include "catalogue/Product.h"
#include "platform/Platform.h"

namespace install
{
std::array<juce::File, 3> defaultInstallFolders()
{
    const auto commonFiles = platform::fileFromWindowsPath(catalogue::commonFilesRoot);
    std::array<juce::File, 3> folders;
    for (int i = 0; i < catalogue::numFormats; ++i)
        folders[static_cast<size_t>(i)] = commonFiles.getChildFile(catalogue::defaultFormatFolders[i]);
    return folders;
}

InstallLocations loadInstallLocations(const juce::File& commonApplicationDataFolder,
                                      const std::array<juce::File, 3>& defaultFolders)
{
    InstallLocations locations;
    locations.settingsFolder = commonApplicationDataFolder.getChildFile(catalogue::makerFolderName);
    locations.installFolders = defaultFolders;
    locations.settingsLoad = loadInstallSettings(locations.settingsFolder, locations.installFolders);
    return locations;
}
} // namespace install
