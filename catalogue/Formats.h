#pragma once

#include <juce_core/juce_core.h>

// The three plug-in formats. Every per-format array of the program uses this index order.
namespace catalogue
{
enum FormatIndex
{
    vst3Format = 0,
    clapFormat = 1,
    aaxFormat = 2
};

inline constexpr int numFormats = 3;

// Lookups past the end of these lists yield an empty string.
extern const juce::StringArray formatNames;      // "VST3", "CLAP", "AAX"
extern const juce::StringArray formatExtensions; // ".vst3", ".clap", ".aaxplugin"

// Default install folder of each format, as a child path of commonFilesRoot.
extern const juce::StringArray defaultFormatFolders;

// The folders hosts search besides the install folder, where a stale copy of the product
// shadows the installed one. Empty where a format has none.
extern const juce::StringArray perUserFormatFolders; // child path of the per-user folder
extern const juce::StringArray x86FormatFolders;     // child path of commonFilesX86Root

// Environment variable naming further CLAP folders, separated by semicolons.
inline constexpr const char* clapPathVariable = "CLAP_PATH";

// Attribute of the settings file that names each format's install folder.
extern const juce::StringArray formatSettingsKeys;
} // namespace catalogue
