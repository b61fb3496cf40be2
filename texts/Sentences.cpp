#include "texts/Sentences.h"

#include "catalogue/Formats.h"
#include "texts/TextTable.h"

namespace texts
{
namespace
{
TextId sentenceFor(install::FailureReason reason)
{
    using install::FailureReason;
    switch (reason)
    {
    case FailureReason::inUse:
        return TextId::failedInUse;
    case FailureReason::noPermission:
        return TextId::failedNoPermission;
    case FailureReason::diskFull:
        return TextId::failedDiskFull;
    case FailureReason::installFolderMissing:
        return TextId::failedInstallFolderMissing;
    case FailureReason::noInstallFolder:
        return TextId::failedNoInstallFolder;
    case FailureReason::pathBlocked:
        return TextId::failedPathBlocked;
    case FailureReason::archiveDamaged:
        return TextId::failedArchiveDamaged;
    case FailureReason::otherInstaller:
        return TextId::failedOtherInstaller;
    case FailureReason::none:
    case FailureReason::other:
        break;
    }
    return TextId::failedOther;
}
} // namespace

juce::String describeFormat(const install::FormatReport& format, const juce::String& productName,
                            bool uninstall)
{
    TextId sentence;
    if (format.outcome == install::FormatOutcome::installedOldCopyLeft)
        sentence = TextId::installedOldCopyLeft;
    else if (format.outcome == install::FormatOutcome::failed)
        sentence = sentenceFor(format.reason);
    else
        return {};

    const auto name = catalogue::formatNames[format.format];
    const auto bundle = productName + catalogue::formatExtensions[format.format];
    const auto holders =
        format.holders.isEmpty() ? text(TextId::anotherProgram) : format.holders.joinIntoString(", ");
    const auto blocking = format.path.getFileName().isNotEmpty() ? "\"" + format.path.getFileName() + "\""
                                                                 : text(TextId::aFile);
    auto why = format.systemError;
    if (format.refusedName.isNotEmpty())
        why = text(TextId::installFolderRefused, {{"problem", format.refusedName}});
    const auto system = why.isNotEmpty() ? " (" + why + ")" : juce::String();
    return text(sentence,
                {{"format", name.isNotEmpty() ? name : text(TextId::aFormat)},
                 {"bundle", bundle},
                 {"again", text(uninstall ? TextId::shiftClickInstallAgain : TextId::clickInstallAgain)},
                 {"holders", holders},
                 {"name", blocking},
                 {"system", system}});
}

juce::String describeProblems(const install::InstallReport& report, const juce::String& productName)
{
    juce::StringArray lines;
    for (const auto& format : report.formats)
        if (format.needsAttention())
            lines.add(describeFormat(format, productName, report.uninstall));
    return lines.joinIntoString(" ");
}

juce::String installStatusText(bool installed, const juce::String& versionText)
{
    if (!installed)
        return text(TextId::statusNotInstalled);
    if (versionText.isEmpty())
        return text(TextId::statusInstalled);
    return text(TextId::statusInstalledVersion, {{"version", versionText}});
}
} // namespace texts
