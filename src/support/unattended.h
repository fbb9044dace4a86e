// The prompts that a silent run still shows: nobody may be there to answer them, so each
// closes itself after a time limit with its Cancel (or failure) answer.
#ifndef TW_UNATTENDED_H
#define TW_UNATTENDED_H

#include <windows.h>

#define SILENT_PROMPT_SECONDS 60

// Set once a prompt of a silent run went unanswered: the run has failed, and later prompts
// of the run are given the same answer at once, so that the run waits once at most.
extern int promptUnanswered;

// MessageBoxA; in a silent run it closes itself after the time limit with Cancel (No when it
// has no Cancel, else its only button), which is logged with the text as unanswered.
int PromptBox(HWND owner, const char *text, const char *caption, UINT style);

// Around a modal dialog of a silent run: the same time limit, the dialog closed as by Cancel.
// SilentPromptSkipped is 1 when the dialog must not be shown at all (an earlier prompt went
// unanswered; logged with what). SilentPromptEnd returns 1 when it closed unanswered (logged).
int SilentPromptSkipped(const char *what);
void SilentPromptBegin(void);
int SilentPromptEnd(const char *what);

#endif
