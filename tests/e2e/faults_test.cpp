// The steps of the fault sweep (scripts/faults), each run by the sweep in a prefix it prepared
// and told what to do by TW_FAULT_* variables: they pass when the machine is as it must be.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "scenario.h"
#include "testutil.h"

using namespace e2e;

namespace {

std::string Env(const char *name)
{
    const char *v = getenv(name);
    return v ? v : "";
}

// The prefix as the sweep compares it: its temporary directory included, and WIN.INI's bytes
// as well as its lines, since a rewrite cut short can keep every line of the product and lose
// others'.
PrefixState FaultState()
{
    PrefixState s = TakePrefixState(true);
    char win[MAX_PATH];
    GetWindowsDirectoryA(win, sizeof win);
    std::string ini;
    ReadWholeFile(std::string(win) + "\\win.ini", &ini);
    s.entries["bytes win.ini"] = std::to_string(ini.size()) + " bytes, hash " + std::to_string(std::hash<std::string>()(ini));
    return s;
}

void Save(const PrefixState &s, const std::string &file)
{
    std::ofstream out(file, std::ios::binary);
    for (const auto &e : s.entries)
        out << e.first << '\t' << e.second << '\n';
}

PrefixState Load(const std::string &file)
{
    PrefixState s;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        if (tab != std::string::npos)
            s.entries[line.substr(0, tab)] = line.substr(tab + 1);
    }
    EXPECT_FALSE(s.entries.empty()) << "no state in " << file;
    return s;
}

// Files that an install writes carry the time they were written: two clean installs differ
// there and nowhere else. The group's items may also be Program Manager's links in the user's
// Programs folder or the install's own in the all-users one: after a client was killed in the
// middle of a conversation, Wine's Program Manager may not take the next install's group, which
// then makes the same items as shell links. Either is a complete installation.
PrefixState AsInstalled(const PrefixState &s)
{
    const std::string folders[] = {ProgramsFolder() + "\\", CommonProgramsFolder() + "\\"};
    PrefixState out;
    for (const auto &e : s.entries) {
        std::string key = e.first, value = e.second;
        if (key.compare(0, 5, "file ") == 0)
            value = value.substr(0, value.find(", written"));
        for (const std::string &f : folders) {
            size_t at = key.find(f);
            if (at != std::string::npos) {
                key = key.substr(0, at) + "<Programs>\\" + key.substr(at + f.size());
                if (key.size() > 4 && key.compare(key.size() - 4, 4, ".lnk") == 0)
                    value.clear();
            }
        }
        out.entries[key] = value;
    }
    return out;
}

// A group's item that an undo puts back through Program Manager is its link written anew: the
// same link, with the time of its writing.
PrefixState WithoutLinkTimes(PrefixState s)
{
    for (auto &e : s.entries)
        if (e.first.size() > 4 && e.first.compare(e.first.size() - 4, 4, ".lnk") == 0)
            e.second = e.second.substr(0, e.second.find(", written"));
    return s;
}

std::vector<std::string> Differences(const std::string &stateFile, bool ignoreTimes)
{
    PrefixState expected = Load(stateFile), now = FaultState();
    return ignoreTimes ? PrefixDifferences(AsInstalled(expected), AsInstalled(now))
                       : PrefixDifferences(WithoutLinkTimes(expected), WithoutLinkTimes(now));
}

#define EXPECT_STATE(file, ignoreTimes, what) do { std::vector<std::string> d_ = Differences(file, ignoreTimes); \
    EXPECT_TRUE(d_.empty()) << "the prefix is not " << what << ":\n" << Lines(d_); } while (0)

// The lines with which a failing run names what failed, beside the general report.
bool NamesAFailure(const std::string &log)
{
    for (const char *mark : {"Could not write", "File write error", "Copy of ", "Creation of ", "failed. ("})
        if (log.find(mark) != std::string::npos)
            return true;
    return false;
}

}  // namespace

// Writes the prefix's state to TW_FAULT_STATE.
TEST(FaultChildSide, Save)
{
    Save(FaultState(), Env("TW_FAULT_STATE"));
}

// After a run hit at one call: TW_FAULT_KIND ("kill", "error", or "removal" for a removal killed), TW_FAULT_EXIT (its exit code),
// TW_FAULT_LOG (its setup.log), and the states TW_FAULT_BEFORE (before the run),
// TW_FAULT_INSTALLED (after a clean install) and TW_FAULT_CLEAN (after a clean removal).
// A failed run has undone itself and named its failure; a killed one is undone or finished by
// the next start (Exit at its first question). With TW_FAULT_FOLLOW=1 a silent install and a
// silent removal then do what they always do.
TEST(FaultChildSide, Check)
{
    std::string kind = Env("TW_FAULT_KIND");
    DWORD exitCode = (DWORD)strtoul(Env("TW_FAULT_EXIT").c_str(), NULL, 10);
    std::string log;
    ReadWholeFile(Env("TW_FAULT_LOG"), &log);
    if (kind == "removal") {
        // A removal killed halfway: a second one finishes it (or finds nothing left to remove).
        RunResult again = PlaySetup("-r -s");
        EXPECT_TRUE(again.exitCode == 0 || again.exitCode == 1603) << "exit " << again.exitCode << "\n" << again.log;
        EXPECT_STATE(Env("TW_FAULT_CLEAN"), true, "as a clean removal leaves it");
        return;
    }
    if (kind == "error") {
        EXPECT_TRUE(exitCode == 1603 || exitCode == 0) << "exit " << exitCode << "\nsetup.log:\n" << log;
        if (exitCode == 1603) {
            EXPECT_TRUE(NamesAFailure(log)) << "setup.log does not say what failed:\n" << log;
            EXPECT_STATE(Env("TW_FAULT_BEFORE"), false, "as before the run");
        } else {
            EXPECT_STATE(Env("TW_FAULT_INSTALLED"), true, "as a clean install leaves it");
        }
    } else {
        Script exit;
        exit.Expect("Install").Press(IDCANCEL);
        RunResult next = PlaySetup("-l", exit);
        EXPECT_RUN(next, 1602);
        if (LogHas(next, "was completed."))
            EXPECT_STATE(Env("TW_FAULT_INSTALLED"), true, "as a clean install leaves it");
        else
            EXPECT_STATE(Env("TW_FAULT_BEFORE"), false, "as before the killed run");
    }
    if (Env("TW_FAULT_FOLLOW") != "1")
        return;
    EXPECT_RUN(PlaySetup("-s"), 0);
    EXPECT_STATE(Env("TW_FAULT_INSTALLED"), true, "as a clean install leaves it");
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_STATE(Env("TW_FAULT_CLEAN"), true, "as a clean removal leaves it");
}
