#include "catalogue/Formats.h"
#include "catalogue/Product.h"
#include "install/FormatArchive.h"
#include "resources/EmbeddedArchives.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

// The build names the archive files it embedded (in format order).
static const char* const embeddedArchiveFiles[] = {VX_TEST_VST3_ARCHIVE, VX_TEST_CLAP_ARCHIVE,
                                                   VX_TEST_AAX_ARCHIVE};

static std::vector<char> readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FormatArchive, EmbeddedBytesEqualTheArchiveFiles)
{
    for (int format = 0; format < catalogue::numFormats; ++format)
    {
        SCOPED_TRACE(embeddedArchiveFiles[format]);
        const auto expected = readFile(embeddedArchiveFiles[format]);
        ASSERT_FALSE(expected.empty());

        const auto archive = install::getFormatArchive(format);
        ASSERT_NE(archive.data, nullptr);
        ASSERT_EQ(archive.size, expected.size());
        EXPECT_EQ(std::memcmp(archive.data, expected.data(), expected.size()), 0);
    }
}

// The embedded directory holds one row per format, named as the format table names its
// archive, and each format finds the bytes of its own row.
TEST(FormatArchive, DirectoryNamesOneArchivePerFormat)
{
    const auto* directory = reinterpret_cast<const char*>(BinaryData::vx_embedded_archives);
    int rows = 0;
    for (const auto* row = BinaryData::vx_embedded_archives; row->size != 0 || row->nameOffset != 0;
         ++row, ++rows)
    {
        ASSERT_LT(rows, catalogue::numFormats);
        const auto& format = catalogue::formatTable[static_cast<size_t>(rows)];
        EXPECT_STREQ(directory + row->nameOffset, format.archive);
        const auto archive = install::getFormatArchive(rows);
        EXPECT_EQ(archive.data, static_cast<const void*>(directory + row->dataOffset)) << format.name;
        EXPECT_EQ(archive.size, static_cast<std::size_t>(row->size)) << format.name;
    }
    EXPECT_EQ(rows, catalogue::numFormats);
}

TEST(FormatArchive, IndexOutOfRangeYieldsNoData)
{
    for (int index : {-1, 3, 100})
    {
        const auto archive = install::getFormatArchive(index);
        EXPECT_EQ(archive.data, nullptr) << index;
        EXPECT_EQ(archive.size, 0u) << index;
    }
}

// The installer's own zip reader sees the same entries the build-time check passed: every
// name lies in the format's bundle, so removing the bundle removes everything installed.
TEST(FormatArchive, FrameworkZipReaderFindsOnlyEntriesOfTheBundle)
{
    for (int format = 0; format < catalogue::numFormats; ++format)
    {
        const auto archive = install::getFormatArchive(format);
        juce::MemoryInputStream stream(archive.data, archive.size, false);
        juce::ZipFile zip(stream);
        const auto bundle = juce::String(catalogue::productName) + catalogue::formatExtensions[format];
        SCOPED_TRACE(bundle);

        ASSERT_GT(zip.getNumEntries(), 0);
        for (int i = 0; i < zip.getNumEntries(); ++i)
        {
            const auto name = zip.getEntry(i)->filename;
            EXPECT_TRUE(name == bundle || name.startsWith(bundle + "\\") || name.startsWith(bundle + "/"))
                << name;
        }
    }
}
