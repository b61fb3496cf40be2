#include "install/InstallStatus.h"

#include "catalogue/Formats.h"
#include "platform/Platform.h"

namespace install
{
namespace
{
// Where the plug-in module lies inside the bundle folders.
constexpr const char* vst3ModuleSubfolder = "Contents/x86_64-win/";
constexpr const char* aaxModuleSubfolder = "Contents/x64/";

// The bundle as the Windows program finds it: on Linux also one spelled in another case.
juce::File findBundle(const juce::File& installFolder, const juce::String& productName, int formatIndex)
{
    return platform::findWindowsEntry(installFolder, productName + catalogue::formatExtensions[formatIndex]);
}
} // namespace

juce::File getBundleFile(const juce::File& installFolder, const juce::String& productName, int formatIndex)
{
    return installFolder.getChildFile(productName + catalogue::formatExtensions[formatIndex]);
}

bool isFormatInstalled(const juce::File& installFolder, const juce::String& productName, int formatIndex)
{
    return findBundle(installFolder, productName, formatIndex).exists();
}

juce::File getVersionSourceFile(const juce::File& installFolder, const juce::String& productName,
                                int formatIndex)
{
    const auto bundle = findBundle(installFolder, productName, formatIndex);
    const auto moduleName = productName + catalogue::formatExtensions[formatIndex];
    switch (formatIndex)
    {
    case catalogue::vst3Format:
        // A VST3 bundle is a folder with the module inside; an older single-file VST3 is the
        // module itself.
        return bundle.existsAsFile() ? bundle
                                     : platform::findWindowsEntry(bundle, vst3ModuleSubfolder + moduleName);
    case catalogue::aaxFormat:
        return platform::findWindowsEntry(bundle, aaxModuleSubfolder + moduleName);
    default:
        return bundle;
    }
}

juce::String getInstalledVersion(const juce::File& installFolder, const juce::String& productName,
                                 int formatIndex)
{
    if (!isFormatInstalled(installFolder, productName, formatIndex))
        return {};
    return platform::readModuleVersion(getVersionSourceFile(installFolder, productName, formatIndex));
}

juce::String getInstallStatusText(bool installed, const juce::String& versionText)
{
    if (!installed)
        return "NOT INSTALLED";
    juce::String text;
    if (versionText.isNotEmpty())
        text << "v" << versionText << " ";
    return text + "INSTALLED";
}
} // namespace install
