#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

// The machine's registry (HKLM, 64-bit view), where the product's uninstall entry lives, and
// the services the installer's copy in Program Files needs: that folder, the running
// program's own file, and a helper to remove it once it has exited. Only the Windows
// program writes the registry; other builds read the Wine prefix's registry file, so that
// both report the same state.
namespace platform
{
struct RegistryValue
{
    juce::String name;
    juce::String text;                  // REG_SZ, unless `number` is set
    std::optional<juce::uint32> number; // REG_DWORD
};

// Keys are paths below HKLM ("Software\\Microsoft\\...\\Uninstall\\Name").

// Creates or opens the key and writes every value. 0, or the system's error code.
// Elsewhere than on Windows nothing is written (ENOTSUP).
int writeMachineKey(const juce::String& keyPath, const std::vector<RegistryValue>& values);

// Removes the key with its values: 0 when it is gone (also when it was never there), or the
// system's error code. Elsewhere than on Windows nothing is removed (ENOTSUP).
int deleteMachineKey(const juce::String& keyPath);

// A string value of the key: empty when the key lacks the value, nothing when there is no
// such key.
std::optional<juce::String> readMachineString(const juce::String& keyPath, const juce::String& name);

// The 64-bit Program Files folder (C:\Program Files). Not created.
juce::File programFilesFolder();

// The executable of this process.
juce::File runningExecutable();

// This process's id.
juce::uint32 currentProcessId();

// Waits until the process has exited, however long that takes; true when it has (or there
// is no such process).
bool waitForProcessExit(juce::uint32 processId);

// Has Windows remove the file, or the folder once empty, at the next restart: for what a
// running program cannot remove now. 0 when arranged, or the system's error code (ENOTSUP
// elsewhere than on Windows).
int removeAtRestart(const juce::File& file);

// Starts a copy of this program with `arguments`, written to a new folder only
// administrators can change and removed by Windows at the next restart: for work that needs
// this program's own file gone, such as removing it. 0 when started, or the system's error
// code (ENOTSUP elsewhere than on Windows).
int startTemporaryCopy(const juce::String& arguments);
} // namespace platform
