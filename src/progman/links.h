// Start Menu items as shell links, made when no Program Manager takes the group.
#ifndef TW_LINKS_H
#define TW_LINKS_H

// Prepares the group's folder under the all-users Programs folder (the user's own when the
// common one cannot be made) and logs where the links go. 0, with a log line, when the name
// is refused (see MakeLinkFileName) or the shell's link service is not there.
int LinkGroupOpen(const char *group);
// Makes (or replaces) the link named title, or file when title is empty, to commandLine,
// working in directory (the current directory when it is empty). Always 1; a link that cannot
// be made is logged.
int LinkReplaceItem(const char *title, const char *directory, const char *file, const char *commandLine);
// Ends what LinkGroupOpen began.
void LinkGroupClose(void);

// Deletes the links of every item the product makes from group's folder under both Programs
// folders, and the folder itself when it is then empty and group is the product's own name.
void DeleteGroupLinks(const char *group);

#endif
