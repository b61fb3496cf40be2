#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace install
{
// How a file call ended: no error (code 0), or what it failed on and the system's error
// (errno, or GetLastError on Windows) with the system's words for it.
struct FileError
{
    int code = 0; // 0: no error
    juce::String text;
    juce::File path;

    // The error of a call on `path` that returned `code`; no error for 0.
    static FileError of(const juce::File& path, int code);

    // True when the call failed: `if (const auto error = operations.rename(a, b))`.
    explicit operator bool() const { return code != 0; }
};

// A new file being written; each write says how it ended.
class FileWriter
{
public:
    virtual ~FileWriter() = default;
    // Writes all bytes or fails.
    virtual FileError write(const void* data, size_t size) = 0;
};

// A new file opened for writing, or why it could not be made.
struct NewFile
{
    std::unique_ptr<FileWriter> writer; // nullptr on failure
    FileError error;
};

// The file-system changes the install engine makes, behind one seam, so that tests can
// make any single step fail (a full disk, a module held open by a host) even when they
// run with rights that no permission bit stops. Every call returns its own outcome;
// nothing is remembered between calls.
class FileOperations
{
public:
    virtual ~FileOperations() = default;

    // Creates the folder and any missing parents; no error if it exists as a folder afterwards.
    virtual FileError createFolder(const juce::File& folder);

    // Opens a new file for writing; fails if anything is at the path already.
    virtual NewFile createFile(const juce::File& file);

    // Renames within one folder, never replacing: fails if anything is at the target.
    virtual FileError rename(const juce::File& from, const juce::File& to);

    // Removes a file or a folder with everything below it; symbolic links are removed as
    // links, never followed. Goes on past what cannot be removed and returns the first
    // failure. A path where nothing is counts as removed.
    virtual FileError deleteRecursively(const juce::File& file);

    // Writes a file, or a folder with everything below it, through to the disk, and the
    // folder that holds it, so that its names and contents survive a power loss from now
    // on. Links are not followed. Returns the first failure.
    virtual FileError flushToDisk(const juce::File& file);
};

// The real file system.
FileOperations& defaultFileOperations();

// True when anything is at the path, a dangling symbolic link included.
bool isPresent(const juce::File& file);

// The folder and the missing folders above it, made through `operations` outermost first,
// only below the nearest existing ancestor, which must be a plain folder (the system's
// "already exists" error for the file or dangling link in its place otherwise, and its
// "not found" error when not even the root exists). On a
// failure the levels made are removed again and nothing is left. On success, the levels
// made (outermost first), for the caller to remove should its own work fail.
struct MadeFolders
{
    juce::Array<juce::File> levels;
    FileError error;
};
MadeFolders makeFolderWithParents(const juce::File& folder, FileOperations& operations);

// Removes levels made by makeFolderWithParents, innermost first, and only while they are
// empty: whatever someone else put there meanwhile stays, and so does its folder.
void removeMadeFolders(const juce::Array<juce::File>& levels);
} // namespace install
