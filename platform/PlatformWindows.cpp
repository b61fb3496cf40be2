#include "platform/Platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The Windows side of the seam: the framework and the Win32 API answer directly, and
// Windows paths are this platform's own paths.
namespace platform
{
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
    return juce::File(windowsPath);
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
