// Payload extraction to the run's working directory, its cleanup, and the payload installed whole.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <string>

#include "copytestutil.h"
#include "changes/integrity.h"
#include "changes/privatedir.h"
#include "shell/setup.h"
#include "support/crc32.h"
#include "uidriver.h"
#include "workflow/copy.h"
#include "workflow/extract.h"

using uidriver::UiDriver;
using uidriver::UiScript;

namespace {

class ExtractTest : public testing::Test {
protected:
    // Made before TEMP is redirected, so they lie outside the directory under test.
    ScratchDir logDir{"log"};
    ScratchDir program{"program"};
    TempDirOverride temp;
    SetupState state;
    ScopedCurrentDir cwd{logDir.path()};

    void SetUp() override
    {
        setupMode = SetupModeFlags{};
        setupMode.logging = 1;
    }
    std::string Log() const { return ReadFileOrEmpty(logDir.file("setup.log")); }
    std::string Temp(const std::string &name) const { return temp.withSlash() + name; }
    // A name in the run's working directory, which ExtractPayload made.
    std::string Work(const std::string &name) const { return ExtractionDirectory() + name; }
    bool Logged(const std::string &line) const { return Log().find(line + "\r\n") != std::string::npos; }
};

#define EXPECT_FILE(content, path) EXPECT_TRUE((content) == ReadFileOrEmpty(path)) << (path)

TEST_F(ExtractTest, EveryRowIsWrittenCompressedAndDeletedAgain)
{
    ASSERT_TRUE(WriteWholeFile(Temp("tarnwell.exe"), "a file someone else left at a payload name"));
    StatusRecorder status;
    UiDriver driver(UiScript().Allow("Installation"));
    EXPECT_EQ(6, ExtractPayload(moduleInstance, state.owner()));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ(nullptr, progressDialog);
    // A directory of its own in TEMP, named at random.
    std::vector<std::string> inTemp = ListFiles(temp.dir());
    ASSERT_EQ(2u, inTemp.size());
    EXPECT_EQ("tarnwell.exe", inTemp[0]);
    EXPECT_EQ(Temp(inTemp[1]) + "\\", ExtractionDirectory());

    std::vector<std::string> names = PayloadNames();
    std::vector<std::string> lines = status.Lines();
    ASSERT_EQ(names.size(), lines.size());
    for (size_t i = 0; i < names.size(); i++) {
        SCOPED_TRACE(names[i]);
        std::string packed = ReadFileOrEmpty(PackedPayload(names[i]));
        EXPECT_FILE(packed, Work(names[i]));
        EXPECT_EQ(FILE_EXTRACTED, installManifest.files[i].status);
        // The build's record: what the row must expand to.
        std::string original = ReadFileOrEmpty(OriginalPayload(names[i]));
        EXPECT_EQ(1, installManifest.files[i].checked);
        EXPECT_EQ(original.size(), installManifest.files[i].expandedLength);
        EXPECT_EQ(Crc32(0, original.data(), original.size()), installManifest.files[i].expandedCrc);
        std::string line = "Extracting to " + Work(names[i]) + ", " + std::to_string(packed.size()) + " bytes";
        EXPECT_TRUE(Logged(line)) << Log();
        EXPECT_EQ(line, lines[i]);
    }
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    std::string work = ExtractionDirectory();
    EXPECT_EQ(sorted, ListFiles(work.substr(0, work.size() - 1)));  // nothing else, no working files

    EXPECT_EQ(0, DeleteExtractedFiles());
    EXPECT_EQ(std::vector<std::string>{"tarnwell.exe"}, ListFiles(temp.dir()));
    EXPECT_FILE("a file someone else left at a payload name", Temp("tarnwell.exe"));
    EXPECT_STREQ("", ExtractionDirectory());
    EXPECT_TRUE(Logged("Removing " + work + "tarnwell.exe")) << Log();
    EXPECT_TRUE(Logged("Removing " + work + "mib.txt")) << Log();

    // What Windows reads in the descriptor the directory is made with on NT (Wine keeps none).
    unsigned char sd[ADMIN_ONLY_DESCRIPTOR_SIZE];
    ASSERT_EQ(sizeof sd, BuildAdminOnlyDescriptor(sd, sizeof sd));
    ASSERT_TRUE(IsValidSecurityDescriptor(sd));
    char *text = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION |
                                                                     OWNER_SECURITY_INFORMATION, &text, nullptr));
    EXPECT_STREQ("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", text);
    LocalFree(text);
}

// A row the build's record does not know is never extracted, nor anything after it.
TEST_F(ExtractTest, RowWithoutRecordStopsExtractionMissingResourceIsSkipped)
{
    FileEntry rows[6];
    for (int i = 0; i < 6; i++)
        rows[i] = installManifest.files[i];
    rows[2].resourceName = "NOSUCHFILE";
    state.UseTable(rows, 6);
    ASSERT_TRUE(WriteWholeFile(Temp("tarnwell.cnt"), "not ours"));

    setupMode.silent = 1;
    UiDriver driver(UiScript{});
    EXPECT_EQ(2, ExtractPayload(moduleInstance, state.owner()));
    EXPECT_EQ(&rows[2], DamagedPayloadRow());
    EXPECT_EQ(0, rows[3].status);
    EXPECT_EQ(0, rows[3].checked);
    EXPECT_TRUE(Logged("resource NOSUCHFILE: no record to check it against")) << Log();
    DeleteExtractedFiles();
    EXPECT_EQ(std::vector<std::string>{"tarnwell.cnt"}, ListFiles(temp.dir()));
    EXPECT_FILE("not ours", Temp("tarnwell.cnt"));

    // A recorded resource that is missing is skipped; the copy engine asks for it later.
    PayloadCheck check = {1, 2, 3, 4};
    EXPECT_EQ(EXTRACT_FAILED, ExtractResourceFile(moduleInstance, nullptr, "NOSUCHFILE",
                                                  temp.withSlash().c_str(), "x.txt", &check));
    EXPECT_TRUE(Logged("Failed to locate resource NOSUCHFILE")) << Log();

    for (FileEntry &row : rows) {
        row.resourceName = "NOSUCHFILE";
        row.status = row.checked = 0;
    }
    EXPECT_EQ(0, ExtractPayload(moduleInstance, state.owner()));
    EXPECT_EQ(&rows[0], DamagedPayloadRow());
    DeleteExtractedFiles();
    EXPECT_EQ(std::vector<std::string>{"tarnwell.cnt"}, ListFiles(temp.dir()));
    EXPECT_UI_DONE(driver);
    EXPECT_TRUE(driver.Windows().empty()) << driver.Transcript();  // silent: no dialog at all
}

// A name taken in TEMP stops nothing: the payload goes to the run's own directory. A file that
// cannot be created leaves no working file behind.
TEST_F(ExtractTest, NameTakenInTempIsNotInTheWay)
{
    ASSERT_TRUE(CreateDirectoryA(Temp("tarnwell.txt").c_str(), nullptr));
    setupMode.silent = 1;
    EXPECT_EQ(6, ExtractPayload(moduleInstance, state.owner()));
    EXPECT_EQ(FILE_EXTRACTED, installManifest.files[3].status);
    EXPECT_FALSE(Logged("File creation error on " + Work("tarnwell.txt"))) << Log();
    DeleteExtractedFiles();
    EXPECT_EQ(std::vector<std::string>{"tarnwell.txt"}, ListFiles(temp.dir()));

    PayloadCheck check;
    size_t size = 0;
    const unsigned char *table = LoadPayloadTable(moduleInstance, &size);
    ASSERT_EQ(PAYLOAD_CHECK_FOUND, FindPayloadCheck(table, size, installManifest.files[3].resourceName, &check));
    EXPECT_EQ(EXTRACT_FAILED, ExtractResourceFile(moduleInstance, nullptr, installManifest.files[3].resourceName,
                                                  temp.withSlash().c_str(), "tarnwell.txt", &check));
    EXPECT_TRUE(Logged("File creation error on " + Temp("tarnwell.txt"))) << Log();
    EXPECT_EQ(std::vector<std::string>{"tarnwell.txt"}, ListFiles(temp.dir()));
}

// The product as a user gets it: out of setup.exe's resources, through the temporary
// directory, into the program directory, byte for byte; then nothing of it left in TEMP.
TEST_F(ExtractTest, PayloadInstallsByteIdenticalAndLeavesNothingInTemp)
{
    UiDriver driver(UiScript().Allow("Installation"));
    ASSERT_EQ(6, ExtractPayload(moduleInstance, state.owner()));
    StatusRecorder status;
    std::string work = ExtractionDirectory();
    EXPECT_EQ(1, CopyAllFiles(moduleInstance, state.owner(), work.c_str(),
                              program.path().c_str(), program.path().c_str(), program.path().c_str()));
    EXPECT_EQ(0, DeleteExtractedFiles());
    EXPECT_UI_DONE(driver);

    for (const std::string &name : PayloadNames()) {
        SCOPED_TRACE(name);
        std::string original;
        ASSERT_TRUE(ReadWholeFile(OriginalPayload(name), &original));
        EXPECT_FILE(original, program.file(name));
    }
    EXPECT_EQ(PayloadNames().size(), ListFiles(program.path()).size());
    EXPECT_TRUE(ListFiles(temp.dir()).empty());
    for (int i = 0; i < installManifest.fileCount; i++)
        EXPECT_EQ(FILE_COPIED | FILE_EXTRACTED, installManifest.files[i].status);
    EXPECT_EQ(1, lastCopiedDisk);

    // One progress line per row, then the hand-over to the group step; the log the same rows.
    std::vector<std::string> lines = status.Lines();
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ("Copying " + work + "tarnwell.exe to " + program.file("tarnwell.exe"), lines[0]);
    EXPECT_EQ("Creating group and icons.", lines[6]);
    std::string log = Log();
    EXPECT_NE(std::string::npos, log.find("bytes\r\ninstalling 6 files\r\n\r\nCopying ")) << log;
    size_t copying = 0;
    for (size_t at = log.find("Copying "); at != std::string::npos; at = log.find("Copying ", at + 1))
        copying++;
    EXPECT_EQ(6u, copying);
}

}  // namespace
