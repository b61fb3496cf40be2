#include "install/FormatRun.h"

#include "install/BundleTransaction.h"
#include "install/InstallStatus.h"
#include "platform/NativeFiles.h"
#include "platform/Platform.h"

namespace install
{
namespace
{
FormatReport failure(FailureReason reason, const juce::File& path)
{
    FormatReport report;
    report.outcome = FormatOutcome::failed;
    report.reason = reason;
    report.path = path;
    return report;
}

// Removes the bundle, and then every other entry Windows would take for its name: where
// names differ in case only (a case-sensitive file system), Windows and the status rule see
// one of them as the bundle, so an uninstall that left any would not have uninstalled.
FormatReport uninstallEverySpelling(const juce::File& bundle, FileOperations& operations)
{
    // Each round removes one entry or ends the run; the limit only guards against a
    // folder that refills itself.
    constexpr int maxSpellings = 64;
    auto report = uninstallBundle(bundle, operations);
    for (int round = 0; report.succeeded(); ++round)
    {
        const auto spelled = platform::findWindowsEntry(bundle.getParentDirectory(), bundle.getFileName());
        if (!isPresent(spelled))
            return report;
        if (round == maxSpellings)
            return failureFromError(FileError::of(spelled, platform::alreadyExistsError()), spelled);
        report = uninstallBundle(spelled, operations);
    }
    return report;
}
} // namespace

FormatReport runFormat(const juce::File& bundle, bool uninstall, const ArchiveData& archive,
                       FileOperations& operations, int lockWaitMilliseconds)
{
    const auto folder = bundle.getParentDirectory();
    if (!platform::isOnExistingDriveOrShare(folder))
        return failure(FailureReason::installFolderMissing, folder);
    // Checked by name before any file call, so that every platform refuses such a folder
    // alike and for the same reason.
    if (const auto problem = installFolderProblem(folder))
    {
        auto refused = failure(FailureReason::other, folder);
        refused.refusedName = problem;
        return refused;
    }

    // Nothing to uninstall where there is no folder; nothing to lock either.
    if (uninstall && !folder.isDirectory() && !isPresent(bundle))
    {
        FormatReport nothingThere;
        nothingThere.outcome = FormatOutcome::uninstalled;
        return nothingThere;
    }

    juce::Array<juce::File> made;
    if (!uninstall)
    {
        auto folders = makeFolderWithParents(folder, operations);
        if (folders.error)
            return failureFromError(folders.error, bundle);
        made = folders.levels;
    }

    FormatReport report;
    {
        const BundleLock lock(bundle, lockWaitMilliseconds);
        if (lock.isHeldByAnotherRun())
        {
            report = failure(FailureReason::otherInstaller, bundle);
        }
        else if (!lock.isHeld())
        {
            // The lock file cannot be made beside the bundle: whatever stops that (a
            // read-only drive, missing rights) stops the install too.
            report = failureFromError(FileError::of(getLockFile(bundle), lock.getErrorCode()), bundle);
            // A link, a folder or anything else but a file at the lock file's name is in the
            // way, like a file where a folder must go; the sentence names it.
            const auto lockFile = getLockFile(bundle);
            if (lockFile.isSymbolicLink() || (isPresent(lockFile) && !lockFile.existsAsFile()))
            {
                report.reason = FailureReason::pathBlocked;
                report.path = lockFile;
            }
        }
        else
        {
            // A bundle spelled in another case is the bundle to Windows, and after the run it
            // has the archive's spelling there: so it has here.
            const auto spelled = platform::findWindowsEntry(folder, bundle.getFileName());
            FileError error;
            if (spelled != bundle && isPresent(spelled) && !isPresent(bundle))
                error = operations.rename(spelled, bundle);
            if (error)
                report = failureFromError(error, bundle);
            else if (!uninstall)
                report = installBundle(bundle, archive.data, archive.size, operations);
            else
                report = uninstallEverySpelling(bundle, operations);
        }
    } // the lock and its file go before the folders they are in
    if (!report.succeeded())
        removeMadeFolders(made);
    return report;
}
} // namespace install
