#include "ui/Icons.h"

#include "catalogue/Palette.h"

#include "BinaryData.h"

namespace ui
{
std::unique_ptr<juce::Drawable> createSurfaceIcon(const char* svgData, int svgSize)
{
    auto icon = juce::Drawable::createFromImageData(svgData, static_cast<size_t>(svgSize));
    if (icon != nullptr)
        icon->replaceColour(juce::Colours::black, catalogue::colourSurface);
    return icon;
}

std::unique_ptr<juce::Drawable> createSurfaceIcon(const char* resourceName)
{
    int size = 0;
    const char* data = BinaryData::getNamedResource(resourceName, size);
    return data != nullptr ? createSurfaceIcon(data, size) : nullptr;
}
} // namespace ui
