// End-to-end: Start Menu items made as shell links when no Program Manager takes the group.
#include <gtest/gtest.h>

#include <iostream>

#include "progmantest.h"
#include "resources/resource.h"
#include "scenario.h"
#include "testutil.h"

using e2e::kDefaultDir;
using e2e::kPayload;
using e2e::PayloadFile;
using e2e::RunResult;
using e2e::Script;

namespace {

using Lines = std::vector<std::string>;

std::string Common() { return e2e::CommonProgramsFolder(); }

Script InstallIntoGroup(const std::string &group)
{
    Script s;
    s.Expect("PROGRAM files directory").Press(IDOK);
    s.Expect("Program Manager Group").Type(IDC_GETGROUP_COMBO, group).Press(IDOK);
    s.Expect("Congratulations!", "Installation successful!").Press(IDOK);
    return s;
}

// The combo box's list as the group dialog showed it.
Lines GroupList(const RunResult &r)
{
    for (const e2e::Seen &w : r.windows)
        if (w.info.caption == "Program Manager Group")
            return e2e::ControlOf(w.info, IDC_GETGROUP_COMBO).items;
    return {"<no group dialog>"};
}

// Entries of the prefix added outside the program directory and the group folder.
Lines AddedElsewhere(const e2e::PrefixState &before, const std::string &groupFolder)
{
    Lines out;
    for (const std::string &d : e2e::PrefixDifferences(before, e2e::TakePrefixState())) {
        bool fileEntry = d.rfind("added:   dir  ", 0) == 0 || d.rfind("added:   file ", 0) == 0;
        if (!fileEntry)
            continue;
        std::string path = d.substr(14);
        auto under = [&path](const std::string &dir) {
            return _strnicmp(path.c_str(), dir.c_str(), dir.size()) == 0 &&
                   (path.size() == dir.size() || path[dir.size()] == '\\');
        };
        if (!under(kDefaultDir) && !under(groupFolder))
            out.push_back(d);
    }
    return out;
}

}  // namespace

// A silent install with a server that refuses the group, a reinstall with one that does not
// answer, and the removal: links made, replaced and taken away, and the prefix as it was.
TEST(Links, MadeReplacedAndRemovedWithoutAProgramManager)
{
    e2e::PrefixState before = e2e::TakePrefixState();
    const std::string folder = Common() + "\\Tarnwell";
    {
        ProgmanRecorder refusing("refuse");
        ASSERT_TRUE(refusing.ready()) << refusing.why();
        RunResult r = e2e::PlaySetup("-s -l");
        EXPECT_RUN(r, 0);
        EXPECT_INSTALLED(kDefaultDir, "Tarnwell", Common());
        EXPECT_EQ(4u, e2e::LinksOf("Tarnwell", Common()).size()) << e2e::Lines(e2e::LinksOf("Tarnwell", Common()));
        EXPECT_TRUE(e2e::LogHas(r, "Creating group\r\ncreating icons as shell links in " + folder + "\r\n")) << r.log;
        for (const PayloadFile &f : kPayload) {
            if (!f.iconTitle)
                continue;
            EXPECT_TRUE(e2e::LogHas(r, std::string("creating icon for ") + kDefaultDir + "\\" + f.name + "\r\n")) << r.log;
            std::string path = folder + "\\" + f.iconTitle + ".lnk";
            e2e::Link link = e2e::ReadLink(path);
            std::cout << "[ observed ] " << path << " -> " << link.target << ", working in " << link.workDir << "\n";
        }
        EXPECT_FALSE(FileExists(e2e::ProgramsFolder() + "\\Tarnwell")) << "a group was made in the user's folder";
        EXPECT_EQ(Lines{"[CreateGroup(Tarnwell)]"}, refusing.Commands());
    }
    {
        ProgmanRecorder silent("silent");
        ASSERT_TRUE(silent.ready()) << silent.why();
        ASSERT_TRUE(WriteWholeFile(folder + "\\Tarnwell.lnk", "stale"));
        RunResult r = e2e::PlaySetup("-s");
        EXPECT_RUN(r, 0);
        EXPECT_INSTALLED(kDefaultDir, "Tarnwell", Common());
        EXPECT_EQ(4u, e2e::LinksOf("Tarnwell", Common()).size()) << e2e::Lines(e2e::LinksOf("Tarnwell", Common()));
        EXPECT_TRUE(e2e::ReadLink(folder + "\\Tarnwell.lnk").ok) << "the stale link was not replaced";

        EXPECT_RUN(e2e::PlaySetup("-r -s"), 0);
        EXPECT_REMOVED(kDefaultDir, "Tarnwell", false, Common());
    }
    Lines diff = e2e::PrefixDifferences(before, e2e::TakePrefixState());
    EXPECT_TRUE(diff.empty()) << "install and removal left the prefix changed:\n" << e2e::Lines(diff);
}

// A folder of another name keeps what else it holds; the dialog lists no group, as no server
// sends one; the removal goes through the uninstall entry.
TEST(Links, AFolderOfAnotherNameKeepsItsForeignLink)
{
    const std::string group = "TwTest Shared", folder = Common() + "\\" + group;
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    ASSERT_TRUE(WriteWholeFile(folder + "\\Other Program.lnk", "theirs"));
    ProgmanRecorder refusing("refuse");
    ASSERT_TRUE(refusing.ready()) << refusing.why();
    RunResult r = e2e::PlaySetup("-i", InstallIntoGroup(group));
    EXPECT_RUN(r, 0);
    EXPECT_TRUE(GroupList(r).empty()) << e2e::Lines(GroupList(r));
    EXPECT_INSTALLED(kDefaultDir, group, Common());
    EXPECT_EQ(5u, ListFiles(folder).size()) << e2e::Lines(ListFiles(folder));

    e2e::RunOptions opts;
    opts.commandLine = e2e::RegValue(HKEY_LOCAL_MACHINE, e2e::kUninstallKey, "QuietUninstallString");
    EXPECT_RUN(e2e::Play(opts), 0);
    EXPECT_REMOVED(kDefaultDir, group, true, Common());
    EXPECT_EQ(Lines{"Other Program.lnk"}, ListFiles(folder));
    RemoveTree(folder);
}

// Group names that are not file names: a path typed into the dialog is mapped into one folder
// name inside the Programs folder; a device name is refused, and the install goes on without
// items.
TEST(Links, HostileGroupNamesStayInsideTheProgramsFolder)
{
    ProgmanRecorder refusing("refuse");
    ASSERT_TRUE(refusing.ready()) << refusing.why();
    const std::string typed = "..\\..\\..\\..\\..\\C:\\TwEvil*\\x";
    const std::string mapped = Common() + "\\.._.._.._.._.._C__TwEvil__x";
    e2e::PrefixState before = e2e::TakePrefixState();
    RunResult r = e2e::PlaySetup("-i -l", InstallIntoGroup(typed));
    EXPECT_RUN(r, 0);
    EXPECT_EQ(typed, e2e::ProfileValue("GROUP"));
    EXPECT_EQ(4u, ListFiles(mapped, "*.lnk").size()) << e2e::Lines(ListFiles(mapped));
    Lines elsewhere = AddedElsewhere(before, mapped);
    EXPECT_TRUE(elsewhere.empty()) << e2e::Lines(elsewhere);
    EXPECT_RUN(e2e::PlaySetup("-r -s"), 0);
    EXPECT_TRUE(ListFiles(mapped).empty()) << e2e::Lines(ListFiles(mapped));
    RemoveDirectoryA(mapped.c_str());

    WriteProfileStringA(e2e::kProduct, "GROUP", "CON");
    before = e2e::TakePrefixState();
    r = e2e::PlaySetup("-s -l");
    EXPECT_RUN(r, 0);
    EXPECT_TRUE(e2e::LogHas(r, "no shell links: the group name CON cannot name a folder\r\n")) << r.log;
    EXPECT_FALSE(e2e::LogHas(r, "creating icon for")) << r.log;
    elsewhere = AddedElsewhere(before, kDefaultDir);
    EXPECT_TRUE(elsewhere.empty()) << e2e::Lines(elsewhere);
    EXPECT_RUN(e2e::PlaySetup("-r -s"), 0);
    EXPECT_FALSE(FileExists(kDefaultDir));
    EXPECT_NO_RECORD();
}
