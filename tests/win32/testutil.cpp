// Scratch directories and file helpers for the Win32 tests.
#include "testutil.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

std::string HostToWinPath(const std::string &unixPath)
{
    std::string p = "Z:" + unixPath;
    for (char &c : p)
        if (c == '/')
            c = '\\';
    return p;
}

ScratchDir::ScratchDir(const char *tag)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static unsigned serial;
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%stwtest-%s-%lu-%u", temp, tag, GetCurrentProcessId(), ++serial);
    path_ = name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), NULL);
}

ScratchDir::~ScratchDir()
{
    RemoveTree(path_);
}

ScopedCurrentDir::ScopedCurrentDir(const std::string &dir)
{
    GetCurrentDirectoryA(sizeof saved_, saved_);
    SetCurrentDirectoryA(dir.c_str());
}

ScopedCurrentDir::~ScopedCurrentDir()
{
    SetCurrentDirectoryA(saved_);
}

bool ReadWholeFile(const std::string &path, std::string *content)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    content->clear();
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        content->append(buf, n);
    fclose(f);
    return true;
}

bool WriteWholeFile(const std::string &path, const std::string &content)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(content.data(), 1, content.size(), f) == content.size();
    return fclose(f) == 0 && ok;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> ListFiles(const std::string &dir, const char *pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\" + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(fd.cFileName, ".") && strcmp(fd.cFileName, ".."))
            names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

bool KeyExists(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

namespace {
struct WindowQuery {
    DWORD pid;
    const char *className;
    const char *title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND w, LPARAM lp)
{
    WindowQuery *q = (WindowQuery *)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char text[256];
    if (pid != q->pid || !IsWindowVisible(w))
        return TRUE;
    if (q->className && !(GetClassNameA(w, text, sizeof text) && strcmp(text, q->className) == 0))
        return TRUE;
    if (q->title && !(GetWindowTextA(w, text, sizeof text) && strcmp(text, q->title) == 0))
        return TRUE;
    q->found = w;
    return FALSE;
}
}  // namespace

HWND FindProcessWindow(DWORD pid, const char *className, const char *title)
{
    WindowQuery q = {pid, className, title, NULL};
    EnumWindows(MatchWindow, (LPARAM)&q);
    return q.found;
}

void RemoveTree(const std::string &path)
{
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}
