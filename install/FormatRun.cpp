#include "install/FormatRun.h"

#include "install/BundleTransaction.h"
#include "platform/Platform.h"

#include <optional>

namespace install
{
const char* const missingDriveReason = "drive or share does not exist";
const char* const cannotCreateFolderReason = "cannot create the install folder";

namespace
{
// The folders made for `folder`, outermost first; nothing when it cannot be made. Only
// levels below the nearest existing ancestor are made, and only when that ancestor is a
// plain folder; when a level fails, the levels made before it are removed again.
std::optional<juce::Array<juce::File>> makeFolder(const juce::File& folder, FileOperations& operations)
{
    juce::Array<juce::File> missing; // outermost first
    auto existing = folder;
    while (!isPresent(existing))
    {
        missing.insert(0, existing);
        const auto parent = existing.getParentDirectory();
        if (parent == existing)
            return std::nullopt;
        existing = parent;
    }
    if (!existing.isDirectory())
        return std::nullopt;

    juce::Array<juce::File> made;
    for (const auto& level : missing)
    {
        if (!operations.createFolder(level))
        {
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
} // namespace

juce::Result runFormat(const juce::File& bundle, bool uninstall, const ArchiveData& archive,
                       FileOperations& operations, int lockWaitMilliseconds)
{
    const auto folder = bundle.getParentDirectory();
    if (!platform::isOnExistingDriveOrShare(folder))
        return juce::Result::fail(missingDriveReason);

    // Nothing to uninstall where there is no folder; nothing to lock either.
    if (uninstall && !folder.isDirectory() && !isPresent(bundle))
        return juce::Result::ok();

    juce::Array<juce::File> made;
    if (!uninstall)
    {
        const auto folders = makeFolder(folder, operations);
        if (!folders)
            return juce::Result::fail(cannotCreateFolderReason);
        made = *folders;
    }

    auto result = juce::Result::ok();
    {
        const BundleLock lock(bundle, lockWaitMilliseconds);
        result = lock.getResult();
        // A bundle spelled in another case is the bundle to Windows, and after the run it has
        // the archive's spelling there: so it has here.
        const auto spelled = platform::findWindowsEntry(folder, bundle.getFileName());
        if (result.wasOk() && spelled != bundle && isPresent(spelled) && !isPresent(bundle) &&
            !operations.rename(spelled, bundle))
            result = juce::Result::fail(uninstall ? "the bundle could not be removed"
                                                  : "the bundle could not be installed");
        if (result.wasOk())
        {
            const bool done = uninstall ? uninstallBundle(bundle, operations)
                                        : installBundle(bundle, archive.data, archive.size, operations);
            if (!done)
                result = juce::Result::fail(uninstall ? "the bundle could not be removed"
                                                      : "the bundle could not be installed");
        }
    } // the lock and its file go before the folders they are in
    if (result.failed())
        removeMadeFolders(made);
    return result;
}
} // namespace install
