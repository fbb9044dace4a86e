// String-table messages, the setup log, message pumping and dialog centring.
#ifndef TW_MESSAGES_H
#define TW_MESSAGES_H

#include <windows.h>
#include <stddef.h>

#define MESSAGE_TEMPLATE_SIZE 1024

int LoadMessage(unsigned number, char *buffer, int size);
void WriteSetupLog(const char *text);
int PumpMessages(void);
void CenterOnDesktop(HWND window, int verticalOffset);

// Loads message `number` into out and, when it was loaded, expands its inserts with the
// arguments; a missing entry leaves its fallback text unexpanded.
void ComposeMessage(char *out, size_t cap, unsigned number, ...);
// Composes message `number`, logs it and, unless silent, shows it in a box owned by owner.
// Returns the box's answer, or 0 when no box was shown.
int ReportMessage(HWND owner, const char *caption, UINT style, unsigned number, ...);
// Logs text and, unless silent, shows it; the same answer as ReportMessage.
int ReportText(HWND owner, const char *caption, UINT style, const char *text);

#endif
