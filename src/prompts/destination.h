// The destination step: ask for the program directory until it can be created.
#ifndef TW_DESTINATION_H
#define TW_DESTINATION_H

#include <windows.h>

// Asks for the program directory in DLG_GETDIR of instance, starting with dir (at least
// PROMPT_TEXT_SIZE bytes), and creates it with its parents. A failed creation is reported and
// the prompt shown again with that answer. Returns 1 when dir exists; 0 when the user
// cancelled, dir then holding the last answer.
int AskDestination(HINSTANCE instance, HWND owner, char *dir);

#endif
