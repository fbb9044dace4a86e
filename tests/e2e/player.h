// Plays a user against the dialogs of a process tree: answers the expected windows in order.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "uidriver.h"

namespace e2e {

// One thing a user does to a window.
struct Act {
    enum Kind { Type, Press, PressAny, Command, Select, Check, Close, Call } kind = Press;
    unsigned id = 0;
    std::vector<unsigned> ids;        // PressAny: the first of these buttons that exists
    std::string text;                 // Type, Select
    std::function<void()> call;       // Call: runs on the player's thread
};

struct Expectation {
    std::string caption;   // exact; empty matches any
    std::string contains;  // in the message text or any control text; empty matches any
    bool many = false;     // answers every such window until the next step's window shows
    DWORD timeoutMs = 15000;
    std::vector<Act> acts;
};

// Builder of the expected windows, each followed by what the user does to it.
class Script {
public:
    Script &Expect(const std::string &caption, const std::string &contains = "");
    Script &Many();                        // the current step may come more than once
    Script &Timeout(DWORD ms);
    Script &Type(unsigned id, const std::string &text);
    Script &Press(unsigned id);
    Script &PressAny(std::vector<unsigned> ids);
    Script &Command(unsigned id);          // WM_COMMAND posted, for a dialog without that button
    Script &Select(unsigned id, const std::string &entry);
    Script &Check(unsigned id);
    Script &Close();
    Script &Call(std::function<void()> f);
    std::vector<Expectation> steps;
};

struct Seen {
    int step = -1;  // the step it answered; -1 for a passing window or an unexpected one
    bool unexpected = false;
    uidriver::WindowInfo info;
};

// Watches the dialogs of process `root` and of the uninstaller copies it starts. Windows whose
// caption is in `passing` (the modeless progress dialog) may come and go unanswered; any other
// window that no step expects is a failure, recorded and dismissed so that nothing hangs.
class Player {
public:
    // tolerant: every window a step does not take is dismissed without counting as a failure.
    Player(DWORD root, const Script &script, std::vector<std::string> passing = {"Installation"},
           bool tolerant = false);
    ~Player();
    void Stop();
    bool Done();                          // every step answered, nothing unexpected
    std::vector<Seen> Windows();
    std::string Transcript();

private:
    void Run();
    std::vector<HWND> Dialogs();
    bool Matches(const Expectation &e, const uidriver::WindowInfo &info) const;
    bool Perform(HWND hwnd, const Act &a, std::string &error);
    void Note(const std::string &line);
    void Fail(const std::string &line);

    DWORD root_;
    std::vector<Expectation> steps_;
    std::vector<std::string> passing_;
    bool tolerant_;
    std::set<DWORD> pids_;
    DWORD childrenScanned_ = 0;  // tick count of the last look for the uninstaller's copies
    bool childrenKnown_ = false;
    std::thread thread_;
    volatile bool stop_ = false;
    bool stopped_ = false;

    std::mutex mu_;
    size_t next_ = 0;
    std::set<HWND> handled_, passed_;
    std::vector<Seen> seen_;
    std::vector<std::string> failures_, lines_;
};

// Processes started by pid (directly or through its own children) whose program name starts
// with prefix, case ignored; the dead are listed too while the system still knows them.
std::vector<DWORD> ChildProcesses(DWORD pid, const char *prefix);

}  // namespace e2e
