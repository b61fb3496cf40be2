#include "install/InstallLocations.h"

#include "catalogue/Formats.h"
#include "catalogue/Product.h"
#include "platform/Platform.h"

namespace install
{
catalogue::PerFormat<juce::File> defaultInstallFolders()
{
    const auto commonFiles = platform::fileFromWindowsPath(catalogue::commonFilesRoot);
    catalogue::PerFormat<juce::File> folders;
    for (int i = 0; i < catalogue::numFormats; ++i)
        folders[static_cast<size_t>(i)] = commonFiles.getChildFile(catalogue::defaultFormatFolders[i]);
    return folders;
}

InstallLocations loadInstallLocations(const juce::File& commonApplicationDataFolder,
                                      const catalogue::PerFormat<juce::File>& defaultFolders)
{
    InstallLocations locations;
    locations.settingsFolder = commonApplicationDataFolder.getChildFile(catalogue::makerFolderName);
    locations.installFolders = defaultFolders;
    locations.settingsLoad = loadInstallSettings(locations.settingsFolder, locations.installFolders);
    return locations;
}
} // namespace install
