// Fuzz target: the path helpers keep every path inside its buffer, terminated, and refuse
// rather than cut a path that does not fit.
#include "fuzz.h"

#include <string>

#include "prompts/paths.h"
#include "support/strbuf.h"
#include "changes/copypaths.h"

// A composed path: 1 and the path when it fits in cap bytes, else 0 and an empty buffer.
static void CheckComposed(int fit, const std::vector<char> &out, const std::string &path)
{
    CHECK(fit == (path.size() < out.size()));
    if (!out.empty())
        CHECK(fit ? path == out.data() : out[0] == '\0');
}

// dir filled as a caller holds it: the text when it fits, else cap bytes with no terminator.
static std::vector<char> Holding(const std::string &text, size_t cap)
{
    std::vector<char> dir = Buffer(cap);
    if (cap)
        memcpy(dir.data(), text.data(), std::min(cap, text.size() + 1));
    return dir;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    // Two bytes size the buffers, two give the working name's serial; then two texts.
    size_t cap = (data[0] | data[1] << 8) % 700;
    unsigned serial = data[2] | data[3] << 8;
    std::vector<Text> texts = SplitTexts(data + 4, size - 4, 2);
    const std::string a = texts[0].data(), b = texts[1].data();
    std::vector<char> out = Buffer(cap);

    CheckComposed(ComposeSourcePath(out.data(), cap, a.c_str(), b.c_str()), out, a + b);
    // A directory that ends in a backslash (a drive root) is joined without another.
    bool rooted = !a.empty() && a.back() == '\\';
    CheckComposed(ComposeTargetPath(out.data(), cap, a.c_str(), b.c_str()), out, rooted ? a + b : a + "\\" + b);
    std::string compressed = a;
    if (!compressed.empty())
        compressed.back() = '_';
    CheckComposed(ComposeCompressedPath(out.data(), cap, a.c_str()), out, compressed);
    char name[16];
    snprintf(name, sizeof name, "~tw%04X.tmp", serial);
    size_t slash = a.rfind('\\');
    std::string sibling = (slash == std::string::npos ? "" : a.substr(0, slash + 1)) + name;
    CheckComposed(ComposeSiblingTempPath(out.data(), cap, a.c_str(), serial), out, sibling);

    // In place: a directory gains one backslash, or stays as it was when that does not fit.
    std::string slashed = !a.empty() && a.back() == '\\' ? a : a + "\\";
    if (a.size() < cap) {
        std::vector<char> dir = Holding(a, cap);
        int fit = EnsureTrailingBackslash(dir.data(), cap);
        CHECK(fit == (slashed.size() < cap));
        CHECK((fit ? slashed : a) == dir.data());
        StripTrailingBackslash(dir.data());
        // A drive root ("X:\\") keeps its backslash.
        bool root = fit && slashed.size() == 3 && slashed[1] == ':' && slashed[2] == '\\';
        CHECK((root ? slashed : slashed.substr(0, slashed.size() - 1)) == dir.data());
    }
    std::string search = a.empty() || a.back() == '\\' ? a : a + "\\";
    std::vector<char> dir = Holding(a, cap);
    size_t base = SIZE_MAX;
    int usable = PrepareSearchDirectory(dir.data(), cap, b.c_str(), &base);
    CHECK(usable == (a.size() < cap && search.size() + b.size() < cap));
    if (usable)
        CHECK(search == dir.data() && base == search.size());
    else
        CHECK(base == SIZE_MAX && dir == Holding(a, cap));
    size_t longest = LongestSearchDirectory(cap, b.c_str());
    CHECK(longest == 0 || longest + 1 + b.size() == cap - 1);

    std::string path = a;
    ToCompressedName(&path[0]);
    CHECK(path == compressed);
    // The parent is a leading part of the path, never longer.
    path = a;
    if (CutToParent(&path[0]))
        CHECK(strlen(path.c_str()) < a.size() && a.compare(0, strlen(path.c_str()), path.c_str()) == 0);
    else
        CHECK(path == a);
    path = a;
    CutToDirectory(&path[0]);
    CHECK(path.c_str() == (slash == std::string::npos ? a : a.substr(0, slash)));

    // The filter: the name, cut to fit, then the pattern and the closing zeros, all within cap.
    int whole = BuildAllFilesFilter(out.data(), cap, a.c_str());
    const char tail[] = " (*.*)\0*.*\0\0";  // and the terminator
    if (cap < sizeof tail) {
        CHECK(!whole);
        for (char ch : out)
            CHECK(ch == '\0');
    } else {
        size_t kept = std::min(a.size(), cap - sizeof tail);
        CHECK(whole == (kept == a.size()));
        CHECK(memcmp(out.data() + kept, tail, sizeof tail) == 0);
    }
    return 0;
}
