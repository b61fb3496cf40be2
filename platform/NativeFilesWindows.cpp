#include "platform/NativeFiles.h"

#include "platform/WindowsApi.h"

#include <restartmanager.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace platform
{
namespace
{
const wchar_t* pathOf(const juce::File& file)
{
    return file.getFullPathName().toWideCharPointer();
}

int resultOf(BOOL succeeded)
{
    return succeeded ? 0 : (int)GetLastError();
}
} // namespace

int createOneFolder(const juce::File& folder)
{
    return resultOf(CreateDirectoryW(pathOf(folder), nullptr));
}

int renameWithoutReplacing(const juce::File& from, const juce::File& to)
{
    // Without MOVEFILE_REPLACE_EXISTING it refuses an existing target, and without
    // MOVEFILE_COPY_ALLOWED it never copies: a file held open makes it fail as a whole.
    return resultOf(MoveFileExW(pathOf(from), pathOf(to), 0));
}

int renameReplacing(const juce::File& from, const juce::File& to)
{
    // A link at the target is replaced itself; a folder there makes it fail.
    return resultOf(
        MoveFileExW(pathOf(from), pathOf(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

std::optional<FileIdentity> identityOf(const juce::File& file, bool followLinks)
{
    // Folders open only with backup semantics; no access is asked for, so nothing is held.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const auto handle = CreateFileW(pathOf(file), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        ((std::uint64_t)info.nFileIndexHigh << 32) | info.nFileIndexLow};
}

int removeFileOrLink(const juce::File& file)
{
    const auto path = file.getFullPathName();
    const auto attributes = GetFileAttributesW(path.toWideCharPointer());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return resultOf(RemoveDirectoryW(path.toWideCharPointer())); // a link to a folder
    return resultOf(DeleteFileW(path.toWideCharPointer()));
}

int removeEmptyFolder(const juce::File& folder)
{
    return resultOf(RemoveDirectoryW(pathOf(folder)));
}

juce::String describeSystemError(int code)
{
    WCHAR buffer[512] = {};
    const auto length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                       (DWORD)code, 0, buffer, (DWORD)std::size(buffer), nullptr);
    if (length == 0)
        return "error " + juce::String(code);
    return juce::String(buffer, (size_t)length).trim() + " (" + juce::String(code) + ")";
}

int alreadyExistsError()
{
    return ERROR_FILE_EXISTS;
}

int notFoundError()
{
    return ERROR_PATH_NOT_FOUND;
}

juce::StringArray programsHoldingFiles(const juce::Array<juce::File>& files)
{
    if (files.isEmpty())
        return {};

    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (RmStartSession(&session, 0, key) != ERROR_SUCCESS)
        return {};

    juce::StringArray paths;
    for (const auto& file : files)
        paths.add(file.getFullPathName());
    std::vector<LPCWSTR> names;
    for (const auto& path : paths)
        names.push_back(path.toWideCharPointer());

    juce::StringArray programs;
    if (RmRegisterResources(session, (UINT)names.size(), names.data(), 0, nullptr, 0, nullptr) ==
        ERROR_SUCCESS)
    {
        std::vector<RM_PROCESS_INFO> processes;
        UINT needed = 0;
        UINT count = 0;
        DWORD reasons = 0;
        DWORD status = RmGetList(session, &needed, &count, nullptr, &reasons);
        // The list can grow between the two calls; a few rounds settle it.
        for (int round = 0; status == ERROR_MORE_DATA && round < 3; ++round)
        {
            processes.resize(needed);
            count = needed;
            status = RmGetList(session, &needed, &count, processes.data(), &reasons);
        }
        if (status == ERROR_SUCCESS)
            for (UINT i = 0; i < count && i < processes.size(); ++i)
                programs.addIfNotAlreadyThere(juce::String(processes[i].strAppName).trim());
        programs.removeEmptyStrings();
    }
    RmEndSession(session);
    return programs;
}

NewFile::~NewFile()
{
    if (handle != -1)
        CloseHandle((HANDLE)handle);
}

int NewFile::create(const juce::File& file)
{
    const auto created = CreateFileW(pathOf(file), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE)
        return (int)GetLastError();
    handle = (std::intptr_t)created;
    return 0;
}

int NewFile::write(const void* data, size_t count)
{
    const auto* bytes = static_cast<const char*>(data);
    while (count > 0)
    {
        const auto chunk = (DWORD)std::min<size_t>(count, 1u << 30);
        DWORD written = 0;
        if (!WriteFile((HANDLE)handle, bytes, chunk, &written, nullptr))
            return (int)GetLastError();
        if (written == 0)
            return ERROR_WRITE_FAULT;
        bytes += written;
        count -= written;
    }
    return 0;
}

int NewFile::flush()
{
    return resultOf(FlushFileBuffers((HANDLE)handle));
}

bool isAbsentFileOrLink(const juce::File& file)
{
    const auto attributes = GetFileAttributesW(pathOf(file));
    if (attributes == INVALID_FILE_ATTRIBUTES)
    {
        const auto error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return true;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::optional<juce::MemoryBlock> readSmallRegularFile(const juce::File& file, juce::int64 maxBytes)
{
    if (!file.existsAsFile())
        return std::nullopt;
    juce::FileInputStream in(file);
    if (!in.openedOk())
        return std::nullopt;
    juce::MemoryBlock bytes(static_cast<size_t>(maxBytes) + 1);
    const auto got = in.read(bytes.getData(), static_cast<int>(bytes.getSize()));
    if (got < 0 || got > maxBytes)
        return std::nullopt;
    bytes.setSize(static_cast<size_t>(got));
    return bytes;
}
} // namespace platform
