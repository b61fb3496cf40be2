#include "ui/ResultPanel.h"

#include "catalogue/Palette.h"
#include "texts/TextTable.h"
#include "ui/PanelPainting.h"

#include <BinaryData.h>

using namespace catalogue;

panel_success::panel_success()
{
    success = true;
    unit = 9.0f;
    // Drawn in their own colours.
    successIcon = juce::Drawable::createFromImageData(BinaryData::icon_success_svg,
                                                      static_cast<size_t>(BinaryData::icon_success_svgSize));
    warningIcon = juce::Drawable::createFromImageData(BinaryData::icon_warning_svg,
                                                      static_cast<size_t>(BinaryData::icon_warning_svgSize));
}

panel_success::~panel_success() = default;

juce::String panel_success::resultText(bool succeeded)
{
    return texts::text(succeeded ? texts::TextId::resultSucceeded : texts::TextId::resultFailed);
}

void panel_success::paint(juce::Graphics& g)
{
    const float u = unit;
    // Nothing outside the card is painted: the main screen stays visible around it.
    const auto card = getLocalBounds().toFloat().reduced(35.0f * u);

    g.setColour(juce::Colours::black);
    g.fillRoundedRectangle(card, u);
    g.setColour(colourText);
    g.drawRoundedRectangle(card, u, 0.25f * u);

    g.setColour(juce::Colours::white);
    g.setFont(ui::lookAndFeelFont(*this, 3.0f * u));

    if (auto* icon = success ? successIcon.get() : warningIcon.get())
        icon->drawWithin(g, card.reduced(8.0f * u), juce::RectanglePlacement::centred, 1.0f);

    g.drawText(resultText(success), card.reduced(2.0f * u), juce::Justification::centredBottom, true);
}
