// Program Manager command strings, the group-list reply, and the uninstall command line.
#ifndef TW_COMMANDS_H
#define TW_COMMANDS_H

#include <stddef.h>

enum ProgmanCommandKind {
    PROGMAN_CREATE_GROUP,  // [CreateGroup(group)]
    PROGMAN_DELETE_GROUP,  // [DeleteGroup(group)]
    PROGMAN_SHOW_GROUP,    // [ShowGroup(group,1)]
    PROGMAN_DELETE_ITEM,   // [DeleteItem("title")]
    PROGMAN_ADD_ITEM,      // [AddItem("commandLine","title",,,,,workDir)]
};

// 1 when an unquoted value would be misread by Program Manager: it holds one of [ ] ( ) ,
// (which end an unquoted argument) or starts or ends with a blank (which the server strips).
int ValueNeedsQuotes(const char *value);

// 1 when the text can stand in a command at all: it holds no double quote, which no argument,
// quoted or not, can carry.
int CommandValueAcceptable(const char *value);

// 1 when the removal deletes group itself: made is 1 when the install created it, 0 when it was
// there before (it keeps all but the product's items), -1 when the record does not say; then
// only a group named after the product goes.
int GroupGoesWithProduct(const char *group, const char *productName, int made);

// Composes one command. The group (first) argument of the group commands and the working
// directory of AddItem are quoted only when ValueNeedsQuotes says so; titles and the command
// line are always quoted. Arguments are first, second and third in the order above; unused
// ones may be null, and null reads as empty.
// Returns the command's length without its terminating zero, also when cap is too small (then
// out holds a cut, terminated text that must not be sent): a caller sizes its buffer with a
// first call of cap 0. Returns 0 when an argument holds a double quote: no command then.
size_t ComposeProgmanCommand(char *out, size_t cap, ProgmanCommandKind kind,
                             const char *first, const char *second, const char *third);

// Copies a Groups reply of size bytes (ending at its own zero byte, if it has one) into buffer
// and terminates it. A reply that does not fit is cut after its last line break that does, so
// that no group name arrives cut. Returns the length copied.
size_t CopyGroupReply(char *buffer, size_t cap, const char *data, size_t size);

// Returns the next group name of a reply text, terminated in place, and moves *cursor past it;
// null when no name is left. Names are separated by runs of CR and LF; blanks stay in the name.
char *NextGroupName(char **cursor);

// The command line of the uninstall entry:
// "<programDir>\<uninstallerBase>.exe" [switches] -f <programDir> -d <dataDir> -g <groupName>
// The program path is quoted so that a blank in it cannot make Windows start another program;
// the arguments keep their unquoted form, which the uninstaller parses, unless it would misread
// them so (an empty value, outer blanks, a blank and a switch within): those are quoted. A
// value cannot hold a double quote. switches (such as
// "-s") may be null. Returns the length as ComposeProgmanCommand does (cap 0 to measure).
size_t ComposeUninstallString(char *out, size_t cap, const char *programDir, const char *uninstallerBase,
                              const char *switches, const char *dataDir, const char *groupName);

#endif
