// End-to-end: every form of the command line, and input the setup cannot use.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "scenario.h"
#include "testutil.h"

using namespace e2e;

namespace {

Script DestinationCancelled()
{
    Script s;
    s.Expect("PROGRAM files directory").Press(IDCANCEL);
    s.Expect("Tarnwell Install", "Can't continue without a destination directory!").Press(IDOK);
    return s;
}

// Every window the run showed, one line each, for a failure message.
std::string Shown(const RunResult &r)
{
    std::string out;
    for (const Seen &w : r.windows)
        out += "  \"" + w.info.caption + "\": " + w.info.text + "\n";
    return out;
}

bool Documented(DWORD code) { return code == 0 || code == 1602 || code == 1603; }

}  // namespace

// The switches that ask: each shows its first window, and giving up there ends as cancelled.
TEST(CommandLine, SwitchesThatAsk)
{
    Script exitAtOnce;
    exitAtOnce.Expect("Install").Press(IDCANCEL);
    EXPECT_RUN(PlaySetup("", exitAtOnce), 1602);
    EXPECT_RUN(PlaySetup("-l", exitAtOnce), 1602);
    for (const char *args : {"-i", "-r -i", "-i -r", "-install", "-ini"}) {
        SCOPED_TRACE(args);
        EXPECT_RUN(PlaySetup(args, DestinationCancelled()), 1602);
    }
    Script noRecord;
    noRecord.Expect("Remove", "Insufficient information available to\nremove this application.").Press(IDOK);
    EXPECT_RUN(PlaySetup("-r", noRecord), 1603);
    EXPECT_RUN(PlaySetup("-r -q"), 1603);
    EXPECT_TEMP_CLEAN();
}

// The switches that install without a word, each followed by a silent removal.
TEST(CommandLine, SwitchesThatInstallSilently)
{
    struct Case { const char *install, *remove; bool logs; } cases[] = {
        {"-q -l", "-r -q -l", true},
        {"-installqu -l", "-r -s", false},  // after -installqu nothing else is read
        {"-installsilent", "-l -s -r", false},
        {"/QN", "/R /QUIET", false},
        {"/silent /L", "-r /Q", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.install);
        RunResult r = PlaySetup(c.install);
        EXPECT_RUN(r, 0);
        EXPECT_EQ(c.logs, r.logExists) << r.log;
        EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
        RunResult removal = PlaySetup(c.remove);
        EXPECT_RUN(removal, 0);
        EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
    }
}

// A recorded directory longer than WIN.INI reads back: the setup must neither crash nor hang,
// and it must not install into the directory the cut text names. It installs into the default
// directory instead, where its new record says.
TEST(BadInput, RecordedDirectoryOf300Characters)
{
    std::string dir = "C:\\TwLong";
    while (dir.size() < 300)
        dir += "\\abcdefghij";
    dir.resize(300);
    RunResult r;
    {
        ScopedProfileDir record(dir);
        RunOptions opts;
        opts.args = "-s -l";
        opts.dismissAnything = true;
        r = Play(opts);
        EXPECT_FALSE(r.timedOut) << r.transcript;
        // The cut record is not used: the install goes to the default directory.
        std::string recorded = ProfileValue("DIR");
        EXPECT_EQ(0u, r.exitCode) << r.transcript << r.log;
        EXPECT_EQ(kDefaultDir, recorded);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\TwLong")) << "the cut directory was created";
        ExpectFilesInstalled(recorded, {"tarnwell.exe", "tarnwell.hlp", "tarnwell.cnt", "tarnwell.txt",
                                        "removetw.exe", "mib.txt"});
        EXPECT_RUN(PlaySetup("-r -s"), 0);
    }
    std::cout << "[ observed ] 300-character DIR: exit " << r.exitCode << ", windows:\n" << Shown(r)
              << "setup.log:\n" << r.log;
    CleanUpFailedInstall("C:\\TwLong");
    WriteProfileStringA(kProduct, NULL, NULL);
    RegDeleteTreeA2(HKEY_LOCAL_MACHINE, kUninstallKey);
    EXPECT_TEMP_CLEAN();
}

// A recorded directory that names one of the user's files: the file survives untouched.
TEST(BadInput, RecordedDirectoryNamingAFile)
{
    std::string file = "C:\\users\\Public\\twnotes.txt";
    const std::string notes = "The user's own notes.\r\n";
    ASSERT_TRUE(WriteWholeFile(file, notes));
    RunResult r;
    {
        ScopedProfileDir record(file);
        RunOptions opts;
        opts.args = "-s -l";
        opts.dismissAnything = true;
        r = Play(opts);
    }
    EXPECT_FALSE(r.timedOut) << r.transcript;
    EXPECT_EQ(1603u, r.exitCode) << r.transcript << r.log;
    std::string now;
    EXPECT_TRUE(ReadWholeFile(file, &now) && now == notes) << "the user's file was changed or lost";
    EXPECT_FALSE(r.log.empty());
    std::cout << "[ observed ] DIR naming a file: exit " << r.exitCode << ", windows:\n" << Shown(r);
    EXPECT_NO_RECORD();
    EXPECT_TEMP_CLEAN();
    DeleteFileA(file.c_str());
    CleanUpFailedInstall("C:\\users\\Public\\twnotes.txt\\none");
}

// A recorded directory on a drive Wine does not map.
TEST(BadInput, RecordedDirectoryOnAnUnmappedDrive)
{
    RunResult r;
    {
        ScopedProfileDir record("Q:\\Tarnwell");
        Script s;
        s.Expect("Install", "Creation of Q:").Many().Press(IDOK);
        r = PlaySetup("-s -l", s);
    }
    EXPECT_RUN(r, 1603);
    // The line is message 10026, CR LF and the directory; the log's text mode adds a CR.
    EXPECT_TRUE(LogHas(r, "Failed to create requested directory!\r\r\nQ:\\Tarnwell\r\n")) << r.log;
    EXPECT_NO_RECORD();
    EXPECT_TEMP_CLEAN();
}

// WIN.INI held by another program: the record cannot be written, the install says so in the
// uninstall entry alone, and the uninstaller still removes it from its own arguments.
TEST(BadInput, WinIniThatCannotBeWritten)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string ini = std::string(windows) + "\\win.ini", before, after;
    ASSERT_TRUE(ReadWholeFile(ini, &before));
    HANDLE lock = CreateFileA(ini.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    RunOptions opts;
    opts.args = "-s -l";
    opts.dismissAnything = true;
    RunResult r = Play(opts);
    CloseHandle(lock);
    EXPECT_FALSE(r.timedOut);
    EXPECT_TRUE(Documented(r.exitCode)) << r.exitCode;
    std::cout << "[ observed ] locked WIN.INI: exit " << r.exitCode << ", windows:\n" << Shown(r);
    ASSERT_TRUE(ReadWholeFile(ini, &after));
    EXPECT_EQ(before, after) << "WIN.INI changed";

    std::string uninstall = RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    if (r.exitCode == 0 && uninstall != "<absent>") {
        RunOptions u;
        u.commandLine = uninstall;
        Script s;
        s.Expect("Remove", std::string("Remove Tarnwell from ") + kDefaultDir).Press(IDYES);
        s.Expect("Remove", "All files removed.").Press(IDOK);
        EXPECT_RUN(Play(u, s), 0);
        EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
    } else {
        CleanUpFailedInstall(kDefaultDir);
        RegDeleteTreeA2(HKEY_LOCAL_MACHINE, kUninstallKey);
        RemoveTree(ProgramsFolder() + "\\Tarnwell");
    }
}

// A temporary directory that cannot be written: extraction fails and says so.
TEST(BadInput, TemporaryDirectoryThatCannotBeWritten)
{
    RunOptions opts;
    opts.env = {"TMP=Q:\\NoTemp", "TEMP=Q:\\NoTemp"};
    opts.args = "-i";
    Script s;
    s.Expect("", "File extraction to temporary directory failed.").Press(IDOK);
    EXPECT_RUN(Play(opts, s), 1603);

    opts.args = "-s -l";
    RunResult silent = Play(opts);
    EXPECT_RUN(silent, 1603);
    EXPECT_TRUE(LogHas(silent, "Creation of Q:\\NoTemp\\~tw")) << silent.log;
    EXPECT_TRUE(LogHas(silent, "File extraction to temporary directory failed.")) << silent.log;
    EXPECT_FALSE(FileExists(kDefaultDir));
    EXPECT_NO_RECORD();
}

// The uninstaller refuses a directory longer than a record can hold instead of removing a
// directory whose name was cut.
TEST(BadInput, UninstallerGivenADirectoryTooLong)
{
    std::string dir = "C:\\" + std::string(300, 'a');
    RunOptions opts;
    opts.commandLine = "\"" + OriginalFile("removetw.exe") + "\" -f " + dir + " -d " + dir + " -g Tarnwell";
    Script s;
    s.Expect("Tarnwell Install", "too long").Press(IDOK);
    RunResult r = Play(opts, s);
    EXPECT_RUN(r, 1603);
    EXPECT_TRUE(r.copies.empty());
    opts.commandLine += " -s";
    EXPECT_RUN(Play(opts), 1603);
}

// A command line that cannot be used ends with 1639 before anything is changed or asked, with
// the bad part named; the list of switches ends with 0; -f is where the prompt starts.
TEST(CommandLine, RefusedLineHelpAndTheDirectoryPromptStartingWithF)
{
    Script refused;
    refused.Expect("Tarnwell Install", "Invalid command line: -f needs a full path").Press(IDOK);
    RunResult r = PlaySetup("-f Tarnwell -g Net", refused);
    EXPECT_RUN(r, 1639);
    RunResult silent = PlaySetup("/S -l -g CON");
    EXPECT_RUN(silent, 1639);
    EXPECT_TRUE(silent.windows.empty()) << Shown(silent);
    EXPECT_TRUE(LogHas(silent, "Invalid command line: the group of -g cannot be a folder name: CON\r\n")) << silent.log;
    EXPECT_RUN(PlaySetup("-s -log Q:\\none\\tw.log"), 1639);
    EXPECT_FALSE(FileExists(kDefaultDir));
    EXPECT_NO_RECORD();
    EXPECT_TEMP_CLEAN();

    Script help;
    help.Expect("Tarnwell Install", "1639   invalid command line; nothing was changed").Press(IDOK);
    EXPECT_RUN(PlaySetup("/?", help), 0);
    EXPECT_RUN(PlaySetup("-?", help), 0);
    RunResult quietHelp = PlaySetup("/HELP /Q /L");
    EXPECT_RUN(quietHelp, 0);
    EXPECT_TRUE(LogHas(quietHelp, "  -log FILE, /LOG=FILE  log every report to FILE instead\r\n")) << quietHelp.log;

    Script prompt;
    prompt.Expect("PROGRAM files directory").Press(IDCANCEL);
    prompt.Expect("Tarnwell Install", "Can't continue without a destination directory!").Press(IDOK);
    RunResult asked = PlaySetup("/I -f \"D:\\Chosen -r Dir\"", prompt);
    EXPECT_RUN(asked, 1602);
    for (const Seen &w : asked.windows)
        if (w.step == 0)
            EXPECT_EQ("D:\\Chosen -r Dir", ControlOf(w.info, IDC_GETDIR_EDIT).text);
    EXPECT_TEMP_CLEAN();
}
