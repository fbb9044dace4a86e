// The working directory's name and descriptor, and the check that the log is the file it names.
#include <gtest/gtest.h>

#include <string.h>

#include "changes/privatedir.h"
#include "support/finalpath.h"

TEST(PrivateDir, NameIsTheRandomBytesInHexUnderTemp)
{
    const unsigned char random[WORKING_DIR_RANDOM] = {0x00, 0x1f, 0xa0, 0xff, 0x12, 0x34, 0xab, 0xcd};
    char out[64];
    EXPECT_EQ(1, ComposeWorkingDirName(out, sizeof out, "C:\\TEMP\\", random));
    EXPECT_STREQ("C:\\TEMP\\~tw001fa0ff1234abcd\\", out);
    // One byte short of room: nothing, rather than a cut name that is someone else's.
    EXPECT_EQ(0, ComposeWorkingDirName(out, strlen("C:\\TEMP\\~tw001fa0ff1234abcd\\"), "C:\\TEMP\\", random));
    EXPECT_STREQ("", out);
}

TEST(PrivateDir, DescriptorIsAProtectedDaclForSystemAndAdministratorsOnly)
{
    const unsigned char expected[ADMIN_ONLY_DESCRIPTOR_SIZE] = {
        1, 0, 0x04, 0x90, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0,  // self-relative, protected DACL at 20
        2, 0, 52, 0, 2, 0, 0, 0,                                              // the DACL: 52 bytes, 2 ACEs
        0, 3, 20, 0, 0xff, 0x01, 0x1f, 0, 1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0,  // allow, inherited, all: S-1-5-18
        0, 3, 24, 0, 0xff, 0x01, 0x1f, 0, 1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0,  // S-1-5-32-544
    };
    unsigned char sd[ADMIN_ONLY_DESCRIPTOR_SIZE];
    EXPECT_EQ(0u, BuildAdminOnlyDescriptor(sd, sizeof sd - 1));
    ASSERT_EQ(sizeof sd, BuildAdminOnlyDescriptor(sd, sizeof sd));
    EXPECT_EQ(0, memcmp(expected, sd, sizeof sd));
    // Before Windows 2000 the same, without the protection flag.
    ASSERT_EQ(sizeof sd, BuildAdminOnlyDescriptor(sd, sizeof sd, 0));
    EXPECT_EQ(0x80, sd[3]);
    EXPECT_EQ(0, memcmp(expected + 4, sd + 4, sizeof sd - 4));
}

TEST(FinalPath, LogIsTheEntryOfItsDirectoryUnderItsOwnName)
{
    char dir[64];
    EXPECT_STREQ("setup.log", SplitDirectory("setup.log", dir, sizeof dir));
    EXPECT_STREQ(".", dir);
    EXPECT_STREQ("x.log", SplitDirectory("C:\\logs\\x.log", dir, sizeof dir));
    EXPECT_STREQ("C:\\logs", dir);
    EXPECT_STREQ("x.log", SplitDirectory("C:\\x.log", dir, sizeof dir));
    EXPECT_STREQ("C:\\", dir);
    EXPECT_STREQ("x.log", SplitDirectory("C:x.log", dir, sizeof dir));
    EXPECT_STREQ("C:.", dir);
    EXPECT_EQ(nullptr, SplitDirectory("C:\\logs\\", dir, sizeof dir));

    // The directory's final path, whatever it was reached through, and the name.
    EXPECT_EQ(1, FinalPathIsEntry("\\\\?\\D:\\Users\\ann\\Downloads\\SETUP.LOG", "\\\\?\\D:\\Users\\ann\\Downloads",
                                  "setup.log"));
    EXPECT_EQ(1, FinalPathIsEntry("\\\\?\\C:\\setup.log", "\\\\?\\C:\\", "setup.log"));
    // A link's target elsewhere, under another name, or below.
    EXPECT_EQ(0, FinalPathIsEntry("\\\\?\\C:\\windows\\win.ini", "\\\\?\\C:\\dl", "setup.log"));
    EXPECT_EQ(0, FinalPathIsEntry("\\\\?\\C:\\dl\\other.txt", "\\\\?\\C:\\dl", "setup.log"));
    EXPECT_EQ(0, FinalPathIsEntry("\\\\?\\C:\\dl2\\setup.log", "\\\\?\\C:\\dl", "setup.log"));
    EXPECT_EQ(0, FinalPathIsEntry("\\\\?\\C:\\dl\\sub\\setup.log", "\\\\?\\C:\\dl", "setup.log"));
}
