// Program Manager test helpers: the recording server, folder windows, links, record guards.
#include "progmantest.h"

#include <ddeml.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>

namespace {

HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return NULL;
}

// One conversation with whatever answers PROGMAN: a request for item (if given) and an
// execute of command (if given).
struct Probe {
    bool connected = false;
    std::string reply;
    int executed = 0;
};

Probe TalkToProgman(const char *item, const char *command)
{
    Probe probe;
    DWORD inst = 0;
    if (DdeInitializeA(&inst, NoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return probe;
    HSZ service = DdeCreateStringHandleA(inst, "PROGMAN", CP_WINANSI);
    HSZ hszItem = item ? DdeCreateStringHandleA(inst, item, CP_WINANSI) : NULL;
    HCONV conv = DdeConnect(inst, service, service, NULL);
    if (conv) {
        probe.connected = true;
        if (hszItem) {
            HDDEDATA data = DdeClientTransaction(NULL, 0, conv, hszItem, CF_TEXT, XTYP_REQUEST, 1000, NULL);
            if (data) {
                DWORD size = 0;
                const char *bytes = (const char *)DdeAccessData(data, &size);
                if (bytes)
                    probe.reply.assign(bytes, strnlen(bytes, size));
                DdeUnaccessData(data);
                DdeFreeDataHandle(data);
            }
        }
        if (command) {
            HDDEDATA r = DdeClientTransaction((LPBYTE)command, (DWORD)strlen(command) + 1, conv, NULL, CF_TEXT,
                                              XTYP_EXECUTE, 2000, NULL);
            probe.executed = r != NULL;
        }
        DdeDisconnect(conv);
    }
    if (hszItem)
        DdeFreeStringHandle(inst, hszItem);
    DdeFreeStringHandle(inst, service);
    DdeUninitialize(inst);
    return probe;
}

bool ReadKey(HKEY root, const std::string &path, RegistryTreeGuard::Key *out)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    for (DWORD i = 0;; i++) {
        char name[16384];
        DWORD nameLen = sizeof name, type = 0, size = 0;
        if (RegEnumValueA(key, i, name, &nameLen, NULL, &type, NULL, &size) != ERROR_SUCCESS)
            break;
        RegistryTreeGuard::Value v{name, type, std::vector<BYTE>(size)};
        nameLen = sizeof name;
        RegEnumValueA(key, i, name, &nameLen, NULL, &type, v.data.empty() ? NULL : v.data.data(), &size);
        out->values.push_back(v);
    }
    for (DWORD i = 0;; i++) {
        char name[256];
        if (RegEnumKeyA(key, i, name, sizeof name) != ERROR_SUCCESS)
            break;
        RegistryTreeGuard::Key sub;
        sub.name = name;
        ReadKey(root, path + "\\" + name, &sub);
        out->subkeys.push_back(sub);
    }
    RegCloseKey(key);
    return true;
}

void WriteKey(HKEY root, const std::string &path, const RegistryTreeGuard::Key &k)
{
    HKEY key;
    if (RegCreateKeyA(root, path.c_str(), &key) != ERROR_SUCCESS)
        return;
    for (const auto &v : k.values)
        RegSetValueExA(key, v.name.c_str(), 0, v.type, v.data.data(), (DWORD)v.data.size());
    RegCloseKey(key);
    for (const auto &sub : k.subkeys)
        WriteKey(root, path + "\\" + sub.name, sub);
}

std::string ExeName(DWORD pid)
{
    std::string name;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return name;
    PROCESSENTRY32 pe;
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
        if (pe.th32ProcessID == pid) {
            name = pe.szExeFile;
            break;
        }
    CloseHandle(snap);
    return name;
}

BOOL CALLBACK CollectFolderWindow(HWND hwnd, LPARAM lp)
{
    char cls[64];
    if (GetClassNameA(hwnd, cls, sizeof cls) && strcmp(cls, "ExplorerWClass") == 0) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (lstrcmpiA(ExeName(pid).c_str(), "explorer.exe") == 0)
            reinterpret_cast<std::vector<HWND> *>(lp)->push_back(hwnd);
    }
    return TRUE;
}

}  // namespace

ProgmanRecorder::ProgmanRecorder(const char *mode, const std::string &groups)
{
    SetGroups(groups);
    // Wine's server must be up first: the server that registered last is the one that a
    // connection reaches first.
    if (!WaitForProgmanServer(15000)) {
        why_ = "Wine's Program Manager server did not answer";
        return;
    }
    std::string cmd = "\"" + HostToWinPath(PROGMAN_RECORDER_PATH) + "\" \"" + dir_.file("commands.log") + "\" " +
                      mode + " \"" + dir_.file("groups.txt") + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &process_)) {
        why_ = "cannot start " + cmd;
        return;
    }
    for (DWORD start = GetTickCount(); GetTickCount() - start < 15000;) {
        if (TalkToProgman("TwRecorder", NULL).reply == "ready") {
            ready_ = true;
            return;
        }
        if (WaitForSingleObject(process_.hProcess, 100) == WAIT_OBJECT_0) {
            why_ = "the recorder ended early";
            return;
        }
    }
    why_ = "connections to PROGMAN did not reach the recorder";
}

ProgmanRecorder::~ProgmanRecorder()
{
    Stop();
}

void ProgmanRecorder::Stop()
{
    if (!process_.hProcess)
        return;
    PostThreadMessageA(process_.dwThreadId, WM_QUIT, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = PROCESS_INFORMATION{};
}

void ProgmanRecorder::SetGroups(const std::string &groups)
{
    WriteWholeFile(dir_.file("groups.txt"), groups);
}

std::vector<std::string> ProgmanRecorder::Commands() const
{
    std::string log;
    std::vector<std::string> out;
    if (!ReadWholeFile(dir_.file("commands.log"), &log))
        return out;
    size_t start = 0, nl;
    while ((nl = log.find('\n', start)) != std::string::npos) {
        std::string entry = log.substr(start, nl - start);
        if (!entry.empty() && entry.back() == '\0')
            entry.pop_back();
        else
            entry = "<no zero>" + entry;
        out.push_back(entry);
        start = nl + 1;
    }
    return out;
}

std::vector<int> ProgmanRecorder::Conversations() const
{
    std::string log;
    std::vector<int> out;
    if (ReadWholeFile(dir_.file("commands.log.conv"), &log))
        for (size_t start = 0, nl; (nl = log.find('\n', start)) != std::string::npos; start = nl + 1)
            out.push_back(atoi(log.c_str() + start));
    return out;
}

void ProgmanRecorder::Clear()
{
    DeleteFileA(dir_.file("commands.log").c_str());
    DeleteFileA(dir_.file("commands.log.conv").c_str());
}

bool WaitForProgmanServer(DWORD timeoutMs)
{
    GetDesktopWindow();
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100))
        if (TalkToProgman(NULL, NULL).connected)
            return true;
    return false;
}

int SendProgmanCommand(const char *command)
{
    return TalkToProgman(NULL, command).executed;
}

int CloseFolderWindows(DWORD waitMs)
{
    int closed = 0;
    DWORD quietSince = GetTickCount();
    for (DWORD start = GetTickCount(); GetTickCount() - start < waitMs + 5000;) {
        std::vector<HWND> windows;
        EnumWindows(CollectFolderWindow, (LPARAM)&windows);
        for (HWND hwnd : windows) {
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            closed++;
        }
        if (!windows.empty())
            quietSince = GetTickCount();
        else if (GetTickCount() - quietSince >= waitMs)
            break;
        Sleep(100);
    }
    return closed;
}

std::string ProgramsDir()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_PROGRAMS, NULL, 0, path);
    return path;
}

LinkInfo ReadLink(const std::string &lnkPath)
{
    LinkInfo info;
    HRESULT init = CoInitialize(NULL);
    IShellLinkA *link = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link))) {
        IPersistFile *file = NULL;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, lnkPath.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char buf[MAX_PATH] = "";
                WIN32_FIND_DATAA fd;
                link->GetPath(buf, sizeof buf, &fd, 0);
                info.path = buf;
                buf[0] = '\0';
                link->GetWorkingDirectory(buf, sizeof buf);
                info.workingDir = buf;
                info.loaded = true;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return info;
}

ProfileSectionGuard::ProfileSectionGuard(const char *section) : section_(section), saved_(65536)
{
    DWORD n = GetProfileSectionA(section, saved_.data(), (DWORD)saved_.size());
    had_ = n > 0;
    saved_.resize(n + 2);
    WriteProfileStringA(section, NULL, NULL);
}

ProfileSectionGuard::~ProfileSectionGuard()
{
    WriteProfileStringA(section_.c_str(), NULL, NULL);
    if (had_)
        WriteProfileSectionA(section_.c_str(), saved_.data());
}

RegistryTreeGuard::RegistryTreeGuard(HKEY root, const char *path) : root_(root), path_(path)
{
    had_ = ReadKey(root, path, &saved_);
    DeleteKeyTree(root, path);
}

RegistryTreeGuard::~RegistryTreeGuard()
{
    DeleteKeyTree(root_, path_);
    if (had_)
        WriteKey(root_, path_, saved_);
}

void DeleteKeyTree(HKEY root, const std::string &path)
{
    SHDeleteKeyA(root, path.c_str());
}

std::vector<std::string> LogLines(const std::string &dir)
{
    std::string log;
    std::vector<std::string> lines;
    ReadWholeFile(dir + "\\setup.log", &log);
    size_t start = 0, end;
    while ((end = log.find("\r\n", start)) != std::string::npos) {
        lines.push_back(log.substr(start, end - start));
        start = end + 2;
    }
    if (start < log.size())
        lines.push_back(log.substr(start) + "<no line end>");
    return lines;
}
