#include "texts/TextTable.h"

#include "texts/Language.h"

#include <iterator>

namespace texts
{
namespace
{
struct Entry
{
    TextId id;
    const char* key;
    const char* english;
};

constexpr Entry table[] = {
    {TextId::statusNotInstalled, "status.notInstalled", "NOT INSTALLED"},
    {TextId::statusInstalled, "status.installed", "INSTALLED"},
    {TextId::statusInstalledVersion, "status.installedVersion", "v{version} INSTALLED"},
    {TextId::failedInUse, "failed.inUse",
     "{format} failed: {bundle} is in use by {holders}. Close it and {again}."},
    {TextId::failedNoPermission, "failed.noPermission",
     "{format} failed: no permission to change {bundle}. Run as administrator or use a writable folder."},
    {TextId::failedDiskFull, "failed.diskFull",
     "{format} failed: not enough disk space for {bundle}. Free some space and {again}."},
    {TextId::failedInstallFolderMissing, "failed.installFolderMissing",
     "{format} failed: the drive or share of the install folder for {bundle} does not exist."},
    {TextId::failedNoInstallFolder, "failed.noInstallFolder",
     "{format} failed: no install folder is set for {bundle}. Check the settings file."},
    {TextId::failedPathBlocked, "failed.pathBlocked",
     "{format} failed: {name} stands where a folder for {bundle} must go."},
    {TextId::failedArchiveDamaged, "failed.archiveDamaged",
     "{format} failed: the installer's copy of {bundle} is damaged. Download the installer again."},
    {TextId::failedOtherInstaller, "failed.otherInstaller",
     "{format} failed: another installer is working on {bundle}. Wait for it and {again}."},
    {TextId::failedOther, "failed.other", "{format} failed: {bundle} could not be changed{system}."},
    {TextId::installedOldCopyLeft, "installed.oldCopyLeft",
     "{format} installed: restart the host that has {bundle} loaded to use the new version."},
    {TextId::anotherProgram, "words.anotherProgram", "another program"},
    {TextId::aFile, "words.aFile", "a file"},
    {TextId::aFormat, "words.aFormat", "A format"},
    {TextId::clickInstallAgain, "words.clickInstallAgain", "click INSTALL again"},
    {TextId::shiftClickInstallAgain, "words.shiftClickInstallAgain", "shift-click INSTALL again"},
    {TextId::installFolderRefused, "words.installFolderRefused", "the install folder '{name}' {problem}"},
    {TextId::nameHasColon, "words.nameHasColon",
     "has a ':' in its name, which Windows reads as a drive or a stream"},
    {TextId::nameHasControlCharacter, "words.nameHasControlCharacter",
     "has a control character in its name, which Windows does not allow"},
    {TextId::nameHasReservedCharacter, "words.nameHasReservedCharacter",
     "has the character '{character}' in its name, which Windows does not allow"},
    {TextId::nameTooLong, "words.nameTooLong",
     "has a name part longer than 255 characters, more than Windows allows"},
    {TextId::nameIsDevice, "words.nameIsDevice", "has a name Windows takes for a device"},
    {TextId::installCaption, "window.install", "INSTALL"},
    {TextId::uninstallCaption, "window.uninstall", "UNINSTALL"},
    {TextId::selectAllCaption, "window.selectAll", "SELECT ALL"},
    {TextId::formatsHeading, "window.formats", "FORMATS"},
    {TextId::extrasHeading, "window.extras", "EXTRAS"},
    {TextId::productDemo, "window.productDemo", "{product} DEMO"},
    {TextId::productVersionLine, "window.productVersion", "Version {version}{platform}"},
    {TextId::installerVersionLabel, "window.installerVersion", "v{version}"},
    {TextId::hoverUpdateFormat, "hover.updateFormat", "Select to update {format} to {version}"},
    {TextId::hoverInstallFormat, "hover.installFormat", "Select to install {format}"},
    {TextId::hoverLicence, "hover.licence", "Click to read End-User License Agreement"},
    {TextId::hoverManual, "hover.manual", "Click to open product manual in your web browser"},
    {TextId::hoverWebsite, "hover.website", "Click to open product page on the Audio Tarvosk website"},
    {TextId::hoverSupport, "hover.support", "Email and Discord support"},
    {TextId::hoverInstall, "hover.install", "Click to install selected. Shift-click to uninstall selected"},
    {TextId::accessibleInstall, "accessible.install", "Install selected formats"},
    {TextId::accessibleUninstall, "accessible.uninstall", "Uninstall selected formats"},
    {TextId::accessibleSelectAll, "accessible.selectAll", "Select all formats"},
    {TextId::accessibleLicence, "accessible.licence", "Licence agreement"},
    {TextId::accessibleLicenceText, "accessible.licenceText", "Licence agreement text"},
    {TextId::accessibleManual, "accessible.manual", "Product manual"},
    {TextId::accessibleWebPage, "accessible.webPage", "Product web page"},
    {TextId::accessibleSupport, "accessible.support", "Support"},
    {TextId::accessibleSelected, "accessible.selected", "Selected"},
    {TextId::accessibleNotSelected, "accessible.notSelected", "Not selected"},
    {TextId::accessibleClose, "accessible.close", "Close"},
    {TextId::accessibleDiscord, "accessible.discord", "Discord"},
    {TextId::accessibleEmail, "accessible.email", "E-mail"},
    {TextId::resultSucceeded, "result.succeeded", "Operation Successful!"},
    {TextId::resultFailed, "result.failed", "Operation failed!"},
    {TextId::licenceHeading, "licence.heading", "LICENSE AGREEMENT"},
    {TextId::supportDiscordHeading, "support.discordHeading", "DISCORD"},
    {TextId::supportEmailHeading, "support.emailHeading", "E-MAIL"},
    {TextId::supportAboutHeading, "support.aboutHeading", "ABOUT AUDIO TARVOSK PLUGIN MANAGER"},
    {TextId::supportDiscordText, "support.discordText",
     "The Audio Tarvosk Discord is a vibrant community of musicians and producers, and this is the fastest "
     "way to get answers to simple questions. Just join and drop in the appropriate channel. "},
    {TextId::supportEmailText, "support.emailText",
     "If you have more complicated questions, or matters that need to remain private, concerning account "
     "information, etc., feel free to email us."},
    {TextId::supportAbout, "support.about",
     "The Audio Tarvosk Plugin Manager v{version} cross-platform installater. \nFeel free to drop us a line "
     "if you have any suggestions or questions concerning its use. You can edit the default installation "
     "paths in the text file found at {path}"},
    {TextId::supportLegal, "support.legal",
     "\xc2\xa9 2019\xe2\x80\x93"
     "2026 Audio Tarvosk. All rights reserved."},
    {TextId::cliStatusLine, "cli.statusLine", "{format}: {status}"},
    {TextId::cliNotInstalled, "cli.notInstalled", "not installed"},
    {TextId::cliInstalledVersionUnknown, "cli.installedVersionUnknown", "installed, version unknown"},
    {TextId::cliInstalledVersion, "cli.installedVersion", "installed, version {version}"},
    {TextId::cliInstallSucceeded, "cli.installSucceeded", "; install succeeded"},
    {TextId::cliInstallFailed, "cli.installFailed", "; install FAILED ({reason})"},
    {TextId::cliUninstallSucceeded, "cli.uninstallSucceeded", "; uninstall succeeded"},
    {TextId::cliUninstallFailed, "cli.uninstallFailed", "; uninstall FAILED ({reason})"},
    {TextId::cliRepaired, "cli.repaired", "; repaired"},
    {TextId::cliRegistration, "cli.registration", "Windows uninstall entry: {state}"},
    {TextId::cliRegistered, "cli.registered", "registered, version {version}"},
    {TextId::cliNotRegistered, "cli.notRegistered", "not registered"},
    {TextId::cliRegistrationFailed, "cli.registrationFailed", "could not be updated ({problem})"},
    {TextId::cliRegistrationFailedLine, "cli.registrationFailedLine",
     "the Windows uninstall entry could not be updated ({problem}); the plug-in files are as reported"},
    {TextId::cliAskNeedsUninstall, "cli.askNeedsUninstall", "--ask goes with --uninstall only"},
    {TextId::cliUnknownLanguage, "cli.unknownLanguage", "unknown language '{name}' (known: {languages})"},
    {TextId::cliUninstallCancelled, "cli.uninstallCancelled",
     "the uninstall was cancelled; nothing was changed"},
    {TextId::askUninstallTitle, "ask.uninstallTitle", "Uninstall {product}"},
    {TextId::askUninstallQuestion, "ask.uninstallQuestion",
     "Remove {product} ({formats}) from this computer?"},
    {TextId::uninstallDone, "ask.uninstallDone", "{product} was removed from this computer."},
    {TextId::cliRepairFailed, "cli.repairFailed", "; repair FAILED ({reason})"},
    {TextId::cliIntact, "cli.intact", "; intact"},
    {TextId::cliChanged, "cli.changed", "; changed"},
    {TextId::cliChangedFiles, "cli.changedFiles", "  changed files ({count}): {names}"},
    {TextId::cliMissingFiles, "cli.missingFiles", "  missing files ({count}): {names}"},
    {TextId::cliExtraFiles, "cli.extraFiles", "  files the installer did not write ({count}): {names}"},
    {TextId::cliNamesAndMore, "cli.namesAndMore", "{names} and {count} more"},
    {TextId::cliSettingsFile, "cli.settingsFile", "Settings file: {path} ({state})"},
    {TextId::cliSettingsRead, "cli.settingsRead", "read"},
    {TextId::cliSettingsUnreadable, "cli.settingsUnreadable",
     "not a settings file, defaults used, left unchanged"},
    {TextId::cliSettingsWritten, "cli.settingsWritten", "missing, written with the defaults"},
    {TextId::cliSettingsNotWritten, "cli.settingsNotWritten", "missing, could not be written, defaults used"},
    {TextId::cliFolder, "cli.folder", "  folder: {path}"},
    {TextId::cliBundle, "cli.bundle", "  bundle: {path}"},
    {TextId::cliOtherCopy, "cli.otherCopy", "  other copy: {path} ({version})"},
    {TextId::cliVersionUnknown, "cli.versionUnknown", "version unknown"},
    {TextId::cliVersion, "cli.version", "version {version}"},
    {TextId::cliEmptyFormatName, "cli.emptyFormatName",
     "empty format name in '{list}' (formats: vst3, clap, aax, all)"},
    {TextId::cliUnknownFormat, "cli.unknownFormat",
     "unknown format '{name}' (formats: vst3, clap, aax, all)"},
    {TextId::cliUnexpectedArgument, "cli.unexpectedArgument", "unexpected argument '{argument}'"},
    {TextId::cliUnknownOption, "cli.unknownOption", "unknown option '{argument}'"},
    {TextId::cliMissingValue, "cli.missingValue", "missing value for {option}"},
    {TextId::cliTakesNoValue, "cli.takesNoValue", "{option} takes no value"},
    {TextId::cliGivenTwice, "cli.givenTwice", "{option} given twice"},
    {TextId::cliTwoActions, "cli.twoActions",
     "more than one of --status, --install, --uninstall, --help, --version"},
    {TextId::cliNothingToDo, "cli.nothingToDo",
     "nothing to do: give --status, --install, --uninstall, --help or --version"},
    {TextId::cliUsage, "cli.usage",
     "usage: vx_installer --status [--json] [--log FILE] [--lang LANGUAGE]\n"
     "       vx_installer --install FORMATS [--json] [--log FILE]\n"
     "       vx_installer --uninstall FORMATS [--ask] [--json] [--log FILE]\n"
     "       vx_installer --verify [FORMATS] [--json] [--log FILE]\n"
     "       vx_installer --repair [FORMATS] [--json] [--log FILE]\n"
     "       vx_installer --help | --version\n"
     "LANGUAGE (--lang, also for the window): {languages}.\n"
     "FORMATS: vst3, clap, aax separated by commas, or all (the default of --verify and --repair).\n"
     "Windows spellings: /status /install=FORMATS /uninstall=FORMATS /verify[=FORMATS]\n"
     "                   /repair[=FORMATS] /ask /lang=LANGUAGE /json /log=FILE /? /version\n"
     "--ask: ask before uninstalling and tell the outcome, in message boxes.\n"
     "Exit status: 0 done, 1 a format failed or is not intact, 2 usage error, 3 the log could\n"
     "not be written.\n"
     "Without arguments the window opens.\n"},
    {TextId::cliCannotWriteLog, "cli.cannotWriteLog", "cannot write the log file '{path}': {problem}"},
    {TextId::cliLogNotWritten, "cli.logNotWritten",
     "the report could not be written to the log file '{path}' ({problem}); the file was left as it was"},
    {TextId::logIsSettingsFile, "log.isSettingsFile", "it is the settings file"},
    {TextId::logIsBundle, "log.isBundle", "it is the plug-in bundle {bundle} or inside it"},
    {TextId::logIsOwnFile, "log.isOwnFile", "it is the installer's own file {name}"},
    {TextId::logIsFolder, "log.isFolder", "it is a folder"},
    {TextId::logFolderMissing, "log.folderMissing", "its folder does not exist"},
    {TextId::logNotPlainFile, "log.notPlainFile", "it is not a plain file"},
    {TextId::logRefusedName, "log.refusedName", "'{name}' {problem}"},
    {TextId::logReadOnly, "log.readOnly", "it is read-only"},
    {TextId::licenceCaption, "window.licenceCaption", "EULA"},
    {TextId::manualCaption, "window.manualCaption", "MANUAL"},
    {TextId::websiteCaption, "window.websiteCaption", "WEBSITE"},
    {TextId::supportCaption, "window.supportCaption", "SUPPORT"},
};

// One row per identifier, in identifier order, so that an identifier is its row's index.
static_assert(std::size(table) == static_cast<size_t>(TextId::numberOfTexts), "a text without its row");

constexpr bool rowsInIdentifierOrder()
{
    for (size_t i = 0; i < std::size(table); ++i)
        if (static_cast<size_t>(table[i].id) != i)
            return false;
    return true;
}
static_assert(rowsInIdentifierOrder(), "the table's rows follow the identifiers' order");

const Entry& entryFor(TextId id)
{
    return table[static_cast<size_t>(id)];
}
} // namespace

juce::StringArray allTextKeys()
{
    juce::StringArray keys;
    for (const auto& entry : table)
        keys.add(entry.key);
    return keys;
}

juce::String text(TextId id)
{
    if (auto translated = translation(currentLanguage(), entryFor(id).key))
        return *translated;
    return juce::String::fromUTF8(entryFor(id).english);
}

juce::String englishText(TextId id)
{
    return juce::String::fromUTF8(entryFor(id).english);
}

const char* textKey(TextId id)
{
    return entryFor(id).key;
}

juce::String text(TextId id, std::initializer_list<Fill> fills)
{
    const auto pattern = text(id);
    juce::String result;
    int start = 0;
    for (;;)
    {
        const int open = pattern.indexOfChar(start, '{');
        const int close = open < 0 ? -1 : pattern.indexOfChar(open, '}');
        if (close < 0)
            return result + pattern.substring(start);
        const auto name = pattern.substring(open + 1, close);
        const Fill* fill = nullptr;
        for (const auto& candidate : fills)
            if (name == candidate.name)
                fill = &candidate;
        result += pattern.substring(start, open) +
                  (fill != nullptr ? fill->value : pattern.substring(open, close + 1));
        start = close + 1;
    }
}
} // namespace texts
