#include "catalogue/Formats.h"

namespace catalogue
{
namespace
{
juce::StringArray column(const char* FormatFacts::*field)
{
    juce::StringArray values;
    for (const auto& format : formatTable)
        values.add(format.*field);
    return values;
}
} // namespace

const juce::StringArray formatNames = column(&FormatFacts::name);
const juce::StringArray formatExtensions = column(&FormatFacts::extension);
const juce::StringArray defaultFormatFolders = column(&FormatFacts::defaultFolder);
const juce::StringArray perUserFormatFolders = column(&FormatFacts::perUserFolder);
const juce::StringArray x86FormatFolders = column(&FormatFacts::x86Folder);
const juce::StringArray formatSettingsKeys = column(&FormatFacts::settingsKey);
} // namespace catalogue
