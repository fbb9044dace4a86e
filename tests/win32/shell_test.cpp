// The real setup.exe: its main window's class, size and place, and its end.
#include <gtest/gtest.h>

#include <string>

#include "testutil.h"

namespace {

struct MainWindowSeen {
    bool found = false;
    WINDOWPLACEMENT placement = {};
    DWORD style = 0;
    char caption[64] = "";
};

struct FindContext {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMain(HWND w, LPARAM lp)
{
    FindContext *ctx = (FindContext *)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[32];
    if (pid == ctx->pid && GetClassNameA(w, cls, sizeof cls) && strcmp(cls, "TWInstal") == 0) {
        ctx->found = w;
        return FALSE;
    }
    return TRUE;
}

// Starts setup.exe with args, watches for its main window until the process ends.
DWORD RunSetupWatching(const std::string &args, MainWindowSeen *seen, DWORD timeoutMs)
{
    std::string cmd = "\"" + HostToWinPath(SETUP_EXE_PATH) + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return (DWORD)-100;
    DWORD start = GetTickCount();
    while (WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
        if (seen->found)
            continue;
        FindContext ctx = {pi.dwProcessId, NULL};
        EnumWindows(FindMain, (LPARAM)&ctx);
        if (ctx.found && IsWindowVisible(ctx.found)) {
            seen->found = true;
            seen->placement.length = sizeof seen->placement;
            GetWindowPlacement(ctx.found, &seen->placement);
            seen->style = (DWORD)GetWindowLongA(ctx.found, GWL_STYLE);
            SendMessageTimeoutA(ctx.found, WM_GETTEXT, sizeof seen->caption, (LPARAM)seen->caption,
                                SMTO_ABORTIFHUNG, 1000, NULL);
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
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

TEST(SetupExe, ShowsItsMainWindowCentredAndEndsByItself)
{
    ScratchDir dir("shell");
    ScopedCurrentDir cwd(dir.path());
    MainWindowSeen seen;
    DWORD code = RunSetupWatching("", &seen, 60000);
    EXPECT_NE(99u, code) << "setup.exe did not end by itself";
    ExpectMainWindowPlacedForThisScreen(seen, SW_SHOWNORMAL);
}

TEST(SetupExe, SilentRunIsMinimized)
{
    ScratchDir dir("shell");
    ScopedCurrentDir cwd(dir.path());
    MainWindowSeen seen;
    DWORD code = RunSetupWatching("-r -s", &seen, 60000);
    EXPECT_NE(99u, code) << "setup.exe did not end by itself";
    ASSERT_TRUE(seen.found);
    EXPECT_EQ((UINT)SW_SHOWMINIMIZED, seen.placement.showCmd);
}
