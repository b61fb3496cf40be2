#pragma once

#include <juce_core/juce_core.h>

// The Windows-only services the installer needs, behind one seam. The Windows build
// answers them with the framework and the Win32 API; every other build maps Windows
// drives onto a Wine prefix, so that it acts on exactly the files the Windows program
// running under Wine would.
namespace platform
{
// The common application data folder (C:\ProgramData on Windows). Not created.
juce::File commonApplicationDataFolder();

// The user's per-user application data folder, %LOCALAPPDATA% (C:\Users\<name>\AppData\Local
// on Windows). Not created.
juce::File localAppDataFolder();

// The user's temporary folder.
juce::File temporaryFolder();

// The fixed file version of a Windows module as "a.b.c.d", or an empty string when the
// file has no readable version resource.
juce::String readModuleVersion(const juce::File& module);

// A path written the Windows way ("C:\Program Files\Common Files", forward slashes
// accepted) as a file of this platform.
juce::File fileFromWindowsPath(const juce::String& windowsPath);

// The Windows form of a path of this platform, as a user of the Windows program would
// type it.
juce::String windowsPathOf(const juce::File& file);
} // namespace platform
