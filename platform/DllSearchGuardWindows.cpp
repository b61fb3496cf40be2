// Restricts where the process may load DLLs from, before any other code of it runs.
//
// The installer runs with administrator rights and is started from wherever the browser
// saved it, often a Downloads folder that any web page can drop files into. Windows looks
// for a DLL that is not on its KnownDLLs list beside the program first (and, for a load by
// bare name, in the working folder too), so a planted "uxtheme.dll" or "version.dll" would
// run with those rights. From the moment this callback has run, every load by name (the
// framework's, the delay-loaded imports' and those system DLLs make) comes from System32.
//
// It must run before the framework's static initialisers and before anything delay-loads,
// which is why it is a TLS callback: the loader calls the executable's TLS callbacks after
// its static imports (KnownDLLs only, which the build checks) and before its entry point,
// so no constructor, no WinMain and no other thread has run yet. This file is linked into
// the executable itself, not into a library, so that the linker cannot leave it out.

#include "platform/WindowsApi.h"

namespace
{
void NTAPI restrictDllSearchPath(PVOID, DWORD reason, PVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return;
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Takes the working folder out of the search order of loads that name no folder.
    SetDllDirectoryW(L"");
}
} // namespace

// The C runtime's TLS directory calls every pointer placed between its .CRT$XLA and
// .CRT$XLZ sections, in the order of the section names.
extern "C" __attribute__((section(".CRT$XLB"), used))
const PIMAGE_TLS_CALLBACK vxRestrictDllSearchPathCallback = restrictDllSearchPath;
