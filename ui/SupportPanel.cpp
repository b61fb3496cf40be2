#include "ui/SupportPanel.h"

#include "catalogue/Links.h"
#include "catalogue/Palette.h"
#include "catalogue/Product.h"
#include "platform/Platform.h"
#include "texts/TextTable.h"
#include "ui/Icons.h"
#include "ui/Layout.h"
#include "ui/LinkLauncher.h"
#include "ui/PaintedControls.h"
#include "ui/PanelPainting.h"

#include <BinaryData.h>

using namespace catalogue;

namespace
{
void drawParagraph(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area)
{
    g.drawFittedText(text, area.toNearestInt(), juce::Justification::topLeft, 20);
}

void drawHeading(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area)
{
    g.drawText(text, area, juce::Justification::centredLeft, true);
}

} // namespace

panel_support::panel_support()
{
    unit = 9.0f;
    settingsFolder = juce::File();

    discordIcon = ui::createSurfaceIcon(BinaryData::icon_discord_svg, BinaryData::icon_discord_svgSize);
    mailIcon = ui::createSurfaceIcon(BinaryData::icon_mail_svg, BinaryData::icon_mail_svgSize);

    closeButton = ui::createPaintedControl(*this, "X", *this);
    discordButton = ui::createPaintedControl(*this, "DISCORD", *this);
    mailButton = ui::createPaintedControl(*this, "MAIL", *this);

    setTitle(texts::text(texts::TextId::accessibleSupport));
    closeButton->setTitle(texts::text(texts::TextId::accessibleClose));
    discordButton->setTitle(texts::text(texts::TextId::accessibleDiscord));
    discordButton->setDescription(texts::text(texts::TextId::supportDiscordText));
    mailButton->setTitle(texts::text(texts::TextId::accessibleEmail));
    mailButton->setDescription(texts::text(texts::TextId::supportEmailText));
    // Takes the focus when it opens, so that a screen reader names it and Tab stays inside.
    setWantsKeyboardFocus(true);
    setFocusContainerType(FocusContainerType::focusContainer);
}

panel_support::~panel_support() = default;

juce::String panel_support::aboutText(const juce::File& folder)
{
    // The separator before the file name is a forward slash on every platform.
    return texts::text(
        texts::TextId::supportAbout,
        {{"version", installerVersion}, {"path", platform::windowsPathOf(folder) + "/" + settingsFileName}});
}

juce::String panel_support::legalNotice()
{
    return texts::text(texts::TextId::supportLegal);
}

void panel_support::resized()
{
    closeButton->setBounds(ui::boundsInUnits(unit, 88.0f, 1.5f, 8.0f, 8.0f));
    discordButton->setBounds(ui::boundsInUnits(unit, 10.0f, 15.0f, 10.0f, 10.0f));
    mailButton->setBounds(ui::boundsInUnits(unit, 10.0f, 35.0f, 10.0f, 10.0f));
}

void panel_support::paint(juce::Graphics& g)
{
    const float u = unit;
    g.fillAll(colourBackground);
    ui::drawCloseControl(g, *closeButton, u);

    const auto headingFont = ui::lookAndFeelFont(*this, 5.0f * u);
    const auto bodyFont = ui::lookAndFeelFont(*this, 3.0f * u);

    // A contact section: its heading, its tile with the icon, and the paragraph beside the tile.
    const auto paintContactSection = [&](const juce::String& heading, float headingY,
                                         const juce::Button& button, const juce::Drawable* icon,
                                         const juce::String& text)
    {
        g.setFont(headingFont);
        g.setColour(colourText);
        drawHeading(g, heading, {10.0f * u, headingY * u, 80.0f * u, 10.0f * u});
        ui::paintTile(g, button.getBounds().toFloat(),
                      ui::tileColour(button.isMouseButtonDown(), button.isMouseOver(false)), icon, 2.0f * u,
                      u);
        g.setColour(colourTextDim);
        g.setFont(bodyFont);
        drawParagraph(g, text,
                      {static_cast<float>(button.getX()) + 12.0f * u, static_cast<float>(button.getY()),
                       70.0f * u, 30.0f * u});
    };
    paintContactSection(texts::text(texts::TextId::supportDiscordHeading), 7.0f, *discordButton,
                        discordIcon.get(), texts::text(texts::TextId::supportDiscordText));
    paintContactSection(texts::text(texts::TextId::supportEmailHeading), 27.0f, *mailButton, mailIcon.get(),
                        texts::text(texts::TextId::supportEmailText));

    g.setColour(colourTextDim);
    g.setFont(bodyFont);
    drawHeading(g, texts::text(texts::TextId::supportAboutHeading),
                {10.0f * u, 57.0f * u, 80.0f * u, 10.0f * u});
    drawParagraph(g, aboutText(settingsFolder), {10.0f * u, 65.0f * u, 80.0f * u, 30.0f * u});
    g.drawSingleLineText(legalNotice(), static_cast<int>(10.0f * u), static_cast<int>(88.0f * u),
                         juce::Justification::left);
}

std::vector<juce::Component*> panel_support::getFocusOrder() const
{
    return {closeButton.get(), discordButton.get(), mailButton.get()};
}

namespace
{
// The painted paragraphs below the tiles, read out as the panel's description.
class SupportPanelAccessibility : public juce::AccessibilityHandler
{
public:
    explicit SupportPanelAccessibility(panel_support& panel)
        : juce::AccessibilityHandler(panel, juce::AccessibilityRole::group), panel(panel)
    {
    }

    juce::String getDescription() const override
    {
        return panel_support::aboutText(panel.settingsFolder) + "\n" + panel_support::legalNotice();
    }

private:
    panel_support& panel;
};
} // namespace

std::unique_ptr<juce::AccessibilityHandler> panel_support::createAccessibilityHandler()
{
    return std::make_unique<SupportPanelAccessibility>(*this);
}

void panel_support::buttonClicked(juce::Button* button)
{
    const auto name = button->getName();
    if (name == "X")
        ui::closePanel(*this);
    else if (name == "DISCORD")
        ui::launchLink(juce::URL(discordInviteUrl));
    else if (name == "MAIL")
        ui::launchLink(juce::URL(contactMailUrl));
}
