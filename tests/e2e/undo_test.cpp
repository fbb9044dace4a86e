// End-to-end: an install that is cancelled or fails puts the machine back as it was; files in use.
#include <gtest/gtest.h>

#include <functional>

#include "resources/resource.h"
#include "scenario.h"
#include "testutil.h"

using namespace e2e;

namespace {

const char kUndone[] = "The changes this installation had made were undone.\r\n";

// A file of another program's in the temporary directory under a payload file's name, held
// open: the setup cannot extract that file, and the copy engine asks for its disk.
class HeldTempFile {
public:
    explicit HeldTempFile(const std::string &name) : path_(TempDir() + "\\" + name)
    {
        EXPECT_TRUE(WriteWholeFile(path_, theirs_));
        lock_ = CreateFileA(path_.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, lock_);
    }
    ~HeldTempFile()
    {
        Release();
        DeleteFileA(path_.c_str());
    }
    void Release()
    {
        if (lock_ != INVALID_HANDLE_VALUE)
            CloseHandle(lock_);
        lock_ = INVALID_HANDLE_VALUE;
    }
    // The other program's file, untouched by the setup.
    void ExpectUnchanged() const
    {
        std::string now;
        EXPECT_TRUE(ReadWholeFile(path_, &now) && now == theirs_) << "the other program's file was changed or deleted";
    }
    const std::string &path() const { return path_; }

private:
    std::string path_;
    const std::string theirs_ = "another program's file\r\n";
    HANDLE lock_ = INVALID_HANDLE_VALUE;
};

struct Ending {
    const char *name;
    DWORD exitCode;
    std::function<RunResult(const std::string &exe)> play;
};

RunResult Run(const std::string &exe, const std::string &args, const Script &s)
{
    RunOptions opts;
    opts.exe = exe;
    opts.args = args;
    return Play(opts, s);
}

// The three ways an install ends after it has changed the machine.
const Ending kEndings[] = {
    // Cancel while the third row waits at its disk prompt: that row still finishes (its source
    // is there by the time the user retries), then nothing more is copied.
    {"Cancel in the progress dialog at the third row", 1602, [](const std::string &exe) {
         HeldTempFile held("tarnwell.cnt");
         Script s;
         s.Expect("PROGRAM files directory").Press(IDOK);
         s.Expect("Change disk", "Insert disk 1 containing tarnwell.cnt").Call([&held] {
             DWORD_PTR ignored;
             SendMessageTimeoutA(FindWindowA(NULL, "Installation"), WM_COMMAND, IDCANCEL, 0, SMTO_NORMAL, 5000, &ignored);
             held.Release();
             std::string packed;
             EXPECT_TRUE(ReadWholeFile(PackedFile("tarnwell.cnt"), &packed) && WriteWholeFile(held.path(), packed));
         }).PressAny({IDRETRY, IDOK});
         s.Expect("Tarnwell Install", "Some portion of installation process failed.").Press(IDOK);
         RunResult r = Run(exe, "-i -l", s);
         EXPECT_TRUE(LogHas(r, "Copying " + held.path())) << r.log;
         EXPECT_FALSE(LogHas(r, "tarnwell.txt to")) << "a row after the third was copied\n" << r.log;
         return r;
     }},
    {"Cancel in the group dialog", 1602, [](const std::string &exe) {
         Script s;
         s.Expect("PROGRAM files directory").Press(IDOK);
         s.Expect("Program Manager Group").Press(IDCANCEL);
         s.Expect("Tarnwell Install", "Some portion of installation process failed.").Press(IDOK);
         return Run(exe, "-i -l", s);
     }},
    // A required file that cannot be had, silent: the disk prompt (shown all the same), given up.
    {"A required file that cannot be copied", 1603, [](const std::string &exe) {
         HeldTempFile held("tarnwell.txt");
         Script s;
         s.Expect("Change disk", "Insert disk 1 containing tarnwell.txt").Press(IDCANCEL);
         RunResult r = Run(exe, "-s -l", s);
         EXPECT_TRUE(LogHas(r, "File creation error on " + held.path() + "\r\n")) << r.log;
         EXPECT_TRUE(LogHas(r, "Copy of tarnwell.txt to C:\\Program Files\\Tarnwell failed.")) << r.log;
         held.Release();
         held.ExpectUnchanged();
         return r;
     }},
};

// Plays every ending and expects the prefix as it was before each.
void ExpectEveryEndingUndone(const std::string &exe)
{
    for (const Ending &e : kEndings) {
        SCOPED_TRACE(e.name);
        PrefixState before = TakePrefixState();
        RunResult r = e.play(exe);
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
    ExpectEveryEndingUndone(SetupExe());
    EXPECT_FALSE(FileExists(kDefaultDir));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Ardenfel"));
}

// Over a prior installation of other file contents, which stays installed and removable.
TEST(Undo, EndingsOverAPriorInstallationKeepIt)
{
    if (AlteredSetupExe().empty())
        GTEST_SKIP() << "this build made no setup of other file contents";
    RunOptions prior;
    prior.exe = AlteredSetupExe();
    prior.args = "-s";
    EXPECT_RUN(Play(prior), 0);
    ExpectEveryEndingUndone(SetupExe());
    ExpectFilesInstalled(kDefaultDir, AllFiles(), true);

    RunResult removal = PlaySetup("-r -s");
    EXPECT_RUN(removal, 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
}

// The new file is held open when Cancel asks for the old one back: the old one stays beside it
// under its working name, and the log names what could not be undone.
TEST(Undo, KeptOldFileThatCannotBePutBack)
{
    if (AlteredSetupExe().empty())
        GTEST_SKIP() << "this build made no setup of other file contents";
    RunOptions prior;
    prior.exe = AlteredSetupExe();
    prior.args = "-s";
    EXPECT_RUN(Play(prior), 0);
    std::string exe = std::string(kDefaultDir) + "\\tarnwell.exe";
    HANDLE held = INVALID_HANDLE_VALUE;
    Script s;
    s.Expect("PROGRAM files directory").Press(IDOK);
    s.Expect("Program Manager Group").Call([&] {
        held = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    }).Press(IDCANCEL);
    s.Expect("Tarnwell Install", "Some portion of installation process failed.").Press(IDOK);
    RunResult r = PlaySetup("-i -l", s);
    EXPECT_NE(INVALID_HANDLE_VALUE, held);
    CloseHandle(held);
    EXPECT_RUN(r, 1602);
    EXPECT_TRUE(LogHas(r, "Could not undo the change to " + exe + " (")) << r.log;
    EXPECT_TRUE(LogHas(r, kUndone)) << r.log;
    std::vector<std::string> kept = ListFiles(kDefaultDir, "~tw*.tmp");
    ASSERT_EQ(1u, kept.size()) << Lines(ListFiles(kDefaultDir));
    std::string old, prior1;
    EXPECT_TRUE(ReadWholeFile(std::string(kDefaultDir) + "\\" + kept[0], &old) &&
                ReadWholeFile(AlteredFile("tarnwell.exe"), &prior1) && old == prior1)
        << "the kept file is not the old tarnwell.exe";
    EXPECT_EQ(kDefaultDir, ProfileValue("DIR"));

    // The next install takes the leftover away, as it would a killed run's, and installs.
    EXPECT_RUN(PlaySetup("-s"), 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
    EXPECT_TRUE(ListFiles(kDefaultDir, "~tw*.tmp").empty());
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
}

// Unattended update while the program runs and its help file is open: nothing waits for a
// user, the help file's new content waits for the restart; then removal while it runs.
TEST(InUse, SilentUpdateAndRemovalOfARunningProgramFinishAtRestart)
{
    if (AlteredSetupExe().empty())
        GTEST_SKIP() << "this build made no setup of other file contents";
    const std::string dir = kDefaultDir, exe = dir + "\\tarnwell.exe", help = dir + "\\tarnwell.hlp";
    EXPECT_RUN(PlaySetup("-s"), 0);
    RunResult update;
    {
        RunningProgram program(exe);
        HANDLE viewer = CreateFileA(help.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, viewer);
        RunOptions opts;
        opts.exe = AlteredSetupExe();
        opts.args = "-s -l";
        opts.timeoutMs = 20000;
        update = Play(opts);
        CloseHandle(viewer);
    }
    EXPECT_RUN(update, 3010);
    EXPECT_TRUE(LogHas(update, help + " is in use: it will be replaced when Windows restarts.\r\n")) << update.log;
    EXPECT_TRUE(LogHas(update, "The old " + exe + " is in use: it will be deleted when Windows restarts.\r\n")) << update.log;
    EXPECT_TRUE(LogHas(update, "Installation successful!")) << update.log;
    EXPECT_EQ(dir, ProfileValue("DIR"));
    RestartWindows();
    ExpectFilesInstalled(dir, AllFiles(), true);
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

// Interactive update with the help file open: the Retry prompt, and Retry once it is closed.
TEST(InUse, InteractiveUpdateRetriesOnceTheFileIsClosed)
{
    if (AlteredSetupExe().empty())
        GTEST_SKIP() << "this build made no setup of other file contents";
    const std::string help = std::string(kDefaultDir) + "\\tarnwell.hlp";
    EXPECT_RUN(PlaySetup("-s"), 0);
    HANDLE viewer = CreateFileA(help.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, viewer);
    Script s;
    s.Expect("PROGRAM files directory").Press(IDOK);
    s.Expect("", "Failed to open destination file tarnwell.hlp").Call([&viewer] {
        CloseHandle(viewer);
        viewer = INVALID_HANDLE_VALUE;
    }).Press(IDRETRY);
    s.Expect("Program Manager Group").Press(IDOK);
    s.Expect("Congratulations!", "Installation successful!").Press(IDOK);
    RunOptions opts;
    opts.exe = AlteredSetupExe();
    opts.args = "-i";
    RunResult r = Play(opts, s);
    if (viewer != INVALID_HANDLE_VALUE)
        CloseHandle(viewer);
    EXPECT_RUN(r, 0);
    ExpectFilesInstalled(kDefaultDir, AllFiles(), true);
    EXPECT_TRUE(ListFiles(kDefaultDir, "~tw*.tmp").empty()) << Lines(ListFiles(kDefaultDir));

    // The uninstaller, while the program runs, as deployment tools start it.
    RunOptions quiet;
    quiet.commandLine = RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    RunResult removal;
    {
        RunningProgram program(std::string(kDefaultDir) + "\\tarnwell.exe");
        removal = Play(quiet);
    }
    EXPECT_RUN(removal, 0);
    ASSERT_EQ(1u, removal.copies.size());
    EXPECT_EQ(3010u, removal.copies[0]);
    EXPECT_NO_RECORD();
    RestartWindows();
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
}
