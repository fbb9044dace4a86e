// Readers of the prefix state for the end-to-end scenarios.
#include "probe.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "testutil.h"

namespace e2e {
namespace {

std::string Lower(std::string s)
{
    for (char &c : s)
        c = (char)tolower((unsigned char)c);
    return s;
}

void WalkFiles(const std::string &dir, const std::string &skip, std::map<std::string, std::string> &out)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "\\" + name;
        std::string low = Lower(path);
        // The tests' own scratch directories (testutil's ScratchDir) are no part of the machine.
        if (low == skip || Lower(name) == "setup.log" || Lower(name).compare(0, 7, "twtest-") == 0)
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out["dir  " + path] = "";
            // Wine links the profile's Documents, Desktop and the like to the host's home.
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                WalkFiles(path, skip, out);
        } else {
            char info[64];
            snprintf(info, sizeof info, "%lu bytes, written %08lx%08lx", (unsigned long)fd.nFileSizeLow,
                     (unsigned long)fd.ftLastWriteTime.dwHighDateTime, (unsigned long)fd.ftLastWriteTime.dwLowDateTime);
            // The attributes a product file may carry that the setup clears and puts back.
            std::string attributes;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                attributes += ", read-only";
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)
                attributes += ", hidden";
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM)
                attributes += ", system";
            out["file " + path] = info + attributes;
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

std::string Hex(const BYTE *data, DWORD size)
{
    std::string s;
    char b[4];
    for (DWORD i = 0; i < size && i < 256; ++i) {
        snprintf(b, sizeof b, "%02x", data[i]);
        s += b;
    }
    if (size > 256)
        s += "...";
    return s;
}

void WalkKey(HKEY root, const std::string &rootName, const std::string &path, std::map<std::string, std::string> &out)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out["key  " + rootName + "\\" + path] = "";
    std::vector<BYTE> data(65536);
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLen = sizeof name, type = 0, size = (DWORD)data.size();
        LONG rc = RegEnumValueA(key, i, name, &nameLen, NULL, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            out["val  " + rootName + "\\" + path + " [#" + std::to_string(i) + "]"] = "large";
            continue;
        }
        if (rc != ERROR_SUCCESS)  // the end, or a key that answers no enumeration (Perflib)
            break;
        out["val  " + rootName + "\\" + path + " [" + name + "]"] = std::to_string(type) + ":" + Hex(data.data(), size);
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string &s : subkeys)
        WalkKey(root, rootName, path + "\\" + s, out);
}

// Entries for a branch as Wine's server writes it (RegSaveKey: "[key]" lines, each followed by
// its "name"=data lines, a long value going on over lines that end in a backslash), under the
// name base. Keys without values of their own appear only in their subkeys' names, so every
// ancestor is added.
void ReadSavedBranch(const std::string &text, const std::string &base, std::map<std::string, std::string> &out)
{
    out["key  " + base] = "";
    std::string current;
    size_t pos = 0;
    while (pos < text.size()) {
        std::string line;
        for (;;) {
            size_t end = text.find('\n', pos);
            std::string part = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end == std::string::npos ? text.size() : end + 1;
            while (!part.empty() && part.back() == '\r')
                part.pop_back();
            size_t lead = line.empty() ? 0 : part.find_first_not_of(' ');
            line += part.substr(lead == std::string::npos ? part.size() : lead);
            if (line.empty() || line.back() != '\\' || pos >= text.size())
                break;
            line.pop_back();
        }
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[') {
            size_t close = line.rfind(']');
            std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            for (size_t at = 0; (at = name.find("\\\\", at)) != std::string::npos; ++at)
                name.erase(at, 1);
            current = base + "\\" + name;
            for (size_t at = current.size(); at > base.size(); at = current.rfind('\\', at - 1))
                out["key  " + current.substr(0, at)] = "";
            continue;
        }
        if (current.empty())
            continue;
        // "name"=data or @=data (the default value); a name may hold escaped quotes.
        size_t eq = 1;
        if (line[0] == '"')
            for (eq = 1; eq < line.size() && line[eq] != '"'; eq += line[eq] == '\\' ? 2 : 1)
                ;
        eq = line.find('=', eq);
        if (eq != std::string::npos)
            out["val  " + current + " [" + line.substr(0, eq) + "]"] = line.substr(eq + 1);
    }
}

// The branch root\path read in one request to Wine's server, which takes milliseconds where
// enumerating ten thousand keys call by call takes seconds. False where the server refuses (no
// backup privilege, no writable temporary directory): the caller walks the branch instead.
bool SaveKey(HKEY root, const std::string &rootName, const std::string &path, std::map<std::string, std::string> &out)
{
    static bool privileged = false;
    if (!privileged) {
        HANDLE token;
        TOKEN_PRIVILEGES tp = {};
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
            tp.PrivilegeCount = 1;
            tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            if (LookupPrivilegeValueA(NULL, "SeBackupPrivilege", &tp.Privileges[0].Luid))
                AdjustTokenPrivileges(token, FALSE, &tp, 0, NULL, NULL);
            CloseHandle(token);
        }
        privileged = true;
    }
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    // In the temporary directory under the name of the tests' own files, which no walk counts.
    std::string file = TempDir() + "\\twtest-" + std::to_string(GetCurrentProcessId()) + ".reg", text;
    DeleteFileA(file.c_str());
    LONG rc = RegSaveKeyA(key, file.c_str(), NULL);
    RegCloseKey(key);
    bool read = rc == ERROR_SUCCESS && ReadWholeFile(file, &text);
    DeleteFileA(file.c_str());
    if (!read || text.compare(0, 22, "WINE REGISTRY Version ") != 0)
        return false;
    ReadSavedBranch(text, rootName + "\\" + path, out);
    return true;
}

std::string WinIniPath()
{
    char win[MAX_PATH];
    GetWindowsDirectoryA(win, sizeof win);
    return std::string(win) + "\\win.ini";
}

}  // namespace

PrefixState TakePrefixState(bool withTemp)
{
    PrefixState s;
    WalkFiles("C:", withTemp ? "" : Lower(TempDir()), s.entries);
    // The second drive of the e2e prefix, where scenarios install too.
    if (GetDriveTypeA("T:\\") != DRIVE_NO_ROOT_DIR)
        WalkFiles("T:", "", s.entries);
    std::string ini;
    ReadWholeFile(WinIniPath(), &ini);
    std::string section;
    size_t pos = 0;
    while (pos < ini.size()) {
        size_t end = ini.find('\n', pos);
        std::string line = ini.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? ini.size() : end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty())
            continue;
        if (line[0] == '[')
            section = line;
        s.entries["ini  " + section + " " + line] = "";
    }
    s.entries.erase("file " + WinIniPath());  // compared by its lines instead
    if (!SaveKey(HKEY_LOCAL_MACHINE, "HKLM", "Software", s.entries))
        WalkKey(HKEY_LOCAL_MACHINE, "HKLM", "Software", s.entries);
    if (!SaveKey(HKEY_CURRENT_USER, "HKCU", "Software", s.entries))
        WalkKey(HKEY_CURRENT_USER, "HKCU", "Software", s.entries);
    // Wine's own state, written by its desktop and by the folder windows of its Program Manager.
    const char *const wineOwn[] = {
        "HKCU\\Software\\Wine\\Temporary System Parameters",
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
    };
    for (auto it = s.entries.begin(); it != s.entries.end();) {
        bool own = false;
        for (const char *w : wineOwn)
            own = own || it->first.compare(5, strlen(w), w) == 0;
        it = own ? s.entries.erase(it) : std::next(it);
    }
    return s;
}

std::vector<std::string> PrefixDifferences(const PrefixState &before, const PrefixState &after)
{
    std::vector<std::string> diff;
    for (const auto &b : before.entries) {
        auto a = after.entries.find(b.first);
        if (a == after.entries.end())
            diff.push_back("gone:    " + b.first);
        else if (a->second != b.second)
            diff.push_back("changed: " + b.first + " (" + b.second + " -> " + a->second + ")");
    }
    for (const auto &a : after.entries)
        if (!before.entries.count(a.first))
            diff.push_back("added:   " + a.first + (a.second.empty() ? "" : " = " + a.second));
    return diff;
}

std::string ProfileValue(const char *key, const char *absent)
{
    char buf[1024];
    GetProfileStringA("Tarnwell", key, absent, buf, sizeof buf);
    return buf;
}

bool ProfileSectionExists()
{
    char buf[4096];
    DWORD n = GetProfileSectionA("Tarnwell", buf, sizeof buf);
    return n > 0;
}

static std::string ReadValue(HKEY root, const std::string &key, REGSAM view, const char *name)
{
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &k) != ERROR_SUCCESS)
        return "<absent>";
    BYTE data[4096];
    DWORD type = 0, size = sizeof data - 1;
    LONG rc = RegQueryValueExA(k, name, NULL, &type, data, &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS)
        return "<absent>";
    if (type == REG_DWORD && size == 4)
        return std::to_string(*(DWORD *)data);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        data[size] = 0;
        return std::string((char *)data);
    }
    return "type " + std::to_string(type) + ": " + Hex(data, size);
}

std::string RegValue(HKEY root, const std::string &key, const char *name) { return ReadValue(root, key, 0, name); }

std::string RegValue64(const std::string &key, const char *name)
{
    return ReadValue(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY, name);
}

bool InWow64()
{
    BOOL wow = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow) && wow;
}

void RegDeleteTreeA2(HKEY root, const std::string &key)
{
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
        return;
    std::vector<std::string> subkeys;
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    RegCloseKey(k);
    for (const std::string &s : subkeys)
        RegDeleteTreeA2(root, key + "\\" + s);
    RegDeleteKeyA(root, key.c_str());
}

std::string ProgramsFolder()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_PROGRAMS, NULL, 0, path);
    return path;
}

std::string CommonProgramsFolder()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, 0, path);
    return path;
}

Link ReadLink(const std::string &path)
{
    Link link;
    CoInitialize(NULL);
    IShellLinkA *sl = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&sl)))
        return link;
    IPersistFile *pf = NULL;
    if (SUCCEEDED(sl->QueryInterface(IID_IPersistFile, (void **)&pf))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(pf->Load(wide, STGM_READ))) {
            char buf[MAX_PATH] = "";
            WIN32_FIND_DATAA fd;
            if (SUCCEEDED(sl->GetPath(buf, sizeof buf, &fd, SLGP_RAWPATH)))
                link.target = buf;
            buf[0] = 0;
            if (SUCCEEDED(sl->GetWorkingDirectory(buf, sizeof buf)))
                link.workDir = buf;
            link.ok = true;
        }
        pf->Release();
    }
    sl->Release();
    return link;
}

std::string TempDir()
{
    char t[MAX_PATH] = "";
    GetTempPathA(sizeof t, t);
    std::string s = t;
    if (!s.empty() && s.back() == '\\')
        s.pop_back();
    return s;
}

static BOOL CALLBACK CollectFolderWindow(HWND w, LPARAM lp)
{
    char cls[64];
    if (GetClassNameA(w, cls, sizeof cls) && (!strcmp(cls, "ExplorerWClass") || !strcmp(cls, "CabinetWClass")))
        ((std::vector<HWND> *)lp)->push_back(w);
    return TRUE;
}

void CloseFolderWindows()
{
    for (int round = 0; round < 40; ++round) {
        std::vector<HWND> open;
        EnumWindows(CollectFolderWindow, (LPARAM)&open);
        if (open.empty())
            return;
        if (round % 10 == 0)
            for (HWND w : open)
                PostMessageA(w, WM_CLOSE, 0, 0);
        Sleep(50);
    }
}

}  // namespace e2e
