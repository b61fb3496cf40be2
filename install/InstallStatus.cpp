#include "install/InstallStatus.h"

#include "catalogue/Formats.h"
#include "platform/Platform.h"
#include "formats/WindowsPathText.h"

namespace install
{
std::optional<formats::PathProblem> installFolderProblem(const juce::File& installFolder)
{
    return formats::windowsPathProblem(platform::windowsPathOf(installFolder).toStdString());
}

// None in a folder Windows cannot have: what this platform keeps there, Windows never sees.
juce::File findInstalledBundle(const juce::File& installFolder, const juce::String& productName,
                               int formatIndex)
{
    if (installFolderProblem(installFolder))
        return {};
    return platform::findWindowsEntry(installFolder, productName + catalogue::formatExtensions[formatIndex]);
}

juce::File getBundleFile(const juce::File& installFolder, const juce::String& productName, int formatIndex)
{
    return installFolder.getChildFile(productName + catalogue::formatExtensions[formatIndex]);
}

bool isFormatInstalled(const juce::File& installFolder, const juce::String& productName, int formatIndex)
{
    return findInstalledBundle(installFolder, productName, formatIndex).exists();
}

juce::File getVersionSourceFile(const juce::File& installFolder, const juce::String& productName,
                                int formatIndex)
{
    const auto bundle = findInstalledBundle(installFolder, productName, formatIndex);
    if (formatIndex < 0 || formatIndex >= catalogue::numFormats)
        return bundle;
    const auto& format = catalogue::formatTable[static_cast<size_t>(formatIndex)];
    // A single-file VST3 of older releases is the module itself, like a file bundle.
    if (!format.bundleIsFolder || (formatIndex == catalogue::vst3Format && bundle.existsAsFile()))
        return bundle;
    return platform::findWindowsEntry(bundle, juce::String(format.moduleFolder) + "/" + productName +
                                                  format.extension);
}

juce::String getInstalledVersion(const juce::File& installFolder, const juce::String& productName,
                                 int formatIndex)
{
    if (!isFormatInstalled(installFolder, productName, formatIndex))
        return {};
    return platform::readModuleVersion(getVersionSourceFile(installFolder, productName, formatIndex));
}

} // namespace install
