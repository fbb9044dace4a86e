// Fuzz target: the SZDD decoder on arbitrary bytes, with the copy engine's header test beside it.
#include "fuzz.h"

#include "szdd_codec.h"
#include "changes/copypaths.h"

// The format read plainly: every item to the end of the input. Sets *cut when the input ends
// inside a match and *past when the items give more than length bytes or one starts after them.
static std::vector<uint8_t> Reference(const std::vector<uint8_t> &f, uint32_t length, bool *cut, bool *past)
{
    std::vector<uint8_t> out;
    uint8_t window[4096];
    memset(window, ' ', sizeof window);
    unsigned w = 0xFF0;
    *cut = *past = false;
    for (size_t i = 14, bit = 8, control = 0; i < f.size();) {
        if (bit == 8) {
            control = f[i++];
            bit = 0;
            continue;
        }
        *past |= out.size() >= length;
        if (control >> bit++ & 1) {
            out.push_back(window[w++ & 0xFFF] = f[i++]);
            continue;
        }
        if (i + 2 > f.size()) {
            *cut = true;
            break;
        }
        unsigned pos = f[i] | (f[i + 1] & 0xF0) << 4, len = (f[i + 1] & 0x0F) + 3;
        for (unsigned k = 0; k < len; k++)
            out.push_back(window[w++ & 0xFFF] = window[(pos + k) & 0xFFF]);
        i += 2;
    }
    *past |= out.size() > length;
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> file(data, data + size);  // exactly the input: no byte past it is read
    szdd::Header header;
    std::vector<uint8_t> out;
    szdd::DecodeStatus status = szdd::Unpack(file.data(), file.size(), header, out);

    // Both readers of the header agree on what is an SZDD mode A file and on its length.
    uint32_t length = 0;
    int kind = ReadSzddHeader(file.data(), file.size(), &length);
    CHECK((status == szdd::DecodeStatus::BadHeader) == (kind != 1));
    if (status == szdd::DecodeStatus::BadHeader) {
        CHECK(out.empty());
        return 0;
    }
    CHECK(length == header.length);

    // Never more than the header states: the plain reading cut there, and the status says why
    // it stopped.
    bool cut, past;
    std::vector<uint8_t> all = Reference(file, header.length, &cut, &past);
    CHECK(out.size() <= header.length);
    CHECK(out.size() == std::min<size_t>(all.size(), header.length));
    CHECK(std::equal(out.begin(), out.end(), all.begin()));
    if (past)
        CHECK(status == szdd::DecodeStatus::LongerThanHeader);
    else
        CHECK(status == (cut ? szdd::DecodeStatus::TruncatedMatch : szdd::DecodeStatus::Ok));
    return 0;
}
