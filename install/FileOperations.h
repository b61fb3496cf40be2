#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace install
{
// A failed file call: what it failed on and the system's error (errno, or GetLastError
// on Windows).
struct FileError
{
    int code = 0; // 0: no error
    juce::String text;
    juce::File path;

    explicit operator bool() const { return code != 0; }
};

// The file-system changes the install engine makes, behind one seam, so that tests can
// make any single step fail (a full disk, a module held open by a host) even when they
// run with rights that no permission bit stops.
//
// Every failure is recorded with its error (see recordFailure): the first one since
// clearError is what error() gives, so that clean-up after a failure does not hide it.
class FileOperations
{
public:
    virtual ~FileOperations() = default;

    // Creates the folder and any missing parents; true if it exists as a folder afterwards.
    virtual bool createFolder(const juce::File& folder);

    // Opens a new file for writing; nullptr if it exists already or cannot be created.
    // A failed write through the stream is recorded like any other failure.
    virtual std::unique_ptr<juce::OutputStream> createFile(const juce::File& file);

    // Renames within one folder, never replacing: fails if anything is at the target.
    virtual bool rename(const juce::File& from, const juce::File& to);

    // Removes a file or a folder with everything below it; symbolic links are removed as
    // links, never followed. Goes on past what cannot be removed. A path where nothing is
    // counts as removed.
    virtual bool deleteRecursively(const juce::File& file);

    // Writes a file, or a folder with everything below it, through to the disk, and the
    // folder that holds it, so that its names and contents survive a power loss from now
    // on. Links are not followed.
    virtual bool flushToDisk(const juce::File& file);

    const FileError& error() const { return firstError; }
    void clearError() { firstError = {}; }

    // Keeps the error unless one is kept already; always false, for `return recordFailure(...)`.
    bool recordFailure(const juce::File& path, int code);

private:
    FileError firstError;
};

// The real file system.
FileOperations& defaultFileOperations();

// True when anything is at the path, a dangling symbolic link included.
bool isPresent(const juce::File& file);
} // namespace install
