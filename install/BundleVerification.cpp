#include "install/BundleVerification.h"

#include "formats/ZipArchive.h"

#include <zlib.h>

#include <map>

namespace install
{
namespace
{
// Windows compares names without regard to letter case; so does the check.
juce::String folded(const juce::String& path)
{
    return path.toUpperCase();
}

// Every file and folder below the bundle (the bundle itself included as ""), keyed by its
// folded relative path; two names that differ in case only (a folder that tells them
// apart) are both there. Links are listed but never followed.
std::multimap<juce::String, juce::File> listBundle(const juce::File& bundle)
{
    std::multimap<juce::String, juce::File> items{{{}, bundle}};
    if (!bundle.isDirectory() || bundle.isSymbolicLink())
        return items;
    // Hidden files too: "desktop.ini" is one of the bundle's.
    for (const auto& entry : juce::RangedDirectoryIterator(
             bundle, true, "*", juce::File::findFilesAndDirectories, juce::File::FollowSymlinks::no))
    {
        const auto relative = entry.getFile().getRelativePathFrom(bundle).replaceCharacter('/', '\\');
        items.emplace(folded(relative), entry.getFile());
    }
    return items;
}

// The file's CRC-32, or nothing when it cannot be read whole.
std::optional<juce::uint32> crcOf(const juce::File& file, juce::int64 expectedSize)
{
    juce::FileInputStream stream(file);
    if (!stream.openedOk())
        return std::nullopt;
    uLong crc = crc32(0, nullptr, 0);
    juce::HeapBlock<char> block(1 << 16);
    juce::int64 total = 0;
    for (;;)
    {
        const int count = stream.read(block.get(), 1 << 16);
        if (count <= 0)
            break;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(block.get()), (uInt)count);
        total += count;
    }
    if (total != expectedSize)
        return std::nullopt;
    return (juce::uint32)crc;
}

juce::String windowsRelativePath(const std::vector<std::string>& parts)
{
    juce::StringArray names;
    for (const auto& part : parts)
        names.add(juce::String::fromUTF8(part.data(), (int)part.size()));
    return names.joinIntoString("\\");
}
} // namespace

BundleCheck verifyBundle(const juce::File& bundle, const ArchiveData& archive)
{
    BundleCheck check;
    if (bundle == juce::File() || (!bundle.exists() && !bundle.isSymbolicLink()))
        return check;

    auto items = listBundle(bundle);
    const auto bundleName = bundle.getFileName();
    const auto directory = formats::zip::readDirectory(archive.data, archive.size);
    const auto layout = formats::zip::getBundleLayout(directory.entries, bundleName.toStdString(),
                                                      formats::zip::BundleKind::either);
    if (!directory.problems.empty() || !layout.problems.empty() || directory.entries.empty())
    {
        check.state = BundleState::changed;
        check.changedFiles.add(bundleName);
        return check;
    }

    for (std::size_t i = 0; i < directory.entries.size(); ++i)
    {
        const auto& entry = directory.entries[i];
        const auto relative = windowsRelativePath(layout.paths[i]);
        const auto shown = relative.isEmpty() ? bundleName : relative;
        const auto found = items.find(folded(relative));
        if (found == items.end())
        {
            check.missingFiles.add(shown);
            continue;
        }
        const auto file = found->second;
        // Two entries Windows takes for one: neither can be shown to be the shipped one.
        if (items.count(folded(relative)) > 1)
        {
            check.changedFiles.add(shown);
            items.erase(folded(relative));
            continue;
        }
        items.erase(found);
        if (entry.isFolder)
        {
            if (!file.isDirectory() || file.isSymbolicLink())
                check.changedFiles.add(shown);
            continue;
        }
        const bool plainFile = file.existsAsFile() && !file.isSymbolicLink();
        if (!plainFile || (juce::uint64)file.getSize() != entry.uncompressedSize ||
            crcOf(file, (juce::int64)entry.uncompressedSize) != entry.crc32)
            check.changedFiles.add(shown);
    }
    // The folders that lead to the archive's entries are the archive's too.
    for (const auto& [key, file] : items)
        if (key.isNotEmpty() && (file.isSymbolicLink() || !file.isDirectory()))
            check.extraFiles.add(file.getRelativePathFrom(bundle).replaceCharacter('/', '\\'));
    check.extraFiles.sort(true);

    check.state = check.changedFiles.isEmpty() && check.missingFiles.isEmpty() ? BundleState::intact
                                                                               : BundleState::changed;
    return check;
}
} // namespace install
