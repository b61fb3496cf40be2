#include "install/Registration.h"

#include "catalogue/Formats.h"
#include "catalogue/Links.h"
#include "catalogue/Product.h"
#include "catalogue/Registration.h"
#include "install/InstallStatus.h"
#include "platform/NativeFiles.h"
#include "platform/Platform.h"

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

bool isCurrentCopy(const juce::File& copy, const juce::File& program)
{
    return copy.existsAsFile() && !copy.isSymbolicLink() && copy.getSize() == program.getSize() &&
           platform::readModuleVersion(copy) == platform::readModuleVersion(program);
}

// Puts this program at the copy's path, unless it runs from there or the copy there is of
// the same version already. Written beside it under a work name and renamed over it, so
// that the copy is always whole.
FileError placeCopy(const RegistrationTarget& target)
{
    const auto copy = installerCopy(target);
    if (copy == target.runningProgram || isCurrentCopy(copy, target.runningProgram))
        return {};
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
    {
        auto created = operations.createFile(partial);
        if (created.error)
            return fail(created.error);
        juce::FileInputStream source(target.runningProgram);
        if (!source.openedOk())
            return fail(FileError::of(target.runningProgram, platform::notFoundError()));
        juce::HeapBlock<char> block(1 << 16);
        for (;;)
        {
            const auto count = source.read(block.get(), 1 << 16);
            if (count <= 0)
                break;
            if (auto error = created.writer->write(block.get(), (size_t)count))
                return fail(error);
        }
    }
    if (auto error = operations.flushToDisk(partial))
        return fail(error);
    if (const auto code = platform::renameReplacing(partial, copy))
        return fail(FileError::of(copy, code));
    return {};
}

void removeCopy(const RegistrationTarget& target)
{
    platform::removeFileOrLink(installerCopy(target));
    // The product's folder and the maker's, each only while empty: the maker's folder may
    // hold other products' copies.
    for (const auto& folder : {target.copyFolder, target.copyFolder.getParentDirectory()})
        if (folder.isDirectory() && !folder.isSymbolicLink() &&
            folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories) == 0)
            folder.deleteFile();
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
                                      const juce::String& productName, const RegistrationTarget& target)
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
        if (target.runningProgram == installerCopy(target))
        {
            if (target.removeRunningCopyLater)
                target.removeRunningCopyLater();
        }
        else
        {
            removeCopy(target);
        }
        return result;
    }

    // The entry's commands run the copy: no entry without it.
    if (auto error = placeCopy(target))
    {
        result.error = error;
        result.registered = registered();
        return result;
    }
    const auto values = uninstallEntryValues(formats, (bytes + 1023) / 1024, installerCopy(target),
                                             juce::Time::getCurrentTime());
    if (const auto code = target.writeEntry(values))
    {
        result.error = FileError::of({}, code);
        result.registered = registered();
        return result;
    }
    result.registered = true;
    return result;
}

void removeUnregisteredCopy(const RegistrationTarget& target)
{
    if (!target.readVersion || !target.readVersion().has_value())
        removeCopy(target);
}
} // namespace install
