// The setup log's file, opened only where it is a plain file of its own name.
#include "logfile.h"

#include "finalpath.h"

typedef DWORD(WINAPI *FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);

// GetFinalPathNameByHandleA exists from Vista on: looked up, not imported.
static FinalPathFunction FinalPathByHandle(void)
{
    static int looked;
    static FinalPathFunction function;
    if (!looked) {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        function = kernel ? (FinalPathFunction)(void (*)(void))GetProcAddress(kernel, "GetFinalPathNameByHandleA")
                          : NULL;
        looked = 1;
    }
    return function;
}

// 1 when the file open as file is what path names in its directory, the directory's final
// path taken from a handle of its own, so that a directory legitimately reached through a
// junction (a redirected folder) still matches.
static int IsEntryOfDirectory(FinalPathFunction finalPath, HANDLE file, const char *path)
{
    char dir[MAX_PATH], dirFinal[MAX_PATH], fileFinal[MAX_PATH];
    const char *name = SplitDirectory(path, dir, sizeof dir);
    if (!name)
        return 0;
    HANDLE folder = CreateFileA(dir, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return 0;
    DWORD n = finalPath(folder, dirFinal, sizeof dirFinal, 0);
    CloseHandle(folder);
    if (n == 0 || n >= sizeof dirFinal)
        return 0;
    n = finalPath(file, fileFinal, sizeof fileFinal, 0);
    return n > 0 && n < sizeof fileFinal && FinalPathIsEntry(fileFinal, dirFinal, name);
}

HANDLE OpenLogFile(const char *path)
{
    // Windows 95 knows neither links nor these flags. From Windows 2000 on, a reparse point
    // is opened itself, not what it points to, so that it shows as one.
    DWORD version = GetVersion();
    int nt = (version & 0x80000000u) == 0, reparse = nt && LOBYTE(LOWORD(version)) >= 5;
    DWORD access = GENERIC_WRITE | (nt ? FILE_READ_ATTRIBUTES : 0);
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (reparse ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE file = CreateFileA(path, access, share, NULL, OPEN_EXISTING, flags, NULL);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
        file = CreateFileA(path, access, share, NULL, CREATE_NEW, flags, NULL);  // fails on any link
    if (file == INVALID_HANDLE_VALUE)
        return file;
    BY_HANDLE_FILE_INFORMATION info;
    FinalPathFunction finalPath = FinalPathByHandle();
    int plain = GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 &&
                !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
                (!finalPath || IsEntryOfDirectory(finalPath, file, path));
    if (!plain) {
        CloseHandle(file);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}
