#include "cli/CommandLine.h"

#include "catalogue/Formats.h"
#include "catalogue/Product.h"
#include "cli/ReportLog.h"
#include "install/BundleVerification.h"
#include "install/InstallEngine.h"
#include "install/InstallLocations.h"
#include "install/InstallSettings.h"
#include "install/InstallStatus.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "texts/Language.h"
#include "texts/Sentences.h"
#include "texts/TextTable.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace cli
{
// The engine's types, read here.
using namespace install;

namespace
{
// ---------------------------------------------------------------------------------------
// Parsing

struct OptionSpelling
{
    bool isOption = false;
    bool windowsStyle = false; // "/name"
    juce::String name;         // lower case, without the leading "--" or "/"
    bool hasInlineValue = false;
    juce::String inlineValue;
};

// Every option, written once: its name (lower case, without "--" or "/"), what it does,
// whether it takes a value, and the action it asks for.
enum class OptionRole
{
    action, // one of status, install, uninstall, verify, repair, help, version
    json,
    ask,
    lang,
    log
};

enum class OptionValue
{
    none,
    required,
    optional // the formats of verify and repair: all when left out
};

struct OptionSpec
{
    const char* name;
    OptionRole role;
    OptionValue value;
    CommandAction action;
    bool windowsOnly; // "/?" has no "--" spelling
};

constexpr OptionSpec optionTable[] = {
    {"status", OptionRole::action, OptionValue::none, CommandAction::status, false},
    {"install", OptionRole::action, OptionValue::required, CommandAction::install, false},
    {"uninstall", OptionRole::action, OptionValue::required, CommandAction::uninstall, false},
    {"verify", OptionRole::action, OptionValue::optional, CommandAction::verify, false},
    {"repair", OptionRole::action, OptionValue::optional, CommandAction::repair, false},
    {"help", OptionRole::action, OptionValue::none, CommandAction::help, false},
    {"?", OptionRole::action, OptionValue::none, CommandAction::help, true},
    {"version", OptionRole::action, OptionValue::none, CommandAction::version, false},
    {"json", OptionRole::json, OptionValue::none, CommandAction::none, false},
    {"ask", OptionRole::ask, OptionValue::none, CommandAction::none, false},
    {"lang", OptionRole::lang, OptionValue::required, CommandAction::none, false},
    {"remove-copy-after", OptionRole::action, OptionValue::required, CommandAction::removeCopy, false},
    {"log", OptionRole::log, OptionValue::required, CommandAction::none, false},
};

const OptionSpec* findOption(const juce::String& name)
{
    for (const auto& option : optionTable)
        if (name == option.name)
            return &option;
    return nullptr;
}

OptionSpelling spellingOf(const juce::String& argument)
{
    OptionSpelling spelling;
    juce::String rest;
    juce::String separators;
    if (argument.startsWith("--") && argument.length() > 2)
    {
        rest = argument.substring(2);
        separators = "=";
    }
    else if (argument.startsWith("/") && argument.length() > 1)
    {
        rest = argument.substring(1);
        separators = "=:";
        spelling.windowsStyle = true;
    }
    else
    {
        // A single dash is no spelling of ours, but clearly meant as an option.
        spelling.isOption = argument.startsWith("-") && argument.length() > 1;
        spelling.name = argument; // never a known name
        return spelling;
    }

    spelling.isOption = true;
    const int split = rest.indexOfAnyOf(separators);
    spelling.name = (split < 0 ? rest : rest.substring(0, split)).toLowerCase();
    if (split >= 0)
    {
        spelling.hasInlineValue = true;
        spelling.inlineValue = rest.substring(split + 1);
    }
    // "/?" is help; a path such as "/tmp/x" is no option of ours.
    if (spelling.windowsStyle && findOption(spelling.name) == nullptr)
        spelling.isOption = argument.indexOfChar(1, '/') < 0;
    return spelling;
}

// A following argument that looks like one of our options is not taken as a value: it
// means the value is missing.
bool looksLikeKnownOption(const juce::String& argument)
{
    if (argument.startsWith("-"))
        return true;
    const auto spelling = spellingOf(argument);
    return spelling.windowsStyle && findOption(spelling.name) != nullptr;
}

juce::String displayedName(const OptionSpelling& spelling)
{
    return (spelling.windowsStyle ? "/" : "--") + spelling.name;
}

// "vst3,CLAP" -> the selection; an error for any name that is not a format or "all".
juce::String parseFormatList(const juce::String& list, catalogue::PerFormat<bool>& formats)
{
    const auto names = juce::StringArray::fromTokens(list, ",", "");
    for (const auto& typed : names)
    {
        const auto name = typed.trim();
        if (name.isEmpty())
            return texts::text(texts::TextId::cliEmptyFormatName, {{"list", list}});
        if (name.equalsIgnoreCase("all"))
        {
            formats.fill(true);
            continue;
        }
        const int format = catalogue::formatNames.indexOf(name, true);
        if (format < 0)
            return texts::text(texts::TextId::cliUnknownFormat, {{"name", name}});
        formats[static_cast<size_t>(format)] = true;
    }
    return {};
}

// ---------------------------------------------------------------------------------------
// Running

struct RunOutcome
{
    bool succeeded = false;
    juce::String reason;  // the reason's short name; empty on success
    juce::String message; // the sentence the window's info label shows; empty on a plain success
};

// One run over the requested formats, through the very call the window's INSTALL click
// makes, read back format by format from the engine's report.
catalogue::PerFormat<RunOutcome> runFormats(const catalogue::PerFormat<bool>& requested, bool uninstall,
                                            const catalogue::PerFormat<juce::File>& installFolders,
                                            const juce::String& productName)
{
    auto selected = requested;
    const auto run = runSelectedFormats(selected, uninstall, installFolders, productName);
    catalogue::PerFormat<RunOutcome> outcomes;
    for (const auto& format : run.formats)
    {
        auto& outcome = outcomes[static_cast<size_t>(format.format)];
        outcome.succeeded = format.succeeded();
        outcome.reason = format.succeeded() ? juce::String() : reasonName(format.reason);
        outcome.message = texts::describeFormat(format, productName, uninstall);
    }
    return outcomes;
}

struct FormatStatus
{
    int format = 0;
    juce::File folder;
    juce::File bundle;
    bool installed = false;
    juce::String version;
    std::vector<OtherCopy> otherCopies;
    bool requested = false;
    RunOutcome outcome;
    std::optional<BundleCheck> check; // verify and repair: the bundle as it is after the run
    bool repaired = false;
};

FormatStatus reportFormat(int format, const catalogue::PerFormat<juce::File>& installFolders,
                          const juce::String& productName, const HostSearchFolders& hostFolders)
{
    FormatStatus report;
    report.format = format;
    report.folder = installFolders[static_cast<size_t>(format)];
    report.bundle = getBundleFile(report.folder, productName, format);
    report.installed = isFormatInstalled(report.folder, productName, format);
    report.version =
        report.installed ? getInstalledVersion(report.folder, productName, format) : juce::String();
    report.otherCopies = findOtherCopies(format, report.folder, productName, hostFolders);
    return report;
}

juce::String windowsPath(const juce::File& file)
{
    return platform::windowsPathOf(file);
}

// The action's name in the JSON report, which scripts read: never translated.
juce::String actionName(CommandAction action)
{
    switch (action)
    {
    case CommandAction::install:
        return "install";
    case CommandAction::uninstall:
        return "uninstall";
    case CommandAction::verify:
        return "verify";
    case CommandAction::repair:
        return "repair";
    default:
        return "status";
    }
}

juce::String verificationName(BundleState state)
{
    return state == BundleState::intact    ? "intact"
           : state == BundleState::changed ? "changed"
                                           : "not installed";
}

// "a, b, c, d, e and 3 more": the first few names and a count of the rest.
juce::String someNames(const juce::StringArray& names)
{
    constexpr int shown = 5;
    juce::StringArray first(names);
    first.removeRange(shown, first.size());
    const auto list = first.joinIntoString(", ");
    if (names.size() <= shown)
        return list;
    return texts::text(texts::TextId::cliNamesAndMore,
                       {{"names", list}, {"count", juce::String(names.size() - shown)}});
}

juce::String checkText(const BundleCheck& check)
{
    juce::String text;
    const std::pair<const juce::StringArray*, texts::TextId> lists[] = {
        {&check.changedFiles, texts::TextId::cliChangedFiles},
        {&check.missingFiles, texts::TextId::cliMissingFiles},
        {&check.extraFiles, texts::TextId::cliExtraFiles},
    };
    for (const auto& [names, id] : lists)
        if (!names->isEmpty())
            text << "\n"
                 << texts::text(id, {{"count", juce::String(names->size())}, {"names", someNames(*names)}});
    return text;
}

// What the run did to a requested format, after its status.
juce::String outcomeText(CommandAction action, const FormatStatus& format)
{
    using texts::TextId;
    const bool intact = format.check && format.check->state == BundleState::intact;
    const bool changed = format.check && format.check->state == BundleState::changed;
    switch (action)
    {
    case CommandAction::install:
    case CommandAction::uninstall:
    {
        const bool installing = action == CommandAction::install;
        if (format.outcome.succeeded)
            return texts::text(installing ? TextId::cliInstallSucceeded : TextId::cliUninstallSucceeded);
        return texts::text(installing ? TextId::cliInstallFailed : TextId::cliUninstallFailed,
                           {{"reason", format.outcome.reason}});
    }
    case CommandAction::repair:
        if (!format.outcome.succeeded)
            return texts::text(TextId::cliRepairFailed, {{"reason", format.outcome.reason}});
        if (format.repaired)
            return texts::text(TextId::cliRepaired);
        [[fallthrough]];
    case CommandAction::verify:
        return intact    ? texts::text(TextId::cliIntact)
               : changed ? texts::text(TextId::cliChanged)
                         : juce::String();
    default:
        return {};
    }
}

juce::String settingsStateText(SettingsLoad load)
{
    switch (load)
    {
    case SettingsLoad::read:
        return texts::text(texts::TextId::cliSettingsRead);
    case SettingsLoad::unreadable:
        return texts::text(texts::TextId::cliSettingsUnreadable);
    case SettingsLoad::written:
        return texts::text(texts::TextId::cliSettingsWritten);
    case SettingsLoad::notWritten:
        break;
    }
    return texts::text(texts::TextId::cliSettingsNotWritten);
}

struct Report
{
    CommandAction action = CommandAction::status;
    juce::File settingsFile;
    SettingsLoad settingsLoad = SettingsLoad::notWritten;
    RegistrationResult registration;
    juce::String registeredVersion;
    std::vector<FormatStatus> formats;
    int exitStatus = exitSucceeded;
};

juce::String reportText(const Report& report)
{
    juce::String text;
    text << catalogue::productName << " " << catalogue::productVersion << " (" << catalogue::applicationName
         << " " << catalogue::installerVersion << ")\n";
    text << texts::text(texts::TextId::cliSettingsFile, {{"path", windowsPath(report.settingsFile)},
                                                         {"state", settingsStateText(report.settingsLoad)}})
         << "\n";
    const auto registration =
        report.registration.error
            ? texts::text(texts::TextId::cliRegistrationFailed, {{"problem", report.registration.error.text}})
        : report.registration.registered
            ? texts::text(texts::TextId::cliRegistered, {{"version", report.registeredVersion}})
            : texts::text(texts::TextId::cliNotRegistered);
    text << texts::text(texts::TextId::cliRegistration, {{"state", registration}}) << "\n";
    for (const auto& format : report.formats)
    {
        const auto status =
            !format.installed ? texts::text(texts::TextId::cliNotInstalled)
            : format.version.isEmpty()
                ? texts::text(texts::TextId::cliInstalledVersionUnknown)
                : texts::text(texts::TextId::cliInstalledVersion, {{"version", format.version}});
        text << texts::text(texts::TextId::cliStatusLine,
                            {{"format", catalogue::formatNames[format.format]}, {"status", status}});
        if (format.requested)
        {
            text << outcomeText(report.action, format);
            if (format.outcome.message.isNotEmpty())
                text << "\n  " << format.outcome.message;
            if (format.check)
                text << checkText(*format.check);
        }
        text << "\n";
        text << texts::text(texts::TextId::cliFolder, {{"path", windowsPath(format.folder)}}) << "\n";
        text << texts::text(texts::TextId::cliBundle, {{"path", windowsPath(format.bundle)}}) << "\n";
        for (const auto& copy : format.otherCopies)
        {
            const auto version = copy.version.isEmpty()
                                     ? texts::text(texts::TextId::cliVersionUnknown)
                                     : texts::text(texts::TextId::cliVersion, {{"version", copy.version}});
            text << texts::text(texts::TextId::cliOtherCopy,
                                {{"path", windowsPath(copy.bundle)}, {"version", version}})
                 << "\n";
        }
    }
    return text;
}

juce::var reportJson(const Report& report)
{
    juce::DynamicObject::Ptr root = new juce::DynamicObject();
    root->setProperty("product", catalogue::productName);
    root->setProperty("productVersion", catalogue::productVersion);
    root->setProperty("installer", catalogue::applicationName);
    root->setProperty("installerVersion", catalogue::installerVersion);
    root->setProperty("action", actionName(report.action));

    juce::DynamicObject::Ptr settings = new juce::DynamicObject();
    settings->setProperty("file", windowsPath(report.settingsFile));
    settings->setProperty("read", report.settingsLoad == SettingsLoad::read);
    settings->setProperty("written", report.settingsLoad == SettingsLoad::written);
    root->setProperty("settings", settings.get());

    juce::DynamicObject::Ptr registration = new juce::DynamicObject();
    registration->setProperty("registered", report.registration.registered);
    registration->setProperty("version", report.registeredVersion);
    registration->setProperty("error", report.registration.error.text);
    root->setProperty("registration", registration.get());

    juce::Array<juce::var> formats;
    for (const auto& format : report.formats)
    {
        juce::DynamicObject::Ptr entry = new juce::DynamicObject();
        entry->setProperty("name", catalogue::formatNames[format.format]);
        entry->setProperty("folder", windowsPath(format.folder));
        entry->setProperty("bundle", windowsPath(format.bundle));
        entry->setProperty("installed", format.installed);
        entry->setProperty("version", format.version);
        juce::Array<juce::var> copies;
        for (const auto& copy : format.otherCopies)
        {
            juce::DynamicObject::Ptr copyEntry = new juce::DynamicObject();
            copyEntry->setProperty("bundle", windowsPath(copy.bundle));
            copyEntry->setProperty("version", copy.version);
            copies.add(copyEntry.get());
        }
        entry->setProperty("otherCopies", copies);
        if (format.check)
        {
            entry->setProperty("verification", verificationName(format.check->state));
            const std::pair<const char*, const juce::StringArray*> lists[] = {
                {"changedFiles", &format.check->changedFiles},
                {"missingFiles", &format.check->missingFiles},
                {"extraFiles", &format.check->extraFiles},
            };
            for (const auto& [name, names] : lists)
            {
                juce::Array<juce::var> values;
                for (const auto& file : *names)
                    values.add(file);
                entry->setProperty(name, values);
            }
        }
        if (report.action == CommandAction::repair)
            entry->setProperty("repaired", format.repaired);
        if (report.action != CommandAction::status && report.action != CommandAction::verify)
        {
            entry->setProperty("outcome", !format.requested          ? "not requested"
                                          : format.outcome.succeeded ? "succeeded"
                                                                     : "failed");
            entry->setProperty("reason", format.outcome.reason);
            entry->setProperty("message", format.outcome.message);
        }
        formats.add(entry.get());
    }
    root->setProperty("formats", formats);
    root->setProperty("exitStatus", report.exitStatus);
    return root.get();
}

// A path from the command line: a Windows path names the same place as for the window; any
// other path is this system's own, relative to the working directory.
juce::File fileFromArgument(const juce::String& path, const juce::File& workingDirectory)
{
    if (isAbsoluteWindowsPath(path))
        return platform::fileFromWindowsPath(path);
    return workingDirectory.getChildFile(path);
}

juce::String uninstallTitle()
{
    return texts::text(texts::TextId::askUninstallTitle,
                       {{"product", catalogue::displayProductName(catalogue::productName)}});
}

// The question before an uninstall from Windows' Apps & Features, naming the installed
// formats; asked before anything is loaded or made, so that No changes nothing. With
// nothing installed there is nothing to ask: the run still clears the entry.
bool confirmUninstall(const CommandLineFolders& folders)
{
    auto installFolders = folders.defaultInstallFolders;
    peekInstallSettings(folders.commonApplicationDataFolder.getChildFile(catalogue::makerFolderName),
                        installFolders);
    const auto productName = catalogue::displayProductName(catalogue::productName);
    juce::StringArray installed;
    for (int format = 0; format < catalogue::numFormats; ++format)
        if (isFormatInstalled(installFolders[static_cast<size_t>(format)], productName, format))
            installed.add(catalogue::formatNames[format]);
    if (installed.isEmpty() || !folders.ask)
        return true;
    return folders.ask(uninstallTitle(),
                       texts::text(texts::TextId::askUninstallQuestion,
                                   {{"product", productName}, {"formats", installed.joinIntoString(", ")}}));
}

CommandLineResult usageError(const juce::String& message)
{
    CommandLineResult result;
    result.exitStatus = exitUsageError;
    result.errors << catalogue::applicationName << ": " << message << "\n" << commandLineUsage();
    return result;
}
} // namespace

ParsedCommandLine parseCommandLine(const juce::StringArray& arguments)
{
    ParsedCommandLine parsed;
    auto& options = parsed.options;
    bool logGiven = false;

    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];
        const auto spelling = spellingOf(argument);
        if (!spelling.isOption)
        {
            parsed.error = texts::text(texts::TextId::cliUnexpectedArgument, {{"argument", argument}});
            return parsed;
        }
        const auto* option = findOption(spelling.name);
        if (option == nullptr || (option->windowsOnly && !spelling.windowsStyle))
        {
            parsed.error = texts::text(texts::TextId::cliUnknownOption, {{"argument", argument}});
            return parsed;
        }

        const bool takesValue = option->value != OptionValue::none;
        juce::String value;
        if (takesValue)
        {
            if (spelling.hasInlineValue)
                value = spelling.inlineValue;
            else if (i + 1 < arguments.size() && !looksLikeKnownOption(arguments[i + 1]))
                value = arguments[++i];
            else if (option->value == OptionValue::optional)
                value = "all";
            if (value.trim().isEmpty())
            {
                parsed.error =
                    texts::text(texts::TextId::cliMissingValue, {{"option", displayedName(spelling)}});
                return parsed;
            }
        }
        else if (spelling.hasInlineValue)
        {
            parsed.error = texts::text(texts::TextId::cliTakesNoValue, {{"option", displayedName(spelling)}});
            return parsed;
        }

        if (option->role == OptionRole::json)
        {
            options.json = true;
            continue;
        }
        if (option->role == OptionRole::ask)
        {
            options.ask = true;
            continue;
        }
        if (option->role == OptionRole::lang)
        {
            const auto language = texts::matchLanguage(value);
            if (!language)
            {
                parsed.error = texts::text(
                    texts::TextId::cliUnknownLanguage,
                    {{"name", value}, {"languages", texts::supportedLanguages().joinIntoString(", ")}});
                return parsed;
            }
            options.language = *language;
            continue;
        }
        if (option->role == OptionRole::log)
        {
            if (logGiven)
            {
                parsed.error =
                    texts::text(texts::TextId::cliGivenTwice, {{"option", displayedName(spelling)}});
                return parsed;
            }
            logGiven = true;
            options.logPath = value;
            continue;
        }

        if (options.action != CommandAction::none)
        {
            parsed.error = texts::text(texts::TextId::cliTwoActions);
            return parsed;
        }
        options.action = option->action;
        if (options.action == CommandAction::removeCopy)
        {
            const auto id = value.trim();
            if (!id.containsOnly("0123456789") || id.length() > 10 || id.getLargeIntValue() > 0xffffffffLL)
            {
                parsed.error = texts::text(texts::TextId::cliUnexpectedArgument, {{"argument", value}});
                return parsed;
            }
            options.copyProcessId = (juce::uint32)id.getLargeIntValue();
        }
        else if (takesValue)
        {
            parsed.error = parseFormatList(value, options.formats);
            if (parsed.error.isNotEmpty())
                return parsed;
        }
    }

    if (options.action == CommandAction::none)
        parsed.error = texts::text(texts::TextId::cliNothingToDo);
    else if (options.ask && options.action != CommandAction::uninstall)
        parsed.error = texts::text(texts::TextId::cliAskNeedsUninstall);
    return parsed;
}

std::optional<juce::String> windowLanguageOption(const juce::StringArray& arguments)
{
    if (arguments.isEmpty() || arguments.size() > 2)
        return std::nullopt;
    const auto spelling = spellingOf(arguments[0]);
    const auto* option = findOption(spelling.name);
    if (!spelling.isOption || option == nullptr || option->role != OptionRole::lang)
        return std::nullopt;
    if (spelling.hasInlineValue && arguments.size() == 1)
        return spelling.inlineValue;
    if (!spelling.hasInlineValue && arguments.size() == 2)
        return arguments[1];
    return std::nullopt;
}

juce::String commandLineUsage()
{
    return texts::text(texts::TextId::cliUsage,
                       {{"languages", texts::supportedLanguages().joinIntoString(", ")}});
}

CommandLineFolders systemCommandLineFolders()
{
    CommandLineFolders folders;
    folders.commonApplicationDataFolder = platform::commonApplicationDataFolder();
    folders.defaultInstallFolders = defaultInstallFolders();
    folders.hostSearchFolders = systemHostSearchFolders();
    folders.workingDirectory = juce::File::getCurrentWorkingDirectory();
    folders.registration = install::systemRegistrationTarget();
    folders.language = texts::chooseLanguage(platform::preferredLanguages());
    folders.ask = platform::askToConfirm;
    folders.tell = platform::showNotice;
    return folders;
}

CommandLineResult runCommandLine(const juce::StringArray& arguments, const CommandLineFolders& folders)
{
    // The user's language until --lang is read, so that a usage error is in it too.
    texts::ScopedLanguage userLanguage(folders.language);
    const auto parsed = parseCommandLine(arguments);
    if (parsed.error.isNotEmpty())
        return usageError(parsed.error);
    const auto& options = parsed.options;
    texts::ScopedLanguage chosenLanguage(options.language.isNotEmpty() ? options.language : folders.language);

    // The log is prepared before anything else is done, so that a log that cannot be
    // written stops the run while nothing has been touched.
    ReportLog log;
    if (options.logPath.isNotEmpty())
    {
        const auto logFile = fileFromArgument(options.logPath, folders.workingDirectory);
        auto plannedFolders = folders.defaultInstallFolders;
        const auto settingsFolder =
            folders.commonApplicationDataFolder.getChildFile(catalogue::makerFolderName);
        peekInstallSettings(settingsFolder, plannedFolders);
        auto problem = whyLogPathIsProtected(logFile, getSettingsFile(settingsFolder), plannedFolders,
                                             catalogue::displayProductName(catalogue::productName));
        if (problem.isEmpty())
            problem = log.open(logFile);
        if (problem.isNotEmpty())
        {
            CommandLineResult result;
            result.exitStatus = exitUsageError;
            result.errors << catalogue::applicationName << ": "
                          << texts::text(texts::TextId::cliCannotWriteLog,
                                         {{"path", options.logPath}, {"problem", problem}})
                          << "\n";
            return result;
        }
    }

    CommandLineResult result;
    if (options.action == CommandAction::help)
    {
        result.output = commandLineUsage();
    }
    else if (options.action == CommandAction::version)
    {
        result.output << catalogue::applicationName << " " << catalogue::installerVersion << " ("
                      << catalogue::productName << " " << catalogue::productVersion << ")\n";
    }
    else if (options.action == CommandAction::removeCopy)
    {
        // Only what no entry refers to any more, and only once the copy has exited; what
        // cannot go now goes when Windows restarts.
        platform::waitForProcessExit(options.copyProcessId);
        if (removeUnregisteredCopy(folders.registration))
        {
            platform::removeAtRestart(install::installerCopy(folders.registration));
            platform::removeAtRestart(folders.registration.copyFolder);
        }
    }
    else if (options.ask && !confirmUninstall(folders))
    {
        // Also the log's report of this run, so that no older log passes for it.
        result.exitStatus = exitFormatFailed;
        result.output << texts::text(texts::TextId::cliUninstallCancelled) << "\n";
        result.errors << catalogue::applicationName << ": " << result.output;
    }
    else
    {
        const auto locations =
            loadInstallLocations(folders.commonApplicationDataFolder, folders.defaultInstallFolders);
        const auto productName = catalogue::displayProductName(catalogue::productName);

        Report report;
        report.action = options.action;
        report.settingsFile = getSettingsFile(locations.settingsFolder);
        report.settingsLoad = locations.settingsLoad;

        const bool checks =
            options.action == CommandAction::verify || options.action == CommandAction::repair;
        const auto checkFormat = [&](int format)
        {
            return verifyBundle(findInstalledBundle(locations.installFolders[static_cast<size_t>(format)],
                                                    productName, format),
                                getFormatArchive(format));
        };

        // Install and uninstall run every requested format, repair only the changed ones,
        // status and verify none.
        auto toRun = options.formats;
        if (options.action == CommandAction::status || options.action == CommandAction::verify)
            toRun.fill(false);
        if (options.action == CommandAction::repair)
            for (int format = 0; format < catalogue::numFormats; ++format)
                toRun[static_cast<size_t>(format)] = options.formats[static_cast<size_t>(format)] &&
                                                     checkFormat(format).state == BundleState::changed;
        catalogue::PerFormat<RunOutcome> outcomes;
        const bool runs = std::find(toRun.begin(), toRun.end(), true) != toRun.end();
        if (runs)
            outcomes = runFormats(toRun, options.action == CommandAction::uninstall, locations.installFolders,
                                  productName);

        // Windows' entry follows every run that may have changed a bundle; a failure to
        // write it is reported, and fails nothing.
        bool installed = false;
        for (int format = 0; format < catalogue::numFormats; ++format)
            installed = installed || (toRun[static_cast<size_t>(format)] &&
                                      outcomes[static_cast<size_t>(format)].succeeded &&
                                      options.action != CommandAction::uninstall);
        if (runs)
            report.registration =
                updateRegistration(locations.installFolders, productName, folders.registration, installed);
        else
            report.registration.registered =
                folders.registration.readVersion && folders.registration.readVersion().has_value();
        if (report.registration.registered && folders.registration.readVersion)
            report.registeredVersion = folders.registration.readVersion().value_or(juce::String());
        if (report.registration.error)
            result.errors << catalogue::applicationName << ": "
                          << texts::text(texts::TextId::cliRegistrationFailedLine,
                                         {{"problem", report.registration.error.text}})
                          << "\n";

        for (int format = 0; format < catalogue::numFormats; ++format)
        {
            const auto index = static_cast<size_t>(format);
            auto entry =
                reportFormat(format, locations.installFolders, productName, folders.hostSearchFolders);
            if (options.action != CommandAction::status && options.formats[index])
            {
                entry.requested = true;
                // A format that verify and repair leave alone has nothing that could fail.
                if (toRun[index])
                    entry.outcome = outcomes[index];
                else
                    entry.outcome.succeeded = true;
                entry.repaired =
                    options.action == CommandAction::repair && toRun[index] && entry.outcome.succeeded;
                if (checks)
                    entry.check = checkFormat(format);
                if (!entry.outcome.succeeded)
                    result.errors << catalogue::applicationName << ": " << entry.outcome.message << "\n";
                if (!entry.outcome.succeeded || (entry.check && entry.check->state == BundleState::changed))
                    report.exitStatus = exitFormatFailed;
            }
            report.formats.push_back(std::move(entry));
        }

        result.exitStatus = report.exitStatus;
        result.output = options.json ? juce::JSON::toString(reportJson(report)) + "\n" : reportText(report);

        if (options.ask && folders.tell)
        {
            juce::StringArray problems;
            for (const auto& format : report.formats)
                if (format.requested && !format.outcome.succeeded)
                    problems.add(format.outcome.message);
            if (report.registration.error)
                problems.add(texts::text(texts::TextId::cliRegistrationFailedLine,
                                         {{"problem", report.registration.error.text}}));
            folders.tell(uninstallTitle(),
                         problems.isEmpty()
                             ? texts::text(texts::TextId::uninstallDone, {{"product", productName}})
                             : problems.joinIntoString(" "),
                         !problems.isEmpty());
        }
    }

    if (options.logPath.isNotEmpty())
    {
        // The work done stands and the standard output has the whole report: only the log
        // is missing, which its own exit status says, unless a format failed, which says more.
        if (const auto problem = log.replaceWith(result.output); problem.isNotEmpty())
        {
            result.errors << catalogue::applicationName << ": "
                          << texts::text(texts::TextId::cliLogNotWritten,
                                         {{"path", options.logPath}, {"problem", problem}})
                          << "\n";
            if (result.exitStatus == exitSucceeded)
                result.exitStatus = exitLogFailed;
        }
    }
    return result;
}
} // namespace cli
