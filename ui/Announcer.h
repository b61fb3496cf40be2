#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// What the program says to a screen reader without moving the focus (the outcome of a
// run) goes through this one seam, so that tests can read the announcements.
namespace ui
{
using Announcer = std::function<void(const juce::String&)>;

// Hands the text to the current announcer: by default the system's screen reader, at
// high priority (juce::AccessibilityHandler::postAnnouncement); nothing is said when no
// screen reader runs.
void announce(const juce::String& text);

// Replaces the announcer and returns the previous one; an empty function restores the
// default. Message thread only.
Announcer setAnnouncer(Announcer announcer);
} // namespace ui
