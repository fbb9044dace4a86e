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
