#include "formats/PeVersionReader.h"

#include <cstring>
#include <vector>

namespace formats
{
bool PeByteSource::read(std::uint64_t offset, void* destination, std::size_t count)
{
    if (offset > totalSize || count > totalSize - offset)
        return false;
    if (count > readBudget - totalRead)
        return false;
    if (!readAt(offset, destination, count))
        return false;
    totalRead += count;
    return true;
}

PeMemorySource::PeMemorySource(const void* data, std::size_t size)
    : PeByteSource(size), bytes(static_cast<const unsigned char*>(data))
{
}

bool PeMemorySource::readAt(std::uint64_t offset, void* destination, std::size_t count)
{
    if (count > 0)
        std::memcpy(destination, bytes + offset, count);
    return true;
}

namespace
{
// Microsoft's PE/COFF layout: offsets and constants the reader needs.
constexpr std::size_t dosHeaderSize = 64;
constexpr std::size_t peHeaderOffsetField = 0x3C;
constexpr std::size_t coffHeaderSize = 24; // "PE\0\0" and the COFF file header
constexpr std::size_t maxSections = 96;    // the loader refuses more
constexpr std::size_t sectionHeaderSize = 40;
constexpr std::uint16_t pe32Magic = 0x10B;
constexpr std::uint16_t pe32PlusMagic = 0x20B;
constexpr std::size_t resourceDirectoryIndex = 2;

constexpr std::size_t resourceDirectorySize = 16;
constexpr std::size_t resourceEntrySize = 8;
constexpr std::size_t resourceDataEntrySize = 16;
constexpr std::uint32_t highBit = 0x80000000u;
constexpr std::uint32_t versionResourceType = 16; // RT_VERSION
constexpr std::uint32_t versionResourceName = 1;  // VS_VERSION_INFO, the only one Windows reads
constexpr std::uint32_t neutralLanguage = 0;
// Real modules have a handful of entries per level; more than this is damage.
constexpr std::size_t maxEntriesPerDirectory = 512;

// VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding to 4 bytes, then
// VS_FIXEDFILEINFO (13 DWORDs) starting with its signature.
constexpr std::size_t versionKeyOffset = 6;
constexpr char16_t versionKey[] = u"VS_VERSION_INFO";
constexpr std::size_t versionKeyBytes = sizeof(versionKey); // with the terminating zero
constexpr std::size_t fixedInfoOffset = 40;
constexpr std::size_t fixedInfoSize = 52;
constexpr std::size_t versionHeadSize = fixedInfoOffset + fixedInfoSize;
constexpr std::uint32_t fixedInfoSignature = 0xFEEF04BDu;

std::uint16_t le16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Section
{
    std::uint32_t virtualAddress;
    std::uint32_t mappedSize; // bytes of the section backed by the file
    std::uint32_t fileOffset;
};

class PeImage
{
public:
    explicit PeImage(PeByteSource& s) : source(s) {}

    bool readHeaders();
    std::optional<PeFileVersion> readVersion();

private:
    // File offset of the image bytes [rva, rva + length), which must lie in one section.
    std::optional<std::uint64_t> fileOffsetOf(std::uint64_t rva, std::uint64_t length) const;
    bool readAtRva(std::uint64_t rva, void* destination, std::size_t count);
    // The target of the entry named id in the resource directory at directoryOffset
    // (relative to the resource section); the high bit of the result marks a subdirectory.
    std::optional<std::uint32_t> findResourceEntry(std::uint32_t directoryOffset, std::uint32_t id,
                                                   bool orFirstEntry);

    PeByteSource& source;
    std::vector<Section> sections;
    std::uint32_t resourceRva = 0;
};

bool PeImage::readHeaders()
{
    unsigned char dos[dosHeaderSize];
    if (!source.read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    const std::uint64_t peOffset = le32(dos + peHeaderOffsetField);

    unsigned char coff[coffHeaderSize];
    if (!source.read(peOffset, coff, sizeof coff) || std::memcmp(coff, "PE\0\0", 4) != 0)
        return false;
    const std::size_t sectionCount = le16(coff + 6);
    const std::size_t optionalHeaderSize = le16(coff + 20);
    if (sectionCount == 0 || sectionCount > maxSections)
        return false;

    // Only the magic and the data directory table differ between PE32 and PE32+.
    unsigned char magicBytes[2];
    if (optionalHeaderSize < sizeof magicBytes || !source.read(peOffset + coffHeaderSize, magicBytes, 2))
        return false;
    std::size_t directoryCountOffset = 0;
    if (le16(magicBytes) == pe32Magic)
        directoryCountOffset = 92;
    else if (le16(magicBytes) == pe32PlusMagic)
        directoryCountOffset = 108;
    else
        return false;

    const std::size_t resourceEntryOffset = directoryCountOffset + 4 + 8 * resourceDirectoryIndex;
    if (optionalHeaderSize < resourceEntryOffset + 8)
        return false;
    unsigned char count[4];
    unsigned char resourceEntry[8];
    if (!source.read(peOffset + coffHeaderSize + directoryCountOffset, count, sizeof count) ||
        le32(count) <= resourceDirectoryIndex ||
        !source.read(peOffset + coffHeaderSize + resourceEntryOffset, resourceEntry, sizeof resourceEntry))
        return false;
    resourceRva = le32(resourceEntry);
    if (resourceRva == 0)
        return false;

    std::vector<unsigned char> table(sectionCount * sectionHeaderSize);
    if (!source.read(peOffset + coffHeaderSize + optionalHeaderSize, table.data(), table.size()))
        return false;
    for (std::size_t i = 0; i < sectionCount; ++i)
    {
        const unsigned char* header = table.data() + i * sectionHeaderSize;
        const std::uint32_t virtualSize = le32(header + 8);
        const std::uint32_t rawSize = le32(header + 16);
        // Past the raw data a section is zero-filled in memory; none of that is in the file.
        const std::uint32_t mapped = virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
        sections.push_back({le32(header + 12), mapped, le32(header + 20)});
    }
    return true;
}

std::optional<std::uint64_t> PeImage::fileOffsetOf(std::uint64_t rva, std::uint64_t length) const
{
    for (const auto& section : sections)
    {
        if (rva >= section.virtualAddress && rva - section.virtualAddress <= section.mappedSize &&
            length <= section.mappedSize - (rva - section.virtualAddress))
            return std::uint64_t{section.fileOffset} + (rva - section.virtualAddress);
    }
    return std::nullopt;
}

bool PeImage::readAtRva(std::uint64_t rva, void* destination, std::size_t count)
{
    const auto offset = fileOffsetOf(rva, count);
    return offset && source.read(*offset, destination, count);
}

std::optional<std::uint32_t> PeImage::findResourceEntry(std::uint32_t directoryOffset, std::uint32_t id,
                                                        bool orFirstEntry)
{
    unsigned char directory[resourceDirectorySize];
    if (!readAtRva(std::uint64_t{resourceRva} + directoryOffset, directory, sizeof directory))
        return std::nullopt;
    const std::size_t entryCount = std::size_t{le16(directory + 12)} + le16(directory + 14);
    if (entryCount == 0 || entryCount > maxEntriesPerDirectory)
        return std::nullopt;

    std::vector<unsigned char> entries(entryCount * resourceEntrySize);
    if (!readAtRva(std::uint64_t{resourceRva} + directoryOffset + resourceDirectorySize, entries.data(),
                   entries.size()))
        return std::nullopt;
    for (std::size_t i = 0; i < entryCount; ++i)
    {
        const unsigned char* entry = entries.data() + i * resourceEntrySize;
        // Named entries (high bit set) never match a numeric id.
        if (le32(entry) == id)
            return le32(entry + 4);
    }
    if (orFirstEntry)
        return le32(entries.data() + 4);
    return std::nullopt;
}

std::optional<PeFileVersion> PeImage::readVersion()
{
    // Exactly three levels, type / name / language, each step going one level down: a
    // damaged tree whose offsets point back up cannot make this loop, it only fails below.
    const auto type = findResourceEntry(0, versionResourceType, false);
    if (!type || (*type & highBit) == 0)
        return std::nullopt;
    const auto name = findResourceEntry(*type & ~highBit, versionResourceName, false);
    if (!name || (*name & highBit) == 0)
        return std::nullopt;
    const auto language = findResourceEntry(*name & ~highBit, neutralLanguage, true);
    if (!language || (*language & highBit) != 0)
        return std::nullopt;

    unsigned char dataEntry[resourceDataEntrySize];
    if (!readAtRva(std::uint64_t{resourceRva} + *language, dataEntry, sizeof dataEntry))
        return std::nullopt;
    const std::uint32_t dataRva = le32(dataEntry);
    const std::uint32_t dataSize = le32(dataEntry + 4);
    if (dataSize < versionHeadSize)
        return std::nullopt;

    unsigned char head[versionHeadSize];
    if (!readAtRva(dataRva, head, sizeof head))
        return std::nullopt;
    const std::uint16_t blockLength = le16(head);
    const std::uint16_t valueLength = le16(head + 2);
    if (blockLength < versionHeadSize || valueLength < fixedInfoSize)
        return std::nullopt;
    for (std::size_t i = 0; i < versionKeyBytes / 2; ++i)
    {
        if (le16(head + versionKeyOffset + 2 * i) != versionKey[i])
            return std::nullopt;
    }
    const unsigned char* fixedInfo = head + fixedInfoOffset;
    if (le32(fixedInfo) != fixedInfoSignature)
        return std::nullopt;

    const std::uint32_t versionMs = le32(fixedInfo + 8);
    const std::uint32_t versionLs = le32(fixedInfo + 12);
    return PeFileVersion{static_cast<std::uint16_t>(versionMs >> 16), static_cast<std::uint16_t>(versionMs),
                         static_cast<std::uint16_t>(versionLs >> 16), static_cast<std::uint16_t>(versionLs)};
}
} // namespace

std::optional<PeFileVersion> readPeFileVersion(PeByteSource& source)
{
    PeImage image(source);
    if (!image.readHeaders())
        return std::nullopt;
    return image.readVersion();
}

std::string formatPeFileVersion(const PeFileVersion& version)
{
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." + std::to_string(version[2]) +
           "." + std::to_string(version[3]);
}

std::string readPeFileVersionText(PeByteSource& source)
{
    const auto version = readPeFileVersion(source);
    return version ? formatPeFileVersion(*version) : std::string();
}
} // namespace formats
