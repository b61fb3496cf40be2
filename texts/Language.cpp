#include "texts/Language.h"

#include <BinaryData.h>

#include <map>
#include <mutex>

namespace texts
{
namespace
{
juce::String& languageSetting()
{
    static juce::String language = "en";
    return language;
}

// "pt_PT.UTF-8@euro" -> "pt-PT".
juce::String normalisedTag(const juce::String& tag)
{
    return tag.upToFirstOccurrenceOf(".", false, false)
        .upToFirstOccurrenceOf("@", false, false)
        .replaceCharacter('_', '-')
        .trim();
}

// A language's translations, read from its embedded file once.
const std::map<juce::String, juce::String>& translationsOf(const juce::String& language)
{
    static std::mutex lock;
    static std::map<juce::String, std::map<juce::String, juce::String>> loaded;
    const std::lock_guard<std::mutex> guard(lock);
    const auto found = loaded.find(language);
    if (found != loaded.end())
        return found->second;

    auto& texts = loaded[language];
    const auto fileName = language + ".json";
    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        if (fileName != BinaryData::originalFilenames[i])
            continue;
        int size = 0;
        const auto* data = BinaryData::getNamedResource(BinaryData::namedResourceList[i], size);
        const auto parsed = juce::JSON::parse(juce::String::fromUTF8(data, size));
        if (auto* object = parsed.getDynamicObject())
            for (const auto& property : object->getProperties())
                texts[property.name.toString()] = property.value.toString();
    }
    return texts;
}
} // namespace

const juce::StringArray& supportedLanguages()
{
    static const juce::StringArray languages{"en", "de", "fr", "es", "it", "pt-BR", "ja", "zh-CN", "ko"};
    return languages;
}

std::optional<juce::String> matchLanguage(const juce::String& tag)
{
    const auto wanted = normalisedTag(tag);
    if (wanted.isEmpty())
        return std::nullopt;
    for (const auto& language : supportedLanguages())
        if (language.equalsIgnoreCase(wanted))
            return language;
    const auto primary = wanted.upToFirstOccurrenceOf("-", false, false);
    for (const auto& language : supportedLanguages())
        if (language.upToFirstOccurrenceOf("-", false, false).equalsIgnoreCase(primary))
            return language;
    return std::nullopt;
}

juce::String chooseLanguage(const juce::StringArray& preferredTags)
{
    for (const auto& tag : preferredTags)
        if (const auto language = matchLanguage(tag))
            return *language;
    return "en";
}

void setLanguage(const juce::String& tag)
{
    languageSetting() = matchLanguage(tag).value_or("en");
}

juce::String currentLanguage()
{
    return languageSetting();
}

std::optional<juce::String> translation(const juce::String& language, const char* key)
{
    if (language == "en")
        return std::nullopt;
    const auto& texts = translationsOf(language);
    const auto found = texts.find(key);
    if (found == texts.end())
        return std::nullopt;
    return found->second;
}

ScopedLanguage::ScopedLanguage(const juce::String& tag) : previous(currentLanguage())
{
    setLanguage(tag);
}

ScopedLanguage::~ScopedLanguage()
{
    setLanguage(previous);
}
} // namespace texts
