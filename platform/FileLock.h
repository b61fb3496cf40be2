#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace platform
{
// An exclusive lock on a lock file, shared by every process on the machine (and, through
// Wine's own file locks, by Windows programs in a Wine prefix). The system releases it
// when the process ends, however it ends. While it is held, the file stands at its path;
// releasing it removes the file.
class FileLock
{
public:
    enum class Outcome
    {
        held,   // this object holds the lock
        busy,   // another holder has it
        failed, // the lock file cannot be made or locked here
    };

    // One attempt, never waiting: makes the file if it is missing (a link in its place is
    // refused) and locks it.
    explicit FileLock(const juce::File& lockFile);
    ~FileLock();

    Outcome getOutcome() const { return outcome; }

    // For a failed attempt, the system's error (errno, or GetLastError on Windows).
    int getErrorCode() const { return errorCode; }

private:
    struct Handle;
    std::unique_ptr<Handle> handle;
    Outcome outcome = Outcome::failed;
    int errorCode = 0;

    JUCE_DECLARE_NON_COPYABLE(FileLock)
};
} // namespace platform
