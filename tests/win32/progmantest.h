// Test helpers for Program Manager and the installation record: the recording server, Wine's
// folder windows, links, and guards that restore WIN.INI sections and registry trees.
#ifndef TW_PROGMANTEST_H
#define TW_PROGMANTEST_H

#include <windows.h>

#include <string>
#include <vector>

#include "testutil.h"

// Starts the recording DDE server (tests/win32/progman_recorder.cpp) and stops it, by its
// process handle, when it goes out of scope. Mode is "accept", "refuse", "silent" or "drop"
// (accepts each execute, then ends its conversation).
class ProgmanRecorder {
public:
    explicit ProgmanRecorder(const char *mode = "accept", const std::string &groups = "");
    ~ProgmanRecorder();
    ProgmanRecorder(const ProgmanRecorder &) = delete;
    ProgmanRecorder &operator=(const ProgmanRecorder &) = delete;

    // True once conversations on PROGMAN reach this server rather than Wine's.
    bool ready() const { return ready_; }
    std::string why() const { return why_; }
    // The Groups reply from now on.
    void SetGroups(const std::string &groups);
    // Every execute so far, in order. One sent without its terminating zero is marked
    // "<no zero>" in front.
    std::vector<std::string> Commands() const;
    // For each of those, the conversation it came on, numbered in the order the server took them.
    std::vector<int> Conversations() const;
    void Clear();
    void Stop();

private:
    ScratchDir dir_{"recorder"};
    PROCESS_INFORMATION process_{};
    bool ready_ = false;
    std::string why_;
};

// Waits until Wine's own Program Manager server answers (it starts with the desktop).
bool WaitForProgmanServer(DWORD timeoutMs);
// Sends one execute to whatever server answers PROGMAN: 1 accepted, 0 refused or none.
int SendProgmanCommand(const char *command);

// Closes the folder windows that Wine's server opens for CreateGroup and ShowGroup (class
// ExplorerWClass of an explorer.exe process), waiting up to waitMs for late ones. Returns how
// many it closed.
int CloseFolderWindows(DWORD waitMs = 3000);

// The user's Start Menu Programs folder.
std::string ProgramsDir();

struct LinkInfo {
    bool loaded = false;
    std::string path;
    std::string workingDir;
};
LinkInfo ReadLink(const std::string &lnkPath);

// Saves a WIN.INI section, removes it, and puts the saved keys back at the end of the scope.
class ProfileSectionGuard {
public:
    explicit ProfileSectionGuard(const char *section);
    ~ProfileSectionGuard();

private:
    std::string section_;
    std::vector<char> saved_;
    bool had_ = false;
};

// Saves a registry tree with its values, deletes it, and restores it at the end of the scope.
class RegistryTreeGuard {
public:
    RegistryTreeGuard(HKEY root, const char *path);
    ~RegistryTreeGuard();

    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    struct Key {
        std::string name;
        std::vector<Value> values;
        std::vector<Key> subkeys;
    };

private:
    HKEY root_;
    std::string path_;
    bool had_ = false;
    Key saved_;
};

void DeleteKeyTree(HKEY root, const std::string &path);

// setup.log of dir split into lines (CR LF), the last empty line dropped.
std::vector<std::string> LogLines(const std::string &dir);

#endif
