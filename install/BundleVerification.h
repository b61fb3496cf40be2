#pragma once

#include "install/FormatArchive.h"

#include <juce_core/juce_core.h>

// Whether an installed bundle still holds what the embedded archive shipped: every entry
// present, each file with its size and CRC-32.
namespace install
{
enum class BundleState
{
    notInstalled,
    intact,
    changed
};

struct BundleCheck
{
    BundleState state = BundleState::notInstalled;
    // Paths below the bundle as Windows writes them ("Contents\x64\Ostrand.aaxplugin"), in
    // archive order; a file bundle is named by its own name.
    juce::StringArray changedFiles; // other size or other content, or no longer a plain file
    juce::StringArray missingFiles; // files and folders of the archive that are gone
    juce::StringArray extraFiles;   // files the archive does not hold: listed, never held against it
};

// Checks the bundle at `bundle` (a file or a folder, as found) against the archive of its
// format. A bundle that is not there is `notInstalled`; an archive that cannot be read
// makes every file count as changed, since nothing can be shown to be intact.
BundleCheck verifyBundle(const juce::File& bundle, const ArchiveData& archive);
} // namespace install
