#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The one rule that decides whether a plug-in archive can be installed, and the reading
// of its entries, on plain bytes in memory. It needs nothing but the standard library and
// zlib, so that the build's archive check (tools/check_archives) runs exactly the
// code that the installer runs, on the build machine of a cross build too.
namespace formats::zip
{
struct Entry
{
    std::string name; // as stored, UTF-8; either separator
    bool isFolder = false;
    bool isDeflated = false; // otherwise stored
    std::uint32_t crc32 = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    const std::uint8_t* data = nullptr; // the entry's compressed bytes, inside the archive
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
};

// What can be wrong with an archive. Structure faults concern the whole archive; the
// others one entry. The build's messages and the fuzz targets tell them apart by kind.
enum class ProblemKind
{
    // the archive's structure
    noData,
    noEndRecord,
    noEntries,
    directoryRecordMissing,  // detail: the record's number, from 1
    directoryRecordOverruns, // detail: the record's number, from 1
    directoryHoldsMore,
    // one entry's record
    extraFieldMalformed,
    encrypted,
    unsupportedMethod, // detail: the method's number
    symbolicLink,
    specialFile, // detail: the Unix file type
    folderMarkedAsFile,
    fileMarkedAsFolder,
    storedSizesDisagree,
    folderWithData,
    localHeaderOutside,
    localHeaderMismatch,
    dataPastEntries,
    dataOverlaps, // detail: the other entry's name
                  // one entry's name
    emptyName,
    nameNotUtf8,
    nulInName,
    driveLetter,
    absolutePath,
    dotDotPart,
    notTheBundleFile,    // detail: the bundle's name
    outsideBundleFolder, // detail: the bundle's name
    emptyOrDotPart,
    partEndsInDotOrSpace,
    nameWindowsRefuses,    // detail: why, as the Windows name rule says it
    fileWhereFolderNeeded, // detail: the entry that needs the folder
    samePathAsAnother,     // detail: the other entry's name
    folderWhereFileIs,     // detail: the entry that is a file
                           // one entry's data
    notWritten,
    outOfMemory,
    deflatedDataBroken,
    inflatesToMore,
    inflatesToLess,
    deflatedDataEndsEarly,
    crcMismatch,
};

// One thing wrong with an archive, as a value. `describe()` words it as the build prints
// it: the reason after the entry's name ("entry 'a\b' is encrypted"), or alone when no
// single entry is at fault.
struct Problem
{
    ProblemKind kind;
    std::optional<std::string> entry; // nothing when the fault is the archive's structure
    std::string detail;               // see ProblemKind; empty for most kinds

    std::string reason() const;
    std::string describe() const;
};

struct Directory
{
    std::vector<Entry> entries; // in archive order
    std::vector<Problem> problems;
};

// Which shape of bundle an archive must hold: a single file named like the bundle, a
// folder of that name, or either.
enum class BundleKind
{
    either,
    file,
    folder
};

// The archive's directory. It accepts what archivers write for one bundle: data
// descriptors, extra fields of any kind (zip64 ones included), a comment, bytes after the
// end record or before the first entry, MS-DOS or Unix attributes. Problems are the
// structure's faults, and entries that cannot be unpacked faithfully: encrypted, methods
// other than stored and deflate, symbolic links and other special Unix files, data
// outside the archive or overlapping another entry's.
Directory readDirectory(const void* archive, std::size_t size);

// The entry's path below the bundle `bundleName` as name parts (none for the bundle
// itself), or the problem that it has none: it lies outside the bundle, or some part is a name that
// Windows cannot hold (a device name, a reserved character, a control character, an
// empty part, ".", "..", a trailing dot or space, more than 255 characters).
struct EntryPath
{
    std::vector<std::string> parts;
    std::optional<Problem> problem;
};
EntryPath getEntryPath(const std::string& name, bool isFolder, const std::string& bundleName,
                       BundleKind kind = BundleKind::either);

// Every entry's path below the bundle, in archive order, after checking that the entries
// form one bundle of the given kind that Windows can hold: no entry outside it, no two
// entries at the same path (letter case aside) and no file where a folder must be.
struct Layout
{
    std::vector<std::vector<std::string>> paths;
    std::vector<Problem> problems;
};
Layout getBundleLayout(const std::vector<Entry>& entries, const std::string& bundleName, BundleKind kind);

// Unpacks an entry's data block by block into `sink`, checking that it inflates to
// exactly its size, uses exactly its compressed bytes and matches its CRC-32. Nothing
// when all is well; otherwise the problem. A sink that returns false stops the unpacking
// with the problem `notWritten`.
using DataSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;
std::optional<Problem> unpackEntryData(const Entry& entry, const DataSink& sink);

// The whole rule without writing anything: structure, layout and every entry's data.
// Empty when the archive installs as a bundle of `bundleName`.
std::vector<Problem> checkBundleArchive(const void* archive, std::size_t size, const std::string& bundleName,
                                        BundleKind kind = BundleKind::either);
} // namespace formats::zip
