// End-to-end: an install that is cancelled or fails puts the machine back as it was; files in use.
#include <gtest/gtest.h>

#include <functional>

#include "resources/resource.h"
#include "scenario.h"
#include "testutil.h"

using namespace e2e;

namespace {

const char kUndone[] = "The changes this installation had made were undone.\r\n";
const char kTheirs[] = "another program's file\r\n";

// Another program's file in the temporary directory under a payload file's name, held open:
// the setup cannot extract that file, and the copy engine asks for its disk.
struct HeldTempFile {
    explicit HeldTempFile(const std::string &name) : path(TempDir() + "\\" + name)
    {
        EXPECT_TRUE(WriteWholeFile(path, kTheirs));
        lock = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    }
    ~HeldTempFile() { Release(); DeleteFileA(path.c_str()); }
    void Release() { CloseHandle(lock); lock = INVALID_HANDLE_VALUE; }
    std::string path;
    HANDLE lock;
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
         HeldTempFile held("tarnwell.cnt");
         Script s;
         s.Expect("PROGRAM files directory").Press(IDOK);
         s.Expect("Change disk", "Insert disk 1 containing tarnwell.cnt").Call([&held] {
             DWORD_PTR ignored;
             SendMessageTimeoutA(FindWindowA(NULL, "Installation"), WM_COMMAND, IDCANCEL, 0, SMTO_NORMAL, 5000, &ignored);
             held.Release();
             std::string packed;
             EXPECT_TRUE(ReadWholeFile(PackedFile("tarnwell.cnt"), &packed) && WriteWholeFile(held.path, packed));
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
         HeldTempFile held("tarnwell.txt");
         Script s;
         s.Expect("Change disk", "Insert disk 1 containing tarnwell.txt").Press(IDCANCEL);
         RunResult r = PlayExe(SetupExe(), "-s -l", s);
         EXPECT_TRUE(LogHas(r, "Copy of tarnwell.txt to C:\\Program Files\\Tarnwell failed.")) << r.log;
         held.Release();
         std::string now;
         EXPECT_TRUE(ReadWholeFile(held.path, &now) && now == kTheirs) << "the other program's file changed";
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
    EXPECT_TRUE(LogHas(update, "The old " + exe + " is in use: it will be deleted when Windows restarts.\r\n")) << update.log;
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
