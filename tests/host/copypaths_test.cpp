// Path composition, the ".ini" guard and the SZDD header test of the copy engine.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "changes/copypaths.h"

TEST(CopyPaths, SourceAndTargetJoinAsTheirDirectoriesAreGiven)
{
    char out[COPY_PATH_SIZE];
    EXPECT_EQ(1, ComposeSourcePath(out, sizeof out, "C:\\TEMP\\", "tarnwell.exe"));
    EXPECT_STREQ("C:\\TEMP\\tarnwell.exe", out);
    EXPECT_EQ(1, ComposeTargetPath(out, sizeof out, "C:\\Program Files\\Tarnwell", "mib.txt"));
    EXPECT_STREQ("C:\\Program Files\\Tarnwell\\mib.txt", out);
}

TEST(CopyPaths, AFileJoinsARootWithOneBackslashAndParentsEndAtTheRoot)
{
    char out[COPY_PATH_SIZE];
    EXPECT_EQ(1, ComposeTargetPath(out, sizeof out, "T:\\", "tarnwell.exe"));
    EXPECT_STREQ("T:\\tarnwell.exe", out);
    char dir[COPY_PATH_SIZE] = "C:\\Apps\\Net\\Tarnwell";
    EXPECT_EQ(1, CutToParent(dir));
    EXPECT_STREQ("C:\\Apps\\Net", dir);
    EXPECT_EQ(1, CutToParent(dir));
    EXPECT_EQ(1, CutToParent(dir));
    EXPECT_STREQ("C:\\", dir);
    EXPECT_EQ(0, CutToParent(dir));
    EXPECT_STREQ("C:\\", dir);
    char share[COPY_PATH_SIZE] = "\\\\srv\\share\\Tw";
    EXPECT_EQ(1, CutToParent(share));
    EXPECT_STREQ("\\\\srv\\share", share);
    for (const char *none : {"Tarnwell", "\\x", "C:\\a\\", "\\\\srv\\share"}) {
        char kept[16];
        strcpy(kept, none);
        EXPECT_EQ(0, CutToParent(kept)) << none;
        EXPECT_STREQ(none, kept);
    }
}

TEST(CopyPaths, CompressedNameReplacesTheLastCharacterOfACopy)
{
    char source[COPY_PATH_SIZE] = "C:\\TEMP\\tarnwell.exe";
    char out[COPY_PATH_SIZE];
    EXPECT_EQ(1, ComposeCompressedPath(out, sizeof out, source));
    EXPECT_STREQ("C:\\TEMP\\tarnwell.ex_", out);
    EXPECT_STREQ("C:\\TEMP\\tarnwell.exe", source);
    EXPECT_EQ(1, ComposeCompressedPath(out, sizeof out, ""));
    EXPECT_STREQ("", out);
}

TEST(CopyPaths, PathsThatDoNotFitAreRefusedNotCut)
{
    // 255 characters fit a 256-byte buffer; 256 do not.
    std::string dir = "C:\\" + std::string(240, 'd');  // 243 characters
    char out[COPY_PATH_SIZE];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(1, ComposeTargetPath(out, sizeof out, dir.c_str(), "tarnwel.txt"));  // 243+1+11
    EXPECT_EQ(255u, strlen(out));
    EXPECT_EQ(0, ComposeTargetPath(out, sizeof out, dir.c_str(), "tarnwell.txt"));
    EXPECT_STREQ("", out);

    std::string sdir = dir + "\\";
    EXPECT_EQ(1, ComposeSourcePath(out, sizeof out, sdir.c_str(), "tarnwel.txt"));
    EXPECT_EQ(0, ComposeSourcePath(out, sizeof out, sdir.c_str(), "tarnwell.txt"));
    EXPECT_STREQ("", out);

    std::string longSource(300, 's');
    EXPECT_EQ(0, ComposeCompressedPath(out, sizeof out, longSource.c_str()));
    EXPECT_STREQ("", out);
    EXPECT_EQ(0, ComposeSourcePath(out, 0, "a", "b"));  // no room at all: nothing written
}

TEST(CopyPaths, TemporaryNameLiesBesideThePath)
{
    char out[COPY_PATH_SIZE];
    EXPECT_EQ(1, ComposeSiblingTempPath(out, sizeof out, "C:\\Tw\\tarnwell.exe", 0x1A2B));
    EXPECT_STREQ("C:\\Tw\\~tw1A2B.tmp", out);
    EXPECT_EQ(1, ComposeSiblingTempPath(out, sizeof out, "C:\\Tw\\mib.txt", 0x12345));
    EXPECT_STREQ("C:\\Tw\\~tw2345.tmp", out);
    EXPECT_EQ(1, ComposeSiblingTempPath(out, sizeof out, "bare.txt", 7));
    EXPECT_STREQ("~tw0007.tmp", out);

    // The working name is longer than a short file name: it must fit on its own.
    std::string path = "C:\\" + std::string(243, 'd') + "\\a";
    EXPECT_EQ(0, ComposeSiblingTempPath(out, sizeof out, path.c_str(), 1));
    EXPECT_STREQ("", out);
    char wide[260];
    EXPECT_EQ(1, ComposeSiblingTempPath(wide, sizeof wide, path.c_str(), 1));

    // Leftovers of a killed run are recognised by this name alone: nothing else is taken.
    EXPECT_TRUE(IsSiblingTempName("~tw1A2B.tmp"));
    EXPECT_TRUE(IsSiblingTempName("~TW00ff.TMP"));
    for (const char *other : {"~tw1A2.tmp", "~tw1A2BC.tmp", "~tw1G2B.tmp", "~tx1A2B.tmp", "~tw1A2B.tmpx",
                              "tw1A2B.tmp", "~tw1A2B.txt", "~TW1A2~1.TMP", ""})
        EXPECT_FALSE(IsSiblingTempName(other)) << other;
}

TEST(CopyPaths, IniGuardIsCaseSensitiveAndMatchesAnywhere)
{
    EXPECT_TRUE(IsIniGuarded("C:\\Tw\\tarnwell.ini"));
    EXPECT_TRUE(IsIniGuarded("C:\\Tw.ini\\notes.txt"));
    EXPECT_TRUE(IsIniGuarded("C:\\Tw\\a.initial"));
    EXPECT_FALSE(IsIniGuarded("C:\\Tw\\TARNWELL.INI"));
    EXPECT_FALSE(IsIniGuarded("C:\\Tw\\tarnwell.Ini"));
    EXPECT_FALSE(IsIniGuarded("C:\\Tw\\tarnwell.exe"));
}

TEST(CopyPaths, TargetDirectoryByKind)
{
    EXPECT_STREQ("P", SelectTargetDir(0, "P", "D", "W"));
    EXPECT_STREQ("D", SelectTargetDir(1, "P", "D", "W"));
    EXPECT_STREQ("W", SelectTargetDir(2, "P", "D", "W"));
    EXPECT_STREQ("P", SelectTargetDir(3, "P", "D", "W"));
    EXPECT_STREQ("P", SelectTargetDir(-1, "P", "D", "W"));
    EXPECT_STREQ("P", SelectTargetDir(1, "P", nullptr, "W"));
    EXPECT_STREQ("P", SelectTargetDir(2, "P", "D", ""));
}

TEST(CopyPaths, SzddHeader)
{
    unsigned char head[SZDD_HEADER_SIZE] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33,
                                            'A', 0, 0x00, 0xCA, 0x09, 0x00};
    uint32_t length = 0;
    EXPECT_EQ(1, ReadSzddHeader(head, sizeof head, &length));
    EXPECT_EQ(641536u, length);
    EXPECT_EQ(0, ReadSzddHeader(head, sizeof head - 1, &length));  // too short: a plain file
    head[8] = 'B';
    EXPECT_EQ(-1, ReadSzddHeader(head, sizeof head, &length));
    head[8] = 'A';
    head[4] = 0x89;
    EXPECT_EQ(0, ReadSzddHeader(head, sizeof head, &length));
    const unsigned char text[] = "MZ plain file, not compressed";
    EXPECT_EQ(0, ReadSzddHeader(text, sizeof text, &length));
}
