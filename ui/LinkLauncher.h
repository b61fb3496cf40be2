#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// Every link the program opens (manual, product page, Discord, e-mail) goes through this
// one seam, so that tests can watch the launches instead of starting a browser.
namespace ui
{
using LinkLauncher = std::function<bool(const juce::URL&)>;

// Opens the link with the current launcher: by default the system's browser or mail
// program (juce::URL::launchInDefaultBrowser). Returns the launcher's result.
bool launchLink(const juce::URL& url);

// Replaces the launcher and returns the previous one; an empty function restores the
// default. Message thread only.
LinkLauncher setLinkLauncher(LinkLauncher launcher);
} // namespace ui
