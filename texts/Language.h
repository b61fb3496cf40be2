#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// Which language the texts are in. English is the table's own; the others are
// translations of it, one file per language (texts/translations/<tag>.json), embedded in
// the program. The language is chosen once per start (the window) or per run (the command
// line), from the user's preferred languages or an explicit option.
namespace texts
{
// The languages the program speaks, by tag, English first: en, de, fr, es, it, pt-BR, ja,
// zh-CN, ko.
const juce::StringArray& supportedLanguages();

// The supported language for a language tag as systems write it ("de-AT", "pt_PT.UTF-8",
// "zh-Hans-CN"): an exact match, else the supported language of the same primary language
// ("pt-PT" gets "pt-BR"). Nothing for a language the program does not speak.
std::optional<juce::String> matchLanguage(const juce::String& tag);

// The first of the preferred tags that a supported language matches; English when none does.
juce::String chooseLanguage(const juce::StringArray& preferredTags);

// The language texts::text() answers in from now on; a tag that matches no supported
// language means English.
void setLanguage(const juce::String& tag);
juce::String currentLanguage();

// The translation of the key in a language, or nothing when that language has none (English
// has none: its texts are the table's).
std::optional<juce::String> translation(const juce::String& language, const char* key);

// Sets a language for a scope and puts the one before it back at its end.
class ScopedLanguage
{
public:
    explicit ScopedLanguage(const juce::String& tag);
    ~ScopedLanguage();

private:
    juce::String previous;
};
} // namespace texts
