#include "catalogue/Product.h"
#include "cli/CommandLine.h"
#include "install/InstallLocations.h"
#include "install/OtherCopies.h"
#include "install/Registration.h"
#include "platform/Platform.h"
#include "texts/Language.h"
#include "support/PeFixtures.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

using testing_support::peFixture;
using testing_support::ScopedWinePrefix;

namespace
{
const char* const bundlePaths[3] = {
    "Program Files/Common Files/VST3/Ostrand.vst3",
    "Program Files/Common Files/CLAP/Ostrand.clap",
    "Program Files/Common Files/Avid/Audio/Plug-Ins/Ostrand.aaxplugin",
};

// Every file and folder below root with its size: what "nothing touched" compares.
std::map<juce::String, juce::int64> snapshotTree(const juce::File& root)
{
    std::map<juce::String, juce::int64> tree;
    for (const auto& item : root.findChildFiles(juce::File::findFilesAndDirectories, true))
        tree[item.getRelativePathFrom(root)] = item.isDirectory() ? -1 : item.getSize();
    return tree;
}

juce::int64 snapshotSize(const juce::File& bundle)
{
    if (!bundle.isDirectory())
        return bundle.getSize();
    juce::int64 total = 0;
    for (const auto& file : bundle.findChildFiles(juce::File::findFiles, true))
        total += file.getSize();
    return total;
}

// A fresh prefix with the maker's folder, and the folders a run reads, all inside it.
class CommandLine : public ::testing::Test
{
protected:
    CommandLine()
    {
        prefix.programData().getChildFile("Audio Tarvosk").createDirectory();
        workingDirectory.createDirectory();
        folders.commonApplicationDataFolder = prefix.programData();
        folders.defaultInstallFolders = install::defaultInstallFolders();
        folders.hostSearchFolders.localAppDataFolder = localAppData;
        folders.hostSearchFolders.commonFilesX86Folder =
            prefix.driveC().getChildFile("Program Files (x86)/Common Files");
        folders.workingDirectory = workingDirectory;
    }

    cli::CommandLineResult run(const juce::StringArray& arguments)
    {
        return cli::runCommandLine(arguments, folders);
    }

    catalogue::PerFormat<bool> bundlesPresent() const
    {
        catalogue::PerFormat<bool> present{};
        for (size_t i = 0; i < 3; ++i)
            present[i] = prefix.driveC().getChildFile(bundlePaths[i]).exists();
        return present;
    }

    juce::File settingsFile() const
    {
        return prefix.programData().getChildFile("Audio Tarvosk/PluginManagerSettings.txt");
    }

    ScopedWinePrefix prefix;
    const juce::File workingDirectory{prefix.folder.getChildFile("cwd")};
    const juce::File localAppData{prefix.driveC().getChildFile("users/tester/AppData/Local")};
    cli::CommandLineFolders folders;
};

struct RunCase
{
    const char* name;
    bool installedBefore; // all three bundles installed by an earlier run
    std::vector<const char*> arguments;
    int exitStatus;
    catalogue::PerFormat<bool> bundlesAfter;
    const char* output; // a part of the standard output ("" for none)
    const char* errors; // a part of the error stream ("" for an empty stream)
};

const std::vector<RunCase> runCases = {
    {"status", false, {"--status"}, 0, {}, "VST3: not installed", ""},
    {"status, installed", true, {"--status"}, 0, {true, true, true}, "AAX: installed, version 1.2.0.0", ""},
    {"install all",
     false,
     {"--install", "all"},
     0,
     {true, true, true},
     "CLAP: installed, version 1.2.0.0; install succeeded",
     ""},
    {"install, value after =", false, {"--install=vst3,aax"}, 0, {true, false, true}, "VST3: installed", ""},
    {"install, Windows spelling", false, {"/INSTALL=Clap"}, 0, {false, true, false}, "CLAP: installed", ""},
    {"install, Windows colon",
     false,
     {"/install:AAX", "/Json"},
     0,
     {false, false, true},
     "\"outcome\": \"succeeded\"",
     ""},
    {"install, all among names",
     false,
     {"--install", "clap,ALL"},
     0,
     {true, true, true},
     "install succeeded",
     ""},
    {"uninstall one",
     true,
     {"--uninstall", "clap"},
     0,
     {true, false, true},
     "CLAP: not installed; uninstall succeeded",
     ""},
    {"uninstall all", true, {"/uninstall", "all"}, 0, {}, "AAX: not installed; uninstall succeeded", ""},
    {"uninstall nothing there", false, {"--uninstall", "vst3"}, 0, {}, "uninstall succeeded", ""},
    {"verify all, formats left out",
     true,
     {"--verify"},
     0,
     {true, true, true},
     "VST3: installed, version 1.2.0.0; intact",
     ""},
    {"verify, option after",
     true,
     {"--verify", "--json"},
     0,
     {true, true, true},
     "\"verification\": \"intact\"",
     ""},
    {"verify not installed", false, {"/verify=clap"}, 0, {}, "CLAP: not installed\n", ""},
    {"repair nothing changed",
     true,
     {"/repair"},
     0,
     {true, true, true},
     "AAX: installed, version 1.2.0.0; intact",
     ""},
    {"repair not installed", false, {"--repair", "vst3"}, 0, {}, "VST3: not installed\n", ""},
    {"repair bad format", true, {"--repair=vst2"}, 2, {true, true, true}, "", "unknown format 'vst2'"},
    {"ask without uninstall",
     true,
     {"--install", "all", "--ask"},
     2,
     {true, true, true},
     "",
     "--ask goes with --uninstall only"},
    {"remove copy after no process",
     false,
     {"--remove-copy-after=x1"},
     2,
     {},
     "",
     "unexpected argument 'x1'"},
    {"French report", false, {"--status", "/lang=fr"}, 0, {}, "VST3\u00a0: non install\u00e9", ""},
    {"unknown language",
     false,
     {"--status", "--lang", "xx"},
     2,
     {},
     "",
     "unknown language 'xx' (known: en, de,"},
    {"help", false, {"--help"}, 0, {}, "usage: vx_installer", ""},
    {"help, Windows", false, {"/?"}, 0, {}, "Exit status: 0 done", ""},
    {"version", false, {"--VERSION"}, 0, {}, "vx_installer " VX_INSTALLER_VERSION " (Ostrand 1.2.0)", ""},
    // Usage errors: exit 2, the usage on the error stream, nothing touched.
    {"unknown option", true, {"--frobnicate"}, 2, {true, true, true}, "", "unknown option '--frobnicate'"},
    {"single dash", false, {"-status"}, 2, {}, "", "unknown option '-status'"},
    {"bare word", false, {"status"}, 2, {}, "", "unexpected argument 'status'"},
    {"one bad format among good", false, {"--install", "vst3,cla,aax"}, 2, {}, "", "unknown format 'cla'"},
    {"empty format name", false, {"--install", "vst3,"}, 2, {}, "", "empty format name"},
    {"uninstall bad format", true, {"--uninstall=vst2"}, 2, {true, true, true}, "", "unknown format 'vst2'"},
    {"missing formats", false, {"--install"}, 2, {}, "", "missing value for --install"},
    {"option instead of formats", false, {"--install", "--json"}, 2, {}, "", "missing value for --install"},
    {"Windows option instead of formats",
     false,
     {"/install", "/json"},
     2,
     {},
     "",
     "missing value for /install"},
    {"empty value", false, {"/install="}, 2, {}, "", "missing value for /install"},
    {"missing log", false, {"--status", "--log"}, 2, {}, "", "missing value for --log"},
    {"log twice", false, {"--status", "--log", "a.txt", "--log", "b.txt"}, 2, {}, "", "--log given twice"},
    {"two actions", true, {"--status", "--uninstall", "all"}, 2, {true, true, true}, "", "more than one of"},
    {"value for a flag", false, {"--status=yes"}, 2, {}, "", "--status takes no value"},
    {"nothing to do", false, {"--json"}, 2, {}, "", "nothing to do"},
    {"log folder missing",
     true,
     {"--uninstall", "all", "--log", "no/such/folder/run.log"},
     2,
     {true, true, true},
     "",
     "cannot write the log file 'no/such/folder/run.log': its folder does not exist"},
    {"log is a folder",
     false,
     {"--install", "all", "--log", "."},
     2,
     {},
     "",
     "cannot write the log file '.': it is a folder"},
    // What would make the log fail only after the run is refused before it.
    {"log is a device", false, {"--status", "--log", "/dev/null"}, 2, {}, "", "it is not a plain file"},
    {"log named as a device",
     false,
     {"--status", "--log", "aux.txt"},
     2,
     {},
     "",
     "'aux.txt' has a name Windows takes for a device"},
    // A log never takes the place of what the installer keeps: nothing touched.
    {"log is the settings file",
     true,
     {"--status", "--log", "C:\\ProgramData\\Audio Tarvosk\\PluginManagerSettings.txt"},
     2,
     {true, true, true},
     "",
     "it is the settings file"},
    {"log is the settings file, spelled otherwise",
     false,
     {"/status", "/log=c:/programdata/AUDIO TARVOSK/pluginmanagersettings.txt."},
     2,
     {},
     "",
     "it is the settings file"},
    {"log is a bundle",
     true,
     {"--install", "clap", "--log", "C:\\Program Files\\Common Files\\CLAP\\Ostrand.clap"},
     2,
     {true, true, true},
     "",
     "it is the plug-in bundle Ostrand.clap"},
    {"log is a bundle not yet installed",
     false,
     {"--install", "clap", "--log", "C:\\Program Files\\Common Files\\CLAP\\OSTRAND.CLAP"},
     2,
     {},
     "",
     "it is the plug-in bundle Ostrand.clap"},
    {"log inside a bundle",
     true,
     {"--status", "--log", "C:\\Program Files\\Common Files\\VST3\\Ostrand.vst3\\Contents\\run.log"},
     2,
     {true, true, true},
     "",
     "it is the plug-in bundle Ostrand.vst3 or inside it"},
    {"log is a lock file",
     true,
     {"--uninstall", "aax", "--log",
      "C:\\Program Files\\Common Files\\Avid\\Audio\\Plug-Ins\\.Ostrand.aaxplugin.vx-lock"},
     2,
     {true, true, true},
     "",
     "it is the installer's own file .Ostrand.aaxplugin.vx-lock"},
};
} // namespace

TEST_F(CommandLine, ArgumentListsGiveTheirExitStatusFilesAndReport)
{
    for (const auto& c : runCases)
    {
        SCOPED_TRACE(c.name);
        prefix.driveC().getChildFile("Program Files").deleteRecursively();
        settingsFile().deleteFile();
        if (c.installedBefore)
        {
            ASSERT_EQ(run({"--install", "all"}).exitStatus, 0);
        }

        const auto before = snapshotTree(prefix.folder);
        juce::StringArray arguments;
        for (const auto* argument : c.arguments)
            arguments.add(argument);
        const auto result = run(arguments);

        EXPECT_EQ(result.exitStatus, c.exitStatus);
        EXPECT_EQ(bundlesPresent(), c.bundlesAfter);
        if (juce::String(c.output).isEmpty())
            EXPECT_EQ(result.output, juce::String());
        else
            EXPECT_TRUE(result.output.contains(c.output)) << result.output;
        if (juce::String(c.errors).isEmpty())
            EXPECT_EQ(result.errors, juce::String());
        else
            EXPECT_TRUE(result.errors.contains(c.errors)) << result.errors;

        if (c.exitStatus == cli::exitUsageError)
        {
            EXPECT_EQ(snapshotTree(prefix.folder), before) << "a usage error touched files";
            EXPECT_EQ(result.output, juce::String());
            // One line says what was wrong; the usage follows, except after a log file that
            // cannot be written, where it would not help.
            const auto firstLine = result.errors.upToFirstOccurrenceOf("\n", false, false);
            EXPECT_TRUE(firstLine.startsWith("vx_installer: ")) << result.errors;
            EXPECT_TRUE(firstLine.contains(c.errors)) << result.errors;
            if (!result.errors.contains("cannot write the log file"))
            {
                EXPECT_TRUE(result.errors.contains("usage: vx_installer")) << result.errors;
            }
        }
    }
}

// Verify names what differs from the archive; repair reinstalls only the formats that
// differ, and leaves the others' files as they are.
TEST_F(CommandLine, VerifyNamesWhatChangedAndRepairMendsOnlyThat)
{
    ASSERT_EQ(run({"--install", "all"}).exitStatus, 0);
    const auto vst3 = prefix.driveC().getChildFile(bundlePaths[0]);
    const auto clap = prefix.driveC().getChildFile(bundlePaths[1]);
    const auto aax = prefix.driveC().getChildFile(bundlePaths[2]);

    // One byte of the VST3 module changed, a file of the AAX bundle removed, a file added.
    const auto module = vst3.getChildFile("Contents/x86_64-win/Ostrand.vst3");
    {
        juce::FileOutputStream out(module);
        ASSERT_TRUE(out.openedOk() && out.setPosition(1000));
        out.writeByte(0x5a);
    }
    ASSERT_TRUE(aax.getChildFile("desktop.ini").deleteFile());
    ASSERT_TRUE(vst3.getChildFile("Contents/notes.txt").replaceWithText("mine"));

    const auto verified = run({"--verify", "--json"});
    EXPECT_EQ(verified.exitStatus, cli::exitFormatFailed);
    juce::var report;
    ASSERT_TRUE(juce::JSON::parse(verified.output, report).wasOk());
    const auto formats = *report["formats"].getArray();
    const auto list = [](const juce::var& names)
    {
        juce::StringArray all;
        for (const auto& name : *names.getArray())
            all.add(name.toString());
        return all.joinIntoString("|");
    };
    EXPECT_EQ(formats[0]["verification"].toString(), "changed");
    EXPECT_EQ(list(formats[0]["changedFiles"]), "Contents\\x86_64-win\\Ostrand.vst3");
    EXPECT_EQ(list(formats[0]["extraFiles"]), "Contents\\notes.txt");
    EXPECT_EQ(formats[1]["verification"].toString(), "intact");
    EXPECT_EQ(formats[2]["verification"].toString(), "changed");
    EXPECT_EQ(list(formats[2]["missingFiles"]), "desktop.ini");
    EXPECT_EQ(list(formats[2]["changedFiles"]), "");

    // Two names Windows takes for one (this folder tells them apart) cannot both be the
    // shipped file; a link the archive does not hold is listed like an extra file.
    ASSERT_TRUE(clap.getParentDirectory().getChildFile("elsewhere").createDirectory().wasOk());
    ASSERT_TRUE(aax.getChildFile("Plugin.ico").copyFileTo(aax.getChildFile("PLUGIN.ICO")));
    ASSERT_TRUE(clap.getParentDirectory()
                    .getChildFile("elsewhere")
                    .createSymbolicLink(aax.getChildFile("linked"), true));
    juce::var twice;
    ASSERT_TRUE(juce::JSON::parse(run({"--verify=aax", "--json"}).output, twice).wasOk());
    EXPECT_TRUE(list(twice["formats"][2]["changedFiles"]).containsIgnoreCase("Plugin.ico"))
        << juce::JSON::toString(twice);
    EXPECT_TRUE(list(twice["formats"][2]["extraFiles"]).contains("linked")) << juce::JSON::toString(twice);
    ASSERT_TRUE(aax.getChildFile("PLUGIN.ICO").deleteFile() && aax.getChildFile("linked").deleteFile());

    // An extra file alone is no change; the text report names the files too.
    ASSERT_EQ(run({"--install", "aax"}).exitStatus, 0);
    ASSERT_TRUE(aax.getChildFile("Contents/extra.bin").replaceWithText("mine"));
    const auto text = run({"/verify=aax"});
    EXPECT_EQ(text.exitStatus, 0);
    EXPECT_TRUE(text.output.contains("AAX: installed, version 1.2.0.0; intact\n"
                                     "  files the installer did not write (1): Contents\\extra.bin"))
        << text.output;
    EXPECT_TRUE(run({"/verify=vst3"})
                    .output.contains("VST3: installed, version 1.2.0.0; changed\n"
                                     "  changed files (1): Contents\\x86_64-win\\Ostrand.vst3"));

    struct stat clapBefore = {};
    ASSERT_EQ(stat(clap.getFullPathName().toRawUTF8(), &clapBefore), 0);
    const auto repaired = run({"--repair"});
    EXPECT_EQ(repaired.exitStatus, 0) << repaired.output << repaired.errors;
    EXPECT_TRUE(repaired.output.contains("VST3: installed, version 1.2.0.0; repaired")) << repaired.output;
    EXPECT_TRUE(repaired.output.contains("CLAP: installed, version 1.2.0.0; intact")) << repaired.output;
    EXPECT_EQ(run({"--verify"}).exitStatus, 0);
    // The intact format's file was neither rewritten nor replaced.
    struct stat clapAfter = {};
    ASSERT_EQ(stat(clap.getFullPathName().toRawUTF8(), &clapAfter), 0);
    EXPECT_EQ(clapAfter.st_ino, clapBefore.st_ino);
    EXPECT_EQ(clapAfter.st_ctim.tv_nsec, clapBefore.st_ctim.tv_nsec);
    EXPECT_EQ(clapAfter.st_ctim.tv_sec, clapBefore.st_ctim.tv_sec);
}

// Windows' uninstall entry, kept in memory: what the Windows program writes to the registry.
struct FakeRegistry
{
    std::optional<std::map<juce::String, juce::String>> entry;
    int writeError = 0;

    install::RegistrationTarget target(const juce::File& copyFolder, const juce::File& program)
    {
        install::RegistrationTarget target;
        target.copyFolder = copyFolder;
        target.runningProgram = program;
        target.readVersion = [this]() -> std::optional<juce::String>
        {
            if (!entry)
                return std::nullopt;
            return (*entry)["DisplayVersion"];
        };
        target.writeEntry = [this](const std::vector<platform::RegistryValue>& values)
        {
            if (writeError != 0)
                return writeError;
            // Values are set one by one on the key, as the registry does.
            if (!entry)
                entry.emplace();
            for (const auto& value : values)
                (*entry)[value.name] = value.number ? juce::String(*value.number) : value.text;
            return 0;
        };
        target.deleteEntry = [this]
        {
            entry.reset();
            return 0;
        };
        return target;
    }
};

// Every run that changes a bundle brings the entry and the installer's copy in line with
// what is installed; the maker's folder stays while it holds another product's copy.
TEST_F(CommandLine, TheUninstallEntryAndTheCopyFollowTheInstalledFormats)
{
    const auto program = prefix.folder.getChildFile("downloads/vx_installer.exe");
    ASSERT_TRUE(program.getParentDirectory().createDirectory().wasOk());
    ASSERT_TRUE(program.replaceWithText("the installer's bytes"));
    const auto makerFolder = prefix.driveC().getChildFile("Program Files/Audio Tarvosk");
    const auto copy = makerFolder.getChildFile("Ostrand/vx_installer.exe");
    ASSERT_TRUE(makerFolder.getChildFile("Other/other.exe").create().wasOk());
    FakeRegistry registry;
    folders.registration = registry.target(makerFolder.getChildFile("Ostrand"), program);

    EXPECT_TRUE(run({"--status"}).output.contains("Windows uninstall entry: not registered\n"));
    ASSERT_EQ(run({"--install", "vst3,aax"}).exitStatus, 0);
    ASSERT_TRUE(registry.entry.has_value());
    auto entry = *registry.entry;
    EXPECT_EQ(entry["DisplayName"], "Ostrand");
    EXPECT_EQ(entry["DisplayVersion"], "1.2.0");
    EXPECT_EQ(entry["InstalledFormats"], "VST3, AAX");
    EXPECT_EQ(entry["UninstallString"],
              "\"C:\\Program Files\\Audio Tarvosk\\Ostrand\\vx_installer.exe\" /uninstall=all /ask");
    EXPECT_EQ(entry["EstimatedSize"].getLargeIntValue(),
              (snapshotSize(prefix.driveC().getChildFile(bundlePaths[0])) +
               snapshotSize(prefix.driveC().getChildFile(bundlePaths[2])) + 1023) /
                  1024);
    EXPECT_EQ(copy.loadFileAsString(), "the installer's bytes");

    juce::var status;
    ASSERT_TRUE(juce::JSON::parse(run({"--status", "--json"}).output, status).wasOk());
    EXPECT_TRUE((bool)status["registration"]["registered"]);
    EXPECT_EQ(status["registration"]["version"].toString(), "1.2.0");
    // Another installer installing replaces the copy.
    ASSERT_TRUE(program.replaceWithText("a newer installer's bytes"));
    ASSERT_EQ(run({"--install", "aax"}).exitStatus, 0);
    EXPECT_EQ(copy.loadFileAsString(), "a newer installer's bytes");

    // A run that only uninstalls leaves what another installer registered (its version and
    // copy) as it is, and brings the formats in line.
    ASSERT_EQ(run({"--install", "vst3"}).exitStatus, 0);
    (*registry.entry)["DisplayVersion"] = "1.3.0";
    ASSERT_TRUE(copy.replaceWithText("another installer's copy"));
    ASSERT_EQ(run({"--uninstall", "vst3"}).exitStatus, 0);
    EXPECT_EQ((*registry.entry)["DisplayVersion"], "1.3.0");
    EXPECT_EQ((*registry.entry)["InstalledFormats"], "AAX");
    EXPECT_EQ(copy.loadFileAsString(), "another installer's copy");

    // The last format gone: the entry, the copy and the product's folder go; the maker's
    // folder stays for the other product.
    ASSERT_EQ(run({"--uninstall", "all"}).exitStatus, 0);
    EXPECT_FALSE(registry.entry.has_value());
    EXPECT_FALSE(copy.getParentDirectory().exists());
    EXPECT_TRUE(makerFolder.getChildFile("Other/other.exe").existsAsFile());
}

// A registry that cannot be written fails nothing: the install stands, and the report and
// the error stream say what is missing.
TEST_F(CommandLine, AnUninstallEntryThatCannotBeWrittenLeavesTheInstallSuccessful)
{
    const auto program = prefix.folder.getChildFile("vx_installer.exe");
    ASSERT_TRUE(program.replaceWithText("bytes"));
    FakeRegistry registry;
    registry.writeError = EACCES;
    folders.registration =
        registry.target(prefix.driveC().getChildFile("Program Files/Audio Tarvosk/Ostrand"), program);

    const auto result = run({"--install", "all"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(bundlesPresent(), (catalogue::PerFormat<bool>{true, true, true}));
    EXPECT_TRUE(result.output.contains("Windows uninstall entry: could not be updated (Permission denied)\n"))
        << result.output;
    EXPECT_TRUE(
        result.errors.contains("the Windows uninstall entry could not be updated (Permission denied)"))
        << result.errors;

    // Nor is the copy written through a link planted on its way from Program Files.
    registry.writeError = 0;
    const auto elsewhere = prefix.folder.getChildFile("elsewhere");
    const auto makerFolder = prefix.driveC().getChildFile("Program Files/Audio Tarvosk");
    ASSERT_TRUE(elsewhere.createDirectory().wasOk());
    makerFolder.deleteRecursively();
    ASSERT_TRUE(elsewhere.createSymbolicLink(makerFolder, true));
    const auto linked = run({"--install", "clap"});
    EXPECT_EQ(linked.exitStatus, 0);
    EXPECT_TRUE(linked.output.contains("Windows uninstall entry: could not be updated (")) << linked.output;
    EXPECT_EQ(elsewhere.getNumberOfChildFiles(juce::File::findFilesAndDirectories), 0);
    EXPECT_FALSE(registry.entry.has_value());
}

// The entry's UninstallString asks first and tells what happened afterwards.
TEST_F(CommandLine, AskingUninstallCancelsOnNoAndTellsTheOutcome)
{
    ASSERT_EQ(run({"--install", "vst3,clap"}).exitStatus, 0);
    juce::StringArray asked, told;
    bool answer = false;
    folders.ask = [&](const juce::String& title, const juce::String& question)
    {
        asked.add(title + ": " + question);
        return answer;
    };
    folders.tell = [&](const juce::String& title, const juce::String& message, bool problem)
    {
        told.add(title + ": " + message + (problem ? " (problem)" : ""));
    };

    const auto before = snapshotTree(prefix.folder);
    const auto cancelled = run({"/uninstall=all", "/ask"});
    EXPECT_EQ(cancelled.exitStatus, cli::exitFormatFailed);
    EXPECT_TRUE(cancelled.errors.contains("the uninstall was cancelled; nothing was changed"));
    EXPECT_EQ(snapshotTree(prefix.folder), before);
    EXPECT_EQ(asked.joinIntoString("|"),
              "Uninstall Ostrand: Remove Ostrand (VST3, CLAP) from this computer?");
    EXPECT_TRUE(told.isEmpty());

    // A format whose folder Windows cannot have fails, with the info label's sentence.
    ASSERT_TRUE(settingsFile().replaceWithText("<Plugin_Manager_Settings AAX_Path=\"C:\\x&lt;y\"/>"));
    answer = true;
    const auto failed = run({"/uninstall=all", "/ask"});
    EXPECT_EQ(failed.exitStatus, cli::exitFormatFailed);
    EXPECT_EQ(bundlesPresent(), (catalogue::PerFormat<bool>{}));
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0],
              "Uninstall Ostrand: AAX failed: Ostrand.aaxplugin could not be changed (the install folder "
              "'x<y' has the character '<' in its name, which Windows does not allow). (problem)");

    ASSERT_TRUE(settingsFile().deleteFile());
    ASSERT_EQ(run({"--install", "clap"}).exitStatus, 0);
    told.clear();
    EXPECT_EQ(run({"--uninstall", "all", "--ask"}).exitStatus, 0);
    EXPECT_EQ(told.joinIntoString("|"), "Uninstall Ostrand: Ostrand was removed from this computer.");
}

// Scripts read the JSON report on any system: its names and values stay English, and so do
// the exit statuses, whatever the language.
TEST_F(CommandLine, TheJsonReportIsTheSameInEveryLanguage)
{
    ASSERT_EQ(run({"--install", "vst3"}).exitStatus, 0);
    const auto english = run({"--status", "--json"});
    for (const auto& language : texts::supportedLanguages())
    {
        const auto translated = run({"--status", "--json", "--lang", language});
        EXPECT_EQ(translated.exitStatus, english.exitStatus) << language;
        EXPECT_EQ(translated.output, english.output) << language;
    }
    folders.language = "ja";
    EXPECT_EQ(run({"--frobnicate"}).exitStatus, cli::exitUsageError);
    EXPECT_EQ(run({"/status", "/json"}).output, english.output);
}

TEST_F(CommandLine, TheLogHoldsTheSameReport)
{
    // A relative path lies in the working directory; a Windows path where the window would
    // put it. An old log is replaced, not appended to.
    const auto relativeLog = workingDirectory.getChildFile("run.log");
    ASSERT_TRUE(relativeLog.replaceWithText(juce::String::repeatedString("old ", 1000)));
    const auto installed = run({"--install", "all", "--log", "run.log"});
    EXPECT_EQ(installed.exitStatus, 0) << installed.errors;
    EXPECT_EQ(relativeLog.loadFileAsString(), installed.output);

    prefix.driveC().getChildFile("logs").createDirectory();
    const auto status = run({"/status", "/json", "/log=C:\\logs\\status.json"});
    EXPECT_EQ(status.exitStatus, 0) << status.errors;
    const auto windowsLog = prefix.driveC().getChildFile("logs/status.json");
    EXPECT_EQ(windowsLog.loadFileAsString(), status.output);
    EXPECT_TRUE(juce::JSON::parse(windowsLog.loadFileAsString()).isObject());
}

TEST_F(CommandLine, TheLogReplacesALinkAtItsPathNeverWhatItPointsTo)
{
    const auto victim = prefix.folder.getChildFile("victim.txt");
    ASSERT_TRUE(victim.replaceWithText("another user's file"));
    const auto link = workingDirectory.getChildFile("link.log");
    ASSERT_TRUE(victim.createSymbolicLink(link, true));

    const auto result = run({"--status", "--log", "link.log"});
    EXPECT_EQ(result.exitStatus, 0) << result.errors;
    EXPECT_EQ(victim.loadFileAsString(), juce::String("another user's file"));
    EXPECT_FALSE(link.isSymbolicLink());
    EXPECT_EQ(link.loadFileAsString(), result.output);
    EXPECT_EQ(workingDirectory.findChildFiles(juce::File::findFilesAndDirectories, false, ".*").size(), 0)
        << "a work file was left beside the log";
}

// A log that cannot be written completely (here the file size limit stands in for a full
// disk) has its own exit status: the run stands, the output is whole, the old log stays.
TEST_F(CommandLine, ALogThatCannotBeWrittenCompletelyExitsThreeAndSaysWhy)
{
    const auto log = workingDirectory.getChildFile("run.log");
    ASSERT_TRUE(log.replaceWithText("the last run's log"));
    ASSERT_EQ(run({"--install", "all"}).exitStatus, 0);

    struct rlimit before;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = run({"--status", "--log", "run.log"});
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.exitStatus, cli::exitLogFailed);
    EXPECT_TRUE(result.output.contains("AAX: installed, version 1.2.0.0")) << result.output;
    EXPECT_TRUE(
        result.errors.contains("the report could not be written to the log file 'run.log' (File too large)"))
        << result.errors;
    EXPECT_EQ(log.loadFileAsString(), juce::String("the last run's log"));
    EXPECT_EQ(workingDirectory.getNumberOfChildFiles(juce::File::findFilesAndDirectories, "*"), 1);
}

// Under a prefix whose path is not UTF-8 the whole run works on the right files.
TEST_F(CommandLine, RunsUnderAPrefixWhosePathIsNotUtf8)
{
    const std::string bytes = prefix.folder.getFullPathName().toStdString() + "/j\xe9"
                                                                              "6";
    ASSERT_EQ(::mkdir(bytes.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((bytes + "/drive_c").c_str(), 0755), 0);
    ::setenv("WINEPREFIX", bytes.c_str(), 1);
    auto system = cli::systemCommandLineFolders();
    system.workingDirectory = workingDirectory;

    const auto installed = cli::runCommandLine({"--install", "all"}, system);
    EXPECT_EQ(installed.exitStatus, 0) << installed.errors;
    EXPECT_TRUE(std::filesystem::is_regular_file(bytes + "/drive_c/" + bundlePaths[1]));
    EXPECT_TRUE(installed.output.contains("  bundle: C:\\Program Files\\Common Files\\CLAP\\Ostrand.clap\n"))
        << installed.output;

    // A name inside a bundle that is not UTF-8 goes with the bundle.
    const auto vst3 = bytes + "/drive_c/" + bundlePaths[0];
    ASSERT_TRUE(std::ofstream(vst3 + "/Contents/x\xff.bin").good());
    const auto removed = cli::runCommandLine({"--uninstall", "all"}, system);
    EXPECT_EQ(removed.exitStatus, 0) << removed.errors << removed.output;
    EXPECT_FALSE(std::filesystem::exists(vst3));
    EXPECT_TRUE(removed.output.contains("VST3: not installed")) << removed.output;

    std::filesystem::remove_all(bytes);
}

TEST_F(CommandLine, AFolderReachedAgainThroughALinkOrAnotherSpellingIsNoOtherCopy)
{
    ASSERT_EQ(run({"--install", "all"}).exitStatus, 0);
    // C:\cyc\up leads to C:\ again; the 32-bit VST3 folder is a link to the 64-bit one.
    ASSERT_TRUE(prefix.driveC().getChildFile("cyc").createDirectory().wasOk());
    ASSERT_TRUE(prefix.driveC().createSymbolicLink(prefix.driveC().getChildFile("cyc/up"), true));
    const auto x86 = prefix.driveC().getChildFile("Program Files (x86)/Common Files");
    ASSERT_TRUE(x86.createDirectory().wasOk());
    ASSERT_TRUE(prefix.commonFiles().getChildFile("VST3").createSymbolicLink(x86.getChildFile("VST3"), true));
    // One real other copy, named twice.
    const auto other = prefix.driveC().getChildFile("Other/CLAP/Ostrand.clap");
    ASSERT_TRUE(other.getParentDirectory().createDirectory().wasOk());
    ASSERT_TRUE(peFixture("x86_1.1.3.7.dll").copyFileTo(other));
    folders.hostSearchFolders.clapPath =
        "C:\\cyc\\up\\Program Files\\Common Files\\CLAP;C:\\Other\\CLAP.;C:\\Other\\CLAP";

    juce::var report;
    ASSERT_TRUE(juce::JSON::parse(run({"--status", "--json"}).output, report).wasOk());
    EXPECT_EQ(report["formats"][0]["otherCopies"].size(), 0);
    ASSERT_EQ(report["formats"][1]["otherCopies"].size(), 1);
    EXPECT_EQ(report["formats"][1]["otherCopies"][0]["bundle"].toString(),
              juce::String("C:\\Other\\CLAP\\Ostrand.clap"));
}

TEST_F(CommandLine, JsonReportFollowsItsSchema)
{
    ASSERT_EQ(run({"--install", "all"}).exitStatus, 0);
    // A stale per-user CLAP copy, and CLAP_PATH naming the install folder again (not a
    // second copy), a relative entry (ignored) and a folder without the product.
    const auto stale = localAppData.getChildFile("Programs/Common/CLAP/Ostrand.clap");
    stale.getParentDirectory().createDirectory();
    ASSERT_TRUE(peFixture("x86_1.1.3.7.dll").copyFileTo(stale));
    folders.hostSearchFolders.clapPath = "C:\\Program Files\\Common Files\\CLAP;plugins;C:\\Empty";

    const auto result = run({"--status", "--json"});
    ASSERT_EQ(result.exitStatus, 0) << result.errors;
    juce::var report;
    ASSERT_TRUE(juce::JSON::parse(result.output, report).wasOk()) << result.output;

    EXPECT_EQ(report["product"].toString(), juce::String("Ostrand"));
    EXPECT_EQ(report["productVersion"].toString(), juce::String("1.2.0"));
    EXPECT_EQ(report["installerVersion"].toString(), juce::String(catalogue::installerVersion));
    EXPECT_EQ(report["action"].toString(), juce::String("status"));
    EXPECT_EQ(report["exitStatus"], juce::var(0));
    EXPECT_EQ(report["settings"]["file"].toString(),
              juce::String("C:\\ProgramData\\Audio Tarvosk\\PluginManagerSettings.txt"));
    EXPECT_EQ(report["settings"]["read"], juce::var(true));
    EXPECT_EQ(report["settings"]["written"], juce::var(false));

    const auto* formats = report["formats"].getArray();
    ASSERT_NE(formats, nullptr);
    ASSERT_EQ(formats->size(), 3);
    const char* const names[3] = {"VST3", "CLAP", "AAX"};
    const char* const folderPaths[3] = {"C:\\Program Files\\Common Files\\VST3",
                                        "C:\\Program Files\\Common Files\\CLAP",
                                        "C:\\Program Files\\Common Files\\Avid\\Audio\\Plug-Ins"};
    const char* const bundleNames[3] = {"Ostrand.vst3", "Ostrand.clap", "Ostrand.aaxplugin"};
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(names[i]);
        const auto& format = formats->getReference(i);
        EXPECT_EQ(format["name"].toString(), juce::String(names[i]));
        EXPECT_EQ(format["folder"].toString(), juce::String(folderPaths[i]));
        EXPECT_EQ(format["bundle"].toString(), juce::String(folderPaths[i]) + "\\" + bundleNames[i]);
        EXPECT_EQ(format["installed"], juce::var(true));
        EXPECT_EQ(format["version"].toString(), juce::String("1.2.0.0"));
        ASSERT_TRUE(format["otherCopies"].isArray());
        EXPECT_EQ(format["otherCopies"].size(), i == 1 ? 1 : 0);
        // Only a run reports outcomes.
        EXPECT_FALSE(format.hasProperty("outcome"));
        EXPECT_FALSE(format.hasProperty("reason"));
    }
    const auto& copy = formats->getReference(1)["otherCopies"][0];
    EXPECT_EQ(copy["bundle"].toString(),
              juce::String("C:\\users\\tester\\AppData\\Local\\Programs\\Common\\CLAP\\Ostrand.clap"));
    EXPECT_EQ(copy["version"].toString(), juce::String("1.1.3.7"));

    // The plain report names the stale copy too.
    const auto text = run({"--status"}).output;
    EXPECT_TRUE(
        text.contains("  other copy: C:\\users\\tester\\AppData\\Local\\Programs\\Common\\CLAP\\Ostrand.clap "
                      "(version 1.1.3.7)\n"))
        << text;
}

TEST_F(CommandLine, ReportsWhichSettingsFileWasReadOrWritten)
{
    EXPECT_TRUE(
        run({"--status"})
            .output.contains("Settings file: C:\\ProgramData\\Audio Tarvosk\\PluginManagerSettings.txt "
                             "(missing, written with the defaults)"));
    EXPECT_TRUE(settingsFile().existsAsFile());
    EXPECT_TRUE(run({"--status"}).output.contains("PluginManagerSettings.txt (read)"));

    ASSERT_TRUE(settingsFile().replaceWithText("not xml"));
    EXPECT_TRUE(run({"--status"}).output.contains("(not a settings file, defaults used, left unchanged)"));
    EXPECT_EQ(settingsFile().loadFileAsString(), juce::String("not xml"));

    prefix.programData().getChildFile("Audio Tarvosk").deleteRecursively();
    juce::var report;
    ASSERT_TRUE(juce::JSON::parse(run({"--status", "--json"}).output, report).wasOk());
    EXPECT_EQ(report["settings"]["read"], juce::var(false));
    EXPECT_EQ(report["settings"]["written"], juce::var(false));
    EXPECT_FALSE(prefix.programData().getChildFile("Audio Tarvosk").exists());
}

TEST_F(CommandLine, InstallsWhereTheSettingsFileSays)
{
    ASSERT_TRUE(settingsFile().replaceWithText("<Plugin_Manager_Settings CLAP_Path=\"C:\\Studio\\CLAP\"/>"));
    const auto result = run({"--install", "clap"});
    EXPECT_EQ(result.exitStatus, 0) << result.errors;
    EXPECT_TRUE(prefix.driveC().getChildFile("Studio/CLAP/Ostrand.clap").existsAsFile());
    EXPECT_FALSE(prefix.driveC().getChildFile(bundlePaths[1]).exists());
    EXPECT_TRUE(result.output.contains("  bundle: C:\\Studio\\CLAP\\Ostrand.clap\n")) << result.output;
}

TEST_F(CommandLine, AFailedFormatExitsOneAndSaysWhich)
{
    // The AAX folder lies below a plain file: nothing can be written there.
    ASSERT_TRUE(prefix.driveC().getChildFile("blocker").replaceWithText("a file"));
    ASSERT_TRUE(settingsFile().replaceWithText(
        "<Plugin_Manager_Settings VST3_Path=\"C:\\Program Files\\Common Files\\VST3\" "
        "CLAP_Path=\"C:\\Program Files\\Common Files\\CLAP\" AAX_Path=\"C:\\blocker\\AAX\"/>"));

    const auto result = run({"--install", "all", "--json"});
    EXPECT_EQ(result.exitStatus, cli::exitFormatFailed);
    EXPECT_EQ(bundlesPresent(), (catalogue::PerFormat<bool>{true, true, false}));
    EXPECT_TRUE(result.errors.startsWith("vx_installer: AAX failed: ")) << result.errors;
    EXPECT_TRUE(result.errors.endsWith("\n")) << result.errors;

    juce::var report;
    ASSERT_TRUE(juce::JSON::parse(result.output, report).wasOk()) << result.output;
    EXPECT_EQ(report["action"].toString(), juce::String("install"));
    EXPECT_EQ(report["exitStatus"], juce::var(1));
    const char* const outcomes[3] = {"succeeded", "succeeded", "failed"};
    const char* const reasons[3] = {"", "", "path-blocked"};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(report["formats"][i]["outcome"].toString(), juce::String(outcomes[i])) << i;
        EXPECT_EQ(report["formats"][i]["reason"].toString(), juce::String(reasons[i])) << i;
        EXPECT_EQ(report["formats"][i]["message"].toString().isEmpty(), i < 2) << i;
    }

    // Formats that were not asked for say so.
    const auto one = run({"--uninstall", "vst3", "--json"});
    ASSERT_TRUE(juce::JSON::parse(one.output, report).wasOk());
    EXPECT_EQ(report["formats"][0]["outcome"].toString(), juce::String("succeeded"));
    EXPECT_EQ(report["formats"][1]["outcome"].toString(), juce::String("not requested"));
    EXPECT_EQ(report["formats"][2]["outcome"].toString(), juce::String("not requested"));
}

TEST(OtherCopies, SearchFoldersOfEachFormat)
{
    ScopedWinePrefix prefix;
    install::HostSearchFolders folders;
    folders.localAppDataFolder = platform::fileFromWindowsPath("C:\\users\\me\\AppData\\Local");
    folders.commonFilesX86Folder = platform::fileFromWindowsPath("C:\\Program Files (x86)\\Common Files");
    folders.clapPath =
        " D:\\Clap "
        ";relative\\clap;;\\\\server\\share\\clap;D:/Clap/;C:\\users\\me\\AppData\\Local\\Programs\\"
        "Common\\CLAP";

    struct Case
    {
        int format;
        std::vector<const char*> expected;
    };
    const std::vector<Case> cases = {
        {0,
         {"C:\\users\\me\\AppData\\Local\\Programs\\Common\\VST3",
          "C:\\Program Files (x86)\\Common Files\\VST3"}},
        // CLAP_PATH in order, relative entries dropped, each folder once.
        {1, {"C:\\users\\me\\AppData\\Local\\Programs\\Common\\CLAP", "D:\\Clap", "\\\\server\\share\\clap"}},
        {2, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.format);
        juce::StringArray found;
        for (const auto& folder : install::otherSearchFolders(c.format, folders))
            found.add(folder.getFullPathName());
        juce::StringArray expected;
        for (const auto* path : c.expected)
            expected.add(platform::fileFromWindowsPath(path).getFullPathName());
        EXPECT_EQ(found, expected);
    }

    // Without a per-user folder, nothing is searched at the root of a drive.
    folders.localAppDataFolder = juce::File();
    folders.clapPath = {};
    EXPECT_TRUE(install::otherSearchFolders(1, folders).isEmpty());
}

TEST(OtherCopies, PerUserFolderIsTheUsersFolderInThePrefix)
{
    // Where Wine puts %LOCALAPPDATA% for the Windows program on the same prefix.
    ScopedWinePrefix prefix;
    EXPECT_EQ(platform::localAppDataFolder(),
              prefix.driveC().getChildFile("users/" + juce::SystemStats::getLogonName() + "/AppData/Local"));
    EXPECT_EQ(install::systemHostSearchFolders().commonFilesX86Folder,
              prefix.driveC().getChildFile("Program Files (x86)/Common Files"));
}
