// Running programs for the end-to-end scenarios and the checks of what they leave behind.
#include "scenario.h"

#include <cstring>
#include <set>

#include "payload_paths.h"
#include "testutil.h"

namespace e2e {

const char kDefaultDir[] = "C:\\Program Files\\Tarnwell";
const char kProduct[] = "Tarnwell";
const char kSettingsKey[] = "Software\\Ardenfel\\Tarnwell\\Settings";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwell";
const char kProductKey[] = "Software\\Ardenfel\\Tarnwell";

const PayloadFile kPayload[6] = {
    {"tarnwell.exe", "EXEFILE", "Tarnwell"},
    {"tarnwell.hlp", "HLPFILE", "Tarnwell Help File"},
    {"tarnwell.cnt", "CNTFILE", nullptr},
    {"tarnwell.txt", "TXTFILE", "Tarnwell Release Notes"},
    {"removetw.exe", "REMFILE", "Uninstall Tarnwell"},
    {"mib.txt", "MIBFILE", nullptr},
};

const uidriver::ControlInfo &ControlOf(const uidriver::WindowInfo &w, unsigned id)
{
    static const uidriver::ControlInfo none;
    const uidriver::ControlInfo *c = w.Control(id);
    return c ? *c : none;
}

std::string SetupExe() { return HostToWinPath(SETUP_EXE_PATH); }
std::string OriginalFile(const std::string &name) { return HostToWinPath(TW_PAYLOAD_ORIGINAL_DIR) + "\\" + name; }
std::string PackedFile(const std::string &name) { return HostToWinPath(TW_PAYLOAD_PACKED_DIR) + "\\" + name; }
#ifdef ALTERED_SETUP_EXE_PATH
std::string AlteredSetupExe() { return HostToWinPath(ALTERED_SETUP_EXE_PATH); }
std::string AlteredFile(const std::string &name) { return HostToWinPath(ALTERED_FILES_DIR) + "\\" + name; }
#else
std::string AlteredSetupExe() { return ""; }
std::string AlteredFile(const std::string &) { return ""; }
#endif

namespace {

const DWORD kChildScanMs = 250;  // between process snapshots while a run goes on

// The test's environment with the given entries (UTF-8) replacing those of the same name, as a
// wide block: a value may hold characters that the ANSI code page lacks.
std::vector<WCHAR> EnvironmentWith(const std::vector<std::string> &overrides)
{
    std::vector<std::wstring> wide;
    for (const std::string &o : overrides) {
        std::wstring w(o.size() + 1, L'\0');
        w.resize(MultiByteToWideChar(CP_UTF8, 0, o.c_str(), -1, &w[0], (int)w.size()) - 1);
        wide.push_back(w);
    }
    std::vector<std::wstring> entries;
    WCHAR *block = GetEnvironmentStringsW();
    for (WCHAR *p = block; *p; p += wcslen(p) + 1) {
        std::wstring e = p;
        bool replaced = false;
        for (const std::wstring &o : wide) {
            size_t eq = o.find(L'=');
            replaced = replaced || (e.size() > eq && _wcsnicmp(e.c_str(), o.c_str(), eq + 1) == 0);
        }
        if (!replaced)
            entries.push_back(e);
    }
    FreeEnvironmentStringsW(block);
    for (const std::wstring &o : wide)
        entries.push_back(o);
    std::vector<WCHAR> out;
    for (const std::wstring &e : entries)
        out.insert(out.end(), e.c_str(), e.c_str() + e.size() + 1);
    out.push_back(L'\0');
    return out;
}

}  // namespace

RunResult Play(const RunOptions &opts, const Script &script)
{
    RunResult result;
    ScratchDir cwd("e2e-run");
    std::string cmd = opts.commandLine.empty()
                          ? "\"" + (opts.exe.empty() ? SetupExe() : opts.exe) + "\"" + (opts.args.empty() ? "" : " " + opts.args)
                          : opts.commandLine;
    std::vector<WCHAR> env = EnvironmentWith(opts.env);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string dir = opts.cwd.empty() ? cwd.path() : opts.cwd;
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT,
                        opts.env.empty() ? NULL : env.data(), dir.c_str(), &si, &pi)) {
        ADD_FAILURE() << "cannot start " << cmd << " (error " << GetLastError() << ")";
        return result;
    }
    Player player(pi.dwProcessId, script, {"Installation"}, opts.dismissAnything);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);

    // The uninstaller hands its work to a copy of itself: wait for those copies as well.
    std::vector<HANDLE> copies;
    std::set<DWORD> known;
    DWORD start = GetTickCount();
    DWORD collected = start;
    auto collect = [&]() {
        collected = GetTickCount();
        for (DWORD pid : ChildProcesses(pi.dwProcessId, "removetw"))
            if (known.insert(pid).second)
                if (HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid))
                    copies.push_back(h);
    };
    while (WaitForSingleObject(pi.hProcess, opts.killWhen || opts.meanwhile ? 2 : 50) == WAIT_TIMEOUT &&
           GetTickCount() - start < opts.timeoutMs) {
        if (opts.meanwhile)
            opts.meanwhile();
        if (opts.killWhen && opts.killWhen()) {
            result.killed = TerminateProcess(pi.hProcess, EXIT_KILLED) != 0;
            WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
        // Copies are found from their parent's id, which a snapshot keeps after the parent ended;
        // one look at the end finds those started since the last one.
        if (GetTickCount() - collected >= kChildScanMs)
            collect();
    }
    result.elapsedMs = GetTickCount() - start;
    collect();
    for (HANDLE h : copies) {
        DWORD left = opts.timeoutMs - (GetTickCount() - start);
        WaitForSingleObject(h, (LONG)left > 0 ? left : 0);
    }
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        result.timedOut = true;
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hProcess);
    for (HANDLE h : copies) {
        DWORD code = 0;
        if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) {
            result.timedOut = true;
            TerminateProcess(h, 99);
            WaitForSingleObject(h, 5000);
        }
        GetExitCodeProcess(h, &code);
        result.copies.push_back(code);
        CloseHandle(h);
    }
    result.uiDone = player.Done();
    result.transcript = player.Transcript();
    result.windows = player.Windows();
    result.logExists = ReadWholeFile(dir + "\\setup.log", &result.log);
    CloseFolderWindows();
    return result;
}

RunResult PlaySetup(const std::string &args, const Script &script)
{
    RunOptions opts;
    opts.args = args;
    return Play(opts, script);
}

static void ExpectSameFile(const std::string &installed, const std::string &original)
{
    std::string a, b;
    ASSERT_TRUE(ReadWholeFile(original, &b)) << "cannot read " << original;
    if (!ReadWholeFile(installed, &a)) {
        ADD_FAILURE() << installed << " is not there";
        return;
    }
    if (a == b)
        return;
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    ADD_FAILURE() << installed << " differs from " << original << ": " << a.size() << " bytes against "
                  << b.size() << ", first difference at offset " << i;
}

void ExpectFilesInstalled(const std::string &dir, const std::vector<std::string> &present, bool altered)
{
    for (const PayloadFile &f : kPayload) {
        std::string path = InDir(dir, f.name);
        bool wanted = false;
        for (const std::string &p : present)
            wanted = wanted || p == f.name;
        if (wanted)
            ExpectSameFile(path, altered ? AlteredFile(f.name) : OriginalFile(f.name));
        else
            EXPECT_FALSE(FileExists(path)) << path << " should not have been installed";
    }
}

static std::string Programs(const std::string &programs)
{
    return programs.empty() ? ProgramsFolder() : programs;
}

std::vector<std::string> LinksOf(const std::string &group, const std::string &programs)
{
    return ListFiles(Programs(programs) + "\\" + group, "*.lnk");
}

std::string InDir(const std::string &dir, const std::string &name)
{
    return dir + (!dir.empty() && dir.back() == '\\' ? "" : "\\") + name;
}

void ExpectInstalled(const std::string &dir, const std::string &group, const std::string &programs)
{
    std::vector<std::string> all;
    for (const PayloadFile &f : kPayload)
        all.push_back(f.name);
    ExpectFilesInstalled(dir, all);

    EXPECT_EQ(dir, ProfileValue("DIR"));
    EXPECT_EQ(dir, ProfileValue("DEFDIR"));
    EXPECT_EQ(group, ProfileValue("GROUP"));
    EXPECT_EQ("1", ProfileValue("INSTOPTS"));

    EXPECT_EQ("0", RegValue(HKEY_LOCAL_MACHINE, kSettingsKey, "Applets"));
    EXPECT_EQ("0", RegValue(HKEY_LOCAL_MACHINE, kSettingsKey, "RawSock"));
    EXPECT_EQ("Ardenfel Tarnwell Uninstall", RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
    EXPECT_EQ("\"" + InDir(dir, "removetw.exe") + "\" -f " + dir + " -d " + dir + " -g " + group,
              RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
    // Where the list of installed programs looks for the entry: a 32-bit program's in the
    // WOW64 view of a 64-bit Windows, an x86-64 program's in the native view.
    std::string wow = "SOFTWARE\\Wow6432Node" + std::string(kUninstallKey).substr(8);
    if (sizeof(void *) == 8) {
        EXPECT_EQ("Ardenfel Tarnwell Uninstall", RegValue64(kUninstallKey, "DisplayName")) << "HKLM\\" << kUninstallKey;
        EXPECT_EQ("<absent>", RegValue64(wow, "DisplayName")) << "the entry is in the WOW64 view";
    } else if (InWow64()) {
        EXPECT_EQ("Ardenfel Tarnwell Uninstall", RegValue64(wow, "DisplayName")) << "HKLM\\" << wow;
        EXPECT_EQ("<absent>", RegValue64(kUninstallKey, "DisplayName")) << "the entry is in the 64-bit view";
    }

    // One link per item, each replaced rather than added again by a later install.
    std::vector<std::string> expected;
    for (const PayloadFile &f : kPayload) {
        if (f.iconTitle)
            expected.push_back(std::string(f.iconTitle) + ".lnk");
    }
    std::vector<std::string> links = LinksOf(group, programs);
    for (const std::string &name : expected) {
        bool found = false;
        for (const std::string &l : links)
            found = found || _stricmp(l.c_str(), name.c_str()) == 0;
        EXPECT_TRUE(found) << "no link " << name << " in group " << group << "; links there:\n" << Lines(links);
    }
    for (const PayloadFile &f : kPayload) {
        if (!f.iconTitle)
            continue;
        Link link = ReadLink(Programs(programs) + "\\" + group + "\\" + f.iconTitle + ".lnk");
        if (!link.ok)
            continue;
        EXPECT_EQ(0, _stricmp(InDir(dir, f.name).c_str(), link.target.c_str())) << "link " << f.iconTitle << " -> " << link.target;
        EXPECT_EQ(0, _stricmp(dir.c_str(), link.workDir.c_str())) << "link " << f.iconTitle << " works in " << link.workDir;
    }
    ExpectTempClean();
}

void ExpectNoRecord()
{
    EXPECT_FALSE(ProfileSectionExists()) << "WIN.INI still has [Tarnwell], DIR=" << ProfileValue("DIR");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "the uninstall entry is still there";
}

void ExpectRemoved(const std::string &dir, const std::string &group, bool groupStays, const std::string &programs)
{
    EXPECT_FALSE(FileExists(dir)) << dir << " is still there, holding:\n" << Lines(ListFiles(dir));
    ExpectNoRecord();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProductKey)) << "HKLM\\" << kProductKey << " is still there";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey)) << "HKCU\\" << kProductKey << " is still there";
    std::string folder = Programs(programs) + "\\" + group;
    if (!groupStays) {
        EXPECT_FALSE(FileExists(folder)) << "group folder " << folder << " is still there";
    } else {
        EXPECT_TRUE(FileExists(folder)) << "group folder " << folder << " was taken away";
        for (const PayloadFile &f : kPayload) {
            if (!f.iconTitle)
                continue;
            EXPECT_FALSE(FileExists(folder + "\\" + f.iconTitle + ".lnk")) << "link " << f.iconTitle << " stays in " << group;
        }
    }
    ExpectTempClean();
}

void ExpectTempClean()
{
    std::string temp = TempDir();
    for (const PayloadFile &f : kPayload)
        EXPECT_FALSE(FileExists(temp + "\\" + f.name)) << f.name << " was left in " << temp;
    // The uninstaller's copy and its working directory go when it ends; give the system a
    // moment to close them.
    std::vector<std::string> copies, workDirs;
    for (int i = 0; i < 40; ++i) {
        copies = ListFiles(temp, "removetw*");
        workDirs = ListFiles(temp, "~tw*");
        if (copies.empty() && workDirs.empty())
            break;
        Sleep(50);
    }
    EXPECT_TRUE(copies.empty()) << "uninstaller copies left in " << temp << ":\n" << Lines(copies);
    EXPECT_TRUE(workDirs.empty()) << "working directories left in " << temp << ":\n" << Lines(workDirs);
}

std::string UnixPath(const std::string &winPath)
{
    typedef char *(CDECL * UnixName)(LPCWSTR);
    UnixName unixName = (UnixName)(void (*)(void))GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (!unixName || !MultiByteToWideChar(CP_ACP, 0, winPath.c_str(), -1, wide, MAX_PATH))
        return "";
    char *name = unixName(wide);
    std::string out = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return out;
}

bool RunOnHost(const std::string &command)
{
    // Wine starts a Unix program named by its Unix path, but hands back no handle that tells
    // when it ends: the command leaves its exit status in a file, which is waited for.
    char temp[MAX_PATH], marker[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    if (!GetTempFileNameA(temp, "twh", 0, marker) || !DeleteFileA(marker))
        return false;
    std::string done = UnixPath(marker);
    std::string line = "/bin/sh -c \"(" + command + "); echo $? > '" + done + ".part' && mv '" + done + ".part' '" + done + "'\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (done.empty() || !CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string status;
    for (int i = 0; i < 1200 && !ReadWholeFile(marker, &status); ++i)
        Sleep(50);
    DeleteFileA(marker);
    return status == "0\n";
}

void CleanUpFailedInstall(const std::string &dir)
{
    RemoveTree(dir);
    RegDeleteTreeA2(HKEY_LOCAL_MACHINE, kProductKey);
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Ardenfel", 0, KEY_READ, &k) == ERROR_SUCCESS) {
        char name[256];
        bool empty = RegEnumKeyA(k, 0, name, sizeof name) != ERROR_SUCCESS;
        RegCloseKey(k);
        if (empty)
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Ardenfel");
    }
}

bool LogHas(const RunResult &r, const std::string &text) { return r.log.find(text) != std::string::npos; }

void RestartWindows()
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    RunOptions opts;
    opts.commandLine = "\"" + std::string(system) + "\\wineboot.exe\" -r";
    EXPECT_RUN(Play(opts), 0);
}

RunningProgram::RunningProgram(const std::string &exe) : exe_(exe)
{
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi_)) {
        ADD_FAILURE() << "cannot start " << cmd;
        return;
    }
    for (int i = 0; i < 200 && !window_; ++i) {
        window_ = FindProcessWindow(pi_.dwProcessId, NULL, "Tarnwell");
        if (!window_)
            Sleep(50);
    }
    EXPECT_TRUE(window_ != NULL) << exe << " showed no window titled Tarnwell";
}

void RunningProgram::End()
{
    if (!pi_.hProcess)
        return;
    if (window_)
        PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << exe_ << " did not end when its window was closed";
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
    pi_ = {};
    window_ = NULL;
}

std::string Lines(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &l : lines)
        out += "  " + l + "\n";
    return out;
}

ScopedRegValue::ScopedRegValue(HKEY root, const std::string &key, const char *name, const std::string &value)
    : root_(root), key_(key), name_(name)
{
    HKEY k;
    keyExisted_ = RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
    if (keyExisted_) {
        DWORD size = 0;
        if (RegQueryValueExA(k, name, NULL, &type_, NULL, &size) == ERROR_SUCCESS) {
            old_.resize(size);
            had_ = RegQueryValueExA(k, name, NULL, &type_, old_.data(), &size) == ERROR_SUCCESS;
        }
        RegCloseKey(k);
    }
    if (RegCreateKeyA(root, key.c_str(), &k) == ERROR_SUCCESS) {
        RegSetValueExA(k, name, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)value.size() + 1);
        RegCloseKey(k);
    }
}

ScopedRegValue::~ScopedRegValue()
{
    HKEY k;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
        return;
    if (had_)
        RegSetValueExA(k, name_.c_str(), 0, type_, old_.data(), (DWORD)old_.size());
    else
        RegDeleteValueA(k, name_.c_str());
    RegCloseKey(k);
    if (!keyExisted_)
        RegDeleteKeyA(root_, key_.c_str());
}

ScopedProfileDir::ScopedProfileDir(const std::string &dir)
{
    WriteProfileStringA(kProduct, NULL, NULL);
    WriteProfileStringA(kProduct, "DIR", dir.c_str());
}

ScopedProfileDir::~ScopedProfileDir() { WriteProfileStringA(kProduct, NULL, NULL); }

}  // namespace e2e
