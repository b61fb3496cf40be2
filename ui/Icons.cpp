#include "ui/Icons.h"

#include "catalogue/Palette.h"

namespace ui
{
std::unique_ptr<juce::Drawable> createSurfaceIcon(const char* svgData, int svgSize)
{
    auto icon = juce::Drawable::createFromImageData(svgData, static_cast<size_t>(svgSize));
    if (icon != nullptr)
        icon->replaceColour(juce::Colours::black, catalogue::colourSurface);
    return icon;
}
} // namespace ui
