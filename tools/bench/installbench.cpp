// installbench: times two silent installers of the product side by side in one Wine prefix.
//   installbench reset                     removes what either installer left
//   installbench check                     0 when the six files and four items are in place
//   installbench time A.exe "ARGS" B.exe "ARGS" ROUNDS
//   installbench scale ROUNDS NAME A.exe "ARGS" [NAME B.exe "ARGS" ...] -- PACKED...
// "time" warms each installer up once, then runs them alternately ROUNDS times, each from a
// clean state, and prints every time and the medians in milliseconds. A (the setup) runs with
// Wine's DDE trace on (WINEDEBUG=+timestamp,+ddeml), which goes to this program's standard
// error; each round names A's main thread and the tick counts (the trace's time stamps) its
// run lay between, so that its trace lines time its DDE conversations.
// "scale" runs every named installer untraced, and LZ32 alone expanding the PACKED files
// (LZCopy into the temporary directory, as the floor of any setup that expands through it),
// all in turn ROUNDS times, the first of each round another, after one warm-up each; it prints
// every round's times in milliseconds, "lz32" the floor's.
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

// LZ32's own expansion of the files, one after the other, timed; negative when one failed.
double ExpandAlone(const std::vector<std::string> &packed)
{
    typedef INT(WINAPI * InitFn)(INT);
    typedef LONG(WINAPI * CopyFn)(INT, INT);
    typedef void(WINAPI * CloseFn)(INT);
    static HMODULE lz = LoadLibraryExA("lz32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    InitFn init = lz ? (InitFn)(void (*)(void))GetProcAddress(lz, "LZInit") : nullptr;
    CopyFn copy = lz ? (CopyFn)(void (*)(void))GetProcAddress(lz, "LZCopy") : nullptr;
    CloseFn close = lz ? (CloseFn)(void (*)(void))GetProcAddress(lz, "LZClose") : nullptr;
    if (!init || !copy || !close)
        return -1;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    bool ok = true;
    for (size_t i = 0; i < packed.size(); i++) {
        std::string target = std::string(temp) + "twfloor" + std::to_string(i) + ".tmp";
        HANDLE in = CreateFileA(packed[i].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        HANDLE out = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        INT lzIn = in == INVALID_HANDLE_VALUE ? -1 : init(INT(INT_PTR(in)));
        ok = ok && lzIn >= 0 && out != INVALID_HANDLE_VALUE && copy(lzIn, INT(INT_PTR(out))) > 0;
        if (lzIn >= 0)
            close(lzIn);
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
    }
    QueryPerformanceCounter(&end);
    for (size_t i = 0; i < packed.size(); i++)
        DeleteFileA((std::string(temp) + "twfloor" + std::to_string(i) + ".tmp").c_str());
    if (!ok)
        std::fprintf(stderr, "installbench: LZ32 could not expand the files\n");
    return ok ? 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart) : -1;
}

// "scale": the installers and the floor in turn, each round starting with another.
int Scale(int argc, char **argv)
{
    int rounds = std::atoi(argv[2]);
    std::vector<std::string> names, exes, args, packed;
    int i = 3;
    for (; i + 2 < argc && std::string(argv[i]) != "--"; i += 3) {
        names.push_back(argv[i]);
        exes.push_back(argv[i + 1]);
        args.push_back(argv[i + 2]);
    }
    for (i++; i < argc; i++)
        packed.push_back(argv[i]);
    if (rounds < 1 || names.empty() || packed.empty()) {
        std::fputs("usage: installbench scale ROUNDS NAME A.exe ARGS ... -- PACKED...\n", stderr);
        return 2;
    }
    GetDesktopWindow();
    size_t n = names.size() + 1;  // the last is the floor
    auto runOne = [&](size_t k) { return k < names.size() ? RunOnce(exes[k], args[k], false) : ExpandAlone(packed); };
    for (size_t k = 0; k < n; k++)
        if (runOne(k) < 0)
            return 1;
    for (int r = 0; r < rounds; r++) {
        std::vector<double> t(n);
        for (size_t j = 0; j < n; j++) {
            size_t k = (r + j) % n;
            if ((t[k] = runOne(k)) < 0)
                return 1;
        }
        std::printf("round %d:", r + 1);
        for (size_t k = 0; k < n; k++)
            std::printf(" %s %.1f", k < names.size() ? names[k].c_str() : "lz32", t[k]);
        std::printf("\n");
        std::fflush(stdout);
    }
    Reset();
    return 0;
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
    if (command == "scale" && argc > 2)
        return Scale(argc, argv);
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
