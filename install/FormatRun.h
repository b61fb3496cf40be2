#pragma once

#include "install/BundleLock.h"
#include "install/FileOperations.h"
#include "install/FormatArchive.h"
#include "install/InstallReport.h"

#include <juce_core/juce_core.h>

namespace install
{
// One format's install (or uninstall) of `bundle`, with everything that keeps it safe
// around the transaction itself:
// - a folder on a drive or share that does not exist is refused before anything is made;
// - the install folder is made level by level below its nearest existing ancestor, which
//   must be a plain folder, and those levels are removed again when the install fails;
// - the bundle's lock is held for the whole transaction, the clean-up of an interrupted
//   run included, waiting up to lockWaitMilliseconds for another run on the same bundle;
// - a bundle spelled in another case (which Windows takes for the bundle) first gets the
//   name of `bundle`.
// The format's outcome, and for a failure its reason and the path concerned. The report's
// format index is left for the caller to fill in.
FormatReport runFormat(const juce::File& bundle, bool uninstall, const ArchiveData& archive,
                       FileOperations& operations,
                       int lockWaitMilliseconds = BundleLock::defaultWaitMilliseconds);
} // namespace install
