#pragma once

#include "formats/WindowsPathText.h"

#include <juce_core/juce_core.h>

#include <optional>

// The one rule that tells whether, and in which version, a format of the product is
// installed. Stateless: every call asks the file system anew.
namespace install
{
// Why Windows can have no folder at the install folder's path: the name it refuses, and
// why. Nothing when it can.
std::optional<formats::PathProblem> installFolderProblem(const juce::File& installFolder);

// The product's bundle of a format: the install folder's child named product name plus
// the format's extension.
juce::File getBundleFile(const juce::File& installFolder, const juce::String& productName, int formatIndex);

// The bundle as the Windows program finds it (on Linux also one spelled in another case),
// or no file when there is none.
juce::File findInstalledBundle(const juce::File& installFolder, const juce::String& productName,
                               int formatIndex);

// True when anything, file or folder, exists at the bundle path (as the Windows program
// finds it: on Linux also under another case).
bool isFormatInstalled(const juce::File& installFolder, const juce::String& productName, int formatIndex);

// The file whose version resource gives the installed version of a format: the module
// in the module folder of a folder bundle (VST3, AAX), the bundle itself for a file bundle
// (CLAP) and for a VST3 bundle that is a single file.
juce::File getVersionSourceFile(const juce::File& installFolder, const juce::String& productName,
                                int formatIndex);

// "a.b.c.d", or empty when the format is not installed or its module has no readable version.
juce::String getInstalledVersion(const juce::File& installFolder, const juce::String& productName,
                                 int formatIndex);
} // namespace install
