#include "install/Registration.h"

#include "catalogue/Formats.h"
#include "catalogue/Links.h"
#include "catalogue/Product.h"
#include "catalogue/Registration.h"
#include "install/InstallStatus.h"
#include "platform/NativeFiles.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstring>

namespace install
{
namespace
{
juce::String entryKeyPath()
{
    return juce::String(catalogue::uninstallKeyParent) + "\\" + catalogue::uninstallKeyName;
}

// Bytes of every file of the bundle; links count as themselves and are never followed.
juce::int64 bundleBytes(const juce::File& bundle)
{
    if (bundle.isSymbolicLink() || !bundle.isDirectory())
        return bundle.existsAsFile() && !bundle.isSymbolicLink() ? bundle.getSize() : 0;
    juce::int64 total = 0;
    for (const auto& entry : juce::RangedDirectoryIterator(bundle, true, "*", juce::File::findFiles,
                                                           juce::File::FollowSymlinks::no))
        if (!entry.getFile().isSymbolicLink())
            total += entry.getFileSize();
    return total;
}

juce::String quoted(const juce::File& file)
{
    return "\"" + platform::windowsPathOf(file) + "\"";
}

// The same file, whichever spelling of its path (a short name, a "\\?\" prefix) names it.
bool isSameFile(const juce::File& a, const juce::File& b)
{
    const auto first = platform::identityOf(a, true);
    return a == b || (first && first == platform::identityOf(b, true));
}

// The same bytes: a copy of another build of the same version is replaced too.
bool haveSameContent(const juce::File& a, const juce::File& b)
{
    if (!a.existsAsFile() || a.isSymbolicLink() || a.getSize() != b.getSize())
        return false;
    juce::FileInputStream first(a), second(b);
    if (!first.openedOk() || !second.openedOk())
        return false;
    juce::HeapBlock<char> one(1 << 16), two(1 << 16);
    for (;;)
    {
        const auto count = first.read(one.get(), 1 << 16);
        if (count != second.read(two.get(), 1 << 16) || std::memcmp(one.get(), two.get(), (size_t)count) != 0)
            return false;
        if (count <= 0)
            return first.getStatus().wasOk() && second.getStatus().wasOk();
    }
}

// The copy's folder and the ones above it up to Program Files, where none may be a link: the
// commands of the entry run the copy with administrator rights.
FileError linkOnTheWay(const RegistrationTarget& target)
{
    for (auto folder = target.copyFolder; folder.getFullPathName().length() > 3;
         folder = folder.getParentDirectory())
    {
        if (folder.isSymbolicLink())
            return FileError::of(folder, platform::alreadyExistsError());
        if (folder == platform::programFilesFolder())
            break;
    }
    return {};
}

// Puts this program at the copy's path, unless it runs from there or the copy there is the
// same already. Written beside it under a work name and renamed over it, so that the copy
// is always whole.
FileError placeCopy(const RegistrationTarget& target)
{
    const auto copy = installerCopy(target);
    if (isSameFile(copy, target.runningProgram) || haveSameContent(copy, target.runningProgram))
        return {};
    if (auto error = linkOnTheWay(target))
        return error;
    auto& operations = defaultFileOperations();
    const auto made = makeFolderWithParents(target.copyFolder, operations);
    if (made.error)
        return made.error;
    const auto partial = target.copyFolder.getChildFile("." + copy.getFileName() + ".vx-new");
    const auto fail = [&](FileError error)
    {
        platform::removeFileOrLink(partial);
        removeMadeFolders(made.levels);
        return error;
    };
    platform::removeFileOrLink(partial); // a leftover of a run that was cut short
    FileError copyError;
    {
        auto created = operations.createFile(partial);
        if (created.error)
            return fail(created.error);
        juce::FileInputStream source(target.runningProgram);
        juce::int64 copied = 0;
        juce::HeapBlock<char> block(1 << 16);
        while (source.openedOk() && !copyError)
        {
            const auto count = source.read(block.get(), 1 << 16);
            if (count <= 0)
                break;
            copyError = created.writer->write(block.get(), (size_t)count);
            copied += count;
        }
        // A read that stops early must not leave a cut-off copy for the entry to run.
        if (!copyError &&
            (!source.openedOk() || source.getStatus().failed() || copied != source.getTotalLength()))
            copyError = FileError::of(target.runningProgram, platform::notFoundError());
    } // closed before it is removed or renamed
    if (copyError)
        return fail(copyError);
    if (auto error = operations.flushToDisk(partial))
        return fail(error);
    if (const auto code = platform::renameReplacing(partial, copy))
        return fail(FileError::of(copy, code));
    return {};
}

// Removes the copy, then the product's folder and the maker's, each only while empty: the
// maker's folder may hold other products' copies.
FileError removeCopy(const RegistrationTarget& target)
{
    const auto copy = installerCopy(target);
    if (const auto code = platform::removeFileOrLink(copy); code != 0 && code != platform::notFoundError())
        return FileError::of(copy, code);
    for (const auto& folder : {target.copyFolder, target.copyFolder.getParentDirectory()})
        if (folder.isDirectory() && !folder.isSymbolicLink() &&
            folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories) == 0)
            folder.deleteFile();
    return {};
}
} // namespace

RegistrationTarget systemRegistrationTarget()
{
    RegistrationTarget target;
    target.copyFolder = platform::programFilesFolder().getChildFile(catalogue::copyFolderPath);
    target.runningProgram = platform::runningExecutable();
    target.readVersion = []
    {
        return platform::readMachineString(entryKeyPath(), "DisplayVersion");
    };
#if JUCE_WINDOWS
    target.writeEntry = [](const std::vector<platform::RegistryValue>& values)
    {
        return platform::writeMachineKey(entryKeyPath(), values);
    };
    target.deleteEntry = []
    {
        return platform::deleteMachineKey(entryKeyPath());
    };
    target.removeRunningCopyLater = []
    {
        return platform::startTemporaryCopy("--remove-copy-after=" +
                                            juce::String(platform::currentProcessId()));
    };
#endif
    return target;
}

juce::File installerCopy(const RegistrationTarget& target)
{
    return target.copyFolder.getChildFile(catalogue::copyFileName);
}

std::vector<platform::RegistryValue> uninstallEntryValues(const juce::StringArray& formats,
                                                          juce::int64 sizeKiB, const juce::File& copy,
                                                          juce::Time date)
{
    const auto program = quoted(copy);
    return {
        {"DisplayName", catalogue::displayProductName(catalogue::productName), {}},
        {"DisplayVersion", catalogue::productVersion, {}},
        {"Publisher", catalogue::publisherName, {}},
        {"DisplayIcon", platform::windowsPathOf(copy) + ",0", {}},
        {"URLInfoAbout", catalogue::productPageUrl, {}},
        {"HelpLink", catalogue::contactMailUrl, {}},
        {"InstallDate", date.formatted("%Y%m%d"), {}},
        {"EstimatedSize", {}, (juce::uint32)juce::jlimit<juce::int64>(0, 0xffffffff, sizeKiB)},
        {"NoRepair", {}, 1u},
        {"ModifyPath", program, {}},
        {"UninstallString", program + " " + catalogue::uninstallArguments, {}},
        {"QuietUninstallString", program + " " + catalogue::quietUninstallArguments, {}},
        {"InstalledFormats", formats.joinIntoString(", "), {}},
    };
}

RegistrationResult updateRegistration(const catalogue::PerFormat<juce::File>& installFolders,
                                      const juce::String& productName, const RegistrationTarget& target,
                                      bool installedByThisRun)
{
    RegistrationResult result;
    const auto registered = [&target]
    {
        return target.readVersion && target.readVersion().has_value();
    };
    if (!target.writeEntry || !target.deleteEntry)
    {
        result.registered = registered();
        return result;
    }
    result.updated = true;

    juce::StringArray formats;
    juce::int64 bytes = 0;
    for (int format = 0; format < catalogue::numFormats; ++format)
    {
        const auto& folder = installFolders[static_cast<size_t>(format)];
        if (!isFormatInstalled(folder, productName, format))
            continue;
        formats.add(catalogue::formatNames[format]);
        bytes += bundleBytes(findInstalledBundle(folder, productName, format));
    }

    if (formats.isEmpty())
    {
        if (const auto code = target.deleteEntry())
        {
            result.error = FileError::of({}, code);
            result.registered = registered();
            return result;
        }
        // A copy cannot remove its own file while it runs: a helper does, after it exits.
        if (isSameFile(target.runningProgram, installerCopy(target)))
        {
            if (const auto code = target.removeRunningCopyLater ? target.removeRunningCopyLater() : 0)
                result.error = FileError::of(installerCopy(target), code);
        }
        else
        {
            result.error = removeCopy(target);
        }
        return result;
    }

    auto values = uninstallEntryValues(formats, (bytes + 1023) / 1024, installerCopy(target),
                                       juce::Time::getCurrentTime());
    if (!installedByThisRun && registered())
    {
        // What another installer registered stays its own: its version, date and copy; only
        // what this run changed is brought in line.
        values.erase(std::remove_if(values.begin(), values.end(),
                                    [](const platform::RegistryValue& value) {
                                        return value.name != "InstalledFormats" &&
                                               value.name != "EstimatedSize";
                                    }),
                     values.end());
    }
    // The entry's commands run the copy: no entry without it.
    else if (auto error = placeCopy(target))
    {
        result.error = error;
        result.registered = registered();
        return result;
    }
    if (const auto code = target.writeEntry(values))
    {
        result.error = FileError::of({}, code);
        result.registered = registered();
        return result;
    }
    result.registered = true;
    return result;
}

FileError removeUnregisteredCopy(const RegistrationTarget& target)
{
    if (target.readVersion && target.readVersion().has_value())
        return {};
    return removeCopy(target);
}
} // namespace install
