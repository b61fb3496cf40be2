#include "install/InstallReport.h"

#include "catalogue/Formats.h"

#include <cerrno>
#include <iterator>

namespace install
{
bool InstallReport::succeeded() const
{
    if (formats.empty())
        return false;
    for (const auto& format : formats)
        if (!format.succeeded())
            return false;
    return true;
}

FailureReason reasonForSystemError(int code)
{
#if JUCE_WINDOWS
    // Win32 error codes (winerror.h), spelled out so that this file needs no Windows header.
    switch (code)
    {
    case 0:
        return FailureReason::none;
    case 32:   // ERROR_SHARING_VIOLATION
    case 33:   // ERROR_LOCK_VIOLATION
    case 170:  // ERROR_BUSY
    case 1224: // ERROR_USER_MAPPED_FILE
        return FailureReason::inUse;
    case 5:    // ERROR_ACCESS_DENIED
    case 19:   // ERROR_WRITE_PROTECT
    case 1314: // ERROR_PRIVILEGE_NOT_HELD
        return FailureReason::noPermission;
    case 39:  // ERROR_HANDLE_DISK_FULL
    case 112: // ERROR_DISK_FULL
        return FailureReason::diskFull;
    case 3:    // ERROR_PATH_NOT_FOUND
    case 15:   // ERROR_INVALID_DRIVE
    case 21:   // ERROR_NOT_READY
    case 53:   // ERROR_BAD_NETPATH
    case 67:   // ERROR_BAD_NET_NAME
    case 1231: // ERROR_NETWORK_UNREACHABLE
        return FailureReason::installFolderMissing;
    case 80:  // ERROR_FILE_EXISTS
    case 183: // ERROR_ALREADY_EXISTS
    case 267: // ERROR_DIRECTORY
        return FailureReason::pathBlocked;
    default:
        return FailureReason::other;
    }
#else
    switch (code)
    {
    case 0:
        return FailureReason::none;
    case EBUSY:
    case ETXTBSY:
        return FailureReason::inUse;
    case EACCES:
    case EPERM:
    case EROFS:
        return FailureReason::noPermission;
    case ENOSPC:
    case EDQUOT:
        return FailureReason::diskFull;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return FailureReason::installFolderMissing;
    case EEXIST:
    case ENOTDIR:
    case EISDIR:
        return FailureReason::pathBlocked;
    default:
        return FailureReason::other;
    }
#endif
}

namespace
{
// One sentence per reason. {format} and {bundle} name the format and its bundle, {again}
// tells how to run again, {holders} names the programs, {name} the path in the way, and
// {system} is the system's own text.
struct Sentence
{
    FailureReason reason;
    const char* text;
};

constexpr Sentence sentences[] = {
    {FailureReason::inUse, "{format} failed: {bundle} is in use by {holders}. Close it and {again}."},
    {FailureReason::noPermission,
     "{format} failed: no permission to change {bundle}. Run as administrator or use a writable folder."},
    {FailureReason::diskFull,
     "{format} failed: not enough disk space for {bundle}. Free some space and {again}."},
    {FailureReason::installFolderMissing,
     "{format} failed: the drive or share of the install folder for {bundle} does not exist."},
    {FailureReason::noInstallFolder,
     "{format} failed: no install folder is set for {bundle}. Check the settings file."},
    {FailureReason::pathBlocked, "{format} failed: {name} stands where a folder for {bundle} must go."},
    {FailureReason::archiveDamaged,
     "{format} failed: the installer's copy of {bundle} is damaged. Download the installer again."},
    {FailureReason::otherInstaller,
     "{format} failed: another installer is working on {bundle}. Wait for it and {again}."},
    {FailureReason::other, "{format} failed: {bundle} could not be changed{system}."},
};

constexpr const char* oldCopyLeftSentence =
    "{format} installed: restart the host that has {bundle} loaded to use the new version.";

const char* sentenceFor(FailureReason reason)
{
    for (const auto& sentence : sentences)
        if (sentence.reason == reason)
            return sentence.text;
    return sentences[std::size(sentences) - 1].text;
}
} // namespace

juce::String describeFormat(const FormatReport& format, const juce::String& productName, bool uninstall)
{
    const char* text = nullptr;
    if (format.outcome == FormatOutcome::installedOldCopyLeft)
        text = oldCopyLeftSentence;
    else if (format.outcome == FormatOutcome::failed)
        text = sentenceFor(format.reason);
    else
        return {};

    const auto name = catalogue::formatNames[format.format];
    const auto bundle = productName + catalogue::formatExtensions[format.format];
    const auto holders =
        format.holders.isEmpty() ? juce::String("another program") : format.holders.joinIntoString(", ");
    const auto blocking = format.path.getFileName().isNotEmpty() ? "\"" + format.path.getFileName() + "\""
                                                                 : juce::String("a file");
    const auto system = format.systemError.isNotEmpty() ? " (" + format.systemError + ")" : juce::String();
    return juce::String(text)
        .replace("{format}", name.isNotEmpty() ? name : juce::String("A format"))
        .replace("{bundle}", bundle)
        .replace("{again}", uninstall ? "shift-click INSTALL again" : "click INSTALL again")
        .replace("{holders}", holders)
        .replace("{name}", blocking)
        .replace("{system}", system);
}

juce::String describeProblems(const InstallReport& report, const juce::String& productName)
{
    juce::StringArray lines;
    for (const auto& format : report.formats)
        if (format.needsAttention())
            lines.add(describeFormat(format, productName, report.uninstall));
    return lines.joinIntoString(" ");
}

juce::String outcomeName(FormatOutcome outcome)
{
    switch (outcome)
    {
    case FormatOutcome::installed:
        return "installed";
    case FormatOutcome::uninstalled:
        return "uninstalled";
    case FormatOutcome::failed:
        return "failed";
    case FormatOutcome::installedOldCopyLeft:
        return "installed-old-copy-left";
    }
    return "failed";
}

juce::String reasonName(FailureReason reason)
{
    switch (reason)
    {
    case FailureReason::none:
        return "none";
    case FailureReason::inUse:
        return "in-use";
    case FailureReason::noPermission:
        return "no-permission";
    case FailureReason::diskFull:
        return "disk-full";
    case FailureReason::installFolderMissing:
        return "install-folder-missing";
    case FailureReason::noInstallFolder:
        return "no-install-folder";
    case FailureReason::pathBlocked:
        return "path-blocked";
    case FailureReason::archiveDamaged:
        return "archive-damaged";
    case FailureReason::otherInstaller:
        return "other-installer";
    case FailureReason::other:
        return "other";
    }
    return "other";
}
} // namespace install
