// The DDE client and the removal against Wine's own Program Manager server: group folders and
// links under the Start Menu, read back with IShellLinkA.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "progman/dde.h"
#include "progman/groupdlg.h"
#include "progmantest.h"
#include "shell/manifest.h"
#include "shell/setup.h"
#include "support/strbuf.h"
#include "changes/record.h"
#include "workflow/remove.h"

using Lines = std::vector<std::string>;

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwell";
const Lines kLinks = {"Tarnwell Help File.lnk", "Tarnwell Release Notes.lnk", "Tarnwell.lnk", "Uninstall Tarnwell.lnk"};

class WineProgman : public testing::Test {
protected:
    RegistryTreeGuard machineKey{HKEY_LOCAL_MACHINE, PRODUCT_KEY_PATH};
    RegistryTreeGuard uninstallKey{HKEY_LOCAL_MACHINE, kUninstallKey};
    ProfileSectionGuard section{"Tarnwell"};
    ScratchDir work{"wineprogman"};
    ScopedCurrentDir cwd{work.path()};
    // Both hold characters that Program Manager's syntax gives a meaning.
    std::string programDir = work.file("App (x86)");
    std::string dataDir = work.file("Data, Files");
    std::vector<std::string> groups;  // group folders to take away at the end
    SetupModeFlags savedMode = setupMode;

    void SetUp() override
    {
        ASSERT_TRUE(WaitForProgmanServer(15000)) << "Wine's Program Manager server does not answer";
        LoadInstallManifest(moduleInstance, NULL, NULL);
        setupMode.silent = 1;
        setupMode.logging = 1;
        CreateDirectoryA(programDir.c_str(), NULL);
        CreateDirectoryA(dataDir.c_str(), NULL);
        for (int i = 0; i < installManifest.fileCount; i++)
            WriteWholeFile(programDir + "\\" + installManifest.files[i].targetName, "payload");
    }
    void TearDown() override
    {
        ProgmanClose();
        CloseFolderWindows();
        for (const std::string &g : groups)
            RemoveTree(ProgramsDir() + "\\" + g);
        setupMode = savedMode;
    }

    std::string GroupDir(const std::string &group) { return ProgramsDir() + "\\" + group; }

    // The install's Program Manager step: the group, then an item for each row that has one.
    void InstallItems(const char *group)
    {
        groups.push_back(group);
        StrCopy(installManifest.groupName, sizeof installManifest.groupName, group);
        ASSERT_EQ(1, ProgmanCreateGroup(installManifest.groupName));
        for (int i = 0; i < installManifest.fileCount; i++) {
            const FileEntry &row = installManifest.files[i];
            if (row.iconFlags)
                ProgmanReplaceItem(row.iconTitle, dataDir.c_str(), row.targetName,
                                   (programDir + "\\" + row.targetName).c_str());
        }
        ProgmanClose();
    }

    void ExpectLinks(const std::string &group)
    {
        EXPECT_EQ(kLinks, ListFiles(GroupDir(group)));
        for (int i = 0; i < installManifest.fileCount; i++) {
            const FileEntry &row = installManifest.files[i];
            if (!row.iconFlags)
                continue;
            SCOPED_TRACE(row.iconTitle);
            LinkInfo link = ReadLink(GroupDir(group) + "\\" + row.iconTitle + ".lnk");
            ASSERT_TRUE(link.loaded);
            EXPECT_STRCASEEQ((programDir + "\\" + row.targetName).c_str(), link.path.c_str());
            EXPECT_STRCASEEQ(dataDir.c_str(), link.workingDir.c_str());
        }
    }
};

}  // namespace

TEST_F(WineProgman, GroupsListsTheStartMenuFolders)
{
    groups.push_back("TwTest Listed");
    ASSERT_TRUE(CreateDirectoryA(GroupDir("TwTest Listed").c_str(), NULL));
    HWND combo = CreateWindowA("COMBOBOX", "", WS_POPUP | CBS_DROPDOWN | CBS_SORT, 0, 0, 200, 200, NULL, NULL, NULL, NULL);
    EXPECT_EQ(groupListBuffer, ProgmanListGroups(combo));
    EXPECT_NE(CB_ERR, SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "TwTest Listed"));
    DestroyWindow(combo);
    EXPECT_EQ(0, progmanSession.sessionLive);
}

// An install makes one link per item with its target and working directory, even where the
// group and the directories hold parentheses and commas; a second install replaces them; the
// removal takes them away and, the group not being the product's, leaves the empty group.
TEST_F(WineProgman, InstallReplaceAndRemoveInAGroupOfItsOwn)
{
    InstallItems("TwTest (Net)");
    ExpectLinks("TwTest (Net)");
    InstallItems("TwTest (Net)");
    ExpectLinks("TwTest (Net)");

    WriteProfileRecord(programDir.c_str(), dataDir.c_str(), "TwTest (Net)");
    RemoveInstallation(NULL);
    EXPECT_TRUE(FileExists(GroupDir("TwTest (Net)")));
    EXPECT_TRUE(ListFiles(GroupDir("TwTest (Net)")).empty());
    EXPECT_FALSE(FileExists(programDir));

    EXPECT_EQ(1, SendProgmanCommand("[DeleteGroup(\"TwTest (Net)\")]"));
    EXPECT_FALSE(FileExists(GroupDir("TwTest (Net)")));
}

// Another program's group was made current after the install: the removal still deletes its
// own items only, because it selects its group first.
TEST_F(WineProgman, RemovalDeletesItsOwnItemsNotThoseOfTheCurrentGroup)
{
    InstallItems("TwTest Other App");
    InstallItems("TwTest Group");
    WriteProfileRecord(programDir.c_str(), dataDir.c_str(), "TwTest Other App");
    ASSERT_EQ(1, SendProgmanCommand("[ShowGroup(TwTest Group,1)]"));
    RemoveInstallation(NULL);
    EXPECT_TRUE(ListFiles(GroupDir("TwTest Other App")).empty());
    EXPECT_EQ(kLinks, ListFiles(GroupDir("TwTest Group")));
    // Explorer is still serving.
    EXPECT_EQ(1, SendProgmanCommand("[DeleteGroup(TwTest Group)]"));
    EXPECT_EQ(1, SendProgmanCommand("[DeleteGroup(TwTest Other App)]"));
}

// The product's own name, in another letter case, is deleted with the group folder.
TEST_F(WineProgman, TheDefaultGroupGoesWithTheRemoval)
{
    // Keep a real Tarnwell group of other tests aside meanwhile.
    std::string real = GroupDir("Tarnwell"), aside = GroupDir("TwTest Tarnwell aside");
    bool moved = FileExists(real) && MoveFileA(real.c_str(), aside.c_str());
    InstallItems("tarnwell");
    ExpectLinks("tarnwell");
    WriteProfileRecord(programDir.c_str(), dataDir.c_str(), "tarnwell");
    RemoveInstallation(NULL);
    EXPECT_FALSE(FileExists(GroupDir("tarnwell")));
    EXPECT_FALSE(FileExists(programDir));
    CloseFolderWindows();
    if (moved)
        MoveFileA(aside.c_str(), real.c_str());
}
