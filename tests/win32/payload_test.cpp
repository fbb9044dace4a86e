// The payload of the build: its resources, their SZDD headers, and LZ32 expanding each one.
#include <gtest/gtest.h>

#include <windows.h>
#include <lzexpand.h>

#include <string>

#include "copytestutil.h"
#include "changes/copypaths.h"

namespace {

const char *const kResources[] = {"EXEFILE", "HLPFILE", "CNTFILE", "TXTFILE", "REMFILE", "MIBFILE"};

// Expands path with the platform's LZ32 alone, the way any installer would.
std::string ExpandWithLz32(const std::string &path, const std::string &scratch)
{
    HANDLE in = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE out = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, in) << path;
    EXPECT_NE(INVALID_HANDLE_VALUE, out) << scratch;
    HFILE lz = LZInit((HFILE)(INT_PTR)in);
    EXPECT_GE(lz, 0x400) << path << " is not seen as compressed";
    LONG n = LZCopy(lz, (HFILE)(INT_PTR)out);
    LZClose(lz);
    CloseHandle(out);
    std::string content = ReadFileOrEmpty(scratch);
    EXPECT_EQ((LONG)content.size(), n);
    return content;
}

}  // namespace

TEST(Payload, Lz32ExpandsEveryPackedFileByteExactly)
{
    ScratchDir dir("lz32");
    for (const std::string &name : PayloadNames()) {
        SCOPED_TRACE(name);
        std::string original;
        ASSERT_TRUE(ReadWholeFile(OriginalPayload(name), &original));
        std::string packed = ReadFileOrEmpty(PackedPayload(name));
        uint32_t length = 0;
        ASSERT_EQ(1, ReadSzddHeader((const unsigned char *)packed.data(), packed.size(), &length));
        EXPECT_EQ(original.size(), length);
        EXPECT_EQ(0, packed[9]) << "replaced-character byte";
        EXPECT_TRUE(ExpandWithLz32(PackedPayload(name), dir.file("out")) == original);
    }
}

TEST(Payload, ResourcesAreThePackedFilesInLanguage1033)
{
    std::vector<std::string> names = PayloadNames();
    for (size_t i = 0; i < names.size(); i++) {
        SCOPED_TRACE(kResources[i]);
        HRSRC r = FindResourceExA(nullptr, "EXE", kResources[i], MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        ASSERT_NE(nullptr, r);
        const char *bytes = (const char *)LockResource(LoadResource(nullptr, r));
        std::string resource(bytes, SizeofResource(nullptr, r));
        EXPECT_TRUE(resource == ReadFileOrEmpty(PackedPayload(names[i])));
    }
}
