// Start Menu items as shell links. OLE32 and SHELL32 are loaded only when links are made or
// deleted, so that a start that does not need them loads neither.
#include "links.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "../shell/manifest.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "../support/syslib.h"
#include "dde.h"
#include "linkname.h"

namespace {

typedef HRESULT(WINAPI *CoInitializeFn)(LPVOID);
typedef void(WINAPI *CoUninitializeFn)(void);
typedef HRESULT(WINAPI *CoCreateInstanceFn)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);
typedef BOOL(WINAPI *GetFolderPathFn)(HWND, LPSTR, int, BOOL);

struct ShellApi {
    CoInitializeFn coInitialize;
    CoUninitializeFn coUninitialize;
    CoCreateInstanceFn coCreateInstance;
    GetFolderPathFn getFolderPath;
};

// The group being filled by the install.
struct LinkGroup {
    char name[MAX_PATH];     // the group's file name
    char folder[MAX_PATH];   // where its links go
    int common;              // folder lies under the all-users Programs folder
    int created;             // this run created folder
    int saved;               // links saved in folder so far
    int comInitialized;
};

LinkGroup linkGroup;

FARPROC Entry(const char *dll, const char *name)
{
    HMODULE module = GetModuleHandleA(dll);
    if (!module)
        module = LoadSystemLibrary(dll);
    return module ? GetProcAddress(module, name) : NULL;
}

// Loaded once; the libraries stay for the rest of the run. 0 when an entry is missing.
int LoadShellApi(ShellApi *api, int withCom)
{
    // Through a plain function pointer type, which every other one converts from.
    typedef void (*AnyFn)(void);
    api->getFolderPath = (GetFolderPathFn)(AnyFn)Entry("shell32.dll", "SHGetSpecialFolderPathA");
    if (!api->getFolderPath)
        return 0;
    if (!withCom)
        return 1;
    api->coInitialize = (CoInitializeFn)(AnyFn)Entry("ole32.dll", "CoInitialize");
    api->coUninitialize = (CoUninitializeFn)(AnyFn)Entry("ole32.dll", "CoUninitialize");
    api->coCreateInstance = (CoCreateInstanceFn)(AnyFn)Entry("ole32.dll", "CoCreateInstance");
    return api->coInitialize && api->coUninitialize && api->coCreateInstance;
}

ShellApi shellApi;

void Log(const char *format, const char *value)
{
    char text[MESSAGE_TEMPLATE_SIZE];
    StrFormat(text, sizeof text, format, value);
    WriteSetupLog(text);
}

int IsDirectory(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// folder = the Programs folder csidl names + "\" + name; 0 when there is none or it is too long.
int GroupFolder(int csidl, const char *name, int create, char *folder)
{
    char base[MAX_PATH];
    base[0] = '\0';
    if (!shellApi.getFolderPath(NULL, base, csidl, create) || !base[0])
        return 0;
    return StrFormat(folder, MAX_PATH, "%s\\%s", base, name);
}

// Makes the group's folder under the Programs folder csidl names, or finds it there.
int UseGroupFolder(int csidl)
{
    LinkGroup *g = &linkGroup;
    if (!GroupFolder(csidl, g->name, TRUE, g->folder))
        return 0;
    g->common = csidl == CSIDL_COMMON_PROGRAMS;
    g->saved = 0;
    g->created = CreateDirectoryA(g->folder, NULL) != 0;
    if (!g->created && !IsDirectory(g->folder))
        return 0;
    Log("creating icons as shell links in %s", g->folder);
    return 1;
}

// The user's Programs folder, for when the common one cannot be written. A folder this run
// made there is taken away again if it is empty.
int FallBackToUserFolder(void)
{
    LinkGroup *g = &linkGroup;
    if (!g->common || g->saved)
        return 0;
    if (g->created)
        RemoveDirectoryA(g->folder);
    return UseGroupFolder(CSIDL_PROGRAMS);
}

HRESULT SaveLink(const char *path, const char *target, const char *workingDir)
{
    WCHAR widePath[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH))
        return E_FAIL;
    IShellLinkA *link = NULL;
    HRESULT hr = shellApi.coCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                           (void **)&link);
    if (FAILED(hr))
        return hr;
    IPersistFile *file = NULL;
    hr = link->SetPath(target);
    if (SUCCEEDED(hr))
        hr = link->SetWorkingDirectory(workingDir);
    if (SUCCEEDED(hr))
        hr = link->QueryInterface(IID_IPersistFile, (void **)&file);
    if (SUCCEEDED(hr)) {
        // Deleting first replaces a link of a previous install, as DeleteItem does an item.
        DeleteFileA(path);
        hr = file->Save(widePath, TRUE);
        file->Release();
    }
    link->Release();
    return hr;
}

}  // namespace

int LinkGroupOpen(const char *group)
{
    LinkGroup *g = &linkGroup;
    ZeroMemory(g, sizeof *g);
    if (!MakeLinkFileName(g->name, sizeof g->name, group)) {
        Log("no shell links: the group name %s cannot name a folder", group);
        return 0;
    }
    if (!LoadShellApi(&shellApi, 1)) {
        WriteSetupLog("no shell links: the shell's link service is not available");
        return 0;
    }
    g->comInitialized = SUCCEEDED(shellApi.coInitialize(NULL));
    if (UseGroupFolder(CSIDL_COMMON_PROGRAMS) || UseGroupFolder(CSIDL_PROGRAMS))
        return 1;
    Log("no shell links: no Programs folder takes the group %s", g->name);
    LinkGroupClose();
    return 0;
}

int LinkReplaceItem(const char *title, const char *directory, const char *file, const char *commandLine)
{
    LinkGroup *g = &linkGroup;
    if (!g->folder[0] || !commandLine || !*commandLine)
        return 1;
    const char *item = (title && *title) ? title : file;
    char name[MAX_PATH];
    if (!MakeLinkFileName(name, sizeof name, item)) {
        Log("no shell link: the item name %s cannot name a file", item);
        return 1;
    }
    char currentDir[MAX_PATH];
    directory = ItemDirectory(directory, currentDir, sizeof currentDir);
    for (;;) {
        char path[MAX_PATH];
        if (!StrFormat(path, sizeof path, "%s\\%s.lnk", g->folder, name)) {
            Log("no shell link: the path for %s is too long", item);
            return 1;
        }
        if (SUCCEEDED(SaveLink(path, commandLine, directory))) {
            g->saved++;
            return 1;
        }
        if (!FallBackToUserFolder()) {
            Log("shell link %s not saved", path);
            return 1;
        }
    }
}

void LinkGroupClose(void)
{
    LinkGroup *g = &linkGroup;
    if (g->comInitialized)
        shellApi.coUninitialize();
    ZeroMemory(g, sizeof *g);
}

void DeleteGroupLinks(const char *group)
{
    char name[MAX_PATH];
    if (!MakeLinkFileName(name, sizeof name, group) || !LoadShellApi(&shellApi, 0))
        return;
    const InstallManifest *m = &installManifest;
    static const int folders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};
    for (int csidl : folders) {
        char folder[MAX_PATH];
        if (!GroupFolder(csidl, name, FALSE, folder) || !IsDirectory(folder))
            continue;
        for (int i = 0; i < m->fileCount; i++) {
            const FileEntry *row = &m->files[i];
            if (!row->iconFlags)
                continue;
            char item[MAX_PATH], path[MAX_PATH];
            const char *title = (row->iconTitle && *row->iconTitle) ? row->iconTitle : row->targetName;
            if (MakeLinkFileName(item, sizeof item, title) && StrFormat(path, sizeof path, "%s\\%s.lnk", folder, item))
                DeleteFileA(path);
        }
        // Only the product's own group goes, and only empty: what else it holds is not ours.
        if (StrEqualNoCase(group, m->productName))
            RemoveDirectoryA(folder);
    }
}
