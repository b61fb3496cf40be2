#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace install
{
// The file-system changes the install engine makes, behind one seam, so that tests can
// make any single step fail (a full disk, a module held open by a host) even when they
// run with rights that no permission bit stops.
class FileOperations
{
public:
    virtual ~FileOperations() = default;

    // Creates the folder and any missing parents; true if it exists as a folder afterwards.
    virtual bool createFolder(const juce::File& folder);

    // Opens a new file for writing; nullptr if it exists already or cannot be created.
    virtual std::unique_ptr<juce::OutputStream> createFile(const juce::File& file);

    // Renames within one folder, never replacing: fails if anything is at the target.
    virtual bool rename(const juce::File& from, const juce::File& to);

    // Removes a file or a folder with everything below it; symbolic links are removed as
    // links, never followed. A path where nothing is counts as removed.
    virtual bool deleteRecursively(const juce::File& file);

    // Writes a file, or a folder with everything below it, through to the disk, and the
    // folder that holds it, so that its names and contents survive a power loss from now
    // on. Links are not followed.
    virtual bool flushToDisk(const juce::File& file);
};

// The real file system.
FileOperations& defaultFileOperations();

// True when anything is at the path, a dangling symbolic link included.
bool isPresent(const juce::File& file);
} // namespace install
