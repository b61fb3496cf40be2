#include "ui/PaintedControls.h"

#include "catalogue/Palette.h"

#include <algorithm>

namespace ui
{
std::unique_ptr<ControlButton> createPaintedControl(juce::Component& owner, const juce::String& name,
                                                    juce::Button::Listener& listener)
{
    auto button = std::make_unique<ControlButton>(name);
    owner.addAndMakeVisible(*button);
    button->setAlpha(0.0f);
    button->setRepaintsOnMouseActivity(true);
    button->addListener(&listener);
    return button;
}

juce::Colour tileColour(bool held, bool underPointer)
{
    if (held)
        return catalogue::colourGreen;
    return catalogue::colourTextDim.withAlpha(underPointer ? catalogue::alphaUnderPointer
                                                           : catalogue::alphaIdle);
}

void paintTile(juce::Graphics& g, juce::Rectangle<float> tile, juce::Colour colour,
               const juce::Drawable* icon, float iconInset, float u)
{
    g.setColour(colour);
    g.fillRoundedRectangle(tile, u);
    if (icon != nullptr)
        icon->drawWithin(g, insetClamped(tile, iconInset), juce::RectanglePlacement::centred, 1.0f);
}

juce::Rectangle<float> insetClamped(juce::Rectangle<float> area, float inset)
{
    return {area.getX() + inset, area.getY() + inset, std::max(area.getWidth() - 2.0f * inset, 0.0f),
            std::max(area.getHeight() - 2.0f * inset, 0.0f)};
}
} // namespace ui
