#include "install/InstallReport.h"

#include <cerrno>

namespace install
{
bool InstallReport::succeeded() const
{
    if (formats.empty())
        return false;
    for (const auto& format : formats)
        if (!format.succeeded())
            return false;
    return true;
}

FailureReason reasonForSystemError(int code)
{
#if JUCE_WINDOWS
    // Win32 error codes (winerror.h), spelled out so that this file needs no Windows header.
    switch (code)
    {
    case 0:
        return FailureReason::none;
    case 32:   // ERROR_SHARING_VIOLATION
    case 33:   // ERROR_LOCK_VIOLATION
    case 170:  // ERROR_BUSY
    case 1224: // ERROR_USER_MAPPED_FILE
        return FailureReason::inUse;
    case 5:    // ERROR_ACCESS_DENIED
    case 19:   // ERROR_WRITE_PROTECT
    case 1314: // ERROR_PRIVILEGE_NOT_HELD
        return FailureReason::noPermission;
    case 39:  // ERROR_HANDLE_DISK_FULL
    case 112: // ERROR_DISK_FULL
        return FailureReason::diskFull;
    case 3:    // ERROR_PATH_NOT_FOUND
    case 15:   // ERROR_INVALID_DRIVE
    case 21:   // ERROR_NOT_READY
    case 53:   // ERROR_BAD_NETPATH
    case 67:   // ERROR_BAD_NET_NAME
    case 1231: // ERROR_NETWORK_UNREACHABLE
        return FailureReason::installFolderMissing;
    case 80:  // ERROR_FILE_EXISTS
    case 183: // ERROR_ALREADY_EXISTS
    case 267: // ERROR_DIRECTORY
        return FailureReason::pathBlocked;
    default:
        return FailureReason::other;
    }
#else
    switch (code)
    {
    case 0:
        return FailureReason::none;
    case EBUSY:
    case ETXTBSY:
        return FailureReason::inUse;
    case EACCES:
    case EPERM:
    case EROFS:
        return FailureReason::noPermission;
    case ENOSPC:
    case EDQUOT:
        return FailureReason::diskFull;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return FailureReason::installFolderMissing;
    case EEXIST:
    case ENOTDIR:
    case EISDIR:
        return FailureReason::pathBlocked;
    default:
        return FailureReason::other;
    }
#endif
}

juce::String outcomeName(FormatOutcome outcome)
{
    switch (outcome)
    {
    case FormatOutcome::installed:
        return "installed";
    case FormatOutcome::uninstalled:
        return "uninstalled";
    case FormatOutcome::failed:
        return "failed";
    case FormatOutcome::installedOldCopyLeft:
        return "installed-old-copy-left";
    }
    return "failed";
}

juce::String reasonName(FailureReason reason)
{
    switch (reason)
    {
    case FailureReason::none:
        return "none";
    case FailureReason::inUse:
        return "in-use";
    case FailureReason::noPermission:
        return "no-permission";
    case FailureReason::diskFull:
        return "disk-full";
    case FailureReason::installFolderMissing:
        return "install-folder-missing";
    case FailureReason::noInstallFolder:
        return "no-install-folder";
    case FailureReason::pathBlocked:
        return "path-blocked";
    case FailureReason::archiveDamaged:
        return "archive-damaged";
    case FailureReason::otherInstaller:
        return "other-installer";
    case FailureReason::other:
        return "other";
    }
    return "other";
}
} // namespace install
