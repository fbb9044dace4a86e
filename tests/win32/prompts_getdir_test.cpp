// The directory prompt DLG_GETDIR and the directory browser, answered as a user would.
#include <windows.h>

#include <ctype.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "prompts/browse.h"
#include "prompts/getdir.h"
#include "resources/resource.h"
#include "shell/setup.h"
#include "support/strbuf.h"
#include "testutil.h"
#include "uidriver.h"

using uidriver::UiDriver;
using uidriver::UiScript;

namespace {

std::string Text(const uidriver::WindowInfo &info, unsigned id)
{
    const uidriver::ControlInfo *c = info.Control(id);
    return c ? c->text : "(no control)";
}

// The browser moves the process's current directory as the user goes; each test puts it back.
class DirectoryPrompt : public testing::Test {
protected:
    char savedDir_[MAX_PATH] = "";
    void SetUp() override
    {
        GetCurrentDirectoryA(sizeof savedDir_, savedDir_);
        StrCopy(promptTitle, sizeof promptTitle, "PROGRAM files directory");
        StrCopy(browseSelector, sizeof browseSelector, "a");
    }
    void TearDown() override { SetCurrentDirectoryA(savedDir_); }
};

}  // namespace

TEST_F(DirectoryPrompt, OkReturnsTheEditTextAsTypedAndCutToTheBuffer)
{
    UiDriver driver(UiScript()
                        .Expect("PROGRAM files directory")
                        .Type(IDC_GETDIR_EDIT, "  C:\\Some Dir\\ ")
                        .Press(IDOK)
                        .Expect("PROGRAM files directory")
                        .Type(IDC_GETDIR_EDIT, std::string(600, 'x'))
                        .Press(IDOK));
    char result[PROMPT_TEXT_SIZE] = "";
    EXPECT_EQ(1, PromptForDirectory(NULL, moduleInstance, "Where to?", "C:\\Initial", result));
    EXPECT_STREQ("  C:\\Some Dir\\ ", result);  // not trimmed, no backslash added or removed
    EXPECT_EQ(1, PromptForDirectory(NULL, moduleInstance, "Again?", result, result));
    EXPECT_EQ(std::string(511, 'x'), result);
    EXPECT_UI_DONE(driver);
    uidriver::WindowInfo first = driver.StepWindow(0).info;
    EXPECT_EQ("Where to?", Text(first, IDC_GETDIR_PROMPT));
    EXPECT_EQ("C:\\Initial", Text(first, IDC_GETDIR_EDIT));
    EXPECT_EQ("  C:\\Some Dir\\ ", Text(driver.StepWindow(1).info, IDC_GETDIR_EDIT));
}

TEST_F(DirectoryPrompt, CancelLeavesTheResultAndACaptionOnceSetStays)
{
    promptTitle[0] = '\0';
    UiDriver driver(UiScript()
                        .Expect("Locate Directory")  // the template's own caption
                        .Type(IDC_GETDIR_EDIT, "C:\\typed")
                        .Press(IDCANCEL)
                        .Expect("DATA files directory")
                        .Escape()
                        .Expect("DATA files directory")
                        .Close());
    char result[PROMPT_TEXT_SIZE] = "untouched";
    EXPECT_EQ(0, PromptForDirectory(NULL, moduleInstance, "One", "C:\\Initial", result));
    StrCopy(promptTitle, sizeof promptTitle, "DATA files directory");
    EXPECT_EQ(0, PromptForDirectory(NULL, moduleInstance, "Two", "C:\\Initial", result));
    EXPECT_EQ(0, PromptForDirectory(NULL, moduleInstance, "Three, caption not set again", "", result));
    EXPECT_STREQ("untouched", result);
    EXPECT_UI_DONE(driver);
}

TEST_F(DirectoryPrompt, BrowseStartsInTheEditTextAndItsAnswerReplacesIt)
{
    ScratchDir dir("browse");
    std::string sub = dir.file("Sub Dir");
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), NULL));
    UiDriver driver(UiScript()
                        .Expect("PROGRAM files directory")
                        .Type(IDC_GETDIR_EDIT, sub)
                        .Press(IDC_GETDIR_BROWSE)
                        .Expect("Locate")
                        .Press(IDOK)
                        .ExpectAgain("PROGRAM files directory")
                        .Press(IDOK));
    char result[PROMPT_TEXT_SIZE];
    EXPECT_EQ(1, PromptForDirectory(NULL, moduleInstance, "Where to install?", "C:\\windows", result));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ(0, lstrcmpiA(sub.c_str(), result)) << result;
    // The default template: its prompt line shows the question, the selector fills the hidden
    // file name, and the one filter comes from the "All Files" message.
    uidriver::WindowInfo browser = driver.StepWindow(1).info;
    EXPECT_EQ("Where to install?", Text(browser, IDC_BROWSE_PROMPT)) << browser.Describe("  ");
    ASSERT_NE(nullptr, browser.Control(IDC_BROWSE_FILENAME));
    EXPECT_FALSE(browser.Control(IDC_BROWSE_FILENAME)->visible);
    EXPECT_EQ("a", browser.Control(IDC_BROWSE_FILENAME)->text);
    ASSERT_NE(nullptr, browser.Control(IDC_BROWSE_TYPES));
    EXPECT_EQ(std::vector<std::string>{"All Files (*.*)"}, browser.Control(IDC_BROWSE_TYPES)->items);
}

TEST_F(DirectoryPrompt, BrowserOkGivesTheDirectoryOrTheTwoCharacterDriveForm)
{
    UiDriver driver(UiScript().Expect("Locate").Press(IDOK).Expect("Locate").Press(IDOK));
    char result[BROWSE_RESULT_SIZE];
    EXPECT_NE(0, BrowseForDirectory(NULL, "a", "C:\\windows", result));
    EXPECT_EQ(0, lstrcmpiA("C:\\windows", result)) << result;
    EXPECT_NE(0, BrowseForDirectory(NULL, "a", "C:\\", result));
    EXPECT_STREQ("C:", result);
    EXPECT_UI_DONE(driver);
}

// The browser's library is loaded when it opens; one that cannot be loaded fails as Cancel does.
TEST_F(DirectoryPrompt, BrowserWithoutItsLibraryFailsAsCancel)
{
    const char *saved = openDialogLibrary;
    openDialogLibrary = "twnodlg.dll";
    char result[BROWSE_RESULT_SIZE] = "";
    EXPECT_EQ(0, BrowseForDirectory(NULL, "a", "C:\\windows", result));
    openDialogLibrary = saved;
    EXPECT_STREQ("a", result);
}

// A drive picked with the mouse ends in CBN_CLOSEUP, on which the platform's dialog does not
// act; the hook turns it into a selection change. The driver has no such action, so a thread
// of the test plays the user.
TEST_F(DirectoryPrompt, DriveListCloseUpChangesTheDrive)
{
    bool closedUp = false;
    std::thread user([&closedUp] {
        HWND dlg = NULL;
        for (int i = 0; i < 400 && !dlg; i++, Sleep(25))
            for (HWND h : uidriver::FindDialogs(GetCurrentProcessId()))
                if (uidriver::ReadWindow(h).caption == "Locate")
                    dlg = h;
        if (!dlg)
            return;
        const uidriver::ControlInfo *drives = uidriver::ReadWindow(dlg).Control(IDC_BROWSE_DRIVES);
        for (size_t i = 0; drives && i < drives->items.size(); i++) {
            if (drives->items[i] != "[-z-]")
                continue;
            HWND list = GetDlgItem(dlg, IDC_BROWSE_DRIVES);
            SendMessageTimeoutA(list, CB_SETCURSEL, i, 0, SMTO_NORMAL, 2000, NULL);
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_DRIVES, CBN_CLOSEUP), (LPARAM)list);
            Sleep(500);
            closedUp = true;
        }
        PostMessageA(dlg, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(dlg, IDOK));
    });
    char result[BROWSE_RESULT_SIZE] = "";
    int chosen = BrowseForDirectory(NULL, "a", "C:\\windows", result);
    user.join();
    ASSERT_TRUE(closedUp);
    EXPECT_NE(0, chosen);
    EXPECT_EQ("Z:", std::string(1, (char)toupper((unsigned char)result[0])) + result[1]) << result;
}
