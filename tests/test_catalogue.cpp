#include "catalogue/EulaText.h"
#include "catalogue/Formats.h"
#include "catalogue/Links.h"
#include "catalogue/Palette.h"
#include "catalogue/Product.h"

#include <gtest/gtest.h>

using namespace catalogue;

TEST(Catalogue, TablesInFormatAndLinkOrderWithEmptyLookupsPastTheEnd)
{
    EXPECT_EQ(formatNames, juce::StringArray({"VST3", "CLAP", "AAX"}));
    EXPECT_EQ(formatExtensions, juce::StringArray({".vst3", ".clap", ".aaxplugin"}));
    EXPECT_EQ(linkNames, juce::StringArray({"EULA", "MANUAL", "WEBSITE", "SUPPORT"}));
    EXPECT_EQ(formatNames[3], juce::String());
    EXPECT_EQ(formatExtensions[-1], juce::String());
    EXPECT_EQ(linkNames[4], juce::String());
}

// The Python tools and the build read the format table from tools/payload_layout.py;
// every field there must equal the program's.
// The Python tools read the table from the program's header: they see every row and field.
TEST(Catalogue, ThePythonToolsReadTheProgramsFormatTable)
{
    juce::ChildProcess python;
    ASSERT_TRUE(python.start({VX_PYTHON, "-B", VX_SOURCE_DIR "/tools/payload_layout.py", "table"}));
    const auto output = python.readAllProcessOutput();
    ASSERT_TRUE(python.waitForProcessToFinish(30000));
    ASSERT_EQ(python.getExitCode(), 0u) << output;
    const auto table = juce::JSON::parse(output);
    EXPECT_EQ(table["product"].toString(), productName);

    const auto* rows = table["formats"].getArray();
    ASSERT_NE(rows, nullptr) << output;
    ASSERT_EQ(rows->size(), numFormats);
    for (int i = 0; i < numFormats; ++i)
    {
        const auto& row = rows->getReference(i);
        const auto& format = formatTable[static_cast<size_t>(i)];
        SCOPED_TRACE(format.name);
        EXPECT_EQ(row["name"].toString(), format.name);
        EXPECT_EQ(row["key"].toString(), format.key);
        EXPECT_EQ(row["extension"].toString(), format.extension);
        EXPECT_EQ(static_cast<bool>(row["bundle_is_folder"]), format.bundleIsFolder);
        EXPECT_EQ(row["module_folder"].toString(), format.moduleFolder);
        EXPECT_EQ(row["default_folder"].toString(), format.defaultFolder);
        EXPECT_EQ(row["per_user_folder"].toString(), format.perUserFolder);
        EXPECT_EQ(row["x86_folder"].toString(), format.x86Folder);
        EXPECT_EQ(row["settings_key"].toString(), format.settingsKey);
        EXPECT_EQ(row["archive"].toString(), format.archive);
        EXPECT_EQ(row["icon"].toString(), format.icon);
        EXPECT_EQ(row.getDynamicObject()->getProperties().size(), 11) << "a field the program does not have";
    }
}

TEST(Catalogue, ProductAndInstallerValues)
{
    EXPECT_STREQ(productName, "Ostrand");
    EXPECT_STREQ(productVersion, "1.2.0");
    EXPECT_STREQ(platformSuffix, " for Windows");
    // The project's version, as CMake writes it into the generated header.
    EXPECT_STREQ(installerVersion, VX_INSTALLER_VERSION);
    EXPECT_TRUE(juce::String(installerVersion).matchesWildcard("*.*.*", true));
    EXPECT_STREQ(commonFilesRoot, "C:/Program Files/Common Files");
    EXPECT_TRUE(juce::String(productPageUrl).startsWith("https://"));
    EXPECT_TRUE(juce::String(manualUrl).startsWith("https://"));
    EXPECT_TRUE(juce::String(manualUrl).endsWith("/manuals/Ostrand_Manual.pdf"));
}

TEST(Catalogue, DisplayNameReplacesOnlyTheFirstUnderscore)
{
    struct Case
    {
        const char* stored;
        const char* shown;
    };
    for (const auto& c : {Case{"Ostrand", "Ostrand"}, Case{"Big_Room", "Big Room"}, Case{"A_B_C", "A B_C"},
                          Case{"_x", " x"}, Case{"", ""}})
        EXPECT_EQ(displayProductName(c.stored), juce::String(c.shown)) << c.stored;
}

TEST(Catalogue, PaletteStringsParseToOpaqueColoursInAnyCase)
{
    struct Case
    {
        juce::Colour colour;
        juce::uint32 argb;
    };
    for (const auto& c :
         {Case{colourBackground, 0xFF111111}, Case{colourSurface, 0xFF171717}, Case{colourText, 0xFFF5F5F5},
          Case{colourTextDim, 0xFFAAA6A6}, Case{colourGreen, 0xFF86CF7A}, Case{colourBlue, 0xFF0094D8},
          Case{colourYellow, 0xFFD3C55F}})
        EXPECT_EQ(c.colour.getARGB(), c.argb);

    EXPECT_EQ(parsePaletteColour("86cf7a"), parsePaletteColour("86CF7A"));
}

TEST(Catalogue, LicenceTextIs4785AsciiCharactersIn18LinesAndElevenParagraphs)
{
    EXPECT_EQ(eulaText.length(), 4785);
    EXPECT_FALSE(eulaText.containsChar('\r'));
    for (auto c : eulaText)
        ASSERT_LT(static_cast<juce::uint32>(c), 128u) << "not plain ASCII";

    juce::StringArray lines;
    lines.addTokens(eulaText, "\n", "");
    ASSERT_EQ(lines.size(), 18);

    // Eleven paragraphs in eight blocks: seven single empty lines, never at either end.
    int empty = 0;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].isEmpty())
        {
            ++empty;
            EXPECT_TRUE(i > 0 && i < lines.size() - 1 && lines[i - 1].isNotEmpty()) << "line " << i;
        }
    EXPECT_EQ(empty, 7);

    EXPECT_EQ(lines[0], lines[0].toUpperCase());
    EXPECT_TRUE(lines[0].contains("INSTALLING"));

    // The topics in their order.
    int position = 0;
    for (const char* topic :
         {"LICENSE GRANT", "RESTRICTIONS", "CONFIDENTIALITY", "LIMITED WARRANTY", "DISCLAIMER",
          "LIMITATION OF LIABILITY", "BETA SOFTWARE", "TERMINATION", "EXPORT CONTROL", "GOVERNING LAW"})
    {
        const int found = eulaText.indexOf(position, topic);
        EXPECT_GT(found, position) << topic;
        position = juce::jmax(position, found);
    }
}
