// Paths from ANSI calls, checked against the wide calls and replaced by their short forms.
#include "widepath.h"

#include "../resources/resource.h"
#include "messages.h"
#include "pathform.h"
#include "strbuf.h"

typedef void (*AnyFn)(void);
typedef DWORD(WINAPI *PathIntoFn)(DWORD, LPWSTR);  // GetTempPathW, GetCurrentDirectoryW
typedef DWORD(WINAPI *ModuleFileFn)(HMODULE, LPWSTR, DWORD);
typedef DWORD(WINAPI *ShortPathFn)(LPCWSTR, LPWSTR, DWORD);

// Windows 95 has the wide calls as stubs that fail, or not at all: looked up, not imported.
static AnyFn KernelEntry(const char *name)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? (AnyFn)GetProcAddress(kernel, name) : NULL;
}

static int SameWide(const WCHAR *a, const WCHAR *b)
{
    while (*a && *a == *b)
        a++, b++;
    return *a == *b;
}

// out = the code page's exact spelling of wide's short form; empty when there is none: no
// short names on the volume, or a short name the code page cannot write either.
static void ShortForm(const WCHAR *wide, char *out, int cap)
{
    ShortPathFn shortPath = (ShortPathFn)KernelEntry("GetShortPathNameW");
    WCHAR shortWide[MAX_PATH], back[MAX_PATH];
    BOOL lost = FALSE;
    DWORD n = shortPath ? shortPath(wide, shortWide, MAX_PATH) : 0;
    if (n == 0 || n >= MAX_PATH || !WideCharToMultiByte(CP_ACP, 0, shortWide, -1, out, cap, NULL, &lost) || lost ||
        !MultiByteToWideChar(CP_ACP, 0, out, -1, back, MAX_PATH) || !SameWide(back, shortWide))
        out[0] = '\0';
}

// Logs what was done with the path of that kind, once for each path and choice.
static void LogPathUse(AnsiPathKind kind, PathUse use, const char *ansi, const char *other)
{
    static char logged[ANSI_PATH_KINDS][MESSAGE_TEMPLATE_SIZE];
    char name[64], text[MESSAGE_TEMPLATE_SIZE];
    LoadMessage(IDS_PATH_TEMP + kind, name, sizeof name);
    unsigned message = use == PATH_SHORT_FORM ? IDS_PATH_SHORT_FORM : use == PATH_FALL_BACK ? IDS_PATH_FALLBACK
                                                                                            : IDS_PATH_REFUSED;
    ComposeMessage(text, sizeof text, message, name, ansi, other);
    if (StrEqualNoCase(text, logged[kind]))
        return;
    StrCopy(logged[kind], sizeof logged[kind], text);
    WriteSetupLog(text);
}

int UseAnsiPath(AnsiPathKind kind, char *ansi, size_t cap, const WCHAR *wide, const char *fallBack)
{
    if (!cap || !ansi[0])
        return 0;
    WideAnswer answer = WIDE_NONE;
    char shortForm[MAX_PATH];
    shortForm[0] = '\0';
    if (wide && wide[0]) {
        WCHAR back[MAX_PATH];
        int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, MAX_PATH);
        answer = n > 0 && SameWide(back, wide) ? WIDE_SAME : WIDE_DIFFERENT;
        if (answer == WIDE_DIFFERENT)
            ShortForm(wide, shortForm, sizeof shortForm);
    }
    PathUse use = ChoosePathUse(ansi, answer, shortForm, fallBack != NULL);
    if (use == PATH_AS_GIVEN)
        return 1;
    const char *other = use == PATH_SHORT_FORM ? shortForm : use == PATH_FALL_BACK ? fallBack : "";
    LogPathUse(kind, use, ansi, other);
    if (other[0] && StrCopy(ansi, cap, other))
        return 1;
    ansi[0] = '\0';
    return 0;
}

// A wide answer that fits MAX_PATH, or null: the call is missing, is Windows 95's stub
// (ERROR_CALL_NOT_IMPLEMENTED), or failed.
static const WCHAR *WideAnswerOf(DWORD n, const WCHAR *wide)
{
    return n > 0 && n < MAX_PATH ? wide : NULL;
}

int UsableTempPath(char *out, size_t cap)
{
    WCHAR wide[MAX_PATH];
    DWORD n = GetTempPathA((DWORD)cap, out);
    if (n == 0 || n >= cap || !EnsureTrailingBackslash(out, cap)) {
        if (cap)
            out[0] = '\0';
        return 0;
    }
    PathIntoFn tempPath = (PathIntoFn)KernelEntry("GetTempPathW");
    // Only administrators write in the Windows directory's Temp beside the directories they make.
    char windowsTemp[MAX_PATH];
    UINT w = GetWindowsDirectoryA(windowsTemp, sizeof windowsTemp);
    const char *fallBack = w > 0 && w < sizeof windowsTemp && EnsureTrailingBackslash(windowsTemp, sizeof windowsTemp) &&
                                   StrAppend(windowsTemp, sizeof windowsTemp, "Temp\\")
                               ? windowsTemp
                               : NULL;
    return UseAnsiPath(ANSI_PATH_TEMP, out, cap, tempPath ? WideAnswerOf(tempPath(MAX_PATH, wide), wide) : NULL,
                       fallBack);
}

int UsableModulePath(char *out, size_t cap)
{
    WCHAR wide[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, out, (DWORD)cap);
    if (n == 0 || n >= cap) {
        if (cap)
            out[0] = '\0';
        return 0;
    }
    ModuleFileFn moduleFile = (ModuleFileFn)KernelEntry("GetModuleFileNameW");
    return UseAnsiPath(ANSI_PATH_PROGRAM, out, cap,
                       moduleFile ? WideAnswerOf(moduleFile(NULL, wide, MAX_PATH), wide) : NULL, NULL);
}

int UsableCurrentDirectory(char *out, size_t cap)
{
    WCHAR wide[MAX_PATH];
    DWORD n = GetCurrentDirectoryA((DWORD)cap, out);
    if (n == 0 || n >= cap) {
        if (cap)
            out[0] = '\0';
        return 0;
    }
    PathIntoFn currentDir = (PathIntoFn)KernelEntry("GetCurrentDirectoryW");
    return UseAnsiPath(ANSI_PATH_CURRENT, out, cap, currentDir ? WideAnswerOf(currentDir(MAX_PATH, wide), wide) : NULL,
                       NULL);
}
