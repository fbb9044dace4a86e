// The user player of the end-to-end scenarios: finds each expected window, acts, records.
#include "player.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

namespace e2e {
namespace {

const DWORD kPollMs = 30;
const DWORD kSettleMs = 60;  // lets a new window fill its controls before it is read
const UINT kSendMs = 1000;
// A process snapshot costs the wineserver far more than a look at the windows: the list of the
// uninstaller's copies is renewed at this interval, not at every poll.
const DWORD kChildScanMs = 250;

std::string Quote(const std::string &s)
{
    std::string out = "\"";
    for (char c : s)
        out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    return out + "\"";
}

std::string StepName(size_t i, const Expectation &e)
{
    char head[32];
    snprintf(head, sizeof head, "step %u ", (unsigned)i + 1);
    return head + Quote(e.caption) + (e.contains.empty() ? "" : " with " + Quote(e.contains));
}

bool Usable(HWND dlg, unsigned id, HWND *ctrl, std::string &error)
{
    *ctrl = GetDlgItem(dlg, (int)id);
    char buf[64];
    if (!*ctrl)
        snprintf(buf, sizeof buf, "there is no control %u", id);
    else if (!IsWindowVisible(*ctrl))
        snprintf(buf, sizeof buf, "control %u is hidden", id);
    else if (!IsWindowEnabled(*ctrl))
        snprintf(buf, sizeof buf, "control %u is disabled", id);
    else
        return true;
    error = buf;
    return false;
}

}  // namespace

Script &Script::Expect(const std::string &caption, const std::string &contains)
{
    Expectation e;
    e.caption = caption;
    e.contains = contains;
    steps.push_back(e);
    return *this;
}

static Expectation &Last(std::vector<Expectation> &steps)
{
    if (steps.empty())
        steps.push_back(Expectation());
    return steps.back();
}

Script &Script::Many() { Last(steps).many = true; return *this; }
Script &Script::Timeout(DWORD ms) { Last(steps).timeoutMs = ms; return *this; }
Script &Script::Type(unsigned id, const std::string &text)
{
    Act a;
    a.kind = Act::Type;
    a.id = id;
    a.text = text;
    Last(steps).acts.push_back(a);
    return *this;
}
static Act Make(Act::Kind kind, unsigned id = 0)
{
    Act a;
    a.kind = kind;
    a.id = id;
    return a;
}

Script &Script::Press(unsigned id) { Last(steps).acts.push_back(Make(Act::Press, id)); return *this; }
Script &Script::PressAny(std::vector<unsigned> ids)
{
    Act a = Make(Act::PressAny);
    a.ids = ids;
    Last(steps).acts.push_back(a);
    return *this;
}
Script &Script::Command(unsigned id) { Last(steps).acts.push_back(Make(Act::Command, id)); return *this; }
Script &Script::Select(unsigned id, const std::string &entry)
{
    Act a = Make(Act::Select, id);
    a.text = entry;
    Last(steps).acts.push_back(a);
    return *this;
}
Script &Script::Check(unsigned id) { Last(steps).acts.push_back(Make(Act::Check, id)); return *this; }
Script &Script::Close() { Last(steps).acts.push_back(Make(Act::Close)); return *this; }
Script &Script::Call(std::function<void()> f)
{
    Act a = Make(Act::Call);
    a.call = f;
    Last(steps).acts.push_back(a);
    return *this;
}

std::vector<DWORD> ChildProcesses(DWORD pid, const char *prefix)
{
    std::vector<DWORD> found;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return found;
    std::vector<PROCESSENTRY32> all;
    PROCESSENTRY32 pe;
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
        all.push_back(pe);
    CloseHandle(snap);
    std::set<DWORD> parents = {pid};
    size_t before = 0;
    while (parents.size() != before) {
        before = parents.size();
        for (const PROCESSENTRY32 &p : all)
            if (parents.count(p.th32ParentProcessID) && !parents.count(p.th32ProcessID) &&
                _strnicmp(p.szExeFile, prefix, strlen(prefix)) == 0) {
                parents.insert(p.th32ProcessID);
                found.push_back(p.th32ProcessID);
            }
    }
    return found;
}

Player::Player(DWORD root, const Script &script, std::vector<std::string> passing, bool tolerant)
    : root_(root), steps_(script.steps), passing_(passing), tolerant_(tolerant)
{
    pids_.insert(root);
    thread_ = std::thread(&Player::Run, this);
}

Player::~Player() { Stop(); }

void Player::Note(const std::string &line)
{
    std::lock_guard<std::mutex> lock(mu_);
    lines_.push_back(line);
}

void Player::Fail(const std::string &line)
{
    std::lock_guard<std::mutex> lock(mu_);
    failures_.push_back(line);
    lines_.push_back("FAILED: " + line);
}

std::vector<HWND> Player::Dialogs()
{
    DWORD now = GetTickCount();
    if (!childrenKnown_ || now - childrenScanned_ >= kChildScanMs) {
        for (DWORD child : ChildProcesses(root_, "removetw"))
            pids_.insert(child);
        childrenScanned_ = now;
        childrenKnown_ = true;
    }
    std::vector<HWND> all;
    for (DWORD pid : pids_)
        for (HWND h : uidriver::FindDialogs(pid))
            all.push_back(h);
    return all;
}

bool Player::Matches(const Expectation &e, const uidriver::WindowInfo &info) const
{
    return (e.caption.empty() || info.caption == e.caption) && (e.contains.empty() || info.Contains(e.contains));
}

bool Player::Perform(HWND hwnd, const Act &a, std::string &error)
{
    HWND ctrl = NULL;
    DWORD_PTR r = 0;
    switch (a.kind) {
    case Act::Type:
        if (!Usable(hwnd, a.id, &ctrl, error))
            return false;
        Note("    -> type " + Quote(a.text));
        SendMessageTimeoutA(ctrl, WM_SETTEXT, 0, (LPARAM)a.text.c_str(), SMTO_NORMAL, kSendMs, &r);
        return true;
    case Act::Press:
        if (!Usable(hwnd, a.id, &ctrl, error))
            return false;
        Note("    -> press " + std::to_string(a.id));
        PostMessageA(ctrl, BM_CLICK, 0, 0);
        return true;
    case Act::PressAny:
        for (unsigned id : a.ids) {
            ctrl = GetDlgItem(hwnd, (int)id);
            if (ctrl && IsWindowEnabled(ctrl)) {
                Note("    -> press " + std::to_string(id));
                PostMessageA(ctrl, BM_CLICK, 0, 0);
                return true;
            }
        }
        error = "none of the buttons is there";
        return false;
    case Act::Command:
        Note("    -> command " + std::to_string(a.id));
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(a.id, BN_CLICKED), (LPARAM)GetDlgItem(hwnd, (int)a.id));
        return true;
    case Act::Select: {
        if (!Usable(hwnd, a.id, &ctrl, error))
            return false;
        uidriver::WindowInfo now = uidriver::ReadWindow(hwnd);
        const uidriver::ControlInfo *c = now.Control(a.id);
        size_t i = 0;
        while (c && i < c->items.size() && c->items[i] != a.text)
            ++i;
        if (!c || i == c->items.size()) {
            error = "no entry " + Quote(a.text) + " in the list";
            return false;
        }
        Note("    -> select " + Quote(a.text));
        SendMessageTimeoutA(ctrl, CB_SETCURSEL, i, 0, SMTO_NORMAL, kSendMs, &r);
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(a.id, CBN_SELCHANGE), (LPARAM)ctrl);
        return true;
    }
    case Act::Check:
        if (!Usable(hwnd, a.id, &ctrl, error))
            return false;
        Note("    -> check " + std::to_string(a.id));
        if (!SendMessageTimeoutA(ctrl, BM_GETCHECK, 0, 0, SMTO_NORMAL, kSendMs, &r) || r != BST_CHECKED)
            PostMessageA(ctrl, BM_CLICK, 0, 0);
        return true;
    case Act::Close:
        Note("    -> close box");
        PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    case Act::Call:
        a.call();
        return true;
    }
    return true;
}

void Player::Run()
{
    DWORD since = GetTickCount();
    int answeredMany = 0;  // answers so far of the current step, when it may come more than once
    bool failed = false;
    while (!stop_) {
        std::vector<HWND> dialogs = Dialogs();
        {
            std::lock_guard<std::mutex> lock(mu_);
            for (auto it = handled_.begin(); it != handled_.end();)
                it = IsWindow(*it) ? std::next(it) : handled_.erase(it);
        }
        std::vector<std::pair<HWND, uidriver::WindowInfo>> fresh;
        for (HWND h : dialogs)
            if (!handled_.count(h))
                fresh.emplace_back(h, uidriver::WindowInfo());
        if (!fresh.empty()) {
            Sleep(kSettleMs);
            for (auto &f : fresh)
                f.second = uidriver::ReadWindow(f.first);
        }
        bool acted = false;
        // The current step first, then (after a step that may repeat) the one after it.
        for (int look = 0; look < 2 && !acted && !failed && next_ < steps_.size(); ++look) {
            size_t want = next_ + look;
            if (look == 1 && (!steps_[next_].many || answeredMany == 0 || want >= steps_.size()))
                break;
            for (auto &f : fresh) {
                if (!IsWindow(f.first) || !Matches(steps_[want], f.second))
                    continue;
                {
                    std::lock_guard<std::mutex> lock(mu_);
                    handled_.insert(f.first);
                    Seen s;
                    s.step = (int)want;
                    s.info = f.second;
                    seen_.push_back(s);
                    lines_.push_back(StepName(want, steps_[want]) + ": " + f.second.Describe("      "));
                }
                if (look == 1) {
                    next_ = want;
                    answeredMany = 0;
                }
                std::string error;
                for (const Act &a : steps_[want].acts)
                    if (!Perform(f.first, a, error)) {
                        Fail(StepName(want, steps_[want]) + ": " + error);
                        failed = true;
                        break;
                    }
                if (steps_[want].many)
                    ++answeredMany;
                else
                    ++next_;
                since = GetTickCount();
                acted = true;
                break;
            }
        }
        if (acted)
            continue;
        for (auto &f : fresh) {
            if (!IsWindow(f.first))
                continue;
            bool passing = false;
            for (const std::string &p : passing_)
                passing = passing || f.second.caption == p;
            bool later = false;
            for (size_t k = next_ + 1; !failed && k < steps_.size() && k <= next_ + 2; ++k)
                later = later || Matches(steps_[k], f.second);
            if (passing || later) {
                std::lock_guard<std::mutex> lock(mu_);
                if (passed_.insert(f.first).second) {
                    Seen s;
                    s.info = f.second;
                    seen_.push_back(s);
                    lines_.push_back("passing: " + f.second.Describe("      "));
                }
                continue;
            }
            {
                std::lock_guard<std::mutex> lock(mu_);
                handled_.insert(f.first);
                Seen s;
                s.unexpected = true;
                s.info = f.second;
                seen_.push_back(s);
                lines_.push_back("unexpected: " + f.second.Describe("      "));
            }
            if (!tolerant_)
                Fail("unexpected window " + Quote(f.second.caption) + " " + Quote(f.second.text) +
                     (next_ < steps_.size() ? " while waiting for " + StepName(next_, steps_[next_]) : ""));
            std::string how;
            Note(uidriver::Dismiss(f.first, &how) ? "    -> dismissed with " + how : "    -> could not dismiss it");
        }
        if (!failed && next_ < steps_.size() && !(steps_[next_].many && answeredMany > 0 && next_ + 1 == steps_.size())) {
            size_t waiting = steps_[next_].many && answeredMany > 0 ? next_ + 1 : next_;
            if (GetTickCount() - since > steps_[waiting].timeoutMs) {
                Fail(StepName(waiting, steps_[waiting]) + ": no such window within " +
                     std::to_string(steps_[waiting].timeoutMs) + " ms");
                failed = true;
            }
        }
        Sleep(kPollMs);
    }
    std::lock_guard<std::mutex> lock(mu_);
    if (steps_.size() && next_ < steps_.size() && steps_[next_].many && answeredMany > 0)
        next_ = steps_.size() == next_ + 1 ? next_ + 1 : next_;
}

void Player::Stop()
{
    if (stopped_)
        return;
    stopped_ = true;
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    std::lock_guard<std::mutex> lock(mu_);
    if (next_ < steps_.size()) {
        std::string what = "the run ended before " + StepName(next_, steps_[next_]);
        failures_.push_back(what);
        lines_.push_back("FAILED: " + what);
    }
}

bool Player::Done()
{
    Stop();
    std::lock_guard<std::mutex> lock(mu_);
    return failures_.empty();
}

std::vector<Seen> Player::Windows()
{
    Stop();
    std::lock_guard<std::mutex> lock(mu_);
    return seen_;
}

std::string Player::Transcript()
{
    Stop();
    std::lock_guard<std::mutex> lock(mu_);
    std::string out = "windows of process " + std::to_string(root_) + ": " + std::to_string(next_) + " of " +
                      std::to_string(steps_.size()) + " steps answered\n";
    for (const std::string &l : lines_) {
        out += l;
        if (out.back() != '\n')
            out += '\n';
    }
    return out;
}

}  // namespace e2e
