// The uninstaller's command line as the uninstall entry, the Start Menu item and the relocated
// copy give it.
#include <gtest/gtest.h>

#include <string>

#include "../../payload/removetw/uninstargs.h"
#include "progman/commands.h"

TEST(UninstallArgs, UnquotedDirectoriesWithBlanksRunToTheNextSwitch)
{
    CommandLine a;
    ASSERT_TRUE(ParseCommandLine(
        "-f C:\\Program Files\\Tarnwell -d C:\\Program Files\\Tarnwell -g Net Tools", &a));
    EXPECT_STREQ("C:\\Program Files\\Tarnwell", a.programDir);
    EXPECT_STREQ("C:\\Program Files\\Tarnwell", a.dataDir);
    EXPECT_STREQ("Net Tools", a.groupName);
    EXPECT_FALSE(a.silent);
    EXPECT_FALSE(a.logging);
    EXPECT_FALSE(a.relocated);
}

TEST(UninstallArgs, SwitchesBeforeOrAtTheEnd)
{
    CommandLine a;
    ASSERT_TRUE(ParseCommandLine("-s -l -f C:\\Tw -d C:\\Tw -g Tarnwell", &a));
    EXPECT_TRUE(a.silent);
    EXPECT_TRUE(a.logging);
    EXPECT_STREQ("Tarnwell", a.groupName);

    ASSERT_TRUE(ParseCommandLine("-f C:\\Tw -d C:\\Tw -g Tarnwell Tools -s  ", &a));
    EXPECT_TRUE(a.silent);
    EXPECT_STREQ("Tarnwell Tools", a.groupName);

    // What a deployment tool appends to the uninstall entry's line.
    ASSERT_TRUE(ParseCommandLine("-f C:\\Tw -d C:\\Tw -g Tarnwell /VERYSILENT /L", &a));
    EXPECT_TRUE(a.silent);
    EXPECT_TRUE(a.logging);
    EXPECT_STREQ("Tarnwell", a.groupName);

    // A blank-free word that merely starts like a switch is part of the value.
    ASSERT_TRUE(ParseCommandLine("-f C:\\a -dir\\b -g G-s", &a));
    EXPECT_STREQ("C:\\a -dir\\b", a.programDir);
    EXPECT_STREQ("G-s", a.groupName);
}

TEST(UninstallArgs, QuotedValuesAndTheRelocatedForm)
{
    CommandLine a;
    ASSERT_TRUE(ParseCommandLine("-x 1234 -f \"C:\\My -d Dir\" -g \"Tools (Net)\"", &a));
    EXPECT_TRUE(a.relocated);
    EXPECT_EQ(1234ul, a.originalProcess);
    EXPECT_STREQ("C:\\My -d Dir", a.programDir);
    EXPECT_STREQ("", a.dataDir);
    EXPECT_STREQ("Tools (Net)", a.groupName);

    char cmd[200];
    ASSERT_TRUE(ComposeRelocatedCommand(cmd, sizeof cmd, "C:\\T\\removetw-7.exe", 88, "-s -f C:\\Tw"));
    EXPECT_STREQ("\"C:\\T\\removetw-7.exe\" -x 88 -s -f C:\\Tw", cmd);
    EXPECT_FALSE(ComposeRelocatedCommand(cmd, 10, "C:\\T\\removetw-7.exe", 88, ""));
}

TEST(UninstallArgs, EmptyLineAndValuesTooLong)
{
    CommandLine a;
    ASSERT_TRUE(ParseCommandLine("", &a));
    EXPECT_STREQ("", a.programDir);
    ASSERT_TRUE(ParseCommandLine(nullptr, &a));

    std::string longDir = "-f C:\\" + std::string(COMMAND_DIR_SIZE, 'a');
    EXPECT_FALSE(ParseCommandLine(longDir.c_str(), &a));
    std::string longGroup = "-f C:\\a -g " + std::string(COMMAND_GROUP_SIZE, 'g');
    EXPECT_FALSE(ParseCommandLine(longGroup.c_str(), &a));
}

// What the uninstall entry writes, the uninstaller reads back: values it would misread bare are
// quoted, and a quoted value keeps its blanks and any switch-like ending.
TEST(UninstallArgs, TheEntryLineReadsBackAsWritten)
{
    struct Case { const char *dir, *data, *group, *line; } cases[] = {
        {"C:\\Tools -d old", "D:\\Data", "Net -g Tools", "-f \"C:\\Tools -d old\" -d D:\\Data -g \"Net -g Tools\""},
        {"C:\\Tw", "", "Tools -s", "-f C:\\Tw -d \"\" -g \"Tools -s\""},
        {"C:\\Tw", "C:\\Tw", "Trail ", "-f C:\\Tw -d C:\\Tw -g \"Trail \""},
        {"C:\\Tw", "C:\\Tw", "Tools-s (Net)", "-f C:\\Tw -d C:\\Tw -g Tools-s (Net)"},
        {"C:\\Tw", "-r", "Net /Q", "-f C:\\Tw -d \"-r\" -g \"Net /Q\""},
        {"C:\\Tw /LOG=x", "C:\\Tw", "Net -log x", "-f \"C:\\Tw /LOG=x\" -d C:\\Tw -g \"Net -log x\""},
    };
    for (const Case &c : cases) {
        char line[512];
        ComposeUninstallString(line, sizeof line, c.dir, "removetw", "-s", c.data, c.group);
        std::string program = std::string("\"") + c.dir + "\\removetw.exe\" -s ";
        ASSERT_EQ(program + c.line, line);
        CommandLine a;
        ASSERT_TRUE(ParseCommandLine(line + program.size() - 3, &a)) << line;
        EXPECT_STREQ(c.dir, a.programDir);
        EXPECT_STREQ(c.data, a.dataDir);
        EXPECT_STREQ(c.group, a.groupName);
        EXPECT_TRUE(a.silent);
    }
}

TEST(UninstallArgs, PathIsWithinADirectory)
{
    EXPECT_TRUE(PathIsWithin("C:\\Program Files\\Tarnwell", "c:\\program files\\tarnwell\\"));
    EXPECT_TRUE(PathIsWithin("C:\\Program Files\\Tarnwell\\sub", "C:\\Program Files\\Tarnwell"));
    EXPECT_FALSE(PathIsWithin("C:\\Program Files\\Tarnwell2", "C:\\Program Files\\Tarnwell"));
    EXPECT_FALSE(PathIsWithin("C:\\", "C:\\Program Files"));
    EXPECT_FALSE(PathIsWithin("C:\\x", ""));
}
