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

// The user's temporary folder: on Windows what GetTempPathW gives; elsewhere the folder
// the Windows program would get in the same Wine prefix, and only if it lies inside the
// prefix. An empty path when there is none.
juce::File temporaryFolder();

// The fixed file version of a Windows module as "a.b.c.d", or an empty string when the
// file has no readable version resource.
juce::String readModuleVersion(const juce::File& module);

// A path written the Windows way ("C:\Program Files\Common Files", forward slashes
// accepted) as a file of this platform, read as Windows reads it: "\\?\" and "\\.\"
// prefixes understood, and elsewhere each part matched to an existing entry ignoring case,
// trailing dots and spaces dropped. An empty path for a name Windows refuses.
juce::File fileFromWindowsPath(const juce::String& windowsPath);

// The entry at `relativePath` ("Contents/x64/a.dll") below a folder as a Windows program
// finds it: on Windows that path; elsewhere each part matched to an existing entry ignoring
// case (the exact name first), and from the first part that does not exist on, as given.
juce::File findWindowsEntry(const juce::File& folder, const juce::String& relativePath);

// False when the file lies on a drive or share that does not exist (or on a device):
// nothing may be created there, because nothing could ever reach it.
bool isOnExistingDriveOrShare(const juce::File& file);

// Writes the file's data (on Windows only files; elsewhere a folder's entries too) through
// to the disk. 0 when done (a folder on Windows counts as done), else the system's error
// code.
int flushToDisk(const juce::File& file);

// The value of an environment variable; empty when it is not set, and elsewhere than on
// Windows also when it is not UTF-8 (the framework's strings cannot hold such bytes).
juce::String environmentText(const char* name);

// The user's preferred display languages as language tags, most preferred first: on Windows
// the display language (GetUserPreferredUILanguages, through the framework); elsewhere the
// values of LANGUAGE (a list separated by ':'), LC_ALL, LC_MESSAGES and LANG, in that
// order ("de_DE.UTF-8"). "C" and "POSIX" name no language and are left out.
juce::StringArray preferredLanguages();

// The Windows form of a path of this platform, as a user of the Windows program would
// type it.
juce::String windowsPathOf(const juce::File& file);
} // namespace platform
