#pragma once

#include "install/InstallReport.h"

#include <juce_core/juce_core.h>

// The sentences composed from the engine's facts and the table of texts, for both front
// ends: the window's info label and rows, and the command line's report.
namespace texts
{
// One sentence about a format that failed or left its old copy behind, naming the format
// and the bundle: "CLAP failed: Ostrand.clap is in use by another program. Close it and
// click INSTALL again." Empty for a plain success.
juce::String describeFormat(const install::FormatReport& format, const juce::String& productName,
                            bool uninstall);

// The sentences of every format that needs attention, on one line; empty when none does.
juce::String describeProblems(const install::InstallReport& report, const juce::String& productName);

// Why Windows refuses a name, to follow the name: "has the character '<' in its name, which
// Windows does not allow".
juce::String nameProblemText(const formats::NameProblem& problem);

// A format row's status: "NOT INSTALLED", "v" + version + " INSTALLED", or "INSTALLED".
juce::String installStatusText(bool installed, const juce::String& versionText);
} // namespace texts
