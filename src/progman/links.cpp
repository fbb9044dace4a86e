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
#include "../support/widepath.h"
#include "commands.h"
#include "dde.h"
#include "linkname.h"

namespace {

typedef HRESULT(WINAPI *CoInitializeFn)(LPVOID);
typedef void(WINAPI *CoUninitializeFn)(void);
typedef HRESULT(WINAPI *CoCreateInstanceFn)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *);
typedef BOOL(WINAPI *GetFolderPathFn)(HWND, LPSTR, int, BOOL);
typedef BOOL(WINAPI *GetFolderPathWideFn)(HWND, LPWSTR, int, BOOL);

struct ShellApi {
    CoInitializeFn coInitialize;
    CoUninitializeFn coUninitialize;
    CoCreateInstanceFn coCreateInstance;
    GetFolderPathFn getFolderPath;
    GetFolderPathWideFn getFolderPathWide;  // null where the shell has no wide calls
};

// The group being filled by the install.
struct LinkGroup {
    char name[MAX_PATH];     // the group's file name
    char folder[MAX_PATH];   // where its links go; empty before LinkUseFolder
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
    api->getFolderPathWide = (GetFolderPathWideFn)(AnyFn)Entry("shell32.dll", "SHGetSpecialFolderPathW");
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
    WCHAR wide[MAX_PATH];
    base[0] = '\0';
    if (!shellApi.getFolderPath(NULL, base, csidl, create) || !base[0])
        return 0;
    // A profile named outside the code page: the short form, or no links there at all.
    int wideKnown = shellApi.getFolderPathWide && shellApi.getFolderPathWide(NULL, wide, csidl, FALSE);
    if (!UseAnsiPath(ANSI_PATH_START_MENU, base, sizeof base, wideKnown ? wide : NULL, NULL))
        return 0;
    return StrFormat(folder, MAX_PATH, "%s\\%s", base, name);
}

const int programsFolders[2] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};

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
    return 1;
}

int LinkGroupFolder(int userFolder, char *folder)
{
    folder[0] = '\0';
    return GroupFolder(programsFolders[userFolder != 0], linkGroup.name, TRUE, folder);
}

int LinkUseFolder(int userFolder, int create)
{
    LinkGroup *g = &linkGroup;
    if (LinkGroupFolder(userFolder, g->folder) && create)
        CreateDirectoryA(g->folder, NULL);
    if (!g->folder[0] || !IsDirectory(g->folder)) {
        g->folder[0] = '\0';
        return 0;
    }
    Log("creating icons as shell links in %s", g->folder);
    return 1;
}

// The item's link file name in name; 0 (logged) when the item cannot name a file.
static int ItemFileName(char *name, const char *title, const char *file)
{
    const char *item = (title && *title) ? title : file;
    if (MakeLinkFileName(name, MAX_PATH, item))
        return 1;
    Log("no shell link: the item name %s cannot name a file", item);
    return 0;
}

int LinkItemPath(const char *title, const char *file, char *path)
{
    char name[MAX_PATH];
    if (!linkGroup.folder[0] || !ItemFileName(name, title, file))
        return 0;
    if (StrFormat(path, MAX_PATH, "%s\\%s.lnk", linkGroup.folder, name))
        return 1;
    Log("no shell link: the path for %s is too long", name);
    return 0;
}

int LinkReplaceItem(const char *title, const char *directory, const char *file, const char *commandLine)
{
    char path[MAX_PATH], currentDir[MAX_PATH];
    if (!commandLine || !*commandLine || !LinkItemPath(title, file, path))
        return 0;
    directory = ItemDirectory(directory, currentDir, sizeof currentDir);
    if (SUCCEEDED(SaveLink(path, commandLine, directory)))
        return 1;
    Log("shell link %s not saved", path);
    return 0;
}

void LinkGroupClose(void)
{
    LinkGroup *g = &linkGroup;
    if (g->comInitialized)
        shellApi.coUninitialize();
    ZeroMemory(g, sizeof *g);
}

void DeleteGroupLinks(const char *group, int made)
{
    char name[MAX_PATH];
    if (!MakeLinkFileName(name, sizeof name, group) || !LoadShellApi(&shellApi, 0))
        return;
    const InstallManifest *m = &installManifest;
    for (int csidl : programsFolders) {
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
        // Only the product's group goes, and only empty: what else it holds is not ours.
        if (GroupGoesWithProduct(group, m->productName, made))
            RemoveDirectoryA(folder);
    }
}

int DeleteItemLinks(const char *group, const char *item, int removeFolder)
{
    char name[MAX_PATH], file[MAX_PATH];
    if (!MakeLinkFileName(name, sizeof name, group) || !LoadShellApi(&shellApi, 0))
        return 0;
    int named = item && MakeLinkFileName(file, sizeof file, item);
    int gone = 1;
    for (int csidl : programsFolders) {
        char folder[MAX_PATH], path[MAX_PATH];
        if (!GroupFolder(csidl, name, FALSE, folder) || !IsDirectory(folder))
            continue;
        if (named && StrFormat(path, sizeof path, "%s\\%s.lnk", folder, file))
            DeleteFileA(path);
        if (removeFolder && !RemoveDirectoryA(folder))
            gone = 0;
    }
    return gone;
}
