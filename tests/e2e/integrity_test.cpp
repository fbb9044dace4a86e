// End-to-end: a damaged setup.exe installs nothing, says which file is damaged, and never waits.
#include <gtest/gtest.h>

#include <cstring>

#include "scenario.h"
#include "testutil.h"

using namespace e2e;

namespace {

std::string ReadExe()
{
    std::string exe;
    EXPECT_TRUE(ReadWholeFile(SetupExe(), &exe));
    return exe;
}

// Where the packed file lies in setup.exe: its resource bytes are stored there as they are.
size_t StreamOffset(const std::string &exe, const char *name)
{
    std::string packed;
    EXPECT_TRUE(ReadWholeFile(PackedFile(name), &packed));
    size_t at = exe.find(packed);
    EXPECT_NE(std::string::npos, at) << name << " not found in setup.exe";
    EXPECT_EQ(std::string::npos, exe.find(packed, at + 1)) << name << " found twice";
    return at;
}

std::string Replace(HANDLE update, const char *type, const char *name, const std::string &bytes)
{
    if (!UpdateResourceA(update, type, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                         (void *)bytes.data(), (DWORD)bytes.size()))
        return std::string("UpdateResourceA ") + name + " failed";
    return "";
}

// A copy of setup.exe with one resource replaced by other bytes.
void WriteWithResource(const std::string &path, const char *type, const char *name, const std::string &bytes)
{
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), path.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    ASSERT_NE(nullptr, update);
    std::string error = Replace(update, type, name, bytes);
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
    ASSERT_EQ("", error);
}

// The damaged copy run silently: it ends at once with 1603, shows nothing, installs nothing,
// and its log names the damaged file and why.
void ExpectRefused(const std::string &exe, const std::string &file, const std::string &why)
{
    SCOPED_TRACE(why);
    RunOptions opts;
    opts.exe = exe;
    opts.args = "-s -l";
    opts.timeoutMs = 30000;
    RunResult r = Play(opts);  // no step: any window at all is unexpected
    EXPECT_RUN(r, 1603);
    EXPECT_TRUE(r.windows.empty()) << r.transcript;
    EXPECT_TRUE(LogHas(r, "This copy of setup.exe is damaged: the file " + file + " inside it")) << r.log;
    EXPECT_TRUE(LogHas(r, why)) << r.log;
    EXPECT_FALSE(LogHas(r, "Copying ")) << r.log;
    EXPECT_FALSE(FileExists(kDefaultDir));
    EXPECT_NO_RECORD();
    EXPECT_TEMP_CLEAN();
}

}  // namespace

// One flipped bit in the header or the body of any payload stream: refused before anything
// is installed, silent or not.
TEST(Integrity, FlippedBitInAnyPayloadStreamIsRefused)
{
    PrefixState before = TakePrefixState();
    ScratchDir dir("damaged");
    std::string exe = ReadExe();
    for (const PayloadFile &f : kPayload) {
        size_t at = StreamOffset(exe, f.name);
        std::string packed;
        ReadWholeFile(PackedFile(f.name), &packed);
        struct Flip {
            const char *where;
            size_t offset;
        } flips[] = {{"header", at + 11}, {"body", at + 14 + (packed.size() - 14) / 2}};
        for (const Flip &flip : flips) {
            SCOPED_TRACE(std::string(f.name) + ", " + flip.where);
            std::string damaged = exe;
            damaged[flip.offset] ^= 0x04;
            std::string path = dir.file(std::string(f.resource) + "-" + flip.where + ".exe");
            ASSERT_TRUE(WriteWholeFile(path, damaged));
            ExpectRefused(path, f.name, std::string("resource ") + f.resource + ": ");
        }
    }

    // Interactive: the one message, and its OK ends the run.
    std::string damaged = exe;
    damaged[StreamOffset(exe, "tarnwell.exe") + 2000] ^= 0x01;
    std::string path = dir.file("interactive.exe");
    ASSERT_TRUE(WriteWholeFile(path, damaged));
    RunOptions opts;
    opts.exe = path;
    Script s;
    s.Expect("Install").Press(IDOK);
    s.Expect("Tarnwell Install", "is damaged: the file tarnwell.exe inside it").Press(IDOK);
    RunResult r = Play(opts, s);
    EXPECT_RUN(r, 1603);
    EXPECT_FALSE(FileExists(kDefaultDir));

    std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
    EXPECT_TRUE(diff.empty()) << "damaged copies changed the prefix:\n" << Lines(diff);
}

// A payload resource cut short, the record missing, cut, or without a row: refused the same way.
TEST(Integrity, ResourceCutShortOrRecordMissingIsRefused)
{
    ScratchDir dir("record");
    std::string exe = ReadExe();
    std::string packed;
    ReadWholeFile(PackedFile("tarnwell.hlp"), &packed);
    std::string cut = dir.file("cut.exe");
    WriteWithResource(cut, "EXE", "HLPFILE", packed.substr(0, packed.size() - 100));
    ExpectRefused(cut, "tarnwell.hlp", "resource HLPFILE: " + std::to_string(packed.size() - 100) + " bytes");

    std::string small = dir.file("small.exe");
    WriteWithResource(small, MAKEINTRESOURCEA(10), "PAYLOADCHECK", std::string("TWPC\x06\0\0\0cut!", 12));
    ExpectRefused(small, "tarnwell.exe", "resource PAYLOADCHECK: 12 bytes are no table");

    // An older record that knows five files: the sixth is refused, the five are not installed.
    const char head[] = "TWPC\x06\0\0\0";
    size_t at = exe.find(std::string(head, 8));
    ASSERT_NE(std::string::npos, at);
    std::string older = exe.substr(at, 8 + 5 * 32);
    older[4] = 5;
    std::string old = dir.file("old.exe");
    WriteWithResource(old, MAKEINTRESOURCEA(10), "PAYLOADCHECK", older);
    ExpectRefused(old, "mib.txt", "resource MIBFILE: no record to check it against");

    // No record at all: the resource's name is changed in the resource directory.
    std::string name("P\0A\0Y\0L\0O\0A\0D\0C\0H\0E\0C\0K\0", 24);
    at = exe.find(name);
    ASSERT_NE(std::string::npos, at);
    std::string none = exe;
    none[at + 22] = 'X';
    std::string missing = dir.file("missing.exe");
    ASSERT_TRUE(WriteWholeFile(missing, none));
    ExpectRefused(missing, "tarnwell.exe", "resource PAYLOADCHECK is missing");
}
