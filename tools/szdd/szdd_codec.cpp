// SZDD codec: binary-tree longest-match finder, exact shortest-path parse, stream writer and decoder.
#include "szdd_codec.h"

#include <algorithm>
#include <cstring>

namespace szdd {
namespace {

constexpr std::uint8_t kSignature[8] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};
constexpr std::uint32_t kWindowSize = 4096;
constexpr std::uint32_t kWindowMask = kWindowSize - 1;
constexpr std::uint32_t kWindowStart = 0xFF0;  // ring position of the first output byte
constexpr std::uint8_t kWindowFill = 0x20;
constexpr std::uint32_t kMinMatch = 3;
constexpr std::uint32_t kMaxMatch = 18;
constexpr std::uint32_t kMaxDistance = kWindowSize - 1;
constexpr std::uint64_t kLiteralBits = 9;
constexpr std::uint64_t kMatchBits = 17;
constexpr std::uint32_t kHashBits = 16;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;

std::uint32_t Hash3(const std::uint8_t* p) {
    const std::uint32_t v = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    return (v * 2654435761u) >> (32 - kHashBits);
}

// Extends a common prefix of a and b of len bytes up to limit, eight bytes
// at a time while they fit; the first differing byte of a word is found by
// its lowest set bit where the compiler offers that.
std::uint32_t CommonPrefix(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t len,
                           std::uint32_t limit) {
    for (; len + 8 <= limit; len += 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y) {
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            return len + static_cast<std::uint32_t>(__builtin_ctzll(x ^ y) >> 3);
#else
            break;
#endif
        }
    }
    while (len < limit && a[len] == b[len]) ++len;
    return len;
}

// For every position, the longest match (0 when shorter than kMinMatch) and
// its distance among the previous kMaxDistance positions. Each hash bucket
// holds a binary search tree of the strings starting at earlier positions,
// ordered by their first kMaxMatch bytes; every new position becomes the
// root and the old tree is split beneath it. Descendants are always older
// than their ancestors, so a node beyond the window cuts off its whole
// subtree. The search path passes both sorted neighbours of the new string,
// which makes the longest match exact; a string equal over the whole limit
// replaces the older one, so runs keep the trees shallow.
void FindLongestMatches(const std::uint8_t* data, std::uint32_t n,
                        std::vector<std::uint8_t>& length,
                        std::vector<std::uint16_t>& distance) {
    length.assign(n, 0);
    distance.assign(n, 0);
    std::vector<std::uint32_t> head(std::size_t{1} << kHashBits, kNone);
    // Children by position modulo the window size, [2s] smaller and [2s+1]
    // larger: the node a full window back shares the new node's slot, which
    // is why the distance stops at kMaxDistance.
    std::vector<std::uint32_t> child(2 * kWindowSize, kNone);
    for (std::uint32_t cur = 0; n - cur >= kMinMatch; ++cur) {
        const std::uint32_t limit = std::min(kMaxMatch, n - cur);
        const std::uint8_t* s = data + cur;
        std::uint32_t& root = head[Hash3(s)];
        std::uint32_t cand = root;
        root = cur;
        std::uint32_t* smaller = &child[2 * (cur & kWindowMask)];
        std::uint32_t* larger = smaller + 1;
        std::uint32_t lenSmaller = 0;
        std::uint32_t lenLarger = 0;
        std::uint32_t best = 0;
        std::uint32_t bestDistance = 0;
        for (;;) {
            if (cand == kNone || cur - cand > kMaxDistance) {
                *smaller = kNone;
                *larger = kNone;
                break;
            }
            std::uint32_t* node = &child[2 * (cand & kWindowMask)];
            const std::uint8_t* c = data + cand;
            const std::uint32_t len = CommonPrefix(c, s, std::min(lenSmaller, lenLarger), limit);
            if (len > best) {
                best = len;
                bestDistance = cur - cand;
            }
            if (len == limit) {
                *smaller = node[0];
                *larger = node[1];
                break;
            }
            if (c[len] < s[len]) {
                *smaller = cand;
                smaller = node + 1;
                cand = *smaller;
                lenSmaller = len;
            } else {
                *larger = cand;
                larger = node;
                cand = *larger;
                lenLarger = len;
            }
        }
        if (best >= kMinMatch) {
            length[cur] = static_cast<std::uint8_t>(best);
            distance[cur] = static_cast<std::uint16_t>(bestDistance);
        }
    }
}

// Turns length[] into the token chosen at each position (0 for a literal)
// along a shortest path from the end. Every prefix of a match is a match at
// the same distance and every token has a fixed cost, so trying lengths
// kMinMatch..longest at each position gives the exact minimum.
void ChooseTokens(std::uint32_t n, std::vector<std::uint8_t>& length) {
    constexpr std::uint32_t kRing = 32;  // > kMaxMatch: cost[i..i+kMaxMatch] fit
    std::uint64_t cost[kRing];
    cost[n % kRing] = 0;
    for (std::uint32_t i = n; i-- > 0;) {
        std::uint64_t best = cost[(i + 1) % kRing] + kLiteralBits;
        std::uint8_t pick = 0;
        for (std::uint32_t len = kMinMatch; len <= length[i]; ++len) {
            const std::uint64_t c = cost[(i + len) % kRing] + kMatchBits;
            if (c <= best) {
                best = c;
                pick = static_cast<std::uint8_t>(len);
            }
        }
        cost[i % kRing] = best;
        length[i] = pick;
    }
}

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

bool Pack(const std::uint8_t* data, std::size_t size, std::uint8_t nameChar,
          std::vector<std::uint8_t>& out) {
    out.clear();
    if (size > 0xFFFFFFFFu) return false;
    const auto n = static_cast<std::uint32_t>(size);
    std::vector<std::uint8_t> length;
    std::vector<std::uint16_t> distance;
    FindLongestMatches(data, n, length, distance);
    ChooseTokens(n, length);

    out.reserve(kHeaderSize + size + size / 8 + 1);
    out.insert(out.end(), kSignature, kSignature + sizeof kSignature);
    out.push_back(kModeA);
    out.push_back(nameChar);
    PutLe32(out, n);
    std::size_t control = 0;
    unsigned item = 0;
    for (std::uint32_t i = 0; i < n;) {
        if (item == 0) {
            control = out.size();
            out.push_back(0);
        }
        const std::uint32_t len = length[i];
        if (len == 0) {
            out[control] |= static_cast<std::uint8_t>(1u << item);
            out.push_back(data[i]);
            ++i;
        } else {
            const std::uint32_t pos = (kWindowStart + i - distance[i]) & kWindowMask;
            out.push_back(static_cast<std::uint8_t>(pos));
            out.push_back(static_cast<std::uint8_t>(((pos >> 4) & 0xF0) | (len - kMinMatch)));
            i += len;
        }
        item = (item + 1) & 7;
    }
    return true;
}

bool ParseHeader(const std::uint8_t* file, std::size_t size, Header& header) {
    if (size < kHeaderSize || std::memcmp(file, kSignature, sizeof kSignature) != 0 ||
        file[8] != kModeA)
        return false;
    header.mode = file[8];
    header.nameChar = file[9];
    header.length = std::uint32_t{file[10]} | (std::uint32_t{file[11]} << 8) |
                    (std::uint32_t{file[12]} << 16) | (std::uint32_t{file[13]} << 24);
    return true;
}

DecodeStatus Unpack(const std::uint8_t* file, std::size_t size, Header& header,
                    std::vector<std::uint8_t>& out) {
    out.clear();
    if (!ParseHeader(file, size, header)) return DecodeStatus::BadHeader;
    // A two-byte match yields at most 18 bytes, so the stated length is only
    // trusted up to what the stream can produce.
    out.reserve(std::min<std::size_t>(header.length, (size - kHeaderSize) * 9));
    std::uint8_t window[kWindowSize];
    std::memset(window, kWindowFill, sizeof window);
    std::uint32_t w = kWindowStart;
    std::size_t i = kHeaderSize;
    while (i < size) {
        const std::uint8_t control = file[i++];
        for (unsigned bit = 0; bit < 8 && i < size; ++bit) {
            if (out.size() >= header.length) return DecodeStatus::LongerThanHeader;
            if (control & (1u << bit)) {
                out.push_back(window[w] = file[i++]);
                w = (w + 1) & kWindowMask;
                continue;
            }
            if (size - i < 2) return DecodeStatus::TruncatedMatch;
            const std::uint32_t pos = file[i] | ((file[i + 1] & 0xF0u) << 4);
            const std::uint32_t len = (file[i + 1] & 0x0Fu) + kMinMatch;
            i += 2;
            for (std::uint32_t k = 0; k < len; ++k) {
                if (out.size() >= header.length) return DecodeStatus::LongerThanHeader;
                out.push_back(window[w] = window[(pos + k) & kWindowMask]);
                w = (w + 1) & kWindowMask;
            }
        }
    }
    return DecodeStatus::Ok;
}

}  // namespace szdd
