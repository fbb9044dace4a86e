// Tests of the SZDD codec: exact optimum against a brute force, and round trips through three decoders.
#include <gtest/gtest.h>
#include <mspack.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "szdd_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kMsexpand = "/usr/bin/msexpand";

Bytes Random(std::size_t n, std::uint32_t seed, unsigned alphabet = 256) {
    Bytes b(n);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& v : b) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        v = static_cast<std::uint8_t>((x >> 8) % alphabet);
    }
    return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Bytes ReadBytes(const std::string& path) {
    Bytes b;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        ADD_FAILURE() << "cannot read " << path;
        return b;
    }
    int c;
    while ((c = std::fgetc(f)) != EOF) b.push_back(static_cast<std::uint8_t>(c));
    std::fclose(f);
    return b;
}

void WriteBytes(const std::string& path, const Bytes& b) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(std::fwrite(b.data(), 1, b.size(), f), b.size());
    ASSERT_EQ(std::fclose(f), 0);
}

std::string TempPath(const char* name) {
    return testing::TempDir() + "szdd_test_" + std::to_string(getpid()) + "_" + name;
}

Bytes Text() { return ReadBytes("/usr/share/common-licenses/GPL-3"); }

// A Windows executable from the platform's own files, or a stand-in with the
// same mix of headers, zero padding, tables and code-like bytes.
Bytes PeExecutable() {
    for (const char* p : {"/usr/lib/wine/i386-windows/notepad.exe",
                          "/usr/lib/i386-linux-gnu/wine/i386-windows/notepad.exe"})
        if (access(p, R_OK) == 0) return ReadBytes(p);
    Bytes pe = Concat({{'M', 'Z'}, Bytes(0x3A, 0), {0x80, 0, 0, 0}, Bytes(0x40, 0), {'P', 'E', 0, 0}});
    for (std::uint32_t s = 1; s <= 40; ++s)
        pe = Concat({pe, Random(900, s, 40 + s), Bytes(s * 13, 0), Random(200, s % 5, 256)});
    return pe;
}

// Structure of a packed stream: token counts, and whether every match
// refers only to bytes already written, at distances 1 to 4095.
struct Shape {
    std::uint64_t literals = 0;
    std::uint64_t matches = 0;
    bool refsWritten = true;
};

Shape Walk(const Bytes& f) {
    Shape s;
    std::size_t written = 0;
    std::size_t i = szdd::kHeaderSize;
    while (i < f.size()) {
        const std::uint8_t control = f[i++];
        for (int bit = 0; bit < 8 && i < f.size(); ++bit) {
            if (control & (1 << bit)) {
                ++s.literals;
                ++written;
                ++i;
                continue;
            }
            if (i + 2 > f.size()) {
                s.refsWritten = false;
                return s;
            }
            const std::size_t pos = f[i] | ((f[i + 1] & 0xF0) << 4);
            const std::size_t distance = (0xFF0 + written - pos) & 0xFFF;
            if (distance == 0 || distance > written) s.refsWritten = false;
            ++s.matches;
            written += (f[i + 1] & 0x0F) + 3;
            i += 2;
        }
    }
    return s;
}

// The fewest bits of any stream for the input, by a forward pass over every
// literal and every match of every distance and length the format allows.
std::uint64_t BruteForceOptimalBits(const Bytes& in) {
    std::vector<std::uint64_t> best(in.size() + 1, UINT64_MAX);
    best[0] = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        best[i + 1] = std::min(best[i + 1], best[i] + 9);
        for (std::size_t d = 1; d <= std::min<std::size_t>(i, 4095); ++d)
            for (std::size_t len = 0; len < 18 && i + len < in.size() && in[i + len - d] == in[i + len];) {
                if (++len >= 3) best[i + len] = std::min(best[i + len], best[i] + 17);
            }
    }
    return best[in.size()];
}

Bytes PackOrFail(const Bytes& in) {
    Bytes out;
    EXPECT_TRUE(szdd::Pack(in.data(), in.size(), 0, out));
    return out;
}

Bytes DecodeWithMspack(const Bytes& packed) {
    const std::string in = TempPath("mspack_in");
    const std::string out = TempPath("mspack_out");
    WriteBytes(in, packed);
    msszdd_decompressor* d = mspack_create_szdd_decompressor(nullptr);
    EXPECT_NE(d, nullptr);
    if (!d) return {};
    EXPECT_EQ(d->decompress(d, in.c_str(), out.c_str()), MSPACK_ERR_OK);
    mspack_destroy_szdd_decompressor(d);
    Bytes b = ReadBytes(out);
    std::remove(in.c_str());
    std::remove(out.c_str());
    return b;
}

Bytes DecodeWithMsexpand(const Bytes& packed) {
    const std::string in = TempPath("msexpand_in");
    const std::string out = TempPath("msexpand_out");
    WriteBytes(in, packed);
    const std::string cmd = std::string(kMsexpand) + " < '" + in + "' > '" + out + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    Bytes b = ReadBytes(out);
    std::remove(in.c_str());
    std::remove(out.c_str());
    return b;
}

TEST(SzddFormat, HeaderHoldsSignatureModeNameCharAndLength) {
    const Bytes in = Random(70000, 3);
    Bytes out;
    ASSERT_TRUE(szdd::Pack(in.data(), in.size(), 'e', out));
    const Bytes header(out.begin(), out.begin() + szdd::kHeaderSize);
    EXPECT_EQ(header,
              (Bytes{0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 'A', 'e', 0x70, 0x11, 0x01, 0x00}));
}

TEST(SzddFormat, ReproducesAndDecodesTheKnownCompressorVector) {
    const std::string text = "This is a test file.";
    const Bytes in(text.begin(), text.end());
    const Bytes known = Concat({{0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 'A', 0, 20, 0, 0, 0},
                                {0xDF, 0x54, 0x68, 0x69, 0x73, 0x20, 0xF2, 0xF0, 0x61, 0x20, 0xFF, 0x74,
                                 0x65, 0x73, 0x74, 0x20, 0x66, 0x69, 0x6C, 0x03, 0x65, 0x2E}});
    EXPECT_EQ(PackOrFail(in), known);
    szdd::Header header;
    Bytes decoded;
    ASSERT_EQ(szdd::Unpack(known.data(), known.size(), header, decoded), szdd::DecodeStatus::Ok);
    EXPECT_EQ(decoded, in);
    EXPECT_EQ(header.length, 20u);
}

TEST(SzddDecode, HandlesForeignStreams) {
    const Bytes packed = PackOrFail(Bytes(40, 'z'));  // one literal, then matches
    szdd::Header header;
    Bytes out;
    Bytes modeB = packed;
    modeB[8] = 'B';
    EXPECT_EQ(szdd::Unpack(modeB.data(), modeB.size(), header, out), szdd::DecodeStatus::BadHeader);
    Bytes badSignature = packed;
    badSignature[3] = 'Q';
    EXPECT_EQ(szdd::Unpack(badSignature.data(), badSignature.size(), header, out),
              szdd::DecodeStatus::BadHeader);
    EXPECT_EQ(szdd::Unpack(packed.data(), 13, header, out), szdd::DecodeStatus::BadHeader);

    // Other compressors may refer to the never-written window, which holds spaces.
    const Bytes fillRef = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 'A', 0, 5, 0, 0, 0,
                           0x02, 0x00, 0x01, '!'};
    ASSERT_EQ(szdd::Unpack(fillRef.data(), fillRef.size(), header, out), szdd::DecodeStatus::Ok);
    EXPECT_EQ(out, (Bytes{' ', ' ', ' ', ' ', '!'}));

    // A stream that goes on past the stated length stops there, also inside a match.
    Bytes longer = packed;
    longer[10] = 39;
    EXPECT_EQ(szdd::Unpack(longer.data(), longer.size(), header, out), szdd::DecodeStatus::LongerThanHeader);
    EXPECT_EQ(out, Bytes(39, 'z'));
    const Bytes overrun = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 'A', 0, 1, 0, 0, 0, 0x00, 0x10, 0x00};
    EXPECT_EQ(szdd::Unpack(overrun.data(), overrun.size(), header, out), szdd::DecodeStatus::LongerThanHeader);
    EXPECT_EQ(out, Bytes(1, ' '));

    const Bytes cut(packed.begin(), packed.end() - 1);
    EXPECT_EQ(szdd::Unpack(cut.data(), cut.size(), header, out), szdd::DecodeStatus::TruncatedMatch);
    EXPECT_LT(out.size(), header.length);
}

// Inputs small enough for the brute force, chosen to have many overlapping
// matches, matches at the window's edge and runs.
std::vector<Bytes> SmallInputs() {
    std::vector<Bytes> inputs;
    for (unsigned alphabet : {2u, 3u, 4u, 26u})
        for (std::size_t n : {1, 2, 3, 4, 5, 7, 9, 12, 17, 18, 19, 20, 37, 50, 200, 700, 5000})
            inputs.push_back(Random(n, static_cast<std::uint32_t>(n * alphabet), alphabet));
    const Bytes text = Text();
    inputs.emplace_back(text.begin(), text.begin() + std::min<std::size_t>(text.size(), 6000));
    const Bytes block = Random(18, 77);
    inputs.push_back(Concat({block, Random(4095 - 18, 78), block}));  // repeat at distance 4095
    inputs.push_back(Concat({block, Random(4096 - 18, 78), block}));  // just out of reach
    inputs.push_back(Concat({Bytes(300, 0), Random(40, 5, 3), Bytes(19, 0), {1}, Bytes(35, 0)}));
    inputs.push_back(Bytes(100, ' '));
    return inputs;
}

TEST(SzddOptimality, EqualsBruteForceOptimumAndSizeFormula) {
    for (const Bytes& in : SmallInputs()) {
        SCOPED_TRACE("input of " + std::to_string(in.size()) + " bytes");
        const Bytes packed = PackOrFail(in);
        const Shape shape = Walk(packed);
        const std::uint64_t bits = 9 * shape.literals + 17 * shape.matches;
        EXPECT_TRUE(shape.refsWritten);
        EXPECT_EQ(bits, BruteForceOptimalBits(in));
        EXPECT_EQ(packed.size(), szdd::kHeaderSize + (bits + 7) / 8);
    }
}

TEST(SzddOptimality, ReachesExactlyToDistance4095) {
    const Bytes block = Random(18, 77);
    const Bytes reachable = Concat({block, Random(4095 - 18, 78), block});
    const Bytes unreachable = Concat({block, Random(4096 - 18, 78), block});
    EXPECT_EQ(Walk(PackOrFail(reachable)).matches, 1u);
    EXPECT_EQ(Walk(PackOrFail(unreachable)).matches, 0u);
}

struct Sample {
    std::string name;
    Bytes data;
};

std::vector<Sample> Corpus() {
    const Bytes text = Text();
    std::vector<Sample> c = {
        {"Empty", {}},
        {"OneByte", {'x'}},
        {"TwoSpaces", {' ', ' '}},
        {"ThreeEqual", {'a', 'a', 'a'}},
        {"Spaces", Bytes(5000, ' ')},
        {"Zeros", Bytes(102400, 0)},
        {"Random", Random(65536, 1)},
        {"Text", text},
        {"PeExecutable", PeExecutable()},
        {"ElfExecutable", ReadBytes("/usr/bin/ls")},
    };
    for (std::size_t n : {4094, 4095, 4096, 4097, 4098, 4113, 4114})
        c.push_back({"TextPrefix" + std::to_string(n), Bytes(text.begin(), text.begin() + n)});
    // Item counts around multiples of 8: literals only, then mixes of both.
    for (std::size_t n : {7, 8, 9, 15, 16, 17, 64, 65})
        c.push_back({"Literals" + std::to_string(n), Random(n, static_cast<std::uint32_t>(n))});
    for (std::size_t n : {21, 24, 29, 34, 40, 41, 57})
        c.push_back({"Mixed" + std::to_string(n), Random(n, static_cast<std::uint32_t>(n), 3)});
    return c;
}

void PrintTo(const Sample& s, std::ostream* os) { *os << s.name << " (" << s.data.size() << " bytes)"; }

class SzddRoundTrip : public testing::TestWithParam<Sample> {};

TEST_P(SzddRoundTrip, DecodersRestoreTheInput) {
    ASSERT_EQ(access(kMsexpand, X_OK), 0) << kMsexpand << " is missing (the bootstrap installs it)";
    const Bytes& in = GetParam().data;
    const Bytes packed = PackOrFail(in);
    const Shape shape = Walk(packed);
    EXPECT_TRUE(shape.refsWritten);
    EXPECT_EQ(packed.size(), szdd::kHeaderSize + (9 * shape.literals + 17 * shape.matches + 7) / 8);
    EXPECT_LE(packed.size(), szdd::kHeaderSize + in.size() + (in.size() + 7) / 8);

    szdd::Header header;
    Bytes ours;
    ASSERT_EQ(szdd::Unpack(packed.data(), packed.size(), header, ours), szdd::DecodeStatus::Ok);
    EXPECT_EQ(header.length, in.size());
    EXPECT_TRUE(ours == in) << "own decoder";
    EXPECT_TRUE(DecodeWithMspack(packed) == in) << "libmspack";
    EXPECT_TRUE(DecodeWithMsexpand(packed) == in) << "msexpand";
}

INSTANTIATE_TEST_SUITE_P(Corpus, SzddRoundTrip, testing::ValuesIn(Corpus()),
                         [](const testing::TestParamInfo<Sample>& p) { return p.param.name; });

}  // namespace
