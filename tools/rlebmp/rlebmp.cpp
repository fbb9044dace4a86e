// rlebmp: host command of the build that stores an uncompressed 8- or 4-bit BMP run-length
// encoded (BI_RLE8, BI_RLE4) with the palette cut after its highest used colour: the same
// picture in fewer bytes.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2;

std::uint32_t Get32(const Bytes &b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

void Put32(Bytes &b, size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

// Appends one row of pixel indices in the encoding of the depth: runs of one index as counted
// pairs, stretches of three or more differing pixels in absolute mode, then end of line.
void EncodeRow(Bytes &out, const std::vector<std::uint8_t> &px, int bits)
{
    size_t n = px.size(), i = 0;
    auto runAt = [&](size_t k) {
        size_t j = k;
        while (j < n && j - k < 255 && px[j] == px[k])
            j++;
        return j - k;
    };
    while (i < n) {
        size_t run = runAt(i);
        if (run >= 3 || n - i < 3) {
            out.push_back(std::uint8_t(run));
            out.push_back(bits == 8 ? px[i] : std::uint8_t(px[i] << 4 | px[i]));
            i += run;
            continue;
        }
        // Absolute: up to the next run of three or more, at most 255 pixels.
        size_t k = i;
        while (k < n && k - i < 255 && runAt(k) < 3)
            k++;
        size_t count = k - i;
        if (count < 3) {    // too short for absolute mode: pairs of one pixel each
            for (; i < k; i++) {
                out.push_back(1);
                out.push_back(bits == 8 ? px[i] : std::uint8_t(px[i] << 4));
            }
            continue;
        }
        out.push_back(0);
        out.push_back(std::uint8_t(count));
        size_t start = out.size();
        if (bits == 8) {
            out.insert(out.end(), px.begin() + long(i), px.begin() + long(k));
        } else {
            for (size_t p = i; p < k; p += 2)
                out.push_back(std::uint8_t(px[p] << 4 | (p + 1 < k ? px[p + 1] : 0)));
        }
        if ((out.size() - start) % 2)
            out.push_back(0);   // absolute data ends on a 16-bit boundary
        i = k;
    }
    out.push_back(0);
    out.push_back(0);
}

int Fail(const char *what, const char *path)
{
    std::fprintf(stderr, "rlebmp: %s: %s\n", path, what);
    return 1;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: rlebmp IN.bmp OUT.bmp\n", stderr);
        return 2;
    }
    Bytes in;
    if (std::FILE *f = std::fopen(argv[1], "rb")) {
        std::uint8_t chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            in.insert(in.end(), chunk, chunk + got);
        std::fclose(f);
    } else {
        return Fail("cannot open", argv[1]);
    }
    if (in.size() < 54 || in[0] != 'B' || in[1] != 'M' || Get32(in, 14) != 40)
        return Fail("not a BMP with a BITMAPINFOHEADER", argv[1]);
    std::int32_t width = std::int32_t(Get32(in, 18)), height = std::int32_t(Get32(in, 22));
    int bits = in[28] | in[29] << 8;
    std::uint32_t offset = Get32(in, 10);
    if (Get32(in, 30) != kRgb || (bits != 8 && bits != 4) || width <= 0 || width > 65535 || height <= 0 ||
        height > 65535)
        return Fail("only bottom-up uncompressed 8- and 4-bit images are encoded", argv[1]);
    size_t stride = ((size_t(width) * size_t(bits) + 31) / 32) * 4;
    if (offset < 54 || offset > in.size() || (in.size() - offset) / stride < size_t(height))
        return Fail("pixel data cut short", argv[1]);

    std::uint32_t colours = Get32(in, 46) ? Get32(in, 46) : 1u << bits;
    if (colours > (1u << bits) || offset < 54 + 4 * colours)
        return Fail("palette does not fit", argv[1]);

    Bytes bitsOut;
    std::uint8_t highest = 0;
    std::vector<std::uint8_t> row(static_cast<size_t>(width));
    for (std::int32_t y = 0; y < height; y++) {
        const std::uint8_t *src = &in[offset + size_t(y) * stride];
        for (std::int32_t x = 0; x < width; x++) {
            row[size_t(x)] = bits == 8 ? src[x] : std::uint8_t(x % 2 ? src[x / 2] & 15 : src[x / 2] >> 4);
            if (row[size_t(x)] > highest)
                highest = row[size_t(x)];
        }
        EncodeRow(bitsOut, row, bits);
    }
    bitsOut.back() = 1;     // the last end of line becomes end of bitmap
    if (highest >= colours)
        return Fail("a pixel names a colour beyond the palette", argv[1]);

    // Headers, the palette up to the highest colour used, and the bits right after it, as a
    // bitmap resource holds them.
    colours = highest + 1u;
    Bytes out(in.begin(), in.begin() + 54 + 4 * colours);
    Put32(out, 10, std::uint32_t(out.size()));
    Put32(out, 30, bits == 8 ? kRle8 : kRle4);
    Put32(out, 34, std::uint32_t(bitsOut.size()));
    Put32(out, 46, colours);
    Put32(out, 50, 0);  // all colours important
    out.insert(out.end(), bitsOut.begin(), bitsOut.end());
    Put32(out, 2, std::uint32_t(out.size()));

    std::FILE *f = std::fopen(argv[2], "wb");
    if (!f)
        return Fail("cannot create", argv[2]);
    bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    if (std::fclose(f) != 0 || !written)
        return Fail("write failed", argv[2]);
    return 0;
}
