#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <optional>

// The file calls of the install engine, made with the system's own API so that a failure
// keeps the failing call's error: errno, or GetLastError on Windows, whose error codes the
// framework's file class does not hand on. Each returns 0 on success, else that code.
namespace platform
{
// One folder whose parent exists.
int createOneFolder(const juce::File& folder);

// Renames, never replacing what is at the target.
int renameWithoutReplacing(const juce::File& from, const juce::File& to);

// Renames, replacing a file (or a link, never what it points to) at the target.
int renameReplacing(const juce::File& from, const juce::File& to);

// Removes a file or a symbolic link (of a folder too), never what a link points to.
int removeFileOrLink(const juce::File& file);

// Removes an empty folder.
int removeEmptyFolder(const juce::File& folder);

// The system's own words for an error code.
juce::String describeSystemError(int code);

// The error code the system gives for a path that exists already (EEXIST, ERROR_FILE_EXISTS).
int alreadyExistsError();

// The error code the system gives for a path whose folder does not exist (ENOENT,
// ERROR_PATH_NOT_FOUND).
int notFoundError();

// The names of the programs that hold any of the files open (the Restart Manager on
// Windows); empty where the system names nobody.
juce::StringArray programsHoldingFiles(const juce::Array<juce::File>& files);

// The bytes of a file that is a regular file (after following links) of at most maxBytes
// bytes; nothing for anything else. The reported size is no guide (it is 0 for a FIFO and
// for a device such as /dev/zero), so at most one byte past the limit is ever read, and
// opening never waits for a writer.
std::optional<juce::MemoryBlock> readSmallRegularFile(const juce::File& file, juce::int64 maxBytes);

// True when nothing is at the path, or a plain file, or a link (never followed): what a
// new file may replace. A folder, a device or a pipe is none of these.
bool isAbsentFileOrLink(const juce::File& file);

// What makes two paths the same file or folder, whatever their spelling: the device and
// inode, or on Windows the volume serial number and the file index.
struct FileIdentity
{
    std::uint64_t volume = 0;
    std::uint64_t index = 0;

    bool operator==(const FileIdentity& other) const
    {
        return volume == other.volume && index == other.index;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// The identity of what is at the path: with followLinks, of what a link there points to;
// without, of the link itself. Nothing when nothing is there.
std::optional<FileIdentity> identityOf(const juce::File& file, bool followLinks);

// A new file opened for writing only; it must not exist yet.
class NewFile
{
public:
    NewFile() = default;
    ~NewFile();

    int create(const juce::File& file);
    // Writes all bytes or fails.
    int write(const void* data, size_t count);
    // Writes what was written through to the disk.
    int flush();

private:
    std::intptr_t handle = -1;

    JUCE_DECLARE_NON_COPYABLE(NewFile)
};
} // namespace platform
