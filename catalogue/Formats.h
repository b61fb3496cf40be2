#pragma once

#include "catalogue/FormatTable.h"

#include <juce_core/juce_core.h>

// Columns of the format table as string lists, in format index order. Lookups past the
// end of these lists yield an empty string.
namespace catalogue
{
extern const juce::StringArray formatNames;          // "VST3", "CLAP", "AAX"
extern const juce::StringArray formatExtensions;     // ".vst3", ".clap", ".aaxplugin"
extern const juce::StringArray defaultFormatFolders; // child paths of commonFilesRoot
extern const juce::StringArray perUserFormatFolders; // child paths of the per-user folder
extern const juce::StringArray x86FormatFolders;     // child paths of commonFilesX86Root
extern const juce::StringArray formatSettingsKeys;   // attributes of the settings file

// Environment variable naming further CLAP folders, separated by semicolons.
inline constexpr const char* clapPathVariable = "CLAP_PATH";
} // namespace catalogue
