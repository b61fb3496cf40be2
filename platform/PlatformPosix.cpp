#include "platform/Platform.h"

#include "platform/PeFileSource.h"
#include "platform/SystemText.h"
#include "platform/WineEnvironment.h"
#include "platform/WinePrefix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

// The Windows-only services on every other build, over a Wine prefix: its drives
// (platform/WinePrefix.h), its registry's environment (platform/WineEnvironment.h) and the
// system's own calls.
namespace platform
{
namespace
{
bool isRegularFile(const juce::File& file)
{
    struct stat info;
    return ::stat(file.getFullPathName().toRawUTF8(), &info) == 0 && S_ISREG(info.st_mode);
}
} // namespace

juce::StringArray preferredLanguages()
{
    juce::StringArray tags = juce::StringArray::fromTokens(environmentText("LANGUAGE"), ":", "");
    for (const auto* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        tags.add(environmentText(name));
    tags.removeEmptyStrings();
    tags.removeString("C");
    tags.removeString("POSIX");
    for (int i = tags.size(); --i >= 0;)
        if (tags[i].startsWith("C.") || tags[i].startsWith("POSIX."))
            tags.remove(i);
    return tags;
}

juce::File commonApplicationDataFolder()
{
    return fileFromWindowsPath("C:\\ProgramData");
}

juce::File temporaryFolder()
{
    // Only a folder inside the prefix, links resolved: whatever is done in it must never
    // reach a folder that other users of the machine share, such as /tmp.
    const auto folder = fileFromWindowsPath(windowsTemporaryPath());
    if (!folder.isDirectory() || !isInsidePrefix(folder))
        return {};
    return folder;
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

int flushToDisk(const juce::File& file)
{
    // Opening a FIFO or a device would block or touch hardware: only files and folders.
    struct stat info;
    if (::lstat(file.getFullPathName().toRawUTF8(), &info) != 0)
        return errno;
    if (!(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)))
        return EINVAL;
    const int fd = ::open(file.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return errno;
    const int code = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return code;
}

// Wine names the prefix's user folder after the Unix user: C:\users\<name>\AppData\Local.
juce::File localAppDataFolder()
{
    const auto user = prefixUserName();
    if (user.isEmpty() || user.containsAnyOf("/\\:"))
        return {};
    return fileFromWindowsPath("C:\\users\\" + user + "\\AppData\\Local");
}

juce::String environmentText(const char* name)
{
    return utf8Text(std::getenv(name)).value_or(juce::String());
}
} // namespace platform
