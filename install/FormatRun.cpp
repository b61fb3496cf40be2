#include "install/FormatRun.h"

#include "install/BundleTransaction.h"
#include "install/InstallStatus.h"
#include "platform/NativeFiles.h"
#include "platform/Platform.h"

#include <optional>

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

// The folders made for `folder`, outermost first; nothing when it cannot be made, with the
// failure in `problem`. Only levels below the nearest existing ancestor are made, and only
// when that ancestor is a plain folder; when a level fails, the levels made before it are
// removed again.
std::optional<juce::Array<juce::File>> makeFolder(const juce::File& folder, const juce::File& bundle,
                                                  FileOperations& operations, FormatReport& problem)
{
    juce::Array<juce::File> missing; // outermost first
    auto existing = folder;
    while (!isPresent(existing))
    {
        missing.insert(0, existing);
        const auto parent = existing.getParentDirectory();
        if (parent == existing)
        {
            problem = failure(FailureReason::installFolderMissing, existing);
            return std::nullopt;
        }
        existing = parent;
    }
    if (!existing.isDirectory())
    {
        // Nothing is made below a file or a link that leads nowhere; the system's word
        // for it is the one a folder made there would get.
        operations.clearError();
        operations.recordFailure(existing, platform::alreadyExistsError());
        problem = failureFromError(operations.error(), bundle);
        return std::nullopt;
    }

    juce::Array<juce::File> made;
    for (const auto& level : missing)
    {
        operations.clearError();
        if (!operations.createFolder(level))
        {
            problem = failureFromError(operations.error(), bundle);
            for (int i = made.size(); --i >= 0;)
                made.getReference(i).deleteFile();
            return std::nullopt;
        }
        made.add(level);
    }
    return made;
}

// Removes the folders made for a failed install, innermost first, and only while they are
// empty: whatever someone else put there meanwhile stays, and so does its folder.
void removeMadeFolders(const juce::Array<juce::File>& made)
{
    for (int i = made.size(); --i >= 0;)
        if (!made.getReference(i).deleteFile())
            return;
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
    for (int round = 0; round < maxSpellings && report.succeeded(); ++round)
    {
        const auto spelled = platform::findWindowsEntry(bundle.getParentDirectory(), bundle.getFileName());
        if (!isPresent(spelled))
            return report;
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
        refused.systemError = *problem;
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
        FormatReport problem;
        const auto folders = makeFolder(folder, bundle, operations, problem);
        if (!folders)
            return problem;
        made = *folders;
    }

    FormatReport report;
    {
        const BundleLock lock(bundle, lockWaitMilliseconds);
        if (lock.isHeldByAnotherRun())
        {
            report = failure(FailureReason::otherInstaller, bundle);
        }
        else if (lock.getResult().failed())
        {
            // The lock file cannot be made beside the bundle: whatever stops that (a
            // read-only drive, missing rights) stops the install too.
            operations.clearError();
            operations.recordFailure(getLockFile(bundle), lock.getErrorCode());
            report = failureFromError(operations.error(), bundle);
            if (!operations.error())
                report.systemError = lock.getResult().getErrorMessage();
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
            operations.clearError();
            if (spelled != bundle && isPresent(spelled) && !isPresent(bundle) &&
                !operations.rename(spelled, bundle))
                report = failureFromError(operations.error(), bundle);
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
