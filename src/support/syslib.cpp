// Libraries loaded at run time, from the system directory only.
#include "syslib.h"

#include "strbuf.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

HMODULE LoadSystemLibrary(const char *name)
{
    // The search flags came with SetDefaultDllDirectories; a system without that function
    // would refuse them, so there the library is named by its full path instead, and its own
    // imports are looked for in its directory first.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel && GetProcAddress(kernel, "SetDefaultDllDirectories"))
        return LoadLibraryExA(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, sizeof path);
    if (n == 0 || n >= sizeof path || !EnsureTrailingBackslash(path, sizeof path) ||
        !StrAppend(path, sizeof path, name))
        return NULL;
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}
