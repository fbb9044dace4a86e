// installbench: times two silent installers of the product side by side in one Wine prefix.
//   installbench reset                     removes what either installer left
//   installbench check                     0 when the six files and four items are in place
//   installbench replay                    times the setup's conversations on their own
//   installbench time A.exe "ARGS" B.exe "ARGS" ROUNDS
// "time" warms each installer up once, then runs them alternately ROUNDS times, each from a
// clean state, and prints every time and the medians in milliseconds. After each run of A (the
// setup) it replays the setup's Program Manager conversations with the setup's own DDE client
// and times them too: the DDE share of A's time.
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "progman/dde.h"
#include "shell/manifest.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char *const kFiles[] = {"tarnwell.exe", "tarnwell.hlp", "tarnwell.cnt",
                              "tarnwell.txt", "removetw.exe", "mib.txt"};
const char *const kItems[] = {"Tarnwell.lnk", "Tarnwell Help File.lnk", "Tarnwell Release Notes.lnk",
                              "Uninstall Tarnwell.lnk"};

std::string Folder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

std::string ProgramDir() { return Folder(CSIDL_PROGRAM_FILES) + "\\Tarnwell"; }

void EmptyAndRemove(const std::string &dir)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                EmptyAndRemove(dir + "\\" + name);
            } else {
                SetFileAttributesA((dir + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA((dir + "\\" + name).c_str());
            }
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

void Reset()
{
    EmptyAndRemove(ProgramDir());
    EmptyAndRemove(Folder(CSIDL_PROGRAMS) + "\\Tarnwell");
    EmptyAndRemove(Folder(CSIDL_COMMON_PROGRAMS) + "\\Tarnwell");
    WriteProfileStringA("Tarnwell", nullptr, nullptr);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwell");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Ardenfel\\Tarnwell\\Settings");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Ardenfel\\Tarnwell");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Ardenfel");
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The files, and the items in the user's or the common Start Menu.
bool Installed()
{
    for (const char *f : kFiles)
        if (!Exists(ProgramDir() + "\\" + f))
            return false;
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        bool all = true;
        for (const char *item : kItems)
            all = all && Exists(Folder(csidl) + "\\Tarnwell\\" + item);
        if (all)
            return true;
    }
    return false;
}

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == DWORD(pid))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Program Manager's server opens a folder window for each group it creates, in a process of
// its own that outlives the installer. Each is closed, and waited for, before the next run, so
// that no run pays for the one before it.
void Settle()
{
    DWORD desktop = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktop);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, "explorer.exe") != 0 || entry.th32ProcessID == desktop)
            continue;
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        WaitForInputIdle(process, 5000);
        for (int i = 0; i < 50 && WaitForSingleObject(process, 100) == WAIT_TIMEOUT; i++)
            EnumWindows(CloseWindowsOf, LPARAM(entry.th32ProcessID));
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}

// Runs one installer to its end; milliseconds, or a negative number when it failed.
double RunOnce(const std::string &exe, const std::string &args)
{
    Reset();
    std::string command = "\"" + exe + "\" " + args;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "installbench: cannot start %s (%lu)\n", exe.c_str(), GetLastError());
        return -1;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    Settle();
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    double ms = 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    if (code != 0 || !Installed()) {
        std::fprintf(stderr, "installbench: %s exited with %lu, installation %s\n", exe.c_str(), code,
                     Installed() ? "complete" : "incomplete");
        return -1;
    }
    return ms;
}

// The conversations of the setup's group creation, as the install holds them: the group, then
// each item with an icon, removed and added. The Start Menu group is removed first, so that the
// server does the work of a first install.
double ReplayConversations()
{
    EmptyAndRemove(Folder(CSIDL_PROGRAMS) + "\\Tarnwell");
    EmptyAndRemove(Folder(CSIDL_COMMON_PROGRAMS) + "\\Tarnwell");
    LoadInstallManifest(nullptr, nullptr, "");
    std::string dir = ProgramDir();
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!ProgmanCreateGroup(installManifest.groupName))
        return -1;
    for (int i = 0; i < installManifest.fileCount; i++) {
        const FileEntry *e = &installManifest.files[i];
        if (e->iconFlags)
            ProgmanReplaceItem(e->iconTitle, dir.c_str(), e->targetName, (dir + "\\" + e->targetName).c_str());
    }
    ProgmanClose();
    QueryPerformanceCounter(&end);
    Settle();
    return Installed() ? 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) : -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "reset") {
        Reset();
        return 0;
    }
    if (command == "check")
        return Installed() ? 0 : 1;
    if (command == "replay") {
        double ms = ReplayConversations();
        std::printf("%.1f\n", ms);
        return ms < 0;
    }
    if (command != "time" || argc != 7) {
        std::fputs("usage: installbench reset | check | replay | time A.exe ARGS B.exe ARGS ROUNDS\n", stderr);
        return 2;
    }
    std::string exeA = argv[2], argsA = argv[3], exeB = argv[4], argsB = argv[5];
    int rounds = std::atoi(argv[6]);
    if (RunOnce(exeA, argsA) < 0 || RunOnce(exeB, argsB) < 0)
        return 1;
    if (ReplayConversations() < 0) {
        std::fputs("installbench: the Program Manager conversations could not be replayed\n", stderr);
        return 1;
    }
    std::vector<double> a, b, d;
    for (int i = 0; i < rounds; i++) {
        // Alternate which goes first, so that neither always follows the other.
        double ta, tb, td;
        if (i % 2 == 0) {
            ta = RunOnce(exeA, argsA);
            td = ReplayConversations();
            tb = RunOnce(exeB, argsB);
        } else {
            tb = RunOnce(exeB, argsB);
            ta = RunOnce(exeA, argsA);
            td = ReplayConversations();
        }
        if (ta < 0 || tb < 0 || td < 0)
            return 1;
        a.push_back(ta);
        b.push_back(tb);
        d.push_back(td);
        std::printf("round %d: A %.1f ms (DDE %.1f ms), B %.1f ms\n", i + 1, ta, td, tb);
    }
    std::printf("median A %.1f DDE %.1f B %.1f\n", Median(a), Median(d), Median(b));
    Reset();
    return 0;
}
