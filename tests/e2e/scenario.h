// Running setup.exe (or an installed program) as a user would, and checking what it left.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "player.h"
#include "probe.h"

namespace e2e {

extern const char kDefaultDir[];      // C:\Program Files\Tarnwell
extern const char kProduct[];         // Tarnwell
extern const char kSettingsKey[];     // under HKLM
extern const char kUninstallKey[];    // under HKLM
extern const char kProductKey[];      // Software\Ardenfel\Tarnwell under HKLM and HKCU

struct PayloadFile {
    const char *name;
    const char *resource;
    const char *iconTitle;  // null for a file without a Program Manager item
};
extern const PayloadFile kPayload[6];

// A control of a window as it was read; an empty one (disabled, no text) when there is none.
const uidriver::ControlInfo &ControlOf(const uidriver::WindowInfo &w, unsigned id);

std::string SetupExe();                           // the built setup.exe, as a Windows path
std::string OriginalFile(const std::string &name);  // the file as it must be installed
std::string PackedFile(const std::string &name);    // the same file in SZDD form
// The setup built from the product with other file contents, and those files; "" when the
// build made none.
std::string AlteredSetupExe();
std::string AlteredFile(const std::string &name);

struct RunOptions {
    std::string exe;                  // empty: setup.exe
    std::string args;
    std::string commandLine;          // when set, started as it is (exe and args unused)
    std::string cwd;                  // current directory; empty: a scratch directory
    std::vector<std::string> env;     // NAME=value entries (UTF-8) replacing the test's own
    DWORD timeoutMs = 120000;
    bool dismissAnything = false;     // answer every window with Cancel/OK instead of a script
    // Polled every few milliseconds while the program runs: once it holds, the program is
    // ended by TerminateProcess, as a deployment tool or a power cut ends it.
    std::function<bool()> killWhen;
    // Polled as often while the program runs: what another program does meanwhile.
    std::function<void()> meanwhile;
};

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    bool timedOut = false;
    std::vector<DWORD> copies;        // exit codes of the uninstaller copies it started
    bool uiDone = false;
    std::string transcript;
    std::vector<Seen> windows;
    std::string log;                  // setup.log of the run's current directory, "" if none
    bool logExists = false;
    bool killed = false;              // ended by killWhen
    DWORD elapsedMs = 0;              // from start to end of the program
};

#define EXIT_KILLED 0xDEAD

// Starts the program in a scratch current directory, plays the script against its windows,
// waits for it and for the uninstaller copies it starts, then closes the folder windows that
// Wine's Program Manager opened.
RunResult Play(const RunOptions &opts, const Script &script = Script());
RunResult PlaySetup(const std::string &args, const Script &script = Script());

// An installation of the product as install leaves it: files byte for byte, the WIN.INI
// section, the settings key, the uninstall entry, the Start Menu links in the group's folder
// under programs (empty: the user's Programs folder), the temporary directory.
// name in dir, a drive root ("T:\\") included.
std::string InDir(const std::string &dir, const std::string &name);
void ExpectInstalled(const std::string &dir, const std::string &group, const std::string &programs = "");
void ExpectFilesInstalled(const std::string &dir, const std::vector<std::string> &present, bool altered = false);
void ExpectNoRecord();
// Nothing of an installation left in dir, the record, the registry; the group folder gone
// (or, for a group that was there before, only its product items gone).
void ExpectRemoved(const std::string &dir, const std::string &group, bool groupStays,
                   const std::string &programs = "");
void ExpectTempClean();
std::vector<std::string> LinksOf(const std::string &group, const std::string &programs = "");

// Takes away whatever a run may have left in dir and the settings key, as a safety net.
void CleanUpFailedInstall(const std::string &dir);
bool LogHas(const RunResult &r, const std::string &text);
// Windows' restart as far as files go: the replacements and deletions waiting for it are done.
void RestartWindows();
// The host's path of a Windows path, for a command run on the host ("" when Wine gives none).
std::string UnixPath(const std::string &winPath);
// Runs a shell command line on the host (outside Wine), as another account of the machine
// acts while the setup is not looking; true when it ran and exited with 0.
bool RunOnHost(const std::string &command);

// An installed program started as the Start Menu starts it, ended (its window closed) when
// the scope ends or End is called.
class RunningProgram {
public:
    explicit RunningProgram(const std::string &exe);
    ~RunningProgram() { End(); }
    bool Started() const { return window_ != NULL; }
    void End();

private:
    PROCESS_INFORMATION pi_ = {};
    HWND window_ = NULL;
    std::string exe_;
};
std::string Lines(const std::vector<std::string> &lines);

// Sets a value for the scope; restores (or deletes) it after.
class ScopedRegValue {
public:
    ScopedRegValue(HKEY root, const std::string &key, const char *name, const std::string &value);
    ~ScopedRegValue();

private:
    HKEY root_;
    std::string key_, name_;
    bool had_ = false, keyExisted_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> old_;
};

// Replaces the product's WIN.INI section for the scope.
class ScopedProfileDir {
public:
    explicit ScopedProfileDir(const std::string &dir);
    ~ScopedProfileDir();
};

}  // namespace e2e

#define EXPECT_INSTALLED(dir, group, ...) do { SCOPED_TRACE("installation in " + std::string(dir)); \
    ::e2e::ExpectInstalled(dir, group, ##__VA_ARGS__); } while (0)
#define EXPECT_REMOVED(dir, group, stays, ...) do { SCOPED_TRACE("removal of " + std::string(dir)); \
    ::e2e::ExpectRemoved(dir, group, stays, ##__VA_ARGS__); } while (0)
#define EXPECT_TEMP_CLEAN() do { SCOPED_TRACE("temporary directory"); ::e2e::ExpectTempClean(); } while (0)
#define EXPECT_NO_RECORD() do { SCOPED_TRACE("record"); ::e2e::ExpectNoRecord(); } while (0)
// The run ended by itself with the exit code, and the script was played through.
#define EXPECT_RUN(result, code) do { const ::e2e::RunResult &r_ = (result); \
    EXPECT_FALSE(r_.timedOut) << "the program did not end by itself\n" << r_.transcript; \
    EXPECT_EQ((DWORD)(code), r_.exitCode) << r_.transcript << "setup.log:\n" << r_.log; \
    EXPECT_TRUE(r_.uiDone) << r_.transcript; } while (0)
