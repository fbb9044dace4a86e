// Program Manager command strings, the Groups reply and the uninstall command line.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "progman/commands.h"
#include "progman/linkname.h"

namespace {

std::string Command(ProgmanCommandKind kind, const char *a, const char *b = nullptr, const char *c = nullptr)
{
    size_t n = ComposeProgmanCommand(nullptr, 0, kind, a, b, c);
    if (n == 0)
        return "<refused>";
    std::vector<char> buf(n + 1, 'x');
    EXPECT_EQ(n, ComposeProgmanCommand(buf.data(), buf.size(), kind, a, b, c));
    EXPECT_EQ(n, strlen(buf.data()));
    return buf.data();
}

std::string LinkName(const std::string &name, size_t cap = 256)
{
    std::vector<char> out(cap + 1, 'x');
    int made = MakeLinkFileName(out.data(), cap, name.c_str());
    EXPECT_EQ('x', out[cap]);
    if (!made) {
        EXPECT_EQ('\0', out[0]);
    }
    return made ? out.data() : "<refused>";
}

std::vector<std::string> Names(const std::string &reply)
{
    std::vector<char> text(reply.begin(), reply.end());
    text.push_back('\0');
    std::vector<std::string> names;
    char *cursor = text.data();
    while (char *name = NextGroupName(&cursor))
        names.push_back(name);
    return names;
}

}  // namespace

TEST(ProgmanCommands, PlainValuesGiveTheFixedForms)
{
    EXPECT_EQ("[CreateGroup(Tarnwell)]", Command(PROGMAN_CREATE_GROUP, "Tarnwell"));
    EXPECT_EQ("[DeleteGroup(Tarnwell)]", Command(PROGMAN_DELETE_GROUP, "Tarnwell"));
    EXPECT_EQ("[ShowGroup(Net Tools,1)]", Command(PROGMAN_SHOW_GROUP, "Net Tools"));
    EXPECT_EQ("[DeleteItem(\"Tarnwell\")]", Command(PROGMAN_DELETE_ITEM, "Tarnwell"));
    EXPECT_EQ("[AddItem(\"C:\\Program Files\\Tarnwell\\tarnwell.exe\",\"Tarnwell\",,,,,D:\\Data)]",
              Command(PROGMAN_ADD_ITEM, "C:\\Program Files\\Tarnwell\\tarnwell.exe", "Tarnwell", "D:\\Data"));
}

TEST(ProgmanCommands, ValuesTheSyntaxWouldMisreadAreQuoted)
{
    EXPECT_EQ("[CreateGroup(\"Tools (Net)\")]", Command(PROGMAN_CREATE_GROUP, "Tools (Net)"));
    EXPECT_EQ("[DeleteGroup(\"a,b\")]", Command(PROGMAN_DELETE_GROUP, "a,b"));
    EXPECT_EQ("[ShowGroup(\"x]y[z\",1)]", Command(PROGMAN_SHOW_GROUP, "x]y[z"));
    // An injected second command stays inside the one argument.
    EXPECT_EQ("[CreateGroup(\"G)][DeleteGroup(Main)\")]", Command(PROGMAN_CREATE_GROUP, "G)][DeleteGroup(Main)"));
    EXPECT_EQ("[AddItem(\"C:\\A\\t.exe\",\"T\",,,,,\"C:\\Program Files (x86)\\Tarnwell\")]",
              Command(PROGMAN_ADD_ITEM, "C:\\A\\t.exe", "T", "C:\\Program Files (x86)\\Tarnwell"));
    // Leading and trailing blanks would be stripped from an unquoted argument.
    EXPECT_EQ("[CreateGroup(\" Lead\")]", Command(PROGMAN_CREATE_GROUP, " Lead"));
    EXPECT_EQ("[CreateGroup(\"Trail \")]", Command(PROGMAN_CREATE_GROUP, "Trail "));
    EXPECT_EQ("[CreateGroup(In Between)]", Command(PROGMAN_CREATE_GROUP, "In Between"));
    EXPECT_EQ("[CreateGroup()]", Command(PROGMAN_CREATE_GROUP, ""));
    EXPECT_EQ("[CreateGroup()]", Command(PROGMAN_CREATE_GROUP, nullptr));
}

TEST(ProgmanCommands, DoubleQuotesAreRefusedInEverySlot)
{
    EXPECT_EQ("<refused>", Command(PROGMAN_CREATE_GROUP, "My \"Best\""));
    EXPECT_EQ("<refused>", Command(PROGMAN_DELETE_ITEM, "a\")][DeleteGroup(Main)][x(\""));
    EXPECT_EQ("<refused>", Command(PROGMAN_ADD_ITEM, "C:\\t.exe", "T\"", "C:\\"));
    EXPECT_EQ("<refused>", Command(PROGMAN_ADD_ITEM, "C:\\t.exe", "T", "C:\\\""));
    EXPECT_FALSE(CommandValueAcceptable("a\"b"));
    EXPECT_TRUE(CommandValueAcceptable("Tools (Net)"));
}

TEST(ProgmanCommands, LongInputsAreMeasuredAndNeverOverrun)
{
    std::string dir(600, 'd'), cmd = "C:\\" + std::string(700, 'c') + ".exe";
    size_t n = ComposeProgmanCommand(nullptr, 0, PROGMAN_ADD_ITEM, cmd.c_str(), "Title", dir.c_str());
    EXPECT_EQ(strlen("[AddItem(\"\",\"Title\",,,,,)]") + cmd.size() + dir.size(), n);
    EXPECT_GT(n, 516u);
    char small[32];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(n, ComposeProgmanCommand(small, 16, PROGMAN_ADD_ITEM, cmd.c_str(), "Title", dir.c_str()));
    EXPECT_EQ(15u, strlen(small));
    EXPECT_EQ('x', small[16]);
}

TEST(GroupReply, SplitAtRunsOfLineBreaksKeepingBlanks)
{
    EXPECT_EQ((std::vector<std::string>{"Main", "Accessories", "Startup"}), Names("Main\r\nAccessories\r\nStartup\r\n"));
    EXPECT_EQ((std::vector<std::string>{" Net Tools ", "Games"}), Names("\r\n\r\n Net Tools \n\n\rGames"));
    EXPECT_TRUE(Names("").empty());
    EXPECT_TRUE(Names("\r\n\r\n").empty());
}

TEST(GroupReply, ALongReplyIsCutAfterItsLastWholeLine)
{
    char buf[16];
    // Fits with its zero.
    EXPECT_EQ(13u, CopyGroupReply(buf, sizeof buf, "Main\r\nGames\r\n", 14));
    EXPECT_STREQ("Main\r\nGames\r\n", buf);
    // No zero byte in the reply: the size ends it.
    EXPECT_EQ(6u, CopyGroupReply(buf, sizeof buf, "Main\r\nGames", 6));
    EXPECT_STREQ("Main\r\n", buf);
    // Too long: the line that would be cut is dropped.
    const char *reply = "Main\r\nAccessories\r\nStartup\r\n";
    EXPECT_EQ(6u, CopyGroupReply(buf, sizeof buf, reply, strlen(reply) + 1));
    EXPECT_STREQ("Main\r\n", buf);
    // The cut falls right before a line break: the line in front of it is whole.
    EXPECT_EQ(15u, CopyGroupReply(buf, sizeof buf, "Main\r\nAccessori\r\n", 18));
    EXPECT_EQ((std::vector<std::string>{"Main", "Accessori"}), Names(buf));
    // One line longer than the buffer: nothing.
    EXPECT_EQ(0u, CopyGroupReply(buf, sizeof buf, "A very long group name\r\n", 25));
    EXPECT_STREQ("", buf);
    EXPECT_EQ(0u, CopyGroupReply(buf, sizeof buf, nullptr, 0));
}

TEST(UninstallString, ProgramPathQuotedArgumentsAsTheyAre)
{
    const char *dir = "C:\\Program Files\\My Tools";
    char buf[256];
    size_t n = ComposeUninstallString(buf, sizeof buf, dir, "removetw", nullptr, dir, "Net Tools");
    EXPECT_STREQ("\"C:\\Program Files\\My Tools\\removetw.exe\" -f C:\\Program Files\\My Tools"
                 " -d C:\\Program Files\\My Tools -g Net Tools", buf);
    EXPECT_EQ(strlen(buf), n);
    ComposeUninstallString(buf, sizeof buf, dir, "removetw", "-s", dir, "Net Tools");
    EXPECT_STREQ("\"C:\\Program Files\\My Tools\\removetw.exe\" -s -f C:\\Program Files\\My Tools"
                 " -d C:\\Program Files\\My Tools -g Net Tools", buf);
    // Three full directories and a full group name are measured whole.
    std::string d(255, 'd'), g(255, 'g');
    // A drive root is joined to the uninstaller's name without a second backslash.
    ComposeUninstallString(buf, sizeof buf, "T:\\", "removetw", "-s", "T:\\", "Tarnwell");
    EXPECT_STREQ("\"T:\\removetw.exe\" -s -f T:\\ -d T:\\ -g Tarnwell", buf);
    EXPECT_EQ(3 * 255 + 255 + 8 + 19u, ComposeUninstallString(nullptr, 0, d.c_str(), "removetw", nullptr, d.c_str(), g.c_str()));
}

// Names typed by the user become one file name inside the group folder, or none at all.
TEST(LinkName, SeparatorsAndWildcardsAreMappedDevicesAndEmptyNamesRefused)
{
    EXPECT_EQ("Tarnwell Help File", LinkName("Tarnwell Help File"));
    EXPECT_EQ(".._.._Windows_System32", LinkName("..\\../Windows\\System32"));
    EXPECT_EQ("C__Evil_ _ _ _ _ _", LinkName("C:\\Evil* ? \" < > |"));
    EXPECT_EQ("tab_here", LinkName("tab\there"));
    EXPECT_EQ("Net Tools", LinkName("Net Tools. . "));
    EXPECT_EQ("..x", LinkName("..x"));
    for (const char *refused : {"", "..", ". .", "CON", "con.txt", "Nul ", "COM1", "lpt9.lnk", "CONOUT$", "aux .x",
                             "com\xb3", "LPT\xb9.txt"})
        EXPECT_EQ("<refused>", LinkName(refused)) << refused;
    for (const char *kept : {"CONSOLE", "COM", "COM10", "LPTX", "PRN2"})
        EXPECT_EQ(kept, LinkName(kept));
    // A name must fit whole with its terminating zero.
    EXPECT_EQ("abc", LinkName("abc", 4));
    EXPECT_EQ("<refused>", LinkName("abcd", 4));
}
