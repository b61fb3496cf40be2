/* Takes a bundle's lock the way the Windows program does (platform/FileLockWindows.cpp)
   and holds it until a file appears, for the Wine stage's check that the lock holds
   between the Windows program under Wine and the Linux build on the same prefix.

     lock_holder.exe LOCK-FILE GO-FILE

   Prints "held" once it holds the lock and "released" after, or "busy <error>" and exits
   with 2 when someone else holds it; 1 when the file cannot be opened. */
#include <stdio.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 1;
    HANDLE file = CreateFileW(
        argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
        OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (file == INVALID_HANDLE_VALUE)
    {
        printf("open failed %lu\n", GetLastError());
        return 1;
    }
    OVERLAPPED start = {0};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start))
    {
        printf("busy %lu\n", GetLastError());
        return 2;
    }
    printf("held\n");
    fflush(stdout);
    while (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES)
        Sleep(20);
    CloseHandle(file);
    printf("released\n");
    return 0;
}
