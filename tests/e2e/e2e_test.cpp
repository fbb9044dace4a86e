// End-to-end scenarios of a user at setup.exe: install, reinstall, remove, uninstall, failures.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "scenario.h"
#include "testutil.h"
#include "twversion.h"

using namespace e2e;

namespace {

// The prefix as the suite found it, compared with the prefix the suite leaves.
class PrefixEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        // The 32-bit build's run in a 64-bit prefix must really see the WOW64 view, or its
        // checks prove nothing. (The x86-64 build can run in a 64-bit prefix only.)
        const char *arch = getenv("TW_WINEARCH");
        if (sizeof(void *) == 4) {
            ASSERT_EQ(arch && strcmp(arch, "win64") == 0, InWow64()) << "prefix architecture " << (arch ? arch : "win32");
        }
        CloseFolderWindows();
        before_ = TakePrefixState();
    }
    void TearDown() override
    {
        std::vector<std::string> diff = PrefixDifferences(before_, TakePrefixState());
        EXPECT_TRUE(diff.empty()) << "the suite left the prefix changed:\n" << Lines(diff);
    }

private:
    PrefixState before_;
};
// A child-side step (the fault sweep's) changes the prefix on purpose.
testing::Environment *const prefixEnvironment =
    getenv("TW_CHILD") ? nullptr : testing::AddGlobalTestEnvironment(new PrefixEnvironment);

const char kConfirmStart[] = "Remove Tarnwell from ";

Script InteractiveInstall()
{
    Script s;
    s.Expect("Install").Press(IDOK);
    s.Expect("PROGRAM files directory").Press(IDOK);
    s.Expect("Program Manager Group").Press(IDOK);
    s.Expect("Congratulations!", "Installation successful!").Press(IDOK);
    return s;
}

// Starts the installed program and closes its window again.
void ExpectProgramStarts(const std::string &exe)
{
    RunningProgram program(exe);
    EXPECT_TRUE(program.Started());
}

}  // namespace

// The road of a typical install with every default, a reinstall over it, then a removal
// chosen in the setup's first dialog: the prefix ends as it began.
TEST(Install, DefaultsThenReinstallThenRemovalLeaveThePrefixAsItWas)
{
    PrefixState before = TakePrefixState();

    RunResult first = PlaySetup("-l", InteractiveInstall());
    EXPECT_RUN(first, 0);
    for (const Seen &w : first.windows) {
        if (w.step == 0) {
            EXPECT_FALSE(ControlOf(w.info, IDC_INSTALL_REMOVE).enabled) << "removal offered with nothing installed";
            EXPECT_EQ(BST_CHECKED, ControlOf(w.info, IDC_INSTALL_INSTALL).checked);
            EXPECT_EQ("Install or update Tarnwell", ControlOf(w.info, IDC_INSTALL_INSTALL).text);
        } else if (w.step == 1) {
            EXPECT_EQ(kDefaultDir, ControlOf(w.info, IDC_GETDIR_EDIT).text);
            EXPECT_EQ("Please enter the destination directory:", ControlOf(w.info, IDC_GETDIR_PROMPT).text);
        } else if (w.step == 2) {
            EXPECT_EQ("Tarnwell", ControlOf(w.info, IDC_GETGROUP_COMBO).text);
            const std::vector<std::string> &groups = ControlOf(w.info, IDC_GETGROUP_COMBO).items;
            EXPECT_NE(groups.end(), std::find(groups.begin(), groups.end(), "StartUp")) << "the existing groups are not listed";
        }
    }
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
    EXPECT_TRUE(LogHas(first, "Copying ")) << first.log;
    EXPECT_TRUE(LogHas(first, "creating icon for C:\\Program Files\\Tarnwell\\removetw.exe")) << first.log;
    EXPECT_TRUE(LogHas(first, "Installation successful!")) << first.log;
    ExpectProgramStarts(std::string(kDefaultDir) + "\\tarnwell.exe");

    // A reinstall offers what the last one chose and replaces the links.
    RunResult again = PlaySetup("", InteractiveInstall());
    EXPECT_RUN(again, 0);
    for (const Seen &w : again.windows) {
        if (w.step == 0) {
            EXPECT_TRUE(ControlOf(w.info, IDC_INSTALL_REMOVE).enabled) << "removal not offered over an installation";
        } else if (w.step == 1) {
            EXPECT_EQ(kDefaultDir, ControlOf(w.info, IDC_GETDIR_EDIT).text);
        } else if (w.step == 2) {
            EXPECT_EQ("Tarnwell", ControlOf(w.info, IDC_GETGROUP_COMBO).text);
        }
    }
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
    EXPECT_EQ(4u, LinksOf("Tarnwell").size()) << Lines(LinksOf("Tarnwell"));

    Script remove;
    remove.Expect("Install").Check(IDC_INSTALL_REMOVE).Press(IDOK);
    remove.Expect("Remove", "Removal process complete.\nAll files removed.").Press(IDOK);
    EXPECT_RUN(PlaySetup("", remove), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);

    // Once more there is nothing to remove.
    RunResult nothing = PlaySetup("-r -s -l");
    EXPECT_RUN(nothing, 1603);
    EXPECT_TRUE(LogHas(nothing, "Insufficient information available to")) << nothing.log;

    std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
    EXPECT_TRUE(diff.empty()) << "install and removal left the prefix changed:\n" << Lines(diff);
}

// A typed destination with a trailing backslash and a group picked from the list; then the
// uninstall entry's command, started as Windows starts it.
TEST(Install, TypedDirectoryAndListedGroupThenUninstallString)
{
    const std::string dir = "C:\\Program Files\\Tarnwell Net";
    const std::string group = "StartUp";
    PrefixState before = TakePrefixState();
    Script install;
    install.Expect("PROGRAM files directory").Type(IDC_GETDIR_EDIT, dir + "\\").Press(IDOK);
    install.Expect("Program Manager Group").Select(IDC_GETGROUP_COMBO, group).Press(IDOK);
    install.Expect("Congratulations!").Press(IDOK);
    EXPECT_RUN(PlaySetup("-i", install), 0);
    EXPECT_INSTALLED(dir, group);

    RunOptions opts;
    opts.commandLine = RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    Script uninstall;
    uninstall.Expect("Remove", kConfirmStart + dir).Press(IDYES);
    uninstall.Expect("Remove", "All files removed.").Press(IDOK);
    RunResult r = Play(opts, uninstall);
    EXPECT_RUN(r, 0);
    ASSERT_EQ(1u, r.copies.size()) << "the uninstaller did not hand over to a copy of itself";
    EXPECT_EQ(0u, r.copies[0]);
    EXPECT_REMOVED(dir, group, true);

    std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
    EXPECT_TRUE(diff.empty()) << "install and uninstall left the prefix changed:\n" << Lines(diff);
}

// The unattended install and removal, with their logs.
TEST(Install, SilentInstallAndRemovalWithTheirLogs)
{
    RunResult r = PlaySetup("-s -l");
    EXPECT_RUN(r, 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
    // The run's own working directory in TEMP, which the first line names.
    std::string temp = TempDir() + "\\~tw";
    size_t at = r.log.find("Extracting to " + temp);
    ASSERT_NE(std::string::npos, at) << r.log;
    temp = r.log.substr(at + 14, temp.size() + 17);
    for (const PayloadFile &f : kPayload) {
        std::string packed;
        ASSERT_TRUE(ReadWholeFile(PackedFile(f.name), &packed));
        std::string line = "Extracting to " + temp + f.name + ", " + std::to_string(packed.size()) + " bytes\r\n";
        EXPECT_TRUE(LogHas(r, line)) << line << "not in\n" << r.log;
        line = std::string("Copying ") + temp + f.name + " to " + kDefaultDir + "\\" + f.name + "\r\n";
        EXPECT_TRUE(LogHas(r, line)) << line << "not in\n" << r.log;
        if (f.iconTitle) {
            line = std::string("creating icon for ") + kDefaultDir + "\\" + f.name + "\r\n";
            EXPECT_TRUE(LogHas(r, line)) << line << "not in\n" << r.log;
        }
        line = "Removing " + temp + f.name + "\r\n";
        EXPECT_TRUE(LogHas(r, line)) << line << "not in\n" << r.log;
    }
    EXPECT_TRUE(LogHas(r, "installing 6 files\r\n\r\n")) << r.log;
    EXPECT_TRUE(LogHas(r, "Creating group\r\n")) << r.log;
    EXPECT_TRUE(LogHas(r, "Installation successful!\r\n")) << r.log;

    RunResult removal = PlaySetup("-r -s -l");
    EXPECT_RUN(removal, 0);
    EXPECT_TRUE(LogHas(removal, "\r\nRemoving installation of Tarnwell from C:\\Program Files\\Tarnwell\r\n")) << removal.log;
    for (const PayloadFile &f : kPayload) {
        std::string line = std::string("Removing ") + kDefaultDir + "\\" + f.name + " (ok)\r\n";
        EXPECT_TRUE(LogHas(removal, line)) << line << "not in\n" << removal.log;
    }
    EXPECT_TRUE(LogHas(removal, "Removing C:\\Program Files\\Tarnwell (ok)\r\n")) << removal.log;
    EXPECT_TRUE(LogHas(removal, "Removal process complete.\r\nAll files removed.\r\n")) << removal.log;
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
}

// A destination on a drive that does not exist: the boxes, the prompt again, then Cancel.
TEST(Install, DestinationThatCannotBeCreated)
{
    Script s;
    s.Expect("PROGRAM files directory").Type(IDC_GETDIR_EDIT, "Q:\\Tarnwell").Press(IDOK);
    s.Expect("Install", "Creation of Q:").Many().Press(IDOK);
    s.Expect("Lumbrook", "Failed to create requested directory!").Press(IDOK);
    s.Expect("PROGRAM files directory", "Q:\\Tarnwell").Press(IDCANCEL);
    s.Expect("Tarnwell Install", "Can't continue without a destination directory!").Press(IDOK);
    RunResult r = PlaySetup("-i", s);
    EXPECT_RUN(r, 1602);
    EXPECT_NO_RECORD();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey));
    EXPECT_TEMP_CLEAN();
}

// What a script that uninstalls quietly finds in the uninstall entry, and that it works.
TEST(Install, UninstallEntryDescribesTheProductAndUninstallsQuietly)
{
    EXPECT_RUN(PlaySetup("-s"), 0);
    std::string dir = kDefaultDir;
    std::string quiet = RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    EXPECT_EQ("\"" + dir + "\\removetw.exe\" -s -f " + dir + " -d " + dir + " -g Tarnwell", quiet);
    EXPECT_EQ("Ardenfel", RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"));
    EXPECT_EQ(dir, RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"));
    EXPECT_EQ(dir + "\\tarnwell.exe", RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"));
    EXPECT_EQ(TW_VERSION_TEXT, RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"));
    EXPECT_NE("<absent>", RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize"));
    EXPECT_EQ("1", RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify"));
    EXPECT_EQ("1", RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair"));
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    snprintf(date, sizeof date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(date, RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallDate"));

    RunOptions opts;
    opts.commandLine = quiet;
    RunResult r = Play(opts);
    EXPECT_RUN(r, 0);
    ASSERT_EQ(1u, r.copies.size());
    EXPECT_EQ(0u, r.copies[0]);
    EXPECT_REMOVED(dir, "Tarnwell", false);
}

// The uninstaller from the Start Menu item: no arguments, the record names the installation,
// and the user may still say no.
TEST(Install, UninstallerItemAsksFirst)
{
    EXPECT_RUN(PlaySetup("-s"), 0);
    Link item = ReadLink(ProgramsFolder() + "\\Tarnwell\\Uninstall Tarnwell.lnk");
    ASSERT_TRUE(item.ok);
    RunOptions opts;
    opts.commandLine = "\"" + item.target + "\"";
    opts.cwd = item.workDir;  // as the Start Menu starts it
    Script no;
    no.Expect("Remove", std::string(kConfirmStart) + kDefaultDir).Press(IDNO);
    RunResult declined = Play(opts, no);
    EXPECT_RUN(declined, 0);
    ASSERT_EQ(1u, declined.copies.size());
    EXPECT_EQ(1602u, declined.copies[0]);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");

    Script yes;
    yes.Expect("Remove", std::string(kConfirmStart) + kDefaultDir).Press(IDYES);
    yes.Expect("Remove", "All files removed.").Press(IDOK);
    EXPECT_RUN(Play(opts, yes), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
}

// The default directory by platform version, and the refusal of NT before 3.51.
TEST(Platform, NT351InstallsIntoWin32App)
{
    ScopedRegValue version(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe", "Version", "nt351");
    EXPECT_RUN(PlaySetup("-s"), 0);
    EXPECT_INSTALLED("C:\\WIN32APP\\Tarnwell", "Tarnwell");
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_REMOVED("C:\\WIN32APP\\Tarnwell", "Tarnwell", false);
    // The install made the parent: the removal takes it away too.
    EXPECT_FALSE(FileExists("C:\\WIN32APP"));
}

TEST(Platform, Windows95InstallsIntoProgramFiles)
{
    ScopedRegValue version(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe", "Version", "win95");
    EXPECT_RUN(PlaySetup("-s"), 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
}

TEST(Platform, NT350IsRefused)
{
    const char *key = "Software\\Microsoft\\Windows NT\\CurrentVersion";
    ScopedRegValue v(HKEY_LOCAL_MACHINE, key, "CurrentVersion", "3.50");
    ScopedRegValue b(HKEY_LOCAL_MACHINE, key, "CurrentBuildNumber", "807");
    ScopedRegValue c(HKEY_LOCAL_MACHINE, key, "CSDVersion", "");
    Script s;
    s.Expect("Tarnwell Install", "You are running NT 3.50.").Press(IDOK);
    RunResult r = PlaySetup("-i", s);
    EXPECT_RUN(r, 1603);
    RunResult silent = PlaySetup("-s -l");
    EXPECT_RUN(silent, 1603);
    EXPECT_TRUE(LogHas(silent, "Sorry, but this application currently requires\r\nNT 3.51 or later or Windows 95.\r\n"
                               "You are running NT 3.50.")) << silent.log;
    EXPECT_FALSE(FileExists(kDefaultDir));
    EXPECT_NO_RECORD();
    EXPECT_TEMP_CLEAN();
}

// What a deployment tool does: a silent install onto a second drive with its own group and
// log, an update that names other values and stays where the product is, then the entry's
// QuietUninstallString: nothing is left on the drive but the log, and the group the install
// made goes whatever its name.
TEST(Deploy, SilentInstallOnASecondDriveThenQuietUninstallString)
{
    ASSERT_NE((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("T:\\")) << "the e2e prefix maps no drive T:";
    const std::string dir = "T:\\Net Tools", group = "Ardenfel Net", log = "T:\\logs\\tw setup.log";
    ASSERT_TRUE(CreateDirectoryA("T:\\logs", NULL));
    RunResult r = PlaySetup("/VERYSILENT -f T:\\Net Tools\\ -g Ardenfel Net /LOG=\"" + log + "\"");
    EXPECT_RUN(r, 0);
    EXPECT_FALSE(r.logExists) << "setup.log written to the current directory";
    std::string text;
    EXPECT_TRUE(ReadWholeFile(log, &text) && text.find("Installation successful!\r\n") != std::string::npos) << text;
    EXPECT_INSTALLED(dir, group);
    const std::string quiet = "\"" + dir + "\\removetw.exe\" -s -f " + dir + " -d " + dir + " -g " + group;
    EXPECT_EQ(quiet, RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"));

    EXPECT_RUN(PlaySetup("/s -f C:\\Elsewhere -d C:\\Elsewhere -g Other -log " + log), 0);
    ASSERT_TRUE(ReadWholeFile(log, &text));
    for (const std::string &line : {"-f C:\\Elsewhere was not used: the installation that is updated keeps its directory " + dir,
                                    "-d C:\\Elsewhere was not used: the installation that is updated keeps its data directory " + dir,
                                    "-g Other was not used: the installation that is updated keeps its group " + group})
        EXPECT_NE(std::string::npos, text.find(line)) << line << " not in\n" << text;
    EXPECT_INSTALLED(dir, group);
    EXPECT_FALSE(FileExists("C:\\Elsewhere"));

    RunOptions opts;
    opts.commandLine = RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    RunResult removal = Play(opts);
    EXPECT_RUN(removal, 0);
    ASSERT_EQ(1u, removal.copies.size());
    EXPECT_EQ(0u, removal.copies[0]);
    EXPECT_REMOVED(dir, group, false);
    EXPECT_EQ(std::vector<std::string>{"logs"}, ListFiles("T:\\"));
    DeleteFileA(log.c_str());
    RemoveDirectoryA("T:\\logs");
}

static std::string Utf8(const std::wstring &w)
{
    std::string s(w.size() * 3 + 1, '\0');
    s.resize(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], (int)s.size(), NULL, NULL) - 1);
    return s;
}

// A user whose account name the ANSI code page cannot write: TEMP and TMP are his, and the
// ANSI calls give them with '?' for each Cyrillic letter. The install extracts into the short
// form of that directory, the uninstaller's copy runs from there too, and nothing is left.
TEST(Install, TemporaryDirectoryOutsideTheCodePage)
{
    const std::wstring user = L"C:\\users\\\u042F\u0440\u043E\u0441\u043B\u0430\u0432", temp = user + L"\\Temp";
    PrefixState before = TakePrefixState(true);
    ASSERT_TRUE(CreateDirectoryW(user.c_str(), NULL) && CreateDirectoryW(temp.c_str(), NULL))
        << "cannot create " << Utf8(temp) << " (" << GetLastError() << "): Wine needs a UTF-8 locale for it";
    char shortForm[MAX_PATH];
    WCHAR shortWide[MAX_PATH];
    ASSERT_TRUE(GetShortPathNameW((temp + L"\\").c_str(), shortWide, MAX_PATH));
    ASSERT_TRUE(WideCharToMultiByte(CP_ACP, 0, shortWide, -1, shortForm, sizeof shortForm, NULL, NULL));

    RunOptions install;
    install.args = "-s -l";
    install.env = {"TEMP=" + Utf8(temp), "TMP=" + Utf8(temp)};
    RunResult r = Play(install);
    EXPECT_RUN(r, 0);
    EXPECT_TRUE(LogHas(r, std::string("The temporary directory C:\\users\\???????\\Temp\\ holds characters outside the "
                                      "Windows code page: its short name ") + shortForm + " is used.\r\n")) << r.log;
    EXPECT_TRUE(LogHas(r, std::string("Extracting to ") + shortForm + "~tw")) << r.log;
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");

    RunOptions removal = install;
    removal.args.clear();
    removal.commandLine = RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    RunResult removed = Play(removal);
    EXPECT_RUN(removed, 0);
    ASSERT_EQ(1u, removed.copies.size());
    EXPECT_EQ(0u, removed.copies[0]);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);

    // Empty once the copy's file has gone with the copy; give the system a moment to close it.
    bool gone = false;
    for (int i = 0; i < 40 && !(gone = RemoveDirectoryW(temp.c_str())); ++i)
        Sleep(250);
    EXPECT_TRUE(gone && RemoveDirectoryW(user.c_str())) << Utf8(temp) << " is not left empty";
    std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState(true));
    EXPECT_TRUE(diff.empty()) << "install and removal left the prefix changed:\n" << Lines(diff);
    CleanUpFailedInstall(kDefaultDir);
}

namespace {

// The entry's QuietUninstallString, run as a deployment tool runs it, with a log.
RunResult QuietUninstall()
{
    RunOptions opts;
    opts.commandLine = RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString") + " -l";
    RunResult r = Play(opts);
    EXPECT_RUN(r, 0);
    EXPECT_EQ(std::vector<DWORD>{0}, r.copies);
    return r;
}

}  // namespace

// A nested directory on a machine without its parents and a group of the user's name: the
// removal takes away every folder and the group that the install made. Folders and a group that
// were there before keep what they held.
TEST(Deploy, RemovalTakesAwayTheFoldersAndGroupTheInstallMade)
{
    const std::string dir = "C:\\Apps\\Net\\Tarnwell", group = "Net Tools";
    const std::string groupFolder = ProgramsFolder() + "\\" + group;
    ASSERT_FALSE(FileExists("C:\\Apps"));
    {
        SCOPED_TRACE("made by the install");
        PrefixState before = TakePrefixState();
        EXPECT_RUN(PlaySetup("-s -f " + dir + " -g " + group), 0);
        EXPECT_INSTALLED(dir, group);
        EXPECT_EQ("3", ProfileValue("DIRMADE"));
        EXPECT_EQ("1", ProfileValue("GROUPMADE"));
        QuietUninstall();
        EXPECT_REMOVED(dir, group, false);
        std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
        EXPECT_TRUE(diff.empty()) << "install and removal left the prefix changed:\n" << Lines(diff);
    }
    {
        SCOPED_TRACE("there before");
        ASSERT_TRUE(CreateDirectoryA("C:\\Apps", NULL));
        ASSERT_TRUE(WriteWholeFile("C:\\Apps\\notes.txt", "the user's own"));
        ASSERT_TRUE(CreateDirectoryA(groupFolder.c_str(), NULL));
        ASSERT_TRUE(WriteWholeFile(groupFolder + "\\readme.txt", "the user's own"));
        PrefixState before = TakePrefixState();
        EXPECT_RUN(PlaySetup("-s -f " + dir + " -g " + group), 0);
        EXPECT_INSTALLED(dir, group);
        EXPECT_EQ("2", ProfileValue("DIRMADE"));
        EXPECT_EQ("0", ProfileValue("GROUPMADE"));
        QuietUninstall();
        EXPECT_REMOVED(dir, group, true);
        std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
        EXPECT_TRUE(diff.empty()) << "install and removal left the prefix changed:\n" << Lines(diff);
        DeleteFileA((groupFolder + "\\readme.txt").c_str());
        RemoveDirectoryA(groupFolder.c_str());
        DeleteFileA("C:\\Apps\\notes.txt");
        RemoveDirectoryA("C:\\Apps");
    }
}

// A drive root that holds the user's files: recorded and composed as "T:\", never "T:" (the
// drive's current directory); the removal takes the product's files and leaves the user's.
TEST(Deploy, DriveRootIsRecordedAsARootAndKeepsTheUsersFiles)
{
    ASSERT_NE((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("T:\\")) << "the e2e prefix maps no drive T:";
    const std::string root = "T:\\";
    ASSERT_TRUE(CreateDirectoryA("T:\\Letters", NULL));
    ASSERT_TRUE(WriteWholeFile("T:\\Letters\\to Anna.txt", "the user's own"));
    ASSERT_TRUE(WriteWholeFile("T:\\budget.txt", "the user's own"));
    PrefixState before = TakePrefixState();
    RunResult r = PlaySetup("-s -l -f T:\\");
    EXPECT_RUN(r, 0);
    EXPECT_INSTALLED(root, "Tarnwell");
    EXPECT_EQ(root, RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"));
    EXPECT_EQ("T:\\tarnwell.exe", RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"));
    EXPECT_EQ("\"T:\\removetw.exe\" -s -f T:\\ -d T:\\ -g Tarnwell",
              RegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"));
    EXPECT_TRUE(LogHas(r, "to T:\\tarnwell.exe")) << r.log;
    EXPECT_FALSE(LogHas(r, "T:\\\\")) << r.log;
    RunResult removal = QuietUninstall();
    EXPECT_FALSE(LogHas(removal, "Removing T: (") || LogHas(removal, "Removing T:\\ (")) << removal.log;
    EXPECT_TRUE(LogHas(removal, "All files removed.")) << removal.log;
    std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
    EXPECT_TRUE(diff.empty()) << "install and removal left the prefix changed:\n" << Lines(diff);
    DeleteFileA("T:\\Letters\\to Anna.txt");
    RemoveDirectoryA("T:\\Letters");
    DeleteFileA("T:\\budget.txt");
}
