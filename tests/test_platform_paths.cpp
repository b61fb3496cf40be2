#include "platform/Platform.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <pwd.h>
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
