#pragma once

#include <juce_core/juce_core.h>

#include <initializer_list>

// The texts a user reads (the window's labels, hover texts and accessible names, the
// panels, and the sentences composed from the engine's facts), each under a stable
// identifier and key: the one table the window and the command line both read, and the
// one a translation replaces. Names stay out of it: the product, the maker's logo, the
// format names, "PLUGIN MANAGER", addresses. Placeholders in braces ({format}, {bundle}, ...)
// are filled by whoever composes the sentence (texts/Sentences.h).
namespace texts
{
enum class TextId
{
    statusNotInstalled,
    statusInstalled,
    statusInstalledVersion,
    failedInUse,
    failedNoPermission,
    failedDiskFull,
    failedInstallFolderMissing,
    failedNoInstallFolder,
    failedPathBlocked,
    failedArchiveDamaged,
    failedOtherInstaller,
    failedOther,
    installedOldCopyLeft,
    anotherProgram,
    aFile,
    aFormat,
    clickInstallAgain,
    shiftClickInstallAgain,
    installFolderRefused,
    nameHasColon,
    nameHasControlCharacter,
    nameHasReservedCharacter,
    nameTooLong,
    nameIsDevice,
    installCaption,
    uninstallCaption,
    selectAllCaption,
    formatsHeading,
    extrasHeading,
    productDemo,
    productVersionLine,
    installerVersionLabel,
    hoverUpdateFormat,
    hoverInstallFormat,
    hoverLicence,
    hoverManual,
    hoverWebsite,
    hoverSupport,
    hoverInstall,
    accessibleInstall,
    accessibleUninstall,
    accessibleSelectAll,
    accessibleLicence,
    accessibleLicenceText,
    accessibleManual,
    accessibleWebPage,
    accessibleSupport,
    accessibleSelected,
    accessibleNotSelected,
    accessibleClose,
    accessibleDiscord,
    accessibleEmail,
    resultSucceeded,
    resultFailed,
    licenceHeading,
    supportDiscordHeading,
    supportEmailHeading,
    supportAboutHeading,
    supportDiscordText,
    supportEmailText,
    supportAbout,
    supportLegal,
    cliStatusLine,
    cliNotInstalled,
    cliInstalledVersionUnknown,
    cliInstalledVersion,
    cliInstallSucceeded,
    cliInstallFailed,
    cliUninstallSucceeded,
    cliUninstallFailed,
    cliRepaired,
    cliRegistration,
    cliRegistered,
    cliNotRegistered,
    cliRegistrationFailed,
    cliRegistrationFailedLine,
    cliAskNeedsUninstall,
    cliUnknownLanguage,
    cliUninstallCancelled,
    askUninstallTitle,
    askUninstallQuestion,
    uninstallDone,
    cliRepairFailed,
    cliIntact,
    cliChanged,
    cliChangedFiles,
    cliMissingFiles,
    cliExtraFiles,
    cliNamesAndMore,
    cliSettingsFile,
    cliSettingsRead,
    cliSettingsUnreadable,
    cliSettingsWritten,
    cliSettingsNotWritten,
    cliFolder,
    cliBundle,
    cliOtherCopy,
    cliVersionUnknown,
    cliVersion,
    cliEmptyFormatName,
    cliUnknownFormat,
    cliUnexpectedArgument,
    cliUnknownOption,
    cliMissingValue,
    cliTakesNoValue,
    cliGivenTwice,
    cliTwoActions,
    cliNothingToDo,
    cliUsage,
    cliCannotWriteLog,
    cliLogNotWritten,
    logIsSettingsFile,
    logIsBundle,
    logIsOwnFile,
    logIsFolder,
    logFolderMissing,
    logNotPlainFile,
    logRefusedName,
    logReadOnly,
    licenceCaption,
    manualCaption,
    websiteCaption,
    supportCaption,
    numberOfTexts // not a text: the count of the identifiers above
};

// Every identifier's key, in identifier order: for checks of the table.
juce::StringArray allTextKeys();

// The text of an identifier, in the current language (texts/Language.h); English where a
// translation lacks it.
juce::String text(TextId id);

// The text of an identifier in English, whatever the current language.
juce::String englishText(TextId id);

// The identifier's stable key, as a table of translations names it: "status.notInstalled".
const char* textKey(TextId id);

// A placeholder's value: {name} in a text becomes `value`.
struct Fill
{
    const char* name;
    juce::String value;
};

// The text with its placeholders filled in one pass, so that a value holding braces (a
// path, a program's name) is never read as a placeholder itself. A placeholder without a
// value stays as it is.
juce::String text(TextId id, std::initializer_list<Fill> fills);
} // namespace texts
