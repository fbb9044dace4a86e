// Process start without a C runtime: finds the command-line tail and the show command, calls
// WinMain and ends the process with what it returns.
#include <windows.h>

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
    STARTUPINFOA si;
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, SkipProgramName(GetCommandLineA()), show));
}
