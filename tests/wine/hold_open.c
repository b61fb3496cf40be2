// A test tool, not part of the installer: stands in for a plug-in host that holds a
// plug-in open. Opens the file named first without sharing (as a host loading a module
// may), creates the file named second to say so, and keeps the file open until the file
// named third appears (or two minutes have passed).
//
//   x86_64-w64-mingw32-gcc-posix -municode -o hold_open.exe hold_open.c
#include <windows.h>

#include <stdio.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
    {
        fwprintf(stderr, L"usage: hold_open <file> <ready-file> <release-file>\n");
        return 2;
    }

    // Opening without sharing fails while anyone else has the file open, the installer's
    // window too, which reads the module's version as it paints: try for a few seconds.
    HANDLE held = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 250 && held == INVALID_HANDLE_VALUE; ++attempt)
    {
        held = CreateFileW(argv[1], GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (held == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        if (held == INVALID_HANDLE_VALUE)
            Sleep(20);
    }
    if (held == INVALID_HANDLE_VALUE)
    {
        fwprintf(stderr, L"%ls: CreateFileW failed, error %lu\n", argv[1], GetLastError());
        return 1;
    }

    HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (ready == INVALID_HANDLE_VALUE)
    {
        fwprintf(stderr, L"%ls: CreateFileW failed, error %lu\n", argv[2], GetLastError());
        CloseHandle(held);
        return 1;
    }
    CloseHandle(ready);

    for (int waited = 0; waited < 1200 && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++waited)
        Sleep(100);
    CloseHandle(held);
    return 0;
}
