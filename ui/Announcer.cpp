#include "ui/Announcer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <utility>

namespace ui
{
namespace
{
Announcer& currentAnnouncer()
{
    static Announcer announcer;
    return announcer;
}
} // namespace

void announce(const juce::String& text)
{
    if (const auto& announcer = currentAnnouncer())
        announcer(text);
    else
        juce::AccessibilityHandler::postAnnouncement(text,
                                                     juce::AccessibilityHandler::AnnouncementPriority::high);
}

Announcer setAnnouncer(Announcer announcer)
{
    return std::exchange(currentAnnouncer(), std::move(announcer));
}
} // namespace ui
