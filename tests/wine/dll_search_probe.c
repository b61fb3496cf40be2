// A program built the way the installer was before it restricted its DLL search path: it
// loads each DLL named on its command line by bare name, as the framework loads uxtheme,
// dwmapi and the rest. Run beside planted DLLs, it shows that the planting is seen, so
// that a test finding no planted DLL loaded by the installer is known to catch the fault.
//
//   x86_64-w64-mingw32-gcc-posix -municode -o dll_search_probe.exe dll_search_probe.c
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i)
        LoadLibraryW(argv[i]);
    return 0;
}
