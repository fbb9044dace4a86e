// Fuzz target: SZDD pack then unpack gives the input back, never larger than the format's worst case.
#include "fuzz.h"

#include "szdd_codec.h"
#include "changes/copypaths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> in(data, data + size);
    std::vector<uint8_t> packed;
    uint8_t nameChar = size ? data[0] : 0;
    CHECK(szdd::Pack(in.data(), in.size(), nameChar, packed));
    // All literals: one control byte for every eight.
    CHECK(packed.size() <= szdd::kHeaderSize + size + (size + 7) / 8);

    uint32_t length = 0;
    CHECK(ReadSzddHeader(packed.data(), packed.size(), &length) == 1 && length == size);
    szdd::Header header;
    std::vector<uint8_t> out;
    CHECK(szdd::Unpack(packed.data(), packed.size(), header, out) == szdd::DecodeStatus::Ok);
    CHECK(header.length == size && header.nameChar == nameChar);
    CHECK(out == in);
    return 0;
}
