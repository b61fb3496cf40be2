#include "platform/Platform.h"
#include "formats/WindowsPathText.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::ScopedWinePrefix;

namespace
{
struct PathCase
{
    const char* windowsPath;
    const char* underPrefix;   // the file, relative to the prefix
    const char* writtenBackAs; // windowsPathOf of that file
};

void expectMappings(const ScopedWinePrefix& prefix, std::initializer_list<PathCase> cases)
{
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.windowsPath);
        const auto file = platform::fileFromWindowsPath(c.windowsPath);
        EXPECT_EQ(file.getFullPathName(), prefix.folder.getChildFile(c.underPrefix).getFullPathName());
        EXPECT_EQ(platform::windowsPathOf(file), juce::String(c.writtenBackAs));
    }
}
} // namespace

TEST(PlatformPaths, DriveCIsDriveCOfThePrefixWithoutDosDevices)
{
    ScopedWinePrefix prefix;
    expectMappings(prefix,
                   {
                       {"C:\\Program Files\\Common Files\\CLAP", "drive_c/Program Files/Common Files/CLAP",
                        "C:\\Program Files\\Common Files\\CLAP"},
                       {"c:/Program Files//VST3/", "drive_c/Program Files/VST3", "C:\\Program Files\\VST3"},
                       {"C:\\", "drive_c", "C:\\"},
                       {"C:\\.\\a\\..\\b", "drive_c/b", "C:\\b"},
                       // Windows stops at the root; so must the mapping, or it leaves the prefix.
                       {"C:\\..\\..\\..\\etc", "drive_c/etc", "C:\\etc"},
                       {"\\\\server\\share\\x", "dosdevices/unc/server/share/x", "\\\\server\\share\\x"},
                   });
    EXPECT_EQ(platform::commonApplicationDataFolder(), prefix.driveC().getChildFile("ProgramData"));
    // A drive the prefix does not have maps to no existing folder.
    EXPECT_FALSE(platform::fileFromWindowsPath("D:\\Plugins").isAChildOf(prefix.driveC()));
    EXPECT_FALSE(platform::fileFromWindowsPath("D:\\").exists());
}

TEST(PlatformPaths, DrivesFollowDosDevices)
{
    ScopedWinePrefix prefix;
    const auto devices = prefix.folder.getChildFile("dosdevices");
    ASSERT_TRUE(devices.createDirectory().wasOk());
    ASSERT_TRUE(prefix.folder.getChildFile("other_drive").createDirectory().wasOk());
    // Wine's own links: relative for c:, absolute for the others.
    ASSERT_TRUE(juce::File::createSymbolicLink(devices.getChildFile("c:"), "../drive_c", true));
    ASSERT_TRUE(
        prefix.folder.getChildFile("other_drive").createSymbolicLink(devices.getChildFile("d:"), true));
    ASSERT_TRUE(juce::File("/").createSymbolicLink(devices.getChildFile("z:"), true));

    expectMappings(prefix, {
                               {"C:\\ProgramData\\Audio Tarvosk", "drive_c/ProgramData/Audio Tarvosk",
                                "C:\\ProgramData\\Audio Tarvosk"},
                               {"D:\\Plugins\\VST3", "other_drive/Plugins/VST3", "D:\\Plugins\\VST3"},
                               {"d:\\..\\x", "other_drive/x", "D:\\x"},
                           });
    EXPECT_EQ(platform::commonApplicationDataFolder(), prefix.driveC().getChildFile("ProgramData"));
    // The Linux root is drive Z:, but a file on C: keeps its C: name.
    EXPECT_EQ(platform::fileFromWindowsPath("Z:\\usr\\lib"), juce::File("/usr/lib"));
    EXPECT_EQ(platform::windowsPathOf(juce::File("/usr/lib")), juce::String("Z:\\usr\\lib"));
    EXPECT_EQ(platform::fileFromWindowsPath("E:\\x"), devices.getChildFile("e:/x"));
}

TEST(PlatformPaths, PartsResolveAsWineResolvesThem)
{
    // Each row was checked against CreateDirectoryW of the Windows program under Wine 8.
    ScopedWinePrefix prefix;
    for (const auto* folder : {"Program Files/Common Files", "windows", "Mixed/Case Here", "users"})
        ASSERT_TRUE(prefix.driveC().getChildFile(folder).createDirectory().wasOk());

    const struct
    {
        const char* windowsPath;
        const char* underDriveC; // nullptr: refused, as Windows refuses the name
    } rows[] = {
        {"c:\\program files\\common files\\vst3", "Program Files/Common Files/vst3"},
        {"C:\\Windows\\NewSub", "windows/NewSub"},
        {"C:\\mixed\\CASE HERE\\New", "Mixed/Case Here/New"},
        {"C:\\Trail.\\VST3.", "Trail/VST3"},
        {"C:\\Sp \\Dots..\\End. .", "Sp /Dots./End"},
        {"C:\\A..\\B", "A./B"},
        {"C:\\EndSep. \\", "EndSep. "},
        {"C:\\~tilde", "~tilde"},
        {"\\\\?\\C:\\RawDot.", "RawDot."},
        {"\\\\?\\c:\\MIXED\\RawCase", "Mixed/RawCase"},
        {"\\\\.\\C:\\DevDot.", "DevDot"},
        {"//?/C:/Slashed.", "Slashed"},
        {"\\\\?\\C:\\users\\..\\RawUp", nullptr},
        {"\\\\?\\C:/RawSlash", nullptr},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.windowsPath);
        const auto file = platform::fileFromWindowsPath(row.windowsPath);
        if (row.underDriveC == nullptr)
            EXPECT_EQ(file, juce::File());
        else
            EXPECT_EQ(file.getFullPathName(), prefix.driveC().getFullPathName() + "/" + row.underDriveC);
    }

    // Where both spellings exist, as they can on Linux, the exact one wins.
    ASSERT_TRUE(prefix.driveC().getChildFile("Windows").createDirectory().wasOk());
    EXPECT_EQ(platform::fileFromWindowsPath("C:\\Windows"), prefix.driveC().getChildFile("Windows"));
    EXPECT_EQ(platform::fileFromWindowsPath("C:\\WINDOWS"), prefix.driveC().getChildFile("Windows"));
    EXPECT_EQ(platform::fileFromWindowsPath("C:\\windows"), prefix.driveC().getChildFile("windows"));
}

TEST(PlatformPaths, OnlyDrivesAndSharesThatExistLeadAnywhere)
{
    ScopedWinePrefix prefix;
    const auto devices = prefix.folder.getChildFile("dosdevices");
    const auto reachable = [](const char* path)
    {
        return platform::isOnExistingDriveOrShare(platform::fileFromWindowsPath(path));
    };

    // Without dosdevices only C: exists.
    EXPECT_TRUE(reachable("C:\\Plugins\\VST3"));
    EXPECT_FALSE(reachable("Q:\\Plugins\\VST3"));
    EXPECT_FALSE(reachable("\\\\server\\share\\CLAP"));

    ASSERT_TRUE(devices.createDirectory().wasOk());
    ASSERT_TRUE(juce::File::createSymbolicLink(devices.getChildFile("c:"), "../drive_c", true));
    ASSERT_TRUE(juce::File("/dev/ttyS0").createSymbolicLink(devices.getChildFile("com1"), true));
    ASSERT_TRUE(devices.getChildFile("unc/server/share").createDirectory().wasOk());
    ASSERT_TRUE(prefix.folder.getChildFile("gone").createSymbolicLink(devices.getChildFile("d:"), true));

    const struct
    {
        const char* windowsPath;
        bool reachable;
    } rows[] = {
        {"C:\\Plugins\\VST3", true},
        {"\\\\?\\C:\\X", true},
        {"\\\\.\\C:\\X", true},
        {"\\\\server\\share\\CLAP", true},
        {"\\\\SERVER\\Share\\CLAP", true},
        {"\\\\?\\UNC\\server\\share\\CLAP", true},
        {"Q:\\Plugins\\VST3", false},
        {"D:\\Plugins", false}, // a drive whose folder is gone
        {"\\\\nosuchserver\\share\\CLAP", false},
        {"\\\\server\\nosuchshare\\CLAP", false},
        {"\\\\?\\UNC\\nosuch\\share\\x", false},
        {"\\\\.\\PhysicalDrive0\\x", false},
        {"\\\\.\\COM1\\x", false},
        {"\\\\?\\GLOBALROOT\\Device\\x", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(reachable(row.windowsPath), row.reachable) << row.windowsPath;
    EXPECT_FALSE(platform::isOnExistingDriveOrShare(devices));
    EXPECT_FALSE(platform::isOnExistingDriveOrShare(devices.getChildFile("unc/server")));
}

namespace
{
juce::String userName()
{
    const auto* entry = ::getpwuid(::getuid());
    return juce::String::fromUTF8(entry->pw_name);
}
} // namespace

TEST(PlatformPaths, TheTemporaryFolderIsThePrefixUsersOwn)
{
    const auto profile = "drive_c/users/" + userName();
    const struct
    {
        const char* name;
        const char* userRegistry; // the Environment key's lines of user.reg; nullptr: no file
        juce::String folder;      // the folder made in the prefix
        juce::String expected;    // the temporary folder, below the prefix; empty: none
    } cases[] = {
        {"Wine 8's own value", "\"TEMP\"=\"C:\\\\users\\\\@\\\\Temp\"\n\"TMP\"=\"C:\\\\users\\\\@\\\\Temp\"",
         profile + "/Temp", profile + "/Temp"},
        {"TMP before TEMP, in any case", "\"TEMP\"=\"C:\\\\Elsewhere\"\n\"tmp\"=\"c:\\\\USERS\\\\@\\\\TEMP\"",
         profile + "/Temp", profile + "/Temp"},
        {"an expandable value", "\"TMP\"=str(2):\"%USERPROFILE%\\\\AppData\\\\Local\\\\Temp\"",
         profile + "/AppData/Local/Temp", profile + "/AppData/Local/Temp"},
        {"no registry: the profile's Temp", nullptr, profile + "/Temp", profile + "/Temp"},
        {"no folder: none", nullptr, "drive_c/other", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ScopedWinePrefix prefix;
        ASSERT_TRUE(prefix.folder.getChildFile(c.folder).createDirectory().wasOk());
        if (c.userRegistry != nullptr)
        {
            ASSERT_TRUE(
                prefix.folder.getChildFile("user.reg")
                    .replaceWithText("WINE REGISTRY Version 2\n\n[Environment] 1796908007\n#time=1dd\n" +
                                     juce::String(c.userRegistry).replace("@", userName()) + "\n"));
        }
        const auto expected = c.expected.isEmpty() ? juce::File() : prefix.folder.getChildFile(c.expected);
        EXPECT_EQ(platform::temporaryFolder(), expected);
    }
}

TEST(PlatformPaths, ATemporaryFolderThatLeadsOutOfThePrefixIsNone)
{
    ScopedWinePrefix prefix;
    const auto outside = juce::File::createTempFile("vx_outside");
    ASSERT_TRUE(outside.createDirectory().wasOk());
    const auto profile = prefix.driveC().getChildFile("users/" + userName());
    ASSERT_TRUE(profile.createDirectory().wasOk());
    ASSERT_TRUE(outside.createSymbolicLink(profile.getChildFile("Temp"), true));
    EXPECT_EQ(platform::temporaryFolder(), juce::File());
    outside.deleteRecursively();
}

namespace
{
// `actual` is nothing where `expected` is nullptr, else `expected` (or, with `prefixOnly`,
// begins with it).
void expectText(const std::optional<std::string>& actual, const char* expected, const char* input,
                bool prefixOnly = false)
{
    SCOPED_TRACE(input);
    ASSERT_EQ(actual.has_value(), expected != nullptr);
    if (!actual)
        return;
    if (prefixOnly)
    {
        EXPECT_EQ(actual->rfind(expected, 0), 0u) << *actual;
    }
    else
    {
        EXPECT_EQ(*actual, expected);
    }
}
} // namespace

// Both builds read a folder's every spelling as one path and show that path: the Windows
// program normalises with the same rule.
TEST(PlatformPaths, EverySpellingOfAFolderIsReadAndShownAlike)
{
    const struct
    {
        const char* given;
        const char* normalised; // nullptr: refused, as Windows refuses it
    } rows[] = {
        {"C:\\Program Files\\Common Files\\VST3", "C:\\Program Files\\Common Files\\VST3"},
        {"\\\\.\\C:\\Program Files\\Common Files\\VST3", "C:\\Program Files\\Common Files\\VST3"},
        {"C:\\Program Files\\Common Files\\VST3 ", "C:\\Program Files\\Common Files\\VST3"},
        {"c:/Program Files//Common Files/./x/../VST3.", "C:\\Program Files\\Common Files\\VST3"},
        {"//?/C:/Program Files/Common Files/VST3", "C:\\Program Files\\Common Files\\VST3"},
        {"\\\\?\\C:\\Program Files\\Common Files\\VST3", "C:\\Program Files\\Common Files\\VST3"},
        {"\\\\?\\C:\\Raw\\Trail. ", "\\\\?\\C:\\Raw\\Trail. "},
        {"\\\\?\\C:\\users\\..\\RawUp", nullptr},
        {"C:\\Trail.\\VST3.", "C:\\Trail\\VST3"},
        {"\\\\?\\UNC\\server\\share\\CLAP", "\\\\server\\share\\CLAP"},
        {"\\\\server\\share\\CLAP\\", "\\\\server\\share\\CLAP"},
        {"Q:\\Plugins\\CLAP", "Q:\\Plugins\\CLAP"},
    };
    for (const auto& row : rows)
        expectText(formats::normalisedWindowsPath(row.given), row.normalised, row.given);

    // Here each spelling reaches the one folder and is written back as the Windows program
    // shows it, a drive the prefix does not have included.
    ScopedWinePrefix prefix;
    ASSERT_TRUE(prefix.commonFiles().getChildFile("VST3").createDirectory().wasOk());
    for (const auto* spelling :
         {"\\\\.\\C:\\Program Files\\Common Files\\VST3", "C:\\Program Files\\Common Files\\VST3 ",
          "c:\\program files\\common files\\vst3"})
    {
        SCOPED_TRACE(spelling);
        const auto folder = platform::fileFromWindowsPath(spelling);
        EXPECT_EQ(folder, prefix.commonFiles().getChildFile("VST3"));
        EXPECT_EQ(platform::windowsPathOf(folder), juce::String("C:\\Program Files\\Common Files\\VST3"));
    }
    EXPECT_EQ(platform::windowsPathOf(platform::fileFromWindowsPath("Q:\\Plugins\\CLAP")),
              juce::String("Q:\\Plugins\\CLAP"));
}

TEST(PlatformPaths, NamesWindowsRefusesAreFoundInAnyPartBelowTheRoot)
{
    const struct
    {
        const char* path;
        const char* problem; // nullptr: Windows can have it
    } rows[] = {
        {"C:\\Program Files\\Common Files\\VST3", nullptr},
        {"\\\\?\\C:\\Program Files\\VST3", nullptr},
        {"\\\\server\\share\\CLAP", nullptr},
        {"C:\\x<y>\\VST3", "'x<y>' has the character '<'"},
        {"C:\\a\tb\\VST3", "'a\tb' has a control character"},
        {"C:\\CON\\VST3", "'CON' has a name Windows takes for a device"},
        {"C:\\aux.txt\\VST3", "'aux.txt' has a name Windows takes for a device"},
        {"C:\\Plugins\\lpt1 ", "'lpt1' has a name Windows takes for a device"},
        {"C:\\a:b\\VST3", "'a:b' has a ':'"},
        {"\\\\server\\share\\q?\\CLAP", "'q?' has the character '?'"},
    };
    for (const auto& row : rows)
    {
        std::optional<std::string> worded;
        if (const auto problem = formats::windowsPathProblem(row.path))
            worded = "'" + problem->part + "' " + formats::describeNameProblem(problem->problem);
        expectText(worded, row.problem, row.path, true);
    }
}

// A path holding bytes that are not UTF-8 (a prefix, an environment value, a name in a
// folder) is never taken apart as text: the framework's strings cannot hold it.
TEST(PlatformPaths, BytesThatAreNotUtf8ReachTheRightFolderOrNone)
{
    const auto scratch = juce::File::createTempFile("vx_bytes");
    ASSERT_TRUE(scratch.createDirectory().wasOk());
    const std::string prefixBytes = scratch.getFullPathName().toStdString() + "/j\xe9"
                                                                              "6";
    ASSERT_EQ(::mkdir(prefixBytes.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((prefixBytes + "/drive_c").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((prefixBytes + "/drive_c/ProgramData").c_str(), 0755), 0);
    // A name that is not UTF-8 beside one that is.
    ASSERT_EQ(::mkdir((prefixBytes + "/drive_c/ProgramData/x\xff").c_str(), 0755), 0);
    {
        ScopedWinePrefix scope; // puts WINEPREFIX back afterwards
        ::setenv("WINEPREFIX", prefixBytes.c_str(), 1);
        const auto programData = platform::commonApplicationDataFolder();
        EXPECT_TRUE(programData.isDirectory()) << programData.getFullPathName();
        EXPECT_EQ(platform::windowsPathOf(programData), juce::String("C:\\ProgramData"));
        EXPECT_FALSE(platform::findWindowsEntry(programData, "X").exists());

        // A prefix that does not exist: nothing is there, and nothing can be made there.
        ::setenv("WINEPREFIX", (prefixBytes + "/gone\xe9").c_str(), 1);
        EXPECT_FALSE(platform::commonApplicationDataFolder().exists());
        EXPECT_FALSE(platform::commonApplicationDataFolder().createDirectory().wasOk());

        ::setenv("VX_TEST_BYTES", "C:\\x\xe9", 1);
        EXPECT_EQ(platform::environmentText("VX_TEST_BYTES"), juce::String());
        ::setenv("VX_TEST_BYTES", "C:\\caf\xc3\xa9", 1);
        EXPECT_EQ(platform::environmentText("VX_TEST_BYTES"), juce::String::fromUTF8("C:\\caf\xc3\xa9"));
        ::unsetenv("VX_TEST_BYTES");
    }
    std::filesystem::remove_all(scratch.getFullPathName().toStdString());
}
