#pragma once

#include "platform/FileLock.h"

#include <juce_core/juce_core.h>

#include <memory>

// One run at a time per bundle, across processes: every run that changes a bundle, the
// clean-up of an interrupted run included, holds the bundle's lock. Its lock file lies
// beside the bundle (".Ostrand.vst3.vx-lock") and goes when the lock is released; the
// system releases the lock of a process that dies.
namespace install
{
juce::File getLockFile(const juce::File& bundle);

class BundleLock
{
public:
    // How long a run waits for another run on the same bundle to finish.
    static constexpr int defaultWaitMilliseconds = 2000;

    // Takes the lock, waiting up to waitMilliseconds while another run holds it. The
    // install folder must exist.
    explicit BundleLock(const juce::File& bundle, int waitMilliseconds = defaultWaitMilliseconds);

    // True while the lock is held.
    bool isHeld() const { return held; }

    // True when the lock was not had because another run kept it for the whole wait.
    bool isHeldByAnotherRun() const { return heldByAnotherRun; }

    // When the lock file could not be made or locked (no rights, a read-only folder, a
    // link in its place): the system's error.
    int getErrorCode() const { return errorCode; }

private:
    std::unique_ptr<platform::FileLock> lock;
    bool held = false;
    bool heldByAnotherRun = false;
    int errorCode = 0;

    JUCE_DECLARE_NON_COPYABLE(BundleLock)
};
} // namespace install
