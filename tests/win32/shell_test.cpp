// The real setup.exe: its main window's class, size and place, and its end.
#include <gtest/gtest.h>

#include <msxml2.h>

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

namespace {

// The application manifest of a program (resource type 24, id 1) as text; "" when absent.
std::string ManifestOf(const std::string &exe)
{
    std::string text;
    HMODULE module = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : NULL;
    HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
    if (loaded && LockResource(loaded))
        text.assign((const char *)LockResource(loaded), SizeofResource(module, found));
    if (module)
        FreeLibrary(module);
    return text;
}

// True when the platform's XML parser reads the (ASCII) text as a well-formed document.
bool WellFormed(const std::string &text)
{
    CLSID clsid;
    IXMLDOMDocument *doc = NULL;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)) ||
        FAILED(CoCreateInstance(clsid, NULL, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, (void **)&doc)))
        return false;
    BSTR xml = SysAllocString(std::wstring(text.begin(), text.end()).c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    doc->loadXML(xml, &ok);
    SysFreeString(xml);
    doc->Release();
    return ok == VARIANT_TRUE;
}

}  // namespace

// Both programs ask to run elevated, name the Windows versions they know (so that the version
// check sees the true one), draw their dialogs unscaled and ask for Common Controls 6. Both
// still start (a dependency Windows cannot resolve would stop them): setup.exe in the test
// above, the uninstaller in the end-to-end removals.
TEST(Manifest, BothProgramsCarryOne)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(NULL)));
#ifdef REMOVETW_EXE_PATH
    for (const char *exe : {SETUP_EXE_PATH, REMOVETW_EXE_PATH}) {
#else
    for (const char *exe : {SETUP_EXE_PATH}) {
#endif
        SCOPED_TRACE(exe);
        std::string text = ManifestOf(HostToWinPath(exe));
        EXPECT_TRUE(WellFormed(text)) << "not well-formed:\n" << text;
        for (const char *value : {"<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>",
                                  "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                  "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                  "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", ">true</dpiAware>"})
            EXPECT_NE(std::string::npos, text.find(value)) << value;
        EXPECT_NE(std::string::npos, text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
    }
    CoUninitialize();
}
