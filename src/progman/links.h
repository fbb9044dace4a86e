// Start Menu items as shell links, made when no Program Manager takes the group.
#ifndef TW_LINKS_H
#define TW_LINKS_H

// Links are made in steps, so that the caller can record each change before it is made:
// LinkGroupOpen, LinkGroupFolder and LinkUseFolder for the folder (the all-users Programs
// folder's first, the user's own when that one cannot be had), then LinkItemPath and
// LinkReplaceItem for each item, then LinkGroupClose.

// Takes the group's name and loads the shell. 0, with a log line, when the name is refused
// (see MakeLinkFileName) or the shell's link service is not there.
int LinkGroupOpen(const char *group);
// The group's folder (MAX_PATH bytes) under the all-users Programs folder, or with userFolder
// the user's own; 0 when there is none or the path is too long. Nothing is created but the
// Programs folder itself.
int LinkGroupFolder(int userFolder, char *folder);
// Makes that folder (with create) or finds it, and logs that the links go there. 0 when it
// is not a directory then.
int LinkUseFolder(int userFolder, int create);
// The link file (MAX_PATH bytes) of the item named title, or file when title is empty, in the
// folder in use; 0, with a log line, when the name or the path is refused.
int LinkItemPath(const char *title, const char *file, char *path);
// Makes (or replaces) that link to commandLine, working in directory (the current directory
// when it is empty). 0, with a log line, when it could not be saved.
int LinkReplaceItem(const char *title, const char *directory, const char *file, const char *commandLine);
// Ends what LinkGroupOpen began.
void LinkGroupClose(void);

// Deletes the links of every item the product makes from group's folder under both Programs
// folders, and the folder itself when it is then empty and GroupGoesWithProduct says so.
void DeleteGroupLinks(const char *group, int made = -1);
// Deletes the link of item (none when null) from group's folder under both Programs folders,
// then with removeFolder the folder when it is empty: what a Program Manager that keeps its
// items as links holds, for when no Program Manager answers. 0 when a folder of the group
// stays (always 1 without removeFolder).
int DeleteItemLinks(const char *group, const char *item, int removeFolder);

#endif
