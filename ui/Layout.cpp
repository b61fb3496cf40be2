#include "ui/Layout.h"

#include <cmath>

namespace ui
{
namespace
{
int toPixels(float value)
{
    return static_cast<int>(std::nearbyint(value));
}
} // namespace

juce::Rectangle<int> boundsInUnits(float u, float x, float y, float w, float h)
{
    return {toPixels(x * u), toPixels(y * u), toPixels(w * u), toPixels(h * u)};
}

void coverOwner(const juce::Component& owner, juce::Component& panel)
{
    panel.setBounds(owner.getLocalBounds());
    panel.setAlwaysOnTop(true);
}
} // namespace ui
