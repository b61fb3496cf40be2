#pragma once

#include <juce_core/juce_core.h>

#include <cstdlib>

namespace testing_support
{
// A scratch Wine prefix for the duration of a test: on Linux the program maps drive C:
// (install folders, the common application data folder) into $WINEPREFIX/drive_c, so
// pointing WINEPREFIX at a temporary folder keeps every test away from real folders.
class ScopedWinePrefix
{
public:
    ScopedWinePrefix()
        : folder(juce::File::getSpecialLocation(juce::File::tempDirectory)
                     .getNonexistentChildFile("vx_prefix", "", false))
    {
        folder.getChildFile("drive_c").createDirectory();
        if (const char* old = std::getenv("WINEPREFIX"))
            previous = old;
        ::setenv("WINEPREFIX", folder.getFullPathName().toRawUTF8(), 1);
    }

    ~ScopedWinePrefix()
    {
        if (previous.isNotEmpty())
            ::setenv("WINEPREFIX", previous.toRawUTF8(), 1);
        else
            ::unsetenv("WINEPREFIX");
        folder.deleteRecursively();
    }

    juce::File driveC() const { return folder.getChildFile("drive_c"); }
    juce::File programData() const { return driveC().getChildFile("ProgramData"); }
    juce::File commonFiles() const { return driveC().getChildFile("Program Files/Common Files"); }

    const juce::File folder;

private:
    juce::String previous;
};
} // namespace testing_support
