#include "platform/Platform.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

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
