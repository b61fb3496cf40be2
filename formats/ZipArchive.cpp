#include "formats/ZipArchive.h"

#include "formats/WindowsPathText.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace formats::zip
{
namespace
{
constexpr std::uint32_t localHeaderSignature = 0x04034b50;
constexpr std::uint32_t centralHeaderSignature = 0x02014b50;
constexpr std::uint32_t endOfDirectorySignature = 0x06054b50;
constexpr std::uint32_t zip64EndSignature = 0x06064b50;
constexpr std::uint32_t zip64LocatorSignature = 0x07064b50;
constexpr std::size_t localHeaderSize = 30;
constexpr std::size_t centralHeaderSize = 46;
constexpr std::size_t endOfDirectorySize = 22;
constexpr std::size_t zip64LocatorSize = 20;
constexpr std::size_t zip64EndSize = 56;
constexpr std::size_t maxCommentSize = 0xffff;
constexpr std::uint16_t zip64ExtraId = 0x0001;
constexpr std::uint32_t saturated32 = 0xffffffff;
constexpr std::uint16_t saturated16 = 0xffff;

constexpr int methodStored = 0;
constexpr int methodDeflated = 8;
// Traditional encryption, strong encryption, an encrypted directory.
constexpr int encryptionFlags = 0x0001 | 0x0040 | 0x2000;
constexpr int hostUnix = 3;
constexpr int hostMacOs = 19; // Unix file modes too
constexpr std::uint32_t unixFileTypeMask = 0170000;
constexpr std::uint32_t unixRegularFile = 0100000;
constexpr std::uint32_t unixFolder = 0040000;
constexpr std::uint32_t unixSymbolicLink = 0120000;

// Output block of the inflater: large enough that writes and CRC updates cost little,
// small enough to keep an install's added memory far below one archive.
constexpr std::size_t outputBlockSize = 256 * 1024;

std::uint16_t read16(const std::uint8_t* p)
{
    return (std::uint16_t)(p[0] | (p[1] << 8));
}

std::uint32_t read32(const std::uint8_t* p)
{
    return (std::uint32_t)p[0] | ((std::uint32_t)p[1] << 8) | ((std::uint32_t)p[2] << 16) |
           ((std::uint32_t)p[3] << 24);
}

std::uint64_t read64(const std::uint8_t* p)
{
    return (std::uint64_t)read32(p) | ((std::uint64_t)read32(p + 4) << 32);
}

// Where the directory is and how many records it holds.
struct EndRecord
{
    std::uint64_t entryCount = 0;
    std::uint64_t directorySize = 0;
    std::uint64_t directoryOffset = 0; // as recorded, before any bytes in front of the archive
    std::uint64_t directoryEnd = 0;    // where the records must end in the buffer
};

// The end record at `pos`, with the zip64 end record that may stand before it, when the
// two agree with each other and with a directory that fits in front of them.
std::optional<EndRecord> readEndRecord(const std::uint8_t* bytes, std::size_t size, std::size_t pos)
{
    const auto* end = bytes + pos;
    if (read32(end) != endOfDirectorySignature || pos + endOfDirectorySize + read16(end + 20) > size)
        return std::nullopt;
    // One disk only.
    if (read16(end + 4) != 0 || read16(end + 6) != 0 || read16(end + 8) != read16(end + 10))
        return std::nullopt;

    EndRecord record{read16(end + 10), read32(end + 12), read32(end + 16), pos};
    if (pos >= zip64LocatorSize && read32(end - zip64LocatorSize) == zip64LocatorSignature)
    {
        const auto* locator = end - zip64LocatorSize;
        const std::uint64_t recordEnd = pos - zip64LocatorSize;
        if (read32(locator + 4) != 0 || read32(locator + 16) > 1 || recordEnd < zip64EndSize)
            return std::nullopt;
        // The zip64 end record lies right before its locator; its own offset field may be
        // off by bytes in front of the archive, so its place is found from the end.
        const std::uint64_t recordPos = recordEnd - zip64EndSize;
        const auto* zip64 = bytes + recordPos;
        if (read32(zip64) != zip64EndSignature || read64(zip64 + 4) != zip64EndSize - 12 ||
            read32(zip64 + 16) != 0 || read32(zip64 + 20) != 0 || read64(zip64 + 24) != read64(zip64 + 32))
            return std::nullopt;
        const EndRecord wide{read64(zip64 + 32), read64(zip64 + 40), read64(zip64 + 48), recordPos};
        // The short record repeats each value unless it is too large for its field.
        if ((record.entryCount != saturated16 && record.entryCount != wide.entryCount) ||
            (record.directorySize != saturated32 && record.directorySize != wide.directorySize) ||
            (record.directoryOffset != saturated32 && record.directoryOffset != wide.directoryOffset))
            return std::nullopt;
        record = wide;
    }
    if (record.directorySize > record.directoryEnd ||
        record.directoryOffset > record.directoryEnd - record.directorySize)
        return std::nullopt;
    return record;
}

// The last end record in the final 64 KiB (the most a comment can push it back), as
// unzip looks for it: bytes after it, such as the zero padding of block-oriented
// writers, are left alone.
std::optional<EndRecord> findEndRecord(const std::uint8_t* bytes, std::size_t size)
{
    if (size < endOfDirectorySize)
        return std::nullopt;
    const std::size_t last = size - endOfDirectorySize;
    const std::size_t lowest = last - std::min(last, maxCommentSize);
    for (std::size_t pos = last + 1; pos-- > lowest;)
        if (read32(bytes + pos) == endOfDirectorySignature)
            if (auto record = readEndRecord(bytes, size, pos))
                return record;
    return std::nullopt;
}

// The zip64 extra field of a directory record holds, in this order, those of the
// uncompressed size, compressed size and local header offset whose 32-bit fields are
// saturated. False when the extra fields are malformed or the needed value is missing.
bool readZip64Values(const std::uint8_t* extra, std::size_t length, std::uint64_t& uncompressed,
                     std::uint64_t& compressed, std::uint64_t& offset)
{
    std::uint64_t* const wanted[] = {&uncompressed, &compressed, &offset};
    bool needed = false;
    for (auto* value : wanted)
        needed = needed || *value == saturated32;

    bool found = false;
    for (std::size_t pos = 0; pos < length;)
    {
        if (length - pos < 4)
            return false;
        const std::uint16_t id = read16(extra + pos);
        const std::size_t blockSize = read16(extra + pos + 2);
        if (length - pos - 4 < blockSize)
            return false;
        if (id == zip64ExtraId && !found && needed)
        {
            found = true;
            std::size_t field = 0;
            for (auto* value : wanted)
                if (*value == saturated32)
                {
                    if (blockSize - field < 8)
                        return false;
                    *value = read64(extra + pos + 4 + field);
                    field += 8;
                }
        }
        pos += 4 + blockSize;
    }
    return found || !needed;
}

// The length of the UTF-8 sequence at `i`, or 0 when it is not one: strict, so no
// overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t utf8SequenceLength(const std::string& text, std::size_t i)
{
    const auto c = (unsigned char)text[i];
    const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || text.size() - i < length)
        return 0;
    std::uint32_t code = length == 1 ? c : c & (0x7f >> length);
    for (std::size_t k = 1; k < length; ++k)
    {
        const auto next = (unsigned char)text[i + k];
        if ((next >> 6) != 2)
            return 0;
        code = (code << 6) | (next & 0x3f);
    }
    static const std::uint32_t lowest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < lowest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return 0;
    return length;
}

bool isValidUtf8(const std::string& text)
{
    for (std::size_t i = 0, length = 0; i < text.size(); i += length)
        if ((length = utf8SequenceLength(text, i)) == 0)
            return false;
    return true;
}

// The name as it can be printed: control characters and bytes that are not UTF-8 as \xNN.
std::string printableName(const std::string& name)
{
    std::string printable;
    for (std::size_t i = 0; i < name.size();)
    {
        const auto length = utf8SequenceLength(name, i);
        const auto c = (unsigned char)name[i];
        if (length == 0 || c < 0x20 || c == 0x7f)
        {
            static const char digits[] = "0123456789abcdef";
            printable += {'\\', 'x', digits[c >> 4], digits[c & 15]};
            ++i;
            continue;
        }
        printable.append(name, i, length);
        i += length;
    }
    return printable;
}

std::string foldCase(std::string text)
{
    for (auto& c : text)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return text;
}

// Why Windows could not hold this name part as it is, or nothing.
std::optional<Problem> namePartProblem(const std::string& name, const std::string& part)
{
    if (part.empty() || part == ".")
        return Problem{ProblemKind::emptyOrDotPart, name, {}};
    if (part == "..")
        return Problem{ProblemKind::dotDotPart, name, {}};
    if (part.back() == '.' || part.back() == ' ')
        return Problem{ProblemKind::partEndsInDotOrSpace, name, {}};
    if (auto refused = formats::windowsNameProblem(part))
        return Problem{ProblemKind::nameWindowsRefuses, name, formats::describeNameProblem(*refused)};
    return std::nullopt;
}

} // namespace

std::string Problem::reason() const
{
    switch (kind)
    {
    case ProblemKind::noData:
        return "is not a readable zip archive (no data)";
    case ProblemKind::noEndRecord:
        return "is not a readable zip archive (no end-of-directory record)";
    case ProblemKind::noEntries:
        return "has no entries";
    case ProblemKind::directoryRecordMissing:
        return "is not a readable zip archive (directory record " + detail + " is missing or damaged)";
    case ProblemKind::directoryRecordOverruns:
        return "is not a readable zip archive (directory record " + detail + " runs past the directory)";
    case ProblemKind::directoryHoldsMore:
        return "is not a readable zip archive (the directory holds more than its records)";
    case ProblemKind::extraFieldMalformed:
        return "is damaged (its extra field is malformed)";
    case ProblemKind::encrypted:
        return "is encrypted";
    case ProblemKind::unsupportedMethod:
        return "uses compression method " + detail + "; only stored and deflated entries can be unpacked";
    case ProblemKind::symbolicLink:
        return "is a symbolic link";
    case ProblemKind::specialFile:
        return "is a special file (Unix file type " + detail + ")";
    case ProblemKind::folderMarkedAsFile:
        return "is named like a folder but marked as a file";
    case ProblemKind::fileMarkedAsFolder:
        return "is marked as a folder but named like a file";
    case ProblemKind::storedSizesDisagree:
        return "is damaged (its stored size and its size disagree)";
    case ProblemKind::folderWithData:
        return "is a folder with data";
    case ProblemKind::localHeaderOutside:
        return "is damaged (its local header lies outside the archive)";
    case ProblemKind::localHeaderMismatch:
        return "is damaged (its local header does not match the directory)";
    case ProblemKind::dataPastEntries:
        return "is damaged (its data runs past the end of the entries)";
    case ProblemKind::dataOverlaps:
        return "is damaged (its data overlaps that of entry '" + detail + "')";
    case ProblemKind::emptyName:
        return "has an empty name";
    case ProblemKind::nameNotUtf8:
        return "has a name that is not valid UTF-8";
    case ProblemKind::nulInName:
        return "has a NUL character in its name";
    case ProblemKind::driveLetter:
        return "uses a drive letter";
    case ProblemKind::absolutePath:
        return "is an absolute path";
    case ProblemKind::dotDotPart:
        return "has a '..' component and would be written outside the bundle";
    case ProblemKind::notTheBundleFile:
        return "is not the bundle file '" + detail + "', the only entry this archive may hold";
    case ProblemKind::outsideBundleFolder:
        return "does not lie under the bundle folder '" + detail + "\\'";
    case ProblemKind::emptyOrDotPart:
        return "has an empty or '.' name part, which Windows drops";
    case ProblemKind::partEndsInDotOrSpace:
        return "has a name part ending in a dot or space, which Windows drops";
    case ProblemKind::nameWindowsRefuses:
        return detail;
    case ProblemKind::fileWhereFolderNeeded:
        return "is a file where entry '" + detail + "' needs a folder";
    case ProblemKind::samePathAsAnother:
        return "lies at the same path as entry '" + detail + "'";
    case ProblemKind::folderWhereFileIs:
        return "needs a folder where entry '" + detail + "' is a file";
    case ProblemKind::notWritten:
        return "could not be written";
    case ProblemKind::outOfMemory:
        return "could not be unpacked (out of memory)";
    case ProblemKind::deflatedDataBroken:
        return "is damaged (its deflated data is broken or cut short)";
    case ProblemKind::inflatesToMore:
        return "is damaged (it inflates to more than its size)";
    case ProblemKind::inflatesToLess:
        return "is damaged (it inflates to less than its size)";
    case ProblemKind::deflatedDataEndsEarly:
        return "is damaged (its deflated data ends before its compressed size)";
    case ProblemKind::crcMismatch:
        return "is damaged: its data fails the CRC-32 check";
    }
    return "is damaged";
}

std::string Problem::describe() const
{
    return entry ? "entry '" + printableName(*entry) + "' " + reason() : reason();
}

Directory readDirectory(const void* archive, std::size_t size)
{
    Directory directory;
    const auto fail = [&directory](ProblemKind kind, std::string detail = {})
    {
        directory.entries.clear();
        directory.problems = {{kind, std::nullopt, std::move(detail)}};
        return directory;
    };
    const auto* bytes = static_cast<const std::uint8_t*>(archive);
    if (bytes == nullptr)
        return fail(ProblemKind::noData);

    const auto end = findEndRecord(bytes, size);
    if (!end)
        return fail(ProblemKind::noEndRecord);
    if (end->entryCount == 0)
        return fail(ProblemKind::noEntries);
    // Bytes in front of the archive (a stub, say) shift every recorded offset alike.
    const std::uint64_t directoryStart = end->directoryEnd - end->directorySize;
    const std::uint64_t base = directoryStart - end->directoryOffset;

    struct Span
    {
        std::uint64_t start, end;
        std::size_t entry;
    };
    std::vector<Span> spans;
    std::uint64_t pos = directoryStart;
    for (std::uint64_t i = 0; i < end->entryCount; ++i)
    {
        if (end->directoryEnd - pos < centralHeaderSize || read32(bytes + pos) != centralHeaderSignature)
            return fail(ProblemKind::directoryRecordMissing, std::to_string(i + 1));
        const auto* header = bytes + pos;
        const std::size_t nameLength = read16(header + 28);
        const std::size_t extraLength = read16(header + 30);
        const std::size_t recordSize = centralHeaderSize + nameLength + extraLength + read16(header + 32);
        if (end->directoryEnd - pos < recordSize)
            return fail(ProblemKind::directoryRecordOverruns, std::to_string(i + 1));
        pos += recordSize;

        Entry entry;
        entry.name.assign(reinterpret_cast<const char*>(header + centralHeaderSize), nameLength);
        const auto problem = [&](ProblemKind kind, std::string detail = {})
        {
            directory.problems.push_back({kind, entry.name, std::move(detail)});
        };

        const int versionMadeBy = read16(header + 4);
        const int flags = read16(header + 8);
        const int method = read16(header + 10);
        const std::uint32_t unixMode = read32(header + 38) >> 16;
        entry.isFolder = nameLength > 0 && formats::isPathSeparator(entry.name.back());
        entry.isDeflated = method == methodDeflated;
        entry.dosTime = read16(header + 12);
        entry.dosDate = read16(header + 14);
        entry.crc32 = read32(header + 16);
        std::uint64_t compressed = read32(header + 20), uncompressed = read32(header + 24),
                      localOffset = read32(header + 42);
        if (!readZip64Values(header + centralHeaderSize + nameLength, extraLength, uncompressed, compressed,
                             localOffset))
        {
            problem(ProblemKind::extraFieldMalformed);
            continue;
        }
        entry.compressedSize = compressed;
        entry.uncompressedSize = uncompressed;

        if ((flags & encryptionFlags) != 0)
        {
            problem(ProblemKind::encrypted);
            continue;
        }
        if (method != methodStored && method != methodDeflated)
        {
            problem(ProblemKind::unsupportedMethod, std::to_string(method));
            continue;
        }
        if ((versionMadeBy >> 8) == hostUnix || (versionMadeBy >> 8) == hostMacOs)
        {
            const auto type = unixMode & unixFileTypeMask;
            if (type == unixSymbolicLink)
            {
                problem(ProblemKind::symbolicLink);
                continue;
            }
            if (type != 0 && type != unixRegularFile && type != unixFolder)
            {
                problem(ProblemKind::specialFile, std::to_string(type >> 12));
                continue;
            }
            if (type != 0 && (type == unixFolder) != entry.isFolder)
            {
                problem(entry.isFolder ? ProblemKind::folderMarkedAsFile : ProblemKind::fileMarkedAsFolder);
                continue;
            }
        }
        if (!entry.isDeflated && compressed != uncompressed)
        {
            problem(ProblemKind::storedSizesDisagree);
            continue;
        }
        if (entry.isFolder && uncompressed != 0)
        {
            problem(ProblemKind::folderWithData);
            continue;
        }

        // The local header must be in the archive, repeat the name, and be followed by the
        // data, all before the directory.
        if (localOffset > directoryStart - base || directoryStart - base - localOffset < localHeaderSize)
        {
            problem(ProblemKind::localHeaderOutside);
            continue;
        }
        const std::uint64_t localPos = base + localOffset;
        const auto* local = bytes + localPos;
        const std::uint64_t dataOffset = localPos + localHeaderSize + read16(local + 26) + read16(local + 28);
        if (read32(local) != localHeaderSignature || read16(local + 26) != nameLength ||
            dataOffset > directoryStart ||
            std::memcmp(local + localHeaderSize, entry.name.data(), nameLength) != 0)
        {
            problem(ProblemKind::localHeaderMismatch);
            continue;
        }
        if (directoryStart - dataOffset < compressed)
        {
            problem(ProblemKind::dataPastEntries);
            continue;
        }
        entry.data = bytes + dataOffset;
        spans.push_back({localPos, dataOffset + compressed, directory.entries.size()});
        directory.entries.push_back(std::move(entry));
    }
    if (pos != end->directoryEnd)
        return fail(ProblemKind::directoryHoldsMore);

    // No two entries may share bytes: one set of data unpacked twice is a sign of damage
    // or of a crafted archive.
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    for (std::size_t i = 1; i < spans.size(); ++i)
        if (spans[i].start < spans[i - 1].end)
            directory.problems.push_back({ProblemKind::dataOverlaps, directory.entries[spans[i].entry].name,
                                          directory.entries[spans[i - 1].entry].name});
    return directory;
}

EntryPath getEntryPath(const std::string& name, bool isFolder, const std::string& bundleName, BundleKind kind)
{
    const auto refuse = [&name](ProblemKind kind, std::string detail = {})
    {
        return EntryPath{{}, Problem{kind, name, std::move(detail)}};
    };
    if (name.empty())
        return refuse(ProblemKind::emptyName);
    if (!isValidUtf8(name))
        return refuse(ProblemKind::nameNotUtf8);
    if (name.find('\0') != std::string::npos)
        return refuse(ProblemKind::nulInName);
    if (formats::startsWithDriveLetter(name))
        return refuse(ProblemKind::driveLetter);
    if (formats::isPathSeparator(name[0]))
        return refuse(ProblemKind::absolutePath);

    std::vector<std::string> parts;
    const std::size_t length = formats::isPathSeparator(name.back()) ? name.size() - 1 : name.size();
    for (std::size_t start = 0;;)
    {
        std::size_t stop = start;
        while (stop < length && !formats::isPathSeparator(name[stop]))
            ++stop;
        parts.push_back(name.substr(start, stop - start));
        if (stop >= length)
            break;
        start = stop + 1;
    }
    if (std::find(parts.begin(), parts.end(), "..") != parts.end())
        return refuse(ProblemKind::dotDotPart);

    const bool isBundleItself = parts.size() == 1 && parts[0] == bundleName;
    if (kind == BundleKind::file && !(isBundleItself && !isFolder))
        return refuse(ProblemKind::notTheBundleFile, bundleName);
    if (parts[0] != bundleName || (kind == BundleKind::folder && isBundleItself && !isFolder))
        return refuse(ProblemKind::outsideBundleFolder, bundleName);

    parts.erase(parts.begin());
    for (const auto& part : parts)
        if (auto problem = namePartProblem(name, part))
            return {{}, std::move(problem)};
    return {parts, std::nullopt};
}

Layout getBundleLayout(const std::vector<Entry>& entries, const std::string& bundleName, BundleKind kind)
{
    Layout layout;
    // Every path, folded as Windows compares names, and whether it is a folder.
    std::map<std::string, bool> kinds;
    std::map<std::string, std::string> owners; // the entry that put the path there
    for (const auto& entry : entries)
    {
        auto path = getEntryPath(entry.name, entry.isFolder, bundleName, kind);
        if (path.problem)
        {
            layout.problems.push_back(std::move(*path.problem));
            layout.paths.emplace_back();
            continue;
        }

        std::optional<Problem> conflict;
        std::string key = "/";
        for (std::size_t i = 0; i <= path.parts.size() && !conflict; ++i)
        {
            const bool last = i == path.parts.size();
            const bool isFolder = !last || entry.isFolder;
            const auto found = kinds.find(key);
            if (found != kinds.end())
            {
                if (last && found->second && !isFolder)
                    conflict = Problem{ProblemKind::fileWhereFolderNeeded, entry.name, owners[key]};
                else if (last && !found->second)
                    conflict = Problem{ProblemKind::samePathAsAnother, entry.name, owners[key]};
                else if (!found->second)
                    conflict = Problem{ProblemKind::folderWhereFileIs, entry.name, owners[key]};
            }
            else
            {
                kinds[key] = isFolder;
                owners[key] = entry.name;
            }
            if (!last)
                key += foldCase(path.parts[i]) + "/";
        }
        if (conflict)
            layout.problems.push_back(std::move(*conflict));
        layout.paths.push_back(std::move(path.parts));
    }
    return layout;
}

std::optional<Problem> unpackEntryData(const Entry& entry, const DataSink& sink)
{
    const auto problem = [&entry](ProblemKind kind)
    {
        return Problem{kind, entry.name, {}};
    };
    uLong crc = crc32(0, nullptr, 0);
    std::uint64_t produced = 0;
    const auto emit = [&](const std::uint8_t* data, std::size_t count)
    {
        crc = crc32(crc, data, (uInt)count);
        produced += count;
        return count == 0 || sink(data, count);
    };

    if (!entry.isDeflated)
    {
        for (std::uint64_t offset = 0; offset < entry.uncompressedSize; offset += outputBlockSize)
            if (!emit(entry.data + offset,
                      (std::size_t)std::min<std::uint64_t>(outputBlockSize, entry.uncompressedSize - offset)))
                return problem(ProblemKind::notWritten);
        if (crc != entry.crc32)
            return problem(ProblemKind::crcMismatch);
        return std::nullopt;
    }

    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return problem(ProblemKind::outOfMemory);
    // One byte more than the entry's size is enough to tell that it inflates to more.
    std::vector<std::uint8_t> block(
        entry.uncompressedSize < outputBlockSize ? (std::size_t)entry.uncompressedSize + 1 : outputBlockSize);
    const std::uint8_t* input = entry.data;
    std::uint64_t inputLeft = entry.compressedSize;

    std::optional<ProblemKind> failure;
    int status = Z_OK;
    while (!failure && status != Z_STREAM_END)
    {
        if (stream.avail_in == 0 && inputLeft > 0)
        {
            const auto chunk = (uInt)std::min<std::uint64_t>(inputLeft, 1u << 30);
            stream.next_in = const_cast<Bytef*>(input);
            stream.avail_in = chunk;
            input += chunk;
            inputLeft -= chunk;
        }
        stream.next_out = block.data();
        stream.avail_out = (uInt)block.size();
        status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t count = block.size() - stream.avail_out;
        // Z_BUF_ERROR here means the input ran out before the end of the deflate stream.
        if (status != Z_OK && status != Z_STREAM_END)
            failure = ProblemKind::deflatedDataBroken;
        else if (produced + count > entry.uncompressedSize)
            failure = ProblemKind::inflatesToMore;
        else if (!emit(block.data(), count))
            failure = ProblemKind::notWritten;
    }
    const bool consumedAll = stream.avail_in == 0 && inputLeft == 0;
    inflateEnd(&stream);
    if (failure)
        return problem(*failure);
    if (produced != entry.uncompressedSize)
        return problem(ProblemKind::inflatesToLess);
    if (!consumedAll)
        return problem(ProblemKind::deflatedDataEndsEarly);
    if (crc != entry.crc32)
        return problem(ProblemKind::crcMismatch);
    return std::nullopt;
}

std::vector<Problem> checkBundleArchive(const void* archive, std::size_t size, const std::string& bundleName,
                                        BundleKind kind)
{
    auto directory = readDirectory(archive, size);
    auto problems = directory.problems;
    if (directory.entries.empty())
        return problems;
    auto layout = getBundleLayout(directory.entries, bundleName, kind);
    problems.insert(problems.end(), layout.problems.begin(), layout.problems.end());
    const auto discard = [](const std::uint8_t*, std::size_t)
    {
        return true;
    };
    for (const auto& entry : directory.entries)
        if (auto problem = unpackEntryData(entry, discard))
            problems.push_back(std::move(*problem));
    return problems;
}
} // namespace formats::zip
