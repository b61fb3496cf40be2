#include "catalogue/Formats.h"
#include "install/InstallEngine.h"
#include "install/InstallSettings.h"
#include "install/InstallStatus.h"
#include "platform/Platform.h"
#include "support/PeFixtures.h"
#include "support/TestEnvironment.h"
#include "texts/Sentences.h"
#include "ui/MainComponent.h"

#include <gtest/gtest.h>

#include <functional>

using namespace catalogue;
using testing_support::peFixture;
using testing_support::ScopedWinePrefix;

namespace
{
const juce::String product = "Ostrand";

void placeModule(const char* fixture, const juce::File& at)
{
    at.getParentDirectory().createDirectory();
    ASSERT_TRUE(peFixture(fixture).copyFileTo(at)) << at.getFullPathName();
}

void placeText(const juce::File& at)
{
    at.getParentDirectory().createDirectory();
    at.replaceWithText("not a module");
}

struct StatusCase
{
    const char* name;
    int format;
    std::function<void(const juce::File& installFolder)> setUp;
    bool installed;
    const char* version;
    const char* text;
};

const StatusCase statusCases[] = {
    {"no VST3 bundle", vst3Format, [](const juce::File&) {}, false, "", "NOT INSTALLED"},
    {"no CLAP bundle", clapFormat, [](const juce::File&) {}, false, "", "NOT INSTALLED"},
    {"no AAX bundle", aaxFormat, [](const juce::File&) {}, false, "", "NOT INSTALLED"},
    {"install folder missing altogether", clapFormat, [](const juce::File& f) { f.deleteRecursively(); },
     false, "", "NOT INSTALLED"},
    {"VST3 bundle with its module", vst3Format,
     [](const juce::File& f)
     { placeModule("x64_1.2.0.0.dll", f.getChildFile("Ostrand.vst3/Contents/x86_64-win/Ostrand.vst3")); },
     true, "1.2.0.0", "v1.2.0.0 INSTALLED"},
    {"VST3 bundle without its module", vst3Format,
     [](const juce::File& f) { f.getChildFile("Ostrand.vst3/Contents/Resources").createDirectory(); }, true,
     "", "INSTALLED"},
    {"VST3 module where AAX keeps it", vst3Format,
     [](const juce::File& f)
     { placeModule("x64_1.2.0.0.dll", f.getChildFile("Ostrand.vst3/Contents/x64/Ostrand.vst3")); },
     true, "", "INSTALLED"},
    {"VST3 as a single-file module", vst3Format,
     [](const juce::File& f) { placeModule("x86_1.1.3.7.dll", f.getChildFile("Ostrand.vst3")); }, true,
     "1.1.3.7", "v1.1.3.7 INSTALLED"},
    {"VST3 as a plain file", vst3Format,
     [](const juce::File& f) { placeText(f.getChildFile("Ostrand.vst3")); }, true, "", "INSTALLED"},
    {"CLAP module 1.2.0.0", clapFormat,
     [](const juce::File& f) { placeModule("x64_1.2.0.0.dll", f.getChildFile("Ostrand.clap")); }, true,
     "1.2.0.0", "v1.2.0.0 INSTALLED"},
    {"CLAP module of another version", clapFormat,
     [](const juce::File& f) { placeModule("x86_1.1.3.7.dll", f.getChildFile("Ostrand.clap")); }, true,
     "1.1.3.7", "v1.1.3.7 INSTALLED"},
    {"CLAP module without version resource", clapFormat,
     [](const juce::File& f) { placeModule("x64_no_version.dll", f.getChildFile("Ostrand.clap")); }, true, "",
     "INSTALLED"},
    {"CLAP bundle that is an empty folder", clapFormat,
     [](const juce::File& f) { f.getChildFile("Ostrand.clap").createDirectory(); }, true, "", "INSTALLED"},
    {"CLAP bundle that is not a module", clapFormat,
     [](const juce::File& f) { placeText(f.getChildFile("Ostrand.clap")); }, true, "", "INSTALLED"},
    {"AAX bundle with its module", aaxFormat,
     [](const juce::File& f)
     {
         placeModule("x64_65535.0.10.65535.dll",
                     f.getChildFile("Ostrand.aaxplugin/Contents/x64/Ostrand.aaxplugin"));
     },
     true, "65535.0.10.65535", "v65535.0.10.65535 INSTALLED"},
    {"AAX bundle without its module", aaxFormat,
     [](const juce::File& f) { f.getChildFile("Ostrand.aaxplugin/Contents/x64").createDirectory(); }, true,
     "", "INSTALLED"},
    {"AAX module where VST3 keeps it", aaxFormat,
     [](const juce::File& f)
     {
         placeModule("x64_1.2.0.0.dll",
                     f.getChildFile("Ostrand.aaxplugin/Contents/x86_64-win/Ostrand.aaxplugin"));
     },
     true, "", "INSTALLED"},
    {"AAX module that is a folder", aaxFormat,
     [](const juce::File& f)
     { f.getChildFile("Ostrand.aaxplugin/Contents/x64/Ostrand.aaxplugin").createDirectory(); },
     true, "", "INSTALLED"},
    {"AAX bundle that is a single module file", aaxFormat,
     [](const juce::File& f) { placeModule("x64_1.2.0.0.dll", f.getChildFile("Ostrand.aaxplugin")); }, true,
     "", "INSTALLED"},
};
} // namespace

TEST(InstallStatus, RowOfEachFormatFollowsTheDisk)
{
    for (const auto& c : statusCases)
    {
        SCOPED_TRACE(c.name);
        ScopedWinePrefix prefix;
        const auto installFolder = prefix.commonFiles().getChildFile(defaultFormatFolders[c.format]);
        ASSERT_TRUE(installFolder.createDirectory().wasOk());
        c.setUp(installFolder);

        const bool installed = install::isFormatInstalled(installFolder, product, c.format);
        const auto version = install::getInstalledVersion(installFolder, product, c.format);
        EXPECT_EQ(installed, c.installed);
        EXPECT_EQ(version, juce::String(c.version));
        EXPECT_EQ(texts::installStatusText(installed, version), juce::String(c.text));
        EXPECT_EQ(install::getBundleFile(installFolder, product, c.format),
                  installFolder.getChildFile(product + formatExtensions[c.format]));
    }
}

TEST(InstallStatus, StatusTexts)
{
    EXPECT_EQ(texts::installStatusText(false, {}), juce::String("NOT INSTALLED"));
    EXPECT_EQ(texts::installStatusText(false, "1.2.0.0"), juce::String("NOT INSTALLED"));
    EXPECT_EQ(texts::installStatusText(true, {}), juce::String("INSTALLED"));
    EXPECT_EQ(texts::installStatusText(true, "1.2.0.0"), juce::String("v1.2.0.0 INSTALLED"));
}

TEST(InstallStatus, EveryCallAsksTheDiskAnew)
{
    ScopedWinePrefix prefix;
    const auto folder = prefix.commonFiles().getChildFile("CLAP");
    const auto bundle = folder.getChildFile("Ostrand.clap");

    placeModule("x86_1.1.3.7.dll", bundle);
    EXPECT_EQ(install::getInstalledVersion(folder, product, clapFormat), juce::String("1.1.3.7"));

    placeModule("x64_1.2.0.0.dll", bundle);
    EXPECT_EQ(install::getInstalledVersion(folder, product, clapFormat), juce::String("1.2.0.0"));

    ASSERT_TRUE(bundle.deleteFile());
    EXPECT_FALSE(install::isFormatInstalled(folder, product, clapFormat));
    EXPECT_EQ(install::getInstalledVersion(folder, product, clapFormat), juce::String());
}

TEST(InstallStatus, EmbeddedArchivesInstallModulesWhereTheRuleReadsThem)
{
    ScopedWinePrefix prefix;
    catalogue::PerFormat<juce::File> folders;
    for (int format = 0; format < numFormats; ++format)
        folders[static_cast<size_t>(format)] =
            prefix.commonFiles().getChildFile(defaultFormatFolders[format]);
    catalogue::PerFormat<bool> selected{true, true, true};
    ASSERT_TRUE(install::processSelectedFormats(selected, false, folders, product));

    for (int format = 0; format < numFormats; ++format)
    {
        const auto& folder = folders[static_cast<size_t>(format)];
        EXPECT_TRUE(install::getVersionSourceFile(folder, product, format).existsAsFile()) << format;
        EXPECT_EQ(install::getInstalledVersion(folder, product, format), juce::String("1.2.0.0")) << format;
    }
}

TEST(InstallStatus, InstalledFormatsStartSelected)
{
    ScopedWinePrefix prefix;
    // No bundle anywhere: nothing selected.
    {
        MainComponent main;
        EXPECT_EQ(main.formatSelected, (catalogue::PerFormat<bool>{false, false, false}));
    }

    // VST3 present as a plain file, AAX as a bundle folder, CLAP in a folder the settings
    // file moved it to.
    placeText(prefix.commonFiles().getChildFile("VST3/Ostrand.vst3"));
    prefix.commonFiles().getChildFile("Avid/Audio/Plug-Ins/Ostrand.aaxplugin").createDirectory();
    placeModule("x64_1.2.0.0.dll", platform::fileFromWindowsPath("C:\\Custom\\CLAP\\Ostrand.clap"));
    const auto settings = install::getSettingsFile(prefix.programData().getChildFile("Audio Tarvosk"));
    settings.getParentDirectory().createDirectory();
    settings.replaceWithText("<Plugin_Manager_Settings CLAP_Path=\"C:\\Custom\\CLAP\"/>");

    MainComponent main;
    EXPECT_EQ(main.installFolders[clapFormat], platform::fileFromWindowsPath("C:\\Custom\\CLAP"));
    EXPECT_EQ(main.formatSelected, (catalogue::PerFormat<bool>{true, true, true}));
}
