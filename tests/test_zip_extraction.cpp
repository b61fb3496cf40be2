#include "install/ZipExtraction.h"
#include "support/EntryNameCases.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace
{
const char* const bundleNames[] = {"Ostrand.vst3", "Ostrand.clap", "Ostrand.aaxplugin"};

// What extracting the entries to `destination` (a name in the snapshot root) must give.
TreeSnapshot expectedTree(const std::vector<ZipFixtureEntry>& entries, const std::string& bundleName,
                          const std::string& destination)
{
    TreeSnapshot tree;
    for (const auto& entry : entries)
    {
        auto path = juce::String(entry.name).replaceCharacter('\\', '/');
        const bool folder = path.endsWithChar('/');
        path = juce::String(destination) + path.substring((int)bundleName.size()).trimCharactersAtEnd("/");
        tree[path.toStdString()] = folder ? "dir" : "file:" + entry.content;
        for (auto parent = path.upToLastOccurrenceOf("/", false, false); parent.contains("/");
             parent = parent.upToLastOccurrenceOf("/", false, false))
            tree[parent.toStdString()] = "dir";
        if (path.contains("/"))
            tree[destination] = "dir";
    }
    return tree;
}

void patch32(juce::MemoryBlock& block, size_t offset, juce::uint32 value)
{
    auto* p = static_cast<juce::uint8*>(block.getData()) + offset;
    for (int i = 0; i < 4; ++i)
        p[i] = (juce::uint8)(value >> (8 * i));
}

juce::uint32 read32(const juce::MemoryBlock& block, size_t offset)
{
    const auto* p = static_cast<const juce::uint8*>(block.getData()) + offset;
    return (juce::uint32)(p[0] | (p[1] << 8) | (p[2] << 16) | ((juce::uint32)p[3] << 24));
}

// Where each entry's record in the archive's directory starts.
std::vector<size_t> directoryRecords(const juce::MemoryBlock& zip)
{
    std::vector<size_t> records;
    const auto* bytes = static_cast<const juce::uint8*>(zip.getData());
    for (size_t pos = read32(zip, zip.getSize() - 6); read32(zip, pos) == 0x02014b50;)
    {
        records.push_back(pos);
        pos += 46 + (bytes[pos + 28] | (bytes[pos + 29] << 8)) + (bytes[pos + 30] | (bytes[pos + 31] << 8)) +
               (bytes[pos + 32] | (bytes[pos + 33] << 8));
    }
    return records;
}

class ZipExtraction : public ::testing::Test
{
protected:
    const juce::File root = juce::File::createTempFile("vx_zip");
    install::FileOperations& operations = install::defaultFileOperations();

    void SetUp() override { ASSERT_TRUE(root.createDirectory().wasOk()); }
    void TearDown() override { root.deleteRecursively(); }

    bool extract(const juce::MemoryBlock& zip, const char* bundleName, const char* destination = "staged")
    {
        return install::extractBundle(zip.getData(), zip.getSize(), bundleName,
                                      root.getChildFile(destination), operations)
            .succeeded();
    }
};
} // namespace

TEST_F(ZipExtraction, EachProductLayoutLandsExactlyAtTheDestination)
{
    for (int format = 0; format < 3; ++format)
    {
        const auto entries = bundleEntries(format);
        const auto destination = std::string(".staged") + std::to_string(format);
        ASSERT_TRUE(extract(makeZip(entries), bundleNames[format], destination.c_str())) << format;

        auto expected = expectedTree(entries, bundleNames[format], destination);
        auto actual = snapshotTree(root);
        for (auto it = actual.begin(); it != actual.end();)
            it = it->first.rfind(destination, 0) == 0 ? std::next(it) : actual.erase(it);
        EXPECT_EQ(actual, expected) << format;
    }

    // The entries keep the archive's time stamp (17 May 2024, 12:30 local time).
    const auto module = root.getChildFile(".staged1").getLastModificationTime();
    EXPECT_EQ(module.getYear(), 2024);
    EXPECT_EQ(module.getDayOfMonth(), 17);
    EXPECT_EQ(module.getHours(), 12);
}

TEST_F(ZipExtraction, EntryTargetsStayInsideTheBundle)
{
    const auto destination = root.getChildFile("staged");
    for (const auto& c : entryNameCases)
    {
        const auto target = install::getEntryTarget(juce::String(juce::CharPointer_UTF8(c.name)),
                                                    "Ostrand.vst3", destination);
        const juce::String expected(juce::CharPointer_UTF8(c.target == nullptr ? "" : c.target));
        if (c.target == nullptr)
            EXPECT_FALSE(target.has_value()) << c.name;
        else
            EXPECT_EQ(target.value_or(juce::File()),
                      expected.isEmpty() ? destination : destination.getChildFile(expected))
                << c.name;
    }
}

TEST_F(ZipExtraction, AcceptsWhatArchiversWrite)
{
    struct Case
    {
        const char* what;
        std::vector<ZipFixtureEntry> entries;
        ZipFixtureOptions options;
    };
    const auto variant = [](auto change)
    {
        auto entries = bundleEntries(0);
        for (auto& entry : entries)
            change(entry);
        return entries;
    };
    const std::string unknownExtra("\x55\x54\x05\x00\x03\x00\x00\x00\x00", 9);
    std::vector<Case> cases = {
        {"data descriptors", variant([](auto& e) { e.dataDescriptor = true; }), {}},
        {"zip64 extra fields on small entries", variant([](auto& e) { e.zip64Sizes = true; }), {}},
        {"zip64 sizes in data descriptors' entries",
         variant([](auto& e) { e.zip64Sizes = e.dataDescriptor = true; }),
         {}},
        {"extra fields of another kind", variant([&](auto& e) { e.extra = unknownExtra; }), {}},
        {"Unix modes", variant([](auto& e) { e.unixMode = e.name.back() == '\\' ? 040755 : 0100644; }), {}},
        {"forward slashes",
         variant([](auto& e) { std::replace(e.name.begin(), e.name.end(), '\\', '/'); }),
         {}},
        {"a comment", bundleEntries(0), {"Ostrand 1.2.0", "", ""}},
        {"zero padding after the end record", bundleEntries(0), {"", "", std::string(10240, '\0')}},
        {"bytes after a comment", bundleEntries(0), {"made by hand", "", "trailing bytes"}},
        {"a stub in front", bundleEntries(0), {"", std::string(3000, 'S'), ""}},
    };
    auto withBundleFolder = bundleEntries(0);
    withBundleFolder.insert(withBundleFolder.begin(), {"Ostrand.vst3\\", ""});
    cases.push_back({"a folder entry for the bundle itself", withBundleFolder, {}});

    for (const auto& c : cases)
    {
        ASSERT_TRUE(extract(makeZip(c.entries, c.options), "Ostrand.vst3")) << c.what;
        auto expected = expectedTree(bundleEntries(0), "Ostrand.vst3", "staged");
        EXPECT_EQ(snapshotTree(root), expected) << c.what;
        root.getChildFile("staged").deleteRecursively();
    }
}

TEST_F(ZipExtraction, DamagedOrUnsupportedArchivesFail)
{
    // Records: 0 the Contents folder, 1 desktop.ini (deflated), 4 the module (deflated),
    // whose data lies just before the directory.
    const auto good = makeZip(bundleEntries(0));
    const auto records = directoryRecords(good);
    ASSERT_EQ(records.size(), 5u);
    const auto module = records[4];
    struct Case
    {
        const char* what;
        juce::MemoryBlock zip;
    };
    std::vector<Case> cases;
    const auto damaged = [&](const char* what, auto change)
    {
        auto zip = good;
        change(zip);
        cases.push_back({what, zip});
    };

    damaged("truncated to half", [](auto& zip) { zip.setSize(zip.getSize() / 2); });
    damaged("last byte missing", [](auto& zip) { zip.setSize(zip.getSize() - 1); });
    damaged("empty", [](auto& zip) { zip.setSize(0); });
    damaged("a flipped byte in the module's data", [&](auto& zip) { zip[records[0] - 10] ^= 0x20; });
    damaged("a wrong CRC in the directory", [&](auto& zip) { patch32(zip, module + 16, 0x12345678); });
    damaged("a size too small for the data", [&](auto& zip) { patch32(zip, module + 24, 100); });
    damaged("a size too large for the data", [&](auto& zip) { patch32(zip, module + 24, 100000); });
    damaged("stored sizes that disagree", [&](auto& zip) { patch32(zip, records[0] + 20, 1); });
    damaged("a directory that runs past its end", [&](auto& zip) { patch32(zip, zip.getSize() - 10, 9999); });
    damaged("an entry count that is too high",
            [](auto& zip) { zip[zip.getSize() - 12] = 9, zip[zip.getSize() - 14] = 9; });
    damaged("a local header offset past the data", [&](auto& zip) { patch32(zip, module + 42, 0x7fffffff); });
    damaged("a local header offset off by one",
            [&](auto& zip) { patch32(zip, module + 42, read32(zip, module + 42) + 1); });
    damaged("a compression method that is not deflate", [&](auto& zip) { zip[module + 10] = 12; });
    damaged("an encrypted entry", [&](auto& zip) { zip[records[1] + 8] = 1; });
    damaged("a symbolic link entry",
            [&](auto& zip) { zip[records[1] + 5] = 3, zip[records[1] + 41] = 0xa0; });

    cases.push_back({"no entries", makeZip({})});
    cases.push_back({"only another bundle", makeZip({{"Other.vst3\\a", "x"}})});
    cases.push_back(
        {"an entry outside the bundle", makeZip({{"Ostrand.vst3\\a", "x"}, {"Ostrand.vst3\\..\\b", "y"}})});
    cases.push_back({"a file entry twice", makeZip({{"Ostrand.vst3\\a", "x"}, {"Ostrand.vst3\\a", "y"}})});
    cases.push_back(
        {"a folder where a file is", makeZip({{"Ostrand.vst3\\a", "x"}, {"Ostrand.vst3\\a\\", ""}})});

    for (const auto& c : cases)
    {
        EXPECT_FALSE(extract(c.zip, "Ostrand.vst3")) << c.what;
        root.getChildFile("staged").deleteRecursively();
        EXPECT_TRUE(snapshotTree(root).empty()) << c.what;
    }

    // Names are checked before anything is written.
    ASSERT_FALSE(extract(makeZip({{"Ostrand.vst3\\a", "x"}, {"Ostrand.vst3\\..\\b", "y"}}), "Ostrand.vst3"));
    EXPECT_TRUE(snapshotTree(root).empty());

    EXPECT_TRUE(install::extractBundle(nullptr, 100, "Ostrand.vst3", root.getChildFile("staged"), operations)
                    .archiveDamaged);
}

TEST_F(ZipExtraction, EverySingleByteDamageIsRejectedOrChangesNoFile)
{
    const std::vector<ZipFixtureEntry> entries = {
        {"Ostrand.vst3\\Contents\\", ""},
        {"Ostrand.vst3\\desktop.ini", "[.ShellClassInfo]", false},
        {"Ostrand.vst3\\Contents\\m.bin", std::string(200, 'm') + "end"}};
    const auto good = makeZip(entries);
    const auto expected = expectedTree(entries, "Ostrand.vst3", "staged");

    for (size_t i = 0; i < good.getSize(); ++i)
    {
        auto zip = good;
        zip[i] ^= 0x41;
        // A damaged date or attribute may pass; a damaged name, size or content may not.
        if (extract(zip, "Ostrand.vst3"))
        {
            EXPECT_EQ(snapshotTree(root), expected) << "byte " << i;
        }
        root.getChildFile("staged").deleteRecursively();
        ASSERT_TRUE(snapshotTree(root).empty()) << "byte " << i;
    }
}

TEST_F(ZipExtraction, WontWriteOverSomethingAlreadyThere)
{
    root.getChildFile("staged").replaceWithText("old");
    EXPECT_FALSE(extract(makeZip(bundleEntries(1)), "Ostrand.clap"));
    EXPECT_EQ(root.getChildFile("staged").loadFileAsString(), juce::String("old"));
}
