#include "install/BundleLock.h"

namespace install
{
juce::File getLockFile(const juce::File& bundle)
{
    return bundle.getSiblingFile("." + bundle.getFileName() + ".vx-lock");
}

BundleLock::BundleLock(const juce::File& bundle, int waitMilliseconds)
{
    // A lock is never waited for inside the system (no such wait has a time limit): the
    // attempts repeat at short intervals until the time is up.
    constexpr int retryMilliseconds = 20;
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + waitMilliseconds;
    for (;;)
    {
        lock = std::make_unique<platform::FileLock>(getLockFile(bundle));
        const auto outcome = lock->getOutcome();
        if (outcome == platform::FileLock::Outcome::held)
        {
            held = true;
            return;
        }
        const int error = lock->getErrorCode();
        lock.reset();
        if (outcome == platform::FileLock::Outcome::failed)
        {
            errorCode = error;
            return;
        }
        if (juce::Time::getMillisecondCounterHiRes() >= deadline)
        {
            heldByAnotherRun = true;
            return;
        }
        juce::Thread::sleep(retryMilliseconds);
    }
}
} // namespace install
