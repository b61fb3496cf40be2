#include "install/InstallSettings.h"
#include "platform/Platform.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::ScopedWinePrefix;

namespace
{
const char* const defaultFolders[3] = {
    "C:\\Program Files\\Common Files\\VST3",
    "C:\\Program Files\\Common Files\\CLAP",
    "C:\\Program Files\\Common Files\\Avid\\Audio\\Plug-Ins",
};

const char* const settingsFilePath = "C:\\ProgramData\\Audio Tarvosk\\PluginManagerSettings.txt";

// The file a first start writes, byte for byte (CR LF line ends); the end-to-end scripts
// compare against the same fixture.
std::string expectedDefaultFile()
{
    const auto fixture = juce::File(VX_SOURCE_DIR).getChildFile("tests/fixtures/default-settings.txt");
    juce::MemoryBlock bytes;
    if (!fixture.loadFileAsData(bytes) || bytes.getSize() == 0)
        ADD_FAILURE() << "cannot read " << fixture.getFullPathName();
    return std::string(static_cast<const char*>(bytes.getData()), bytes.getSize());
}

juce::File fromWindows(const std::string& path)
{
    return platform::fileFromWindowsPath(juce::String::fromUTF8(path.data(), static_cast<int>(path.size())));
}

catalogue::PerFormat<juce::File> defaults()
{
    return {fromWindows(defaultFolders[0]), fromWindows(defaultFolders[1]), fromWindows(defaultFolders[2])};
}

std::string bytesOf(const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData(block);
    return std::string(static_cast<const char*>(block.getData()), block.getSize());
}

void writeBytes(const juce::File& file, const std::string& bytes)
{
    file.getParentDirectory().createDirectory();
    juce::FileOutputStream out(file);
    out.setPosition(0);
    out.truncate();
    out.write(bytes.data(), bytes.size());
}

// Everything below the prefix: relative path -> "dir" or the file's bytes.
std::map<juce::String, std::string> snapshot(const juce::File& root)
{
    std::map<juce::String, std::string> entries;
    for (const auto& entry :
         juce::RangedDirectoryIterator(root, true, "*", juce::File::findFilesAndDirectories))
    {
        const auto file = entry.getFile();
        entries[file.getRelativePathFrom(root)] = entry.isDirectory() ? "dir" : "file:" + bytesOf(file);
    }
    return entries;
}

void makerFolder(const ScopedWinePrefix&)
{
    fromWindows("C:\\ProgramData\\Audio Tarvosk").createDirectory();
}

std::function<void(const ScopedWinePrefix&)> settingsFile(const std::string& bytes)
{
    return [bytes](const ScopedWinePrefix&)
    {
        writeBytes(fromWindows(settingsFilePath), bytes);
    };
}

std::string settingsWith(const std::string& attributes)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<Plugin_Manager_Settings " + attributes +
           "/>\r\n";
}

std::string cutBefore(const std::string& text)
{
    const auto file = expectedDefaultFile();
    return file.substr(0, file.find(text));
}

std::string repeated(const std::string& text, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

const std::string garbage = []
{
    juce::Random random(5);
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>(random.nextInt(256));
    return bytes;
}();

const std::string longFolder = []
{
    std::string path = "C:\\Long";
    for (int i = 0; i < 20; ++i)
        path += "\\" + std::string(250, static_cast<char>('a' + i));
    return path;
}();

struct SettingsCase
{
    const char* name;
    std::function<void(const ScopedWinePrefix&)> setUp;
    catalogue::PerFormat<const char*> folders; // VST3, CLAP, AAX as Windows paths; nullptr: the default
    std::set<std::string> created;             // Windows paths of everything the load adds
};

const SettingsCase cases[] = {
    {"file missing: written with the defaults, no folder created", makerFolder, {}, {settingsFilePath}},
    {"maker folder missing: nothing written or created", [](const ScopedWinePrefix&) {}, {}, {}},
    {"a folder named PluginManagerSettings.txt is left alone",
     [](const ScopedWinePrefix&) { fromWindows(settingsFilePath).createDirectory(); },
     {},
     {}},
    {"empty file", settingsFile(""), {}, {}},
    {"plain text", settingsFile("CLAP_Path=C:\\Plugins\\CLAP\r\n"), {}, {}},
    {"XML cut inside a value", settingsFile(cutBefore("Common Files\\VST3")), {}, {}},
    // The framework's parser keeps the attributes read before the end of the input.
    {"XML cut after complete attributes",
     settingsFile(cutBefore(" AAX_Path")),
     {defaultFolders[0], defaultFolders[1], nullptr},
     {"C:\\Program Files", "C:\\Program Files\\Common Files", defaultFolders[0], defaultFolders[1]}},
    {"binary garbage", settingsFile(garbage), {}, {}},
    // The next two overflow the stack of the framework's parser: the first on a 1 MiB stack
    // (a Windows main thread's), the second on any.
    {"deeply nested elements",
     settingsFile("<Plugin_Manager_Settings CLAP_Path=\"C:\\Deep\">" + repeated("<a>", 20000)),
     {},
     {}},
    {"a self-referencing entity",
     settingsFile("<!DOCTYPE x [<!ENTITY a \"&&a;\">]><Plugin_Manager_Settings CLAP_Path=\"C:\\Deep&a;\"/>"),
     {},
     {}},
    {"another root name, extra attributes and child elements",
     settingsFile(
         "<Other Version=\"2\" AAX_Path=\"C:\\Plugins\\AAX\" CLAP_Path=\"C:\\Plugins\\CLAP\" "
         "VST3_Path=\"C:\\Plugins\\VST3\" Colour=\"red\"><Child VST3_Path=\"C:\\Wrong\"/>text</Other>"),
     {"C:\\Plugins\\VST3", "C:\\Plugins\\CLAP", "C:\\Plugins\\AAX"},
     {"C:\\Plugins", "C:\\Plugins\\VST3", "C:\\Plugins\\CLAP", "C:\\Plugins\\AAX"}},
    {"keys in another case are not the keys",
     settingsFile(settingsWith("vst3_path=\"C:\\Lower\\VST3\" CLAP_PATH=\"C:\\Upper\\CLAP\" "
                               "AAX_Path=\"C:\\Plugins\\AAX\"")),
     {nullptr, nullptr, "C:\\Plugins\\AAX"},
     {"C:\\Plugins", "C:\\Plugins\\AAX"}},
    {"missing and empty keys keep the default, the file is not repaired",
     settingsFile(settingsWith("CLAP_Path=\"\" AAX_Path=\"C:\\Plugins\\AAX\"")),
     {nullptr, nullptr, "C:\\Plugins\\AAX"},
     {"C:\\Plugins", "C:\\Plugins\\AAX"}},
    {"paths that depend on the working directory keep the default",
     settingsFile(
         settingsWith("VST3_Path=\"Plugins\\VST3\" CLAP_Path=\"\\Plugins\\CLAP\" AAX_Path=\"C:Plugins\"")),
     {},
     {}},
    {"forward slashes",
     settingsFile(settingsWith("CLAP_Path=\"C:/Plugins/CLAP/\" VST3_Path=\"C:/Plugins//VST3\"")),
     {"C:\\Plugins\\VST3", "C:\\Plugins\\CLAP", nullptr},
     {"C:\\Plugins", "C:\\Plugins\\VST3", "C:\\Plugins\\CLAP"}},
    {"two new levels below an existing folder",
     [](const ScopedWinePrefix& p)
     {
         fromWindows("C:\\Existing").createDirectory();
         settingsFile(settingsWith("AAX_Path=\"C:\\Existing\\New\\Deeper\""))(p);
     },
     {nullptr, nullptr, "C:\\Existing\\New\\Deeper"},
     {"C:\\Existing\\New", "C:\\Existing\\New\\Deeper"}},
    {"another case and trailing dots reuse the existing folders, as under Wine",
     [](const ScopedWinePrefix& p)
     {
         fromWindows("C:\\Program Files\\Common Files").createDirectory();
         settingsFile(settingsWith("VST3_Path=\"c:\\program files.\\COMMON FILES\\vst3. \""))(p);
     },
     {"C:\\Program Files\\Common Files\\vst3", nullptr, nullptr},
     {"C:\\Program Files\\Common Files\\vst3"}},
    {"a path naming an existing file",
     [](const ScopedWinePrefix& p)
     {
         writeBytes(fromWindows("C:\\Plugins\\notes.txt"), "keep me");
         settingsFile(settingsWith(
             "CLAP_Path=\"C:\\Plugins\\notes.txt\" VST3_Path=\"C:\\Plugins\\notes.txt\\VST3\""))(p);
     },
     {"C:\\Plugins\\notes.txt\\VST3", "C:\\Plugins\\notes.txt", nullptr},
     {}},
    {"a very long path: nothing is left half made",
     settingsFile(settingsWith("VST3_Path=\"" + longFolder + "\"")),
     {longFolder.c_str(), nullptr, nullptr},
     {}},
    {"non-ASCII folder names",
     settingsFile(settingsWith(
         "CLAP_Path=\"C:\\Plug-ins\\Str\xc3\xb6m &amp; \xc3\x85kesson\\\xd0\x97\xd0\xb2\xd1\x83\xd0\xba\"")),
     {nullptr, "C:\\Plug-ins\\Str\xc3\xb6m & \xc3\x85kesson\\\xd0\x97\xd0\xb2\xd1\x83\xd0\xba", nullptr},
     {"C:\\Plug-ins", "C:\\Plug-ins\\Str\xc3\xb6m & \xc3\x85kesson",
      "C:\\Plug-ins\\Str\xc3\xb6m & \xc3\x85kesson\\\xd0\x97\xd0\xb2\xd1\x83\xd0\xba"}},
    {"dot-dot stays on the drive",
     settingsFile(settingsWith("VST3_Path=\"C:\\..\\..\\..\\..\\..\\vx_outside\\VST3\"")),
     {"C:\\vx_outside\\VST3", nullptr, nullptr},
     {"C:\\vx_outside", "C:\\vx_outside\\VST3"}},
    {"a drive that is not there is not created",
     settingsFile(settingsWith("AAX_Path=\"Q:\\Plugins\\AAX\" CLAP_Path=\"\\\\server\\share\\CLAP\"")),
     {nullptr, "\\\\server\\share\\CLAP", "Q:\\Plugins\\AAX"},
     {}},
    {"a file larger than any settings file",
     settingsFile(settingsWith("CLAP_Path=\"C:\\Big\"><!--" + std::string(100000, ' ') + "-->") +
                  "</Plugin_Manager_Settings>"),
     {},
     {}},
};
} // namespace

TEST(InstallSettings, FirstStartWritesTheFiveLinesThenSecondStartCreatesTheDefaultFolders)
{
    ScopedWinePrefix prefix;
    makerFolder(prefix);

    auto folders = defaults();
    install::loadInstallSettings(platform::commonApplicationDataFolder().getChildFile("Audio Tarvosk"),
                                 folders);
    EXPECT_EQ(bytesOf(fromWindows(settingsFilePath)), expectedDefaultFile());
    EXPECT_EQ(folders, defaults());
    for (const auto& folder : defaults())
        EXPECT_FALSE(folder.exists());

    auto again = defaults();
    install::loadInstallSettings(fromWindows("C:\\ProgramData\\Audio Tarvosk"), again);
    EXPECT_EQ(again, defaults());
    for (const auto& folder : defaults())
        EXPECT_TRUE(folder.isDirectory()) << folder.getFullPathName();
    EXPECT_EQ(bytesOf(fromWindows(settingsFilePath)), expectedDefaultFile());
}

TEST(InstallSettings, FoldersFromGoodAndBadFiles)
{
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ScopedWinePrefix prefix;
        c.setUp(prefix);
        const auto before = snapshot(prefix.folder);

        auto folders = defaults();
        install::loadInstallSettings(fromWindows("C:\\ProgramData\\Audio Tarvosk"), folders);

        for (size_t format = 0; format < 3; ++format)
        {
            const auto expected =
                c.folders[format] != nullptr ? fromWindows(c.folders[format]) : defaults()[format];
            EXPECT_EQ(folders[format].getFullPathName(), expected.getFullPathName()) << "format " << format;
        }

        // Nothing that was there changed or went away; exactly the expected entries appeared.
        const auto after = snapshot(prefix.folder);
        for (const auto& [path, content] : before)
        {
            const auto now = after.find(path);
            EXPECT_TRUE(now != after.end() && now->second == content) << "changed or removed: " << path;
        }
        std::set<juce::String> expectedNew;
        for (const auto& path : c.created)
            expectedNew.insert(fromWindows(path).getRelativePathFrom(prefix.folder));
        std::set<juce::String> actualNew;
        for (const auto& [path, content] : after)
            if (before.count(path) == 0)
                actualNew.insert(path);
        EXPECT_EQ(actualNew, expectedNew);
    }
}

TEST(InstallSettings, AbsoluteWindowsPaths)
{
    const struct
    {
        const char* path;
        bool absolute;
    } paths[] = {
        {"C:\\Program Files", true},
        {"c:/x", true},
        {"C:\\", true},
        {"\\\\server\\share", true},
        {"//server/share/x", true},
        {"", false},
        {"C:", false},
        {"C:x", false},
        {"\\x", false},
        {"x\\y", false},
        {"\\\\server", false},
        {"\\\\\\x\\y", false},
        {" C:\\x", false},
        {"1:\\x", false},
        {"\xc3\x84:\\x", false},
    };
    for (const auto& p : paths)
        EXPECT_EQ(install::isAbsoluteWindowsPath(juce::String::fromUTF8(p.path)), p.absolute) << p.path;
}

namespace
{
// Runs the load in a child process, which must finish within a second and with bounded
// memory; a load that blocks or reads without end is killed and reported. The child
// reports through its exit code whether every folder kept its default.
int loadInChildWithinASecond(const juce::File& settingsFolder)
{
    const pid_t child = ::fork();
    if (child == 0)
    {
        ::alarm(1);
        const rlim_t memoryLimit = 1024L * 1024 * 1024;
        const struct rlimit limit = {memoryLimit, memoryLimit};
        ::setrlimit(RLIMIT_AS, &limit);
        auto folders = defaults();
        install::loadInstallSettings(settingsFolder, folders);
        ::_exit(folders == defaults() ? 0 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return 1000 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
} // namespace

TEST(InstallSettings, ASettingsFileThatIsNoRegularFileIsNotReadAndLeftAlone)
{
    const struct
    {
        const char* name;
        std::function<void(const juce::File&)> make;
    } cases[] = {
        {"a FIFO nobody writes to",
         [](const juce::File& file)
         {
             ASSERT_EQ(::mkfifo(file.getFullPathName().toRawUTF8(), 0600), 0);
         }},
        {"a link to /dev/zero",
         [](const juce::File& file)
         {
             ASSERT_TRUE(juce::File("/dev/zero").createSymbolicLink(file, false));
         }},
        {"a link to a link to /dev/zero",
         [](const juce::File& file)
         {
             const auto middle = file.getSiblingFile("zero-link");
             ASSERT_TRUE(juce::File("/dev/zero").createSymbolicLink(middle, false));
             ASSERT_TRUE(middle.createSymbolicLink(file, false));
         }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ScopedWinePrefix prefix;
        const auto folder = fromWindows("C:\\ProgramData\\Audio Tarvosk");
        ASSERT_TRUE(folder.createDirectory().wasOk());
        const auto file = install::getSettingsFile(folder);
        c.make(file);
        struct stat before;
        ASSERT_EQ(::lstat(file.getFullPathName().toRawUTF8(), &before), 0);
        const auto names = folder.findChildFiles(juce::File::findFilesAndDirectories, false).size();

        EXPECT_EQ(loadInChildWithinASecond(folder), 0) << "1014: still loading after a second";

        // Still the same entry, not replaced by a default file; nothing added beside it.
        struct stat after;
        ASSERT_EQ(::lstat(file.getFullPathName().toRawUTF8(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(folder.findChildFiles(juce::File::findFilesAndDirectories, false).size(), names);
    }
}

TEST(InstallSettings, AFileOfExactlyTheSizeLimitIsReadOneByteMoreIsNot)
{
    for (const auto extra : {0, 1})
    {
        SCOPED_TRACE(extra);
        ScopedWinePrefix prefix;
        const auto settings = settingsWith("CLAP_Path=\"C:\\Edge\"");
        const auto padding = std::string(static_cast<size_t>(64 * 1024 + extra) - settings.size(), ' ');
        settingsFile(settings + padding)(prefix);

        auto folders = defaults();
        install::loadInstallSettings(fromWindows("C:\\ProgramData\\Audio Tarvosk"), folders);
        EXPECT_EQ(folders[1] == fromWindows("C:\\Edge"), extra == 0);
    }
}
