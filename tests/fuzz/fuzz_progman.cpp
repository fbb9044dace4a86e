// Fuzz target: Program Manager commands, as the table forms them or refused, read back as the
// server splits them.
#include "fuzz.h"

#include <string>

#include "progman/commands.h"

// An argument the server would misread bare: a bracket, parenthesis or comma, or an outer blank.
static std::string Arg(const char *v, bool always)
{
    std::string s = v ? v : "";
    bool quote = always || s.find_first_of("[](),") != std::string::npos ||
                 (!s.empty() && (s.front() == ' ' || s.back() == ' '));
    return quote ? "\"" + s + "\"" : s;
}

static std::string Expected(int kind, const char *a, const char *b, const char *c)
{
    switch (kind) {
    case PROGMAN_CREATE_GROUP: return "[CreateGroup(" + Arg(a, false) + ")]";
    case PROGMAN_DELETE_GROUP: return "[DeleteGroup(" + Arg(a, false) + ")]";
    case PROGMAN_SHOW_GROUP: return "[ShowGroup(" + Arg(a, false) + ",1)]";
    case PROGMAN_DELETE_ITEM: return "[DeleteItem(" + Arg(a, true) + ")]";
    default: return "[AddItem(" + Arg(a, true) + "," + Arg(b, true) + ",,,,," + Arg(c, false) + ")]";
    }
}

static std::string Trim(std::string s)
{
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// The arguments of one command as the server reads it: quotes hold anything, a bare argument
// loses its outer blanks, and the command ends at the first ")" or "]" outside quotes, which
// must close it at its very end.
static std::vector<std::string> ServerArgs(const std::string &cmd)
{
    size_t open = cmd.find('(');
    CHECK(cmd[0] == '[' && open != std::string::npos);
    std::vector<std::string> args(1);
    bool quoted = false, bare = true;
    size_t i = open + 1;
    for (; i < cmd.size(); i++) {
        char ch = cmd[i];
        if (ch == '"') {
            quoted = !quoted;
            bare = false;
        } else if (!quoted && strchr(",()[]", ch)) {
            if (bare)
                args.back() = Trim(args.back());
            if (ch != ',')
                break;
            args.push_back("");
            bare = true;
        } else {
            args.back() += ch;
        }
    }
    CHECK(i + 2 == cmd.size() && cmd[i] == ')' && cmd[i + 1] == ']');
    return args;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    // First byte: the command and which arguments are null; two bytes the buffer; then the values.
    int kind = data[0] % 5;
    size_t cap = (data[1] | data[2] << 8) % 1200;
    std::vector<Text> texts = SplitTexts(data + 3, size - 3, 3);
    const char *v[3];
    for (int i = 0; i < 3; i++)
        v[i] = data[0] & (8 << i) ? nullptr : texts[i].data();
    ProgmanCommandKind k = (ProgmanCommandKind)kind;

    size_t length = ComposeProgmanCommand(nullptr, 0, k, v[0], v[1], v[2]);
    std::vector<char> out = Buffer(cap);
    size_t written = ComposeProgmanCommand(out.data(), cap, k, v[0], v[1], v[2]);
    CHECK(written == length);
    bool quote = false;
    for (int i = 0; i < 3; i++)
        quote |= v[i] && strchr(v[i], '"');
    if (quote) {
        // Refused: nothing composed, nothing written.
        CHECK(length == 0);
        for (char ch : out)
            CHECK(ch == '\x7f');
        return 0;
    }
    std::string expected = Expected(kind, v[0], v[1], v[2]);
    CHECK(length == expected.size());
    if (cap > length) {
        CHECK(expected == out.data());
    } else if (cap > 0) {
        // Too small: the caller sees it by the length and sends nothing; the buffer stays bounded.
        CHECK(strnlen(out.data(), cap) == cap - 1 && expected.compare(0, cap - 1, out.data()) == 0);
    }

    // No value closes the command early or adds an argument.
    std::vector<std::string> args = ServerArgs(expected);
    std::vector<std::string> want;
    if (kind == PROGMAN_ADD_ITEM)
        want = {v[0] ? v[0] : "", v[1] ? v[1] : "", "", "", "", "", v[2] ? v[2] : ""};
    else
        want = {v[0] ? v[0] : ""};
    if (kind == PROGMAN_SHOW_GROUP)
        want.push_back("1");
    CHECK(args.size() == want.size());
    for (size_t i = 0; i < args.size(); i++)
        CHECK(args[i] == want[i]);
    return 0;
}
