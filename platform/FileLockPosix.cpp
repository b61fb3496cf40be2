#include "platform/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{
struct FileLock::Handle
{
    int fd = -1;
    juce::String path;
};

FileLock::FileLock(const juce::File& lockFile)
{
    const auto path = lockFile.getFullPathName();
    const int fd = ::open(path.toRawUTF8(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0)
    {
        errorCode = errno;
        return;
    }

    // An open-file-description lock belongs to this descriptor alone, so closing another
    // descriptor of the same file elsewhere in the process cannot drop it, and it conflicts
    // with the classic record locks that Wine's server takes for Windows programs.
    struct flock whole = {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &whole) != 0)
    {
        errorCode = errno;
        outcome = (errorCode == EAGAIN || errorCode == EACCES) ? Outcome::busy : Outcome::failed;
        ::close(fd);
        return;
    }

    // The holder before removes the file as it lets go: a lock taken on a file that is no
    // longer at the path (or not the one there now) protects nothing. The caller tries again.
    struct stat held, atPath;
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode))
    {
        ::close(fd);
        return;
    }
    if (::lstat(path.toRawUTF8(), &atPath) != 0 || held.st_dev != atPath.st_dev ||
        held.st_ino != atPath.st_ino)
    {
        outcome = Outcome::busy;
        ::close(fd);
        return;
    }

    handle = std::make_unique<Handle>();
    handle->fd = fd;
    handle->path = path;
    outcome = Outcome::held;
}

FileLock::~FileLock()
{
    if (handle == nullptr)
        return;
    // Removed while still locked, so that no one can take the lock on this file any more.
    ::unlink(handle->path.toRawUTF8());
    ::close(handle->fd);
}
} // namespace platform
