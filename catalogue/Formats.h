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

// Attribute of the settings file that names each format's install folder.
extern const juce::StringArray formatSettingsKeys;
} // namespace catalogue
