#pragma once

#include "catalogue/FormatTable.h"
#include "install/FileOperations.h"
#include "platform/UninstallKey.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <optional>
#include <vector>

// Keeps Windows' uninstall entry for the product in line with what is installed: after a
// run that changed a bundle, the entry lists the installed formats, and the installer's
// copy that its commands run sits in Program Files; with nothing installed, both are gone.
namespace install
{
// Where the entry and the copy live, and how they are written: the machine's registry and
// Program Files for the Windows program; anything for a test.
struct RegistrationTarget
{
    juce::File copyFolder;     // the folder of the installer's copy
    juce::File runningProgram; // this program's executable, which becomes the copy
    // The entry's DisplayVersion, empty when it has none; nothing when there is no entry.
    std::function<std::optional<juce::String>()> readVersion;
    // Write or remove the entry: 0, or the system's error code. Without them the entry is
    // only read (the Linux build leaves the registry to the Windows program).
    std::function<int(const std::vector<platform::RegistryValue>&)> writeEntry;
    std::function<int()> deleteEntry;
    // Starts what removes the copy once this program, the copy itself, has exited.
    std::function<int()> removeRunningCopyLater;
};

// This machine's entry and copy.
RegistrationTarget systemRegistrationTarget();

// The copy's path in the target.
juce::File installerCopy(const RegistrationTarget& target);

// What the entry holds for the installed formats (by name), whose bundles take `sizeKiB`,
// run from the copy at `copy`, written on `date`.
std::vector<platform::RegistryValue> uninstallEntryValues(const juce::StringArray& formats,
                                                          juce::int64 sizeKiB, const juce::File& copy,
                                                          juce::Time date);

struct RegistrationResult
{
    bool updated = false;    // false when the target only reads
    bool registered = false; // the entry exists after the update
    FileError error;         // the step that failed (its path, or none for the registry); none on success
};

// Brings the entry and the copy in line with the formats installed in `installFolders`. A run
// that installed nothing (an uninstall) leaves an existing entry's version, date and copy
// as the installer that wrote them left them.
RegistrationResult updateRegistration(const catalogue::PerFormat<juce::File>& installFolders,
                                      const juce::String& productName, const RegistrationTarget& target,
                                      bool installedByThisRun);

// Removes the copy and its folders (while empty) when no entry refers to it any more; for
// the helper that runs after the copy itself has exited. The error of a copy that could
// not be removed.
FileError removeUnregisteredCopy(const RegistrationTarget& target);
} // namespace install
