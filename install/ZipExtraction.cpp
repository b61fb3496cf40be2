#include "install/ZipExtraction.h"

#include "formats/ZipArchive.h"
#include "platform/NativeFiles.h"

namespace install
{
namespace
{
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

juce::File getChildPath(const juce::File& destination, const std::vector<std::string>& parts)
{
    auto target = destination;
    for (const auto& part : parts)
        target = target.getChildFile(juce::String::fromUTF8(part.data(), (int)part.size()));
    return target;
}

ExtractionResult writeFileEntry(const formats::zip::Entry& entry, const juce::File& target,
                                FileOperations& operations)
{
    if (auto error = operations.createFolder(target.getParentDirectory()))
        return {false, std::move(error)};
    {
        auto created = operations.createFile(target);
        if (created.error)
            return {false, std::move(created.error)};
        FileError writeError;
        const auto write = [&created, &writeError](const std::uint8_t* data, std::size_t size)
        {
            writeError = created.writer->write(data, size);
            return !writeError;
        };
        if (auto problem = formats::zip::unpackEntryData(entry, write))
        {
            if (problem->kind == formats::zip::ProblemKind::notWritten)
                return {false, std::move(writeError)};
            return {true, {}};
        }
    }
    const auto time = parseDosTime(entry.dosTime, entry.dosDate);
    if (time.toMilliseconds() != 0)
        target.setLastModificationTime(time);
    return {};
}
} // namespace

std::optional<std::vector<ZipEntry>> readZipDirectory(const void* archive, size_t size)
{
    const auto directory = formats::zip::readDirectory(archive, size);
    if (!directory.problems.empty())
        return std::nullopt;
    std::vector<ZipEntry> entries;
    entries.reserve(directory.entries.size());
    for (const auto& source : directory.entries)
    {
        ZipEntry entry;
        entry.name = juce::String::fromUTF8(source.name.data(), (int)source.name.size());
        entry.isFolder = source.isFolder;
        entry.isDeflated = source.isDeflated;
        entry.crc32 = source.crc32;
        entry.compressedSize = source.compressedSize;
        entry.uncompressedSize = source.uncompressedSize;
        entry.data = source.data;
        entry.modificationTime = parseDosTime(source.dosTime, source.dosDate);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<juce::File> getEntryTarget(const juce::String& entryName, const juce::String& bundleName,
                                         const juce::File& destination)
{
    const auto name = entryName.toStdString();
    const bool isFolder = entryName.endsWithChar('/') || entryName.endsWithChar('\\');
    const auto path = formats::zip::getEntryPath(name, isFolder, bundleName.toStdString());
    if (path.problem)
        return std::nullopt;
    return getChildPath(destination, path.parts);
}

ExtractionResult extractBundle(const void* archive, size_t size, const juce::String& bundleName,
                               const juce::File& destination, FileOperations& operations)
{
    const ExtractionResult damaged{true, {}};
    const auto directory = formats::zip::readDirectory(archive, size);
    if (!directory.problems.empty() || directory.entries.empty())
        return damaged;
    if (isPresent(destination))
        return {false, FileError::of(destination, platform::alreadyExistsError())};

    // Every name is checked before anything is written.
    const auto layout = formats::zip::getBundleLayout(directory.entries, bundleName.toStdString(),
                                                      formats::zip::BundleKind::either);
    if (!layout.problems.empty())
        return damaged;

    if (auto error = operations.createFolder(destination.getParentDirectory()))
        return {false, std::move(error)};

    for (size_t i = 0; i < directory.entries.size(); ++i)
    {
        const auto& entry = directory.entries[i];
        const auto target = getChildPath(destination, layout.paths[i]);
        if (entry.isFolder)
        {
            // A folder's data, if it has any, must still inflate to nothing.
            const auto discard = [](const std::uint8_t*, std::size_t)
            {
                return true;
            };
            if (formats::zip::unpackEntryData(entry, discard))
                return damaged;
            if (auto error = operations.createFolder(target))
                return {false, std::move(error)};
        }
        else if (auto result = writeFileEntry(entry, target, operations); !result.succeeded())
        {
            return result;
        }
    }
    return isPresent(destination) ? ExtractionResult{} : damaged;
}
} // namespace install
