#include "ui/PanelPainting.h"

#include "catalogue/Palette.h"
#include "ui/Fonts.h"

namespace ui
{
juce::Font lookAndFeelFont(const juce::Component& component, float height)
{
    auto& lookAndFeel = component.getLookAndFeel();
    return fontFromTypeface(lookAndFeel.getTypefaceForFont(plainFont(height)), height);
}

void drawCloseControl(juce::Graphics& g, const juce::Button& closeButton, float u)
{
    const auto area = closeButton.getBounds().toFloat().reduced(2.0f * u);
    const auto colour = closeButton.isMouseOver(false)
                            ? catalogue::colourTextDim
                            : catalogue::colourTextDim.withAlpha(catalogue::alphaIdle);
    g.setColour(colour);
    g.drawEllipse(area, 0.25f * u);
    g.setFont(lookAndFeelFont(closeButton, 3.0f * u));
    g.drawText("X", area, juce::Justification::centred, true);
}

void closePanel(juce::Component& panel)
{
    if (auto* parent = panel.getParentComponent())
        parent->removeChildComponent(&panel);
}
} // namespace ui
