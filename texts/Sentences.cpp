#include "texts/Sentences.h"

#include "catalogue/Formats.h"
#include "texts/TextTable.h"

#include <utility>

namespace texts
{
namespace
{
// The sentence for each reason; any other reason reads as "could not be changed".
constexpr std::pair<install::FailureReason, TextId> sentences[] = {
    {install::FailureReason::inUse, TextId::failedInUse},
    {install::FailureReason::noPermission, TextId::failedNoPermission},
    {install::FailureReason::diskFull, TextId::failedDiskFull},
    {install::FailureReason::installFolderMissing, TextId::failedInstallFolderMissing},
    {install::FailureReason::noInstallFolder, TextId::failedNoInstallFolder},
    {install::FailureReason::pathBlocked, TextId::failedPathBlocked},
    {install::FailureReason::archiveDamaged, TextId::failedArchiveDamaged},
    {install::FailureReason::otherInstaller, TextId::failedOtherInstaller},
};

constexpr std::pair<formats::NameProblemKind, TextId> nameProblems[] = {
    {formats::NameProblemKind::colon, TextId::nameHasColon},
    {formats::NameProblemKind::controlCharacter, TextId::nameHasControlCharacter},
    {formats::NameProblemKind::reservedCharacter, TextId::nameHasReservedCharacter},
    {formats::NameProblemKind::tooLong, TextId::nameTooLong},
    {formats::NameProblemKind::deviceName, TextId::nameIsDevice},
};

TextId sentenceFor(install::FailureReason reason)
{
    for (const auto& [failure, sentence] : sentences)
        if (failure == reason)
            return sentence;
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
    if (format.refusedName)
        why = text(TextId::installFolderRefused,
                   {{"name", juce::String::fromUTF8(format.refusedName->part.c_str())},
                    {"problem", nameProblemText(format.refusedName->problem)}});
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
juce::String nameProblemText(const formats::NameProblem& problem)
{
    for (const auto& [kind, id] : nameProblems)
        if (kind == problem.kind)
            return text(id, {{"character", juce::String::charToString((juce::juce_wchar)problem.character)}});
    return text(TextId::nameIsDevice);
}
} // namespace texts
