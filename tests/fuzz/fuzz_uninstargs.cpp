// Fuzz target: the command line of the setup and the uninstaller, read and checked from anything,
// and read back from what the uninstall entry writes.
#include "fuzz.h"

#include <string>

#include "payload/removetw/uninstargs.h"
#include "shell/switches.h"
#include "progman/commands.h"

// Each value of a parse is terminated in its buffer and taken from the line.
static void CheckValues(const CommandLine &args, const char *line)
{
    const char *values[] = {args.programDir, args.dataDir, args.groupName, args.logFile};
    size_t caps[] = {sizeof args.programDir, sizeof args.dataDir, sizeof args.groupName, sizeof args.logFile};
    for (int i = 0; i < 4; i++) {
        CHECK(strnlen(values[i], caps[i]) < caps[i]);
        CHECK(strstr(line, values[i]) != nullptr);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // First byte: whether the entry carries -s. Then any line, and the three values of an entry.
    std::vector<Text> texts = SplitTexts(data + 1, size - 1, 4);
    CommandLine args;
    int parsed = ParseCommandLine(texts[0].data(), &args);
    CheckValues(args, texts[0].data());
    // A refused line names a switch and a bounded value; an accepted one is checked as the setup
    // checks it.
    if (parsed)
        CHECK(CheckCommandValues(&args) == (args.error == COMMAND_OK));
    CHECK(strnlen(args.badSwitch, sizeof args.badSwitch) < sizeof args.badSwitch);
    CHECK(strnlen(args.badValue, sizeof args.badValue) < sizeof args.badValue);
    CHECK(!args.error == !args.badSwitch[0]);

    // The uninstall entry's line gives back the directories and group it was made from. A value
    // can hold anything but a double quote, which no Windows path holds and no group may.
    const char *dir = texts[1].data(), *data_dir = texts[2].data(), *group = texts[3].data();
    if (strlen(dir) >= COMMAND_DIR_SIZE || strlen(data_dir) >= COMMAND_DIR_SIZE ||
        strlen(group) >= COMMAND_GROUP_SIZE)
        return 0;
    for (const char *v : {dir, data_dir, group})
        if (strchr(v, '"'))
            return 0;
    const char *switches = data[0] & 1 ? "-s" : nullptr;
    size_t n = ComposeUninstallString(nullptr, 0, dir, "removetw", switches, data_dir, group);
    std::vector<char> line = Buffer(n + 1);
    CHECK(ComposeUninstallString(line.data(), line.size(), dir, "removetw", switches, data_dir, group) == n);
    CHECK(strlen(line.data()) == n);
    // The program path is quoted, joined to a directory that ends in a backslash (a drive root)
    // without another; the uninstaller gets the tail after it.
    size_t dirLength = strlen(dir);
    bool slashed = dirLength && dir[dirLength - 1] == '\\';
    std::string program = std::string("\"") + dir + (slashed ? "" : "\\") + "removetw.exe\" ";
    CHECK(strncmp(line.data(), program.c_str(), program.size()) == 0);
    const char *tail = line.data() + program.size();
    CHECK(ParseCommandLine(tail, &args));
    CheckValues(args, tail);
    CHECK(strcmp(args.programDir, dir) == 0);
    CHECK(strcmp(args.dataDir, data_dir) == 0);
    CHECK(strcmp(args.groupName, group) == 0);
    CHECK(args.silent == (switches != nullptr) && !args.logging && !args.relocated && !args.help);
    // No value reaches the mode tests.
    CHECK(args.words == (switches ? WORDS_S : 0u));
    return 0;
}
