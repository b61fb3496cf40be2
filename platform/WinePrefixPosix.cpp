#include "platform/WinePrefix.h"

#include "formats/WindowsPathText.h"
#include "platform/Platform.h"
#include "platform/SystemText.h"

#include <dirent.h>
#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

namespace platform
{
using namespace formats;

juce::File winePrefix()
{
    const char* fromEnvironment = std::getenv("WINEPREFIX");
    if (fromEnvironment != nullptr && fromEnvironment[0] == '/')
        return folderFromSystemPath(fromEnvironment);
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/')
    {
        const auto* entry = ::getpwuid(::getuid());
        home = entry != nullptr ? entry->pw_dir : "/";
    }
    return folderFromSystemPath(std::string(home) + "/.wine");
}

juce::String prefixUserName()
{
    if (const auto* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_name != nullptr && entry->pw_name[0] != 0)
        return utf8Text(entry->pw_name).value_or(juce::String());
    return utf8Text(std::getenv("USER")).value_or("root");
}

juce::String userProfilePath()
{
    return "C:\\users\\" + prefixUserName();
}

bool isInsidePrefix(const juce::File& file)
{
    char* resolvedFile = ::realpath(file.getFullPathName().toRawUTF8(), nullptr);
    char* resolvedPrefix = ::realpath(winePrefix().getFullPathName().toRawUTF8(), nullptr);
    // Compared as bytes: resolved paths need not be UTF-8.
    const std::string filePath = resolvedFile != nullptr ? resolvedFile : "";
    const std::string prefixPath = resolvedPrefix != nullptr ? resolvedPrefix : "";
    ::free(resolvedFile);
    ::free(resolvedPrefix);
    return !filePath.empty() && !prefixPath.empty() &&
           filePath.rfind(prefixPath == "/" ? prefixPath : prefixPath + "/", 0) == 0 &&
           filePath != prefixPath;
}

namespace
{

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

juce::String driveEntryName(juce::juce_wchar letter)
{
    return juce::String::charToString(juce::CharacterFunctions::toLowerCase(letter)) + ":";
}

// The folder a link leads to (its target read as the framework does, relative to the
// link's folder), or, for a target that is not UTF-8, the folder reached through it.
juce::File linkedFolder(const juce::File& link)
{
    char target[PATH_MAX + 1];
    const auto length = ::readlink(link.getFullPathName().toRawUTF8(), target, PATH_MAX);
    if (length < 0)
        return link;
    target[length] = 0;
    if (const auto text = utf8Text(target))
        return link.getParentDirectory().getChildFile(*text);
    return folderFromSystemPath(link.getFullPathName().toStdString());
}

// The folder that stands for a drive letter: its dosdevices entry (resolved when it is a
// link to a folder) where the prefix has dosdevices, drive_c for C: otherwise. A drive the
// prefix does not have maps to its dosdevices entry, which leads nowhere and is never made.
juce::File driveRoot(juce::juce_wchar letter)
{
    const auto name = driveEntryName(letter);
    const auto devices = dosDevices();
    if (!devices.isDirectory() && name == "c:")
        return driveC();
    const auto entry = devices.getChildFile(name);
    if (entry.isSymbolicLink())
    {
        // A link whose folder is gone stays the entry itself: still no drive.
        const auto target = linkedFolder(entry);
        if (target.isDirectory())
            return target;
    }
    return entry;
}

// The path's parts below a drive or share, the way Windows (and Wine) normalise a path:
// either separator, empty parts and "." dropped, ".." going up but never above the root;
// a part followed by a separator loses one trailing dot, and the last part loses every
// trailing dot and space, unless the path ends with a separator.
juce::StringArray relativeParts(const juce::String& path)
{
    const auto slashed = path.replaceCharacter('\\', '/');
    juce::StringArray parts;
    parts.addTokens(slashed, "/", "");
    const bool endsWithSeparator = slashed.endsWithChar('/');
    juce::StringArray kept;
    for (int i = 0; i < parts.size(); ++i)
    {
        auto part = parts[i];
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..")
        {
            if (!kept.isEmpty())
                kept.remove(kept.size() - 1);
            continue;
        }
        const bool last = i == parts.size() - 1;
        if (!last && part.endsWithChar('.'))
            part = part.dropLastCharacters(1);
        kept.add(part);
    }
    if (!endsWithSeparator && !kept.isEmpty() && !parts[parts.size() - 1].isEmpty() &&
        parts[parts.size() - 1] != "." && parts[parts.size() - 1] != "..")
    {
        const auto trimmed = kept[kept.size() - 1].trimCharactersAtEnd(". ");
        if (trimmed.isEmpty())
            kept.remove(kept.size() - 1);
        else
            kept.set(kept.size() - 1, trimmed);
    }
    return kept;
}

// The parts of a \\?\ path: taken as they are, split at backslashes only. Windows passes
// such a name on unnormalised, so "." and ".." are no parts of it and a slash is no
// separator: nothing for a path that holds them.
std::optional<juce::StringArray> verbatimParts(const juce::String& path)
{
    juce::StringArray parts;
    parts.addTokens(path, "\\", "");
    parts.removeEmptyStrings(false);
    for (const auto& part : parts)
        if (part == "." || part == ".." || part.containsChar('/'))
            return std::nullopt;
    return parts;
}

// A child by name, never read as a path of its own: "~x" stays a name, not a home folder.
juce::File childNamed(const juce::File& folder, const juce::String& name)
{
    return juce::File(folder.getFullPathName().trimCharactersAtEnd("/") + "/" + name);
}

// The entry of `folder` whose name matches `name` ignoring case, as Wine finds a name
// the Windows program asks for: the exact name first, else the first match in name order.
std::optional<juce::File> findEntryIgnoringCase(const juce::File& folder, const juce::String& name)
{
    const auto exact = childNamed(folder, name);
    if (exact.exists() || exact.isSymbolicLink())
        return exact;
    DIR* dir = ::opendir(folder.getFullPathName().toRawUTF8());
    if (dir == nullptr)
        return std::nullopt;
    juce::String best;
    while (const auto* entry = ::readdir(dir))
    {
        // A name that is not UTF-8 matches no name given as text.
        const auto entryName = utf8Text(entry->d_name);
        if (entryName && entryName->equalsIgnoreCase(name) && (best.isEmpty() || *entryName < best))
            best = *entryName;
    }
    ::closedir(dir);
    if (best.isEmpty())
        return std::nullopt;
    return childNamed(folder, best);
}

// Each part resolved the way Wine resolves a Windows path: an existing entry of another
// case is that entry; from the first part that does not exist on, the parts are taken with
// the case given.
juce::File childOf(juce::File root, const juce::StringArray& parts)
{
    bool existing = root.isDirectory();
    for (const auto& part : parts)
    {
        if (existing)
        {
            if (const auto found = findEntryIgnoringCase(root, part))
            {
                root = *found;
                continue;
            }
            existing = false;
        }
        root = childNamed(root, part);
    }
    return root;
}

// The host folder of a share (dosdevices/unc/server/share), its two names matched like
// every other part.
juce::File shareRoot(const juce::String& server, const juce::String& share)
{
    return childOf(dosDevices().getChildFile("unc"), juce::StringArray(server, share));
}

juce::File fileFromDriveOrShare(const juce::String& path, bool verbatim)
{
    // After the prefix: "X:\rest", "UNC\server\share\rest", or a device name.
    if (startsWithDriveLetter(path))
    {
        const auto rest = path.substring(2);
        if (!verbatim)
            return childOf(driveRoot(path[0]), relativeParts(rest));
        const auto parts = verbatimParts(rest);
        return parts ? childOf(driveRoot(path[0]), *parts) : juce::File();
    }

    const auto parts = verbatim ? verbatimParts(path) : std::optional<juce::StringArray>(relativeParts(path));
    if (!parts || parts->isEmpty())
        return {};
    if ((*parts)[0].equalsIgnoreCase("UNC"))
    {
        if (parts->size() < 3)
            return {};
        juce::StringArray rest(*parts);
        rest.removeRange(0, 3);
        return childOf(shareRoot((*parts)[1], (*parts)[2]), rest);
    }
    // A device (\\.\PhysicalDrive0, \\?\GLOBALROOT): Wine looks devices up in dosdevices,
    // under their name in lower case. No drive or share stands there.
    juce::StringArray rest(*parts);
    rest.remove(0);
    return childOf(dosDevices().getChildFile((*parts)[0].toLowerCase()), rest);
}
} // namespace

juce::File fileFromWindowsPath(const juce::String& windowsPath)
{
    if (startsWithDriveLetter(windowsPath))
        return fileFromDriveOrShare(windowsPath, false);

    // \\?\ (backslashes only) passes the rest on as it is; \\.\ and //?/ are normalised.
    if (windowsPath.startsWith("\\\\?\\"))
        return fileFromDriveOrShare(windowsPath.substring(4), true);
    const auto slashed = windowsPath.replaceCharacter('\\', '/');
    if (slashed.startsWith("//./") || slashed.startsWith("//?/"))
        return fileFromDriveOrShare(windowsPath.substring(4), false);

    if (slashed.startsWith("//"))
    {
        // \\server\share\rest: the server and the share stay the root.
        const auto parts = relativeParts(slashed);
        if (parts.size() < 2)
            return childOf(dosDevices().getChildFile("unc"), parts);
        juce::StringArray rest(parts);
        rest.removeRange(0, 2);
        return childOf(shareRoot(parts[0], parts[1]), rest);
    }
    if (slashed.startsWith("/"))
        return childOf(driveC(), relativeParts(slashed));
    return juce::File::getCurrentWorkingDirectory().getChildFile(slashed);
}

juce::File findWindowsEntry(const juce::File& folder, const juce::String& relativePath)
{
    return childOf(folder, juce::StringArray::fromTokens(relativePath.replaceCharacter('\\', '/'), "/", ""));
}

bool isOnExistingDriveOrShare(const juce::File& file)
{
    // Outside dosdevices every path is a host path that one of the drives (or none) holds.
    // Inside it, only an existing drive entry or an existing share leads anywhere: whatever
    // else lies there is no place Wine can reach, and nothing may be made there.
    const auto devices = dosDevices();
    if (file == devices)
        return false;
    if (!file.isAChildOf(devices))
        return true;
    const auto parts = juce::StringArray::fromTokens(file.getRelativePathFrom(devices), "/", "");
    if (parts[0].length() == 2 && startsWithDriveLetter(parts[0]))
        return driveRoot(parts[0][0]).isDirectory() && parts[0] == driveEntryName(parts[0][0]);
    if (parts[0] == "unc")
        return parts.size() >= 3 &&
               childNamed(childNamed(childNamed(devices, "unc"), parts[1]), parts[2]).isDirectory();
    return false;
}

juce::String windowsPathOf(const juce::File& file)
{
    const auto shares = dosDevices().getChildFile("unc");
    if (file.isAChildOf(shares))
        return "\\\\" + file.getRelativePathFrom(shares).replaceCharacter('/', '\\');
    // A path on a drive the prefix does not have stays below its dosdevices entry.
    if (file.isAChildOf(dosDevices()))
    {
        const auto relative = file.getRelativePathFrom(dosDevices());
        if (relative.length() >= 2 && startsWithDriveLetter(relative) &&
            (relative.length() == 2 || relative[2] == '/'))
            return relative.substring(0, 1).toUpperCase() + ":\\" +
                   relative.substring(3).replaceCharacter('/', '\\');
    }

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
    if (DIR* dir = ::opendir(devices.getFullPathName().toRawUTF8()))
    {
        while (const auto* entry = ::readdir(dir))
        {
            const auto name = utf8Text(entry->d_name).value_or(juce::String());
            if (name.length() == 2 && startsWithDriveLetter(name))
                consider(name.toUpperCase(), driveRoot(name[0]));
        }
        ::closedir(dir);
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
