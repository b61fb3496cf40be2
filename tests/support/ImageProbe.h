#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace testing_support
{
// What a component paints, itself and its children, at scale 1 on a transparent image.
inline juce::Image renderComponent(juce::Component& component)
{
    return component.createComponentSnapshot(component.getLocalBounds(), true, 1.0f);
}

// The colour a translucent colour gives when painted over an opaque one.
inline juce::Colour blended(juce::Colour background, juce::Colour over)
{
    return background.overlaidWith(over);
}

// Each channel, alpha included, within tolerance of the expected colour.
inline ::testing::AssertionResult colourNear(const juce::Image& image, int x, int y, juce::Colour expected,
                                             int tolerance = 3)
{
    const auto actual = image.getPixelAt(x, y);
    const bool near = std::abs(actual.getRed() - expected.getRed()) <= tolerance &&
                      std::abs(actual.getGreen() - expected.getGreen()) <= tolerance &&
                      std::abs(actual.getBlue() - expected.getBlue()) <= tolerance &&
                      std::abs(actual.getAlpha() - expected.getAlpha()) <= tolerance;
    if (near)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is " << actual.toDisplayString(true) << ", expected "
           << expected.toDisplayString(true);
}

// The horizontal extent [first, last] of the pixels in area whose brightness is at least
// minBrightness; {-1, -1} when there is none.
inline std::pair<int, int> brightColumns(const juce::Image& image, juce::Rectangle<int> area,
                                         float minBrightness)
{
    std::pair<int, int> extent{-1, -1};
    for (int x = area.getX(); x < area.getRight(); ++x)
        for (int y = area.getY(); y < area.getBottom(); ++y)
        {
            const auto c = image.getPixelAt(x, y);
            if (c.getAlpha() > 0 && c.getPerceivedBrightness() >= minBrightness)
            {
                if (extent.first < 0)
                    extent.first = x;
                extent.second = x;
                break;
            }
        }
    return extent;
}

// True when every pixel of area equals colour.
inline bool allPixelsAre(const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (image.getPixelAt(x, y) != colour)
                return false;
    return true;
}
} // namespace testing_support
