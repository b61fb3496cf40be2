#include "platform/UninstallKey.h"

#include "platform/Platform.h"
#include "platform/WineEnvironment.h"

#include <unistd.h>

#include <cerrno>

// The registry belongs to the Windows program: this build only reads the prefix's.
namespace platform
{
int writeMachineKey(const juce::String&, const std::vector<RegistryValue>&)
{
    return ENOTSUP;
}

int deleteMachineKey(const juce::String&)
{
    return ENOTSUP;
}

std::optional<juce::String> readMachineString(const juce::String& keyPath, const juce::String& name)
{
    return machineRegistryString(keyPath, name);
}

juce::File programFilesFolder()
{
    return fileFromWindowsPath("C:\\Program Files");
}

juce::File runningExecutable()
{
    return juce::File::getSpecialLocation(juce::File::currentExecutableFile);
}

juce::uint32 currentProcessId()
{
    return (juce::uint32)::getpid();
}

bool waitForProcessExit(juce::uint32)
{
    return true;
}

int removeAtRestart(const juce::File&)
{
    return ENOTSUP;
}

int startTemporaryCopy(const juce::String&)
{
    return ENOTSUP;
}
} // namespace platform
