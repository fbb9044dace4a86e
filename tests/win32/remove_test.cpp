// Removal of a recorded installation against the recording DDE server; DeleteRegistryTree.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <memory>
#include <string>
#include <vector>

#include "progman/dde.h"
#include "progmantest.h"
#include "shell/manifest.h"
#include "shell/setup.h"
#include "support/messages.h"
#include "uidriver.h"
#include "changes/journal.h"
#include "changes/journalfile.h"
#include "changes/record.h"
#include "workflow/remove.h"

using uidriver::UiDriver;
using uidriver::UiScript;
using Lines = std::vector<std::string>;

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwell";
const char *const kTitles[] = {"Tarnwell", "Tarnwell Help File", "Tarnwell Release Notes", "Uninstall Tarnwell"};
const char *const kFiles[] = {"tarnwell.exe", "tarnwell.hlp", "tarnwell.cnt", "tarnwell.txt", "removetw.exe", "mib.txt"};

class RemoveTest : public testing::Test {
protected:
    RegistryTreeGuard machineKey{HKEY_LOCAL_MACHINE, VENDOR_KEY_PATH};
    RegistryTreeGuard userKey{HKEY_CURRENT_USER, VENDOR_KEY_PATH};
    RegistryTreeGuard uninstallKey{HKEY_LOCAL_MACHINE, kUninstallKey};
    ProfileSectionGuard section{"Tarnwell"};
    ScratchDir work{"remove"};
    ScopedCurrentDir cwd{work.path()};
    std::string dir = work.file("Tarnwell App");
    SetupModeFlags savedMode = setupMode;
    std::unique_ptr<ProgmanRecorder> recorder;

    void SetUp() override
    {
        LoadInstallManifest(moduleInstance, NULL, NULL);
        setupMode.logging = 1;
        setupMode.silent = 1;
    }
    void TearDown() override
    {
        ProgmanClose();
        setupMode = savedMode;
        LoadInstallManifest(moduleInstance, NULL, NULL);
    }

    void StartRecorder(const char *mode = "accept")
    {
        recorder.reset(new ProgmanRecorder(mode));
        ASSERT_TRUE(recorder->ready()) << recorder->why();
    }

    // What an install leaves: the files (and the help index), the record, the entry.
    void Install(const char *group)
    {
        CreateDirectoryA(dir.c_str(), NULL);
        for (const char *f : kFiles)
            WriteWholeFile(dir + "\\" + f, f);
        WriteWholeFile(dir + "\\tarnwell.gid", "index");
        WriteSettingsKey();
        WriteUninstallEntry(dir.c_str(), dir.c_str(), group);
        WriteProfileRecord(dir.c_str(), dir.c_str(), group);
    }

    Lines FileLines(const char *outcome)
    {
        Lines lines;
        for (const char *f : kFiles)
            lines.push_back("Removing " + dir + "\\" + f + " (" + outcome + ")");
        return lines;
    }

    Lines ExpectedLog(const Lines &tail)
    {
        Lines lines = {"", "Removing installation of Tarnwell from " + dir};
        Lines files = FileLines("ok");
        lines.insert(lines.end(), files.begin(), files.end());
        lines.push_back("Removing HKEY_CURRENT_USER registry entries");
        lines.push_back("Removing HKEY_LOCAL_MACHINE registry entries");
        lines.insert(lines.end(), tail.begin(), tail.end());
        return lines;
    }

    static Lines IconLines()
    {
        Lines lines;
        for (const char *t : kTitles)
            lines.push_back(std::string("Removing icon for ") + t);
        return lines;
    }

    static Lines DeleteItems()
    {
        Lines lines;
        for (const char *t : kTitles)
            lines.push_back(std::string("[DeleteItem(\"") + t + "\")]");
        return lines;
    }

    Lines Concat(Lines a, const Lines &b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
};

}  // namespace

// Both workflows against the recorder: the install's group and items as the install sends them,
// then the removal of that install, every command exactly.
TEST_F(RemoveTest, DefaultInstallationIsRemovedWholeWithEveryCommand)
{
    StartRecorder();
    Install("Tarnwell");
    ASSERT_EQ(1, ProgmanCreateGroup(installManifest.groupName));
    for (int i = 0; i < installManifest.fileCount; i++) {
        const FileEntry &row = installManifest.files[i];
        if (row.iconFlags)
            ProgmanReplaceItem(row.iconTitle, dir.c_str(), row.targetName, (dir + "\\" + row.targetName).c_str());
    }
    ProgmanClose();

    setupMode.silent = 0;
    UiDriver ui(UiScript().Expect("Remove", "Removal process complete.\nAll files removed.").Press(IDOK));
    EXPECT_EQ(0, RemoveInstallation(NULL));
    EXPECT_UI_DONE(ui);

    Lines expected = {"[CreateGroup(Tarnwell)]"};
    for (int i = 0; i < installManifest.fileCount; i++) {
        const FileEntry &row = installManifest.files[i];
        if (!row.iconFlags)
            continue;
        expected.push_back(std::string("[DeleteItem(\"") + row.iconTitle + "\")]");
        expected.push_back(std::string("[AddItem(\"") + dir + "\\" + row.targetName + "\",\"" + row.iconTitle +
                           "\",,,,," + dir + ")]");
    }
    expected.push_back("[ShowGroup(Tarnwell,1)]");
    expected = Concat(expected, DeleteItems());
    expected.push_back("[DeleteGroup(Tarnwell)]");
    EXPECT_EQ(expected, recorder->Commands());

    EXPECT_EQ(ExpectedLog(Concat(IconLines(), {"Removing " + dir + " (ok)", "Removal process complete.",
                                                "All files removed."})),
              LogLines(work.path()));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY_PATH));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, VENDOR_KEY_PATH));  // nothing else of the maker's
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    char sectionText[64];
    EXPECT_EQ(0u, GetProfileSectionA("Tarnwell", sectionText, sizeof sectionText));
}

TEST_F(RemoveTest, AnotherGroupKeepsTheGroupButLosesTheItems)
{
    StartRecorder();
    Install("TwTest Other");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, PRODUCT_KEY_PATH, &key));  // no subkeys: one plain deletion
    RegCloseKey(key);
    RemoveInstallation(NULL);
    EXPECT_EQ(Concat({"[ShowGroup(TwTest Other,1)]"}, DeleteItems()), recorder->Commands());
    Lines log = ExpectedLog(Concat(IconLines(), {"Removing " + dir + " (ok)", "Removal process complete.",
                                                 "All files removed."}));
    log.erase(log.begin() + 8);  // no HKEY_CURRENT_USER line
    EXPECT_EQ(log, LogLines(work.path()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, PRODUCT_KEY_PATH));
    EXPECT_STREQ("TwTest Other", installManifest.groupName);
}

TEST_F(RemoveTest, AnExtraFileKeepsTheDirectoryAndSaysSo)
{
    StartRecorder();
    Install("Tarnwell");
    WriteWholeFile(dir + "\\settings.ini", "kept");
    DeleteFileA((dir + "\\mib.txt").c_str());  // a file already gone fails, and removal goes on
    HKEY other;  // another product of the maker's keeps the maker's key
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, VENDOR_KEY_PATH "\\Other", &other));
    RegCloseKey(other);
    setupMode.silent = 0;
    std::string expectedText = "Removal process complete.\nCheck the directory " + dir +
                               " for excess files\nthat caused the removal process to not cleanup entirely.";
    UiDriver ui(UiScript().Expect("Remove", expectedText).Press(IDOK));
    RemoveInstallation(NULL);
    EXPECT_UI_DONE(ui);
    Lines log = ExpectedLog(Concat(IconLines(), {"Removing " + dir + " (failed)", "Removal process complete.",
                                                 "Check the directory " + dir + " for excess files",
                                                 "that caused the removal process to not cleanup entirely."}));
    log[7] = "Removing " + dir + "\\mib.txt (failed)";
    EXPECT_EQ(log, LogLines(work.path()));
    EXPECT_EQ(Lines{"settings.ini"}, ListFiles(dir));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, VENDOR_KEY_PATH "\\Other"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, PRODUCT_KEY_PATH));
}

TEST_F(RemoveTest, ASecondRemovalFindsNothingAndDeletesNothing)
{
    StartRecorder();
    Install("Tarnwell");
    RemoveInstallation(NULL);
    CreateDirectoryA(dir.c_str(), NULL);
    WriteWholeFile(dir + "\\tarnwell.exe", "again");
    recorder->Clear();
    DeleteFileA(work.file("setup.log").c_str());

    setupMode.silent = 0;
    UiDriver ui(UiScript().Expect("Remove", "Insufficient information available to\nremove this application.").Press(IDOK));
    EXPECT_EQ(0, RemoveInstallation(NULL));
    EXPECT_UI_DONE(ui);
    EXPECT_EQ((Lines{"Insufficient information available to", "remove this application."}), LogLines(work.path()));
    EXPECT_TRUE(FileExists(dir + "\\tarnwell.exe"));
    EXPECT_TRUE(recorder->Commands().empty());
}

// A DIR too long to be read whole would be read as another directory: nothing is removed and
// the record stays for an uninstall that can read it.
TEST_F(RemoveTest, ARecordedDirectoryReadBackCutIsNotRemoved)
{
    StartRecorder();
    Install("Tarnwell");
    std::string longDir = dir + "\\" + std::string(300, 'x');
    WriteProfileStringA("Tarnwell", "DIR", longDir.c_str());
    DeleteFileA(work.file("setup.log").c_str());

    EXPECT_EQ(0, RemoveInstallation(NULL));
    EXPECT_EQ((Lines{"Insufficient information available to", "remove this application."}), LogLines(work.path()));
    char value[16] = "";
    EXPECT_EQ(8u, GetProfileStringA("Tarnwell", "GROUP", "", value, sizeof value));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(recorder->Commands().empty());
}

TEST_F(RemoveTest, SilentRemovalShowsNoBox)
{
    StartRecorder();
    Install("Tarnwell");
    UiDriver ui{UiScript()};
    RemoveInstallation(NULL);
    EXPECT_TRUE(ui.Windows().empty()) << ui.Transcript();
    EXPECT_EQ("Removal process complete.", LogLines(work.path()).end()[-2]);
}

// A GROUP present but empty, or holding a double quote that no command can carry: no Program
// Manager command and no directory removal; the rest of the removal runs.
TEST_F(RemoveTest, AnUnusableGroupLeavesProgramManagerAndTheDirectoryAlone)
{
    StartRecorder();
    for (const char *group : {"", "My \"Best\""}) {
        SCOPED_TRACE(group);
        Install("Tarnwell");
        WriteProfileStringA("Tarnwell", "GROUP", group);
        DeleteFileA(work.file("setup.log").c_str());
        RemoveInstallation(NULL);
        EXPECT_TRUE(recorder->Commands().empty());
        EXPECT_EQ(ExpectedLog({"Removal process complete.", "Check the directory " + dir + " for excess files",
                               "that caused the removal process to not cleanup entirely."}),
                  LogLines(work.path()));
        EXPECT_TRUE(FileExists(dir));
        EXPECT_TRUE(ListFiles(dir).empty());
        char sectionText[64];
        EXPECT_EQ(0u, GetProfileSectionA("Tarnwell", sectionText, sizeof sectionText));
    }
}

// An absent GROUP means the default group, which goes with the items.
TEST_F(RemoveTest, AnAbsentGroupMeansTheDefaultGroup)
{
    StartRecorder();
    Install("Tarnwell");
    WriteProfileStringA("Tarnwell", "GROUP", NULL);
    RemoveInstallation(NULL);
    EXPECT_EQ(Concat(Concat({"[ShowGroup(Tarnwell,1)]"}, DeleteItems()), {"[DeleteGroup(Tarnwell)]"}),
              recorder->Commands());
}

// When Program Manager does not accept the group, no item deletion is sent to whatever group
// happens to be current.
TEST_F(RemoveTest, NoItemIsDeletedWhenTheGroupIsNotSelected)
{
    StartRecorder("refuse");
    Install("Tools (Net)");
    RemoveInstallation(NULL);
    EXPECT_EQ((Lines{"[ShowGroup(\"Tools (Net)\",1)]"}), recorder->Commands());
    Lines log = LogLines(work.path());
    EXPECT_EQ("Removing " + dir + " (ok)", log.end()[-3]);  // the log reads as before
    EXPECT_EQ("Removing icon for Uninstall Tarnwell", log.end()[-4]);
}

TEST_F(RemoveTest, WebRowsAndHelpIndexesByTheirDirectoryKind)
{
    FileEntry rows[] = {
        {"A", 1, "page.htm", "page.htm", 1, 0, "", TARGET_WEB_DIR, 0, 0, 0, 0},
        {"B", 1, "GUIDE.HLP", "GUIDE.HLP", 1, 1, "", TARGET_PROGRAM_DIR, 0, 0, 0, 0},
        {"C", 1, "data.txt", "data.txt", 1, 0, "", TARGET_DATA_DIR, 0, 0, 0, 0},
    };
    installManifest.files = rows;
    installManifest.fileCount = 3;
    StartRecorder();
    CreateDirectoryA(dir.c_str(), NULL);
    CreateDirectoryA((dir + "\\web").c_str(), NULL);
    for (const char *f : {"web\\page.htm", "GUIDE.HLP", "GUIDE.gid", "data.txt"})
        WriteWholeFile(dir + "\\" + f, f);
    WriteProfileRecord(dir.c_str(), dir.c_str(), "Tarnwell");
    RemoveInstallation(NULL);
    Lines log = LogLines(work.path());
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ((Lines{"Removing " + dir + "\\web\\page.htm (ok)", "Removing " + dir + "\\GUIDE.HLP (ok)",
                     "Removing " + dir + "\\data.txt (ok)"}),
              Lines(log.begin() + 2, log.begin() + 5));
    EXPECT_EQ(Lines{"web"}, ListFiles(dir));  // the web directory itself stays
    // An item without a title is named by its file path.
    EXPECT_EQ((Lines{"[ShowGroup(Tarnwell,1)]", "[DeleteItem(\"" + dir + "\\GUIDE.HLP\")]", "[DeleteGroup(Tarnwell)]"}),
              recorder->Commands());
}

std::string ContentOf(const std::string &path)
{
    std::string content;
    return ReadWholeFile(path, &content) ? content : "<missing>";
}

std::string JournalLine(char kind, const std::string &field1, const std::string &field2 = "")
{
    char line[JOURNAL_LINE_SIZE];
    size_t n = FormatJournalEntry(line, sizeof line, kind, field1.c_str(), field2.c_str());
    EXPECT_GT(n, 0u);
    return std::string(line, n);
}

// The journal of a killed install, found at the next start without any record: undone, the
// record it had written included, unless it carries its commit mark, when it is finished.
// What it names outside its own directories is left alone, and a last entry cut short by the
// kill is not read.
TEST_F(RemoveTest, AKilledInstallsJournalIsUndoneOrFinishedAtTheStart)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string journal = std::string(windows) + "\\tarnwell.jnl";
    ScratchDir outside("theirs");
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL));
    const std::string created = dir + "\\tarnwell.txt", replaced = dir + "\\mib.txt";
    const std::string kept = dir + "\\~tw0001.tmp", stale = dir + "\\~tw0002.tmp", theirs = outside.file("notes.txt");
    for (const std::string &f : {created, stale})
        ASSERT_TRUE(WriteWholeFile(f, "new"));
    ASSERT_TRUE(WriteWholeFile(theirs, "theirs"));
    // The section as it was before the killed run wrote its record: a prior installation's.
    const char prior[] = "DIR=C:\\Old\0GROUP=Old\0";
    char before[2 * sizeof prior + 1];
    ASSERT_TRUE(HexEncode(before, sizeof before, prior, sizeof prior - 1));
    WriteUninstallEntry(dir.c_str(), dir.c_str(), "Tarnwell");
    WriteProfileRecord(dir.c_str(), dir.c_str(), "Tarnwell");
    ASSERT_TRUE(WriteWholeFile(journal, JournalLine(JOURNAL_ROOT, dir) + JournalLine(JOURNAL_DIRECTORY, dir) +
                                            JournalLine(JOURNAL_FILE_CREATED, created) +
                                            JournalLine(JOURNAL_FILE_CREATED, theirs) +
                                            JournalLine(JOURNAL_PROFILE, "1", before) + JournalLine(JOURNAL_UNINSTALL, "0") +
                                            JournalLine(JOURNAL_COMMIT, "").substr(0, 5)));
    EXPECT_EQ(1, JournalRecover());
    EXPECT_FALSE(FileExists(journal));
    EXPECT_FALSE(FileExists(dir)) << ListFiles(dir).size() << " entries left";
    EXPECT_EQ("theirs", ContentOf(theirs));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    char value[16];
    GetProfileStringA("Tarnwell", "DIR", "", value, sizeof value);
    EXPECT_STREQ("C:\\Old", value);
    EXPECT_EQ(0u, GetProfileStringA("Tarnwell", "INSTOPTS", "", value, sizeof value));
    std::string log = ContentOf(work.file("setup.log"));
    EXPECT_NE(std::string::npos, log.find("An interrupted installation in " + dir + " was undone.\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("change to " + theirs + " lies outside its directories")) << log;

    // Committed: the kept old file goes, the new one stays.
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL));
    ASSERT_TRUE(WriteWholeFile(replaced, "new version"));
    ASSERT_TRUE(WriteWholeFile(kept, "old version"));
    ASSERT_TRUE(WriteWholeFile(journal, JournalLine(JOURNAL_ROOT, dir) + JournalLine(JOURNAL_FILE_REPLACED, replaced, kept) +
                                            JournalLine(JOURNAL_COMMIT, "")));
    EXPECT_EQ(1, JournalRecover());
    EXPECT_EQ("new version", ContentOf(replaced));
    EXPECT_EQ(Lines{"mib.txt"}, ListFiles(dir));
    EXPECT_FALSE(FileExists(journal));
    log = ContentOf(work.file("setup.log"));
    EXPECT_NE(std::string::npos, log.find("An interrupted installation in " + dir + " was completed.\r\n")) << log;
    EXPECT_EQ(0, JournalRecover());
    DeleteFileA(replaced.c_str());
    RemoveDirectoryA(dir.c_str());
}

// The group step of a killed install: a group it created goes whole, a group that was there
// loses only the items it added and gets back the one it replaced. Where the server refuses,
// the links a server keeps items in are deleted as files, and what cannot be undone is logged.
TEST_F(RemoveTest, AKilledInstallsGroupAndItemsAreTakenBack)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string journal = std::string(windows) + "\\tarnwell.jnl";
    const std::string killed = JournalLine(JOURNAL_GROUP, "TwKilled", "0") + JournalLine(JOURNAL_ITEM, "Tarnwell");
    const std::string other = JournalLine(JOURNAL_GROUP, "TwOther", "1") +
                              JournalLine(JOURNAL_ITEM, "Tarnwell", "C:\\Old\\tarnwell.exe|C:\\Old") +
                              JournalLine(JOURNAL_ITEM, "Notes") + JournalLine(JOURNAL_ITEM, "Cut", "") +
                              JournalLine(JOURNAL_NOT_MADE, "Cut");
    StartRecorder();
    ASSERT_TRUE(WriteWholeFile(journal, killed));
    EXPECT_EQ(1, JournalRecover());
    ASSERT_TRUE(WriteWholeFile(journal, other));
    EXPECT_EQ(1, JournalRecover());
    EXPECT_EQ((Lines{"[DeleteGroup(TwKilled)]", "[ShowGroup(TwOther,1)]", "[DeleteItem(\"Notes\")]",
                     "[ShowGroup(TwOther,1)]", "[DeleteItem(\"Tarnwell\")]",
                     "[AddItem(\"C:\\Old\\tarnwell.exe\",\"Tarnwell\",,,,,C:\\Old)]"}),
              recorder->Commands());
    EXPECT_FALSE(FileExists(journal));

    recorder.reset();
    StartRecorder("refuse");
    const std::string folder = ProgramsDir() + "\\TwKilled";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    ASSERT_TRUE(WriteWholeFile(folder + "\\Tarnwell.lnk", "link"));
    ASSERT_TRUE(WriteWholeFile(journal, killed));
    EXPECT_EQ(1, JournalRecover());
    EXPECT_FALSE(FileExists(folder)) << ListFiles(folder).size() << " entries left";
    ASSERT_TRUE(WriteWholeFile(journal, other));
    EXPECT_EQ(1, JournalRecover());
    EXPECT_FALSE(FileExists(journal));
    std::string log = ContentOf(work.file("setup.log"));
    EXPECT_EQ(std::string::npos, log.find("TwKilled in Program Manager")) << log;
    EXPECT_NE(std::string::npos, log.find("Could not undo the change to TwOther\\Tarnwell in Program Manager")) << log;
    EXPECT_EQ(std::string::npos, log.find("TwOther\\Notes in")) << log;
}

class RegistryTree : public testing::Test {
protected:
    const std::string base = "Software\\TwTest DeleteTree";
    const std::string locked = base + "\\b-locked\\inner";
    void SetUp() override { Unlock(); DeleteKeyTree(HKEY_CURRENT_USER, base); }
    void TearDown() override { Unlock(); DeleteKeyTree(HKEY_CURRENT_USER, base); }
    void Create(const std::string &path)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key));
        RegSetValueExA(key, "v", 0, REG_SZ, (const BYTE *)"x", 2);
        RegCloseKey(key);
    }
    // Sets the access list of the locked key: one that denies everyone its deletion, or none.
    bool SetDacl(PACL acl)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, locked.c_str(), 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS)
            return false;
        DWORD r = SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, NULL, NULL, acl, NULL);
        RegCloseKey(key);
        return r == ERROR_SUCCESS;
    }
    void Unlock() { SetDacl(NULL); }
};

TEST_F(RegistryTree, DeepTreesGoWhole)
{
    // Subkey paths well beyond 256 characters, with siblings at each level. Each level is
    // created from its parent: ANSI key paths that long are refused as a whole.
    Create(base);
    HKEY parent;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_ALL_ACCESS, &parent));
    size_t depthChars = base.size();
    for (int level = 0; level < 6; level++) {
        std::string name(60, (char)('a' + level));
        HKEY leaf, child;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(parent, (name + "-sibling\\leaf").c_str(), &leaf));
        RegCloseKey(leaf);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(parent, name.c_str(), &child));
        RegSetValueExA(child, "v", 0, REG_SZ, (const BYTE *)"x", 2);
        RegCloseKey(parent);
        parent = child;
        depthChars += 1 + name.size();
    }
    RegCloseKey(parent);
    ASSERT_GT(depthChars, 360u);
    EXPECT_EQ(1, DeleteRegistryTree(base.c_str(), HKEY_CURRENT_USER));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, base));
}

TEST_F(RegistryTree, AMissingKeyGivesZero)
{
    EXPECT_EQ(0, DeleteRegistryTree((base + "\\none").c_str(), HKEY_CURRENT_USER));
    EXPECT_EQ(0, DeleteRegistryTree("", HKEY_CURRENT_USER));  // never the root itself
}

// A subkey that refuses deletion is stepped past: the call ends with 0 and everything else goes.
TEST_F(RegistryTree, AResistingSubkeyEndsTheDeletionWithZero)
{
    Create(base + "\\a-first");
    Create(locked + "\\deeper");
    Create(base + "\\c-last");
    EXPLICIT_ACCESSA deny{};
    deny.grfAccessPermissions = DELETE;
    deny.grfAccessMode = DENY_ACCESS;
    deny.grfInheritance = NO_INHERITANCE;
    char everyone[] = "EVERYONE";
    BuildTrusteeWithNameA(&deny.Trustee, everyone);
    PACL acl = NULL;
    ASSERT_EQ(ERROR_SUCCESS, SetEntriesInAclA(1, &deny, NULL, &acl));
    ASSERT_TRUE(SetDacl(acl));
    LocalFree(acl);
    HKEY probe;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, locked.c_str(), 0, KEY_ALL_ACCESS, &probe) == ERROR_SUCCESS) {
        RegCloseKey(probe);
        GTEST_SKIP() << "this platform does not enforce the key's access list";
    }

    // inner cannot be opened to empty it, and it is not empty: it resists both deletions, and so
    // does b-locked above it. Both are stepped past, and c-last after them still goes.
    DWORD start = GetTickCount();
    EXPECT_EQ(0, DeleteRegistryTree(base.c_str(), HKEY_CURRENT_USER));
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, base + "\\a-first"));
    HKEY stays;
    LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, locked.c_str(), 0, KEY_READ, &stays);
    EXPECT_NE(ERROR_FILE_NOT_FOUND, status);  // there, though not to be read
    if (status == ERROR_SUCCESS)
        RegCloseKey(stays);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, base + "\\c-last"));
}
