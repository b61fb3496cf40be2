#include "platform/Console.h"

#include "platform/WindowsApi.h"

namespace platform
{
namespace
{
bool isUsable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// The parent's console output, attached to once; null when the parent has no console.
HANDLE parentConsole()
{
    static const HANDLE console = []() -> HANDLE
    {
        if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED)
            return nullptr; // ERROR_ACCESS_DENIED: already attached to a console
        const auto handle =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr);
        return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }();
    return console;
}

void writeTo(DWORD standardHandle, const juce::String& text)
{
    if (text.isEmpty())
        return;
    // A redirected handle (file, pipe) wins over the console.
    auto handle = GetStdHandle(standardHandle);
    if (!isUsable(handle))
        handle = parentConsole();
    if (handle == nullptr)
        return;

    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode))
    {
        // A console takes UTF-16 whatever its code page; it wants CR LF line ends.
        const auto withCrLf = text.replace("\n", "\r\n");
        const auto* wide = withCrLf.toWideCharPointer();
        WriteConsoleW(handle, wide, static_cast<DWORD>(wcslen(wide)), &written, nullptr);
    }
    else
    {
        const auto utf8 = text.toUTF8();
        WriteFile(handle, utf8.getAddress(), static_cast<DWORD>(utf8.sizeInBytes() - 1), &written, nullptr);
    }
}
} // namespace

void writeToStandardOutput(const juce::String& text)
{
    writeTo(STD_OUTPUT_HANDLE, text);
}

void writeToStandardError(const juce::String& text)
{
    writeTo(STD_ERROR_HANDLE, text);
}
} // namespace platform
