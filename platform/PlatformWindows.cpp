#include "platform/Platform.h"

#include "platform/WindowsApi.h"
#include "formats/WindowsPathText.h"

// The Windows side of the seam: the framework and the Win32 API answer directly, and
// Windows paths are this platform's own paths.
namespace platform
{
// The Windows path and file-format rules, written once for every build and the tools.
using namespace formats;

namespace
{
// "X:\..." or "\\server\share...".
bool isAbsoluteFolderPath(const juce::String& path)
{
    return (startsWithDriveLetter(path) && path.length() >= 3 && path[2] == '\\') || path.startsWith("\\\\");
}
} // namespace

juce::StringArray preferredLanguages()
{
    return {juce::SystemStats::getDisplayLanguage()};
}

juce::File commonApplicationDataFolder()
{
    return juce::File::getSpecialLocation(juce::File::commonApplicationDataDirectory);
}

juce::File temporaryFolder()
{
    constexpr DWORD bufferLength = 2048;
    WCHAR buffer[bufferLength] = {};
    const auto length = GetTempPathW(bufferLength, buffer);
    // 0 means failure; a length of the buffer or more means the path did not fit.
    if (length == 0 || length >= bufferLength)
        return {};
    return juce::File(juce::String(buffer, static_cast<size_t>(length)));
}

juce::String readModuleVersion(const juce::File& module)
{
    return module.getVersion();
}

juce::File fileFromWindowsPath(const juce::String& windowsPath)
{
    // One spelling for every way of writing the path, so that the folder text shown is the
    // same whatever was typed, and the same as on Linux: normalised as Windows reads it,
    // and each existing part in the case it is stored in.
    const auto normalised = normalisedWindowsPath(windowsPath.toStdString());
    if (!normalised)
        return {};
    const auto path = juce::String::fromUTF8(normalised->c_str());
    if (path.startsWith("\\\\?\\") || !isAbsoluteFolderPath(path))
        return juce::File(path);

    const bool share = path.startsWith("\\\\");
    auto parts = juce::StringArray::fromTokens(path.substring(share ? 2 : 0), "\\", "");
    parts.removeEmptyStrings();
    const int rootParts = share ? 2 : 1;
    auto stored = share ? "\\\\" + parts[0] + "\\" + parts[1] : parts[0];
    bool existing = true;
    for (int i = rootParts; i < parts.size(); ++i)
    {
        auto part = parts[i];
        // A name Windows refuses holds wildcards (* ? < > ") that would match other names:
        // it is left as it is, for the name check to refuse.
        existing = existing && !windowsNameProblem(part.toStdString());
        if (existing)
        {
            WIN32_FIND_DATAW found = {};
            const auto handle = FindFirstFileW((stored + "\\" + part).toWideCharPointer(), &found);
            existing = handle != INVALID_HANDLE_VALUE;
            if (existing)
            {
                FindClose(handle);
                // The long name of the entry found by its own or by its short (8.3) name.
                const juce::String name(found.cFileName);
                if (name.equalsIgnoreCase(part) ||
                    juce::String(found.cAlternateFileName).equalsIgnoreCase(part))
                    part = name;
                else
                    existing = false;
            }
        }
        stored += "\\" + part;
    }
    return juce::File(parts.size() > rootParts ? stored : path);
}

juce::File findWindowsEntry(const juce::File& folder, const juce::String& relativePath)
{
    return folder.getChildFile(relativePath);
}

bool isOnExistingDriveOrShare(const juce::File& file)
{
    // The root is "X:\" or "\\server\share\"; after "\\?\" or "\\.\" also "UNC\server\share\".
    // Any other name after those prefixes is a device.
    auto path = file.getFullPathName().replaceCharacter('/', '\\');
    juce::String prefix;
    if (path.startsWith("\\\\?\\") || path.startsWith("\\\\.\\"))
    {
        prefix = path.substring(0, 4);
        path = path.substring(4);
        if (path.startsWithIgnoreCase("UNC\\"))
        {
            prefix += "UNC";
            path = "\\" + path.substring(3);
        }
        else if (!(path.length() >= 2 && path[1] == ':'))
        {
            return false;
        }
    }

    juce::String root;
    if (path.length() >= 2 && path[1] == ':')
    {
        root = path.substring(0, 2) + "\\";
    }
    else if (path.startsWith("\\\\"))
    {
        const auto parts = juce::StringArray::fromTokens(path.substring(2), "\\", "");
        if (parts.size() < 2 || parts[0].isEmpty() || parts[1].isEmpty())
            return false;
        root = "\\\\" + parts[0] + "\\" + parts[1] + "\\";
    }
    else
    {
        return false;
    }
    if (prefix.isNotEmpty())
        root = prefix + (prefix.endsWith("UNC") ? root.substring(1) : root);
    const auto attributes = GetFileAttributesW((root).toWideCharPointer());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int flushToDisk(const juce::File& file)
{
    // NTFS keeps its folders in its journal; only a file's data needs flushing.
    if (file.isDirectory())
        return 0;
    const HANDLE handle = CreateFileW(file.getFullPathName().toWideCharPointer(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return (int)GetLastError();
    const int code = FlushFileBuffers(handle) != 0 ? 0 : (int)GetLastError();
    CloseHandle(handle);
    return code;
}

juce::String windowsPathOf(const juce::File& file)
{
    return file.getFullPathName();
}
} // namespace platform

// ---------------------------------------------------------------------------------------
// The per-user folder: the shell's answer, else the environment's.
#include <shlobj.h>

namespace platform
{
juce::File localAppDataFolder()
{
    WCHAR buffer[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return juce::File(juce::String(buffer));
    const auto fromEnvironment = juce::SystemStats::getEnvironmentVariable("LOCALAPPDATA", {});
    return juce::File::isAbsolutePath(fromEnvironment) ? juce::File(fromEnvironment) : juce::File();
}
} // namespace platform

namespace platform
{
juce::String environmentText(const char* name)
{
    return juce::SystemStats::getEnvironmentVariable(name, {});
}
} // namespace platform
