#include "platform/UninstallKey.h"

#include "platform/Platform.h"
#include "platform/WindowsApi.h"

#include <sddl.h>

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
    DWORD disposition = 0;
    auto status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.toWideCharPointer(), 0, nullptr, 0,
                                  KEY_SET_VALUE | view, nullptr, &key, &disposition);
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
    // A key this call made holds all its values or is not there at all.
    if (status != ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY)
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, keyPath.toWideCharPointer(), view, 0);
    return (int)status;
}

int deleteMachineKey(const juce::String& keyPath)
{
    const auto status = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, keyPath.toWideCharPointer(), view, 0);
    return status == ERROR_FILE_NOT_FOUND ? 0 : (int)status;
}

std::optional<juce::String> readMachineString(const juce::String& keyPath, const juce::String& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.toWideCharPointer(), 0, KEY_QUERY_VALUE | view, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    RegCloseKey(key);
    WCHAR buffer[1024] = {};
    DWORD bytes = sizeof(buffer) - sizeof(WCHAR);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, keyPath.toWideCharPointer(), name.toWideCharPointer(),
                     RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, buffer, &bytes) != ERROR_SUCCESS)
        return juce::String(); // the key without the value
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

bool waitForProcessExit(juce::uint32 processId)
{
    const auto process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr)
        return true; // gone already
    const auto result = WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
    return result == WAIT_OBJECT_0;
}

int removeAtRestart(const juce::File& file)
{
    return MoveFileExW(file.getFullPathName().toWideCharPointer(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)
               ? 0
               : (int)GetLastError();
}

int startTemporaryCopy(const juce::String& arguments)
{
    // Not the user's temporary folder: a process of the user without administrator rights
    // could put its own program in the copy's place before it starts, elevated. A new
    // folder in Windows' own temporary folder, for administrators and the system only,
    // made here (so never one someone else made first).
    WCHAR windows[MAX_PATH] = {};
    if (GetWindowsDirectoryW(windows, MAX_PATH) == 0)
        return (int)GetLastError();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)",
                                                              SDDL_REVISION_1, &descriptor, nullptr))
        return (int)GetLastError();
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    const auto folder = juce::File(juce::String(windows))
                            .getChildFile("Temp")
                            .getChildFile("vx_installer-" + juce::String::toHexString(
                                                                juce::Random::getSystemRandom().nextInt64()));
    const bool made = CreateDirectoryW(folder.getFullPathName().toWideCharPointer(), &attributes) != 0;
    const auto madeError = (int)GetLastError();
    LocalFree(descriptor);
    if (!made)
        return madeError;
    const auto copy = folder.getChildFile("vx_installer.exe");
    if (!CopyFileW(runningExecutable().getFullPathName().toWideCharPointer(),
                   copy.getFullPathName().toWideCharPointer(), TRUE))
    {
        const auto error = (int)GetLastError();
        RemoveDirectoryW(folder.getFullPathName().toWideCharPointer());
        return error;
    }
    // Windows removes both at the next restart, the file first: the copy cannot remove
    // itself while it runs.
    removeAtRestart(copy);
    removeAtRestart(folder);

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
