#pragma once

#include "catalogue/FormatTable.h"
#include "install/FileOperations.h"
#include "install/FormatArchive.h"
#include "install/InstallReport.h"

#include <juce_core/juce_core.h>

#include <array>

namespace install
{
// One install (or, with uninstallMode, uninstall) run over the selected formats, in the
// order VST3, CLAP, AAX, from the embedded archives. Every processed format is
// deselected, whatever its outcome. The report tells per processed format what happened
// and, for a failure, why.
InstallReport runSelectedFormats(catalogue::PerFormat<bool>& formatSelected, bool uninstallMode,
                                 const catalogue::PerFormat<juce::File>& installFolders,
                                 const juce::String& productName);

// The same run over the given archives and file operations.
InstallReport runSelectedFormats(catalogue::PerFormat<bool>& formatSelected, bool uninstallMode,
                                 const catalogue::PerFormat<juce::File>& installFolders,
                                 const juce::String& productName,
                                 const catalogue::PerFormat<ArchiveData>& archives,
                                 FileOperations& operations);

// The same runs, giving only the result flag: true only when at least one format was
// processed and every processed format succeeded.
bool processSelectedFormats(catalogue::PerFormat<bool>& formatSelected, bool uninstallMode,
                            const catalogue::PerFormat<juce::File>& installFolders,
                            const juce::String& productName);
bool processSelectedFormats(catalogue::PerFormat<bool>& formatSelected, bool uninstallMode,
                            const catalogue::PerFormat<juce::File>& installFolders,
                            const juce::String& productName,
                            const catalogue::PerFormat<ArchiveData>& archives, FileOperations& operations);

// Removes a file "script.sh" from the temporary folder, if there is one; a folder of that
// name is left alone.
void removeLeftoverScript();
void removeLeftoverScript(const juce::File& temporaryFolder);
} // namespace install
