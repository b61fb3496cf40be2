// Every text of the window, in every language, fits the box the window draws it in, at the
// smallest window and a larger one, measured with the face the window uses for that
// language: a line within its width (or no wider than the English, where the English
// already overfills it), a paragraph or the info label's sentences within their lines.
#include "texts/Language.h"
#include "texts/TextTable.h"
#include "ui/CustomLookAndFeel.h"
#include "ui/Fonts.h"

#include <gtest/gtest.h>

using texts::TextId;

namespace
{
struct Box
{
    TextId id;
    float fontHeight; // in u
    float width;      // in u
    float height = 0; // in u, for a paragraph; 0 for a line
};

// The info label's sentences: up to two lines of 92u (ui/MainComponent.cpp).
constexpr float infoLines = 2.0f;

// Where the window draws each text (ui/MainComponent.cpp and the panels), in units of u.
const Box boxes[] = {
    // The main screen.
    {TextId::productDemo, 9.0f, 92.0f},
    {TextId::productVersionLine, 4.0f, 92.0f},
    {TextId::installerVersionLabel, 2.0f, 21.0f},
    {TextId::formatsHeading, 4.0f, 74.0f},
    {TextId::extrasHeading, 4.0f, 92.0f},
    {TextId::licenceCaption, 2.5f, 10.0f},
    {TextId::manualCaption, 2.5f, 10.0f},
    {TextId::websiteCaption, 2.5f, 10.0f},
    {TextId::supportCaption, 2.5f, 10.0f},
    {TextId::installCaption, 2.5f, 10.0f},
    {TextId::uninstallCaption, 2.5f, 10.0f},
    {TextId::selectAllCaption, 3.0f, 15.0f},
    {TextId::statusNotInstalled, 3.0f, 32.0f},
    {TextId::statusInstalledVersion, 3.0f, 32.0f},
    // The info label: hover texts and the sentences of a run.
    {TextId::hoverUpdateFormat, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::hoverInstallFormat, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::hoverLicence, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::hoverManual, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::hoverWebsite, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::hoverSupport, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::hoverInstall, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::failedInUse, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::failedNoPermission, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::failedDiskFull, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::failedInstallFolderMissing, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::failedNoInstallFolder, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::failedPathBlocked, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::failedArchiveDamaged, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::failedOtherInstaller, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::failedOther, 3.0f, 92.0f, infoLines * 3.0f},
    {TextId::installedOldCopyLeft, 3.0f, 92.0f, infoLines * 3.0f},
    // The result card and the panels.
    {TextId::resultSucceeded, 3.0f, 26.0f},
    {TextId::resultFailed, 3.0f, 26.0f},
    {TextId::licenceHeading, 4.0f, 80.0f},
    {TextId::supportDiscordHeading, 5.0f, 80.0f},
    {TextId::supportEmailHeading, 5.0f, 80.0f},
    {TextId::supportAboutHeading, 3.0f, 80.0f},
    {TextId::supportLegal, 3.0f, 80.0f},
    {TextId::supportDiscordText, 3.0f, 70.0f, 20.0f},
    {TextId::supportEmailText, 3.0f, 70.0f, 20.0f},
    {TextId::supportAbout, 3.0f, 80.0f, 22.0f},
};

// The text as the window shows it, its placeholders filled with the longest values they take.
juce::String shown(TextId id)
{
    return texts::text(id, {{"format", "VST3"},
                            {"bundle", "Ostrand.aaxplugin"},
                            {"version", "1.2.0.0"},
                            {"product", "OSTRAND"},
                            {"platform", " for Windows"},
                            {"again", texts::text(TextId::shiftClickInstallAgain)},
                            {"holders", texts::text(TextId::anotherProgram)},
                            {"name", texts::text(TextId::aFile)},
                            {"system", ""}});
}

// The height the text takes when wrapped into `width`, in pixels.
float wrappedHeight(const juce::Font& font, const juce::String& text, float width)
{
    juce::GlyphArrangement glyphs;
    glyphs.addJustifiedText(font, text, 0.0f, 0.0f, width, juce::Justification::topLeft);
    return glyphs.getBoundingBox(0, -1, true).getBottom();
}
} // namespace

TEST(TranslationsFit, EveryTextFitsItsBoxInEveryLanguageAtTwoSizes)
{
    for (const auto& language : texts::supportedLanguages())
    {
        texts::ScopedLanguage scoped(language);
        CustomLookAndFeel lookAndFeel; // the face for this language
        for (const float u : {6.0f, 9.0f})
        {
            for (const auto& box : boxes)
            {
                const auto font = ui::fontFromTypeface(lookAndFeel.regularTypeface, box.fontHeight * u);
                const auto text = shown(box.id);
                const auto key = texts::textKey(box.id);
                if (box.height > 0.0f)
                {
                    EXPECT_LE(wrappedHeight(font, text, box.width * u), box.height * u)
                        << language << " " << key << " at u=" << u << ": " << text;
                    continue;
                }
                float allowed = box.width * u;
                {
                    texts::ScopedLanguage english("en");
                    CustomLookAndFeel englishLook;
                    allowed = std::max(allowed,
                                       ui::fontFromTypeface(englishLook.regularTypeface, box.fontHeight * u)
                                           .getStringWidthFloat(shown(box.id)));
                }
                EXPECT_LE(font.getStringWidthFloat(text), allowed)
                    << language << " " << key << " at u=" << u << " (" << allowed << " px): " << text;
            }
        }
    }
}
