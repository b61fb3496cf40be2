#include "install/ZipExtraction.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace install
{
namespace
{
constexpr juce::uint32 localHeaderSignature = 0x04034b50;
constexpr juce::uint32 centralHeaderSignature = 0x02014b50;
constexpr juce::uint32 endOfDirectorySignature = 0x06054b50;
constexpr size_t localHeaderSize = 30;
constexpr size_t centralHeaderSize = 46;
constexpr size_t endOfDirectorySize = 22;
constexpr size_t maxCommentSize = 0xffff;

constexpr int methodStored = 0;
constexpr int methodDeflated = 8;
constexpr int flagEncrypted = 1;
constexpr int hostUnix = 3;
constexpr juce::uint32 unixFileTypeMask = 0170000;
constexpr juce::uint32 unixSymbolicLink = 0120000;

// Output block of the inflater: large enough that writes and CRC updates cost little,
// small enough to keep the run's added memory far below one archive.
constexpr size_t outputBlockSize = 256 * 1024;

juce::uint16 read16(const juce::uint8* p)
{
    return (juce::uint16)(p[0] | (p[1] << 8));
}

juce::uint32 read32(const juce::uint8* p)
{
    return (juce::uint32)p[0] | ((juce::uint32)p[1] << 8) | ((juce::uint32)p[2] << 16) |
           ((juce::uint32)p[3] << 24);
}

// MS-DOS date and time as the zip directory stores them, in local time.
juce::Time parseDosTime(juce::uint16 time, juce::uint16 date)
{
    const int month = (date >> 5) & 15;
    const int day = date & 31;
    const int hours = time >> 11;
    const int minutes = (time >> 5) & 63;
    const int seconds = (time & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || hours > 23 || minutes > 59 || seconds > 59)
        return {};
    return juce::Time(1980 + (date >> 9), month - 1, day, hours, minutes, seconds, 0, true);
}

// The end-of-directory record: the last signature whose comment reaches exactly to the end.
std::optional<size_t> findEndOfDirectory(const juce::uint8* bytes, size_t size)
{
    if (size < endOfDirectorySize)
        return std::nullopt;
    const size_t lowest = size - endOfDirectorySize - std::min(size - endOfDirectorySize, maxCommentSize);
    for (size_t pos = size - endOfDirectorySize + 1; pos-- > lowest;)
        if (read32(bytes + pos) == endOfDirectorySignature &&
            pos + endOfDirectorySize + read16(bytes + pos + 20) == size)
            return pos;
    return std::nullopt;
}

bool isSeparator(juce::juce_wchar c)
{
    return c == '/' || c == '\\';
}

// A name part that every file system takes as an ordinary name below its folder: not
// empty, not "." or ".." (nor what Windows trims to them), no drive or stream colon, no
// character Windows refuses, and not a Windows device name such as "CON" or "aux.txt".
bool isPlainNamePart(const juce::String& part)
{
    if (part.trimCharactersAtEnd(". ").isEmpty() || part.containsAnyOf("<>:\"|?*"))
        return false;
    for (auto c : part)
        if (c < 0x20)
            return false;

    static const juce::StringArray devices = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                              "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                              "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    const auto stem = part.upToFirstOccurrenceOf(".", false, false).trimEnd();
    return !devices.contains(stem, true);
}

bool writeEntryData(const ZipEntry& entry, juce::OutputStream& out, std::vector<juce::uint8>& block)
{
    uLong crc = crc32(0, nullptr, 0);
    juce::uint64 written = 0;
    const auto emit = [&](const juce::uint8* data, size_t count)
    {
        crc = crc32(crc, data, (uInt)count);
        written += count;
        return out.write(data, count);
    };

    if (!entry.isDeflated)
    {
        for (juce::uint64 offset = 0; offset < entry.uncompressedSize; offset += outputBlockSize)
            if (!emit(entry.data + offset,
                      (size_t)std::min<juce::uint64>(outputBlockSize, entry.uncompressedSize - offset)))
                return false;
        return crc == entry.crc32;
    }

    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(entry.data);
    stream.avail_in = (uInt)entry.compressedSize;

    bool ok = true;
    int status = Z_OK;
    while (ok && status != Z_STREAM_END)
    {
        stream.next_out = block.data();
        stream.avail_out = (uInt)block.size();
        status = inflate(&stream, Z_NO_FLUSH);
        // Z_BUF_ERROR here means the input ran out before the end of the deflate stream.
        if (status != Z_OK && status != Z_STREAM_END)
            ok = false;
        const size_t produced = block.size() - stream.avail_out;
        if (ok && (written + produced > entry.uncompressedSize || !emit(block.data(), produced)))
            ok = false;
    }
    const bool consumedAll = stream.avail_in == 0;
    inflateEnd(&stream);
    return ok && consumedAll && written == entry.uncompressedSize && crc == entry.crc32;
}

bool writeFileEntry(const ZipEntry& entry, const juce::File& target, FileOperations& operations,
                    std::vector<juce::uint8>& block)
{
    if (!operations.createFolder(target.getParentDirectory()))
        return false;
    {
        auto out = operations.createFile(target);
        if (out == nullptr || !writeEntryData(entry, *out, block))
            return false;
    }
    if (entry.modificationTime.toMilliseconds() != 0)
        target.setLastModificationTime(entry.modificationTime);
    return true;
}
} // namespace

std::optional<std::vector<ZipEntry>> readZipDirectory(const void* archive, size_t size)
{
    const auto* bytes = static_cast<const juce::uint8*>(archive);
    if (bytes == nullptr)
        return std::nullopt;

    const auto endPos = findEndOfDirectory(bytes, size);
    if (!endPos)
        return std::nullopt;
    const auto* end = bytes + *endPos;
    const size_t numEntries = read16(end + 10);
    const size_t directorySize = read32(end + 12);
    const size_t directoryOffset = read32(end + 16);
    // One disk only; 0xffff and 0xffffffff mark zip64 records, which these archives never need.
    if (read16(end + 4) != 0 || read16(end + 6) != 0 || read16(end + 8) != numEntries ||
        numEntries == 0xffff || directorySize == 0xffffffff || directoryOffset == 0xffffffff)
        return std::nullopt;
    if (directoryOffset > *endPos || directorySize != *endPos - directoryOffset)
        return std::nullopt;

    std::vector<ZipEntry> entries;
    entries.reserve(numEntries);
    size_t pos = directoryOffset;
    for (size_t i = 0; i < numEntries; ++i)
    {
        if (*endPos - pos < centralHeaderSize)
            return std::nullopt;
        const auto* header = bytes + pos;
        const int versionMadeBy = read16(header + 4);
        const int flags = read16(header + 8);
        const int method = read16(header + 10);
        const size_t nameLength = read16(header + 28);
        const size_t recordSize = centralHeaderSize + nameLength + read16(header + 30) + read16(header + 32);
        const juce::uint32 externalAttributes = read32(header + 38);
        const size_t localOffset = read32(header + 42);
        if (read32(header) != centralHeaderSignature || *endPos - pos < recordSize)
            return std::nullopt;
        if ((flags & flagEncrypted) != 0 || (method != methodStored && method != methodDeflated))
            return std::nullopt;
        if ((versionMadeBy >> 8) == hostUnix &&
            ((externalAttributes >> 16) & unixFileTypeMask) == unixSymbolicLink)
            return std::nullopt;

        const auto* name = reinterpret_cast<const char*>(header + centralHeaderSize);
        if (nameLength == 0 || std::memchr(name, 0, nameLength) != nullptr ||
            !juce::CharPointer_UTF8::isValidString(name, (int)nameLength))
            return std::nullopt;

        ZipEntry entry;
        entry.name = juce::String::fromUTF8(name, (int)nameLength);
        entry.isFolder = isSeparator(entry.name.getLastCharacter());
        entry.isDeflated = method == methodDeflated;
        entry.crc32 = read32(header + 16);
        entry.compressedSize = read32(header + 20);
        entry.uncompressedSize = read32(header + 24);
        entry.modificationTime = parseDosTime(read16(header + 12), read16(header + 14));
        if (entry.compressedSize == 0xffffffff || entry.uncompressedSize == 0xffffffff ||
            localOffset == 0xffffffff)
            return std::nullopt;
        if (!entry.isDeflated && entry.compressedSize != entry.uncompressedSize)
            return std::nullopt;
        if (entry.isFolder && entry.uncompressedSize != 0)
            return std::nullopt;

        // The local header must repeat the name, and the data must end before the directory.
        if (localOffset > directoryOffset || directoryOffset - localOffset < localHeaderSize)
            return std::nullopt;
        const auto* local = bytes + localOffset;
        const size_t dataOffset = localOffset + localHeaderSize + read16(local + 26) + read16(local + 28);
        if (read32(local) != localHeaderSignature || read16(local + 26) != nameLength ||
            dataOffset > directoryOffset || directoryOffset - dataOffset < entry.compressedSize ||
            std::memcmp(local + localHeaderSize, name, nameLength) != 0)
            return std::nullopt;
        entry.data = bytes + dataOffset;

        entries.push_back(std::move(entry));
        pos += recordSize;
    }
    if (pos != *endPos)
        return std::nullopt;
    return entries;
}

std::optional<juce::File> getEntryTarget(const juce::String& entryName, const juce::String& bundleName,
                                         const juce::File& destination)
{
    auto path = entryName.replaceCharacter('\\', '/');
    if (path.endsWithChar('/'))
        path = path.dropLastCharacters(1);

    const auto parts = juce::StringArray::fromTokens(path, "/", {});
    if (parts.isEmpty() || parts[0] != bundleName)
        return std::nullopt;

    auto target = destination;
    for (int i = 1; i < parts.size(); ++i)
    {
        if (!isPlainNamePart(parts[i]))
            return std::nullopt;
        target = target.getChildFile(parts[i]);
    }
    return target;
}

bool extractBundle(const void* archive, size_t size, const juce::String& bundleName,
                   const juce::File& destination, FileOperations& operations)
{
    const auto entries = readZipDirectory(archive, size);
    if (!entries || entries->empty() || isPresent(destination))
        return false;

    // Every name is checked before anything is written.
    std::vector<juce::File> targets;
    targets.reserve(entries->size());
    for (const auto& entry : *entries)
    {
        auto target = getEntryTarget(entry.name, bundleName, destination);
        if (!target)
            return false;
        targets.push_back(*target);
    }

    if (!operations.createFolder(destination.getParentDirectory()))
        return false;

    std::vector<juce::uint8> block(outputBlockSize);
    for (size_t i = 0; i < entries->size(); ++i)
    {
        const auto& entry = (*entries)[i];
        const bool written = entry.isFolder ? operations.createFolder(targets[i])
                                            : writeFileEntry(entry, targets[i], operations, block);
        if (!written)
            return false;
    }
    return isPresent(destination);
}
} // namespace install
