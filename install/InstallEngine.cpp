#include "install/InstallEngine.h"

#include "catalogue/Formats.h"
#include "install/FormatRun.h"
#include "install/InstallStatus.h"
#include "platform/Platform.h"

namespace install
{
bool processSelectedFormats(std::array<bool, 3>& formatSelected, bool uninstallMode,
                            const std::array<juce::File, 3>& installFolders, const juce::String& productName)
{
    std::array<ArchiveData, 3> archives;
    for (int i = 0; i < catalogue::numFormats; ++i)
        archives[(size_t)i] = getFormatArchive(i);
    return processSelectedFormats(formatSelected, uninstallMode, installFolders, productName, archives,
                                  defaultFileOperations());
}

bool processSelectedFormats(std::array<bool, 3>& formatSelected, bool uninstallMode,
                            const std::array<juce::File, 3>& installFolders, const juce::String& productName,
                            const std::array<ArchiveData, 3>& archives, FileOperations& operations)
{
    // Every processed format must succeed: one failure fails the run.
    bool anyProcessed = false;
    bool allSucceeded = true;
    for (int i = 0; i < catalogue::numFormats; ++i)
    {
        const auto index = (size_t)i;
        if (!formatSelected[index])
            continue;

        // An empty folder (a settings file without the format's key) would put the bundle
        // at the root of a drive: refused.
        const auto& folder = installFolders[index];
        const auto bundle = getBundleFile(folder, productName, i);
        const bool succeeded = folder.getFullPathName().isNotEmpty() &&
                               runFormat(bundle, uninstallMode, archives[index], operations).wasOk();

        anyProcessed = true;
        allSucceeded = allSucceeded && succeeded;
        formatSelected[index] = false;
    }
    return anyProcessed && allSucceeded;
}

void removeLeftoverScript()
{
    removeLeftoverScript(platform::temporaryFolder());
}

void removeLeftoverScript(const juce::File& temporaryFolder)
{
    // Without a temporary folder the name would resolve at the root of a drive.
    if (temporaryFolder.getFullPathName().isEmpty())
        return;
    const auto script = temporaryFolder.getChildFile("script.sh");
    if (script.existsAsFile())
        script.deleteFile();
}
} // namespace install
