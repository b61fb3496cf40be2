#include "install/InstallEngine.h"

#include "catalogue/Formats.h"
#include "install/FormatRun.h"
#include "install/InstallStatus.h"
#include "platform/Platform.h"

namespace install
{
namespace
{
catalogue::PerFormat<ArchiveData> embeddedArchives()
{
    catalogue::PerFormat<ArchiveData> archives;
    for (int i = 0; i < catalogue::numFormats; ++i)
        archives[(size_t)i] = getFormatArchive(i);
    return archives;
}
} // namespace

InstallReport runSelectedFormats(catalogue::PerFormat<bool>& formatSelected, bool uninstallMode,
                                 const catalogue::PerFormat<juce::File>& installFolders,
                                 const juce::String& productName)
{
    return runSelectedFormats(formatSelected, uninstallMode, installFolders, productName, embeddedArchives(),
                              defaultFileOperations());
}

InstallReport runSelectedFormats(catalogue::PerFormat<bool>& formatSelected, bool uninstallMode,
                                 const catalogue::PerFormat<juce::File>& installFolders,
                                 const juce::String& productName,
                                 const catalogue::PerFormat<ArchiveData>& archives,
                                 FileOperations& operations)
{
    InstallReport report;
    report.uninstall = uninstallMode;
    for (int i = 0; i < catalogue::numFormats; ++i)
    {
        const auto index = (size_t)i;
        if (!formatSelected[index])
            continue;

        // An empty folder (a settings file without the format's key) would put the bundle
        // at the root of a drive: refused.
        const auto& folder = installFolders[index];
        const auto bundle = getBundleFile(folder, productName, i);
        FormatReport format;
        if (folder.getFullPathName().isEmpty())
            format.reason = FailureReason::noInstallFolder;
        else
            format = runFormat(bundle, uninstallMode, archives[index], operations);
        format.format = i;
        report.formats.push_back(format);
        formatSelected[index] = false;
    }
    return report;
}

bool processSelectedFormats(catalogue::PerFormat<bool>& formatSelected, bool uninstallMode,
                            const catalogue::PerFormat<juce::File>& installFolders,
                            const juce::String& productName)
{
    return runSelectedFormats(formatSelected, uninstallMode, installFolders, productName).succeeded();
}

bool processSelectedFormats(catalogue::PerFormat<bool>& formatSelected, bool uninstallMode,
                            const catalogue::PerFormat<juce::File>& installFolders,
                            const juce::String& productName,
                            const catalogue::PerFormat<ArchiveData>& archives, FileOperations& operations)
{
    return runSelectedFormats(formatSelected, uninstallMode, installFolders, productName, archives,
                              operations)
        .succeeded();
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
