// End-to-end: a damaged setup.exe installs nothing, says which file is damaged, and never waits.
#include <gtest/gtest.h>

#include "scenario.h"
#include "testutil.h"

using namespace e2e;

namespace {

// A copy of setup.exe with one resource replaced by other bytes.
void WriteWithResource(const std::string &path, const char *type, const char *name, const std::string &bytes)
{
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), path.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    ASSERT_TRUE(UpdateResourceA(update, type, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                (void *)bytes.data(), (DWORD)bytes.size()));
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
}

// The damaged copy run silently ends at once with 1603, shows nothing, and its log names the
// damaged file and why; the test's prefix comparison shows that it installed nothing.
void ExpectRefused(const std::string &exe, const std::string &file, const std::string &why)
{
    SCOPED_TRACE(why);
    RunOptions opts;
    opts.exe = exe;
    opts.args = "-s -l";
    opts.timeoutMs = 30000;
    RunResult r = Play(opts);  // no step: any window at all is unexpected
    EXPECT_RUN(r, 1603);
    EXPECT_TRUE(LogHas(r, "This copy of setup.exe is damaged: the file " + file + " inside it")) << r.log;
    EXPECT_TRUE(LogHas(r, why)) << r.log;
    EXPECT_TEMP_CLEAN();
}

}  // namespace

// One flipped bit in the header or the body of any payload stream is refused before anything
// is installed, silent or not; so are a stream cut short and a record missing, cut or older.
TEST(Integrity, DamagedPayloadOrRecordIsRefused)
{
    PrefixState before = TakePrefixState();
    ScratchDir dir("damaged");
    std::string exe, packed;
    ASSERT_TRUE(ReadWholeFile(SetupExe(), &exe));
    for (const PayloadFile &f : kPayload) {
        ASSERT_TRUE(ReadWholeFile(PackedFile(f.name), &packed));
        size_t at = exe.find(packed);  // the resource's bytes are stored as they are
        ASSERT_NE(std::string::npos, at) << f.name;
        for (size_t offset : {at + 11, at + 14 + (packed.size() - 14) / 2}) {  // length, stream
            std::string damaged = exe, path = dir.file(std::to_string(offset) + ".exe");
            damaged[offset] ^= 0x04;
            ASSERT_TRUE(WriteWholeFile(path, damaged));
            ExpectRefused(path, f.name, std::string("resource ") + f.resource + ": ");
        }
    }

    // Interactive: the one message, and its OK ends the run. packed is now mib.txt's.
    std::string damaged = exe, path = dir.file("interactive.exe");
    damaged[exe.find(packed) + 20] ^= 0x01;
    ASSERT_TRUE(WriteWholeFile(path, damaged));
    RunOptions opts;
    opts.exe = path;
    Script s;
    s.Expect("Install").Press(IDOK);
    s.Expect("Tarnwell Install", "is damaged: the file mib.txt inside it").Press(IDOK);
    EXPECT_RUN(Play(opts, s), 1603);

    WriteWithResource(path = dir.file("cut.exe"), "EXE", "MIBFILE", packed.substr(0, packed.size() - 9));
    ExpectRefused(path, "mib.txt", "resource MIBFILE: " + std::to_string(packed.size() - 9) + " bytes");
    WriteWithResource(path = dir.file("small.exe"), MAKEINTRESOURCEA(10), "PAYLOADCHECK", "TWPC");
    ExpectRefused(path, "tarnwell.exe", "resource PAYLOADCHECK: 4 bytes are no table");
    // An older record that knows five files.
    size_t at = exe.find(std::string("TWPC\x06\0\0\0", 8));
    ASSERT_NE(std::string::npos, at);
    std::string older = exe.substr(at, 8 + 5 * 32);
    older[4] = 5;
    WriteWithResource(path = dir.file("old.exe"), MAKEINTRESOURCEA(10), "PAYLOADCHECK", older);
    ExpectRefused(path, "mib.txt", "resource MIBFILE: no record to check it against");
    // No record at all: its name in the resource directory is changed.
    at = exe.find(std::string("P\0A\0Y\0L\0O\0A\0D\0C\0H\0E\0C\0K\0", 24));
    ASSERT_NE(std::string::npos, at);
    damaged = exe;
    damaged[at + 22] = 'X';
    ASSERT_TRUE(WriteWholeFile(path = dir.file("none.exe"), damaged));
    ExpectRefused(path, "tarnwell.exe", "resource PAYLOADCHECK is missing");

    std::vector<std::string> diff = PrefixDifferences(before, TakePrefixState());
    EXPECT_TRUE(diff.empty()) << "damaged copies changed the prefix:\n" << Lines(diff);
}
