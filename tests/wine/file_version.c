// A test tool, not part of the installer: prints the fixed file version ("a.b.c.d") of
// every module named on the command line, one line each, as the Windows version API reads
// it. Under Wine this is Wine's own reader, so it checks the modules the installer writes
// with a reader that is not ours. A module without a readable version prints an error on
// stderr instead and makes the exit code 1.
//
//   x86_64-w64-mingw32-gcc-posix -municode -o file_version.exe file_version.c -lversion
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

static int printFileVersion(const wchar_t* path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
    {
        fwprintf(stderr, L"%ls: GetFileVersionInfoSizeW failed, error %lu\n", path, GetLastError());
        return 0;
    }

    void* data = malloc(size);
    if (data == NULL)
        return 0;

    int ok = 0;
    VS_FIXEDFILEINFO* info = NULL;
    UINT infoSize = 0;
    if (!GetFileVersionInfoW(path, 0, size, data))
        fwprintf(stderr, L"%ls: GetFileVersionInfoW failed, error %lu\n", path, GetLastError());
    else if (!VerQueryValueW(data, L"\\", (void**)&info, &infoSize) || info == NULL ||
             infoSize < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != 0xFEEF04BD)
        fwprintf(stderr, L"%ls: no fixed file info\n", path);
    else
    {
        printf("%u.%u.%u.%u\n", (unsigned)HIWORD(info->dwFileVersionMS),
               (unsigned)LOWORD(info->dwFileVersionMS), (unsigned)HIWORD(info->dwFileVersionLS),
               (unsigned)LOWORD(info->dwFileVersionLS));
        ok = 1;
    }
    free(data);
    return ok;
}

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
    {
        fwprintf(stderr, L"usage: file_version <module>...\n");
        return 2;
    }
    int failed = 0;
    for (int i = 1; i < argc; ++i)
        if (!printFileVersion(argv[i]))
            failed = 1;
    fflush(stdout);
    return failed;
}
