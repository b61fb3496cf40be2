#pragma once

#include <juce_core/juce_core.h>

#include <zlib.h>

#include <string>
#include <utility>
#include <vector>

namespace testing_support
{
// Small zip archives built byte by byte, so that tests control every field and can damage
// any of them.
struct ZipFixtureEntry
{
    ZipFixtureEntry(std::string entryName, std::string entryContent, bool deflated = true,
                    bool badCrc = false)
        : name(std::move(entryName)), content(std::move(entryContent)), deflate(deflated), wrongCrc(badCrc)
    {
    }

    std::string name; // ends with a separator for a folder
    std::string content;
    bool deflate = true;
    bool wrongCrc = false; // the CRC-32 in the headers does not match the content
    // What other archivers write: sizes and CRC-32 in a data descriptor after the data
    // (flag bit 3), zip64 extra fields holding the sizes (saturated 32-bit fields), extra
    // fields of other kinds, and a Unix host with its file mode.
    bool dataDescriptor = false;
    bool zip64Sizes = false;
    std::string extra;
    juce::uint32 unixMode = 0; // non-zero: "made by" Unix with this mode
};

// Archive-wide choices: a comment, bytes in front of the archive (offsets left as they
// are, as when a stub is put in front), bytes after the end record.
struct ZipFixtureOptions
{
    std::string comment;
    std::string prefix;
    std::string trailing;
};

inline std::string rawDeflate(const std::string& data)
{
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, (uLong)data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = (uInt)data.size();
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = (uInt)out.size();
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

inline juce::MemoryBlock makeZip(const std::vector<ZipFixtureEntry>& entries,
                                 const ZipFixtureOptions& options = {})
{
    juce::MemoryOutputStream archive, directory;
    const auto put16 = [](juce::MemoryOutputStream& s, int v)
    {
        s.writeShort((short)v);
    };
    const auto put32 = [](juce::MemoryOutputStream& s, juce::uint32 v)
    {
        s.writeInt((int)v);
    };
    const int dosTime = (12 << 11) | (30 << 5), dosDate = ((2024 - 1980) << 9) | (5 << 5) | 17;

    for (const auto& entry : entries)
    {
        const bool folder = !entry.name.empty() && (entry.name.back() == '\\' || entry.name.back() == '/');
        const bool deflated = entry.deflate && !folder;
        const auto data = deflated ? rawDeflate(entry.content) : entry.content;
        const auto crc = (juce::uint32)crc32(0, reinterpret_cast<const Bytef*>(entry.content.data()),
                                             (uInt)entry.content.size()) ^
                         (entry.wrongCrc ? 1u : 0u);
        const auto offset = (juce::uint32)archive.getPosition();

        const auto put64 = [&](juce::MemoryOutputStream& s, juce::uint64 v)
        {
            put32(s, (juce::uint32)v);
            put32(s, (juce::uint32)(v >> 32));
        };
        std::string extra = entry.extra;
        if (entry.zip64Sizes)
        {
            juce::MemoryOutputStream zip64;
            put16(zip64, 1);
            put16(zip64, 16);
            put64(zip64, entry.content.size());
            put64(zip64, data.size());
            extra = std::string(static_cast<const char*>(zip64.getData()), zip64.getDataSize()) + extra;
        }
        const auto sizeField = [&](size_t size)
        {
            return entry.zip64Sizes ? 0xffffffffu : (juce::uint32)size;
        };
        const int flags = entry.dataDescriptor ? 8 : 0;

        put32(archive, 0x04034b50);
        put16(archive, 20);
        put16(archive, flags);
        put16(archive, deflated ? 8 : 0);
        put16(archive, dosTime);
        put16(archive, dosDate);
        put32(archive, entry.dataDescriptor ? 0 : crc);
        put32(archive, entry.dataDescriptor ? 0 : sizeField(data.size()));
        put32(archive, entry.dataDescriptor ? 0 : sizeField(entry.content.size()));
        put16(archive, (int)entry.name.size());
        put16(archive, (int)extra.size());
        archive.write(entry.name.data(), entry.name.size());
        archive.write(extra.data(), extra.size());
        archive.write(data.data(), data.size());
        if (entry.dataDescriptor)
        {
            put32(archive, 0x08074b50);
            put32(archive, crc);
            put32(archive, (juce::uint32)data.size());
            put32(archive, (juce::uint32)entry.content.size());
        }

        put32(directory, 0x02014b50);
        put16(directory, entry.unixMode != 0 ? (3 << 8) | 30 : 20);
        put16(directory, 20);
        put16(directory, flags);
        put16(directory, deflated ? 8 : 0);
        put16(directory, dosTime);
        put16(directory, dosDate);
        put32(directory, crc);
        put32(directory, sizeField(data.size()));
        put32(directory, sizeField(entry.content.size()));
        put16(directory, (int)entry.name.size());
        put16(directory, (int)extra.size());
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, (entry.unixMode << 16) | (folder ? 0x10u : 0x20u));
        put32(directory, offset);
        directory.write(entry.name.data(), entry.name.size());
        directory.write(extra.data(), extra.size());
    }

    const auto directoryOffset = (juce::uint32)archive.getPosition();
    archive << directory.getMemoryBlock();
    put32(archive, 0x06054b50);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, (int)entries.size());
    put16(archive, (int)entries.size());
    put32(archive, (juce::uint32)directory.getDataSize());
    put32(archive, directoryOffset);
    put16(archive, (int)options.comment.size());
    archive.write(options.comment.data(), options.comment.size());
    archive.write(options.trailing.data(), options.trailing.size());

    juce::MemoryBlock result(options.prefix.data(), options.prefix.size());
    result.append(archive.getData(), archive.getDataSize());
    return result;
}

// Entries shaped like the three product archives: a VST3 and an AAX bundle folder, a
// single-file CLAP plug-in. Contents differ per format and from any "old" fixture.
inline std::vector<ZipFixtureEntry> bundleEntries(int formatIndex, const std::string& version = "new")
{
    const auto module = "MZ module " + version + " " + std::string(400, char('a' + formatIndex));
    switch (formatIndex)
    {
    case 0:
        return {{"Ostrand.vst3\\Contents\\", ""},
                {"Ostrand.vst3\\desktop.ini", "[.ShellClassInfo]\r\nIconResource=Plugin.ico,0\r\n"},
                {"Ostrand.vst3\\Plugin.ico", "icon " + version, false},
                {"Ostrand.vst3\\Contents\\Resources\\moduleinfo.json", "{\"Version\": \"" + version + "\"}"},
                {"Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3", module}};
    case 1:
        return {{"Ostrand.clap", module}};
    default:
        return {{"Ostrand.aaxplugin\\Contents\\", ""},
                {"Ostrand.aaxplugin\\desktop.ini", "[.ShellClassInfo]\r\nIconResource=Plugin.ico,0\r\n"},
                {"Ostrand.aaxplugin\\Plugin.ico", "icon " + version, false},
                {"Ostrand.aaxplugin\\Contents\\x64\\Ostrand.aaxplugin", module}};
    }
}
} // namespace testing_support
