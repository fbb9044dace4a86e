// The command line of the setup and the uninstaller: value switches, the slash forms and the
// words left for the setup's mode tests, with the checks that refuse a line before any change.
#ifndef TW_CMDLINE_H
#define TW_CMDLINE_H

#include <stddef.h>

#define COMMAND_DIR_SIZE 512
#define COMMAND_GROUP_SIZE 256
#define COMMAND_LOG_SIZE 260
// The installation record reads values back through 256 characters: a longer directory or
// group would come back cut and name another one.
#define COMMAND_VALUE_MAX 255

// What the words that are not values hold, for the setup's substring tests.
#define WORDS_INSTALL_QUIET 0x01  // "-installqu" or "-installsi"
#define WORDS_I 0x02              // "-i", or /I
#define WORDS_R 0x04              // "-r", or /R
#define WORDS_S 0x08              // "-s", or a silent slash form
#define WORDS_Q 0x10              // "-q"
#define WORDS_L 0x20              // "-l", or /L

// Why a line is refused; COMMAND_OK for a usable one.
enum CommandError {
    COMMAND_OK = 0,
    COMMAND_NO_VALUE,      // a value switch without a value
    COMMAND_TOO_LONG,      // a value longer than its buffer or than the record holds
    COMMAND_NOT_ABSOLUTE,  // -f or -d without a drive or a \\server\share
    COMMAND_BAD_NAME,      // a character or a device name Windows does not allow
    COMMAND_BAD_GROUP,     // a group name that could not be a folder
    COMMAND_LOG_FAILED     // the -log file cannot be created (found by the caller)
};

struct CommandLine {
    unsigned words;          // WORDS_* of the words that are not values
    int silent;              // -s, -q or a silent slash form, standing alone
    int logging;             // -l or /L standing alone, or -log
    int help;                // -?, /? or /HELP
    int relocated;           // -x N: the uninstaller's copy in the temporary directory
    unsigned long originalProcess;
    char programDir[COMMAND_DIR_SIZE];   // -f, empty when not given
    char dataDir[COMMAND_DIR_SIZE];      // -d
    char groupName[COMMAND_GROUP_SIZE];  // -g
    char logFile[COMMAND_LOG_SIZE];      // -log FILE or /LOG=FILE
    int error;                           // CommandError
    char badSwitch[8];                   // the switch whose value is refused
    char badValue[128];                  // the value, cut with "..." when longer
};

// Reads a command-line tail. A value runs to the blanks before the next value switch (-f, -d,
// -g, -log, /LOG=) or to the end, with the blanks and any switches standing alone at its end
// (-s -q -l -i -r and the slash forms) taken off; a value in double quotes runs to the closing
// quote and is taken as it is. Every other word is kept for the mode tests, so no value can
// change the mode. Returns 0 (with error set, for the first bad part) when a value is missing
// or does not fit; the rest of the line is read all the same.
int ParseCommandLine(const char *tail, CommandLine *line);

// The setup's checks of the values: absolute directories without characters or device names
// Windows refuses, a group that can be a folder, values the record holds whole. Returns 0 with
// error, badSwitch and badValue set.
int CheckCommandValues(CommandLine *line);

// Sets the error of a line and names the switch and value it is about, unless it has one.
void RefuseCommandValue(CommandLine *line, int error, const char *name, const char *value);

// 1 when value must be quoted for ParseCommandLine to read it back as it is (an empty value,
// outer blanks, a leading quote, a value switch within or a switch at its end).
int CommandValueNeedsQuotes(const char *value);

#endif
