// The real setup.exe: its main window's class, size and place, and its end.
#include <gtest/gtest.h>

#include <msxml2.h>

#include <string>
#include <vector>

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
    if (!module)
        return text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
    const char *bytes = loaded ? (const char *)LockResource(loaded) : NULL;
    if (bytes)
        text.assign(bytes, SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// A parsed XML document with namespace-aware XPath selection.
class XmlDoc {
public:
    explicit XmlDoc(const std::string &text)
    {
        static const IID iidDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)) ||
            FAILED(CoCreateInstance(clsid, NULL, CLSCTX_INPROC_SERVER, iidDocument2, (void **)&doc_)))
            return;
        doc_->put_async(VARIANT_FALSE);
        std::wstring wide(text.size(), L'\0');
        wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), &wide[0], (int)wide.size()));
        BSTR xml = SysAllocString(wide.c_str());
        VARIANT_BOOL ok = VARIANT_FALSE;
        parsed_ = SUCCEEDED(doc_->loadXML(xml, &ok)) && ok == VARIANT_TRUE;
        SysFreeString(xml);
        SetProperty(L"SelectionLanguage", L"XPath");
        SetProperty(L"SelectionNamespaces",
                    L"xmlns:a='urn:schemas-microsoft-com:asm.v1' xmlns:t='urn:schemas-microsoft-com:asm.v3' "
                    L"xmlns:c='urn:schemas-microsoft-com:compatibility.v1' "
                    L"xmlns:w='http://schemas.microsoft.com/SMI/2005/WindowsSettings'");
    }
    ~XmlDoc()
    {
        if (doc_)
            doc_->Release();
    }
    bool parsed() const { return parsed_; }
    // The text of every node the path selects, in document order.
    std::vector<std::string> Select(const wchar_t *path)
    {
        std::vector<std::string> out;
        IXMLDOMNodeList *nodes = NULL;
        BSTR query = SysAllocString(path);
        if (parsed_ && SUCCEEDED(doc_->selectNodes(query, &nodes)) && nodes) {
            long n = 0;
            nodes->get_length(&n);
            for (long i = 0; i < n; i++) {
                IXMLDOMNode *node = NULL;
                BSTR text = NULL;
                if (SUCCEEDED(nodes->get_item(i, &node)) && node && SUCCEEDED(node->get_text(&text))) {
                    char buf[256] = "";
                    WideCharToMultiByte(CP_UTF8, 0, text, -1, buf, sizeof buf, NULL, NULL);
                    out.push_back(buf);
                }
                SysFreeString(text);
                if (node)
                    node->Release();
            }
            nodes->Release();
        }
        SysFreeString(query);
        return out;
    }

private:
    void SetProperty(const wchar_t *name, const wchar_t *value)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(value);
        BSTR n = SysAllocString(name);
        if (doc_)
            doc_->setProperty(n, v);
        SysFreeString(n);
        VariantClear(&v);
    }

    IXMLDOMDocument2 *doc_ = NULL;
    bool parsed_ = false;
};

}  // namespace

// Both programs ask to run elevated, name the Windows versions they know (so that the version
// check sees the true one), draw their dialogs unscaled, and keep the classic controls.
TEST(Manifest, BothProgramsCarryOneAndStillStart)
{
    using Texts = std::vector<std::string>;
    ASSERT_TRUE(SUCCEEDED(CoInitialize(NULL)));
    for (const char *exe : {SETUP_EXE_PATH, REMOVETW_EXE_PATH}) {
        SCOPED_TRACE(exe);
        std::string text = ManifestOf(HostToWinPath(exe));
        ASSERT_FALSE(text.empty()) << "no manifest resource";
        XmlDoc doc(text);
        ASSERT_TRUE(doc.parsed()) << "not well-formed:\n" << text;
        const wchar_t *level = L"/a:assembly/t:trustInfo/t:security/t:requestedPrivileges/t:requestedExecutionLevel";
        EXPECT_EQ(Texts{"requireAdministrator"}, doc.Select((std::wstring(level) + L"/@level").c_str()));
        EXPECT_EQ(Texts{"false"}, doc.Select((std::wstring(level) + L"/@uiAccess").c_str()));
        EXPECT_EQ((Texts{"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}),
                  doc.Select(L"/a:assembly/c:compatibility/c:application/c:supportedOS/@Id"));
        EXPECT_EQ(Texts{"true"}, doc.Select(L"/a:assembly/t:application/t:windowsSettings/w:dpiAware"));
        EXPECT_EQ(Texts{}, doc.Select(L"//a:dependency")) << "a dependency (common controls 6?)";
    }
    CoUninitialize();

    // The uninstaller starts: it refuses a directory too long to remove, as it should.
    std::string cmd = "\"" + HostToWinPath(REMOVETW_EXE_PATH) + "\" -s -f C:\\" + std::string(300, 'a') + " -d C:\\ -g x";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) << GetLastError();
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(1603u, code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
