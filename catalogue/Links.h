#pragma once

#include <juce_core/juce_core.h>

namespace catalogue
{
// The four link buttons in their on-screen order: "EULA", "MANUAL", "WEBSITE", "SUPPORT".
// A lookup past the end yields an empty string.
extern const juce::StringArray linkNames;

// The maker's support channels, opened from the support panel.
inline constexpr const char* discordInviteUrl = "https://discord.gg/audiotarvosk";
inline constexpr const char* contactMailUrl = "mailto:support@audiotarvosk.com";
} // namespace catalogue
