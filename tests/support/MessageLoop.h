#pragma once

#include <juce_events/juce_events.h>

#include <functional>

namespace testing_support
{
// Delivers the messages already posted (clicks from triggerClick, async updates).
inline void dispatchMessages(int milliseconds = 50)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(milliseconds);
}

// Runs the message loop until condition holds; false if it still does not after
// limitMilliseconds. A bound on waiting for another process (the X server), not a speed test.
inline bool dispatchUntil(const std::function<bool()>& condition, int limitMilliseconds = 5000)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(limitMilliseconds);
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
    }
    return true;
}
} // namespace testing_support
