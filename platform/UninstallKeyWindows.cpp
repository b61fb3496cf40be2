#include "platform/UninstallKey.h"

#include "platform/Platform.h"
#include "platform/WindowsApi.h"

#include <cwchar>
#include <string>

namespace platform
{
namespace
{
// The 64-bit view, whatever the process: the uninstall entries Apps & Features lists for a
// 64-bit program live there.
constexpr REGSAM view = KEY_WOW64_64KEY;
} // namespace

int writeMachineKey(const juce::String& keyPath, const std::vector<RegistryValue>& values)
{
    HKEY key = nullptr;
    auto status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.toWideCharPointer(), 0, nullptr, 0,
                                  KEY_SET_VALUE | view, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return (int)status;
    for (const auto& value : values)
    {
        if (value.number)
        {
            const DWORD number = *value.number;
            status = RegSetValueExW(key, value.name.toWideCharPointer(), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&number), sizeof(number));
        }
        else
        {
            const auto* text = value.text.toWideCharPointer();
            const auto bytes = (DWORD)((wcslen(text) + 1) * sizeof(wchar_t));
            status = RegSetValueExW(key, value.name.toWideCharPointer(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(text), bytes);
        }
        if (status != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(key);
    return (int)status;
}

int deleteMachineKey(const juce::String& keyPath)
{
    const auto status = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, keyPath.toWideCharPointer(), view, 0);
    return status == ERROR_FILE_NOT_FOUND ? 0 : (int)status;
}

std::optional<juce::String> readMachineString(const juce::String& keyPath, const juce::String& name)
{
    WCHAR buffer[1024] = {};
    DWORD bytes = sizeof(buffer) - sizeof(WCHAR);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, keyPath.toWideCharPointer(), name.toWideCharPointer(),
                     RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, buffer, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return juce::String(buffer);
}

juce::File programFilesFolder()
{
    // The folder of 64-bit programs, as this 64-bit program is told it.
    return juce::File::getSpecialLocation(juce::File::globalApplicationsDirectory);
}

juce::File runningExecutable()
{
    return juce::File::getSpecialLocation(juce::File::currentExecutableFile);
}

juce::uint32 currentProcessId()
{
    return (juce::uint32)GetCurrentProcessId();
}

bool waitForProcessExit(juce::uint32 processId, int timeoutMs)
{
    const auto process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr)
        return true; // gone already
    const auto result = WaitForSingleObject(process, (DWORD)timeoutMs);
    CloseHandle(process);
    return result == WAIT_OBJECT_0;
}

int startTemporaryCopy(const juce::String& arguments)
{
    const auto folder = temporaryFolder();
    if (folder == juce::File())
        return ERROR_PATH_NOT_FOUND;
    // A new name each time, never one that is there already (CopyFile fails then rather
    // than writing through whatever stands at it).
    const auto copy = folder.getChildFile(
        "vx_installer-" + juce::String::toHexString(juce::Random::getSystemRandom().nextInt64()) + ".exe");
    if (!CopyFileW(runningExecutable().getFullPathName().toWideCharPointer(),
                   copy.getFullPathName().toWideCharPointer(), TRUE))
        return (int)GetLastError();
    // Windows removes it at the next restart; it cannot remove itself while it runs.
    MoveFileExW(copy.getFullPathName().toWideCharPointer(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);

    auto commandLine = "\"" + copy.getFullPathName() + "\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring text = commandLine.toWideCharPointer(); // CreateProcessW may write to it
    if (!CreateProcessW(copy.getFullPathName().toWideCharPointer(), text.data(), nullptr, nullptr, FALSE,
                        DETACHED_PROCESS, nullptr, folder.getFullPathName().toWideCharPointer(), &startup,
                        &process))
    {
        const auto error = (int)GetLastError();
        DeleteFileW(copy.getFullPathName().toWideCharPointer());
        return error;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
} // namespace platform
