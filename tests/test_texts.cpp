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
