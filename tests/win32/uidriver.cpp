// Test helper that answers a process's dialogs and message boxes as a user would, from a script.
#include "uidriver.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace uidriver {
namespace {

const DWORD kPollMs = 25;          // between looks for windows
const DWORD kSettleMs = 50;        // lets a new window finish filling its controls
const DWORD kSnapshotMs = 150;     // lets posted actions land before a snapshot
const UINT kSendTimeoutMs = 1000;  // per message sent to the window's thread
const DWORD kDismissWaitMs = 500;  // per way of dismissing
const DWORD kClickWaitMs = 2000;   // for a click on a check box to show
const size_t kMaxText = 32768;     // longest text read from a control
const int kMaxItems = 2000;        // most entries read from a combo or list box
const int kMaxControls = 500;

std::atomic<UINT_PTR> nextGeneration{1};

LPCSTR MarkName()
{
    static ATOM atom = GlobalAddAtomA("UiDriver.handled");
    return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(atom));
}

std::string Format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char *fmt, ...)
{
    char buf[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

// Text in double quotes, with line breaks and tabs shown as escapes.
std::string Quote(const std::string &s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out + "\"";
}

std::string ClassOf(HWND hwnd)
{
    char buf[256];
    int n = GetClassNameA(hwnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

bool ClassIs(const std::string &cls, const char *name) { return lstrcmpiA(cls.c_str(), name) == 0; }

bool WindowGone(HWND hwnd) { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }

bool WaitGone(HWND hwnd, DWORD ms)
{
    DWORD start = GetTickCount();
    while (!WindowGone(hwnd)) {
        if (GetTickCount() - start >= ms) return false;
        Sleep(kPollMs);
    }
    return true;
}

// Sends to the window's thread with a timeout. After one message went unanswered the reader
// stops asking, so a window whose thread has stopped pumping costs one timeout, not one each.
struct Sender {
    bool gaveUp = false;

    bool Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT &result, bool wide = false)
    {
        if (gaveUp) return false;
        DWORD_PTR r = 0;
        LRESULT ok = wide ? SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &r)
                          : SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &r);
        if (!ok) {
            gaveUp = true;
            return false;
        }
        result = (LRESULT)r;
        return true;
    }
};

std::string ReadText(HWND hwnd, Sender &sender)
{
    LRESULT len = 0;
    if (!sender.Send(hwnd, WM_GETTEXTLENGTH, 0, 0, len) || len <= 0) return std::string();
    size_t size = (size_t)len + 1 < kMaxText ? (size_t)len + 1 : kMaxText;
    std::vector<char> buf(size, '\0');
    LRESULT got = 0;
    if (!sender.Send(hwnd, WM_GETTEXT, (WPARAM)size, (LPARAM)buf.data(), got) || got <= 0)
        return std::string();
    return std::string(buf.data(), (size_t)got < size ? (size_t)got : size - 1);
}

std::string ToAnsi(const wchar_t *w)
{
    int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::vector<char> buf((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, buf.data(), n, nullptr, nullptr);
    return std::string(buf.data());
}

bool IsCombo(const std::string &cls) { return ClassIs(cls, "ComboBox"); }
bool IsList(const std::string &cls) { return ClassIs(cls, "ListBox"); }

// Entries of a combo or list box. The W messages are used because Wine answers the A ones
// with UTF-16 text.
std::vector<std::string> ReadItems(HWND hwnd, bool combo, DWORD style, Sender &sender)
{
    std::vector<std::string> items;
    bool ownerDraw = combo ? (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0
                           : (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
    bool hasStrings = combo ? (style & CBS_HASSTRINGS) != 0 : (style & LBS_HASSTRINGS) != 0;
    if (ownerDraw && !hasStrings) return items;
    UINT getCount = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT getLen = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
    LRESULT count = 0;
    if (!sender.Send(hwnd, getCount, 0, 0, count, true) || count <= 0) return items;
    for (int i = 0; i < count && i < kMaxItems; ++i) {
        LRESULT len = 0;
        if (!sender.Send(hwnd, getLen, (WPARAM)i, 0, len, true)) break;
        if (len < 0 || (size_t)len >= kMaxText) {
            items.push_back(std::string());
            continue;
        }
        // The message has no buffer size: leave room in case the entry grew since it was measured.
        std::vector<wchar_t> buf((size_t)len + 1 + 1024, L'\0');
        LRESULT got = 0;
        if (!sender.Send(hwnd, getText, (WPARAM)i, (LPARAM)buf.data(), got, true)) break;
        buf.back() = L'\0';
        items.push_back(got > 0 ? ToAnsi(buf.data()) : std::string());
    }
    return items;
}

bool IsCheckable(const ControlInfo &c)
{
    DWORD type = c.style & BS_TYPEMASK;
    return ClassIs(c.cls, "Button") && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON &&
           type != BS_GROUPBOX && type != BS_OWNERDRAW && type != BS_USERBUTTON;
}

bool IsTextStatic(const ControlInfo &c)
{
    if (!ClassIs(c.cls, "Static")) return false;
    DWORD type = c.style & SS_TYPEMASK;
    return type != SS_ICON && type != SS_BITMAP && type != SS_ENHMETAFILE;
}

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM lp)
{
    auto *found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>> *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == found->first && IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32770")
        found->second.push_back(hwnd);
    return TRUE;
}

bool Matches(const Step &step, const WindowInfo &info)
{
    return (step.caption.empty() || info.caption == step.caption) &&
           (step.contains.empty() || info.Contains(step.contains));
}

std::string StepName(size_t index, const Step &step)
{
    return Format("step %u ", (unsigned)index + 1) + (step.caption.empty() ? "(any caption)" : Quote(step.caption));
}

std::string Describe(const Action &a)
{
    switch (a.kind) {
    case ActionKind::Type: return Format("type into 0x%X ", a.id) + Quote(a.text);
    case ActionKind::Press: return Format("press 0x%X", a.id);
    case ActionKind::Command: return Format("command %u", a.id);
    case ActionKind::Select: return Format("select in 0x%X ", a.id) + Quote(a.text);
    case ActionKind::DoubleClick: return Format("double-click in 0x%X ", a.id) + Quote(a.text);
    case ActionKind::Check: return Format("%s 0x%X", a.on ? "check" : "clear", a.id);
    case ActionKind::Key: return Format("key 0x%02X", a.id);
    case ActionKind::Close: return "close box";
    case ActionKind::WaitGone: return "wait until it goes away";
    case ActionKind::Snapshot: return "snapshot";
    }
    return "?";
}

// A control the user can operate: present, visible and enabled.
HWND UsableControl(HWND dlg, unsigned id, std::string &error)
{
    HWND ctrl = GetDlgItem(dlg, (int)id);
    if (!ctrl) error = Format("there is no control 0x%X", id);
    else if (!IsWindowVisible(ctrl)) error = Format("control 0x%X is hidden", id);
    else if (!IsWindowEnabled(ctrl)) error = Format("control 0x%X is disabled", id);
    else return ctrl;
    return nullptr;
}

void PostKey(HWND dlg, unsigned vk)
{
    HWND target = dlg;
    GUITHREADINFO gti;
    memset(&gti, 0, sizeof gti);
    gti.cbSize = sizeof gti;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &gti) && gti.hwndFocus &&
        (gti.hwndFocus == dlg || IsChild(dlg, gti.hwndFocus)))
        target = gti.hwndFocus;
    LPARAM scan = (LPARAM)(MapVirtualKeyA(vk, 0) & 0xFF) << 16;
    PostMessageA(target, WM_KEYDOWN, vk, 1 | scan);
    PostMessageA(target, WM_KEYUP, vk, 1 | scan | (LPARAM)0xC0000000);
}

}  // namespace

// ---- Reading windows ----

const ControlInfo *WindowInfo::Control(unsigned id) const
{
    for (const ControlInfo &c : controls)
        if (c.id == (id & 0xFFFF)) return &c;
    return nullptr;
}

bool WindowInfo::Contains(const std::string &needle) const
{
    if (text.find(needle) != std::string::npos) return true;
    for (const ControlInfo &c : controls)
        if (c.text.find(needle) != std::string::npos) return true;
    return false;
}

std::string WindowInfo::Describe(const char *indent) const
{
    std::string out = Format("window %p ", (void *)hwnd) + Quote(caption) + " (" + cls + ")" +
                      (complete ? "\n" : " (not all read: its thread did not answer)\n");
    if (!text.empty()) out += std::string(indent) + "text: " + Quote(text) + "\n";
    for (const ControlInfo &c : controls) {
        out += std::string(indent) + Format("0x%04X %s ", c.id, c.cls.c_str()) + Quote(c.text) +
               Format(" style 0x%08lX", (unsigned long)c.style);
        if (!c.enabled) out += " disabled";
        if (!c.visible) out += " hidden";
        if (c.checked > 0) out += c.checked == BST_CHECKED ? " checked" : " indeterminate";
        if (!c.items.empty()) {
            out += " items:";
            for (const std::string &item : c.items) out += " " + Quote(item);
        }
        out += "\n";
    }
    return out;
}

std::vector<HWND> FindDialogs(DWORD pid)
{
    std::pair<DWORD, std::vector<HWND>> found(pid, {});
    EnumWindows(CollectDialog, (LPARAM)&found);
    return found.second;
}

WindowInfo ReadWindow(HWND hwnd)
{
    WindowInfo info;
    Sender sender;
    info.hwnd = hwnd;
    info.cls = ClassOf(hwnd);
    info.caption = ReadText(hwnd, sender);
    bool haveText = false;
    int n = 0;
    for (HWND c = GetWindow(hwnd, GW_CHILD); c && n < kMaxControls; c = GetWindow(c, GW_HWNDNEXT), ++n) {
        ControlInfo ci;
        ci.id = (unsigned)GetDlgCtrlID(c) & 0xFFFF;
        ci.cls = ClassOf(c);
        ci.style = (DWORD)GetWindowLongA(c, GWL_STYLE);
        ci.enabled = IsWindowEnabled(c) != FALSE;
        ci.visible = IsWindowVisible(c) != FALSE;
        ci.text = ReadText(c, sender);
        if (IsCombo(ci.cls) || IsList(ci.cls)) ci.items = ReadItems(c, IsCombo(ci.cls), ci.style, sender);
        LRESULT check = 0;
        if (IsCheckable(ci) && sender.Send(c, BM_GETCHECK, 0, 0, check)) ci.checked = (int)check;
        if (!haveText && ci.id == 0xFFFF && IsTextStatic(ci)) {
            info.text = ci.text;
            haveText = true;
        }
        info.controls.push_back(ci);
    }
    info.complete = !sender.gaveUp;
    return info;
}

bool Dismiss(HWND hwnd, std::string *how)
{
    struct Way { const char *name; UINT msg; WPARAM wp; unsigned button; };
    const Way ways[] = {
        {"Cancel", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), IDCANCEL},
        {"close box", WM_SYSCOMMAND, SC_CLOSE, 0},
        {"No", WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), IDNO},
        {"OK", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), IDOK},
    };
    for (const Way &way : ways) {
        if (WindowGone(hwnd)) break;
        HWND button = way.button ? GetDlgItem(hwnd, (int)way.button) : nullptr;
        // Cancel is also what Escape sends when there is no such button; No and OK need theirs.
        if (button && !IsWindowEnabled(button)) continue;
        if (!button && (way.button == IDNO || way.button == IDOK)) continue;
        PostMessageA(hwnd, way.msg, way.wp, (LPARAM)button);
        if (WaitGone(hwnd, kDismissWaitMs)) {
            if (how) *how = way.name;
            return true;
        }
    }
    if (WindowGone(hwnd)) {
        if (how) *how = "went away";
        return true;
    }
    return false;
}

// ---- Scripts ----

UiScript &UiScript::Expect(const std::string &caption, const std::string &contains)
{
    Step s;
    s.caption = caption;
    s.contains = contains;
    steps_.push_back(s);
    return *this;
}

UiScript &UiScript::ExpectAgain(const std::string &caption, const std::string &contains)
{
    Expect(caption, contains);
    steps_.back().again = true;
    return *this;
}

UiScript &UiScript::Timeout(DWORD ms)
{
    if (steps_.empty()) Expect("");
    steps_.back().timeoutMs = ms;
    return *this;
}

UiScript &UiScript::Add(Action a)
{
    if (steps_.empty()) Expect("");
    steps_.back().actions.push_back(a);
    return *this;
}

UiScript &UiScript::Type(unsigned id, const std::string &text) { return Add({ActionKind::Type, id, text, true}); }
UiScript &UiScript::Press(unsigned id) { return Add({ActionKind::Press, id, "", true}); }
UiScript &UiScript::Command(unsigned id) { return Add({ActionKind::Command, id, "", true}); }
UiScript &UiScript::Select(unsigned id, const std::string &entry) { return Add({ActionKind::Select, id, entry, true}); }
UiScript &UiScript::DoubleClick(unsigned id, const std::string &entry)
{
    return Add({ActionKind::DoubleClick, id, entry, true});
}
UiScript &UiScript::Check(unsigned id, bool on) { return Add({ActionKind::Check, id, "", on}); }
UiScript &UiScript::Key(unsigned vk) { return Add({ActionKind::Key, vk, "", true}); }
UiScript &UiScript::Close() { return Add({ActionKind::Close, 0, "", true}); }
UiScript &UiScript::WaitGone() { return Add({ActionKind::WaitGone, 0, "", true}); }
UiScript &UiScript::Snapshot() { return Add({ActionKind::Snapshot, 0, "", true}); }

UiScript &UiScript::Allow(const std::string &caption)
{
    allowed_.push_back(caption);
    return *this;
}

// ---- The driver ----

UiDriver::UiDriver(const UiScript &script, DWORD pid)
    : steps_(script.Steps()), allowed_(script.Allowed()), pid_(pid)
{
    thread_ = std::thread(&UiDriver::Run, this);
}

UiDriver::~UiDriver() { Stop(); }

void UiDriver::Note(const std::string &line)
{
    std::lock_guard<std::mutex> lock(mu_);
    lines_.push_back(line);
}

void UiDriver::Fail(const std::string &what)
{
    std::lock_guard<std::mutex> lock(mu_);
    failures_.push_back(what);
    lines_.push_back("FAILED: " + what);
}

void UiDriver::Log(size_t seen, const std::string &line)
{
    std::lock_guard<std::mutex> lock(mu_);
    windows_[seen].log.push_back(line);
    lines_.push_back("    -> " + line);
}

size_t UiDriver::Record(const SeenWindow &seen, const std::string &heading)
{
    std::lock_guard<std::mutex> lock(mu_);
    windows_.push_back(seen);
    lines_.push_back(heading + ": " + seen.info.Describe("      "));
    return windows_.size() - 1;
}

bool UiDriver::IsHandled(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(mu_);
    auto it = handled_.find(hwnd);
    if (it == handled_.end()) return false;
    bool same = IsWindow(hwnd) &&
                (!it->second.propSet || (UINT_PTR)GetPropA(hwnd, MarkName()) == it->second.gen);
    if (!same) handled_.erase(it);  // destroyed, or a new window under a recycled handle
    return same;
}

void UiDriver::MarkHandled(HWND hwnd)
{
    UINT_PTR gen = nextGeneration++;
    bool propSet = SetPropA(hwnd, MarkName(), (HANDLE)gen) != FALSE;
    std::lock_guard<std::mutex> lock(mu_);
    handled_[hwnd] = Mark{gen, propSet};
}

std::vector<HWND> UiDriver::FreshDialogs()
{
    std::vector<HWND> fresh;
    for (HWND h : FindDialogs(pid_))
        if (!IsHandled(h)) fresh.push_back(h);
    return fresh;
}

bool UiDriver::Allowed(HWND hwnd, const WindowInfo &info)
{
    {
        // Known ones stay allowed even when a busy thread leaves their caption unread.
        std::lock_guard<std::mutex> lock(mu_);
        std::vector<HWND> live;
        for (HWND h : allowedSeen_)
            if (IsWindow(h)) live.push_back(h);
        allowedSeen_.swap(live);
        for (HWND h : allowedSeen_)
            if (h == hwnd) return true;
    }
    bool allowed = false;
    for (const std::string &caption : allowed_) allowed = allowed || caption == info.caption;
    if (!allowed) return false;
    {
        std::lock_guard<std::mutex> lock(mu_);
        allowedSeen_.push_back(hwnd);
    }
    Note("allowed: " + info.Describe("      "));
    return true;
}

HWND UiDriver::FindHandled(const Step &step, WindowInfo &info)
{
    for (HWND h : FindDialogs(pid_)) {
        if (!IsHandled(h) || !IsWindowEnabled(h)) continue;  // a modal child disables its owner
        WindowInfo wi = ReadWindow(h);
        if (wi.complete && Matches(step, wi)) {
            info = wi;
            return h;
        }
    }
    return nullptr;
}

void UiDriver::Unexpected(HWND hwnd, const WindowInfo &info, const std::string &why)
{
    MarkHandled(hwnd);
    SeenWindow seen;
    seen.info = info;
    size_t idx = Record(seen, "unexpected");
    Fail("unexpected window " + Quote(info.caption) + " " + Quote(info.text) + ": " + why);
    if (Stopping()) return;  // Stop sweeps it up
    std::string how;
    Log(idx, Dismiss(hwnd, &how) ? "dismissed with " + how : std::string("could not dismiss it"));
}

void UiDriver::DismissOpen()
{
    for (HWND h : FindDialogs(pid_)) {
        if (!IsHandled(h)) continue;
        std::string how;
        bool gone = Dismiss(h, &how);
        Note(Format("window %p ", (void *)h) + (gone ? "dismissed with " + how : std::string("could not be dismissed")));
    }
}

void UiDriver::Run()
{
    size_t i = 0;
    while (i < steps_.size() && RunStep(i)) {
        std::lock_guard<std::mutex> lock(mu_);
        stepsDone_ = ++i;
    }
    if (i < steps_.size() && !Stopping()) DismissOpen();
    // Anything that opens now has no step to answer it.
    while (!Stopping()) {
        bool acted = false;
        std::vector<HWND> fresh = FreshDialogs();
        if (!fresh.empty()) Sleep(kSettleMs);
        for (HWND h : fresh) {
            if (!IsWindow(h)) continue;
            WindowInfo info = ReadWindow(h);
            if (!info.complete || Allowed(h, info)) continue;
            Unexpected(h, info, i < steps_.size() ? "the script had failed" : "the script had ended");
            acted = true;
            break;
        }
        if (!acted) Sleep(kPollMs);
    }
    finished_ = true;
}

bool UiDriver::RunStep(size_t index)
{
    const Step &step = steps_[index];
    const std::string name = StepName(index, step);
    DWORD start = GetTickCount();
    for (;;) {
        if (Stopping()) {
            Fail(name + ": the test ended before it came");
            return false;
        }
        std::vector<HWND> fresh = FreshDialogs();
        if (!fresh.empty()) {
            Sleep(kSettleMs);
            std::vector<std::pair<HWND, WindowInfo>> read;
            for (HWND h : fresh) {
                if (!IsWindow(h)) continue;
                WindowInfo info = ReadWindow(h);
                if (!info.complete) continue;  // its thread is busy: look again later
                if (!step.again && Matches(step, info)) return Answer(index, h, info);
                if (!Allowed(h, info)) read.emplace_back(h, info);
            }
            // Nothing new matches: the newest one is in the way of the expected window.
            if (!read.empty()) {
                Unexpected(read.front().first, read.front().second, "expected " + name);
                continue;
            }
        }
        if (step.again) {
            WindowInfo info;
            if (HWND h = FindHandled(step, info)) return Answer(index, h, info);
        }
        if (GetTickCount() - start >= step.timeoutMs) {
            Fail(name + Format(": no such window within %lu ms", (unsigned long)step.timeoutMs));
            return false;
        }
        Sleep(kPollMs);
    }
}

bool UiDriver::Answer(size_t index, HWND hwnd, const WindowInfo &info)
{
    const Step &step = steps_[index];
    MarkHandled(hwnd);
    SeenWindow seen;
    seen.info = info;
    seen.step = (int)index;
    size_t idx = Record(seen, StepName(index, step));
    for (const Action &a : step.actions) {
        std::string error;
        if (!DoAction(idx, hwnd, a, step.timeoutMs, error)) {
            Fail(StepName(index, step) + ": " + Describe(a) + ": " + error);
            std::string how;
            if (!Stopping() && !WindowGone(hwnd))
                Log(idx, Dismiss(hwnd, &how) ? "dismissed with " + how : std::string("could not dismiss it"));
            return false;
        }
    }
    return true;
}

bool UiDriver::DoAction(size_t seen, HWND hwnd, const Action &a, DWORD timeoutMs, std::string &error)
{
    if (a.kind != ActionKind::WaitGone && WindowGone(hwnd)) {
        error = "the window had gone";
        return false;
    }
    Log(seen, Describe(a));
    HWND ctrl = nullptr;
    switch (a.kind) {
    case ActionKind::Type: {
        if (!(ctrl = UsableControl(hwnd, a.id, error))) return false;
        DWORD_PTR r = 0;
        // An edit's change notification may open a box of its own; the step goes on regardless
        // (the text lives as long as the script, should the message be handled later).
        if (!SendMessageTimeoutA(ctrl, WM_SETTEXT, 0, (LPARAM)a.text.c_str(), SMTO_NORMAL, kSendTimeoutMs, &r))
            Log(seen, "no answer to WM_SETTEXT yet");
        return true;
    }
    case ActionKind::Press:
        // Posted, not sent: the button's handler may run a modal loop of its own.
        if (!(ctrl = UsableControl(hwnd, a.id, error))) return false;
        PostMessageA(ctrl, BM_CLICK, 0, 0);
        return true;
    case ActionKind::Command:
        ctrl = GetDlgItem(hwnd, (int)a.id);
        if (ctrl && !IsWindowEnabled(ctrl)) {
            error = Format("control 0x%X is disabled", a.id);
            return false;
        }
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(a.id, BN_CLICKED), (LPARAM)ctrl);
        return true;
    case ActionKind::Select:
    case ActionKind::DoubleClick: {
        if (!(ctrl = UsableControl(hwnd, a.id, error))) return false;
        std::string cls = ClassOf(ctrl);
        bool combo = IsCombo(cls);
        if ((!combo && !IsList(cls)) || (combo && a.kind == ActionKind::DoubleClick)) {
            error = "control is a " + cls;
            return false;
        }
        Sender sender;
        DWORD style = (DWORD)GetWindowLongA(ctrl, GWL_STYLE);
        std::vector<std::string> items = ReadItems(ctrl, combo, style, sender);
        size_t i = 0;
        while (i < items.size() && items[i] != a.text) ++i;
        if (i == items.size()) {
            error = "no such entry among:";
            for (const std::string &item : items) error += " " + Quote(item);
            return false;
        }
        LRESULT r = 0;
        if (combo) {
            sender.Send(ctrl, CB_SETCURSEL, i, 0, r);
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(a.id, CBN_SELCHANGE), (LPARAM)ctrl);
        } else {
            if (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) sender.Send(ctrl, LB_SETSEL, TRUE, (LPARAM)i, r);
            else sender.Send(ctrl, LB_SETCURSEL, i, 0, r);
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(a.id, LBN_SELCHANGE), (LPARAM)ctrl);
            if (a.kind == ActionKind::DoubleClick)
                PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(a.id, LBN_DBLCLK), (LPARAM)ctrl);
        }
        return true;
    }
    case ActionKind::Check: {
        if (!(ctrl = UsableControl(hwnd, a.id, error))) return false;
        DWORD type = (DWORD)GetWindowLongA(ctrl, GWL_STYLE) & BS_TYPEMASK;
        bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
        if (radio && !a.on) {
            error = "a radio button is not cleared by clicking it";
            return false;
        }
        // Click as a user does until the box shows the wanted state (a three-state box may take
        // two clicks), waiting for each click to land so that later actions see its effect.
        const LRESULT wanted = a.on ? BST_CHECKED : BST_UNCHECKED;
        LRESULT state = 0;
        Sender sender;
        if (!sender.Send(ctrl, BM_GETCHECK, 0, 0, state)) {
            error = "no answer to BM_GETCHECK";
            return false;
        }
        for (int clicks = 0; state != wanted; ++clicks) {
            if (clicks == 3) {
                error = Format("it does not reach the wanted state, shows %ld", (long)state);
                return false;
            }
            PostMessageA(ctrl, BM_CLICK, 0, 0);
            LRESULT before = state;
            DWORD start = GetTickCount();
            while (sender.Send(ctrl, BM_GETCHECK, 0, 0, state) && state == before &&
                   GetTickCount() - start < kClickWaitMs)
                Sleep(kPollMs);
            if (state == before) {
                error = "a click does not change it";
                return false;
            }
        }
        return true;
    }
    case ActionKind::Key:
        PostKey(hwnd, a.id);
        return true;
    case ActionKind::Close:
        PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    case ActionKind::WaitGone: {
        DWORD start = GetTickCount();
        while (!WindowGone(hwnd)) {
            if (Stopping()) {
                error = "the test ended while it was open";
                return false;
            }
            if (GetTickCount() - start >= timeoutMs) {
                error = Format("still open after %lu ms", (unsigned long)timeoutMs);
                return false;
            }
            Sleep(kPollMs);
        }
        return true;
    }
    case ActionKind::Snapshot: {
        Sleep(kSnapshotMs);
        WindowInfo now = ReadWindow(hwnd);
        std::lock_guard<std::mutex> lock(mu_);
        windows_[seen].snapshots.push_back(now);
        lines_.push_back("    now: " + now.Describe("      "));
        return true;
    }
    }
    return true;
}

void UiDriver::Stop()
{
    if (stopped_) return;
    stopped_ = true;
    stop_ = true;
    // The thread may be waiting on a message sent to this thread's windows: serve such messages
    // until it has finished, then join it.
    while (!finished_) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_SENDMESSAGE);
        MSG m;
        PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (thread_.joinable()) thread_.join();
    // Sweep what is still open and belongs to the script: handled before, or matching a step.
    for (HWND h : FindDialogs(pid_)) {
        bool handled = IsHandled(h);
        WindowInfo info = ReadWindow(h);
        bool matches = false;
        for (const Step &s : steps_) matches = matches || Matches(s, info);
        for (const std::string &caption : allowed_) matches = matches || caption == info.caption;
        if (!handled && !matches) continue;
        if (!handled) {
            SeenWindow seen;
            seen.info = info;
            Record(seen, "left open");
        }
        Fail("window " + Quote(info.caption) + " was still open when the test ended");
        std::string how = "DestroyWindow";
        bool gone = GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId() ? DestroyWindow(h) != FALSE
                                                                                  : Dismiss(h, &how);
        Note(Format("window %p ", (void *)h) + (gone ? "closed with " + how : std::string("could not be closed")));
    }
    std::lock_guard<std::mutex> lock(mu_);
    for (const auto &entry : handled_)
        if (entry.second.propSet && IsWindow(entry.first)) RemovePropA(entry.first, MarkName());
    handled_.clear();
}

bool UiDriver::Done()
{
    Stop();
    std::lock_guard<std::mutex> lock(mu_);
    return failures_.empty() && stepsDone_ == steps_.size();
}

std::vector<std::string> UiDriver::Failures()
{
    Stop();
    std::lock_guard<std::mutex> lock(mu_);
    return failures_;
}

std::vector<SeenWindow> UiDriver::Windows()
{
    Stop();
    std::lock_guard<std::mutex> lock(mu_);
    return windows_;
}

SeenWindow UiDriver::StepWindow(int step)
{
    Stop();
    std::lock_guard<std::mutex> lock(mu_);
    for (const SeenWindow &w : windows_)
        if (w.step == step) return w;
    return SeenWindow();
}

std::string UiDriver::Transcript()
{
    Stop();
    std::lock_guard<std::mutex> lock(mu_);
    std::string out = Format("UI script for process %lu: %u of %u steps answered, %u failure(s)\n",
                             (unsigned long)pid_, (unsigned)stepsDone_, (unsigned)steps_.size(),
                             (unsigned)failures_.size());
    for (const std::string &line : lines_) {
        out += line;
        if (out.back() != '\n') out += '\n';
    }
    return out;
}

namespace detail {
bool AnyContains(const std::vector<std::string> &lines, const std::string &needle)
{
    for (const std::string &line : lines)
        if (line.find(needle) != std::string::npos) return true;
    return false;
}
}  // namespace detail

}  // namespace uidriver
