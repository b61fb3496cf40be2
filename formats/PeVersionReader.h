#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// A reader of the fixed file version in the VS_VERSIONINFO resource of a Windows PE module
// (DLL or EXE, 32 or 64 bit), for builds where the framework cannot read version resources.
// It reads the headers, the section table, one path down the resource tree and the start
// of the version resource, nothing else. Plain C++ so that it can be fuzzed on its own.
namespace formats
{
// Random access to a module's bytes with a fixed budget per reader call: every read must
// lie inside the source and the reads together may not exceed readBudget bytes, so that a
// damaged module can neither make the reader read past its end nor read much of it.
class PeByteSource
{
public:
    static constexpr std::size_t readBudget = 64 * 1024;

    explicit PeByteSource(std::uint64_t sizeInBytes) : totalSize(sizeInBytes) {}
    virtual ~PeByteSource() = default;

    // Fills destination with count bytes from offset; false, and nothing counted, when the
    // range lies outside the source, would exceed the budget or cannot be read.
    bool read(std::uint64_t offset, void* destination, std::size_t count);

    std::uint64_t size() const { return totalSize; }
    std::size_t bytesRead() const { return totalRead; }

protected:
    virtual bool readAt(std::uint64_t offset, void* destination, std::size_t count) = 0;

private:
    std::uint64_t totalSize;
    std::size_t totalRead = 0;
};

// A module held in memory.
class PeMemorySource : public PeByteSource
{
public:
    PeMemorySource(const void* data, std::size_t size);

protected:
    bool readAt(std::uint64_t offset, void* destination, std::size_t count) override;

private:
    const unsigned char* bytes;
};

// dwFileVersionMS high and low word, dwFileVersionLS high and low word.
using PeFileVersion = std::array<std::uint16_t, 4>;

// The fixed file version of the module, or nothing when the source is not a PE image with a
// well-formed version resource.
std::optional<PeFileVersion> readPeFileVersion(PeByteSource& source);

// "a.b.c.d" in decimal without leading zeros.
std::string formatPeFileVersion(const PeFileVersion& version);

// The version as "a.b.c.d", or an empty string.
std::string readPeFileVersionText(PeByteSource& source);
} // namespace formats
