#include "install/BundleLock.h"
#include "install/BundleTransaction.h"
#include "install/FormatRun.h"
#include "install/InstallEngine.h"
#include "install/InstallStatus.h"
#include "install/ZipExtraction.h"
#include "platform/Platform.h"
#include "support/TestEnvironment.h"
#include "support/TreeSnapshot.h"
#include "support/ZipFixture.h"
#include "texts/Sentences.h"
#include "ui/MainComponent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <functional>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>
#include <set>

using namespace testing_support;

namespace
{
// The install folders below the fixture root (the default folders' child paths), and the
// bundle in each.
const auto folders = []
{
    catalogue::PerFormat<std::string> paths;
    for (size_t i = 0; i < paths.size(); ++i)
        paths[i] = catalogue::formatTable[i].defaultFolder;
    return paths;
}();
const auto bundles = []
{
    catalogue::PerFormat<std::string> paths;
    for (size_t i = 0; i < paths.size(); ++i)
        paths[i] = folders[i] + "/" + catalogue::productName + catalogue::formatTable[i].extension;
    return paths;
}();

// Other plug-ins and files in the install folders, and a folder outside them.
const TreeSnapshot siblings = {
    {"VST3", "dir"},
    {"VST3/Other.vst3", "dir"},
    {"VST3/Other.vst3/Contents", "dir"},
    {"VST3/Other.vst3/Contents/other.bin", "file:other plug-in"},
    {"VST3/Ostrand.vst3.txt", "file:not the bundle"},
    {"CLAP", "dir"},
    {"CLAP/Other.clap", "file:other clap"},
    {"Avid", "dir"},
    {"Avid/Audio", "dir"},
    {"Avid/Audio/Plug-Ins", "dir"},
    {"Avid/Audio/Plug-Ins/Other.aaxplugin", "dir"},
    {"Avid/Audio/Plug-Ins/Other.aaxplugin/x.bin", "file:other aax"},
    {"Shared", "dir"},
    {"Shared/keep.txt", "file:keep me"},
};

TreeSnapshot merged(TreeSnapshot a, const TreeSnapshot& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

// The tree the fixture archive of a format in a version gives at `path`.
TreeSnapshot bundleTree(int format, const std::string& version, const std::string& path)
{
    TreeSnapshot tree;
    const auto bundleName = juce::File(bundles[format]).getFileName().toStdString();
    for (const auto& entry : bundleEntries(format, version))
    {
        auto relative =
            juce::String(entry.name).replaceCharacter('\\', '/').substring((int)bundleName.size());
        const bool folder = relative.endsWithChar('/');
        relative = relative.trimCharactersAtEnd("/");
        tree[path + relative.toStdString()] = folder ? "dir" : "file:" + entry.content;
        if (relative.isNotEmpty())
            tree[path] = "dir";
        for (auto parent = relative.upToLastOccurrenceOf("/", false, false); parent.isNotEmpty();
             parent = parent.upToLastOccurrenceOf("/", false, false))
            tree[path + parent.toStdString()] = "dir";
    }
    return tree;
}

TreeSnapshot oldBundle(int format)
{
    return bundleTree(format, "old", bundles[format]);
}
TreeSnapshot newBundle(int format)
{
    return bundleTree(format, "new", bundles[format]);
}

bool isBelow(const std::string& path, const std::string& bundle)
{
    return path == bundle || path.rfind(bundle + "/", 0) == 0;
}

// The part of a snapshot at and below a format's bundle.
TreeSnapshot bundlePart(const TreeSnapshot& tree, int format)
{
    TreeSnapshot part;
    for (const auto& item : tree)
        if (isBelow(item.first, bundles[format]))
            part.insert(item);
    return part;
}

// Everything outside the three bundles.
TreeSnapshot outsideBundles(const TreeSnapshot& tree)
{
    TreeSnapshot rest;
    for (const auto& item : tree)
        if (!isBelow(item.first, bundles[0]) && !isBelow(item.first, bundles[1]) &&
            !isBelow(item.first, bundles[2]))
            rest.insert(item);
    return rest;
}

// File operations that fail where a test says, with the error code the system would give
// (a full disk, a name that cannot be created, a bundle that a host holds open).
class FaultyFileOperations : public install::FileOperations
{
public:
    juce::File failCreatingAt;   // creating this path or anything below it fails
    juce::File failRenamingFrom; // renaming this path fails
    juce::File failDeleting;     // removing this path fails, after removing nothing
    juce::int64 diskSpace = -1;  // bytes that can still be written; -1: no limit
    int errorCode = EACCES;      // what the failing call reports (ENOSPC for the full disk)

    install::FileError createFolder(const juce::File& folder) override
    {
        if (isBlocked(folder))
            return install::FileError::of(folder, errorCode);
        return FileOperations::createFolder(folder);
    }

    install::NewFile createFile(const juce::File& file) override
    {
        if (isBlocked(file))
            return {nullptr, install::FileError::of(file, errorCode)};
        auto created = FileOperations::createFile(file);
        if (created.error || diskSpace < 0)
            return created;
        created.writer = std::make_unique<DiskWithLimit>(std::move(created.writer), diskSpace, file);
        return created;
    }

    install::FileError rename(const juce::File& from, const juce::File& to) override
    {
        if (from == failRenamingFrom)
            return install::FileError::of(from, errorCode);
        return FileOperations::rename(from, to);
    }

    install::FileError deleteRecursively(const juce::File& file) override
    {
        if (file == failDeleting)
            return install::FileError::of(file, errorCode);
        return FileOperations::deleteRecursively(file);
    }

private:
    bool isBlocked(const juce::File& file) const
    {
        return failCreatingAt != juce::File() && (file == failCreatingAt || file.isAChildOf(failCreatingAt));
    }

    // Writes until the shared space runs out, then fails like a full disk.
    struct DiskWithLimit : install::FileWriter
    {
        DiskWithLimit(std::unique_ptr<install::FileWriter> w, juce::int64& space, const juce::File& f)
            : writer(std::move(w)), left(space), file(f)
        {
        }
        install::FileError write(const void* data, size_t count) override
        {
            const auto fits = (size_t)juce::jmin((juce::int64)count, left);
            if (auto error = writer->write(data, fits))
                return error;
            left -= (juce::int64)fits;
            return install::FileError::of(file, fits == count ? 0 : ENOSPC);
        }

        std::unique_ptr<install::FileWriter> writer;
        juce::int64& left;
        juce::File file;
    };
};

class InstallEngine : public ::testing::Test
{
protected:
    ScopedWinePrefix prefix;
    const juce::File root = prefix.commonFiles();
    catalogue::PerFormat<juce::File> installFolders;
    catalogue::PerFormat<juce::MemoryBlock> goodZips;

    void SetUp() override
    {
        for (size_t i = 0; i < 3; ++i)
        {
            installFolders[i] = root.getChildFile(folders[i]);
            goodZips[i] = makeZip(bundleEntries((int)i));
        }
    }

    // The format's archive with the CRC-32 of its last entry wrong.
    static juce::MemoryBlock badCrcZip(int format)
    {
        auto entries = bundleEntries(format);
        entries.back().wrongCrc = true;
        return makeZip(entries);
    }

    static install::ArchiveData dataOf(const juce::MemoryBlock& zip)
    {
        return {zip.getData(), zip.getSize()};
    }

    catalogue::PerFormat<install::ArchiveData> goodArchives() const
    {
        return {dataOf(goodZips[0]), dataOf(goodZips[1]), dataOf(goodZips[2])};
    }

    bool runEngine(catalogue::PerFormat<bool>& selected, bool uninstall,
                   const catalogue::PerFormat<install::ArchiveData>& archives,
                   install::FileOperations& operations = install::defaultFileOperations())
    {
        return install::processSelectedFormats(selected, uninstall, installFolders, "Ostrand", archives,
                                               operations);
    }

    install::InstallReport runReport(catalogue::PerFormat<bool>& selected, bool uninstall,
                                     const catalogue::PerFormat<install::ArchiveData>& archives,
                                     install::FileOperations& operations = install::defaultFileOperations())
    {
        return install::runSelectedFormats(selected, uninstall, installFolders, "Ostrand", archives,
                                           operations);
    }
};
} // namespace

TEST_F(InstallEngine, RunsOverAFixtureInstallTree)
{
    enum Outcome
    {
        New,
        Old,
        Absent
    };
    struct Run
    {
        const char* what;
        TreeSnapshot start;
        catalogue::PerFormat<bool> selected;
        bool uninstall;
        catalogue::PerFormat<bool> damaged; // the format's archive fails its CRC check
        bool result;
        catalogue::PerFormat<Outcome> bundles;
        TreeSnapshot restAfter = siblings; // everything outside the three bundles afterwards
    };
    const auto allOld = merged(merged(oldBundle(0), oldBundle(1)), oldBundle(2));
    const auto oldVst3WithLeftovers = merged(
        bundleTree(0, "older", "VST3/.Ostrand.vst3.vx-previous"),
        {{"VST3/.Ostrand.vst3.vx-staging", "dir"}, {"VST3/.Ostrand.vst3.vx-staging/partial", "file:half"}});
    const TreeSnapshot linksOut = {{"VST3/Ostrand.vst3/Contents/shared", "link:../../../Shared"},
                                   {"VST3/Ostrand.vst3/keep", "link:../../Shared/keep.txt"}};
    const bool install = false, uninstall = true;
    const catalogue::PerFormat<bool> none{}, all{true, true, true}, vst3{true, false, false},
        clap{false, true, false};

    std::vector<Run> runs = {
        {"install into missing install folders",
         {},
         all,
         install,
         none,
         true,
         {New, New, New},
         {{"VST3", "dir"},
          {"CLAP", "dir"},
          {"Avid", "dir"},
          {"Avid/Audio", "dir"},
          {"Avid/Audio/Plug-Ins", "dir"}}},
        {"install over a bundle holding an extra file",
         merged(merged(siblings, oldBundle(0)), {{"VST3/Ostrand.vst3/Contents/extra.txt", "file:extra"}}),
         vst3,
         install,
         none,
         true,
         {New, Absent, Absent}},
        {"install where the folder bundle is a file and the file bundle a folder",
         merged(siblings, {{"VST3/Ostrand.vst3", "file:a file"},
                           {"CLAP/Ostrand.clap", "dir"},
                           {"CLAP/Ostrand.clap/inside", "file:x"}}),
         {true, true, false},
         install,
         none,
         true,
         {New, New, Absent}},
        {"uninstall of missing bundles", siblings, all, uninstall, none, true, {Absent, Absent, Absent}},
        {"uninstall of folder and file bundles",
         merged(siblings, allOld),
         all,
         uninstall,
         none,
         true,
         {Absent, Absent, Absent}},
        {"VST3 fails, AAX succeeds",
         merged(siblings, allOld),
         {true, false, true},
         install,
         {true, false, false},
         false,
         {Old, Old, New}},
        {"VST3 succeeds, AAX fails",
         merged(siblings, allOld),
         {true, false, true},
         install,
         {false, false, true},
         false,
         {New, Old, Old}},
        {"no format selected", merged(siblings, allOld), none, install, none, false, {Old, Old, Old}},
        {"no format selected, uninstall mode",
         merged(siblings, allOld),
         none,
         uninstall,
         none,
         false,
         {Old, Old, Old}},
        {"only CLAP selected", merged(siblings, allOld), clap, install, none, true, {Old, New, Old}},
        {"leftovers of an interrupted run are removed",
         merged(merged(siblings, allOld),
                merged(oldVst3WithLeftovers, {{"CLAP/.Ostrand.clap.vx-staging", "file:"}})),
         {true, true, false},
         install,
         none,
         true,
         {New, New, Old}},
        {"a bundle set aside by an interrupted run comes back when the install fails",
         merged(siblings, bundleTree(0, "old", "VST3/.Ostrand.vst3.vx-previous")),
         vst3,
         install,
         all,
         false,
         {Old, Absent, Absent}},
        {"uninstall removes the leftovers too",
         merged(merged(siblings, allOld), oldVst3WithLeftovers),
         vst3,
         uninstall,
         none,
         true,
         {Absent, Old, Old}},
#if !JUCE_WINDOWS
        {"uninstall removes links out of the bundle as links",
         merged(merged(siblings, oldBundle(0)), linksOut),
         vst3,
         uninstall,
         none,
         true,
         {Absent, Absent, Absent}},
        {"install removes links out of the old bundle as links",
         merged(merged(siblings, oldBundle(0)), linksOut),
         vst3,
         install,
         none,
         true,
         {New, Absent, Absent}},
#endif
    };

    for (auto& run : runs)
    {
        SCOPED_TRACE(run.what);
        root.deleteRecursively();
        writeTree(root, run.start);
        ASSERT_EQ(snapshotTree(root), run.start);

        catalogue::PerFormat<juce::MemoryBlock> zips;
        catalogue::PerFormat<install::ArchiveData> archives;
        for (int i = 0; i < 3; ++i)
        {
            zips[(size_t)i] = run.damaged[(size_t)i] ? badCrcZip(i) : goodZips[(size_t)i];
            archives[(size_t)i] = dataOf(zips[(size_t)i]);
        }

        auto selected = run.selected;
        EXPECT_EQ(runEngine(selected, run.uninstall, archives), run.result);
        EXPECT_EQ(selected, none);

        const auto after = snapshotTree(root);
        for (int i = 0; i < 3; ++i)
        {
            const auto expected = run.bundles[(size_t)i] == New   ? newBundle(i)
                                  : run.bundles[(size_t)i] == Old ? oldBundle(i)
                                                                  : TreeSnapshot{};
            EXPECT_EQ(bundlePart(after, i), expected) << bundles[i];
        }
        EXPECT_EQ(outsideBundles(after), run.restAfter);
    }
}

TEST_F(InstallEngine, AFailedInstallLeavesTheOldBundleByteForByte)
{
    struct Fault
    {
        const char* what;
        std::function<void(int format, TreeSnapshot& start, juce::MemoryBlock& zip, FaultyFileOperations&)>
            arrange;
    };
    const auto bundleFile = [this](int format)
    {
        return root.getChildFile(bundles[format]);
    };
    const std::vector<Fault> faults = {
        {"an archive whose CRC-32 does not match",
         [](int format, auto&, auto& zip, auto&)
         {
             zip = badCrcZip(format);
         }},
        {"a truncated archive",
         [](int, auto&, auto& zip, auto&)
         {
             zip.setSize(zip.getSize() * 3 / 4);
         }},
        {"an archive with an entry outside the bundle",
         [&](int format, auto&, auto& zip, auto&)
         {
             const auto name = bundleFile(format).getFileName().toStdString();
             zip = makeZip({{name + "\\a", "x"}, {name + "\\..\\Other.vst3\\evil", "y"}});
         }},
        {"an install folder that is a file",
         [&](int format, auto& start, auto&, auto&)
         {
             for (auto it = start.begin(); it != start.end();)
                 it = it->first.rfind(folders[format], 0) == 0 ? start.erase(it) : std::next(it);
             start[folders[format]] = "file:not a folder";
         }},
        {"a staging name that cannot be created",
         [&](int format, auto&, auto&, auto& operations)
         {
             operations.failCreatingAt = install::getStagingFile(bundleFile(format));
         }},
        {"a disk that fills up half-way",
         [](int, auto&, auto&, auto& operations)
         {
             operations.diskSpace = 200;
         }},
        {"a bundle that cannot be moved aside",
         [&](int format, auto&, auto&, auto& operations)
         {
             operations.failRenamingFrom = bundleFile(format);
         }},
        {"a new bundle that cannot be moved into place",
         [&](int format, auto&, auto&, auto& operations)
         {
             operations.failRenamingFrom = install::getStagingFile(bundleFile(format));
         }},
    };

    // VST3: a folder bundle; CLAP: a file bundle.
    for (int format : {0, 1})
        for (const auto& fault : faults)
        {
            SCOPED_TRACE(std::string(fault.what) + ", " + bundles[format]);
            auto start = merged(siblings, merged(merged(oldBundle(0), oldBundle(1)), oldBundle(2)));
            auto zip = goodZips[(size_t)format];
            FaultyFileOperations operations;
            fault.arrange(format, start, zip, operations);

            root.deleteRecursively();
            writeTree(root, start);
            ASSERT_EQ(snapshotTree(root), start);

            auto archives = goodArchives();
            archives[(size_t)format] = dataOf(zip);
            catalogue::PerFormat<bool> selected{};
            selected[(size_t)format] = true;
            EXPECT_FALSE(runEngine(selected, false, archives, operations));
            EXPECT_FALSE(selected[(size_t)format]);
            EXPECT_EQ(snapshotTree(root), start);
        }
}

TEST_F(InstallEngine, AnOldBundleThatCannotBeRemovedAfterTheSwitchGoesAtTheNextRun)
{
    writeTree(root, merged(siblings, oldBundle(0)));
    const auto bundle = root.getChildFile(bundles[0]);
    FaultyFileOperations operations;
    operations.failDeleting = install::getSetAsideFile(bundle);

    catalogue::PerFormat<bool> selected{true, false, false};
    EXPECT_TRUE(runEngine(selected, false, goodArchives(), operations));
    EXPECT_EQ(bundlePart(snapshotTree(root), 0), newBundle(0));
    EXPECT_TRUE(install::getSetAsideFile(bundle).isDirectory());

    selected = {true, false, false};
    EXPECT_TRUE(runEngine(selected, false, goodArchives()));
    const auto after = snapshotTree(root);
    EXPECT_EQ(bundlePart(after, 0), newBundle(0));
    EXPECT_EQ(outsideBundles(after), siblings);
}

TEST_F(InstallEngine, AnUninstallFailsOnlyWhileTheBundleCannotBeTakenAway)
{
    for (const int format : {0, 1})
    {
        SCOPED_TRACE(bundles[format]);
        writeTree(root, merged(siblings, oldBundle(format)));
        const auto bundle = root.getChildFile(bundles[format]);
        catalogue::PerFormat<bool> selected{};

        // A file of it held open without sharing: Windows refuses the rename, nothing changes.
        FaultyFileOperations held;
        held.failRenamingFrom = bundle;
        selected[(size_t)format] = true;
        EXPECT_FALSE(runEngine(selected, true, goodArchives(), held));
        EXPECT_EQ(bundlePart(snapshotTree(root), format), oldBundle(format));

        // A module still loaded: renamed away but not deleted. Uninstalled; the leftover
        // stops no later run and goes with the next one.
        FaultyFileOperations loaded;
        loaded.failDeleting = install::getRemovalFile(bundle);
        selected[(size_t)format] = true;
        EXPECT_TRUE(runEngine(selected, true, goodArchives(), loaded));
        EXPECT_FALSE(install::isFormatInstalled(bundle.getParentDirectory(), "Ostrand", format));
        EXPECT_TRUE(install::isPresent(install::getRemovalFile(bundle)));
        selected[(size_t)format] = true;
        EXPECT_TRUE(runEngine(selected, false, goodArchives(), loaded));
        selected[(size_t)format] = true;
        EXPECT_TRUE(runEngine(selected, true, goodArchives()));
        EXPECT_EQ(snapshotTree(root), siblings);
        ASSERT_TRUE(root.deleteRecursively());
    }
}

// An uninstall killed at any point (here: before each file removal, in a process of its
// own that really dies) leaves the whole bundle or none under the bundle's name; the next
// run removes what is left and reports success.
TEST_F(InstallEngine, AKilledUninstallLeavesTheWholeBundleOrNoneAndTheNextRunFinishes)
{
    struct DyingOperations : install::FileOperations
    {
        int removalsLeft = 0;
        install::FileError deleteRecursively(const juce::File& file) override
        {
            if (install::isPresent(file) && (file.isSymbolicLink() || !file.isDirectory()) &&
                removalsLeft-- == 0)
                ::raise(SIGKILL);
            return FileOperations::deleteRecursively(file);
        }
    };

    const auto bundle = root.getChildFile(bundles[0]);
    const auto whole = oldBundle(0);
    const int files =
        (int)std::count_if(whole.begin(), whole.end(), [](const auto& item) { return item.second != "dir"; });
    ASSERT_GE(files, 3);
    for (int killAt = 0; killAt < files; ++killAt)
    {
        SCOPED_TRACE("killed before file removal " + std::to_string(killAt + 1));
        ASSERT_TRUE(root.deleteRecursively());
        writeTree(root, merged(siblings, whole));

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            DyingOperations operations;
            operations.removalsLeft = killAt;
            install::uninstallBundle(bundle, operations);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        const auto part = bundlePart(snapshotTree(root), 0);
        EXPECT_TRUE(part.empty()) << "a torn bundle: " << part.size() << " entries left under its name";
        EXPECT_FALSE(install::isFormatInstalled(bundle.getParentDirectory(), "Ostrand", 0));

        EXPECT_TRUE(install::uninstallBundle(bundle, install::defaultFileOperations()).succeeded());
        EXPECT_EQ(snapshotTree(root), siblings);
    }
}

// Each call says how it ended; nothing carries over from one call to the next.
TEST_F(InstallEngine, EachFileCallReturnsItsOwnOutcome)
{
    writeTree(root, {{"a.txt", "file:a"},
                     {"b.txt", "file:b"},
                     {"dir", "dir"},
                     {"dir/x", "file:x"},
                     {"dir/y", "file:y"},
                     {"dir/z", "file:z"}});
    FaultyFileOperations operations;
    const auto a = root.getChildFile("a.txt");
    const auto b = root.getChildFile("b.txt");

    const auto taken = operations.rename(a, b);
    EXPECT_EQ(taken.code, EEXIST);
    EXPECT_EQ(taken.path, b);
    EXPECT_FALSE(operations.rename(a, root.getChildFile("c.txt")));

    const auto belowFile = operations.createFolder(b.getChildFile("sub"));
    EXPECT_EQ(belowFile.code, EEXIST); // the file stands where its folder must be made
    EXPECT_EQ(belowFile.path, b);
    EXPECT_FALSE(operations.createFolder(root.getChildFile("new/deeper")));

    // A removal goes on past what it cannot remove and returns the first failure.
    operations.failDeleting = root.getChildFile("dir/y");
    const auto partly = operations.deleteRecursively(root.getChildFile("dir"));
    EXPECT_EQ(partly.code, EACCES);
    EXPECT_EQ(partly.path, root.getChildFile("dir/y"));
    EXPECT_EQ(snapshotTree(root.getChildFile("dir")), (TreeSnapshot{{"y", "file:y"}}));

    auto created = operations.createFile(root.getChildFile("c.txt"));
    EXPECT_EQ(created.error.code, EEXIST);
    EXPECT_EQ(created.writer, nullptr);
}

TEST_F(InstallEngine, AnEmptyInstallFolderIsRefused)
{
    // It would put the bundle at the root of a drive.
    installFolders[0] = juce::File();
    for (bool uninstall : {false, true})
    {
        catalogue::PerFormat<bool> selected{true, false, false};
        EXPECT_FALSE(runEngine(selected, uninstall, goodArchives())) << uninstall;
        EXPECT_EQ(selected, (catalogue::PerFormat<bool>{})) << uninstall;
    }
}

TEST_F(InstallEngine, InstallsAndUninstallsTheEmbeddedArchives)
{
    writeTree(root, siblings);
    catalogue::PerFormat<bool> selected{true, true, true};
    ASSERT_TRUE(install::processSelectedFormats(selected, false, installFolders, "Ostrand"));
    EXPECT_EQ(selected, (catalogue::PerFormat<bool>{}));

    // Every entry of each archive is in place with its size, and nothing else came along.
    for (int format = 0; format < 3; ++format)
    {
        const auto archive = install::getFormatArchive(format);
        const auto entries = install::readZipDirectory(archive.data, archive.size);
        ASSERT_TRUE(entries.has_value()) << format;
        const auto bundle = root.getChildFile(bundles[format]);
        std::set<juce::String> expectedPaths;
        for (const auto& entry : *entries)
        {
            const auto target = install::getEntryTarget(entry.name, bundle.getFileName(), bundle);
            ASSERT_TRUE(target.has_value()) << entry.name;
            expectedPaths.insert(target->getFullPathName());
            EXPECT_EQ(target->isDirectory(), entry.isFolder) << entry.name;
            if (!entry.isFolder)
            {
                EXPECT_EQ(target->getSize(), (juce::int64)entry.uncompressedSize) << entry.name;
            }
        }
        for (const auto& item : bundle.findChildFiles(juce::File::findFilesAndDirectories, true))
            if (item.isDirectory())
                expectedPaths.insert(item.getFullPathName()); // folders implied by the paths
            else
                EXPECT_EQ(expectedPaths.count(item.getFullPathName()), 1u) << item.getFullPathName();
    }
    EXPECT_EQ(outsideBundles(snapshotTree(root)), siblings);

    selected = {true, true, true};
    EXPECT_TRUE(install::processSelectedFormats(selected, true, installFolders, "Ostrand"));
    EXPECT_EQ(snapshotTree(root), siblings);
}

TEST_F(InstallEngine, NothingIsMadeOnADriveOrShareThatDoesNotExist)
{
    const struct
    {
        const char* what;
        bool withDosDevices;
    } prefixes[] = {{"a prefix without dosdevices", false}, {"a prefix with dosdevices", true}};
    for (const auto& p : prefixes)
    {
        SCOPED_TRACE(p.what);
        ScopedWinePrefix wine;
        if (p.withDosDevices)
        {
            const auto devices = wine.folder.getChildFile("dosdevices");
            ASSERT_TRUE(devices.createDirectory().wasOk());
            ASSERT_TRUE(juce::File::createSymbolicLink(devices.getChildFile("c:"), "../drive_c", true));
        }
        const auto before = snapshotTree(wine.folder);

        for (const auto* path : {"Q:\\Plugins\\VST3", "\\\\nosuchserver\\share\\CLAP",
                                 "\\\\.\\PhysicalDrive0\\AAX", "\\\\?\\Q:\\Plugins"})
        {
            SCOPED_TRACE(path);
            const auto folder = platform::fileFromWindowsPath(path);
            for (const bool uninstall : {false, true})
            {
                const auto result = install::runFormat(folder.getChildFile("Ostrand.vst3"), uninstall,
                                                       dataOf(goodZips[0]), install::defaultFileOperations());
                EXPECT_EQ(result.reason, install::FailureReason::installFolderMissing);
            }
            installFolders = {folder, folder, folder};
            catalogue::PerFormat<bool> selected{true, true, true};
            EXPECT_FALSE(runEngine(selected, false, goodArchives()));
            EXPECT_EQ(snapshotTree(wine.folder), before);
        }

        // \\?\ and \\.\ before a drive that exists name that drive, as on Windows.
        for (const auto* path : {"\\\\?\\C:\\Raw", "\\\\.\\C:\\Device"})
        {
            SCOPED_TRACE(path);
            installFolders[1] = platform::fileFromWindowsPath(path);
            catalogue::PerFormat<bool> selected{false, true, false};
            EXPECT_TRUE(runEngine(selected, false, goodArchives()));
            EXPECT_TRUE(installFolders[1].getChildFile("Ostrand.clap").existsAsFile());
            EXPECT_TRUE(installFolders[1].isAChildOf(wine.driveC()));
        }
    }
}

TEST_F(InstallEngine, ABundleInAnotherCaseIsTheBundle)
{
    // As the Windows program finds it under Wine: installed, replaced (taking the archive's
    // spelling, as on Windows), and removed, never joined by a second spelling.
    const TreeSnapshot otherCase = {{"CLAP", "dir"},
                                    {"CLAP/OSTRAND.clap", "file:old"},
                                    {"Avid", "dir"},
                                    {"Avid/Audio", "dir"},
                                    {"Avid/Audio/Plug-Ins", "dir"},
                                    {"Avid/Audio/Plug-Ins/ostrand.AAXPLUGIN", "dir"},
                                    {"Avid/Audio/Plug-Ins/ostrand.AAXPLUGIN/contents", "dir"}};
    writeTree(root, otherCase);
    EXPECT_TRUE(install::isFormatInstalled(installFolders[1], "Ostrand", 1));
    EXPECT_TRUE(install::isFormatInstalled(installFolders[2], "Ostrand", 2));
    EXPECT_TRUE(install::getVersionSourceFile(installFolders[2], "Ostrand", 2)
                    .isAChildOf(root.getChildFile("Avid/Audio/Plug-Ins/ostrand.AAXPLUGIN/contents")));

    catalogue::PerFormat<bool> selected{false, true, true};
    ASSERT_TRUE(runEngine(selected, false, goodArchives()));
    EXPECT_EQ(
        snapshotTree(root),
        merged(merged(bundleTree(1, "new", bundles[1]), bundleTree(2, "new", bundles[2])),
               {{"CLAP", "dir"}, {"Avid", "dir"}, {"Avid/Audio", "dir"}, {"Avid/Audio/Plug-Ins", "dir"}}));

    writeTree(root, otherCase);
    root.getChildFile(bundles[1]).deleteFile();
    root.getChildFile(bundles[2]).deleteRecursively();
    selected = {false, true, true};
    ASSERT_TRUE(runEngine(selected, true, goodArchives()));
    EXPECT_EQ(snapshotTree(root),
              (TreeSnapshot{
                  {"CLAP", "dir"}, {"Avid", "dir"}, {"Avid/Audio", "dir"}, {"Avid/Audio/Plug-Ins", "dir"}}));
}

TEST_F(InstallEngine, AnUninstallRemovesEverySpellingWindowsWouldTakeForTheBundle)
{
    // Only a case-sensitive file system holds both; the status rule sees either as the bundle.
    writeTree(root, merged(siblings, {{"CLAP/Ostrand.clap", "file:one"},
                                      {"CLAP/OSTRAND.CLAP", "file:two"},
                                      {"CLAP/ostrand.Clap", "file:three"}}));
    catalogue::PerFormat<bool> selected{false, true, false};
    EXPECT_TRUE(runEngine(selected, true, goodArchives()));
    EXPECT_FALSE(install::isFormatInstalled(installFolders[1], "Ostrand", 1));
    EXPECT_EQ(snapshotTree(root), siblings);

    // One that cannot go is named, and the status still shows the product installed.
    writeTree(root, merged(siblings, {{"CLAP/Ostrand.clap", "file:one"}, {"CLAP/OSTRAND.CLAP", "file:two"}}));
    FaultyFileOperations operations;
    operations.failRenamingFrom = root.getChildFile("CLAP/OSTRAND.CLAP");
    selected = {false, true, false};
    const auto report = runReport(selected, true, goodArchives(), operations);
    ASSERT_EQ(report.formats.size(), 1u);
    EXPECT_EQ(report.formats[0].outcome, install::FormatOutcome::failed);
    EXPECT_EQ(report.formats[0].path, root.getChildFile("CLAP/OSTRAND.CLAP"));
    EXPECT_TRUE(install::isFormatInstalled(installFolders[1], "Ostrand", 1));
}

TEST_F(InstallEngine, ALinkAtTheLockFilesNameBlocksThePathAndIsNamed)
{
    ASSERT_TRUE(installFolders[1].createDirectory().wasOk());
    const auto bundle = installFolders[1].getChildFile("Ostrand.clap");
    const auto victim = prefix.folder.getChildFile("victim.txt");
    ASSERT_TRUE(victim.replaceWithText("keep"));
    ASSERT_TRUE(victim.createSymbolicLink(install::getLockFile(bundle), true));

    auto report =
        install::runFormat(bundle, false, install::getFormatArchive(1), install::defaultFileOperations(), 0);
    EXPECT_EQ(report.reason, install::FailureReason::pathBlocked);
    report.format = 1;
    EXPECT_TRUE(texts::describeFormat(report, "Ostrand", false).contains("\".Ostrand.clap.vx-lock\""))
        << texts::describeFormat(report, "Ostrand", false);
    EXPECT_EQ(victim.loadFileAsString(), juce::String("keep"));
    EXPECT_FALSE(bundle.exists());
}

TEST_F(InstallEngine, AFailedInstallRemovesTheFoldersItMadeAndNoOthers)
{
    writeTree(root, siblings);
    const auto before = snapshotTree(prefix.folder);
    const struct
    {
        const char* what;
        const char* folder; // below the fixture root
        bool badArchive;    // else the folder itself cannot be made at its deepest level
    } cases[] = {
        {"a damaged archive, three new levels", "New/Nested/VST3", true},
        {"a damaged archive, one new level below existing ones", "Avid/Audio/New", true},
        {"the deepest level cannot be made", "New/Nested/VST3", false},
        {"a damaged archive, the folder exists", "VST3", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        installFolders[0] = root.getChildFile(c.folder);
        FaultyFileOperations operations;
        if (!c.badArchive)
            operations.failCreatingAt = installFolders[0];
        const auto zip = c.badArchive ? badCrcZip(0) : goodZips[0];
        catalogue::PerFormat<bool> selected{true, false, false};
        EXPECT_FALSE(
            runEngine(selected, false, {dataOf(zip), dataOf(goodZips[1]), dataOf(goodZips[2])}, operations));
        EXPECT_EQ(snapshotTree(prefix.folder), before);
    }

    // A folder that someone filled meanwhile stays, with what is in it.
    installFolders[0] = root.getChildFile("New/Nested/VST3");
    struct FillingOperations : FaultyFileOperations
    {
        juce::File other;
        install::FileError createFolder(const juce::File& folder) override
        {
            auto error = FaultyFileOperations::createFolder(folder);
            if (!error && folder == other.getParentDirectory())
                other.replaceWithText("someone else's");
            return error;
        }
    } filling;
    filling.other = root.getChildFile("New/theirs.txt");
    const auto zip = badCrcZip(0);
    catalogue::PerFormat<bool> selected{true, false, false};
    EXPECT_FALSE(
        runEngine(selected, false, {dataOf(zip), dataOf(goodZips[1]), dataOf(goodZips[2])}, filling));
    EXPECT_TRUE(filling.other.existsAsFile());
    EXPECT_FALSE(root.getChildFile("New/Nested").exists());
}

TEST_F(InstallEngine, TheNewBundleReachesTheDiskBeforeTheOldIsSetAside)
{
    struct RecordingOperations : install::FileOperations
    {
        juce::StringArray steps;
        install::FileError rename(const juce::File& from, const juce::File& to) override
        {
            steps.add("rename " + from.getFileName() + " " + to.getFileName());
            return FileOperations::rename(from, to);
        }
        install::FileError flushToDisk(const juce::File& file) override
        {
            steps.add("flush " + file.getFileName());
            return FileOperations::flushToDisk(file);
        }
    };
    writeTree(root, merged(siblings, oldBundle(0)));
    RecordingOperations operations;
    catalogue::PerFormat<bool> selected{true, false, false};
    ASSERT_TRUE(runEngine(selected, false, goodArchives(), operations));
    EXPECT_EQ(operations.steps.joinIntoString(" | "),
              "flush .Ostrand.vst3.vx-staging | rename Ostrand.vst3 .Ostrand.vst3.vx-previous | "
              "rename .Ostrand.vst3.vx-staging Ostrand.vst3");

    // A bundle that cannot be written through is not switched in: the old one stays.
    struct UnflushableOperations : install::FileOperations
    {
        install::FileError flushToDisk(const juce::File& file) override
        {
            return install::FileError::of(file, EIO);
        }
    } unflushable;
    writeTree(root.getChildFile("CLAP"), {{"Ostrand.clap", "file:old clap"}});
    selected = {false, true, false};
    EXPECT_FALSE(runEngine(selected, false, goodArchives(), unflushable));
    EXPECT_EQ(root.getChildFile("CLAP/Ostrand.clap").loadFileAsString(), "old clap");
    EXPECT_FALSE(root.getChildFile("CLAP/.Ostrand.clap.vx-staging").exists());
}

namespace
{
// A second installer in its own process, held inside its transaction until let go.
class SecondInstaller
{
public:
    SecondInstaller(int format, const juce::File& folder, const juce::File& scratch)
        : ready(scratch.getChildFile("ready")), go(scratch.getChildFile("go"))
    {
        const juce::StringArray command{VX_LOCK_HELPER, juce::String(format), folder.getFullPathName(),
                                        ready.getFullPathName(), go.getFullPathName()};
        started = process.start(command, 0);
    }

    ~SecondInstaller()
    {
        go.create();
        process.waitForProcessToFinish(30000);
    }

    // True once it is writing the new bundle.
    bool waitUntilInside()
    {
        for (int waited = 0; started && waited < 20000; waited += 5)
        {
            if (ready.exists())
                return true;
            juce::Thread::sleep(5);
        }
        return false;
    }

    // Lets it go on; its exit code (0: success).
    int finish()
    {
        go.create();
        return process.waitForProcessToFinish(30000) ? (int)process.getExitCode() : -1;
    }

    void kill() { process.kill(); }

private:
    const juce::File ready, go;
    juce::ChildProcess process;
    bool started = false;
};
} // namespace

TEST_F(InstallEngine, TwoProcessesOnOneBundleNeverMeetInsideIt)
{
    const auto scratch = prefix.folder.getChildFile("scratch");
    ASSERT_TRUE(scratch.createDirectory().wasOk());
    const auto bundle = installFolders[2].getChildFile("Ostrand.aaxplugin");
    const auto archive = install::getFormatArchive(2);

    // The same archive unpacked on its own: what a correct install leaves.
    const auto reference = prefix.folder.getChildFile("reference/Ostrand.aaxplugin");
    ASSERT_TRUE(
        install::installBundle(reference, archive.data, archive.size, install::defaultFileOperations())
            .succeeded());
    const auto expected = snapshotTree(reference);

    {
        SecondInstaller other(2, installFolders[2], scratch);
        ASSERT_TRUE(other.waitUntilInside());

        // This run waits a short while, then fails with its own reason and touches nothing.
        const auto startedAt = juce::Time::getMillisecondCounter();
        for (const bool uninstall : {false, true})
        {
            auto result =
                install::runFormat(bundle, uninstall, archive, install::defaultFileOperations(), 300);
            EXPECT_EQ(result.reason, install::FailureReason::otherInstaller);
            result.format = 2;
            EXPECT_TRUE(texts::describeFormat(result, "Ostrand", uninstall)
                            .contains("another installer is working on Ostrand.aaxplugin"));
        }
        EXPECT_GE(juce::Time::getMillisecondCounter() - startedAt, 600u);
        EXPECT_TRUE(install::getStagingFile(bundle).isDirectory());

        EXPECT_EQ(other.finish(), 0);
    }
    EXPECT_EQ(snapshotTree(bundle), expected);
    EXPECT_FALSE(install::getLockFile(bundle).exists());
    EXPECT_FALSE(install::getStagingFile(bundle).exists());

    // The lock is free again for the next run.
    catalogue::PerFormat<bool> selected{false, false, true};
    EXPECT_TRUE(install::processSelectedFormats(selected, false, installFolders, "Ostrand"));
    EXPECT_EQ(snapshotTree(bundle), expected);
}

TEST_F(InstallEngine, TheLockOfAnInstallerThatDiedIsFree)
{
    const auto scratch = prefix.folder.getChildFile("scratch");
    ASSERT_TRUE(scratch.createDirectory().wasOk());
    const auto bundle = installFolders[1].getChildFile("Ostrand.clap");
    {
        SecondInstaller other(1, installFolders[1], scratch);
        ASSERT_TRUE(other.waitUntilInside());
        other.kill();
        other.finish();
    }
    // Its lock file and staging are left behind; the next run cleans up and installs.
    EXPECT_TRUE(install::getLockFile(bundle).exists());
    const auto archive = install::getFormatArchive(1);
    EXPECT_TRUE(install::runFormat(bundle, false, archive, install::defaultFileOperations(), 0).succeeded());
    EXPECT_TRUE(bundle.existsAsFile());
    EXPECT_FALSE(install::getStagingFile(bundle).exists());
    EXPECT_FALSE(install::getLockFile(bundle).exists());
}

TEST(LeftoverScript, OnlyAFileNamedScriptShIsRemoved)
{
    const auto temporary = juce::File::createTempFile("vx_tmp");
    const auto script = temporary.getChildFile("script.sh");

    temporary.createDirectory();
    install::removeLeftoverScript(temporary);
    EXPECT_FALSE(script.exists());
    EXPECT_EQ(temporary.getNumberOfChildFiles(juce::File::findFilesAndDirectories), 0);

    script.replaceWithText("echo hi");
    temporary.getChildFile("other.sh").replaceWithText("keep");
    install::removeLeftoverScript(temporary);
    EXPECT_FALSE(script.exists());
    EXPECT_TRUE(temporary.getChildFile("other.sh").existsAsFile());

    script.getChildFile("inside").create();
    install::removeLeftoverScript(temporary);
    EXPECT_TRUE(script.getChildFile("inside").existsAsFile());

    temporary.deleteRecursively();
}

TEST(LeftoverScript, RemovedFromThePrefixUsersTemporaryFolderOnlyWhenTheMainComponentIsDestroyed)
{
    // The machine-wide temporary folder (TMPDIR, /tmp) holds other users' files: the one
    // the Windows program would clean is the prefix user's own.
    ScopedWinePrefix prefix;
    const auto* user = ::getpwuid(::getuid());
    const auto own = prefix.driveC().getChildFile("users").getChildFile(user->pw_name).getChildFile("Temp");
    ASSERT_TRUE(own.getChildFile("script.sh").create().wasOk());
    const auto shared = juce::File::createTempFile("vx_shared_tmp");
    ASSERT_TRUE(shared.getChildFile("script.sh").create().wasOk());
    const auto previous = juce::SystemStats::getEnvironmentVariable("TMPDIR", {});
    ::setenv("TMPDIR", shared.getFullPathName().toRawUTF8(), 1);
    {
        MainComponent main;
        EXPECT_TRUE(own.getChildFile("script.sh").existsAsFile());
    }
    EXPECT_FALSE(own.getChildFile("script.sh").exists());
    EXPECT_TRUE(shared.getChildFile("script.sh").existsAsFile());
    if (previous.isNotEmpty())
        ::setenv("TMPDIR", previous.toRawUTF8(), 1);
    else
        ::unsetenv("TMPDIR");

    // A Temp folder that is a link out of the prefix leads nowhere.
    ASSERT_TRUE(own.deleteRecursively());
    ASSERT_TRUE(shared.createSymbolicLink(own, true));
    install::removeLeftoverScript();
    EXPECT_TRUE(shared.getChildFile("script.sh").existsAsFile());
    shared.deleteRecursively();
}

TEST_F(InstallEngine, EachFailureIsReportedWithItsReasonFromTheSystemError)
{
    using install::FailureReason;
    using install::FormatOutcome;
    struct Case
    {
        const char* what;
        int format;
        bool uninstall;
        std::function<void(FaultyFileOperations&, juce::MemoryBlock& zip)> arrange;
        FormatOutcome outcome;
        FailureReason reason;
        std::string path; // below the fixture root; "" for no path
        const char* sentence;
    };
    const auto bundle = [this](int format)
    {
        return root.getChildFile(bundles[format]);
    };
    const std::vector<Case> cases = {
        {"a host holds the bundle (EBUSY)", 1, false,
         [&](auto& operations, auto&)
         {
             operations.failRenamingFrom = bundle(1);
             operations.errorCode = EBUSY;
         },
         FormatOutcome::failed, FailureReason::inUse, bundles[1],
         "CLAP failed: Ostrand.clap is in use by another program. Close it and click INSTALL again."},
        {"a running module cannot be replaced (ETXTBSY)", 0, false,
         [&](auto& operations, auto&)
         {
             operations.failRenamingFrom = bundle(0);
             operations.errorCode = ETXTBSY;
         },
         FormatOutcome::failed, FailureReason::inUse, bundles[0],
         "VST3 failed: Ostrand.vst3 is in use by another program. Close it and click INSTALL again."},
        {"not elevated (EACCES on the install folder)", 0, false,
         [&](auto& operations, auto&)
         {
             root.getChildFile(folders[0]).deleteRecursively();
             operations.failCreatingAt = root.getChildFile(folders[0]);
             operations.errorCode = EACCES;
         },
         FormatOutcome::failed, FailureReason::noPermission, folders[0],
         "VST3 failed: no permission to change Ostrand.vst3. Run as administrator or use a writable folder."},
        {"a read-only drive (EROFS on the staging name)", 2, false,
         [&](auto& operations, auto&)
         {
             operations.failCreatingAt = install::getStagingFile(bundle(2));
             operations.errorCode = EROFS;
         },
         FormatOutcome::failed, FailureReason::noPermission, bundles[2],
         "AAX failed: no permission to change Ostrand.aaxplugin. Run as administrator or use a writable "
         "folder."},
        {"a full disk (ENOSPC while writing)", 1, false,
         [](auto& operations, auto&) { operations.diskSpace = 200; }, FormatOutcome::failed,
         FailureReason::diskFull, bundles[1],
         "CLAP failed: not enough disk space for Ostrand.clap. Free some space and click INSTALL again."},
        {"a drive that does not exist (ENOENT)", 1, false,
         [&](auto& operations, auto&)
         {
             root.getChildFile(folders[1]).deleteRecursively();
             operations.failCreatingAt = root.getChildFile(folders[1]);
             operations.errorCode = ENOENT;
         },
         FormatOutcome::failed, FailureReason::installFolderMissing, folders[1],
         "CLAP failed: the drive or share of the install folder for Ostrand.clap does not exist."},
        {"a drive link whose target is gone (real)", 0, false,
         [&](auto&, auto&)
         {
             // As a Wine prefix's dosdevices entry for a drive that is not there.
             ASSERT_TRUE(root.getChildFile("gone").createSymbolicLink(root.getChildFile("drive-d"), true));
             installFolders[0] = root.getChildFile("drive-d/VST3");
         },
         FormatOutcome::failed, FailureReason::installFolderMissing, "drive-d",
         "VST3 failed: the drive or share of the install folder for Ostrand.vst3 does not exist."},
        {"a file where the install folder must go (real)", 1, false,
         [&](auto&, auto&)
         {
             root.getChildFile(folders[1]).deleteRecursively();
             root.getChildFile(folders[1]).replaceWithText("not a folder");
         },
         FormatOutcome::failed, FailureReason::pathBlocked, folders[1],
         "CLAP failed: \"CLAP\" stands where a folder for Ostrand.clap must go."},
        {"a damaged archive (real)", 0, false, [](auto&, auto& zip) { zip.setSize(zip.getSize() / 2); },
         FormatOutcome::failed, FailureReason::archiveDamaged, bundles[0],
         "VST3 failed: the installer's copy of Ostrand.vst3 is damaged. Download the installer again."},
        {"anything else (EIO)", 2, false,
         [&](auto& operations, auto&)
         {
             operations.failRenamingFrom = install::getStagingFile(bundle(2));
             operations.errorCode = EIO;
         },
         FormatOutcome::failed, FailureReason::other, bundles[2],
         "AAX failed: Ostrand.aaxplugin could not be changed (Input/output error)."},
        {"uninstall of a bundle a host holds (EBUSY)", 1, true,
         [&](auto& operations, auto&)
         {
             operations.failRenamingFrom = bundle(1);
             operations.errorCode = EBUSY;
         },
         FormatOutcome::failed, FailureReason::inUse, bundles[1],
         "CLAP failed: Ostrand.clap is in use by another program. Close it and shift-click INSTALL again."},
        {"the old copy stays loaded after the switch", 1, false,
         [&](auto& operations, auto&)
         {
             operations.failDeleting = install::getSetAsideFile(bundle(1));
             operations.errorCode = EBUSY;
         },
         FormatOutcome::installedOldCopyLeft, FailureReason::inUse, bundles[1],
         "CLAP installed: restart the host that has Ostrand.clap loaded to use the new version."},
        {"no folder set", 0, false, [&](auto&, auto&) { installFolders[0] = juce::File(); },
         FormatOutcome::failed, FailureReason::noInstallFolder, "",
         "VST3 failed: no install folder is set for Ostrand.vst3. Check the settings file."},
        {"a folder name Windows refuses", 0, false,
         [&](auto&, auto&) { installFolders[0] = root.getChildFile("x<y>/VST3"); }, FormatOutcome::failed,
         FailureReason::other, "x<y>/VST3",
         "VST3 failed: Ostrand.vst3 could not be changed (the install folder 'x<y>' has the character '<' in "
         "its name, which Windows does not allow)."},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        root.deleteRecursively();
        writeTree(root, merged(siblings, merged(merged(oldBundle(0), oldBundle(1)), oldBundle(2))));
        SetUp();
        FaultyFileOperations operations;
        auto zip = goodZips[(size_t)c.format];
        c.arrange(operations, zip);
        auto archives = goodArchives();
        archives[(size_t)c.format] = dataOf(zip);

        catalogue::PerFormat<bool> selected{};
        selected[(size_t)c.format] = true;
        const auto report = runReport(selected, c.uninstall, archives, operations);
        ASSERT_EQ(report.formats.size(), 1u);
        const auto& format = report.formats[0];
        EXPECT_EQ(format.format, c.format);
        EXPECT_EQ(format.outcome, c.outcome);
        EXPECT_EQ(install::reasonName(format.reason), install::reasonName(c.reason));
        EXPECT_EQ(format.path, c.path.empty() ? juce::File() : root.getChildFile(c.path));
        EXPECT_EQ(report.succeeded(), c.outcome == FormatOutcome::installedOldCopyLeft);
        EXPECT_EQ(texts::describeProblems(report, "Ostrand"), juce::String(c.sentence));
        // The system's words, or the name rule's for a name Windows refuses.
        if (c.reason != FailureReason::archiveDamaged && c.reason != FailureReason::noInstallFolder)
        {
            EXPECT_TRUE(format.systemError.isNotEmpty() || format.refusedName.has_value());
        }
    }
}

TEST_F(InstallEngine, AMixedRunReportsEveryFormatAndFailsIfAnyFailed)
{
    writeTree(root, merged(siblings, merged(oldBundle(0), oldBundle(2))));
    FaultyFileOperations operations;
    operations.failRenamingFrom = root.getChildFile(bundles[0]);
    operations.errorCode = EBUSY;
    operations.failDeleting = install::getSetAsideFile(root.getChildFile(bundles[2]));

    catalogue::PerFormat<bool> selected{true, true, true};
    const auto report = runReport(selected, false, goodArchives(), operations);
    ASSERT_EQ(report.formats.size(), 3u);
    EXPECT_EQ(report.formats[0].outcome, install::FormatOutcome::failed);
    EXPECT_EQ(report.formats[1].outcome, install::FormatOutcome::installed);
    EXPECT_EQ(report.formats[2].outcome, install::FormatOutcome::installedOldCopyLeft);
    EXPECT_FALSE(report.succeeded());
    EXPECT_EQ(
        texts::describeProblems(report, "Ostrand"),
        juce::String("VST3 failed: Ostrand.vst3 is in use by another program. Close it and click INSTALL "
                     "again. AAX installed: restart the host that has Ostrand.aaxplugin loaded to use the "
                     "new version."));

    // Without the VST3 failure the run succeeds, and the report says nothing about formats
    // that simply worked.
    operations.failRenamingFrom = juce::File();
    selected = {true, true, false};
    const auto second = runReport(selected, false, goodArchives(), operations);
    EXPECT_TRUE(second.succeeded());
    EXPECT_EQ(second.formats.size(), 2u);
    EXPECT_EQ(texts::describeProblems(second, "Ostrand"), juce::String());

    selected = {};
    const auto none = runReport(selected, false, goodArchives(), operations);
    EXPECT_TRUE(none.formats.empty());
    EXPECT_FALSE(none.succeeded());
    EXPECT_EQ(texts::describeProblems(none, "Ostrand"), juce::String());
}

namespace
{
// A file system mounted over a folder for the length of a test; refused mounts skip it.
struct ScopedMount
{
    juce::File folder;
    bool mounted = false;

    ScopedMount(const juce::File& f, const juce::String& setUp) : folder(f)
    {
        folder.createDirectory();
        mounted = std::system((setUp + " 2>/dev/null").toRawUTF8()) == 0;
    }
    ~ScopedMount()
    {
        if (mounted)
            std::system(("umount '" + folder.getFullPathName() + "'").toRawUTF8());
    }
};
} // namespace

TEST_F(InstallEngine, RealFaultsOfMountedFileSystemsAreReportedWithTheirReasons)
{
    // A disk too small for the archive, and a drive mounted read-only.
    const auto quoted = [](const juce::File& f)
    {
        return "'" + f.getFullPathName() + "'";
    };
    {
        const auto folder = root.getChildFile(folders[0]);
        ScopedMount tiny(folder, "mount -t tmpfs -o size=8k tmpfs " + quoted(folder));
        if (!tiny.mounted)
            GTEST_SKIP() << "mount is refused here";
        // An archive larger than the file system: one big stored file.
        const auto big = makeZip({{"Ostrand.vst3\\Contents\\big.bin", std::string(64 * 1024, 'x')}});
        auto archives = goodArchives();
        archives[0] = dataOf(big);
        catalogue::PerFormat<bool> selected{true, false, false};
        const auto report = runReport(selected, false, archives);
        ASSERT_EQ(report.formats.size(), 1u);
        EXPECT_EQ(install::reasonName(report.formats[0].reason), "disk-full");
        EXPECT_EQ(report.formats[0].path, root.getChildFile(bundles[0]));
        EXPECT_EQ(folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories), 0); // no staging left
    }
    {
        const auto folder = root.getChildFile(folders[1]);
        folder.createDirectory();
        writeTree(root, oldBundle(1));
        ScopedMount readOnly(folder, "mount --bind " + quoted(folder) + " " + quoted(folder) +
                                         " && mount -o remount,bind,ro " + quoted(folder));
        if (!readOnly.mounted)
            GTEST_SKIP() << "read-only bind mount is refused here";
        for (bool uninstall : {false, true})
        {
            catalogue::PerFormat<bool> selected{false, true, false};
            const auto report = runReport(selected, uninstall, goodArchives());
            ASSERT_EQ(report.formats.size(), 1u);
            EXPECT_EQ(install::reasonName(report.formats[0].reason), "no-permission") << uninstall;
            EXPECT_EQ(report.formats[0].systemErrorCode, EROFS) << uninstall;
            EXPECT_EQ(bundlePart(snapshotTree(root), 1), oldBundle(1)) << uninstall;
        }
    }
}
