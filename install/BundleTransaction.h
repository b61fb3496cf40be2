#pragma once

#include "install/FileOperations.h"
#include "install/InstallReport.h"

#include <juce_core/juce_core.h>

// Installing and removing one format's bundle so that a failure never costs the user the
// bundle that worked. Work names next to the bundle, clearly the installer's own and
// ending in no plug-in extension, so that no host scans them:
//   ".Ostrand.vst3.vx-staging"   the new bundle while it is unpacked and checked
//   ".Ostrand.vst3.vx-previous"  the old bundle while the new one is moved into place
//   ".Ostrand.vst3.vx-removed"   the bundle an uninstall has taken away, while it is deleted
// Nothing else in the install folder is ever touched.
//
// Each step reports how it ended, and for a failure why, from the error of the file call
// that failed. The reports leave `format` for the caller to fill in.
namespace install
{
juce::File getStagingFile(const juce::File& bundle);
juce::File getSetAsideFile(const juce::File& bundle);
juce::File getRemovalFile(const juce::File& bundle);

// Finishes what an interrupted earlier run left next to the bundle: a set-aside old bundle
// goes back in place if the bundle is missing, and is removed otherwise; a staging folder
// and what is left of a bundle an uninstall took away are removed (the latter as far as
// it can be: a host may still have a module of it loaded). The first failure, if any.
FileError cleanUpInterruptedRun(const juce::File& bundle, FileOperations& operations);

// Unpacks the archive's bundle into the staging name, checks it and writes it through to
// the disk; only then moves the old bundle aside, moves the new one into place and removes
// the old one. On a failure before the new bundle is in place, the staging name is
// removed, the old bundle is back where it was, and the outcome is a failure. An old
// bundle that cannot be removed once the new one is in place (a host has it loaded) gives
// installedOldCopyLeft.
FormatReport installBundle(const juce::File& bundle, const void* archive, size_t archiveSize,
                           FileOperations& operations);

// Removes the bundle (folder or file; symbolic links inside are removed, never followed).
// It is first renamed to its removal name in one step and only then deleted, so that an
// interruption leaves either the whole bundle or none under its name; once renamed it is
// uninstalled, and the next run deletes what is left. A missing bundle counts as removed.
FormatReport uninstallBundle(const juce::File& bundle, FileOperations& operations);

// The failure that a file call's error stands for, about the bundle: the reason from the
// error code, the path as the user knows it, and for a bundle held open the programs the
// system names.
FormatReport failureFromError(const FileError& error, const juce::File& bundle);
} // namespace install
