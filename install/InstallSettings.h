#pragma once

#include "catalogue/FormatTable.h"

#include <juce_core/juce_core.h>

#include <array>

namespace install
{
// The settings file inside the maker's folder.
juce::File getSettingsFile(const juce::File& settingsFolder);

// The note written into a new settings file.
extern const char* const settingsNote;

// What a settings load did with the file.
enum class SettingsLoad
{
    read,       // the file was there and its keys were read
    unreadable, // the file was there but is not a settings file: defaults
    written,    // the file was missing and has been written with the defaults
    notWritten  // the file was missing and could not be written: defaults
};

// Start-up load of the maker's settings file in settingsFolder. installFolders holds the
// default folders on entry. When the file exists, every key that names an absolute Windows
// path replaces its format's folder, and a named folder where nothing exists is created
// with its parents; a missing, empty or relative key keeps the default. When the file does
// not exist, it is written with the defaults. Shows nothing: a file that cannot be read or
// written leaves the defaults in place and the file untouched; the result says which.
SettingsLoad loadInstallSettings(const juce::File& settingsFolder,
                                 catalogue::PerFormat<juce::File>& installFolders);

// The install folders the settings file names, as loadInstallSettings would set them, but
// without writing the file or making any folder.
void peekInstallSettings(const juce::File& settingsFolder, catalogue::PerFormat<juce::File>& installFolders);

// True for "X:\..." (either separator) and "\\server\share...": the paths that name the
// same place whatever the working directory.
bool isAbsoluteWindowsPath(const juce::String& path);
} // namespace install
