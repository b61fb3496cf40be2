#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// Copies of the product outside its install folder that hosts also load. A stale per-user
// copy is found before the installed one, so the host shows the old version.
namespace install
{
// Where those folders lie on this machine.
struct HostSearchFolders
{
    juce::File localAppDataFolder;   // %LOCALAPPDATA%
    juce::File commonFilesX86Folder; // C:\Program Files (x86)\Common Files
    juce::String clapPath;           // the value of CLAP_PATH: Windows paths, ';' between them
};

// The folders of this machine: the platform's per-user folder, the 32-bit Common Files
// folder and the process's CLAP_PATH.
HostSearchFolders systemHostSearchFolders();

struct OtherCopy
{
    juce::File bundle;
    juce::String version; // as the status rule reads it; may be empty
};

// The folders, besides the install folder, that hosts search for a format's plug-ins: the
// per-user folder, then (CLAP) every absolute entry of CLAP_PATH in order, then (VST3) the
// 32-bit folder. Without repeats.
juce::Array<juce::File> otherSearchFolders(int formatIndex, const HostSearchFolders& folders);

// The product's bundles found in those folders, other than the one in installFolder.
std::vector<OtherCopy> findOtherCopies(int formatIndex, const juce::File& installFolder,
                                       const juce::String& productName, const HostSearchFolders& folders);
} // namespace install
