// End-to-end: an install that is cancelled or fails puts the machine back as it was; files in use.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <iostream>
#include <memory>

#include "progmantest.h"
#include "resources/resource.h"
#include "scenario.h"
#include "testutil.h"

using namespace e2e;

namespace {

const char kUndone[] = "The changes this installation had made were undone.\r\n";

// A payload file in the run's working directory, held open by another program from the moment
// Hold finds it there: the copy engine cannot read it and asks for its disk.
struct HeldWorkFile {
    explicit HeldWorkFile(const char *name) : name(name) {}
    ~HeldWorkFile()
    {
        // A file still held at the run's end was not the run's to delete: it goes here.
        if (Release() && !path.empty() && DeleteFileA(path.c_str()))
            RemoveDirectoryA(path.substr(0, path.rfind('\\')).c_str());
    }
    void Hold()
    {
        if (lock != INVALID_HANDLE_VALUE)
            return;
        for (const std::string &dir : ListFiles(TempDir(), "~tw*")) {
            std::string candidate = TempDir() + "\\" + dir + "\\" + name;
            lock = CreateFileA(candidate.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
            if (lock != INVALID_HANDLE_VALUE) {
                path = candidate;
                return;
            }
        }
    }
    bool Release()
    {
        bool held = lock != INVALID_HANDLE_VALUE;
        CloseHandle(lock);
        lock = INVALID_HANDLE_VALUE;
        return held;
    }
    std::string name, path;
    HANDLE lock = INVALID_HANDLE_VALUE;
};

RunResult PlayExe(const std::string &exe, const std::string &args, const Script &s = Script())
{
    RunOptions opts;
    opts.exe = exe;
    opts.args = args;
    return Play(opts, s);
}

Script GroupCancelled()
{
    Script s;
    s.Expect("PROGRAM files directory").Press(IDOK);
    s.Expect("Program Manager Group").Press(IDCANCEL);
    s.Expect("Tarnwell Install", "Some portion of installation process failed.").Press(IDOK);
    return s;
}

struct Ending {
    const char *name;
    DWORD exitCode;
    std::function<RunResult()> play;
};

// The three ways an install of setup.exe ends after it has changed the machine.
const Ending kEndings[] = {
    // Cancel while the third row waits at its disk prompt: that row still finishes (its source
    // is there when the user retries), then nothing more is copied.
    {"Cancel in the progress dialog at the third row", 1602, [] {
         HeldWorkFile held("tarnwell.cnt");
         Script s;
         // Extracted by now, and nothing copied yet.
         s.Expect("PROGRAM files directory").Call([&held] { held.Hold(); }).Press(IDOK);
         s.Expect("Change disk", "Insert disk 1 containing tarnwell.cnt").Call([&held] {
             DWORD_PTR ignored;
             SendMessageTimeoutA(FindWindowA(NULL, "Installation"), WM_COMMAND, IDCANCEL, 0, SMTO_NORMAL, 5000, &ignored);
             held.Release();
         }).PressAny({IDRETRY, IDOK});
         s.Expect("Tarnwell Install", "Some portion of installation process failed.").Press(IDOK);
         RunResult r = PlayExe(SetupExe(), "-i -l", s);
         EXPECT_TRUE(LogHas(r, "Copying " + held.path)) << r.log;
         EXPECT_FALSE(LogHas(r, "tarnwell.txt to")) << "a row after the third was copied\n" << r.log;
         return r;
     }},
    {"Cancel in the group dialog", 1602, [] { return PlayExe(SetupExe(), "-i -l", GroupCancelled()); }},
    // Silent: the disk prompt (shown all the same) is given up; the other program's file stays.
    {"A required file that cannot be copied", 1603, [] {
         HeldWorkFile held("tarnwell.txt");
         Script s;
         s.Expect("Change disk", "Insert disk 1 containing tarnwell.txt").Press(IDCANCEL);
         RunOptions opts;
         opts.exe = SetupExe();
         opts.args = "-s -l";
         opts.meanwhile = [&held] { held.Hold(); };
         RunResult r = Play(opts, s);
         EXPECT_FALSE(held.path.empty()) << "the working file was never seen";
         EXPECT_TRUE(LogHas(r, "Copy of tarnwell.txt to C:\\Program Files\\Tarnwell failed.")) << r.log;
         return r;
     }},
};

// Plays every ending, each against the prefix as it was just before.
void ExpectEveryEndingUndone()
{
    for (const Ending &e : kEndings) {
        SCOPED_TRACE(e.name);
        PrefixState before = TakePrefixState();
        RunResult r = e.play();
        EXPECT_RUN(r, e.exitCode);
        EXPECT_TRUE(LogHas(r, kUndone)) << r.log;
        std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
        EXPECT_TRUE(diff.empty()) << "the install left the prefix changed:\n" << Lines(diff);
        EXPECT_TEMP_CLEAN();
    }
}

std::vector<std::string> AllFiles()
{
    std::vector<std::string> all;
    for (const PayloadFile &f : kPayload)
        all.push_back(f.name);
    return all;
}

}  // namespace

TEST(Undo, EndingsOnAFreshPrefixLeaveItAsItWas)
{
    ExpectEveryEndingUndone();
}

// Over a prior installation of other file contents, which stays installed and removable. Then
// the new file held open when Cancel wants the old one back: the old one waits beside it.
TEST(Undo, EndingsOverAPriorInstallationKeepIt)
{
    if (AlteredSetupExe().empty())
        GTEST_SKIP() << "this build made no setup of other file contents";
    EXPECT_RUN(PlayExe(AlteredSetupExe(), "-s"), 0);
    ExpectEveryEndingUndone();
    ExpectFilesInstalled(kDefaultDir, AllFiles(), true);

    std::string exe = std::string(kDefaultDir) + "\\tarnwell.exe";
    HANDLE held = INVALID_HANDLE_VALUE;
    Script s = GroupCancelled();
    s.steps[1].acts.insert(s.steps[1].acts.begin(), Act{Act::Call, 0, {}, "", [&] {
        held = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    }});
    RunResult r = PlaySetup("-i -l", s);
    CloseHandle(held);
    EXPECT_RUN(r, 1602);
    EXPECT_TRUE(LogHas(r, "Could not undo the change to " + exe + " (")) << r.log;
    std::vector<std::string> kept = ListFiles(kDefaultDir, "~tw*.tmp");
    ASSERT_EQ(1u, kept.size()) << Lines(ListFiles(kDefaultDir));
    std::string old, prior;
    EXPECT_TRUE(ReadWholeFile(std::string(kDefaultDir) + "\\" + kept[0], &old) &&
                ReadWholeFile(AlteredFile("tarnwell.exe"), &prior) && old == prior) << "the old tarnwell.exe is lost";

    // The next install takes the leftover away, as it would a killed run's.
    EXPECT_RUN(PlaySetup("-s"), 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
    EXPECT_TRUE(ListFiles(kDefaultDir, "~tw*.tmp").empty());
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
}

// Updates while the help file is open: interactive, the Retry prompt until it is closed;
// silent, with the program running too, nothing waits and the rest is done at restart. Then
// the removal of the running program.
TEST(InUse, UpdatesAndRemovalFinishOnceTheFilesAreFree)
{
    if (AlteredSetupExe().empty())
        GTEST_SKIP() << "this build made no setup of other file contents";
    const std::string dir = kDefaultDir, exe = dir + "\\tarnwell.exe", help = dir + "\\tarnwell.hlp";
    auto openHelp = [&help] { return CreateFileA(help.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL); };
    EXPECT_RUN(PlaySetup("-s"), 0);

    HANDLE viewer = openHelp();
    Script s;
    s.Expect("PROGRAM files directory").Press(IDOK);
    s.Expect("", "Failed to open destination file tarnwell.hlp").Call([&viewer] { CloseHandle(viewer); }).Press(IDRETRY);
    s.Expect("Program Manager Group").Press(IDOK);
    s.Expect("Congratulations!", "Installation successful!").Press(IDOK);
    EXPECT_RUN(PlayExe(AlteredSetupExe(), "-i", s), 0);
    ExpectFilesInstalled(dir, AllFiles(), true);

    RunResult update;
    {
        RunningProgram program(exe);
        viewer = openHelp();
        RunOptions opts;
        opts.args = "-s -l";
        opts.timeoutMs = 20000;
        update = Play(opts);
        CloseHandle(viewer);
    }
    EXPECT_RUN(update, 3010);
    EXPECT_TRUE(LogHas(update, help + " is in use: it will be replaced when Windows restarts.\r\n")) << update.log;
    EXPECT_TRUE(LogHas(update, exe + " is in use: it will be replaced when Windows restarts.\r\n")) << update.log;
    EXPECT_TRUE(LogHas(update, "Installation successful!\r\nFiles that were in use are replaced when Windows restarts:\r\n"
                               "restart Windows to complete the installation.\r\n")) << update.log;
    RestartWindows();
    EXPECT_INSTALLED(dir, "Tarnwell");
    EXPECT_TRUE(ListFiles(dir, "~tw*.tmp").empty()) << Lines(ListFiles(dir));

    RunResult removal;
    {
        RunningProgram program(exe);
        removal = PlaySetup("-r -s -l");
    }
    EXPECT_RUN(removal, 3010);
    EXPECT_TRUE(LogHas(removal, "Removing " + exe + " (in use, removed when Windows restarts)\r\n")) << removal.log;
    EXPECT_TRUE(LogHas(removal, "Removing " + dir + " (in use, removed when Windows restarts)\r\n")) << removal.log;
    EXPECT_TRUE(LogHas(removal, "Removal process complete.\r\nFiles that were in use will be removed\r\n")) << removal.log;
    EXPECT_NO_RECORD();
    RestartWindows();
    EXPECT_REMOVED(dir, "Tarnwell", false);
}

namespace {

// Sizes of this build's product files: an update's new file is told from the prior one (a
// few bytes longer) by its size alone, without opening it under the setup's hands.
std::vector<LONGLONG> NewSizes()
{
    std::vector<LONGLONG> sizes;
    for (const PayloadFile &f : kPayload) {
        WIN32_FILE_ATTRIBUTE_DATA a = {};
        EXPECT_TRUE(GetFileAttributesExA(OriginalFile(f.name).c_str(), GetFileExInfoStandard, &a));
        sizes.push_back((LONGLONG)a.nFileSizeHigh << 32 | a.nFileSizeLow);
    }
    return sizes;
}

// How many product files in the program directory are this build's (or merely there).
int NewFilesIn(const std::vector<LONGLONG> &sizes, bool anyVersion)
{
    int n = 0;
    for (size_t i = 0; i < 6; i++) {
        WIN32_FILE_ATTRIBUTE_DATA a;
        std::string path = std::string(kDefaultDir) + "\\" + kPayload[i].name;
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a) &&
            (anyVersion || ((LONGLONG)a.nFileSizeHigh << 32 | a.nFileSizeLow) == sizes[i]))
            n++;
    }
    return n;
}

// Each product file is missing (allowed only without a prior installation) or one of the two
// versions, whole.
void ExpectEveryFileWhole(bool prior)
{
    for (const PayloadFile &f : kPayload) {
        std::string path = std::string(kDefaultDir) + "\\" + f.name, now, neu, old;
        if (!ReadWholeFile(path, &now)) {
            EXPECT_FALSE(prior) << path << " is missing";
            continue;
        }
        ReadWholeFile(OriginalFile(f.name), &neu);
        if (prior)
            ReadWholeFile(AlteredFile(f.name), &old);
        EXPECT_TRUE(now == neu || (prior && now == old)) << path << " is neither version whole";
    }
}

const char kUndoneAtStart[] = "An interrupted installation in C:\\Program Files\\Tarnwell was undone.\r\n";
const char kFinishedAtStart[] = "An interrupted installation in C:\\Program Files\\Tarnwell was completed.\r\n";

// After a kill: the next start (Exit at its first question) puts the prefix back as it was
// before the killed run, or finishes a run that had committed; then a silent removal and a
// silent install do what they always do. programs: where the group's links go ("" the user's).
void ExpectKilledRunRecovered(const PrefixState &before, bool prior, const std::string &programs = "")
{
    ExpectEveryFileWhole(prior);
    std::cout << "[ observed ] left by the kill:\n" << Lines(PrefixDifferences(before, TakePrefixState()));
    Script exit;
    exit.Expect("Install").Press(IDCANCEL);
    RunResult next = PlaySetup("-l", exit);
    EXPECT_RUN(next, 1602);
    bool finished = LogHas(next, kFinishedAtStart);
    EXPECT_TRUE(finished || LogHas(next, kUndoneAtStart)) << next.log;
    if (finished) {
        EXPECT_INSTALLED(kDefaultDir, "Tarnwell", programs);
    } else {
        std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
        EXPECT_TRUE(diff.empty()) << "the killed run left the prefix changed:\n" << Lines(diff);
        if (prior)
            ExpectFilesInstalled(kDefaultDir, AllFiles(), true);
    }
    EXPECT_TRUE(ListFiles(kDefaultDir, "~tw*.tmp").empty()) << Lines(ListFiles(kDefaultDir));

    if (prior || finished) {
        EXPECT_RUN(PlaySetup("-r -s"), 0);
        EXPECT_REMOVED(kDefaultDir, "Tarnwell", false, programs);
    } else {
        EXPECT_RUN(PlaySetup("-r -s"), 1603);
        std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
        EXPECT_TRUE(diff.empty()) << "the removal changed the prefix:\n" << Lines(diff);
    }
    EXPECT_RUN(PlaySetup("-s"), 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell", programs);
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false, programs);
}

// An interactive update killed while its group dialog is open, every file replaced by then.
void KillUpdateAtGroupDialog()
{
    std::atomic<bool> atGroup(false);
    Script s;
    s.Expect("PROGRAM files directory").Press(IDOK);
    s.Expect("Program Manager Group").Call([&] { atGroup = true; });
    RunOptions opts;
    opts.args = "-i -l";
    opts.killWhen = [&] { return atGroup.load(); };
    RunResult r = Play(opts, s);
    EXPECT_TRUE(r.killed) << r.transcript;
}

RunResult KilledSilentInstall(const std::string &exe, std::function<bool()> when)
{
    RunOptions opts;
    opts.exe = exe;
    opts.args = "-s -l";
    opts.killWhen = when;
    RunResult r = Play(opts);
    EXPECT_TRUE(r.killed) << "the install ended before its kill point, exit " << r.exitCode << "\n" << r.log;
    return r;
}

}  // namespace

// A fresh install killed once the first and once the fifth product file is in place.
TEST(Killed, FreshInstallIsUndoneAtTheNextStart)
{
    std::vector<LONGLONG> sizes = NewSizes();
    for (int n : {1, 5}) {
        SCOPED_TRACE("killed at product file " + std::to_string(n));
        PrefixState before = TakePrefixState();
        KilledSilentInstall(SetupExe(), [&] { return NewFilesIn(sizes, true) >= n; });
        ExpectKilledRunRecovered(before, false);
    }
}

// An update over the prior version killed while it replaces the second file, and at the group
// dialog once every file is replaced: the prior version comes back whole.
TEST(Killed, UpdateLeavesThePriorInstallationWhole)
{
    if (AlteredSetupExe().empty())
        GTEST_SKIP() << "this build made no setup of other file contents";
    std::vector<LONGLONG> sizes = NewSizes();
    {
        SCOPED_TRACE("killed at the second replaced file");
        EXPECT_RUN(PlayExe(AlteredSetupExe(), "-s"), 0);
        PrefixState before = TakePrefixState();
        KilledSilentInstall(SetupExe(), [&] { return NewFilesIn(sizes, false) >= 2; });
        ExpectKilledRunRecovered(before, true);
    }
    {
        SCOPED_TRACE("killed at the group dialog");
        EXPECT_RUN(PlayExe(AlteredSetupExe(), "-s"), 0);
        PrefixState before = TakePrefixState();
        KillUpdateAtGroupDialog();
        EXPECT_EQ(6, NewFilesIn(sizes, false)) << "not every file was replaced before the group dialog";
        ExpectKilledRunRecovered(before, true);
    }
}

// An update over a prior version whose tarnwell.txt is read-only, as files copied from a CD
// are: cancelled in the group dialog, and killed there, the old file comes back read-only; the
// removal deletes it all the same, and an update replaces it.
TEST(Undo, ReadOnlyOldFileComesBackReadOnlyAndIsReplaced)
{
    if (AlteredSetupExe().empty())
        GTEST_SKIP() << "this build made no setup of other file contents";
    const std::string txt = std::string(kDefaultDir) + "\\tarnwell.txt";
    EXPECT_RUN(PlayExe(AlteredSetupExe(), "-s"), 0);
    ASSERT_TRUE(SetFileAttributesA(txt.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        SCOPED_TRACE("cancelled in the group dialog");
        PrefixState before = TakePrefixState();
        EXPECT_RUN(PlaySetup("-i -l", GroupCancelled()), 1602);
        std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
        EXPECT_TRUE(diff.empty()) << "the cancelled update left the prefix changed:\n" << Lines(diff);
        EXPECT_TRUE(GetFileAttributesA(txt.c_str()) & FILE_ATTRIBUTE_READONLY);
    }
    {
        SCOPED_TRACE("killed at the group dialog");
        PrefixState before = TakePrefixState();
        KillUpdateAtGroupDialog();
        // The next start puts the old file back read-only; the removal of it deletes it.
        ExpectKilledRunRecovered(before, true);
    }
    EXPECT_RUN(PlayExe(AlteredSetupExe(), "-s"), 0);
    ASSERT_TRUE(SetFileAttributesA(txt.c_str(), FILE_ATTRIBUTE_READONLY));
    RunResult update = PlaySetup("-s -l");
    EXPECT_RUN(update, 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
}

// Kills in the group step: when the group's folder appears, when its first and its last item
// do. Through Wine's Program Manager, then as shell links where a server refuses the group.
TEST(Killed, GroupAndItemsGoWithTheRestAtTheNextStart)
{
    for (bool links : {false, true}) {
        std::unique_ptr<ProgmanRecorder> refusing;
        if (links) {
            refusing.reset(new ProgmanRecorder("refuse"));
            ASSERT_TRUE(refusing->ready()) << refusing->why();
        }
        const std::string programs = links ? CommonProgramsFolder() : "";
        const std::string folder = (links ? CommonProgramsFolder() : ProgramsFolder()) + "\\Tarnwell";
        for (size_t n : {0, 1, 4}) {
            SCOPED_TRACE(std::string(links ? "shell links" : "Program Manager") + ", killed at item " + std::to_string(n));
            PrefixState before = TakePrefixState();
            KilledSilentInstall(SetupExe(), [&] { return n ? LinksOf("Tarnwell", programs).size() >= n : FileExists(folder); });
            ExpectKilledRunRecovered(before, false, programs);
        }
    }
}

// An update over a prior installation whose links are there, killed once it has rewritten two
// of them: the prior ones come back as they were, and the group keeps them.
TEST(Killed, UpdateOfTheLinksPutsThePriorOnesBack)
{
    if (AlteredSetupExe().empty())
        GTEST_SKIP() << "this build made no setup of other file contents";
    ProgmanRecorder refusing("refuse");
    ASSERT_TRUE(refusing.ready()) << refusing.why();
    const std::string programs = CommonProgramsFolder(), folder = programs + "\\Tarnwell";
    EXPECT_RUN(PlayExe(AlteredSetupExe(), "-s"), 0);
    std::vector<std::string> links = LinksOf("Tarnwell", programs);
    ASSERT_EQ(4u, links.size()) << Lines(links);
    std::vector<FILETIME> written;
    for (const std::string &l : links) {
        WIN32_FILE_ATTRIBUTE_DATA a = {};
        GetFileAttributesExA((folder + "\\" + l).c_str(), GetFileExInfoStandard, &a);
        written.push_back(a.ftLastWriteTime);
    }
    auto rewritten = [&] {
        int n = 0;
        for (size_t i = 0; i < links.size(); i++) {
            WIN32_FILE_ATTRIBUTE_DATA a;
            n += !GetFileAttributesExA((folder + "\\" + links[i]).c_str(), GetFileExInfoStandard, &a) ||
                 CompareFileTime(&a.ftLastWriteTime, &written[i]) != 0;
        }
        return n;
    };
    PrefixState before = TakePrefixState();
    KilledSilentInstall(SetupExe(), [&] { return rewritten() >= 2; });
    ExpectKilledRunRecovered(before, true, programs);
}

// A second setup.exe while one waits at its first question ends at once with 1618, silent or
// not, and the first then installs as if it had been alone.
TEST(OneRun, ASecondRunEndsWithoutTouchingTheFirst)
{
    Script s;
    s.Expect("Install").Call([] {
        RunResult silent = PlaySetup("-s -l");
        EXPECT_RUN(silent, 1618);
        EXPECT_TRUE(LogHas(silent, "Another installation or removal of Tarnwell is in progress.\r\n")) << silent.log;
        Script told;
        told.Expect("", "Another installation or removal of Tarnwell is in progress.").Press(IDOK);
        EXPECT_RUN(PlaySetup("-r", told), 1618);
        EXPECT_FALSE(FileExists(kDefaultDir)) << "the second run installed";
    }).Press(IDOK);
    s.Expect("PROGRAM files directory").Press(IDOK);
    s.Expect("Program Manager Group").Press(IDOK);
    s.Expect("Congratulations!", "Installation successful!").Press(IDOK);
    EXPECT_RUN(PlaySetup("", s), 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
}

// A silent install whose directory cannot be made: the error box, shown for a person who may
// be there, closes itself after a minute, and the run ends as failed with nothing changed.
TEST(Silent, UnansweredDirectoryBoxClosesAfterAMinute)
{
    const std::string blocker = "C:\\blocker";
    ASSERT_TRUE(WriteWholeFile(blocker, "a file where a directory would go\r\n"));
    PrefixState before = TakePrefixState();
    RunResult r;
    {
        ScopedProfileDir record(blocker + "\\Tarnwell");
        Script s;
        s.Expect("Install", "Creation of C:\\blocker").Timeout(20000);  // seen, and left alone
        r = PlaySetup("-s -l", s);
    }
    EXPECT_RUN(r, 1603);
    EXPECT_GE(r.elapsedMs, 60000u);
    EXPECT_LT(r.elapsedMs, 90000u) << "more than one prompt waited";
    EXPECT_TRUE(LogHas(r, "No answer within 60 seconds: Creation of C:\\blocker")) << r.log;
    std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
    EXPECT_TRUE(diff.empty()) << Lines(diff);
    EXPECT_TRUE(DeleteFileA(blocker.c_str()));
}

// An install into a drive that fills up (D:, a 24 KB volume that tests/e2e/prefix.sh mounts):
// it ends as failed at once, takes everything away, and logs the disk's own error.
TEST(Silent, FullDriveEndsAsFailedWithItsOwnError)
{
    ULARGE_INTEGER available, total;
    ASSERT_TRUE(GetDiskFreeSpaceExA("D:\\", &available, &total, NULL) && total.QuadPart < (1u << 20))
        << "no small drive D: in this prefix: tests/e2e/prefix.sh mounts one (a tmpfs, as root)";
    PrefixState before = TakePrefixState();
    RunResult r;
    {
        ScopedProfileDir record("D:\\Tarnwell");
        r = PlaySetup("-s -l");
    }
    EXPECT_RUN(r, 1603);
    EXPECT_TRUE(LogHas(r, " to D:\\Tarnwell failed. (112)\r\n")) << r.log;
    EXPECT_FALSE(LogHas(r, "No answer within")) << r.log;
    EXPECT_FALSE(FileExists("D:\\Tarnwell")) << Lines(ListFiles("D:\\Tarnwell"));
    std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
    EXPECT_TRUE(diff.empty()) << Lines(diff);
}
