// Making the run's private working directory.
#include "workdir.h"

#include <windows.h>
#include <string.h>

#include "../resources/resource.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "copypaths.h"
#include "filechange.h"
#include "journal.h"
#include "privatedir.h"

typedef BOOLEAN(WINAPI *RandomFunction)(PVOID, ULONG);

// NtSetInformationFile's rename, the one way to rename a file through a given handle on every NT.
struct RenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[MAX_PATH + 4];
};
struct IoStatus {
    union {
        LONG status;
        PVOID pointer;
    };
    ULONG_PTR information;
};
typedef LONG(WINAPI *SetInformationFunction)(HANDLE, IoStatus *, PVOID, ULONG, int);
#define FILE_RENAME_INFORMATION_CLASS 10

// A 64-bit mix (splitmix64's finaliser), spreading each input bit over the whole result.
static unsigned long long Mix(unsigned long long x)
{
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Random bytes from the system's generator (RtlGenRandom, from Windows XP on); before it,
// a mix of counters that change with every call and differ between processes.
static void RandomBytes(unsigned char *out)
{
    static int looked;
    static RandomFunction generator;
    static unsigned long long state;
    if (!looked) {
        HMODULE advapi = GetModuleHandleA("advapi32.dll");
        generator = advapi ? (RandomFunction)(void (*)(void))GetProcAddress(advapi, "SystemFunction036") : NULL;
        looked = 1;
    }
    if (generator && generator(out, WORKING_DIR_RANDOM))
        return;
    LARGE_INTEGER counter;
    FILETIME now;
    QueryPerformanceCounter(&counter);
    GetSystemTimeAsFileTime(&now);
    state = Mix(state ^ (unsigned long long)counter.QuadPart);
    state = Mix(state ^ (((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime));
    state = Mix(state ^ (((unsigned long long)GetCurrentProcessId() << 32) | GetTickCount()));
    state = Mix(state ^ (unsigned long long)(ULONG_PTR)&counter ^ GetCurrentThreadId());
    for (int i = 0; i < WORKING_DIR_RANDOM; i++)
        out[i] = (unsigned char)(state >> (8 * i));
}

int CreateWorkingDirectory(char *out, size_t cap)
{
    char temp[COPY_PATH_SIZE];
    if (!TempDirectory(temp, sizeof temp))
        return 0;
    unsigned char descriptor[ADMIN_ONLY_DESCRIPTOR_SIZE];
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    // Windows 95 keeps no security: no descriptor there. NT before 2000 inherits nothing into
    // an explicit DACL and knows no protection flag.
    DWORD version = GetVersion();
    int nt = (version & 0x80000000u) == 0;
    if (!BuildAdminOnlyDescriptor(descriptor, sizeof descriptor, LOBYTE(LOWORD(version)) >= 5))
        return 0;
    for (int attempt = 0; attempt < 4; attempt++) {
        unsigned char random[WORKING_DIR_RANDOM];
        RandomBytes(random);
        if (!ComposeWorkingDirName(out, cap, temp, random))
            return 0;
        char dir[COPY_PATH_SIZE];
        if (!StrCopy(dir, sizeof dir, out))
            break;
        StripTrailingBackslash(dir);
        if (!JournalRoot(dir) || !JournalDirectoryCreated(dir))
            break;
        if (CreateDirectoryA(dir, nt ? &attributes : NULL))
            return 1;
        DWORD error = GetLastError();
        JournalNotMade();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            char text[MESSAGE_TEMPLATE_SIZE];
            ComposeMessage(text, sizeof text, IDS_CREATE_DIR_FAILED, dir, (unsigned)error);
            WriteSetupLog(text);
            break;
        }
    }
    if (cap)
        out[0] = '\0';
    return 0;
}

int RemoveWorkingDirectory(const char *dir)
{
    char path[COPY_PATH_SIZE];
    if (!dir[0] || !StrCopy(path, sizeof path, dir))
        return 0;
    StripTrailingBackslash(path);
    // A working file of a copy that was cut short is this run's own, in this run's directory.
    DeleteStaleWorkingFiles(path);
    return RemoveDirectoryA(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Renames the file open as file to path (a whole Windows path, which must not exist); 1 on
// success. Windows 95 has no such call: 0 there.
static int RenameByHandle(HANDLE file, const char *path)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    SetInformationFunction setInformation =
        ntdll ? (SetInformationFunction)(void (*)(void))GetProcAddress(ntdll, "NtSetInformationFile") : NULL;
    if (!setInformation)
        return 0;
    RenameInformation info = {};
    static const WCHAR prefix[] = {'\\', '?', '?', '\\'};
    memcpy(info.fileName, prefix, sizeof prefix);
    int n = MultiByteToWideChar(CP_ACP, 0, path, -1, info.fileName + 4, MAX_PATH);
    if (n <= 1)
        return 0;
    info.fileNameLength = (ULONG)((n - 1 + 4) * sizeof(WCHAR));
    IoStatus status = {};
    return setInformation(file, &status, &info, sizeof info, FILE_RENAME_INFORMATION_CLASS) >= 0;
}

int MoveOutOfWorkingDirectory(HANDLE file, const char *dir)
{
    char temp[COPY_PATH_SIZE], aside[COPY_PATH_SIZE];
    unsigned char random[WORKING_DIR_RANDOM];
    RandomBytes(random);
    if (!TempDirectory(temp, sizeof temp) || !ComposeWorkingDirName(aside, sizeof aside, temp, random))
        return 0;
    StripTrailingBackslash(aside);
    return RenameByHandle(file, aside) && RemoveWorkingDirectory(dir);
}
