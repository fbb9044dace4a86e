// Process start without a C runtime: confines the DLL search to the system directory, finds
// the command-line tail and the show command, calls WinMain and ends the process with what it
// returns.
#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// From here on every library loaded by name, by this program or by the system's own DLLs on its
// behalf, comes from the system directory: never from the program's directory (a downloads
// folder, say), the current directory or PATH, where anyone may have left a DLL of a system
// name to run inside an elevated process. Windows without the function goes on as it is.
static void ConfineLibrarySearch(void)
{
    typedef BOOL(WINAPI * SetDirectoriesFn)(DWORD);
    typedef void (*AnyFn)(void);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDirectoriesFn set =
        kernel ? (SetDirectoriesFn)(AnyFn)GetProcAddress(kernel, "SetDefaultDllDirectories") : NULL;
    if (set)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The tail after the program's name (quoted or not) and the blanks after it.
static char *SkipProgramName(char *p)
{
    int quoted = 0;
    for (; (unsigned char)*p > ' ' || (*p && quoted); p++)
        if (*p == '"')
            quoted = !quoted;
    while (*p && (unsigned char)*p <= ' ')
        p++;
    return p;
}

// 32-bit Windows enters with the stack 4-byte aligned; the compiler may assume more inside.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void TwStart(void)
{
    ConfineLibrarySearch();
    STARTUPINFOA si;
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, SkipProgramName(GetCommandLineA()), show));
}
