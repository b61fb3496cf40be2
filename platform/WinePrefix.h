#pragma once

#include <juce_core/juce_core.h>

// The Wine prefix whose drives stand in for the Windows drives on every build but the
// Windows one: finding it, its drives and shares through dosdevices, and the mapping of
// Windows paths onto its files and back (fileFromWindowsPath, findWindowsEntry,
// isOnExistingDriveOrShare and windowsPathOf of platform/Platform.h live here).
namespace platform
{
// $WINEPREFIX, or Wine's default prefix ~/.wine.
juce::File winePrefix();

// The name of the profile folder Wine makes for the user running it (drive_c/users/<name>).
juce::String prefixUserName();

// "C:\users\<name>".
juce::String userProfilePath();

// True when the file, links resolved, lies inside the prefix, links resolved.
bool isInsidePrefix(const juce::File& file);
} // namespace platform
