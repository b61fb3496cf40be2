#include "platform/Platform.h"

#include "platform/PeFileSource.h"

#include <sys/stat.h>

namespace platform
{
namespace
{
// The Wine prefix whose drives stand in for the Windows drives: $WINEPREFIX, or Wine's
// default prefix ~/.wine.
juce::File winePrefix()
{
    const auto fromEnvironment = juce::SystemStats::getEnvironmentVariable("WINEPREFIX", {});
    if (fromEnvironment.isNotEmpty() && juce::File::isAbsolutePath(fromEnvironment))
        return juce::File(fromEnvironment);
    return juce::File::getSpecialLocation(juce::File::userHomeDirectory).getChildFile(".wine");
}

juce::File driveC()
{
    return winePrefix().getChildFile("drive_c");
}

// Wine keeps one entry per drive letter in dosdevices ("c:" -> ../drive_c, "z:" -> /) and
// reaches network shares through dosdevices/unc.
juce::File dosDevices()
{
    return winePrefix().getChildFile("dosdevices");
}

bool isDriveLetterPath(const juce::String& path)
{
    return path.length() >= 2 && path[1] == ':' && juce::CharacterFunctions::isLetter(path[0]) &&
           path[0] < 128;
}

// The folder that stands for a drive letter: its dosdevices entry (resolved when it is a
// link) where the prefix has dosdevices, drive_c for C: otherwise. A drive the prefix does
// not have maps to its would-be dosdevices entry, which does not exist.
juce::File driveRoot(juce::juce_wchar letter)
{
    const auto name = juce::String::charToString(juce::CharacterFunctions::toLowerCase(letter)) + ":";
    const auto devices = dosDevices();
    if (!devices.isDirectory() && name == "c:")
        return driveC();
    const auto entry = devices.getChildFile(name);
    return entry.isSymbolicLink() ? entry.getLinkedTarget() : entry;
}

// The path's parts below a drive or share, the way Windows reads them: either separator,
// empty parts and "." dropped, ".." going up but never above the root.
juce::StringArray relativeParts(const juce::String& path)
{
    juce::StringArray parts;
    parts.addTokens(path.replaceCharacter('\\', '/'), "/", "");
    juce::StringArray kept;
    for (const auto& part : parts)
    {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..")
        {
            if (!kept.isEmpty())
                kept.remove(kept.size() - 1);
            continue;
        }
        kept.add(part);
    }
    return kept;
}

juce::File childOf(juce::File root, const juce::StringArray& parts)
{
    for (const auto& part : parts)
        root = root.getChildFile(part);
    return root;
}

bool isRegularFile(const juce::File& file)
{
    struct stat info;
    return ::stat(file.getFullPathName().toRawUTF8(), &info) == 0 && S_ISREG(info.st_mode);
}
} // namespace

juce::File commonApplicationDataFolder()
{
    return fileFromWindowsPath("C:\\ProgramData");
}

juce::File temporaryFolder()
{
    return juce::File::getSpecialLocation(juce::File::tempDirectory);
}

juce::String readModuleVersion(const juce::File& module)
{
    // Only regular files: opening a folder fails late, and opening a FIFO would block.
    if (!isRegularFile(module))
        return {};
    PeFileSource source(module);
    if (!source.openedOk())
        return {};
    return juce::String(readPeFileVersionText(source));
}

juce::File fileFromWindowsPath(const juce::String& windowsPath)
{
    if (isDriveLetterPath(windowsPath))
        return childOf(driveRoot(windowsPath[0]), relativeParts(windowsPath.substring(2)));

    const auto slashed = windowsPath.replaceCharacter('\\', '/');
    if (slashed.startsWith("//"))
    {
        // \\server\share\rest: the server and the share stay the root.
        const auto parts = relativeParts(slashed);
        auto share = dosDevices().getChildFile("unc");
        juce::StringArray rest;
        for (int i = 0; i < parts.size(); ++i)
        {
            if (i < 2)
                share = share.getChildFile(parts[i]);
            else
                rest.add(parts[i]);
        }
        return childOf(share, rest);
    }
    if (slashed.startsWith("/"))
        return childOf(driveC(), relativeParts(slashed));
    return juce::File::getCurrentWorkingDirectory().getChildFile(slashed);
}

juce::String windowsPathOf(const juce::File& file)
{
    const auto shares = dosDevices().getChildFile("unc");
    if (file.isAChildOf(shares))
        return "\\\\" + file.getRelativePathFrom(shares).replaceCharacter('/', '\\');

    // The drive whose folder holds the file most closely wins: c: (drive_c) before z: (/);
    // between two letters for the same folder, the first in the alphabet.
    juce::String bestLetter;
    juce::File bestRoot;
    const auto consider = [&](const juce::String& letter, const juce::File& root)
    {
        if (file != root && !file.isAChildOf(root))
            return;
        const auto length = root.getFullPathName().length();
        const auto bestLength = bestRoot.getFullPathName().length();
        if (bestLetter.isEmpty() || length > bestLength || (length == bestLength && letter < bestLetter))
        {
            bestLetter = letter;
            bestRoot = root;
        }
    };

    const auto devices = dosDevices();
    if (devices.isDirectory())
    {
        for (const auto& entry :
             juce::RangedDirectoryIterator(devices, false, "*", juce::File::findFilesAndDirectories))
        {
            const auto name = entry.getFile().getFileName();
            if (name.length() == 2 && isDriveLetterPath(name))
                consider(name.toUpperCase(), driveRoot(name[0]));
        }
    }
    else
    {
        consider("C:", driveC());
    }

    if (bestLetter.isEmpty())
        return file.getFullPathName();
    if (file == bestRoot)
        return bestLetter + "\\";
    return bestLetter + "\\" + file.getRelativePathFrom(bestRoot).replaceCharacter('/', '\\');
}
} // namespace platform

// ---------------------------------------------------------------------------------------
// The per-user folder. Wine names the prefix's user folder after the Unix user:
// C:\users\<name>\AppData\Local.
namespace platform
{
juce::File localAppDataFolder()
{
    const auto user = juce::SystemStats::getLogonName();
    if (user.isEmpty() || user.containsAnyOf("/\\:"))
        return {};
    return fileFromWindowsPath("C:\\users\\" + user + "\\AppData\\Local");
}
} // namespace platform
