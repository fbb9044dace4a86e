// Working files beside product files, kept old files, replacement in one step, restart work.
#include "filechange.h"

#include "../support/strbuf.h"
#include "../support/widepath.h"
#include "copypaths.h"

int ClaimWorkingName(const char *path, char *name, size_t cap, WorkingNameClaim claim, void *context)
{
    static unsigned serial;
    if (!serial)
        serial = GetTickCount() ^ (GetCurrentProcessId() << 4);
    for (int attempt = 0; attempt < 64; attempt++) {
        if (!ComposeSiblingTempPath(name, cap, path, serial++)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        if (claim(name, context))
            return 1;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    DWORD error = GetLastError();
    name[0] = '\0';
    SetLastError(error);
    return 0;
}

static BOOL CreateNewFile(const char *name, void *handle)
{
    *(HANDLE *)handle = CreateFileA(name, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    return *(HANDLE *)handle != INVALID_HANDLE_VALUE;
}

HANDLE CreateFileBeside(const char *path, char *tempPath, size_t cap)
{
    HANDLE h = INVALID_HANDLE_VALUE;
    return ClaimWorkingName(path, tempPath, cap, CreateNewFile, &h) ? h : INVALID_HANDLE_VALUE;
}

typedef BOOL(WINAPI *HardLinkFunction)(LPCSTR, LPCSTR, LPSECURITY_ATTRIBUTES);

// Windows 95 has no CreateHardLinkA: it is looked up, not imported.
static HardLinkFunction HardLink(void)
{
    static int looked;
    static HardLinkFunction function;
    if (!looked) {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        function = kernel ? (HardLinkFunction)(void (*)(void))GetProcAddress(kernel, "CreateHardLinkA") : NULL;
        looked = 1;
    }
    return function;
}

static BOOL LinkTo(const char *name, void *path)
{
    return HardLink()(name, (const char *)path, NULL);
}

static BOOL CopyTo(const char *name, void *path)
{
    return CopyFileA((const char *)path, name, TRUE);
}

int KeepFileBeside(const char *path, char *kept, size_t cap)
{
    if (HardLink() && ClaimWorkingName(path, kept, cap, LinkTo, (void *)path))
        return 1;
    // No hard links here (FAT, a network share, Windows 95): the old content is copied.
    return KeepCopyBeside(path, kept, cap);
}

int KeepCopyBeside(const char *path, char *kept, size_t cap)
{
    return ClaimWorkingName(path, kept, cap, CopyTo, (void *)path);
}

int PutFileInPlace(const char *tempPath, const char *path)
{
    if (MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING))
        return 1;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return 0;
    // Windows 95 has no MoveFileEx: the old file has to go first.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(path))
        return 0;
    return MoveFileA(tempPath, path) != 0;
}

int TempDirectory(char *out, size_t cap)
{
    return UsableTempPath(out, cap);
}

int IsInUseError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
}

int DeleteFileAtRestart(const char *path, DWORD error)
{
    DWORD attrs = GetFileAttributesA(path);
    if (!IsInUseError(error) || attrs == INVALID_FILE_ATTRIBUTES ||
        (attrs & FILE_ATTRIBUTE_READONLY))
        return 0;
    return MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

void DeleteStaleWorkingFiles(const char *dir, const char *spare)
{
    char pattern[MAX_PATH];
    if (!dir || !dir[0] || !JoinPath(pattern, sizeof pattern, dir, "~tw*.tmp"))
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        char path[MAX_PATH];
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsSiblingTempName(found.cFileName) &&
            JoinPath(path, sizeof path, dir, found.cFileName) && !(spare && StrEqualNoCase(path, spare)))
            DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}
