// The journal file's entries as a killed run leaves them: cut short, damaged, or naming paths
// outside the run's directories.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "changes/journalfile.h"
#include "changes/profilecheck.h"

namespace {

struct Written {
    char kind;
    std::string field1, field2;
};

std::string Journal(const std::vector<Written> &entries, std::vector<size_t> *ends = nullptr)
{
    std::string text;
    for (const Written &w : entries) {
        char line[JOURNAL_LINE_SIZE];
        size_t n = FormatJournalEntry(line, sizeof line, w.kind, w.field1.c_str(), w.field2.c_str());
        EXPECT_GT(n, 0u) << w.field1;
        text.append(line, n);
        if (ends)
            ends->push_back(text.size());
    }
    return text;
}

std::vector<Written> ReadAll(const std::string &text)
{
    std::vector<Written> out;
    size_t pos = 0;
    JournalEntry e;
    while (ReadJournalEntry(text.data(), text.size(), &pos, &e))
        out.push_back({e.kind, std::string(e.field1, e.length1), std::string(e.field2, e.length2)});
    return out;
}

const std::vector<Written> kRun = {
    {JOURNAL_ROOT, "C:\\Program Files\\Tarnwell", ""},
    {JOURNAL_DIRECTORY, "C:\\Program Files\\Tarnwell", ""},
    {JOURNAL_SETTINGS, "110", "0741707060766C657473"},
    {JOURNAL_FILE_CREATED, "C:\\Program Files\\Tarnwell\\tarnwell.exe", ""},
    {JOURNAL_FILE_REPLACED, "C:\\Program Files\\Tarnwell\\mib.txt", "C:\\Program Files\\Tarnwell\\~tw1A2B.tmp"},
    {JOURNAL_COMMIT, "", ""},
};

}  // namespace

// A kill may cut the file anywhere: what is read is every whole entry before the cut, and a
// damaged byte ends the reading at its entry.
TEST(JournalFile, ReadUpToTheLastWholeEntry)
{
    std::vector<size_t> ends;
    std::string text = Journal(kRun, &ends);
    std::vector<Written> all = ReadAll(text);
    ASSERT_EQ(kRun.size(), all.size());
    for (size_t i = 0; i < all.size(); i++) {
        EXPECT_EQ(kRun[i].kind, all[i].kind);
        EXPECT_EQ(kRun[i].field1, all[i].field1);
        EXPECT_EQ(kRun[i].field2, all[i].field2);
    }
    for (size_t cut = 0; cut <= text.size(); cut++) {
        size_t whole = 0;
        while (whole < ends.size() && ends[whole] <= cut)
            whole++;
        EXPECT_EQ(whole, ReadAll(text.substr(0, cut)).size()) << "cut at " << cut;
    }
    for (size_t at = 0; at < text.size(); at++) {
        std::string damaged = text;
        damaged[at] = damaged[at] == 'Z' ? 'Y' : 'Z';
        size_t entry = 0;
        while (ends[entry] <= at)
            entry++;
        EXPECT_EQ(entry, ReadAll(damaged).size()) << "damage at " << at;
    }
    char line[64];
    EXPECT_EQ(0u, FormatJournalEntry(line, sizeof line, JOURNAL_FILE_CREATED, "C:\\a\tb", ""));
    EXPECT_EQ(0u, FormatJournalEntry(line, sizeof line, JOURNAL_FILE_CREATED, "C:\\a\nF\tC:\\Windows", ""));
    EXPECT_EQ(0u, FormatJournalEntry(line, 20, JOURNAL_FILE_CREATED, "C:\\a very long path\\x", ""));
}

// A planted or garbled journal must not make the setup delete or move anything but what a
// run of its own could have made.
TEST(JournalFile, ChangesOutsideTheRunsDirectoriesAreRefused)
{
    const char *roots[] = {"C:\\Program Files\\Tarnwell", "D:\\Data", "T:\\"};
    struct Case {
        char kind;
        const char *path, *aside;
        bool allowed;
    } cases[] = {
        {JOURNAL_FILE_CREATED, "C:\\Program Files\\Tarnwell\\tarnwell.exe", "", true},
        {JOURNAL_FILE_CREATED, "c:\\program files\\TARNWELL\\mib.txt", "", true},
        {JOURNAL_FILE_CREATED, "D:\\Data\\tarnwell.ini", "", true},
        {JOURNAL_FILE_CREATED, "C:\\Windows\\system.ini", "", false},
        {JOURNAL_FILE_CREATED, "C:\\Program Files\\Tarnwell\\sub\\x.dll", "", false},
        {JOURNAL_FILE_CREATED, "C:\\Program Files\\Tarnwell\\..", "", false},
        {JOURNAL_FILE_CREATED, "C:\\Program Files\\Tarnwell2\\x.exe", "", false},
        {JOURNAL_FILE_CREATED, "C:\\Program Files\\Tarnwell\\", "", false},
        {JOURNAL_FILE_REPLACED, "C:\\Program Files\\Tarnwell\\tarnwell.exe", "C:\\Program Files\\Tarnwell\\~tw00FF.tmp", true},
        {JOURNAL_FILE_REPLACED, "C:\\Program Files\\Tarnwell\\tarnwell.exe", "C:\\Windows\\~tw00FF.tmp", false},
        {JOURNAL_FILE_REPLACED, "C:\\Program Files\\Tarnwell\\tarnwell.exe", "C:\\Program Files\\Tarnwell\\boot.ini", false},
        {JOURNAL_PENDING, "D:\\Data\\a.txt", "D:\\Data\\~twABCD.tmp", true},
        {JOURNAL_PENDING, "D:\\Data\\a.txt", "", false},
        // A drive root: its files directly, their working names beside them.
        {JOURNAL_FILE_CREATED, "T:\\tarnwell.exe", "", true},
        {JOURNAL_FILE_REPLACED, "t:\\tarnwell.exe", "T:\\~tw0001.tmp", true},
        {JOURNAL_FILE_CREATED, "T:\\sub\\tarnwell.exe", "", false},
        {JOURNAL_FILE_CREATED, "T:\\\\tarnwell.exe", "", false},
        {JOURNAL_DIRECTORY, "T:", "", false},
        // Old attributes: a file directly in a root, eight upper-case hex digits.
        {JOURNAL_ATTRIBUTES, "C:\\Program Files\\Tarnwell\\tarnwell.txt", "00000021", true},
        {JOURNAL_ATTRIBUTES, "T:\\tarnwell.txt", "00000007", true},
        {JOURNAL_ATTRIBUTES, "C:\\Windows\\system.ini", "00000001", false},
        {JOURNAL_ATTRIBUTES, "C:\\Program Files\\Tarnwell\\tarnwell.txt", "21", false},
        {JOURNAL_ATTRIBUTES, "C:\\Program Files\\Tarnwell\\tarnwell.txt", "0000002f", false},
        {JOURNAL_ATTRIBUTES, "C:\\Program Files\\Tarnwell\\tarnwell.txt", "000000210", false},
        {JOURNAL_ATTRIBUTES, "C:\\Program Files\\Tarnwell\\tarnwell.txt", "", false},
        {JOURNAL_DIRECTORY, "C:\\Program Files\\Tarnwell", "", true},
        {JOURNAL_DIRECTORY, "C:\\Program Files", "", true},
        {JOURNAL_DIRECTORY, "C:\\Program", "", false},
        {JOURNAL_DIRECTORY, "C:\\Windows", "", false},
        {JOURNAL_DIRECTORY, "C:\\Program Files\\Tarnwell\\..\\..\\Windows", "", false},
        {JOURNAL_SETTINGS, "C:\\Program Files\\Tarnwell", "", false},
        // Program Manager names: whatever a command can carry, and the undo's forms only.
        {JOURNAL_GROUP, "Tarnwell", "0", true},
        {JOURNAL_GROUP, "..\\..\\Other", "1", true},
        {JOURNAL_GROUP, "Tarnwell", "", false},
        {JOURNAL_GROUP, "Tarnwell", "2", false},
        {JOURNAL_GROUP, "", "0", false},
        {JOURNAL_GROUP, "Tarn\"well", "0", false},
        {JOURNAL_ITEM, "Tarnwell Help File", "", true},
        {JOURNAL_ITEM, "Tarnwell", "C:\\Program Files\\Tarnwell\\tarnwell.exe|C:\\Program Files\\Tarnwell", true},
        {JOURNAL_ITEM, "Tarnwell", "C:\\Program Files\\Tarnwell\\tarnwell.exe|", true},
        {JOURNAL_ITEM, "Tarnwell", "|C:\\Program Files", false},
        {JOURNAL_ITEM, "Tarnwell", "C:\\a.exe", false},
        {JOURNAL_ITEM, "Tarnwell", "C:\\a.exe|b|c", false},
        {JOURNAL_ITEM, "Tarnwell", "\"C:\\a.exe\" -x|C:\\", false},
        {JOURNAL_ITEM, "Tarn\x01well", "", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.allowed, JournalChangeAllowed(c.kind, c.path, c.aside, roots, 3) != 0) << c.kind << " " << c.path;
    EXPECT_FALSE(JournalChangeAllowed(JOURNAL_FILE_CREATED, "C:\\Program Files\\Tarnwell\\a.exe", "", roots, 0));

    EXPECT_TRUE(JournalRootAcceptable("C:\\Program Files\\Tarnwell"));
    EXPECT_TRUE(JournalRootAcceptable("T:\\"));
    uint32_t attributes = 0;
    EXPECT_TRUE(ParseJournalAttributes("00000021", &attributes));
    EXPECT_EQ(0x21u, attributes);
    for (const char *bad : {"C:", "C:\\\\", "Tarnwell", "\\\\?\\C:\\x", "C:\\a\\..\\Windows", "C:\\a\\\\b", "C:\\a\\.", "C:/a"})
        EXPECT_FALSE(JournalRootAcceptable(bad)) << bad;
}

// WIN.INI read back after the record was written: whole only when every other program's line
// is still there and the section holds what was written.
TEST(ProfileRewrite, WholeOnlyWithEveryOtherLineAndTheValuesWritten)
{
    const char *keys[] = {"DIR", "GROUP"};
    const char *values[] = {"C:\\Program Files\\Tarnwell", "Net Tools"};
    const std::string before = "; for 16-bit app support\r\n[fonts]\r\n[Mail]\r\nMAPI = 1\r\n\r\n[Tarnwell]\r\nDIR=C:\\Old\r\n";
    auto intact = [&](const std::string &a, const std::string &b = "") {
        const std::string &old = b.empty() ? before : b;
        return ProfileRewriteIntact(old.data(), old.size(), a.data(), a.size(), "Tarnwell", keys, values, 2);
    };
    // As the profile functions rewrite it: blank lines and blanks around "=" gone, keys in any case.
    EXPECT_TRUE(intact("; for 16-bit app support\r\n[fonts]\r\n[Mail]\r\nMAPI=1\r\n[Tarnwell]\r\n"
                       "dir=C:\\Program Files\\Tarnwell\r\nGROUP=Net Tools\r\n"));
    EXPECT_TRUE(intact("[Tarnwell]\nDIR=C:\\Program Files\\Tarnwell\nGROUP=Net Tools\n", "\n"));
    // Cut short, a line of another section changed, a value not as written.
    EXPECT_FALSE(intact("; for 16-bit app support\r\n[fonts]\r\n[Mail]\r\n[Tarnwell]\r\n"
                        "DIR=C:\\Program Files\\Tarnwell\r\nGROUP=Net Tools\r\n"));
    EXPECT_FALSE(intact("; for 16-bit app support\r\n[fonts]\r\n[Mail]\r\nMAPI=\r\n[Tarnwell]\r\n"
                        "DIR=C:\\Program Files\\Tarnwell\r\nGROUP=Net Tools\r\n"));
    EXPECT_FALSE(intact("; for 16-bit app support\r\n[fonts]\r\n[Mail]\r\nMAPI=1\r\n[Tarnwell]\r\n"
                        "DIR=C:\\Program Files\\Tarnwel"));
    EXPECT_FALSE(intact("; for 16-bit app support\r\n[fonts]\r\n[Mail]\r\nMAPI=1\r\n[Tarnwell]\r\n"
                        "DIR=C:\\Program Files\\Tarnwell\r\n"));
    // A UTF-16 file is not judged.
    EXPECT_TRUE(intact(std::string("\xFF\xFE", 2)));
}
