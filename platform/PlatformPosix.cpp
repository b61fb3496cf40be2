#include "platform/Platform.h"

namespace platform
{
namespace
{
// The Wine prefix whose drives stand in for the Windows drives: $WINEPREFIX, or Wine's
// default prefix ~/.wine.
juce::File winePrefix()
{
    const auto fromEnvironment = juce::SystemStats::getEnvironmentVariable("WINEPREFIX", {});
    if (fromEnvironment.isNotEmpty() && juce::File::isAbsolutePath(fromEnvironment))
        return juce::File(fromEnvironment);
    return juce::File::getSpecialLocation(juce::File::userHomeDirectory).getChildFile(".wine");
}

juce::File driveC() { return winePrefix().getChildFile("drive_c"); }
} // namespace

juce::File commonApplicationDataFolder() { return driveC().getChildFile("ProgramData"); }

juce::File temporaryFolder() { return juce::File::getSpecialLocation(juce::File::tempDirectory); }

juce::String readModuleVersion(const juce::File&)
{
    // Reading version resources without Windows comes with our own PE reader.
    return {};
}

juce::File fileFromWindowsPath(const juce::String& windowsPath)
{
    auto path = windowsPath.replaceCharacter('\\', '/');
    if (path.length() >= 2 && path[1] == ':' && juce::CharacterFunctions::isLetter(path[0]))
    {
        const auto rest = path.substring(2).trimCharactersAtStart("/");
        return rest.isEmpty() ? driveC() : driveC().getChildFile(rest);
    }
    return juce::File(path);
}

juce::String windowsPathOf(const juce::File& file)
{
    const auto drive = driveC();
    if (file == drive)
        return "C:\\";
    if (file.isAChildOf(drive))
        return "C:\\" + file.getRelativePathFrom(drive).replaceCharacter('/', '\\');
    return file.getFullPathName();
}
} // namespace platform
