#include "texts/Language.h"
#include "texts/TextTable.h"

#include <gtest/gtest.h>

using texts::TextId;

TEST(Texts, EveryTextHasOneKeyOfItsOwn)
{
    const auto keys = texts::allTextKeys();
    ASSERT_EQ(keys.size(), static_cast<int>(TextId::numberOfTexts));
    juce::StringArray unique(keys);
    unique.removeDuplicates(false);
    EXPECT_EQ(unique.size(), keys.size());
    for (const auto& key : keys)
        EXPECT_TRUE(key.matchesWildcard("*.*", false) && !key.containsChar(' ')) << key;
}

TEST(Texts, PlaceholdersAreFilledOnceAndValuesAreNeverReadAsPlaceholders)
{
    // A path may hold braces; a placeholder without a value stays.
    EXPECT_EQ(texts::text(TextId::cliOtherCopy, {{"path", "C:\\{version}\\x"}, {"version", "version 1.0"}}),
              juce::String("  other copy: C:\\{version}\\x (version 1.0)"));
    EXPECT_EQ(texts::text(TextId::cliFolder, {}), juce::String("  folder: {path}"));
    EXPECT_EQ(texts::text(TextId::statusInstalledVersion, {{"version", "1.2.0.0"}}),
              juce::String("v1.2.0.0 INSTALLED"));
}

// Every language has every text, with the same placeholders, and no key the table lacks.
TEST(Texts, EveryTranslationHasEveryTextWithTheSamePlaceholders)
{
    const auto placeholders = [](const juce::String& text)
    {
        juce::StringArray names;
        for (int open = text.indexOfChar('{'); open >= 0; open = text.indexOfChar(open + 1, '{'))
            names.addIfNotAlreadyThere(text.substring(open, text.indexOfChar(open, '}') + 1));
        names.sort(false);
        return names.joinIntoString(" ");
    };
    for (const auto& language : texts::supportedLanguages())
    {
        if (language == "en")
            continue;
        for (int i = 0; i < static_cast<int>(TextId::numberOfTexts); ++i)
        {
            const auto id = static_cast<TextId>(i);
            const auto translated = texts::translation(language, texts::textKey(id));
            ASSERT_TRUE(translated.has_value()) << language << " lacks " << texts::textKey(id);
            EXPECT_EQ(placeholders(*translated), placeholders(texts::englishText(id)))
                << language << " " << texts::textKey(id);
        }
    }
}

TEST(Texts, TheLanguageFollowsTheTagExactlyThenByItsPrimaryLanguageThenEnglish)
{
    const struct
    {
        juce::StringArray preferred;
        const char* chosen;
    } rows[] = {
        {{"de-DE"}, "de"},         {{"de_AT.UTF-8"}, "de"}, {{"pt-PT"}, "pt-BR"}, {{"pt_BR.UTF-8"}, "pt-BR"},
        {{"zh-Hans-CN"}, "zh-CN"}, {{"ja_JP.UTF-8"}, "ja"}, {{"KO-kr"}, "ko"},    {{"sv-SE", "fr"}, "fr"},
        {{"sv-SE"}, "en"},         {{"en-GB", "de"}, "en"}, {{}, "en"},           {{"fr_FR@euro"}, "fr"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(texts::chooseLanguage(row.preferred), row.chosen) << row.preferred.joinIntoString(",");

    texts::ScopedLanguage german("de-CH");
    EXPECT_EQ(texts::currentLanguage(), "de");
    EXPECT_NE(texts::text(TextId::cliNotInstalled), texts::englishText(TextId::cliNotInstalled));
}
