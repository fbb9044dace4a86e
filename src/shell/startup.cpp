// Start-up: the window class, the main window, the switches, the manifest and the message loop.
#include <string.h>

#include "../resources/resource.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
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

int SetupMain(HINSTANCE instance, HINSTANCE previousInstance, const char *commandLine, int showCommand)
{
    (void)showCommand;
    moduleInstance = instance;
    setupExitCode = EXIT_SETUP_FAILED;

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

    setupMode = ParseSwitches(commandLine, setupMode);

    char infPath[512];
    DWORD n = GetModuleFileNameA(NULL, infPath, sizeof infPath);
    char *slash = (n > 0 && n < sizeof infPath) ? strrchr(infPath, '\\') : NULL;
    if (slash)
        slash[1] = '\0';
    else
        StrCopy(infPath, sizeof infPath, ".\\");
    StrAppend(infPath, sizeof infPath, "tarnwell.inf");
    if (!LoadInstallManifest(moduleInstance, mainWindow, infPath)) {
        WriteSetupLog("Failed to read INF file.");
        DestroyWindow(mainWindow);
        return EXIT_SETUP_FAILED;
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
