// End-to-end: Start Menu items made as shell links when no Program Manager takes the group.
#include <gtest/gtest.h>

#include "progmantest.h"
#include "resources/resource.h"
#include "scenario.h"
#include "testutil.h"

using namespace e2e;

namespace {

std::string Common() { return CommonProgramsFolder(); }

Script InstallIntoGroup(const std::string &group)
{
    Script s;
    s.Expect("PROGRAM files directory").Press(IDOK);
    s.Expect("Program Manager Group").Type(IDC_GETGROUP_COMBO, group).Press(IDOK);
    s.Expect("Congratulations!", "Installation successful!").Press(IDOK);
    return s;
}

}  // namespace

// A silent install with a server that refuses the group, a reinstall with one that does not
// answer (over a spoilt link), and the removal: the prefix ends as it began.
TEST(Links, MadeReplacedAndRemovedWithoutAProgramManager)
{
    PrefixState before = TakePrefixState();
    const std::string folder = Common() + "\\Tarnwell";
    {
        ProgmanRecorder refusing("refuse");
        ASSERT_TRUE(refusing.ready()) << refusing.why();
        RunResult r = PlaySetup("-s -l");
        EXPECT_RUN(r, 0);
        EXPECT_INSTALLED(kDefaultDir, "Tarnwell", Common());
        EXPECT_TRUE(LogHas(r, "Creating group\r\ncreating icons as shell links in " + folder + "\r\ncreating icon for "))
            << r.log;
        EXPECT_FALSE(FileExists(ProgramsFolder() + "\\Tarnwell")) << "a group was made in the user's folder";
        EXPECT_EQ(std::vector<std::string>{"[CreateGroup(Tarnwell)]"}, refusing.Commands());
    }
    ProgmanRecorder silent("silent");
    ASSERT_TRUE(silent.ready()) << silent.why();
    ASSERT_TRUE(WriteWholeFile(folder + "\\Tarnwell.lnk", "spoilt"));
    EXPECT_RUN(PlaySetup("-s"), 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell", Common());
    EXPECT_EQ(4u, LinksOf("Tarnwell", Common()).size()) << Lines(LinksOf("Tarnwell", Common()));
    EXPECT_TRUE(e2e::ReadLink(folder + "\\Tarnwell.lnk").ok) << "the spoilt link was not replaced";

    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false, Common());
    std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
    EXPECT_TRUE(diff.empty()) << "install and removal left the prefix changed:\n" << Lines(diff);
}

// A path typed into the dialog as the group becomes one folder name inside the Programs
// folder, which keeps another program's link when the product goes (not being the product's
// group); the dialog lists no group, as no server sends one. A device name is refused, and the
// install goes on without items. The user's Programs folder stands in for the all-users one.
TEST(Links, OtherAndHostileGroupNamesStayInsideTheirFolder)
{
    ProgmanRecorder refusing("refuse");
    ASSERT_TRUE(refusing.ready()) << refusing.why();
    // Five levels up from the Programs folder is C:\.
    const std::string typed = "..\\..\\..\\..\\..\\TwEvil\\C:\\TwEvil*";
    const std::string mapped = Common() + "\\.._.._.._.._.._TwEvil_C__TwEvil_";
    ASSERT_TRUE(CreateDirectoryA(mapped.c_str(), NULL));
    ASSERT_TRUE(WriteWholeFile(mapped + "\\Other Program.lnk", "theirs"));
    RunResult r = PlaySetup("-i", InstallIntoGroup(typed));
    EXPECT_RUN(r, 0);
    for (const Seen &w : r.windows) {
        if (w.info.caption == "Program Manager Group") {
            EXPECT_TRUE(ControlOf(w.info, IDC_GETGROUP_COMBO).items.empty());
        }
    }
    EXPECT_EQ(typed, ProfileValue("GROUP"));
    EXPECT_EQ(5u, ListFiles(mapped, "*.lnk").size()) << Lines(ListFiles(mapped));
    EXPECT_FALSE(FileExists("C:\\TwEvil"));
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_EQ(std::vector<std::string>{"Other Program.lnk"}, ListFiles(mapped));
    RemoveTree(mapped);

    // A file in the way of the all-users group folder: the user's Programs folder takes the links.
    const std::string inTheWay = Common() + "\\Tarnwell";
    ASSERT_TRUE(WriteWholeFile(inTheWay, "in the way"));
    EXPECT_RUN(PlaySetup("-s"), 0);
    EXPECT_INSTALLED(kDefaultDir, "Tarnwell");
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_REMOVED(kDefaultDir, "Tarnwell", false);
    DeleteFileA(inTheWay.c_str());

    WriteProfileStringA(kProduct, "GROUP", "CON");
    r = PlaySetup("-s -l");
    EXPECT_RUN(r, 0);
    EXPECT_TRUE(LogHas(r, "no shell links: the group name CON cannot name a folder\r\n")) << r.log;
    EXPECT_FALSE(LogHas(r, "creating icon for")) << r.log;
    EXPECT_RUN(PlaySetup("-r -s"), 0);
    EXPECT_FALSE(FileExists(kDefaultDir));
    EXPECT_NO_RECORD();
}
