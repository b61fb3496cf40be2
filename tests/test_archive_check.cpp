// The build's archive check (vx_check_archives, run as the build runs it) and the
// installer's extraction judge every archive alike, and what the installer writes is what
// Info-ZIP unzip extracts from the same file.
#include "catalogue/FormatTable.h"
#include "formats/ZipArchive.h"
#include "install/ZipExtraction.h"
#include "support/EntryNameCases.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

using namespace testing_support;

namespace
{
struct ProcessRun
{
    int exitCode = -1;
    juce::String output;
};

ProcessRun runProcess(const juce::StringArray& arguments)
{
    juce::ChildProcess process;
    ProcessRun run;
    if (!process.start(arguments, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return run;
    run.output = process.readAllProcessOutput();
    process.waitForProcessToFinish(60000);
    run.exitCode = (int)process.getExitCode();
    return run;
}

// The catalogue's facts about the format whose bundle this is.
const catalogue::FormatFacts& formatOf(const juce::String& bundleName)
{
    for (const auto& format : catalogue::formatTable)
        if (bundleName == juce::String(catalogue::productName) + format.extension)
            return format;
    throw std::invalid_argument(bundleName.toStdString());
}

class ArchiveCheck : public ::testing::Test
{
protected:
    const juce::File root = juce::File::createTempFile("vx_check");
    install::FileOperations& operations = install::defaultFileOperations();

    void SetUp() override { ASSERT_TRUE(root.createDirectory().wasOk()); }
    void TearDown() override { root.deleteRecursively(); }

    struct Verdicts
    {
        ProcessRun build;
        bool installed = false;
    };

    // The build check's and the installer's verdict on one archive file; the installer
    // writes to installed/<bundle>.
    Verdicts judge(const juce::File& archive, const juce::String& bundleName)
    {
        Verdicts verdicts;
        verdicts.build = runProcess({VX_CHECK_ARCHIVES_TOOL, juce::String(formatOf(bundleName).key) + "=" +
                                                                 archive.getFullPathName()});
        juce::MemoryBlock bytes;
        archive.loadFileAsData(bytes);
        const auto installed = root.getChildFile("installed");
        installed.deleteRecursively();
        verdicts.installed = install::extractBundle(bytes.getData(), bytes.getSize(), bundleName,
                                                    installed.getChildFile(bundleName), operations)
                                 .succeeded();
        return verdicts;
    }

    // What Info-ZIP unzip extracts from the archive, as a tree to compare with installed/.
    TreeSnapshot unzipped(const juce::File& archive)
    {
        const auto folder = root.getChildFile("unzipped");
        folder.deleteRecursively();
        const auto run =
            runProcess({"unzip", "-q", "-o", archive.getFullPathName(), "-d", folder.getFullPathName()});
        // 1 is a warning, such as bytes in front of the archive.
        EXPECT_LE(run.exitCode, 1) << run.output;
        return snapshotTree(folder);
    }

    juce::File write(const juce::MemoryBlock& zip, const juce::String& name = "archive.zip")
    {
        const auto file = root.getChildFile(name);
        file.replaceWithData(zip.getData(), zip.getSize());
        return file;
    }
};

juce::MemoryBlock overlappingEntries()
{
    // The second entry's directory record points at a copy of its local header inside
    // the first entry's stored data, so the two share bytes.
    const std::vector<ZipFixtureEntry> inner = {{"Ostrand.vst3\\b", "shared", false}};
    const auto innerZip = makeZip(inner);
    const auto localRecord = std::string(static_cast<const char*>(innerZip.getData()), 30 + 14 + 6);
    auto zip = makeZip({{"Ostrand.vst3\\a", localRecord, false}, {"Ostrand.vst3\\b", "shared", false}});
    const auto* bytes = static_cast<const juce::uint8*>(zip.getData());
    size_t directory = (size_t)(bytes[zip.getSize() - 6] | (bytes[zip.getSize() - 5] << 8));
    const size_t second = directory + 46 + 14;
    const juce::uint32 insideFirst = 30 + 14;
    for (int i = 0; i < 4; ++i)
        zip[second + 42 + (size_t)i] = (char)(insideFirst >> (8 * i));
    return zip;
}
} // namespace

TEST_F(ArchiveCheck, BuildAndInstallerAgreeOnEveryEntryName)
{
    std::vector<std::pair<std::string, bool>> names;
    for (const auto& c : entryNameCases)
        names.emplace_back(c.name, c.target != nullptr);
    names.emplace_back("Ostrand.vst3\\" + std::string(255, 'n'), true);
    names.emplace_back("Ostrand.vst3\\" + std::string(256, 'n'), false);

    for (const auto& [name, accepted] : names)
    {
        const bool folder = !name.empty() && (name.back() == '\\' || name.back() == '/');
        // Each name alone, as a file unless it names a folder; the bundle's own name as a
        // folder, since a VST3 bundle is one.
        std::vector<ZipFixtureEntry> entries = {{name, folder ? "" : "content"}};
        if (name == "Ostrand.vst3")
            entries = {{name + "\\", ""}, {name + "\\m.bin", "m"}};
        const auto archive = write(makeZip(entries));
        const auto verdicts = judge(archive, "Ostrand.vst3");
        EXPECT_EQ(verdicts.installed, accepted) << name;
        EXPECT_EQ(verdicts.build.exitCode, accepted ? 0 : 1) << name << "\n" << verdicts.build.output;
        // Names that would not print as they are (control characters, broken UTF-8)
        // are shown escaped; the others exactly.
        const auto printable =
            std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
        const auto named = "VST3 archive " + archive.getFullPathName() + ": entry '" +
                           (printable ? juce::String(name) + "'" : juce::String());
        if (!accepted)
        {
            EXPECT_TRUE(verdicts.build.output.contains(named)) << verdicts.build.output;
        }
    }
}

TEST_F(ArchiveCheck, BuildAndInstallerAgreeOnEveryArchive)
{
    const auto good = bundleEntries(0);
    const auto variant = [&](auto change)
    {
        auto entries = good;
        for (auto& entry : entries)
            change(entry);
        return makeZip(entries);
    };
    const auto patched = [](juce::MemoryBlock zip, size_t fromEnd, juce::uint8 value)
    {
        zip[zip.getSize() - fromEnd] = (char)value;
        return zip;
    };
    // The module's directory record is the last one; its fields lie this far from the end.
    const size_t moduleRecordFromEnd =
        22 + 46 + std::strlen("Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3");

    struct Case
    {
        const char* what;
        juce::MemoryBlock zip;
        const char* bundle;
        const char* named;                   // the entry the build's message names; nullptr when accepted
        formats::zip::ProblemKind kind = {}; // the problem the rule finds with that entry
    };
    using Kind = formats::zip::ProblemKind;
    const std::vector<Case> cases = {
        {"the product layout", makeZip(good), "Ostrand.vst3", nullptr},
        {"data descriptors", variant([](auto& e) { e.dataDescriptor = true; }), "Ostrand.vst3", nullptr},
        {"zip64 sizes", variant([](auto& e) { e.zip64Sizes = true; }), "Ostrand.vst3", nullptr},
        // Unix archivers write forward slashes; unzip takes a backslash from them as part of a name.
        {"Unix modes and forward slashes",
         variant(
             [](auto& e)
             {
                 e.unixMode = e.name.back() == '\\' ? 040755 : 0100755;
                 std::replace(e.name.begin(), e.name.end(), '\\', '/');
             }),
         "Ostrand.vst3", nullptr},
        {"zero padding", makeZip(good, {"", "", std::string(4096, '\0')}), "Ostrand.vst3", nullptr},
        {"a comment and a stub", makeZip(good, {"comment", std::string(777, 'S'), ""}), "Ostrand.vst3",
         nullptr},
        {"the CLAP file", makeZip(bundleEntries(1)), "Ostrand.clap", nullptr},
        {"the AAX bundle", makeZip(bundleEntries(2)), "Ostrand.aaxplugin", nullptr},

        {"a symbolic link", variant([](auto& e) { e.unixMode = e.name.back() == '\\' ? 040755 : 0120777; }),
         "Ostrand.vst3", "Ostrand.vst3\\desktop.ini", Kind::symbolicLink},
        {"a named pipe", variant([](auto& e) { e.unixMode = e.name.back() == '\\' ? 040755 : 010644; }),
         "Ostrand.vst3", "Ostrand.vst3\\desktop.ini", Kind::specialFile},
        {"a wrong CRC-32", makeZip({{"Ostrand.vst3\\a", "abc", true, true}}), "Ostrand.vst3",
         "Ostrand.vst3\\a", Kind::crcMismatch},
        {"an encrypted entry", patched(makeZip(good), moduleRecordFromEnd - 8, 1), "Ostrand.vst3",
         "Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3", Kind::encrypted},
        {"compression method 14", patched(makeZip(good), moduleRecordFromEnd - 10, 14), "Ostrand.vst3",
         "Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3", Kind::unsupportedMethod},
        {"a size larger than what inflates", patched(makeZip(good), moduleRecordFromEnd - 26, 0x7f),
         "Ostrand.vst3", "Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3", Kind::inflatesToLess},
        {"data past the entries", patched(makeZip(good), moduleRecordFromEnd - 22, 0x7f), "Ostrand.vst3",
         "Ostrand.vst3\\Contents\\x86_64-win\\Ostrand.vst3", Kind::dataPastEntries},
        {"overlapping data", overlappingEntries(), "Ostrand.vst3", "Ostrand.vst3\\b", Kind::dataOverlaps},
        {"the same file twice, letter case aside",
         makeZip({{"Ostrand.vst3\\Plugin.ico", "a"}, {"Ostrand.vst3\\plugin.ICO", "b"}}), "Ostrand.vst3",
         "Ostrand.vst3\\plugin.ICO", Kind::samePathAsAnother},
        {"a file where a folder must be", makeZip({{"Ostrand.vst3\\a", "x"}, {"Ostrand.vst3\\a\\b", "y"}}),
         "Ostrand.vst3", "Ostrand.vst3\\a\\b", Kind::folderWhereFileIs},
        {"a file beside the CLAP file", makeZip({{"Ostrand.clap", "MZ"}, {"Ostrand.clap\\x", "y"}}),
         "Ostrand.clap", "Ostrand.clap\\x", Kind::notTheBundleFile},
    };

    for (const auto& c : cases)
    {
        const auto archive = write(c.zip);
        const auto verdicts = judge(archive, c.bundle);
        const bool accepted = c.named == nullptr;
        EXPECT_EQ(verdicts.installed, accepted) << c.what;
        EXPECT_EQ(verdicts.build.exitCode, accepted ? 0 : 1) << c.what << "\n" << verdicts.build.output;
        if (accepted)
        {
            EXPECT_EQ(snapshotTree(root.getChildFile("installed")), unzipped(archive)) << c.what;
            continue;
        }
        // The rule's value names the kind and the entry, and the build words it from them.
        // The build holds each format to its bundle's shape.
        const auto shape = formatOf(c.bundle).bundleIsFolder ? formats::zip::BundleKind::folder
                                                             : formats::zip::BundleKind::file;
        const auto problems =
            formats::zip::checkBundleArchive(c.zip.getData(), c.zip.getSize(), c.bundle, shape);
        const auto found =
            std::find_if(problems.begin(), problems.end(),
                         [&c](const auto& p) { return p.kind == c.kind && p.entry == c.named; });
        ASSERT_NE(found, problems.end()) << c.what;
        EXPECT_TRUE(verdicts.build.output.contains("archive " + archive.getFullPathName() + ": " +
                                                   juce::String(found->describe())))
            << c.what << "\n"
            << verdicts.build.output;
    }

    // Without an end record there is no entry to name: the archive is.
    auto truncated = makeZip(good);
    truncated.setSize(truncated.getSize() - 30);
    const auto archive = write(truncated);
    const auto verdicts = judge(archive, "Ostrand.vst3");
    EXPECT_FALSE(verdicts.installed);
    EXPECT_EQ(verdicts.build.exitCode, 1);
    EXPECT_TRUE(verdicts.build.output.contains("VST3 archive " + archive.getFullPathName() +
                                               ": is not a readable zip archive"))
        << verdicts.build.output;
}

TEST_F(ArchiveCheck, ArchivesOfRealToolsPassAndInstallAsUnzipExtractsThem)
{
    const auto corpus = root.getChildFile("corpus");
    const auto made = runProcess(
        {"python3", "-B", VX_SOURCE_DIR "/tests/payload/real_tool_archives.py", corpus.getFullPathName()});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    const auto lines = juce::StringArray::fromLines(made.output.trim());
    // Six archivers, three formats.
    ASSERT_EQ(lines.size(), 18) << made.output;

    for (const auto& line : lines)
    {
        const auto fields = juce::StringArray::fromTokens(line, " ", "");
        ASSERT_EQ(fields.size(), 3) << line;
        const juce::File archive(fields[2]);
        const auto bundle = "Ostrand" + juce::String(fields[1] == "aax" ? ".aaxplugin" : "." + fields[1]);
        const auto verdicts = judge(archive, bundle);
        EXPECT_EQ(verdicts.build.exitCode, 0) << line << "\n" << verdicts.build.output;
        ASSERT_TRUE(verdicts.installed) << line;
        const auto installed = snapshotTree(root.getChildFile("installed"));
        EXPECT_EQ(installed, unzipped(archive)) << line;
        EXPECT_GE(installed.size(), fields[1] == "clap" ? 1u : 5u) << line;
    }
}
