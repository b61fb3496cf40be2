#pragma once

#include "catalogue/FormatTable.h"
#include "platform/NativeFiles.h"

#include <juce_core/juce_core.h>

#include <memory>

// The command line's log file. The program runs with administrator rights, so the log
// never writes through whatever stands at the path the user named: the report goes into a
// new file beside it, which then replaces the path itself (a link there is replaced, not
// followed). Until then the old log stays as it was.
namespace cli
{
// Why a log may not go to `logFile`: it is (in any spelling) the settings file, a bundle
// or anything inside one, or one of the installer's own files next to a bundle (its lock
// file, its work names). Empty when it may.
juce::String whyLogPathIsProtected(const juce::File& logFile, const juce::File& settingsFile,
                                   const catalogue::PerFormat<juce::File>& installFolders,
                                   const juce::String& productName);

class ReportLog
{
public:
    ReportLog() = default;
    ~ReportLog(); // removes the new file unless it took the path's place

    // Makes the new file beside `logFile`: a reason (one phrase) when it cannot be made
    // there, empty when it can.
    juce::String open(const juce::File& logFile);

    // Writes the report into the new file and puts that in the path's place: empty when
    // done, else the system's reason. On a failure the path keeps what it held.
    juce::String replaceWith(const juce::String& report);

private:
    juce::File target;
    juce::File temporary;
    std::unique_ptr<platform::NewFile> file;

    JUCE_DECLARE_NON_COPYABLE(ReportLog)
};
} // namespace cli
