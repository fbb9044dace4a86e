// Search paths of the source location and the directory browser's filter and template.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "prompts/paths.h"
#include "support/strbuf.h"

TEST(PrepareSearchDirectory, AddsOneBackslashUnlessEmptyOrPresent)
{
    struct Case { const char *dir, *prepared; size_t base; } cases[] = {
        {"D:\\SETUP", "D:\\SETUP\\", 9}, {"D:\\SETUP\\", "D:\\SETUP\\", 9}, {"D:", "D:\\", 3}, {"", "", 0}};
    for (const Case &c : cases) {
        char dir[SOURCE_PATH_SIZE];
        StrCopy(dir, sizeof dir, c.dir);
        size_t base = 99;
        EXPECT_EQ(1, PrepareSearchDirectory(dir, sizeof dir, "tarnwell.exe", &base)) << c.dir;
        EXPECT_STREQ(c.prepared, dir);
        EXPECT_EQ(c.base, base) << c.dir;
    }
}

TEST(PrepareSearchDirectory, RefusesADirectoryThatLeavesNoRoomForTheName)
{
    const char *name = "tarnwell.exe";
    size_t longest = LongestSearchDirectory(SOURCE_PATH_SIZE, name);
    ASSERT_EQ(498u, longest);  // with its backslash and the name: 511 characters
    char dir[SOURCE_PATH_SIZE];
    size_t base = 0;
    StrCopy(dir, sizeof dir, std::string(longest, 'a').c_str());
    EXPECT_EQ(1, PrepareSearchDirectory(dir, sizeof dir, name, &base));
    EXPECT_EQ(511u, base + strlen(name));

    for (std::string over : {std::string(longest + 1, 'a'), std::string(longest + 1, 'a') + "\\"}) {
        StrCopy(dir, sizeof dir, over.c_str());
        EXPECT_EQ(0, PrepareSearchDirectory(dir, sizeof dir, name, &base));
        EXPECT_EQ(over, dir);  // left for the user to correct
    }
    char unterminated[8];
    memset(unterminated, 'x', sizeof unterminated);
    EXPECT_EQ(0, PrepareSearchDirectory(unterminated, sizeof unterminated, "", &base));
    EXPECT_EQ(0, PrepareSearchDirectory(nullptr, 0, "", &base));  // no buffer: nothing read
}

TEST(BrowseForDirectoryText, TemplateByCaseBlindSelectorAndAWellFormedFilter)
{
    EXPECT_STREQ("DLG_GETSRCDIR", BrowseTemplateFor("TARNWELL.exe"));
    EXPECT_STREQ("DLG_BROWSE", BrowseTemplateFor("tarnwell.ex_"));
    EXPECT_STREQ("DLG_BROWSE", BrowseTemplateFor(""));

    char filter[256];
    EXPECT_EQ(1, BuildAllFilesFilter(filter, sizeof filter, "All Files"));
    const char expected[] = "All Files (*.*)\0*.*\0";  // the array adds the list's closing zero
    EXPECT_EQ(0, memcmp(expected, filter, sizeof expected));
    // A name too long for the buffer is cut; the pair and the closing zeros stay inside it.
    EXPECT_EQ(0, BuildAllFilesFilter(filter, sizeof filter, std::string(300, 'n').c_str()));
    EXPECT_EQ(std::string(243, 'n') + " (*.*)", filter);
    EXPECT_EQ(0, memcmp("*.*\0\0", filter + 250, 5));
}
