#pragma once

#include "support/MessageLoop.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace testing_support
{
// Moves the X server's pointer from a connection of its own, not the framework's: a round
// trip on the framework's connection would read the resulting motion event into Xlib's
// queue, where the framework, which waits for its socket to become readable, would leave
// it unhandled.
void warpPointer(juce::Point<int> screenPosition);

// The mouse over a component that is on the desktop of an X server (run-with-xvfb.sh).
// Moves warp the real pointer, so that the X server reports the motion to the window and
// hover queries (isMouseOver asks the live pointer position) agree with the mouse source.
// There is no real button to press: presses and releases are handed to the window's peer
// at the pointer's position.
class DesktopPointer
{
public:
    explicit DesktopPointer(juce::Component& window) : window(window) {}

    ~DesktopPointer()
    {
        if (buttonDown)
            release();
        juce::ModifierKeys::currentModifiers = {};
    }

    // Moves onto the centre of target and waits until the framework has it under the
    // mouse. False if that never happens.
    bool moveOnto(juce::Component& target) { return moveTo(target.getScreenBounds().getCentre(), &target); }

    // Moves to a point where expectedUnderMouse, or the window itself when it is nullptr,
    // comes under the mouse.
    bool moveTo(juce::Point<int> screenPosition, juce::Component* expectedUnderMouse)
    {
        auto* expected = expectedUnderMouse != nullptr ? expectedUnderMouse : &window;
        const auto source = juce::Desktop::getInstance().getMainMouseSource();
        return moveTo(screenPosition,
                      [source, expected] { return source.getComponentUnderMouse() == expected; });
    }

    // Moves to a point and waits until arrived() tells that the framework has seen it.
    bool moveTo(juce::Point<int> screenPosition, const std::function<bool()>& arrived)
    {
        position = screenPosition;
        // The window may not be mapped yet at the first warp, so warp again (one pixel
        // aside and back) until the motion arrives.
        for (int attempt = 0; attempt < 50; ++attempt)
        {
            warpPointer(screenPosition + juce::Point<int>(attempt % 2, 0));
            warpPointer(screenPosition);
            if (dispatchUntil(arrived, 100))
                return true;
        }
        return false;
    }

    // At the given time (milliseconds as Time::currentTimeMillis counts them), as an event
    // the window system queued earlier carries the time it happened.
    void press(juce::int64 time = juce::Time::currentTimeMillis()) { sendButtons(true, time); }
    void release(juce::int64 time = juce::Time::currentTimeMillis()) { sendButtons(false, time); }

    void click()
    {
        press();
        release();
        dispatchMessages();
    }

private:
    void sendButtons(bool down, juce::int64 time)
    {
        buttonDown = down;
        auto& mods = juce::ModifierKeys::currentModifiers;
        mods = down ? mods.withFlags(juce::ModifierKeys::leftButtonModifier) : mods.withoutMouseButtons();
        auto* peer = window.getPeer();
        jassert(peer != nullptr);
        peer->handleMouseEvent(
            juce::MouseInputSource::InputSourceType::mouse, peer->globalToLocal(position.toFloat()), mods,
            juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation, time);
    }

    juce::Component& window;
    juce::Point<int> position;
    bool buttonDown = false;
};
} // namespace testing_support
