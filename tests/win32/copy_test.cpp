// The copy engine against real files, real LZ32 and its real prompts, answered by the uidriver.
#include <gtest/gtest.h>

#include <string>

#include "copytestutil.h"
#include "resources/resource.h"
#include "shell/setup.h"
#include "support/crc32.h"
#include "uidriver.h"
#include "workflow/copy.h"
#include "workflow/progress.h"

using uidriver::UiDriver;
using uidriver::UiScript;

namespace {

class CopyTest : public testing::Test {
protected:
    SetupState state;
    ScratchDir src{"src"};
    ScratchDir dst{"dst"};
    ScratchDir logDir{"log"};
    ScopedCurrentDir cwd{logDir.path()};

    void SetUp() override
    {
        setupMode = SetupModeFlags{};
        setupMode.logging = 1;
    }
    std::string SourceDir() const { return src.path() + "\\"; }
    std::string Log() const { return ReadFileOrEmpty(logDir.file("setup.log")); }
    static size_t Count(const std::string &text, const std::string &needle)
    {
        size_t n = 0;
        for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
            n++;
        return n;
    }
    // Puts the packed payload file `payload` into the source directory as `name`.
    void PutPacked(const std::string &payload, const std::string &name)
    {
        ASSERT_TRUE(WriteWholeFile(src.file(name), ReadFileOrEmpty(PackedPayload(payload))));
    }
    int Expand(const std::string &source, const std::string &target)
    {
        return ExpandFile(src.file(source).c_str(), dst.file(target).c_str());
    }
};

#define EXPECT_FILE(content, path) EXPECT_TRUE((content) == ReadFileOrEmpty(path)) << (path)

TEST_F(CopyTest, SourceVariantsExpandOrCopy)
{
    std::string notes = ReadFileOrEmpty(OriginalPayload("tarnwell.txt"));
    std::string mib = ReadFileOrEmpty(OriginalPayload("mib.txt"));

    // The payload in the temporary directory: compressed under its plain name.
    PutPacked("tarnwell.txt", "a.txt");
    EXPECT_EQ(EXPAND_DONE, Expand("a.txt", "a.txt"));
    EXPECT_FILE(notes, dst.file("a.txt"));

    // A distribution disk: the compressed name only.
    PutPacked("tarnwell.txt", "b.tx_");
    EXPECT_EQ(EXPAND_DONE, Expand("b.txt", "b.txt"));
    EXPECT_FILE(notes, dst.file("b.txt"));

    // Both names: the compressed one wins.
    PutPacked("mib.txt", "c.tx_");
    PutPacked("tarnwell.txt", "c.txt");
    EXPECT_EQ(EXPAND_DONE, Expand("c.txt", "c.txt"));
    EXPECT_FILE(mib, dst.file("c.txt"));

    // An uncompressed file is copied as it is.
    ASSERT_TRUE(WriteWholeFile(src.file("d.txt"), "plain text\r\n"));
    EXPECT_EQ(EXPAND_DONE, Expand("d.txt", "d.txt"));
    EXPECT_FILE("plain text\r\n", dst.file("d.txt"));

    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt"}), ListFiles(dst.path()));
}

TEST_F(CopyTest, FailedExpansionLeavesTheTargetAsItWas)
{
    std::string packed = ReadFileOrEmpty(PackedPayload("tarnwell.txt"));
    std::string wrongLength = packed;
    wrongLength[10] ^= 1;  // the header's length no longer matches the stream

    struct Case {
        const char *what;
        std::string content;
        int expected;
    } cases[] = {
        {"an empty file", "", EXPAND_FAILED},
        {"a truncated stream", packed.substr(0, packed.size() / 2), EXPAND_FAILED},
        {"a header length that differs", wrongLength, EXPAND_FAILED},
        {"the header alone", packed.substr(0, 14), EXPAND_FAILED},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteWholeFile(src.file("x.txt"), c.content));
        ASSERT_TRUE(WriteWholeFile(dst.file("x.txt"), "the version installed before"));
        EXPECT_EQ(c.expected, Expand("x.txt", "x.txt"));
        EXPECT_FILE("the version installed before", dst.file("x.txt"));
        EXPECT_EQ(std::vector<std::string>{"x.txt"}, ListFiles(dst.path()));  // no working file left
    }
    DeleteFileA(src.file("x.txt").c_str());
    EXPECT_EQ(EXPAND_NO_SOURCE, Expand("x.txt", "x.txt"));
    EXPECT_FILE("the version installed before", dst.file("x.txt"));
}

TEST_F(CopyTest, UnwritableTargetsAreReportedNotRedirected)
{
    PutPacked("tarnwell.txt", "x.txt");

    // A read-only (or hidden, system) old file is replaced; the new one carries none of that.
    ASSERT_TRUE(WriteWholeFile(dst.file("ro.txt"), "read-only"));
    SetFileAttributesA(dst.file("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(EXPAND_DONE, Expand("x.txt", "ro.txt"));
    EXPECT_FILE(ReadFileOrEmpty(OriginalPayload("tarnwell.txt")), dst.file("ro.txt"));
    EXPECT_FALSE(GetFileAttributesA(dst.file("ro.txt").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    // LZOpenFileA would have created "dir.tx_" instead and called it a success.
    ASSERT_TRUE(CreateDirectoryA(dst.file("dir.txt").c_str(), nullptr));
    EXPECT_EQ(EXPAND_NO_TARGET, Expand("x.txt", "dir.txt"));
    EXPECT_EQ(EXPAND_NO_TARGET, Expand("x.txt", "missing\\x.txt"));
    EXPECT_EQ((std::vector<std::string>{"dir.txt", "ro.txt"}), ListFiles(dst.path()));
    EXPECT_TRUE(ListFiles(dst.file("dir.txt")).empty());
}

TEST_F(CopyTest, PathsBeyondTheOldOpenLimitWork)
{
    // Directories of 150 and more characters, which LZOpenFileA refuses from 128 on.
    std::string deepSrc = src.path(), deepDst = dst.path();
    while (deepSrc.size() < 150) {
        deepSrc += "\\source directory";
        deepDst += "\\Program Files Tarnwell";
        ASSERT_TRUE(CreateDirectoryA(deepSrc.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(deepDst.c_str(), nullptr));
    }
    ASSERT_TRUE(WriteWholeFile(deepSrc + "\\tarnwell.txt", ReadFileOrEmpty(PackedPayload("tarnwell.txt"))));
    std::string source = deepSrc + "\\tarnwell.txt", target = deepDst + "\\tarnwell.txt";
    ASSERT_GE(target.size(), 150u);
    EXPECT_EQ(EXPAND_DONE, ExpandFile(source.c_str(), target.c_str()));
    EXPECT_FILE(ReadFileOrEmpty(OriginalPayload("tarnwell.txt")), target);
}

TEST_F(CopyTest, IniGuardAsksCaseSensitivelyAndSilentModeKeepsTheFile)
{
    PutPacked("tarnwell.txt", "x.txt");
    std::string notes = ReadFileOrEmpty(OriginalPayload("tarnwell.txt"));
    ASSERT_TRUE(WriteWholeFile(dst.file("app.ini"), "mine"));
    ASSERT_TRUE(WriteWholeFile(dst.file("APP2.INI"), "mine"));

    {
        setupMode.silent = 1;
        UiDriver driver(UiScript{});
        EXPECT_EQ(EXPAND_DONE, Expand("x.txt", "app.ini"));
        EXPECT_FILE("mine", dst.file("app.ini"));
        EXPECT_EQ(EXPAND_DONE, Expand("x.txt", "APP2.INI"));  // no guard in capitals
        EXPECT_FILE(notes, dst.file("APP2.INI"));
        EXPECT_UI_DONE(driver);
        setupMode.silent = 0;
    }
    {
        std::string text = "The file " + dst.file("app.ini") + " already exists.\nOverwrite it?";
        UiDriver driver(UiScript().Expect("Overwrite warning", text).Press(IDNO)
                            .Expect("Overwrite warning", text).Press(IDYES));
        EXPECT_EQ(EXPAND_DONE, Expand("x.txt", "app.ini"));
        EXPECT_FILE("mine", dst.file("app.ini"));
        EXPECT_EQ(EXPAND_DONE, Expand("x.txt", "app.ini"));
        EXPECT_FILE(notes, dst.file("app.ini"));
        // A file that is its own source is in place: no question, even for an ".ini".
        std::string same = dst.path() + "\\APP.ini";
        EXPECT_EQ(EXPAND_DONE, ExpandFile(same.c_str(), dst.file("app.ini").c_str()));
        EXPECT_UI_DONE(driver);
        EXPECT_EQ(2u, driver.Windows().size()) << driver.Transcript();
        EXPECT_EQ(text, driver.StepWindow(0).info.text);
        EXPECT_TRUE(driver.StepWindow(0).info.Control(IDYES) && driver.StepWindow(0).info.Control(IDNO));
    }
}

FileEntry Row(const char *name, int required)
{
    return FileEntry{"EXEFILE", 1, name, name, required, 0, "", TARGET_PROGRAM_DIR, 0, 0, 0, 0};
}

// A source that expands whole but not to the recorded bytes (another file, a damaged one of
// the same length) is a failed expansion, so the disk prompt asks for the right one.
TEST_F(CopyTest, ExpansionThatDiffersFromTheRecordIsAFailedOne)
{
    std::string notes = ReadFileOrEmpty(OriginalPayload("tarnwell.txt"));
    FileEntry row = Row("x.txt", 0);
    row.checked = 1;
    row.expandedLength = (uint32_t)notes.size();
    row.expandedCrc = Crc32(0, notes.data(), notes.size());
    std::string sameLength = notes;
    sameLength[sameLength.size() / 2] ^= 0x10;
    ASSERT_TRUE(WriteWholeFile(dst.file("x.txt"), "the version installed before"));
    for (const std::string &content : {ReadFileOrEmpty(PackedPayload("mib.txt")), sameLength}) {
        ASSERT_TRUE(WriteWholeFile(src.file("x.txt"), content));
        EXPECT_EQ(EXPAND_FAILED, ExpandFile(src.file("x.txt").c_str(), dst.file("x.txt").c_str(), &row));
        EXPECT_FILE("the version installed before", dst.file("x.txt"));
        EXPECT_EQ(std::vector<std::string>{"x.txt"}, ListFiles(dst.path()));  // no working file left
    }
    PutPacked("tarnwell.txt", "x.txt");
    EXPECT_EQ(EXPAND_DONE, ExpandFile(src.file("x.txt").c_str(), dst.file("x.txt").c_str(), &row));
    EXPECT_FILE(notes, dst.file("x.txt"));
}

// A file of several of the engine's blocks: the record is checked over all of them, and a
// byte changed in the last one still keeps the old file in place.
TEST_F(CopyTest, RecordIsCheckedAcrossEveryBlockOfALargeFile)
{
    std::string large(700001, '\0');
    uint32_t x = 7;
    for (char &c : large)
        c = (char)((x = x * 69069 + 1) >> 24);
    FileEntry row = Row("big.bin", 0);
    row.checked = 1;
    row.expandedLength = (uint32_t)large.size();
    row.expandedCrc = Crc32(0, large.data(), large.size());
    std::string changed = large;
    changed[changed.size() - 2] ^= 0x01;
    ASSERT_TRUE(WriteWholeFile(dst.file("big.bin"), "the version installed before"));
    ASSERT_TRUE(WriteWholeFile(src.file("big.bin"), changed));
    EXPECT_EQ(EXPAND_FAILED, ExpandFile(src.file("big.bin").c_str(), dst.file("big.bin").c_str(), &row));
    EXPECT_FILE("the version installed before", dst.file("big.bin"));
    ASSERT_TRUE(WriteWholeFile(src.file("big.bin"), large));
    EXPECT_EQ(EXPAND_DONE, ExpandFile(src.file("big.bin").c_str(), dst.file("big.bin").c_str(), &row));
    EXPECT_FILE(large, dst.file("big.bin"));
    EXPECT_EQ(std::vector<std::string>{"big.bin"}, ListFiles(dst.path()));
}

TEST_F(CopyTest, DiskPromptOffersOkFirstAndRetryOnTheDiskLastCopied)
{
    FileEntry optional = Row("mib.txt", 0);
    lastCopiedDisk = 0;
    {
        UiDriver driver(UiScript().Expect("Change disk", "Insert disk 1 containing mib.txt").Press(IDCANCEL));
        EXPECT_EQ(0, CopyOneFile(&optional, SourceDir().c_str(), dst.path().c_str(), state.owner(), nullptr));
        EXPECT_UI_DONE(driver);
        EXPECT_TRUE(driver.StepWindow(0).info.Control(IDOK)) << driver.Transcript();
        EXPECT_EQ(0, optional.status);
        EXPECT_EQ(0, lastCopiedDisk);
    }

    FileEntry required = Row("tarnwell.exe", 1);
    lastCopiedDisk = 1;
    {
        std::string error = "Copy of tarnwell.exe to " + dst.path() + " failed. (";
        UiDriver driver(UiScript()
                            .Expect("Change disk", "Insert disk 1 containing tarnwell.exe").Press(IDCANCEL)
                            .Expect("Install", error).Press(IDOK));
        EXPECT_EQ(1, CopyOneFile(&required, SourceDir().c_str(), dst.path().c_str(), state.owner(), nullptr));
        EXPECT_UI_DONE(driver);
        EXPECT_TRUE(driver.StepWindow(0).info.Control(IDRETRY)) << driver.Transcript();
        EXPECT_EQ(0, required.status);
        EXPECT_NE(std::string::npos, Log().find(error));
    }
    EXPECT_TRUE(ListFiles(dst.path()).empty());
}

TEST_F(CopyTest, SilentModeStillPromptsButOnlyLogsTheFailure)
{
    setupMode.silent = 1;
    FileEntry required = Row("tarnwell.exe", 1);
    UiDriver driver(UiScript().Expect("Change disk", "tarnwell.exe").Press(IDCANCEL));
    EXPECT_EQ(1, CopyOneFile(&required, SourceDir().c_str(), dst.path().c_str(), state.owner(), nullptr));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ(1u, driver.Windows().size()) << driver.Transcript();
    // The error is the missing source's, not what the prompt left behind.
    EXPECT_NE(std::string::npos, Log().find("Copy of tarnwell.exe to " + dst.path() + " failed. (2)")) << Log();
}

TEST_F(CopyTest, TargetPromptRetriesUntilTheUserGivesUp)
{
    PutPacked("tarnwell.txt", "tarnwell.txt");
    // A directory of the file's name: no retry can write the file.
    ASSERT_TRUE(CreateDirectoryA(dst.file("tarnwell.txt").c_str(), nullptr));
    FileEntry optional = Row("tarnwell.txt", 0);
    UiDriver driver(UiScript()
                        .Expect("", "Failed to open destination file tarnwell.txt").Press(IDRETRY)
                        .Expect("", "Failed to open destination file tarnwell.txt").Press(IDCANCEL));
    EXPECT_EQ(0, CopyOneFile(&optional, SourceDir().c_str(), dst.path().c_str(), state.owner(), nullptr));
    EXPECT_UI_DONE(driver);

    // Unattended, nobody can answer: the row is given up at once and logged, and fails the
    // install even when optional, since nobody chose to leave it out.
    setupMode.silent = 1;
    UiDriver none(UiScript{});
    EXPECT_EQ(1, CopyOneFile(&optional, SourceDir().c_str(), dst.path().c_str(), state.owner(), nullptr));
    EXPECT_UI_DONE(none);
    setupMode.silent = 0;
    EXPECT_NE(std::string::npos, Log().find("Copy of tarnwell.txt to " + dst.path() + " failed. (5)")) << Log();

    EXPECT_TRUE(RemoveDirectoryA(dst.file("tarnwell.txt").c_str())) << "the directory was not left as it was";
    EXPECT_EQ(2u, Count(Log(), "Copying ")) << Log();
}

TEST_F(CopyTest, PathTooLongForItsBufferIsRefusedCleanly)
{
    setupMode.silent = 1;
    std::string longDir = dst.path() + "\\" + std::string(250, 'd');
    FileEntry row = Row("tarnwell.txt", 1);
    UiDriver driver(UiScript{});
    EXPECT_EQ(1, CopyOneFile(&row, SourceDir().c_str(), longDir.c_str(), state.owner(), nullptr));
    EXPECT_UI_DONE(driver);
    EXPECT_NE(std::string::npos, Log().find("failed. (206)")) << Log();
}

class CopyAllTest : public CopyTest {
protected:
    void PutPayload()
    {
        for (const std::string &name : PayloadNames())
            PutPacked(name, name);
    }
    int CopyAll(const std::string &source, const std::string &program)
    {
        return CopyAllFiles(moduleInstance, state.owner(), source.c_str(), program.c_str(),
                            program.c_str(), program.c_str());
    }
};

TEST_F(CopyAllTest, SourceDirectoryEqualToTargetCountsEveryRowAsCopied)
{
    for (const std::string &name : PayloadNames())
        ASSERT_TRUE(WriteWholeFile(dst.file(name), "already here"));
    UiDriver driver(UiScript().Allow("Installation"));  // and no other window
    EXPECT_EQ(1, CopyAll(dst.path() + "\\", dst.path()));
    EXPECT_UI_DONE(driver);
    for (int i = 0; i < installManifest.fileCount; i++)
        EXPECT_EQ(FILE_COPIED, installManifest.files[i].status);
    for (const std::string &name : PayloadNames())
        EXPECT_FILE("already here", dst.file(name));
    EXPECT_EQ(1, lastCopiedDisk);
}

TEST_F(CopyAllTest, MissingOptionalFileIsSkippedMissingRequiredFileStops)
{
    PutPayload();
    DeleteFileA(src.file("mib.txt").c_str());
    {
        UiDriver driver(UiScript().Allow("Installation")
                            .Expect("Change disk", "Insert disk 1 containing mib.txt").Press(IDCANCEL));
        EXPECT_EQ(1, CopyAll(SourceDir(), dst.path()));
        EXPECT_UI_DONE(driver);
        EXPECT_EQ(0, installManifest.files[5].status);
        EXPECT_EQ(5u, ListFiles(dst.path()).size());
    }

    RemoveTree(dst.path());
    CreateDirectoryA(dst.path().c_str(), nullptr);
    DeleteFileA(src.file("tarnwell.exe").c_str());
    for (int i = 0; i < installManifest.fileCount; i++)
        installManifest.files[i].status = 0;
    {
        UiDriver driver(UiScript().Allow("Installation")
                            .Expect("Change disk", "tarnwell.exe").Press(IDCANCEL)
                            .Expect("Install", "Copy of tarnwell.exe to " + dst.path()).Press(IDOK));
        EXPECT_EQ(0, CopyAll(SourceDir(), dst.path()));
        EXPECT_UI_DONE(driver);
        EXPECT_TRUE(ListFiles(dst.path()).empty());  // nothing after the fatal row
    }
}

TEST_F(CopyAllTest, CancelDuringTheThirdRowEndsTheCopyAsAFailure)
{
    // The third row stops at the overwrite question; the user presses Cancel in the progress
    // dialog meanwhile, then lets the row finish.
    FileEntry rows[] = {Row("one.txt", 1), Row("two.txt", 1), Row("three.ini", 1),
                        Row("four.txt", 1), Row("five.txt", 0)};
    state.UseTable(rows, 5);
    for (const FileEntry &r : rows)
        PutPacked("tarnwell.txt", r.sourceName);
    ASSERT_TRUE(WriteWholeFile(dst.file("three.ini"), "old"));

    StatusRecorder status;
    UiDriver driver(UiScript()
                        .Expect("Installation")
                        .Expect("Overwrite warning", "three.ini")
                        .ExpectAgain("Installation").Press(IDCANCEL)
                        .ExpectAgain("Overwrite warning").Press(IDYES));
    EXPECT_EQ(0, CopyAll(SourceDir(), dst.path()));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ(1, cancelRequested);

    std::string notes = ReadFileOrEmpty(OriginalPayload("tarnwell.txt"));
    EXPECT_EQ((std::vector<std::string>{"one.txt", "three.ini", "two.txt"}), ListFiles(dst.path()));
    EXPECT_FILE(notes, dst.file("three.ini"));  // the third row ran to its end
    EXPECT_EQ(FILE_COPIED, rows[2].status);
    EXPECT_EQ(0, rows[3].status);
    std::vector<std::string> lines = status.Lines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_NE(std::string::npos, lines[2].find("three.ini"));
    EXPECT_EQ(3u, Count(Log(), "Copying "));
}

}  // namespace
