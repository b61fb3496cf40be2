#include "catalogue/Formats.h"

namespace catalogue
{
const juce::StringArray formatNames{"VST3", "CLAP", "AAX"};
const juce::StringArray formatExtensions{".vst3", ".clap", ".aaxplugin"};
const juce::StringArray defaultFormatFolders{"VST3", "CLAP", "Avid/Audio/Plug-Ins"};
const juce::StringArray perUserFormatFolders{"Programs/Common/VST3", "Programs/Common/CLAP", ""};
const juce::StringArray x86FormatFolders{"VST3", "", ""};
const juce::StringArray formatSettingsKeys{"VST3_Path", "CLAP_Path", "AAX_Path"};
} // namespace catalogue
