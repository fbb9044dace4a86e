// installbench: times two silent installers of the product side by side in one Wine prefix.
//   installbench reset                     removes what either installer left
//   installbench check                     0 when the six files and four items are in place
//   installbench time A.exe "ARGS" B.exe "ARGS" ROUNDS
// "time" warms each installer up once, then runs them alternately ROUNDS times, each from a
// clean state, and prints every time and the medians in milliseconds. A (the setup) runs with
// Wine's DDE trace on (WINEDEBUG=+timestamp,+ddeml), which goes to this program's standard
// error; each round names A's main thread and the tick counts (the trace's time stamps) its
// run lay between, so that its trace lines time its DDE conversations.
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

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

// Which of the trace's lines are a run's: its main thread's, between two tick counts.
struct TracedRun {
    DWORD thread, firstTick, lastTick;
};

// Runs one installer to its end, with Wine's DDE trace when traced; milliseconds, or a negative
// number when it failed.
double RunOnce(const std::string &exe, const std::string &args, bool traced, TracedRun *run = nullptr)
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
    SetEnvironmentVariableA("WINEDEBUG", traced ? "+timestamp,+ddeml" : "-all");
    DWORD firstTick = GetTickCount();
    QueryPerformanceCounter(&start);
    BOOL started = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("WINEDEBUG", "-all");
    if (!started) {
        std::fprintf(stderr, "installbench: cannot start %s (%lu)\n", exe.c_str(), GetLastError());
        return -1;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    DWORD lastTick = GetTickCount();
    Settle();
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    if (run)
        *run = {pi.dwThreadId, firstTick, lastTick};
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
    if (command != "time" || argc != 7) {
        std::fputs("usage: installbench reset | check | time A.exe ARGS B.exe ARGS ROUNDS\n", stderr);
        return 2;
    }
    std::string exeA = argv[2], argsA = argv[3], exeB = argv[4], argsB = argv[5];
    int rounds = std::atoi(argv[6]);
    // The desktop starts now, with this program's settings, not traced with the first run of A.
    GetDesktopWindow();
    if (RunOnce(exeA, argsA, true) < 0 || RunOnce(exeB, argsB, false) < 0)
        return 1;
    std::vector<double> a, b;
    for (int i = 0; i < rounds; i++) {
        // Alternate which goes first, so that neither always follows the other.
        double ta, tb;
        TracedRun run = {};
        if (i % 2 == 0) {
            ta = RunOnce(exeA, argsA, true, &run);
            tb = RunOnce(exeB, argsB, false);
        } else {
            tb = RunOnce(exeB, argsB, false);
            ta = RunOnce(exeA, argsA, true, &run);
        }
        if (ta < 0 || tb < 0)
            return 1;
        a.push_back(ta);
        b.push_back(tb);
        std::printf("round %d: A %.1f ms (thread %04lx, ticks %lu %lu), B %.1f ms\n", i + 1, ta,
                    (unsigned long)run.thread, (unsigned long)run.firstTick, (unsigned long)run.lastTick, tb);
    }
    std::printf("median A %.1f B %.1f\n", Median(a), Median(b));
    Reset();
    return 0;
}
