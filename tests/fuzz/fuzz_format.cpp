// Fuzz target: message insert expansion, cut to every buffer size and never past its arguments.
#include "fuzz.h"

#include <string>

#include "support/format.h"

// The highest position of 1 to 9 that any "%" of the template is followed by: no expansion
// may ask for more arguments than this.
static int MostInsertsNamed(const char *t)
{
    int most = 0;
    for (; *t; t++) {
        if (t[0] != '%' || t[1] < '1' || t[1] > '9')
            continue;
        int pos = t[1] - '0';
        if (t[2] >= '0' && t[2] <= '9')
            pos = pos * 10 + t[2] - '0';
        if (pos <= TW_MAX_INSERTS && pos > most)
            most = pos;
    }
    return most;
}

// FormatMessageText with exactly count arguments, each of the type the template reads it as.
template <int N, typename... A>
static int Format(std::vector<char> &out, const char *tmpl, const char *kinds, int count, const InsertArg *v,
                  A... a)
{
    if constexpr (N < TW_MAX_INSERTS) {
        if (N < count) {
            if (kinds[N + 1] == 's')
                return Format<N + 1>(out, tmpl, kinds, count, v, a..., v[N].s);
            return Format<N + 1>(out, tmpl, kinds, count, v, a..., v[N].u);
        }
    }
    return FormatMessageText(out.data(), out.size(), tmpl, a...);
}

// The whole expansion with the first count arguments.
static std::string Whole(const char *tmpl, const InsertArg *args, int count)
{
    for (size_t cap = 256;; cap *= 2) {
        std::vector<char> out = Buffer(cap);
        if (ExpandInserts(out.data(), cap, tmpl, args, count))
            return out.data();
    }
}

// The expansion into cap bytes is the whole one cut to cap - 1 characters and terminated.
static void CheckCut(const std::vector<char> &out, const std::string &whole, size_t limit)
{
    if (out.empty())
        return;
    size_t n = strnlen(out.data(), out.size());
    CHECK(n < out.size());
    CHECK(n == std::min(whole.size(), std::min(out.size() - 1, limit)));
    CHECK(whole.compare(0, n, out.data()) == 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size > 1024)
        return 0;
    // The first byte: how many arguments the caller gives. Then the template and the texts.
    int given = data[0] % (TW_MAX_INSERTS + 1);
    std::vector<Text> texts = SplitTexts(data + 1, size - 1, 1 + TW_MAX_INSERTS);
    const char *tmpl = texts[0].data();
    InsertArg values[TW_MAX_INSERTS];
    for (int i = 0; i < TW_MAX_INSERTS; i++) {
        const Text &t = texts[i + 1];
        values[i].s = t.data();
        values[i].u = 0;
        memcpy(&values[i].u, t.data(), std::min(sizeof values[i].u, t.size()));
    }

    std::vector<InsertArg> args(values, values + given);  // exactly what was given
    const std::string whole = Whole(tmpl, args.data(), given);
    // Every size up to the whole and one more; past a few hundred bytes only the edges.
    for (size_t cap = 0; cap <= whole.size() + 1; cap = cap < 300 || cap + 2 >= whole.size() ? cap + 1 : whole.size() - 1) {
        std::vector<char> out = Buffer(cap);
        int fit = ExpandInserts(out.data(), cap, tmpl, args.data(), given);
        CHECK(fit == (cap > whole.size()));
        CheckCut(out, whole, SIZE_MAX);
    }

    char kinds[TW_MAX_INSERTS + 1];
    int count = InsertKinds(tmpl, kinds);
    CHECK(count >= 0 && count <= MostInsertsNamed(tmpl));
    // Each argument passed once, as the type of the position's first use.
    InsertArg passed[TW_MAX_INSERTS] = {};
    for (int i = 0; i < count; i++) {
        if (kinds[i + 1] == 's')
            passed[i].s = values[i].s;
        else
            passed[i].u = values[i].u;
    }
    const std::string expected = Whole(tmpl, passed, count);
    for (size_t cap : {size_t(0), size_t(1), size_t(2), expected.size(), expected.size() + 1, size_t(1024),
                       size_t(5000)}) {
        std::vector<char> out = Buffer(cap);
        CHECK(Format<0>(out, tmpl, kinds, count, values) == (cap > 0));
        CheckCut(out, expected, 4095);
    }
    // Expanded in place: the template may be the output buffer itself.
    std::vector<char> same(texts[0].size() + 40);
    memcpy(same.data(), tmpl, texts[0].size());
    Format<0>(same, same.data(), kinds, count, values);
    CheckCut(same, expected, 4095);
    return 0;
}
