#include "install/InstallSettings.h"

#include "catalogue/Formats.h"
#include "catalogue/Product.h"
#include "install/FileOperations.h"
#include "platform/NativeFiles.h"
#include "platform/Platform.h"
#include "formats/WindowsPathText.h"

#include <optional>

namespace install
{
const char* const settingsNote =
    "These are the paths that all Audio Tarvosk installers will use for their respective formats. Edit them "
    "to personal taste, but keep in mind that some formats have specific homes. Use this feature at your own "
    "risk; follow the naming and separator conventions exactly as you see them, or you could end up with "
    "unintended consequences. If you delete this file, the next time you run the Plugin Manager for any VX "
    "product, a new one with the default locations will be written.";

namespace
{
constexpr const char* settingsElementName = "Plugin_Manager_Settings";
constexpr const char* noteAttribute = "Important_Note:";

// The file holds a few hundred bytes; anything far larger is not a settings file, and
// parsing it whole would only cost time and memory at start-up.
constexpr juce::int64 maxSettingsFileSize = 64 * 1024;

// The framework's XML parser recurses once per level of nested elements, and expands the
// entities of a document type recursively: a crafted file of a few bytes overflows the
// stack. A settings file needs neither, so a file with a document type or with more than
// a handful of tags counts as unreadable.
constexpr int maxTags = 64;

bool isSafeToParse(const juce::String& text)
{
    if (text.containsIgnoreCase("<!DOCTYPE"))
        return false;
    int tags = 0;
    for (auto p = text.getCharPointer(); !p.isEmpty(); ++p)
    {
        if (*p == '<' && ++tags > maxTags)
            return false;
    }
    return true;
}

// Creates the folder and its missing parents, or nothing at all. A drive or share that is
// not there is never created, nor a folder with a name Windows refuses, which no Windows
// program could use.
void createFolderWithParents(const juce::File& folder)
{
    if (platform::isOnExistingDriveOrShare(folder) &&
        !formats::windowsPathProblem(platform::windowsPathOf(folder).toStdString()))
        makeFolderWithParents(folder, defaultFileOperations());
}

bool readSettings(const juce::File& settingsFile, catalogue::PerFormat<juce::File>& installFolders,
                  bool createMissingFolders)
{
    const auto bytes = platform::readSmallRegularFile(settingsFile, maxSettingsFileSize);
    if (!bytes)
        return false;
    // As the framework reads a text file: UTF-8, UTF-16 with a byte-order mark.
    juce::MemoryInputStream stream(*bytes, false);
    const auto text = stream.readEntireStreamAsString();
    if (!isSafeToParse(text))
        return false;
    const auto settings = juce::XmlDocument::parse(text);
    if (settings == nullptr)
        return false;

    for (int format : {catalogue::vst3Format, catalogue::clapFormat, catalogue::aaxFormat})
    {
        const auto value = settings->getStringAttribute(catalogue::formatSettingsKeys[format]);
        // A missing, empty or relative value would resolve against the working directory
        // and install into (and uninstall from) wherever the program was started: the
        // format keeps its default folder instead.
        if (!isAbsoluteWindowsPath(value))
            continue;
        const auto folder = platform::fileFromWindowsPath(value);
        installFolders[static_cast<size_t>(format)] = folder;
        if (createMissingFolders && !folder.exists())
            createFolderWithParents(folder);
    }
    return true;
}

bool writeDefaultSettings(const juce::File& settingsFile,
                          const catalogue::PerFormat<juce::File>& installFolders)
{
    // The maker's folder is never created here, and whatever already stands at the file's
    // place (a folder, say) is left alone.
    if (!settingsFile.getParentDirectory().isDirectory() || settingsFile.exists())
        return false;

    juce::XmlElement settings(settingsElementName);
    settings.setAttribute(noteAttribute, settingsNote);
    for (int format : {catalogue::clapFormat, catalogue::vst3Format, catalogue::aaxFormat})
        settings.setAttribute(catalogue::formatSettingsKeys[format],
                              platform::windowsPathOf(installFolders[static_cast<size_t>(format)]));
    return settings.writeTo(settingsFile);
}
} // namespace

juce::File getSettingsFile(const juce::File& settingsFolder)
{
    return settingsFolder.getChildFile(catalogue::settingsFileName);
}

bool isAbsoluteWindowsPath(const juce::String& path)
{
    if (path.length() < 3)
        return false;
    if (formats::startsWithDriveLetter(path) && formats::isPathSeparator(path[2]))
        return true;

    // \\server\share: two separators, then a server name and a share name.
    if (!formats::isPathSeparator(path[0]) || !formats::isPathSeparator(path[1]) ||
        formats::isPathSeparator(path[2]))
        return false;
    const auto parts = juce::StringArray::fromTokens(path.substring(2).replaceCharacter('/', '\\'), "\\", "");
    return parts.size() >= 2 && parts[0].isNotEmpty() && parts[1].isNotEmpty();
}

SettingsLoad loadInstallSettings(const juce::File& settingsFolder,
                                 catalogue::PerFormat<juce::File>& installFolders)
{
    const auto settingsFile = getSettingsFile(settingsFolder);
    if (settingsFile.existsAsFile())
        return readSettings(settingsFile, installFolders, true) ? SettingsLoad::read
                                                                : SettingsLoad::unreadable;
    return writeDefaultSettings(settingsFile, installFolders) ? SettingsLoad::written
                                                              : SettingsLoad::notWritten;
}

void peekInstallSettings(const juce::File& settingsFolder, catalogue::PerFormat<juce::File>& installFolders)
{
    const auto settingsFile = getSettingsFile(settingsFolder);
    auto folders = installFolders;
    if (settingsFile.existsAsFile() && readSettings(settingsFile, folders, false))
        installFolders = folders;
}
} // namespace install
