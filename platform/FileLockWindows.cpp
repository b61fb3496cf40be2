#include "platform/FileLock.h"

#include "platform/WindowsApi.h"

namespace platform
{
namespace
{
bool sameFile(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION first, second;
    return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}
} // namespace

struct FileLock::Handle
{
    HANDLE file = INVALID_HANDLE_VALUE;
};

FileLock::FileLock(const juce::File& lockFile)
{
    const auto path = lockFile.getFullPathName();
    // Deleted by the system when the last handle closes, also when the process dies; once
    // that is pending, opening it fails with access denied until it is gone.
    const HANDLE file = CreateFileW(
        path.toWideCharPointer(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        // Access is denied to a lock file whose deletion is pending (its holder is letting
        // go), but also in a folder this process may not write: only the first is busy.
        errorCode = (int)GetLastError();
        const bool pending = errorCode == ERROR_ACCESS_DENIED &&
                             GetFileAttributesW(path.toWideCharPointer()) != INVALID_FILE_ATTRIBUTES;
        outcome = (pending || errorCode == ERROR_SHARING_VIOLATION) ? Outcome::busy : Outcome::failed;
        return;
    }

    OVERLAPPED start = {};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start))
    {
        errorCode = (int)GetLastError();
        outcome = errorCode == ERROR_LOCK_VIOLATION ? Outcome::busy : Outcome::failed;
        CloseHandle(file);
        return;
    }

    // The file at the path must still be the one locked: a holder on another system (the
    // Linux build on the same Wine prefix) removes its file as it lets go.
    const HANDLE atPath =
        CreateFileW(path.toWideCharPointer(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const bool same = atPath != INVALID_HANDLE_VALUE && sameFile(file, atPath);
    if (atPath != INVALID_HANDLE_VALUE)
        CloseHandle(atPath);
    if (!same)
    {
        outcome = Outcome::busy;
        CloseHandle(file);
        return;
    }

    handle = std::make_unique<Handle>();
    handle->file = file;
    outcome = Outcome::held;
}

FileLock::~FileLock()
{
    if (handle != nullptr)
        CloseHandle(handle->file);
}
} // namespace platform
