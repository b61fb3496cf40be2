#include "install/BundleTransaction.h"

#include "install/ZipExtraction.h"
#include "platform/NativeFiles.h"

namespace install
{
namespace
{
bool isAtOrBelow(const juce::File& path, const juce::File& top)
{
    return path == top || path.isAChildOf(top);
}

// The installer's own work names are never shown: what happens to them happens to the bundle.
juce::File pathAsTheUserKnowsIt(const juce::File& path, const juce::File& bundle)
{
    if (path == juce::File() || isAtOrBelow(path, getStagingFile(bundle)) ||
        isAtOrBelow(path, getSetAsideFile(bundle)) || isAtOrBelow(path, getRemovalFile(bundle)) ||
        isAtOrBelow(path, bundle))
        return bundle;
    return path;
}

// The bundle's files as the system's lock holders know them; a bounded list is enough to
// find the host.
juce::Array<juce::File> filesOfBundle(const juce::File& bundle)
{
    constexpr int maxFiles = 256;
    juce::Array<juce::File> files;
    for (const auto& path : {bundle, getSetAsideFile(bundle), getRemovalFile(bundle)})
    {
        if (path.existsAsFile())
            files.add(path);
        else if (path.isDirectory())
            for (const auto& entry : juce::RangedDirectoryIterator(path, true, "*", juce::File::findFiles,
                                                                   juce::File::FollowSymlinks::no))
            {
                if (files.size() >= maxFiles)
                    break;
                files.add(entry.getFile());
            }
    }
    return files;
}

FormatReport succeeded(FormatOutcome outcome)
{
    FormatReport report;
    report.outcome = outcome;
    return report;
}
} // namespace

juce::File getStagingFile(const juce::File& bundle)
{
    return bundle.getSiblingFile("." + bundle.getFileName() + ".vx-staging");
}

juce::File getSetAsideFile(const juce::File& bundle)
{
    return bundle.getSiblingFile("." + bundle.getFileName() + ".vx-previous");
}

juce::File getRemovalFile(const juce::File& bundle)
{
    return bundle.getSiblingFile("." + bundle.getFileName() + ".vx-removed");
}

FormatReport failureFromError(const FileError& error, const juce::File& bundle)
{
    FormatReport report;
    report.outcome = FormatOutcome::failed;
    report.systemErrorCode = error.code;
    report.systemError = error.text;
    report.path = pathAsTheUserKnowsIt(error.path, bundle);
    report.reason = error ? reasonForSystemError(error.code) : FailureReason::other;

    // A link standing for a drive (a Wine prefix's dosdevices entry) whose target is gone:
    // the drive does not exist, although the system says a name is in the way.
    if (report.reason == FailureReason::pathBlocked && error.path.isSymbolicLink() && !error.path.exists())
        report.reason = FailureReason::installFolderMissing;

    // Windows refuses a folder with an open file in it as "access denied": where the system
    // names a holder of the bundle's files, that is the reason.
    if (report.reason == FailureReason::inUse || report.reason == FailureReason::noPermission)
    {
        report.holders = platform::programsHoldingFiles(filesOfBundle(bundle));
        if (!report.holders.isEmpty())
            report.reason = FailureReason::inUse;
    }
    return report;
}

FileError cleanUpInterruptedRun(const juce::File& bundle, FileOperations& operations)
{
    // The old bundle is only set aside once the new one is complete, and the new one is
    // moved into place with a single rename: a bundle next to a set-aside one is the new
    // one, and a set-aside one without a bundle is the last one that worked.
    const auto setAside = getSetAsideFile(bundle);
    if (isPresent(setAside))
    {
        if (auto error = isPresent(bundle) ? operations.deleteRecursively(setAside)
                                           : operations.rename(setAside, bundle))
            return error;
    }
    // What an uninstall took away is gone for the hosts already: only its files are left,
    // and a host that still has one loaded (Windows renames a loaded module but does not
    // delete it) must not stop this run. The next run tries again.
    operations.deleteRecursively(getRemovalFile(bundle));
    return operations.deleteRecursively(getStagingFile(bundle));
}

FormatReport installBundle(const juce::File& bundle, const void* archive, size_t archiveSize,
                           FileOperations& operations)
{
    if (const auto error = cleanUpInterruptedRun(bundle, operations))
        return failureFromError(error, bundle);

    const auto staging = getStagingFile(bundle);
    const auto setAside = getSetAsideFile(bundle);
    const auto failed = [&](const FileError& error)
    {
        auto report = failureFromError(error, bundle);
        operations.deleteRecursively(staging);
        return report;
    };
    if (const auto extraction =
            extractBundle(archive, archiveSize, bundle.getFileName(), staging, operations);
        !extraction.succeeded())
    {
        auto report = failed(extraction.error);
        if (extraction.archiveDamaged)
            report.reason = FailureReason::archiveDamaged;
        return report;
    }
    // The new bundle reaches the disk before the old one is set aside: after a power loss
    // past the switch, the bundle in place is complete.
    if (const auto error = operations.flushToDisk(staging))
        return failed(error);

    const bool hadOldBundle = isPresent(bundle);
    if (hadOldBundle)
        if (const auto error = operations.rename(bundle, setAside))
            return failed(error);
    if (const auto error = operations.rename(staging, bundle))
    {
        // Should the old bundle not go back now, the next run puts it back.
        if (hadOldBundle)
            operations.rename(setAside, bundle);
        return failed(error);
    }

    // The new bundle is in place: the install has succeeded. Whatever of the old one
    // cannot be removed now (Windows renames a loaded module but does not delete it) is
    // removed by the next run.
    if (hadOldBundle)
        if (const auto error = operations.deleteRecursively(setAside))
        {
            auto report = failureFromError(error, bundle);
            report.outcome = FormatOutcome::installedOldCopyLeft;
            return report;
        }
    return succeeded(FormatOutcome::installed);
}

FormatReport uninstallBundle(const juce::File& bundle, FileOperations& operations)
{
    if (const auto error = cleanUpInterruptedRun(bundle, operations))
        return failureFromError(error, bundle);
    // One rename takes the whole bundle away, or nothing (a file of it that a host holds
    // open without sharing stops it on Windows). Once it is away the product is
    // uninstalled: what the deletion after it cannot remove (a module a host still has
    // loaded) the next run removes.
    const auto removal = getRemovalFile(bundle);
    if (isPresent(bundle))
        if (const auto error = operations.rename(bundle, removal))
            return failureFromError(error, bundle);
    operations.deleteRecursively(removal);
    return succeeded(FormatOutcome::uninstalled);
}
} // namespace install
