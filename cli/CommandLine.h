#pragma once

#include "catalogue/FormatTable.h"
#include "install/OtherCopies.h"
#include "install/Registration.h"

#include <juce_core/juce_core.h>

#include <array>
#include <functional>
#include <optional>

// The program without its window: status, install and uninstall from the command line,
// through the same settings load, status rule and engine as the window.
namespace cli
{
// Exit statuses.
inline constexpr int exitSucceeded = 0;    // everything asked for succeeded
inline constexpr int exitFormatFailed = 1; // a format failed; the report says which
inline constexpr int exitUsageError = 2;   // bad arguments or log file; nothing touched
inline constexpr int exitLogFailed = 3;    // all succeeded as reported, but the log could not be written

enum class CommandAction
{
    none,
    status,
    install,
    uninstall,
    verify, // each installed format against the embedded archive
    repair, // reinstalls each installed format that verify finds changed
    help,
    version,
    removeCopy // internal: the helper that removes the installer's copy after the copy exits
};

struct CommandOptions
{
    CommandAction action = CommandAction::none;
    catalogue::PerFormat<bool> formats{}; // for every action but status, by format index
    bool json = false;
    bool ask = false;               // uninstall: ask first and tell the outcome in message boxes
    juce::String language;          // a supported language's tag from --lang; empty without it
    juce::String logPath;           // as given; empty without --log
    juce::uint32 copyProcessId = 0; // removeCopy: the process to wait for
};

struct ParsedCommandLine
{
    CommandOptions options;
    juce::String error; // one line; empty when the arguments are sound
};

// Reads the arguments (without the program's name). Options are case-insensitive and
// come in two spellings: "--install vst3,clap" / "--install=vst3,clap" and
// "/install=vst3,clap" / "/install:vst3,clap" / "/install vst3,clap". The formats of
// --verify and --repair may be left out, meaning all.
ParsedCommandLine parseCommandLine(const juce::StringArray& arguments);

// The value of --lang when it is the only option, as a window start takes it ("--lang de",
// "/lang=de"); nothing otherwise.
std::optional<juce::String> windowLanguageOption(const juce::StringArray& arguments);

// The usage text, several lines ending in a line break.
juce::String commandLineUsage();

// Everything a command-line run reads from the machine, so that it can run on any folders.
struct CommandLineFolders
{
    juce::File commonApplicationDataFolder; // holds the maker's folder
    catalogue::PerFormat<juce::File> defaultInstallFolders;
    install::HostSearchFolders hostSearchFolders;
    juce::File workingDirectory;  // for a relative --log path
    juce::String language = "en"; // the user's language, unless --lang names another
    // Windows' uninstall entry and the installer's copy (only read on Linux).
    install::RegistrationTarget registration;
    // The message boxes of --ask: a question (true when confirmed) and a notice.
    std::function<bool(const juce::String& title, const juce::String& question)> ask;
    std::function<void(const juce::String& title, const juce::String& message, bool problem)> tell;
};

// The folders of this machine and process.
CommandLineFolders systemCommandLineFolders();

struct CommandLineResult
{
    int exitStatus = exitSucceeded;
    juce::String output; // for the standard output: the report
    juce::String errors; // for the error stream
};

// Parses and carries out the arguments; the caller prints the result and exits with it.
CommandLineResult runCommandLine(const juce::StringArray& arguments, const CommandLineFolders& folders);
} // namespace cli
