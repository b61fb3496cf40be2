#pragma once

#include "catalogue/FormatTable.h"
#include "catalogue/Version.h"

#include <juce_core/juce_core.h>

// The one product this installer carries (its name is in FormatTable.h, beside the
// bundles it names), and the installer's own identity.
namespace catalogue
{
inline constexpr const char* productVersion = "1.2.0";
inline constexpr const char* platformSuffix = " for Windows";
inline constexpr const char* productPageUrl = "https://www.audiotarvosk.com/products/ostrand";
inline constexpr const char* manualUrl = "https://docs.audiotarvosk.com/manuals/Ostrand_Manual.pdf";
// The kind of licence the product comes under: the maker's own agreement (EulaText.h).
inline constexpr const char* licenceName = "Proprietary (Audio Tarvosk End-User License Agreement)";
// What the product is, in one line, for package catalogues.
inline constexpr const char* productSummary = "Ostrand audio plug-in (VST3, CLAP, AAX)";

inline constexpr const char* applicationName = "vx_installer";
// The CMake project's version, which also goes into the Windows version resource.
inline constexpr const char* installerVersion = VX_INSTALLER_VERSION;

// Base of the default install folders; a literal, not a system lookup.
inline constexpr const char* commonFilesRoot = "C:/Program Files/Common Files";

// Where 32-bit hosts look for plug-ins: the 32-bit Common Files folder, also a literal.
inline constexpr const char* commonFilesX86Root = "C:/Program Files (x86)/Common Files";

// The maker's folder in the common application data folder, shared by all its installers.
inline constexpr const char* makerFolderName = "Audio Tarvosk";
inline constexpr const char* settingsFileName = "PluginManagerSettings.txt";

// The name shown on screen and used for the bundles: the first underscore becomes a space.
juce::String displayProductName(const juce::String& storedName);
} // namespace catalogue
