#pragma once

#include <juce_events/juce_events.h>

#include <functional>

// The framework's own step of its message loop on Linux: dispatches one message from the
// system queue, or returns false at once when none is waiting. Declared here because the
// framework offers a loop of it (runDispatchLoopUntil) only when modal loops are compiled
// in, which the program itself has no use for.
namespace juce
{
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
}

namespace testing_support
{
// Runs the message loop for about `milliseconds`: delivers the messages posted (clicks
// from triggerClick, async updates, timers) meanwhile.
inline void runMessageLoopFor(int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(milliseconds);
    while (juce::Time::getMillisecondCounter() < end)
        if (!juce::dispatchNextMessageOnSystemQueue(true))
            juce::Thread::sleep(1);
}

// Delivers the messages already posted (clicks from triggerClick, async updates).
inline void dispatchMessages(int milliseconds = 50)
{
    runMessageLoopFor(milliseconds);
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
        runMessageLoopFor(10);
    }
    return true;
}
} // namespace testing_support
