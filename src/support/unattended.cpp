// Time limits on the prompts of a silent run, which a deployment runs with nobody watching.
#include "unattended.h"

#include "../resources/resource.h"
#include "../shell/setup.h"
#include "messages.h"

int promptUnanswered;

static UINT_PTR promptTimer;
static int promptExpired;

static void LogUnanswered(const char *what)
{
    char text[MESSAGE_TEMPLATE_SIZE];
    ComposeMessage(text, sizeof text, IDS_PROMPT_UNANSWERED, (unsigned)SILENT_PROMPT_SECONDS, what ? what : "");
    WriteSetupLog(text);
}

// Presses the Cancel-like button of the thread's enabled dialog (the one on top of any it
// disabled); the progress dialog is left alone.
static BOOL CALLBACK PressCancel(HWND window, LPARAM)
{
    char name[16];
    if (window == progressDialog || !IsWindowVisible(window) || !IsWindowEnabled(window) ||
        !GetClassNameA(window, name, sizeof name) || lstrcmpA(name, "#32770") != 0)
        return TRUE;
    static const int answers[] = {IDCANCEL, IDNO, IDABORT, IDOK};
    for (int id : answers) {
        HWND button = GetDlgItem(window, id);
        if (button) {
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
            return FALSE;
        }
    }
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return FALSE;
}

static void CALLBACK Expire(HWND, UINT, UINT_PTR, DWORD)
{
    KillTimer(NULL, promptTimer);
    promptTimer = 0;
    promptExpired = 1;
    EnumThreadWindows(GetCurrentThreadId(), PressCancel, 0);
}

int SilentPromptSkipped(const char *what)
{
    if (!setupMode.silent || !promptUnanswered)
        return 0;
    LogUnanswered(what);
    return 1;
}

void SilentPromptBegin(void)
{
    promptExpired = 0;
    if (setupMode.silent)
        promptTimer = SetTimer(NULL, 0, SILENT_PROMPT_SECONDS * 1000, Expire);
}

int SilentPromptEnd(const char *what)
{
    if (promptTimer) {
        KillTimer(NULL, promptTimer);
        promptTimer = 0;
    }
    if (!promptExpired)
        return 0;
    promptExpired = 0;
    promptUnanswered = 1;
    LogUnanswered(what);
    return 1;
}

// The answer a box gives when nobody is there: Cancel, else No, else its only button.
static int UnansweredResult(UINT style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_RETRYCANCEL:
    case MB_YESNOCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    }
    return IDOK;
}

int PromptBox(HWND owner, const char *text, const char *caption, UINT style)
{
    if (SilentPromptSkipped(text))
        return UnansweredResult(style);
    SilentPromptBegin();
    int answer = MessageBoxA(owner, text, caption, style);
    if (SilentPromptEnd(text))
        answer = UnansweredResult(style);
    return answer;
}
