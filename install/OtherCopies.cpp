#include "install/OtherCopies.h"

#include "catalogue/Formats.h"
#include "catalogue/Product.h"
#include "install/InstallSettings.h"
#include "install/InstallStatus.h"
#include "platform/NativeFiles.h"
#include "platform/Platform.h"

#include <algorithm>

namespace install
{
HostSearchFolders systemHostSearchFolders()
{
    HostSearchFolders folders;
    folders.localAppDataFolder = platform::localAppDataFolder();
    folders.commonFilesX86Folder = platform::fileFromWindowsPath(catalogue::commonFilesX86Root);
    folders.clapPath = platform::environmentText(catalogue::clapPathVariable);
    return folders;
}

juce::Array<juce::File> otherSearchFolders(int formatIndex, const HostSearchFolders& folders)
{
    juce::Array<juce::File> found;
    // An empty path would stand for the working directory's drive root.
    const auto add = [&found](const juce::File& folder)
    {
        if (folder.getFullPathName().isNotEmpty())
            found.addIfNotAlreadyThere(folder);
    };

    const auto perUser = catalogue::perUserFormatFolders[formatIndex];
    if (perUser.isNotEmpty() && folders.localAppDataFolder.getFullPathName().isNotEmpty())
        add(folders.localAppDataFolder.getChildFile(perUser));

    if (formatIndex == catalogue::clapFormat)
    {
        // Relative entries would depend on where the program happens to be started.
        for (const auto& entry : juce::StringArray::fromTokens(folders.clapPath, ";", ""))
            if (isAbsoluteWindowsPath(entry.trim()))
                add(platform::fileFromWindowsPath(entry.trim()));
    }

    const auto x86 = catalogue::x86FormatFolders[formatIndex];
    if (x86.isNotEmpty() && folders.commonFilesX86Folder.getFullPathName().isNotEmpty())
        add(folders.commonFilesX86Folder.getChildFile(x86));
    return found;
}

std::vector<OtherCopy> findOtherCopies(int formatIndex, const juce::File& installFolder,
                                       const juce::String& productName, const HostSearchFolders& folders)
{
    // Bundles are told apart by what they are, not by how their paths are spelled: a
    // folder reached through a link (a junction on Windows), or spelled another way, holds
    // the same bundle, which is no other copy.
    const auto identityOfBundle = [&](const juce::File& folder)
    {
        const auto bundle = getBundleFile(folder, productName, formatIndex);
        return platform::identityOf(platform::findWindowsEntry(folder, bundle.getFileName()), true);
    };
    std::vector<platform::FileIdentity> seen;
    if (const auto installed = identityOfBundle(installFolder))
        seen.push_back(*installed);
    std::vector<OtherCopy> copies;
    for (const auto& folder : otherSearchFolders(formatIndex, folders))
    {
        if (folder == installFolder || !isFormatInstalled(folder, productName, formatIndex))
            continue;
        if (const auto identity = identityOfBundle(folder))
        {
            if (std::find(seen.begin(), seen.end(), *identity) != seen.end())
                continue;
            seen.push_back(*identity);
        }
        copies.push_back({getBundleFile(folder, productName, formatIndex),
                          getInstalledVersion(folder, productName, formatIndex)});
    }
    return copies;
}
} // namespace install
