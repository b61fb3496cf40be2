#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
// `top` at `alpha` of 255 over the opaque `below`, rounded to the nearest level.
inline juce::Colour blend(juce::Colour top, int alpha, juce::Colour below)
{
    const auto mix = [alpha](juce::uint8 t, juce::uint8 b)
    {
        return static_cast<juce::uint8>(std::lround((t * alpha + b * (255 - alpha)) / 255.0));
    };
    return juce::Colour(mix(top.getRed(), below.getRed()), mix(top.getGreen(), below.getGreen()),
                        mix(top.getBlue(), below.getBlue()));
}

// An opaque pixel within tolerance of the expected colour. Inside a shape the renderer's
// integer blending may differ from the exact mix by one level; at an anti-aliased edge
// the caller passes a larger tolerance.
inline ::testing::AssertionResult pixelIs(const juce::Image& image, int x, int y, juce::Colour expected,
                                          int tolerance = 1)
{
    const auto actual = image.getPixelAt(x, y);
    const auto off = [](juce::uint8 a, juce::uint8 b)
    {
        return std::abs(static_cast<int>(a) - b);
    };
    const int worst =
        std::max({off(actual.getRed(), expected.getRed()), off(actual.getGreen(), expected.getGreen()),
                  off(actual.getBlue(), expected.getBlue())});
    if (worst <= tolerance && actual.getAlpha() == 255)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is #" << actual.toDisplayString(true) << ", expected #"
           << expected.toDisplayString(false);
}

// Number of pixels of area that differ between two images.
inline int differingPixels(const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
{
    int count = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (a.getPixelAt(x, y) != b.getPixelAt(x, y))
                ++count;
    return count;
}

// Number of pixels with any ink (alpha above 0).
inline int inkedPixels(const juce::Image& image)
{
    int ink = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            ink += image.getPixelAt(x, y).getAlpha() > 0 ? 1 : 0;
    return ink;
}
} // namespace testing_support
