// The real setup.exe: its main window's class, size and place, and its end.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"
#include "testutil.h"
#include "uidriver.h"

using uidriver::UiDriver;
using uidriver::UiScript;

namespace {

struct MainWindowSeen {
    bool found = false;
    WINDOWPLACEMENT placement = {};
    DWORD style = 0;
    char caption[64] = "";
};

// Starts setup.exe with args, answers its dialogs from script and watches for its main
// window until the process ends. Returns the exit code, 99 when it had to be ended.
DWORD RunSetupWatching(const std::string &args, const UiScript &script, MainWindowSeen *seen,
                       DWORD timeoutMs, std::string *transcript)
{
    std::string cmd = "\"" + HostToWinPath(SETUP_EXE_PATH) + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return (DWORD)-100;
    UiDriver driver(script, pi.dwProcessId);
    DWORD start = GetTickCount();
    while (WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
        if (seen->found)
            continue;
        HWND main = FindProcessWindow(pi.dwProcessId, "TWInstal", NULL);
        if (main) {
            seen->found = true;
            seen->placement.length = sizeof seen->placement;
            GetWindowPlacement(main, &seen->placement);
            seen->style = (DWORD)GetWindowLongA(main, GWL_STYLE);
            SendMessageTimeoutA(main, WM_GETTEXT, sizeof seen->caption, (LPARAM)seen->caption,
                                SMTO_ABORTIFHUNG, 1000, NULL);
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    if (!driver.Done())
        *transcript = driver.Transcript();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

}  // namespace

void ExpectMainWindowPlacedForThisScreen(const MainWindowSeen &seen, UINT showCmd)
{
    ASSERT_TRUE(seen.found) << "no visible window of class TWInstal";
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    int w = 4 * ((desk.right - desk.left) / 5), h = 4 * ((desk.bottom - desk.top) / 5);
    const RECT &r = seen.placement.rcNormalPosition;
    EXPECT_EQ(w < 600 ? 600 : w, r.right - r.left);
    EXPECT_EQ(h < 400 ? 400 : h, r.bottom - r.top);
    EXPECT_EQ((desk.right - (r.right - r.left)) / 2, r.left);
    EXPECT_EQ((desk.bottom - (r.bottom - r.top)) / 2, r.top);
    EXPECT_EQ(showCmd, seen.placement.showCmd);
    EXPECT_EQ((DWORD)(WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN),
              seen.style & (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    // The caption becomes the product title once the workflow starts.
    EXPECT_TRUE(strcmp(seen.caption, "Install") == 0 || strcmp(seen.caption, "Tarnwell Install") == 0)
        << seen.caption;
}

TEST(SetupExe, ShowsItsMainWindowCentredAndEndsWhenTheUserExits)
{
    ScratchDir dir("shell");
    ScopedCurrentDir cwd(dir.path());
    MainWindowSeen seen;
    std::string transcript;
    DWORD code = RunSetupWatching("", UiScript().Expect("Install", "Installation/Removal").Press(IDCANCEL),
                                  &seen, 60000, &transcript);
    EXPECT_EQ("", transcript);
    EXPECT_EQ(1602u, code) << "Exit is a cancelled setup";
    ExpectMainWindowPlacedForThisScreen(seen, SW_SHOWNORMAL);
}
