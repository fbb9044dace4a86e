// Fuzz target: a journal file as a killed (or planted) run leaves it, read entry by entry, its
// paths checked against its roots and its value lists read.
#include "fuzz.h"

#include <string>

#include "changes/journalfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text(data, data + size);  // exactly the input: a read past it is a finding
    std::vector<std::string> roots;
    size_t pos = 0;
    JournalEntry e;
    for (size_t start = 0; ReadJournalEntry(text.data(), text.size(), &pos, &e); start = pos) {
        CHECK(pos <= size);
        CHECK(e.field1 >= text.data() && e.field1 + e.length1 <= text.data() + size);
        CHECK(e.field2 >= e.field1 + e.length1 && e.field2 + e.length2 <= text.data() + size);
        char path[260], aside[520];
        int fits = CopyJournalField(path, sizeof path, e.field1, e.length1) &&
                   CopyJournalField(aside, sizeof aside, e.field2, e.length2);
        if (e.kind == JOURNAL_ROOT && fits && JournalRootAcceptable(path) && roots.size() < 8)
            roots.push_back(path);
        if (fits) {
            std::vector<const char *> list;
            for (const std::string &r : roots)
                list.push_back(r.c_str());
            int allowed = JournalChangeAllowed(e.kind, path, aside, list.data(), (int)list.size());
            // A group or item that the undo acts on can stand in a Program Manager command.
            if (allowed && (e.kind == JOURNAL_GROUP || e.kind == JOURNAL_ITEM))
                CHECK(path[0] && !strchr(path, '"') && !strchr(aside, '"'));
            else if (allowed && e.kind != JOURNAL_DIRECTORY)
                CHECK(strrchr(path, '\\') != nullptr);
        }
        // Every entry read is one that would have been written so.
        char again[JOURNAL_LINE_SIZE];
        if (fits && strlen(path) == e.length1 && strlen(aside) == e.length2) {
            size_t n = FormatJournalEntry(again, sizeof again, e.kind, path, aside);
            CHECK(n == pos - start && memcmp(again, text.data() + start, n) == 0);
        }
        std::vector<unsigned char> list(e.length2 / 2 + 1);
        long n = HexDecode(list.data(), list.size(), e.field2, e.length2);
        if (n >= 0) {
            std::vector<unsigned char> exact(list.begin(), list.begin() + n);
            size_t at = 0;
            JournalValue v;
            while (NextJournalValue(exact.data(), exact.size(), &at, &v))
                CHECK(at <= exact.size() && v.data + v.size <= exact.data() + exact.size());
        }
    }
    return 0;
}
