// Messages from the string table, their reports, setup.log, pumping and centring.
#include "messages.h"
#include "logpath.h"

#include <stdarg.h>
#include <string.h>

#include "../shell/setup.h"
#include "format.h"
#include "layout.h"
#include "logfile.h"
#include "strbuf.h"

int LoadMessage(unsigned number, char *buffer, int size)
{
    if (size <= 0)
        return 0;
    if (LoadStringA(moduleInstance, number, buffer, size) > 0)
        return 1;
    char scratch[2048];
    StrFormat(scratch, sizeof scratch, "%u DEBUG - Unable to load string", number);
    // Fill the rest with zeros, the text cut to size - 1 characters.
    strncpy(buffer, scratch, (size_t)size);
    buffer[size - 1] = '\0';
    return 0;
}

static void ComposeMessageV(char *out, size_t cap, unsigned number, va_list ap)
{
    char tmpl[MESSAGE_TEMPLATE_SIZE];
    if (LoadMessage(number, tmpl, sizeof tmpl))
        FormatMessageTextV(out, cap, tmpl, ap);
    else
        StrCopy(out, cap, tmpl);
}

void ComposeMessage(char *out, size_t cap, unsigned number, ...)
{
    va_list ap;
    va_start(ap, number);
    ComposeMessageV(out, cap, number, ap);
    va_end(ap);
}

int ReportText(HWND owner, const char *caption, UINT style, const char *text)
{
    WriteSetupLog(text);
    if (setupMode.silent)
        return 0;
    return MessageBoxA(owner, text, caption, style);
}

int ReportMessage(HWND owner, const char *caption, UINT style, unsigned number, ...)
{
    char text[MESSAGE_TEMPLATE_SIZE];
    va_list ap;
    va_start(ap, number);
    ComposeMessageV(text, sizeof text, number, ap);
    va_end(ap);
    return ReportText(owner, caption, style, text);
}

void WriteSetupLog(const char *text)
{
    if (!setupMode.logging)
        return;
    // Opened for each line, and checked each time: the name may be changed between two.
    HANDLE f = OpenLogFile(SetupLogPath());
    if (f == INVALID_HANDLE_VALUE) {
        setupMode.logging = 0;  // silent for the rest of the run
        return;
    }
    SetFilePointer(f, 0, NULL, FILE_END);
    // A text file: every line ends in CR LF, those inside the text too.
    char chunk[256];
    size_t used = 0;
    DWORD written;
    for (const char *p = text;; p++) {
        if (used + 2 > sizeof chunk || !*p) {
            WriteFile(f, chunk, (DWORD)used, &written, NULL);
            used = 0;
        }
        if (!*p)
            break;
        if (*p == '\n')
            chunk[used++] = '\r';
        chunk[used++] = *p;
    }
    WriteFile(f, "\r\n", 2, &written, NULL);
    CloseHandle(f);
}

int PumpMessages(void)
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (progressDialog && IsDialogMessageA(progressDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 1;
}

void CenterOnDesktop(HWND window, int verticalOffset)
{
    RECT wr, dr;
    GetWindowRect(window, &wr);
    GetWindowRect(GetDesktopWindow(), &dr);
    Placement p = CentredPlacement(dr.right - dr.left, dr.bottom - dr.top,
                                   wr.right - wr.left, wr.bottom - wr.top, verticalOffset);
    MoveWindow(window, p.x, p.y, p.width, p.height, FALSE);
}
