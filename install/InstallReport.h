#pragma once

#include "formats/WindowsPathText.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

// What one install or uninstall run did, format by format, and why a format failed, as
// facts: outcomes, reasons, paths, system errors, holders. The sentences a user reads are
// composed from them above the engine (texts/Sentences.h).
namespace install
{
enum class FormatOutcome
{
    installed,
    uninstalled,
    failed,
    // The new bundle is in place, but the old one could not be removed, most likely because
    // a host still has it loaded. The format succeeded; the next run removes the old copy.
    installedOldCopyLeft
};

enum class FailureReason
{
    none,
    inUse,                // a program holds the bundle open
    noPermission,         // not elevated, or a read-only folder or drive
    diskFull,             // not enough disk space
    installFolderMissing, // the install folder's drive or share does not exist
    noInstallFolder,      // no install folder is set for the format
    pathBlocked,          // something else stands where a folder must go
    archiveDamaged,       // the embedded archive is damaged
    otherInstaller,       // another installer is working on the bundle
    other                 // anything else; the system's text says what
};

struct FormatReport
{
    int format = -1; // index into the format table
    FormatOutcome outcome = FormatOutcome::failed;
    FailureReason reason = FailureReason::none;
    // The path the failure concerns, as the user knows it: the bundle or the install
    // folder (or a parent of it), never one of the installer's own work names.
    juce::File path;
    int systemErrorCode = 0;   // errno, or GetLastError on Windows; 0 when there was none
    juce::String systemError;  // the system's own text for it, for the log
    juce::StringArray holders; // programs named as holding the bundle open, if any
    // A name in the install folder's path that Windows refuses, and why.
    std::optional<formats::PathProblem> refusedName;

    bool succeeded() const { return outcome != FormatOutcome::failed; }
    bool needsAttention() const
    {
        return outcome == FormatOutcome::failed || outcome == FormatOutcome::installedOldCopyLeft;
    }
};

struct InstallReport
{
    bool uninstall = false;
    std::vector<FormatReport> formats; // the processed formats, in format order

    // True only when at least one format was processed and every processed format succeeded.
    bool succeeded() const;
};

// The reason a system error code stands for (errno, or GetLastError on Windows).
FailureReason reasonForSystemError(int code);

// Short names for the log and the command line: "installed", "in-use", ...
juce::String outcomeName(FormatOutcome outcome);
juce::String reasonName(FailureReason reason);
} // namespace install
