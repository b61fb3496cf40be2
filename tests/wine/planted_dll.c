// A DLL that stands in for one an attacker plants beside the installer: when any process
// loads it, it leaves a marker file "<its own name>.loaded" in the folder that the
// environment variable VX_PLANTED_MARKERS names. It exports nothing; the same binary is
// copied under every name planted.
//
//   x86_64-w64-mingw32-gcc-posix -shared -o planted.dll planted_dll.c
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    WCHAR folder[MAX_PATH];
    WCHAR module[MAX_PATH];
    WCHAR marker[2 * MAX_PATH + 16];
    const DWORD folderLength = GetEnvironmentVariableW(L"VX_PLANTED_MARKERS", folder, MAX_PATH);
    const DWORD moduleLength = GetModuleFileNameW(self, module, MAX_PATH);
    if (folderLength == 0 || folderLength >= MAX_PATH || moduleLength == 0 || moduleLength >= MAX_PATH)
        return TRUE;
    const WCHAR* name = module;
    for (const WCHAR* c = module; *c != 0; ++c)
        if (*c == L'\\' || *c == L'/')
            name = c + 1;
    lstrcpyW(marker, folder);
    lstrcatW(marker, L"\\");
    lstrcatW(marker, name);
    lstrcatW(marker, L".loaded");
    const HANDLE file =
        CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}
