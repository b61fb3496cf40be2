#pragma once

#include <array>

// The product and its three plug-in formats, one row per format with every fact the
// program, the build and the payload tools need, written here only. Plain constants
// without the framework, so that the build's archive check (tools/check_archives) reads
// the same table, and plain literals, which tools/payload_layout.py reads for the Python
// tools and the build.
namespace catalogue
{
inline constexpr const char* productName = "Ostrand";

// Every per-format array of the program uses this index order.
enum FormatIndex
{
    vst3Format = 0,
    clapFormat = 1,
    aaxFormat = 2
};

inline constexpr int numFormats = 3;

// One value per format, by format index.
template <typename T> using PerFormat = std::array<T, numFormats>;

struct FormatFacts
{
    const char* name;      // on screen, on the command line and in messages: "VST3"
    const char* key;       // lower-case name the build and the payload tools use: "vst3"
    const char* extension; // of the bundle, productName + extension: ".vst3"
    // A folder bundle holds its module at moduleFolder/<bundle name>; a file bundle is the
    // module itself and has no module folder.
    bool bundleIsFolder;
    const char* moduleFolder;
    const char* defaultFolder; // default install folder, a child path of commonFilesRoot
    // Folders hosts search besides the install folder, where a stale copy of the product
    // shadows the installed one; empty where a format has none.
    const char* perUserFolder; // child path of the per-user programs folder
    const char* x86Folder;     // child path of commonFilesX86Root
    const char* settingsKey;   // attribute of the settings file naming the install folder
    const char* archive;       // file name of the embedded zip archive
    const char* icon;          // resource name of the row's icon
};

inline constexpr PerFormat<FormatFacts> formatTable{{
    {"VST3", "vst3", ".vst3", true, "Contents/x86_64-win", "VST3", "Programs/Common/VST3", "VST3",
     "VST3_Path", "vst3.zip", "icon_vst3_svg"},
    {"CLAP", "clap", ".clap", false, "", "CLAP", "Programs/Common/CLAP", "", "CLAP_Path", "clap.zip",
     "icon_clap_svg"},
    {"AAX", "aax", ".aaxplugin", true, "Contents/x64", "Avid/Audio/Plug-Ins", "", "", "AAX_Path", "aax.zip",
     "icon_aax_svg"},
}};
} // namespace catalogue
