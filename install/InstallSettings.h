#pragma once

#include <juce_core/juce_core.h>

#include <array>

namespace install
{
// The settings file inside the maker's folder.
juce::File getSettingsFile(const juce::File& settingsFolder);

// The note written into a new settings file.
extern const char* const settingsNote;

// Start-up load of the maker's settings file in settingsFolder. installFolders holds the
// default folders on entry. When the file exists, every key that names an absolute Windows
// path replaces its format's folder, and a named folder where nothing exists is created
// with its parents; a missing, empty or relative key keeps the default. When the file does
// not exist, it is written with the defaults. Reports nothing: a file that cannot be read
// or written leaves the defaults in place and the file untouched.
void loadInstallSettings(const juce::File& settingsFolder, std::array<juce::File, 3>& installFolders);

// True for "X:\..." (either separator) and "\\server\share...": the paths that name the
// same place whatever the working directory.
bool isAbsoluteWindowsPath(const juce::String& path);
} // namespace install
