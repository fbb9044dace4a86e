// A stand-in for a system DLL, left where a downloaded program lies. Whoever loads it, it
// leaves an empty file named after itself with ".loaded" appended, which the scenario looks for.
#include <windows.h>

#include <cstring>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    static const char suffix[] = ".loaded";
    char path[MAX_PATH + sizeof suffix];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return TRUE;
    memcpy(path + n, suffix, sizeof suffix);
    HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (marker != INVALID_HANDLE_VALUE)
        CloseHandle(marker);
    return TRUE;
}
