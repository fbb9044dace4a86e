// Test helper that answers a process's dialogs and message boxes as a user would, from a script.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace uidriver {

// ---- Reading windows (usable against any process) ----

struct ControlInfo {
    unsigned id = 0;                 // dialog control id (16 bits)
    std::string cls;                 // window class, e.g. "Button", "Edit", "Static"
    std::string text;                // WM_GETTEXT
    DWORD style = 0;
    bool enabled = false;
    bool visible = false;
    int checked = -1;                // BM_GETCHECK of a check box or radio button, else -1
    std::vector<std::string> items;  // entries of a combo or list box
};

struct WindowInfo {
    HWND hwnd = nullptr;
    std::string caption;
    std::string cls;
    std::string text;                // message-box text: the first text static with id 0xFFFF
    std::vector<ControlInfo> controls;
    bool complete = true;            // false when the window's thread left a message unanswered

    const ControlInfo *Control(unsigned id) const;  // null when there is none
    // True when needle occurs in the message text or in any control's text.
    bool Contains(const std::string &needle) const;
    std::string Describe(const char *indent) const;
};

// Visible top-level dialogs (class "#32770") of process pid, topmost (newest) first.
std::vector<HWND> FindDialogs(DWORD pid);
// Everything a user could see of the window: caption, message text, every direct child control.
WindowInfo ReadWindow(HWND hwnd);
// Makes a dialog of another thread go away: Cancel, then the close box, then No, then OK.
// Returns false when it is still there; how says what worked.
bool Dismiss(HWND hwnd, std::string *how = nullptr);

// ---- Scripts ----

enum class ActionKind { Type, Press, Command, Select, DoubleClick, Check, Key, Close, WaitGone, Snapshot };

struct Action {
    ActionKind kind;
    unsigned id = 0;      // control id, command id or virtual key
    std::string text;     // text to type or entry to select
    bool on = true;       // Check: wanted state
};

struct Step {
    std::string caption;   // exact; empty matches any caption
    std::string contains;  // substring of the window's texts; empty matches any
    bool again = false;    // answer a window an earlier step already handled
    DWORD timeoutMs = 10000;
    std::vector<Action> actions;
};

// Fluent builder: each Expect starts a step, the calls after it are that step's actions.
class UiScript {
public:
    UiScript &Expect(const std::string &caption, const std::string &contains = "");
    // Back to a window handled before (a dialog whose nested box has closed): waits until it is
    // enabled again and nothing new is open.
    UiScript &ExpectAgain(const std::string &caption, const std::string &contains = "");
    UiScript &Timeout(DWORD ms);                            // for the current step
    UiScript &Type(unsigned id, const std::string &text);  // WM_SETTEXT
    UiScript &Press(unsigned id);                           // BM_CLICK on an enabled button
    UiScript &Command(unsigned id);                         // WM_COMMAND id posted to the window
    UiScript &Select(unsigned id, const std::string &entry);       // combo or list box entry
    UiScript &DoubleClick(unsigned id, const std::string &entry);  // list box entry, then LBN_DBLCLK
    UiScript &Check(unsigned id, bool on = true);                   // check box or radio button
    UiScript &Key(unsigned vk);                             // key press on the focused control
    UiScript &Escape() { return Key(VK_ESCAPE); }
    UiScript &Close();                                      // the caption's close box
    UiScript &WaitGone();                                   // until the window goes away by itself
    UiScript &Snapshot();                                   // read the window again
    // Windows with this caption may come and go at any time (a progress dialog that may be too
    // quick to see): noted, left alone, and no failure unless still open at the end.
    UiScript &Allow(const std::string &caption);

    const std::vector<Step> &Steps() const { return steps_; }
    const std::vector<std::string> &Allowed() const { return allowed_; }

private:
    UiScript &Add(Action a);
    std::vector<Step> steps_;
    std::vector<std::string> allowed_;
};

// ---- The driver ----

struct SeenWindow {
    WindowInfo info;                 // as first read
    int step = -1;                   // script step it answered (0-based); -1 when unexpected
    std::vector<std::string> log;    // what was done to it
    std::vector<WindowInfo> snapshots;
};

// Runs a script on a background thread against the dialogs of process pid. Started by the
// constructor, so create it just before the call under test; Stop (or the destructor) joins it.
// When the script fails or is finished, every further window is recorded and dismissed, so the
// code under test cannot hang.
class UiDriver {
public:
    explicit UiDriver(const UiScript &script, DWORD pid = GetCurrentProcessId());
    ~UiDriver();
    UiDriver(const UiDriver &) = delete;
    UiDriver &operator=(const UiDriver &) = delete;

    // Ends the script, dismisses what is still open of the process and joins the thread.
    void Stop();

    // The accessors stop the driver first, so the record is complete and stable.
    bool Done();  // every step answered, no failure
    std::vector<std::string> Failures();
    std::vector<SeenWindow> Windows();
    SeenWindow StepWindow(int step);  // first window that answered the step (empty info if none)
    std::string Transcript();

private:
    // A handled window carries a property with its generation, so a new window that gets a
    // recycled handle is not taken for the old one.
    struct Mark { UINT_PTR gen; bool propSet; };

    void Run();
    bool RunStep(size_t index);
    bool Answer(size_t index, HWND hwnd, const WindowInfo &info);
    bool DoAction(size_t seen, HWND hwnd, const Action &a, DWORD timeoutMs, std::string &error);
    HWND FindHandled(const Step &step, WindowInfo &info);
    std::vector<HWND> FreshDialogs();
    bool Allowed(HWND hwnd, const WindowInfo &info);
    bool IsHandled(HWND hwnd);
    void MarkHandled(HWND hwnd);
    void Unexpected(HWND hwnd, const WindowInfo &info, const std::string &why);
    void DismissOpen();
    bool Stopping() const { return stop_.load(); }
    void Fail(const std::string &what);
    void Note(const std::string &line);
    void Log(size_t seen, const std::string &line);
    size_t Record(const SeenWindow &seen, const std::string &heading);

    std::vector<Step> steps_;
    std::vector<std::string> allowed_;
    DWORD pid_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    bool stopped_ = false;
    std::thread thread_;

    std::mutex mu_;  // guards what follows, written by the thread and read by the test
    std::map<HWND, Mark> handled_;
    std::vector<HWND> allowedSeen_;  // allowed windows already noted in the transcript
    std::vector<SeenWindow> windows_;
    std::vector<std::string> failures_;
    std::vector<std::string> lines_;
    size_t stepsDone_ = 0;
};

}  // namespace uidriver

// Assertions that report at the caller's line, with the whole transcript.
#define EXPECT_UI_DONE(driver) EXPECT_TRUE((driver).Done()) << (driver).Transcript()
#define ASSERT_UI_DONE(driver) ASSERT_TRUE((driver).Done()) << (driver).Transcript()
// The script is expected to have failed, and some failure mentions the given text.
#define EXPECT_UI_FAILED_WITH(driver, text) \
    EXPECT_TRUE(::uidriver::detail::AnyContains((driver).Failures(), (text))) << (driver).Transcript()

namespace uidriver::detail {
bool AnyContains(const std::vector<std::string> &lines, const std::string &needle);
}
