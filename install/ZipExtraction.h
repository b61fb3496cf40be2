#pragma once

#include "install/FileOperations.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

// Unpacking one plug-in bundle from a zip archive held in memory. The archive is read in
// place (nothing is copied) under the rule of formats/ZipArchive.h, the same rule the
// build checks every embedded archive with; every file is checked against its CRC-32 and
// size as it is written.
namespace install
{
struct ZipEntry
{
    juce::String name; // as stored; the archives use the backslash as separator
    bool isFolder = false;
    bool isDeflated = false; // otherwise stored
    juce::uint32 crc32 = 0;
    juce::uint64 compressedSize = 0;
    juce::uint64 uncompressedSize = 0;
    const juce::uint8* data = nullptr; // the entry's compressed bytes, inside the archive
    juce::Time modificationTime;       // null when the archive's date is not valid
};

// The entries of the archive's directory, in archive order, or nothing when the archive is
// damaged or holds an entry that cannot be unpacked faithfully (encryption, compression
// other than deflate, symbolic links and other special files).
std::optional<std::vector<ZipEntry>> readZipDirectory(const void* archive, size_t size);

// The path below `destination` where an entry of the bundle `bundleName` belongs: the
// entry named exactly `bundleName` is `destination` itself, "bundleName\a\b" is
// destination/a/b (either separator). Nothing for every other name: another top-level
// name, an absolute path, a drive letter, an empty, "." or ".." part, a name Windows
// refuses or takes for a device.
std::optional<juce::File> getEntryTarget(const juce::String& entryName, const juce::String& bundleName,
                                         const juce::File& destination);

// How an extraction ended: done, the archive at fault (it breaks the rule, holds no
// bundle, or an entry's data is damaged), or a file call that failed.
struct ExtractionResult
{
    bool archiveDamaged = false;
    FileError error;

    bool succeeded() const { return !archiveDamaged && !error; }
};

// Writes the bundle `bundleName` of the archive to `destination`, which must not exist
// yet; its parent folder is created if it is missing. The rule is checked before anything
// is written; the extraction stops at the first entry whose data is damaged or cannot be
// written. What was written stays; the caller removes it.
ExtractionResult extractBundle(const void* archive, size_t size, const juce::String& bundleName,
                               const juce::File& destination, FileOperations& operations);
} // namespace install
