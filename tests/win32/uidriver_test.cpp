// Tests of the dialog-answering helper against real message boxes, dialogs and the file dialog.
#include "uidriver.h"

#include <commdlg.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using uidriver::UiDriver;
using uidriver::UiScript;

namespace {

const unsigned kEdit = 954, kBrowse = 955, kCombo = 956, kCheck = 957;

// A dialog template in memory: the classic DLGTEMPLATE layout, items DWORD-aligned.
class DialogTemplate {
public:
    DialogTemplate(const char *caption, short cx, short cy)
    {
        Dword(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        Dword(0);
        words_.push_back(0);  // item count, set by Add
        Words({10, 10, cx, cy, 0, 0});  // position, size, no menu, default class
        Text(caption);
    }

    DialogTemplate &Add(WORD atom, WORD id, const char *text, DWORD style, short x, short y, short cx, short cy)
    {
        if (words_.size() % 2) words_.push_back(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Words({x, y, cx, cy, (short)id, (short)0xFFFF, (short)atom});
        Text(text);
        words_.push_back(0);  // no creation data
        ++words_[4];
        return *this;
    }

    const DLGTEMPLATE *Get()
    {
        aligned_.assign((words_.size() + 1) / 2, 0);
        memcpy(aligned_.data(), words_.data(), words_.size() * sizeof(WORD));
        return reinterpret_cast<const DLGTEMPLATE *>(aligned_.data());
    }

private:
    void Dword(DWORD v) { Words({(short)LOWORD(v), (short)HIWORD(v)}); }
    void Words(std::initializer_list<short> list)
    {
        for (short w : list) words_.push_back((WORD)w);
    }
    void Text(const char *s)
    {
        while (*s) words_.push_back((WORD)(unsigned char)*s++);
        words_.push_back(0);
    }
    std::vector<WORD> words_;
    std::vector<DWORD> aligned_;
};

// What the dialog procedure saw when OK was handled.
struct InstallDialog {
    bool okDisabled = false;
    std::string typed, selected;
    bool checked = false;
    int nestedAnswer = 0;
};

INT_PTR CALLBACK InstallProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    auto *d = reinterpret_cast<InstallDialog *>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        SendDlgItemMessageA(dlg, kCombo, CB_ADDSTRING, 0, (LPARAM) "Alpha");
        SendDlgItemMessageA(dlg, kCombo, CB_ADDSTRING, 0, (LPARAM) "Beta");
        SendDlgItemMessageA(dlg, kCombo, CB_SETCURSEL, 0, 0);
        if (reinterpret_cast<InstallDialog *>(lp)->okDisabled) EnableWindow(GetDlgItem(dlg, IDOK), FALSE);
        return TRUE;
    }
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return FALSE;
    char buf[256] = "";
    switch (LOWORD(wp)) {
    case IDOK:
        GetDlgItemTextA(dlg, kEdit, buf, sizeof buf);
        d->typed = buf;
        GetDlgItemTextA(dlg, kCombo, buf, sizeof buf);
        d->selected = buf;
        d->checked = IsDlgButtonChecked(dlg, kCheck) == BST_CHECKED;
        EndDialog(dlg, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    case kBrowse:
        d->nestedAnswer = MessageBoxA(dlg, "Use the default directory?", "Install", MB_OKCANCEL | MB_ICONQUESTION);
        if (d->nestedAnswer == IDOK) SetDlgItemTextA(dlg, kEdit, "C:\\DEFAULT");
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunInstallDialog(InstallDialog &d)
{
    DialogTemplate t("Install", 220, 90);
    t.Add(0x0082, 0xFFFF, "Install to:", SS_LEFT, 8, 8, 100, 10)
        .Add(0x0081, kEdit, "C:\\TARNWELL", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 8, 20, 150, 12)
        .Add(0x0080, kBrowse, "&Browse...", BS_PUSHBUTTON | WS_TABSTOP, 164, 20, 50, 14)
        .Add(0x0085, kCombo, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 8, 38, 100, 60)
        .Add(0x0080, kCheck, "&Icons", BS_AUTOCHECKBOX | WS_TABSTOP, 120, 38, 60, 12)
        .Add(0x0080, IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 60, 70, 50, 14)
        .Add(0x0080, IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 120, 70, 50, 14);
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, InstallProc, (LPARAM)&d);
}

INT_PTR CALLBACK ProgressProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// A modeless progress dialog, served by this thread's own loop as the setup's main loop does.
HWND ShowProgress()
{
    DialogTemplate t("Copying", 160, 50);
    t.Add(0x0082, 0xFFFF, "Copying files...", SS_LEFT, 8, 8, 140, 10)
        .Add(0x0080, IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 55, 28, 50, 14);
    HWND dlg = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, ProgressProc, 0);
    ShowWindow(dlg, SW_SHOW);
    return dlg;
}

void PumpFor(HWND dlg, DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(dlg, &m)) {
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
        Sleep(10);
    }
}

UINT_PTR CALLBACK PassHook(HWND, UINT, WPARAM, LPARAM) { return 0; }

BOOL OpenClassic(char *file, DWORD size)
{
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = "All files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = size;
    ofn.lpstrInitialDir = "C:\\windows";
    ofn.lpstrTitle = "Pick a file";
    ofn.Flags = OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    ofn.lpfnHook = PassHook;
    return GetOpenFileNameA(&ofn);
}

}  // namespace

TEST(UiDriverMessageBox, AnswersNoAndRecordsCaptionTextAndButtons)
{
    UiDriver driver(UiScript().Expect("Overwrite warning", "already exists").Press(IDNO));
    int answer = MessageBoxA(nullptr, "C:\\x\\a.exe already exists.\nOverwrite it?", "Overwrite warning",
                             MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(IDNO, answer);
    EXPECT_UI_DONE(driver);
    uidriver::SeenWindow box = driver.StepWindow(0);
    EXPECT_EQ("Overwrite warning", box.info.caption);
    EXPECT_EQ("#32770", box.info.cls);
    EXPECT_EQ("C:\\x\\a.exe already exists.\nOverwrite it?", box.info.text);
    ASSERT_NE(nullptr, box.info.Control(IDYES));
    ASSERT_NE(nullptr, box.info.Control(IDNO));
    EXPECT_EQ("&Yes", box.info.Control(IDYES)->text);
    EXPECT_EQ("&No", box.info.Control(IDNO)->text);
    EXPECT_EQ(nullptr, box.info.Control(IDCANCEL));
}

TEST(UiDriverDialog, TypedTextSelectionAndCheckReachTheOkHandler)
{
    UiDriver driver(UiScript()
                        .Expect("Install", "Install to:")
                        .Type(kEdit, "C:\\x")
                        .Select(kCombo, "Beta")
                        .Check(kCheck)
                        .Snapshot()
                        .Press(IDOK));
    InstallDialog d;
    EXPECT_EQ(IDOK, RunInstallDialog(d));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ("C:\\x", d.typed);
    EXPECT_EQ("Beta", d.selected);
    EXPECT_TRUE(d.checked);

    uidriver::SeenWindow seen = driver.StepWindow(0);
    ASSERT_NE(nullptr, seen.info.Control(kEdit));
    EXPECT_EQ("C:\\TARNWELL", seen.info.Control(kEdit)->text);
    ASSERT_NE(nullptr, seen.info.Control(kCombo));
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Beta"}), seen.info.Control(kCombo)->items);
    ASSERT_EQ(1u, seen.snapshots.size());
    EXPECT_EQ("C:\\x", seen.snapshots[0].Control(kEdit)->text);
    EXPECT_EQ(BST_UNCHECKED, seen.info.Control(kCheck)->checked);
    EXPECT_EQ(BST_CHECKED, seen.snapshots[0].Control(kCheck)->checked);
}

TEST(UiDriverDialog, EscapeAndCloseBoxCancel)
{
    UiDriver driver(UiScript().Expect("Install").Escape().Expect("Install").Close());
    InstallDialog first, second;
    EXPECT_EQ(IDCANCEL, RunInstallDialog(first));
    EXPECT_EQ(IDCANCEL, RunInstallDialog(second));
    EXPECT_UI_DONE(driver);
}

TEST(UiDriverDialog, NestedBoxIsAnsweredThenTheDialogAgain)
{
    // The box has the dialog's caption: the newer window is the one answered.
    UiDriver driver(UiScript()
                        .Expect("Install")
                        .Press(kBrowse)
                        .Expect("Install", "default directory")
                        .Press(IDOK)
                        .ExpectAgain("Install")
                        .Press(IDOK));
    InstallDialog d;
    EXPECT_EQ(IDOK, RunInstallDialog(d));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ(IDOK, d.nestedAnswer);
    EXPECT_EQ("C:\\DEFAULT", d.typed);
    EXPECT_EQ("Use the default directory?", driver.StepWindow(1).info.text);
    ASSERT_NE(nullptr, driver.StepWindow(2).info.Control(kEdit));
    EXPECT_EQ("C:\\DEFAULT", driver.StepWindow(2).info.Control(kEdit)->text);
}

TEST(UiDriverDialog, ModelessProgressIsAllowedAroundABoxOrWaitedFor)
{
    {
        UiDriver driver(UiScript().Allow("Copying").Expect("Error", "Disk full").Press(IDRETRY));
        HWND progress = ShowProgress();
        PumpFor(progress, 200);
        EXPECT_EQ(IDRETRY, MessageBoxA(progress, "Disk full", "Error", MB_RETRYCANCEL));
        DestroyWindow(progress);
        EXPECT_UI_DONE(driver);
    }
    {
        UiDriver driver(UiScript().Expect("Copying").WaitGone());
        HWND progress = ShowProgress();
        PumpFor(progress, 300);
        DestroyWindow(progress);
        EXPECT_UI_DONE(driver);
    }
    {
        // Left open by the code under test: a failure, and the window is closed.
        UiDriver driver(UiScript().Allow("Copying"));
        HWND progress = ShowProgress();
        PumpFor(progress, 100);
        EXPECT_UI_FAILED_WITH(driver, "\"Copying\" was still open");
        EXPECT_FALSE(IsWindow(progress));
    }
}

TEST(UiDriverFailures, UnexpectedWindowIsRecordedAndDismissed)
{
    UiDriver driver(UiScript().Expect("Done", "finished").Press(IDOK));
    // A Yes/No box has no Cancel button and no working close box.
    MessageBoxA(nullptr, "Something odd happened", "Surprise", MB_YESNO);
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Setup finished", "Done", MB_OK));
    EXPECT_FALSE(driver.Done());
    EXPECT_UI_FAILED_WITH(driver, "unexpected window \"Surprise\"");
    std::vector<uidriver::SeenWindow> seen = driver.Windows();
    ASSERT_EQ(2u, seen.size()) << driver.Transcript();
    EXPECT_EQ(-1, seen[0].step);
    EXPECT_EQ("Something odd happened", seen[0].info.text);
    EXPECT_TRUE(uidriver::detail::AnyContains(seen[0].log, "dismissed")) << driver.Transcript();
    EXPECT_EQ(0, seen[1].step);
}

TEST(UiDriverFailures, PressingADisabledButtonFailsAndTheDialogIsDismissed)
{
    UiDriver driver(UiScript().Expect("Install").Press(IDOK));
    InstallDialog d;
    d.okDisabled = true;
    EXPECT_EQ(IDCANCEL, RunInstallDialog(d));
    EXPECT_UI_FAILED_WITH(driver, "control 0x1 is disabled");
}

TEST(UiDriverFailures, MissingWindowTimesOutAndLaterWindowsAreDismissed)
{
    DWORD start = GetTickCount();
    UiDriver driver(UiScript().Expect("First").Timeout(300).Press(IDOK));
    Sleep(700);  // the code under test is busy and shows nothing in time
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "Too late", "Second", MB_OKCANCEL));
    EXPECT_UI_FAILED_WITH(driver, "no such window within 300 ms");
    EXPECT_UI_FAILED_WITH(driver, "unexpected window \"Second\"");
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(UiDriverFailures, StepNotReachedWhenTheTestEnds)
{
    UiDriver driver(UiScript().Expect("Question").Press(IDNO).Expect("Never"));
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "Really?", "Question", MB_YESNO));
    EXPECT_FALSE(driver.Done());
    EXPECT_UI_FAILED_WITH(driver, "step 2 \"Never\": the test ended before it came");
}

TEST(UiDriverFileDialog, ClassicOpenDialogIsCancelledThenAnswered)
{
    UiDriver driver(UiScript()
                        .Expect("Pick a file")
                        .Press(IDCANCEL)
                        .Expect("Pick a file")
                        .Type(0x480, "win.ini")
                        .Press(IDOK));
    char file[MAX_PATH] = "";
    EXPECT_FALSE(OpenClassic(file, sizeof file));
    EXPECT_EQ(0u, CommDlgExtendedError());
    file[0] = '\0';
    EXPECT_TRUE(OpenClassic(file, sizeof file));
    EXPECT_EQ(0, lstrcmpiA("C:\\windows\\win.ini", file)) << file;
    EXPECT_UI_DONE(driver);

    uidriver::SeenWindow dlg = driver.StepWindow(0);
    EXPECT_EQ("#32770", dlg.info.cls);
    ASSERT_NE(nullptr, dlg.info.Control(0x480));
    ASSERT_NE(nullptr, dlg.info.Control(0x471));
    EXPECT_TRUE(uidriver::detail::AnyContains(dlg.info.Control(0x471)->items, "[-c-]")) << driver.Transcript();
}

// Runs only inside the child process that the next test starts (see testmain.cpp).
TEST(UiDriverChildSide, OpensTheFileDialog)
{
    char file[MAX_PATH] = "";
    EXPECT_TRUE(OpenClassic(file, sizeof file));
    EXPECT_EQ(0, lstrcmpiA("C:\\windows\\system.ini", file)) << file;
}

TEST(UiDriverFileDialog, AnotherProcessIsDrivenByItsId)
{
    char exe[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, exe, sizeof exe));
    char cmd[MAX_PATH + 64];
    snprintf(cmd, sizeof cmd, "\"%s\" --gtest_filter=UiDriverChildSide.*", exe);
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    // The child must not write over this run's GoogleTest report.
    char output[MAX_PATH] = "";
    DWORD hadOutput = GetEnvironmentVariableA("GTEST_OUTPUT", output, sizeof output);
    SetEnvironmentVariableA("GTEST_OUTPUT", nullptr);
    SetEnvironmentVariableA("TW_CHILD", "1");
    BOOL started = CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("TW_CHILD", nullptr);
    if (hadOutput && hadOutput < sizeof output) SetEnvironmentVariableA("GTEST_OUTPUT", output);
    ASSERT_TRUE(started);

    UiDriver driver(UiScript().Expect("Pick a file").Type(0x480, "system.ini").Press(IDOK), pi.dwProcessId);
    bool ended = WaitForSingleObject(pi.hProcess, 15000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    if (!ended) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(ended);
    EXPECT_EQ(0u, code) << "the child's own checks failed";
    EXPECT_UI_DONE(driver);
    const uidriver::ControlInfo *drives = driver.StepWindow(0).info.Control(0x471);
    ASSERT_NE(nullptr, drives);
    EXPECT_TRUE(uidriver::detail::AnyContains(drives->items, "[-c-]")) << driver.Transcript();
}
