// Start-up: the window class, the main window, the switches, the manifest and the message loop.
#include <string.h>

#include "../resources/resource.h"
#include "../support/logpath.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "../support/syslib.h"
#include "../support/widepath.h"
#include "manifest.h"
#include "setup.h"

static const char mainClassName[] = "TWInstal";

static int RegisterMainClass(HINSTANCE instance)
{
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "APP_MAIN");
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(RGB(0, 128, 128));
    wc.lpszClassName = mainClassName;
    if (RegisterClassA(&wc))
        return 1;
    // Only a registered class owns its brush.
    if (wc.hbrBackground)
        DeleteObject(wc.hbrBackground);
    return 0;
}

static void ShowStartFailure(unsigned number)
{
    char text[MESSAGE_TEMPLATE_SIZE];
    LoadMessage(number, text, sizeof text);
    WriteSetupLog(text);
    MessageBoxA(NULL, text, NULL, MB_ICONWARNING);
}

// The list of switches and exit codes, logged and, unless silent, shown.
static void ShowUsage(void)
{
    char text[2048];
    size_t used = 0;
    HRSRC found = FindResourceA(moduleInstance, "USAGE", (LPCSTR)RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(moduleInstance, found) : NULL;
    const char *data = loaded ? (const char *)LockResource(loaded) : NULL;
    DWORD size = data ? SizeofResource(moduleInstance, found) : 0;
    for (DWORD i = 0; i < size && used + 1 < sizeof text; i++)
        if (data[i] != '\r')
            text[used++] = data[i];
    while (used && text[used - 1] == '\n')
        --used;
    text[used] = '\0';
    ReportText(mainWindow, installManifest.productTitle, MB_ICONINFORMATION, text);
}

// Reports a command line that cannot be used, naming its bad part: the messages of the
// errors follow IDS_BAD_COMMAND in their order.
static void ReportBadCommand(const CommandLine *line)
{
    char part[MESSAGE_TEMPLATE_SIZE];
    ComposeMessage(part, sizeof part, IDS_BAD_COMMAND + line->error, line->badSwitch, line->badValue);
    ReportMessage(mainWindow, installManifest.productTitle, MB_ICONERROR, IDS_BAD_COMMAND, part);
}

int SetupMain(HINSTANCE instance, HINSTANCE previousInstance, const char *commandLine, int showCommand)
{
    (void)showCommand;
    moduleInstance = instance;
    setupExitCode = EXIT_SETUP_FAILED;

    LoadCommonControls();
    if (!previousInstance && !RegisterMainClass(instance)) {
        ShowStartFailure(IDS_CLASS_REGISTER_FAILED);
        return -1;
    }

    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    WindowRect r = MainWindowRect(desk.left, desk.top, desk.right, desk.bottom);
    mainWindow = CreateWindowExA(0, mainClassName, "Install", WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU,
                                 r.x, r.y, r.width, r.height, NULL, NULL, instance, NULL);
    if (!mainWindow) {
        // The switches are not read yet, so the box is shown even for a silent run.
        ShowStartFailure(IDS_WINDOW_CREATE_FAILED);
        return 2;
    }

    // The values come off the line first: the mode is read from the words that remain.
    CommandLine *line = &setupCommand;
    if (ParseCommandLine(commandLine, line))
        CheckCommandValues(line);
    setupMode = ModeFromCommand(line, setupMode);
    if (line->logFile[0]) {
        // A log that is itself the bad part, or cannot be created, is not written.
        int logRefused = line->error && (line->badSwitch[1] | 0x20) == 'l';
        if (logRefused || !UseLogFile(line->logFile)) {
            RefuseCommandValue(line, COMMAND_LOG_FAILED, "-log", line->logFile);
            setupMode.logging = 0;
        }
    }

    // Beside the program; none where the program's path has no usable ANSI form.
    char infPath[512];
    char *slash = UsableModulePath(infPath, sizeof infPath) ? strrchr(infPath, '\\') : NULL;
    if (slash) {
        slash[1] = '\0';
        StrAppend(infPath, sizeof infPath, "tarnwell.inf");
    } else {
        infPath[0] = '\0';
    }
    if (!LoadInstallManifest(moduleInstance, mainWindow, infPath)) {
        WriteSetupLog("Failed to read INF file.");
        DestroyWindow(mainWindow);
        return EXIT_SETUP_FAILED;
    }

    // A line that cannot be used, and the list of switches, end the run before the lock and the
    // recovery of a killed run: nothing is changed and nothing asked.
    if (line->error || line->help) {
        if (line->error)
            ReportBadCommand(line);
        else
            ShowUsage();
        DestroyWindow(mainWindow);
        return line->error ? EXIT_SETUP_BAD_COMMAND : EXIT_SETUP_OK;
    }

    // Before the first question, in every mode.
    if (!BeginRun()) {
        DestroyWindow(mainWindow);
        return EXIT_SETUP_BUSY;
    }

    setupMode = ApplySilentDefault(setupMode);
    ShowWindow(mainWindow, setupMode.silent ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    PostMessageA(mainWindow, WM_COMMAND, IDM_START, 0);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (progressDialog && IsDialogMessageA(progressDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    EndRun();
    // The main window always quits with 0; what the workflow achieved is the exit code.
    return setupExitCode;
}
