#include "platform/NativeFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <stdio.h>
#include <unistd.h>

namespace platform
{
namespace
{
const char* pathOf(const juce::File& file)
{
    return file.getFullPathName().toRawUTF8();
}

int resultOf(int status)
{
    return status == 0 ? 0 : errno;
}
} // namespace

int createOneFolder(const juce::File& folder)
{
    return resultOf(::mkdir(pathOf(folder), 0755));
}

int renameWithoutReplacing(const juce::File& from, const juce::File& to)
{
    // Checked first, then a plain rename: the engine alone works on its own work names.
    struct stat info;
    if (::lstat(pathOf(to), &info) == 0)
        return EEXIST;
    return resultOf(::rename(pathOf(from), pathOf(to)));
}

int renameReplacing(const juce::File& from, const juce::File& to)
{
    return resultOf(::rename(pathOf(from), pathOf(to)));
}

std::optional<FileIdentity> identityOf(const juce::File& file, bool followLinks)
{
    struct stat info;
    const int status = followLinks ? ::stat(pathOf(file), &info) : ::lstat(pathOf(file), &info);
    if (status != 0)
        return std::nullopt;
    return FileIdentity{(std::uint64_t)info.st_dev, (std::uint64_t)info.st_ino};
}

int removeFileOrLink(const juce::File& file)
{
    return resultOf(::unlink(pathOf(file)));
}

int removeEmptyFolder(const juce::File& folder)
{
    return resultOf(::rmdir(pathOf(folder)));
}

juce::String describeSystemError(int code)
{
    return juce::String(std::strerror(code));
}

int alreadyExistsError()
{
    return EEXIST;
}

int notFoundError()
{
    return ENOENT;
}

juce::StringArray programsHoldingFiles(const juce::Array<juce::File>&)
{
    return {};
}

NewFile::~NewFile()
{
    if (handle >= 0)
        ::close((int)handle);
}

int NewFile::create(const juce::File& file)
{
    // O_EXCL also refuses a symbolic link, dangling or not, at the path.
    const int descriptor = ::open(pathOf(file), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return errno;
    handle = descriptor;
    return 0;
}

int NewFile::write(const void* data, size_t count)
{
    const auto* bytes = static_cast<const char*>(data);
    while (count > 0)
    {
        const auto written = ::write((int)handle, bytes, count);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes += written;
        count -= (size_t)written;
    }
    return 0;
}

int NewFile::flush()
{
    return ::fsync((int)handle) == 0 ? 0 : errno;
}

bool isAbsentFileOrLink(const juce::File& file)
{
    struct stat info;
    if (::lstat(pathOf(file), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
}

std::optional<juce::MemoryBlock> readSmallRegularFile(const juce::File& file, juce::int64 maxBytes)
{
    const int fd = ::open(pathOf(file), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        ::close(fd);
        return std::nullopt;
    }
    juce::MemoryBlock bytes(static_cast<size_t>(maxBytes) + 1);
    size_t got = 0;
    while (got < bytes.getSize())
    {
        const auto n = ::read(fd, static_cast<char*>(bytes.getData()) + got, bytes.getSize() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
        {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (got > static_cast<size_t>(maxBytes))
        return std::nullopt;
    bytes.setSize(got);
    return bytes;
}
} // namespace platform
