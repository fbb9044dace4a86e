// Command-line switches, main-window geometry and dialog centring.
#include <gtest/gtest.h>

#include <string>

#include "shell/switches.h"
#include "support/layout.h"

namespace {

// Flags as "irsl" letters, '-' for clear, after parsing and the silent default.
std::string Mode(const char *tail)
{
    SetupModeFlags f = ApplySilentDefault(ParseSwitches(tail, SetupModeFlags{}));
    std::string s = "----";
    if (f.installMode) s[0] = 'i';
    if (f.removeMode) s[1] = 'r';
    if (f.silent) s[2] = 's';
    if (f.logging) s[3] = 'l';
    return s;
}

}  // namespace

TEST(Switches, TableInItsOrder)
{
    EXPECT_EQ("----", Mode(""));
    EXPECT_EQ("----", Mode(nullptr));
    EXPECT_EQ("i---", Mode("-i"));
    EXPECT_EQ("-r--", Mode("-r"));
    EXPECT_EQ("i---", Mode("-r -i"));       // -i is tested first
    EXPECT_EQ("i---", Mode("-ini"));        // any argument holding -i
    EXPECT_EQ("i---", Mode("/x-install"));
    EXPECT_EQ("i-s-", Mode("-q"));          // silent implies install
    EXPECT_EQ("i-s-", Mode("-s"));
    EXPECT_EQ("-rs-", Mode("-r -s"));
    EXPECT_EQ("-rsl", Mode("-r -s -l"));
    EXPECT_EQ("---l", Mode("-l"));
    EXPECT_EQ("i-s-", Mode("-installqu -l"));   // nothing after the quiet forms is examined
    EXPECT_EQ("i-s-", Mode("-installsilent -r -l"));
    EXPECT_EQ("i---", Mode("-installq"));   // not the quiet form: plain -i
    EXPECT_EQ("----", Mode("-R -I -S -L"));  // case-sensitive
    EXPECT_EQ("----", Mode("install remove"));
}

TEST(Switches, OverlongTailIsScannedWhole)
{
    std::string tail(100000, 'x');
    tail += " -r -s";
    EXPECT_EQ("-rs-", Mode(tail.c_str()));
}

// The whole command line of the setup: values taken off first, the mode from what remains,
// then the checks that refuse a line before anything is changed.
TEST(Switches, ValuesSlashFormsAndRefusedLines)
{
    struct Case {
        const char *tail, *mode, *dir, *data, *group, *log;
        int error;
    };
    const std::string huge = "-f C:\\" + std::string(600, 'a');
    const std::string tooLong = "-f C:\\" + std::string(COMMAND_VALUE_MAX, 'a');
    const std::string group = "-g " + std::string(COMMAND_VALUE_MAX + 1, 'g');
    const Case cases[] = {
        {"/S", "i-s-", "", "", "", "", COMMAND_OK},
        {"/silent", "i-s-", "", "", "", "", COMMAND_OK},
        {"/VerySilent", "i-s-", "", "", "", "", COMMAND_OK},
        {"/q", "i-s-", "", "", "", "", COMMAND_OK},
        {"/QN", "i-s-", "", "", "", "", COMMAND_OK},
        {"/quiet", "i-s-", "", "", "", "", COMMAND_OK},
        {"/r /s /l", "-rsl", "", "", "", "", COMMAND_OK},
        {"/I -r", "i---", "", "", "", "", COMMAND_OK},
        {"/SILENTLY", "----", "", "", "", "", COMMAND_OK},   // a word, not a switch
        {"-s -f D:\\x-ray", "i-s-", "D:\\x-ray", "", "", "", COMMAND_OK},
        {"-r -s -g x-install", "-rs-", "", "", "x-install", "", COMMAND_OK},
        {"-f C:\\Program Files\\Tarnwell Net -g Net Tools -s", "i-s-", "C:\\Program Files\\Tarnwell Net", "", "Net Tools", "", COMMAND_OK},
        {"-f \"C:\\My -r Dir\" -d \"D:\\in -i side\" /S", "i-s-", "C:\\My -r Dir", "D:\\in -i side", "", "", COMMAND_OK},
        {"-f C:\\Tw\\ /S /L", "i-sl", "C:\\Tw\\", "", "", "", COMMAND_OK},
        {"-s -log C:\\logs\\setup run.log", "i-sl", "", "", "", "C:\\logs\\setup run.log", COMMAND_OK},
        {"/S /LOG=\"C:\\my logs\\tw.log\" -f \\\\srv\\apps\\Tw", "i-sl", "\\\\srv\\apps\\Tw", "", "", "C:\\my logs\\tw.log", COMMAND_OK},
        {"-installqu -f D:\\Tw -l", "i-s-", "D:\\Tw", "", "", "", COMMAND_OK},
        {"-log tw.log -g \"Net (Tools)\"", "---l", "", "", "Net (Tools)", "tw.log", COMMAND_OK},
        // Refused, with the silent switch still read after the bad part.
        {"-f -s", "i-s-", "", "", "", "", COMMAND_NO_VALUE},
        {"-i -d", "i---", "", "", "", "", COMMAND_NO_VALUE},
        {"/LOG= /S", "i-s-", "", "", "", "", COMMAND_NO_VALUE},
        {"-f Tarnwell", "----", "Tarnwell", "", "", "", COMMAND_NOT_ABSOLUTE},
        {"-d C:Tw", "----", "", "C:Tw", "", "", COMMAND_NOT_ABSOLUTE},
        {"-f \\\\srv", "----", "\\\\srv", "", "", "", COMMAND_NOT_ABSOLUTE},
        {"-f C:\\Tw\\..\\Windows", "----", "C:\\Tw\\..\\Windows", "", "", "", COMMAND_BAD_NAME},
        {"-f C:\\con\\x", "----", "C:\\con\\x", "", "", "", COMMAND_BAD_NAME},
        {"-f C:\\a|b", "----", "C:\\a|b", "", "", "", COMMAND_BAD_NAME},
        {"-f C:\\a\\\\b", "----", "C:\\a\\\\b", "", "", "", COMMAND_BAD_NAME},
        {"-f C:\\a:b", "----", "C:\\a:b", "", "", "", COMMAND_BAD_NAME},
        {"-g Net\"Tools", "----", "", "", "Net\"Tools", "", COMMAND_BAD_NAME},
        {"-g NUL.txt", "----", "", "", "NUL.txt", "", COMMAND_BAD_GROUP},
        {"-g \" . \"", "----", "", "", " . ", "", COMMAND_BAD_GROUP},
        {"-log C:\\logs\\", "---l", "", "", "", "C:\\logs\\", COMMAND_BAD_NAME},
        {"-log lpt1.log", "---l", "", "", "", "lpt1.log", COMMAND_BAD_NAME},
        {tooLong.c_str(), "----", tooLong.c_str() + 3, "", "", "", COMMAND_TOO_LONG},
        {group.c_str(), "----", "", "", "", "", COMMAND_TOO_LONG},
        {huge.c_str(), "----", "", "", "", "", COMMAND_TOO_LONG},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tail);
        CommandLine line;
        if (ParseCommandLine(c.tail, &line))
            CheckCommandValues(&line);
        SetupModeFlags f = ApplySilentDefault(ModeFromCommand(&line, SetupModeFlags{}));
        std::string mode = "----";
        if (f.installMode) mode[0] = 'i';
        if (f.removeMode) mode[1] = 'r';
        if (f.silent) mode[2] = 's';
        if (f.logging) mode[3] = 'l';
        EXPECT_EQ(c.mode, mode);
        EXPECT_STREQ(c.dir, line.programDir);
        EXPECT_STREQ(c.data, line.dataDir);
        EXPECT_STREQ(c.group, line.groupName);
        EXPECT_STREQ(c.log, line.logFile);
        EXPECT_EQ(c.error, line.error);
        // The report names the bad part, cut to its buffer.
        EXPECT_EQ(c.error != COMMAND_OK, line.badSwitch[0] != '\0');
    }
    CommandLine line;
    EXPECT_FALSE(ParseCommandLine(huge.c_str(), &line));
    EXPECT_STREQ("-f", line.badSwitch);
    EXPECT_EQ(sizeof line.badValue - 1, strlen(line.badValue));
    EXPECT_STREQ("...", line.badValue + sizeof line.badValue - 4);
    EXPECT_TRUE(ParseCommandLine("-? /help /?", &line));
    EXPECT_TRUE(line.help);
}

TEST(MainWindow, FourFifthsCentredWithMinimum)
{
    WindowRect r = MainWindowRect(0, 0, 640, 480);
    EXPECT_EQ(600, r.width);
    EXPECT_EQ(400, r.height);
    EXPECT_EQ(20, r.x);
    EXPECT_EQ(40, r.y);

    r = MainWindowRect(0, 0, 1024, 768);
    EXPECT_EQ(816, r.width);
    EXPECT_EQ(612, r.height);
    EXPECT_EQ(104, r.x);
    EXPECT_EQ(78, r.y);

    r = MainWindowRect(0, 0, 1023, 767);    // integer fifths: 204 * 4, 153 * 4
    EXPECT_EQ(816, r.width);
    EXPECT_EQ(612, r.height);
    EXPECT_EQ(103, r.x);
    EXPECT_EQ(77, r.y);

    r = MainWindowRect(0, 0, 320, 200);     // smaller than the minimum: negative origin
    EXPECT_EQ(-140, r.x);
    EXPECT_EQ(-100, r.y);
}

TEST(Dialogs, CentredPlacementTruncatesAndClamps)
{
    Placement p = CentredPlacement(1024, 768, 301, 101, 0);
    EXPECT_EQ(362, p.x);    // 512 - 150
    EXPECT_EQ(334, p.y);    // 384 - 50
    p = CentredPlacement(1024, 768, 301, 101, 20);
    EXPECT_EQ(354, p.y);
    p = CentredPlacement(640, 480, 2000, 1000, 0);
    EXPECT_EQ(0, p.x);
    EXPECT_EQ(0, p.y);
    EXPECT_EQ(2000, p.width);
}
