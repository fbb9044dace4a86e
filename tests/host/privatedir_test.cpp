// The working directory's name and descriptor, and the check that the log is the file it names.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "changes/privatedir.h"
#include "support/finalpath.h"

namespace {

unsigned Word(const unsigned char *p) { return p[0] | p[1] << 8; }
uint32_t Long(const unsigned char *p) { return Word(p) | (uint32_t)Word(p + 2) << 16; }

// The SID at p in its string form, as Windows writes it ("S-1-5-18"); "" when it runs past end.
std::string SidString(const unsigned char *p, const unsigned char *end)
{
    if (end - p < 8 || end - p < 8 + 4 * p[1])
        return "";
    uint64_t authority = 0;
    for (int i = 2; i < 8; i++)
        authority = authority << 8 | p[i];
    std::string s = "S-" + std::to_string(p[0]) + "-" + std::to_string(authority);
    for (int i = 0; i < p[1]; i++)
        s += "-" + std::to_string(Long(p + 8 + 4 * i));
    return s;
}

}  // namespace

TEST(PrivateDir, NameIsTheRandomBytesInHexUnderTemp)
{
    const unsigned char random[WORKING_DIR_RANDOM] = {0x00, 0x1f, 0xa0, 0xff, 0x12, 0x34, 0xab, 0xcd};
    char out[64];
    EXPECT_EQ(1, ComposeWorkingDirName(out, sizeof out, "C:\\TEMP\\", random));
    EXPECT_STREQ("C:\\TEMP\\~tw001fa0ff1234abcd\\", out);
    const unsigned char other[WORKING_DIR_RANDOM] = {0x00, 0x1f, 0xa0, 0xff, 0x12, 0x34, 0xab, 0xce};
    char second[64];
    ComposeWorkingDirName(second, sizeof second, "C:\\TEMP\\", other);
    EXPECT_STRNE(out, second);
    // One byte short of room: nothing, rather than a cut name that is someone else's.
    EXPECT_EQ(0, ComposeWorkingDirName(out, strlen("C:\\TEMP\\~tw001fa0ff1234abcd\\"), "C:\\TEMP\\", random));
    EXPECT_STREQ("", out);
}

TEST(PrivateDir, DescriptorIsAProtectedDaclForSystemAndAdministratorsOnly)
{
    unsigned char sd[ADMIN_ONLY_DESCRIPTOR_SIZE + 8];
    EXPECT_EQ(0u, BuildAdminOnlyDescriptor(sd, ADMIN_ONLY_DESCRIPTOR_SIZE - 1));
    size_t size = BuildAdminOnlyDescriptor(sd, sizeof sd);
    ASSERT_EQ((size_t)ADMIN_ONLY_DESCRIPTOR_SIZE, size);
    const unsigned char *end = sd + size;
    EXPECT_EQ(1, sd[0]);
    EXPECT_EQ(0x9004u, Word(sd + 2)) << "self-relative, DACL present and protected from inheritance";
    EXPECT_EQ(0u, Long(sd + 4)) << "owner";
    EXPECT_EQ(0u, Long(sd + 8)) << "group";
    EXPECT_EQ(0u, Long(sd + 12)) << "SACL";
    uint32_t dacl = Long(sd + 16);
    ASSERT_LE(dacl + 8, size);
    const unsigned char *acl = sd + dacl;
    EXPECT_EQ(2, acl[0]);
    EXPECT_EQ(size - dacl, Word(acl + 2)) << "the ACL's size";
    ASSERT_EQ(2u, Word(acl + 4)) << "ACE count";
    std::vector<std::string> sids;
    const unsigned char *ace = acl + 8;
    for (int i = 0; i < 2; i++) {
        ASSERT_LE(ace + 8, end);
        unsigned aceSize = Word(ace + 2);
        ASSERT_LE(ace + aceSize, end);
        EXPECT_EQ(0, ace[0]) << "an allowing ACE";
        EXPECT_EQ(0x03, ace[1]) << "inherited by files and folders";
        EXPECT_EQ(0x001F01FFu, Long(ace + 4)) << "full file access";
        EXPECT_EQ(8 + 8 + 4 * ace[9], aceSize);
        sids.push_back(SidString(ace + 8, ace + aceSize));
        ace += aceSize;
    }
    EXPECT_EQ(end, ace);
    EXPECT_EQ((std::vector<std::string>{"S-1-5-18", "S-1-5-32-544"}), sids);

    // For NT before 2000, which knows no protection: the same but for that flag.
    unsigned char older[ADMIN_ONLY_DESCRIPTOR_SIZE];
    ASSERT_EQ(size, BuildAdminOnlyDescriptor(older, sizeof older, 0));
    EXPECT_EQ(0x8004u, Word(older + 2));
    EXPECT_EQ(0, memcmp(sd + 4, older + 4, size - 4));
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
    EXPECT_STREQ("x.log", SplitDirectory("\\x.log", dir, sizeof dir));
    EXPECT_STREQ("\\", dir);
    EXPECT_EQ(nullptr, SplitDirectory("C:\\logs\\", dir, sizeof dir));
    EXPECT_EQ(nullptr, SplitDirectory("C:\\logs\\x.log", dir, 7));

    // The directory as reached through a redirected folder: its final path, whatever it is.
    EXPECT_EQ(1, FinalPathIsEntry("\\\\?\\D:\\Users\\ann\\Downloads\\SETUP.LOG", "\\\\?\\D:\\Users\\ann\\Downloads",
                                  "setup.log"));
    EXPECT_EQ(1, FinalPathIsEntry("\\\\?\\C:\\setup.log", "\\\\?\\C:\\", "setup.log"));
    // A link's target elsewhere, under another name, or in a directory of a longer name.
    EXPECT_EQ(0, FinalPathIsEntry("\\\\?\\C:\\windows\\win.ini", "\\\\?\\C:\\dl", "setup.log"));
    EXPECT_EQ(0, FinalPathIsEntry("\\\\?\\C:\\dl\\other.txt", "\\\\?\\C:\\dl", "setup.log"));
    EXPECT_EQ(0, FinalPathIsEntry("\\\\?\\C:\\dl2\\setup.log", "\\\\?\\C:\\dl", "setup.log"));
    EXPECT_EQ(0, FinalPathIsEntry("\\\\?\\C:\\dl\\sub\\setup.log", "\\\\?\\C:\\dl", "setup.log"));
    EXPECT_EQ(0, FinalPathIsEntry("\\\\?\\C:\\dl\\setup.log", "", "setup.log"));
}
