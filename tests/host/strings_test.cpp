// Bounded string helpers and message insert expansion.
#include <gtest/gtest.h>

#include <string.h>

#include "support/format.h"
#include "support/strbuf.h"

TEST(Strbuf, CopyAppendFormatCutSafelyAndReportIt)
{
    char buf[8];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(1, StrCopy(buf, sizeof buf, "1234567"));
    EXPECT_STREQ("1234567", buf);
    EXPECT_EQ(0, StrCopy(buf, sizeof buf, "123456789"));
    EXPECT_STREQ("1234567", buf);

    StrCopy(buf, sizeof buf, "abc");
    EXPECT_EQ(1, StrAppend(buf, sizeof buf, "def"));
    EXPECT_EQ(0, StrAppend(buf, sizeof buf, "gh"));
    EXPECT_STREQ("abcdefg", buf);

    EXPECT_EQ(0, StrFormat(buf, sizeof buf, "%u-%s", 12345u, "long"));
    EXPECT_STREQ("12345-l", buf);
    EXPECT_EQ(0, StrCopy(buf, 0, "a"));  // no room at all: nothing written
}

TEST(Strbuf, FormatsTheProgramsConversions)
{
    char buf[64];
    EXPECT_EQ(1, StrFormat(buf, sizeof buf, "%s\\%s|%u|%d|%i|%x|%X|%c|%%|%lu",
                           "C:\\Tw", "a.txt", 4294967295u, -2147483647 - 1, 7, 0xbeefu, 0xBEEFu, 'q', 12ul));
    EXPECT_STREQ("C:\\Tw\\a.txt|4294967295|-2147483648|7|beef|BEEF|q|%|12", buf);
    EXPECT_EQ(1, StrFormat(buf, sizeof buf, "~tw%04X.tmp|%5d|%-4u|%05d|%3s|%-3c|%2u", 0xAu, -42, 7u, -42, "ab", 'z', 123u));
    EXPECT_STREQ("~tw000A.tmp|  -42|7   |-0042| ab|z  |123", buf);
    EXPECT_EQ(1, StrFormat(buf, sizeof buf, "%.3s|%.*s|%zu|%ld|%hu|%hd", "abcdef", 2, "xyz", sizeof buf, -5l, 65537u, 65535));
    EXPECT_STREQ("abc|xy|64|-5|1|-1", buf);
    // A conversion of no one's is left as written; a lone '%' at the end too.
    const char *odd = "%q %u%";
    EXPECT_EQ(1, StrFormat(buf, sizeof buf, odd, 5u));
    EXPECT_STREQ("%q 5%", buf);
    // Width counts against the room like any other text.
    EXPECT_EQ(0, StrFormat(buf, 6, "%08u", 1u));
    EXPECT_STREQ("00000", buf);
    EXPECT_EQ(1, StrFormat(buf, 1, "%s", ""));
    EXPECT_STREQ("", buf);
    EXPECT_EQ(0, StrFormat(buf, 1, "%s", "x"));
    EXPECT_STREQ("", buf);
}

TEST(Strbuf, BackslashHelpers)
{
    char buf[8] = "C:\\Tw\\";
    StripTrailingBackslash(buf);
    EXPECT_STREQ("C:\\Tw", buf);
    StripTrailingBackslash(buf);
    EXPECT_STREQ("C:\\Tw", buf);
    // A drive root keeps its backslash: "D:" is the drive's current directory.
    char root[8] = "D:\\";
    StripTrailingBackslash(root);
    EXPECT_STREQ("D:\\", root);
    char joined[9];
    EXPECT_EQ(1, JoinPath(joined, sizeof joined, root, "a.txt"));
    EXPECT_STREQ("D:\\a.txt", joined);
    EXPECT_EQ(1, JoinPath(joined, sizeof joined, "D:\\a", "b"));
    EXPECT_STREQ("D:\\a\\b", joined);
    EXPECT_EQ(0, JoinPath(joined, sizeof joined, "D:\\", "abcdef"));
    EXPECT_STREQ("", joined);
    EXPECT_EQ(1, EnsureTrailingBackslash(buf, sizeof buf));
    EXPECT_EQ(1, EnsureTrailingBackslash(buf, sizeof buf));
    EXPECT_STREQ("C:\\Tw\\", buf);
    char full[6] = "C:\\ab";
    EXPECT_EQ(0, EnsureTrailingBackslash(full, sizeof full));
    EXPECT_STREQ("C:\\ab", full);
    EXPECT_TRUE(StrEqualNoCase("Tarnwell.EXE", "tarnwell.exe"));
    EXPECT_FALSE(StrEqualNoCase("tarnwell", "tarnwell.exe"));
}

TEST(Inserts, ExpandsByPositionKeepingOtherText)
{
    char out[128];
    FormatMessageText(out, sizeof out, "Creation of %1!s! failed. (%2!u!)", "C:\\Data", 5u);
    EXPECT_STREQ("Creation of C:\\Data failed. (5)", out);

    FormatMessageText(out, sizeof out, "%2!s! before %1!s!, %2!s! again", "one", "two");
    EXPECT_STREQ("two before one, two again", out);

    FormatMessageText(out, sizeof out, "Removal process complete.\nCheck %1!s!\nthat", "D:\\X");
    EXPECT_STREQ("Removal process complete.\nCheck D:\\X\nthat", out);

    FormatMessageText(out, sizeof out, "Insert disk %1!u! containing %2!s!", 1u, "mib.txt");
    EXPECT_STREQ("Insert disk 1 containing mib.txt", out);

    FormatMessageText(out, sizeof out, "100%% of %1", "it");
    EXPECT_STREQ("100% of it", out);

    FormatMessageText(out, sizeof out, "10005 DEBUG - Unable to load string");
    EXPECT_STREQ("10005 DEBUG - Unable to load string", out);
}

TEST(Inserts, LongExpansionIsCutToTheBuffer)
{
    char out[16];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(1, FormatMessageText(out, sizeof out, "Copying %1!s! to %2!s!", "C:\\a\\very\\long\\path", "D:\\b"));
    EXPECT_EQ(15u, strlen(out));
    EXPECT_STREQ("Copying C:\\a\\ve", out);

    // The template may be the output buffer: a caller expands in place.
    char same[64] = "You are running NT %1!u!.%2!u!.";
    FormatMessageText(same, sizeof same, same, 3u, 50u);
    EXPECT_STREQ("You are running NT 3.50.", same);

    // A position past the nine argument slots names no argument: nothing is read for it.
    char kinds[TW_MAX_INSERTS + 1];
    EXPECT_EQ(0, InsertKinds("%11 and %12!s!", kinds));
    EXPECT_EQ(2, InsertKinds("%2!u! of %10", kinds));
    FormatMessageText(out, sizeof out, "Code %11.");
    EXPECT_STREQ("Code .", out);

    InsertArg args[1] = {{nullptr, 0}};
    char tiny[4];
    EXPECT_EQ(0, ExpandInserts(tiny, sizeof tiny, "%1!s!abcdef", args, 1));
    EXPECT_STREQ("abc", tiny);
}
