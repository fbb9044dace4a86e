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

void LoadCommonControls(void)
{
    // Windows XP registers the controls of Common Controls 6, which the manifest asks for, only
    // once that library is loaded; Vista and later load it themselves when a dialog needs it.
    DWORD version = GetVersion();
    if ((version & 0x80000000u) || LOBYTE(LOWORD(version)) >= 6)
        return;
    typedef BOOL(WINAPI * FindSectionFn)(DWORD, const GUID *, ULONG, LPCSTR, PACTCTX_SECTION_KEYED_DATA);
    typedef void(WINAPI * InitFn)(void);
    typedef void (*AnyFn)(void);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FindSectionFn find = kernel ? (FindSectionFn)(AnyFn)GetProcAddress(kernel, "FindActCtxSectionStringA") : NULL;
    ACTCTX_SECTION_KEYED_DATA found;
    ZeroMemory(&found, sizeof found);
    found.cbSize = sizeof found;
    // Loaded by name only where the manifest's activation context redirects that name to the
    // system's side-by-side copy, which comes before any directory in the search; elsewhere
    // (Windows 2000 and before) the controls are USER32's own and nothing is loaded.
    if (!find || !find(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll", &found))
        return;
    HMODULE controls = LoadLibraryA("comctl32.dll");
    InitFn init = controls ? (InitFn)(AnyFn)GetProcAddress(controls, "InitCommonControls") : NULL;
    if (init)
        init();
}
