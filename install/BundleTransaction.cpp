#include "install/BundleTransaction.h"

#include "install/ZipExtraction.h"

namespace install
{
juce::File getStagingFile(const juce::File& bundle)
{
    return bundle.getSiblingFile("." + bundle.getFileName() + ".vx-staging");
}

juce::File getSetAsideFile(const juce::File& bundle)
{
    return bundle.getSiblingFile("." + bundle.getFileName() + ".vx-previous");
}

bool cleanUpInterruptedRun(const juce::File& bundle, FileOperations& operations)
{
    // The old bundle is only set aside once the new one is complete, and the new one is
    // moved into place with a single rename: a bundle next to a set-aside one is the new
    // one, and a set-aside one without a bundle is the last one that worked.
    const auto setAside = getSetAsideFile(bundle);
    if (isPresent(setAside))
    {
        const bool settled =
            isPresent(bundle) ? operations.deleteRecursively(setAside) : operations.rename(setAside, bundle);
        if (!settled)
            return false;
    }
    return operations.deleteRecursively(getStagingFile(bundle));
}

bool installBundle(const juce::File& bundle, const void* archive, size_t archiveSize,
                   FileOperations& operations)
{
    if (!cleanUpInterruptedRun(bundle, operations))
        return false;

    const auto staging = getStagingFile(bundle);
    const auto setAside = getSetAsideFile(bundle);
    // The new bundle reaches the disk before the old one is set aside: after a power loss
    // past the switch, the bundle in place is complete.
    if (!extractBundle(archive, archiveSize, bundle.getFileName(), staging, operations) ||
        !operations.flushToDisk(staging))
    {
        operations.deleteRecursively(staging);
        return false;
    }

    const bool hadOldBundle = isPresent(bundle);
    if (hadOldBundle && !operations.rename(bundle, setAside))
    {
        operations.deleteRecursively(staging);
        return false;
    }
    if (!operations.rename(staging, bundle))
    {
        // Should the old bundle not go back now, the next run puts it back.
        if (hadOldBundle)
            operations.rename(setAside, bundle);
        operations.deleteRecursively(staging);
        return false;
    }

    // The new bundle is in place: the install has succeeded. Whatever of the old one
    // cannot be removed now is removed by the next run.
    if (hadOldBundle)
        operations.deleteRecursively(setAside);
    return true;
}

bool uninstallBundle(const juce::File& bundle, FileOperations& operations)
{
    const bool cleanedUp = cleanUpInterruptedRun(bundle, operations);
    const bool removed = operations.deleteRecursively(bundle);
    return cleanedUp && removed;
}
} // namespace install
