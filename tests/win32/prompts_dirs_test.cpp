// Directory creation, source location and the destination prompt, with every box they show.
#include <gtest/gtest.h>

#include <string>

#include "prompts/destination.h"
#include "prompts/dirtree.h"
#include "prompts/getdir.h"
#include "prompts/paths.h"
#include "prompts/source.h"
#include "resources/resource.h"
#include "shell/setup.h"
#include "support/strbuf.h"
#include "testutil.h"
#include "uidriver.h"

using uidriver::UiDriver;
using uidriver::UiScript;

namespace {

const char kSourceTitle[] = "SOURCE files directory";
const char kLocatePrompt[] = "Please locate source directory!";
const char kProgramTitle[] = "PROGRAM files directory";

bool IsDirectory(const std::string &path)
{
    DWORD attrs = GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::string EditText(const uidriver::WindowInfo &info)
{
    const uidriver::ControlInfo *edit = info.Control(IDC_GETDIR_EDIT);
    return edit ? edit->text : "(no edit field)";
}

// A module without the setup's dialogs, so that DLG_GETDIR cannot be created.
HINSTANCE NoDialogs() { return GetModuleHandleA("kernel32.dll"); }

// Each test runs in a scratch current directory (where setup.log goes), mode flags restored.
class Prompts : public testing::Test {
protected:
    ScratchDir dir_{"prompts"};
    ScopedCurrentDir cwd_{dir_.path()};
    SetupModeFlags savedMode_ = setupMode;
    char path_[SOURCE_PATH_SIZE] = "";
    void TearDown() override { setupMode = savedMode_; }

    std::string Make(const std::string &name, const char *file = nullptr)
    {
        std::string path = dir_.file(name);
        CreateDirectoryA(path.c_str(), NULL);
        if (file)
            WriteWholeFile(path + "\\" + file, "payload");
        return path;
    }
    char *Path(const std::string &text)
    {
        StrCopy(path_, sizeof path_, text.c_str());
        return path_;
    }
    std::string Log()
    {
        std::string s;
        ReadWholeFile(dir_.file("setup.log"), &s);
        return s;
    }
};

}  // namespace

TEST_F(Prompts, DirectoryTreeCreatesMissingParentsWithoutABox)
{
    UiDriver driver((UiScript()));  // any box fails the test
    std::string nested = dir_.file("a\\b\\c"), trailing = dir_.file("New\\Sub\\");
    EXPECT_NE(0, CreateDirectoryTree(Path(nested)));
    EXPECT_EQ(nested, path_);  // restored after the parents were split off
    EXPECT_TRUE(IsDirectory(nested));
    EXPECT_NE(0, CreateDirectoryTree(Path(trailing)));
    EXPECT_TRUE(IsDirectory(dir_.file("New\\Sub")));
    EXPECT_NE(0, CreateDirectoryTree(Path(nested)));  // already there
    EXPECT_UI_DONE(driver);
}

TEST_F(Prompts, DirectoryTreeRefusesAFileOfThatName)
{
    std::string file = dir_.file("taken");
    ASSERT_TRUE(WriteWholeFile(file, "a user's file"));
    UiDriver driver(UiScript().Expect("Install", "taken failed. (183)").Press(IDOK));
    EXPECT_EQ(0, CreateDirectoryTree(Path(file)));
    EXPECT_UI_DONE(driver);
    std::string content;
    EXPECT_TRUE(ReadWholeFile(file, &content) && content == "a user's file");
}

TEST_F(Prompts, DirectoryTreeOnAnUnmappedDriveShowsEachLevelEvenWhenSilent)
{
    setupMode.silent = 1;
    setupMode.logging = 1;
    UiDriver driver(UiScript()
                        .Expect("Install", "Q: failed")
                        .Press(IDOK)
                        .Expect("Install", "Q:\\a failed")
                        .Press(IDOK)
                        .Expect("Install", "Q:\\a\\b failed")
                        .Press(IDOK));
    EXPECT_EQ(0, CreateDirectoryTree(Path("Q:\\a\\b")));
    EXPECT_STREQ("Q:\\a\\b", path_);
    EXPECT_UI_DONE(driver);
    // Nearest the root first, each with the error of that level's last attempt.
    EXPECT_EQ("Creation of Q: failed. (3)", driver.StepWindow(0).info.text);
    EXPECT_EQ("Creation of Q:\\a failed. (2)", driver.StepWindow(1).info.text);
    EXPECT_EQ("Creation of Q:\\a\\b failed. (3)", driver.StepWindow(2).info.text);
    EXPECT_FALSE(FileExists(dir_.file("setup.log")));  // and not logged
}

TEST_F(Prompts, SourceFoundAtOnceUnderEitherNameWithoutAPrompt)
{
    std::string plain = Make("plain", "tarnwell.exe"), packed = Make("packed", "tarnwell.ex_");
    UiDriver driver((UiScript()));
    EXPECT_EQ(1, LocateSource(moduleInstance, NULL, Path(plain + "\\"), "tarnwell.exe"));
    EXPECT_EQ(plain + "\\", path_);
    EXPECT_EQ(1, LocateSource(moduleInstance, NULL, Path(packed), "tarnwell.exe"));
    EXPECT_EQ(packed + "\\", path_);  // the backslash added
    // With no directory only the compressed name is tried, in the current directory.
    WriteWholeFile(dir_.file("tarnwell.ex_"), "payload");
    EXPECT_EQ(1, LocateSource(moduleInstance, NULL, Path(""), "tarnwell.exe"));
    EXPECT_STREQ("", path_);
    EXPECT_UI_DONE(driver);
}

TEST_F(Prompts, SourceFoundInTheDirectoryTheUserTypes)
{
    std::string empty = Make("empty"), media = Make("media", "tarnwell.exe");
    UiDriver driver(UiScript().Expect(kSourceTitle, kLocatePrompt).Type(IDC_GETDIR_EDIT, media).Press(IDOK));
    EXPECT_EQ(1, LocateSource(moduleInstance, NULL, Path(empty), "tarnwell.exe"));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ(media + "\\", path_);
    EXPECT_EQ(empty + "\\", EditText(driver.StepWindow(0).info));  // the directory searched
}

TEST_F(Prompts, SourceCancelledAfterBrowsingWithTheSourceTemplate)
{
    std::string empty = Make("empty");
    UiDriver driver(UiScript()
                        .Expect(kSourceTitle, kLocatePrompt)
                        .Press(IDC_GETDIR_BROWSE)
                        .Expect("Locate", "Please help me locate the source files directory!")
                        .Press(IDCANCEL)
                        .ExpectAgain(kSourceTitle)
                        .Press(IDCANCEL));
    EXPECT_EQ(0, LocateSource(moduleInstance, NULL, Path(empty), "tarnwell.exe"));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ(empty, path_);
}

TEST_F(Prompts, SourceEndsAsOnCancelWhenThePromptCannotBeShown)
{
    UiDriver driver((UiScript()));
    std::string empty = Make("empty");
    EXPECT_EQ(0, LocateSource(NoDialogs(), NULL, Path(empty), "tarnwell.exe"));
    EXPECT_EQ(empty, path_);
    EXPECT_UI_DONE(driver);
}

TEST_F(Prompts, SourceAnswerWithoutRoomForTheFileNameIsRefusedAndAskedAgain)
{
    setupMode.silent = 1;  // the source prompt and its refusal are shown all the same
    setupMode.logging = 1;
    std::string media = Make("media", "tarnwell.ex_"), tooLong = "C:\\" + std::string(600, 'x');
    UiDriver driver(UiScript()
                        .Expect(kSourceTitle, kLocatePrompt)
                        .Type(IDC_GETDIR_EDIT, tooLong)
                        .Press(IDOK)
                        .Expect(kSourceTitle, "too long")
                        .Press(IDOK)
                        .Expect(kSourceTitle, kLocatePrompt)
                        .Type(IDC_GETDIR_EDIT, media)
                        .Press(IDOK));
    EXPECT_EQ(1, LocateSource(moduleInstance, NULL, Path(Make("empty")), "tarnwell.exe"));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ(media + "\\", path_);
    EXPECT_EQ("The directory is too long.\nA source directory may have at most 498 characters.",
              driver.StepWindow(1).info.text);
    EXPECT_EQ(tooLong.substr(0, 511), EditText(driver.StepWindow(2).info));  // offered again
    EXPECT_EQ("The directory is too long.\r\nA source directory may have at most 498 characters.\r\n", Log());
}

TEST_F(Prompts, DestinationFailureShowsTheBoxesThenThePromptWithThatAnswer)
{
    setupMode.logging = 1;
    std::string wanted = dir_.file("Program Files\\Tarnwell");
    UiDriver driver(UiScript()
                        .Expect(kProgramTitle, "Please enter the destination directory:")
                        .Press(IDOK)
                        .Expect("Install", "Creation of Q: failed. (3)")
                        .Press(IDOK)
                        .Expect("Install", "Creation of Q:\\Tw failed. (2)")
                        .Press(IDOK)
                        .Expect("Lumbrook", "Failed to create requested directory!")
                        .Press(IDOK)
                        .Expect(kProgramTitle)
                        .Type(IDC_GETDIR_EDIT, wanted)
                        .Press(IDOK));
    char dir[PROMPT_TEXT_SIZE] = "Q:\\Tw";
    EXPECT_EQ(1, AskDestination(moduleInstance, NULL, dir));
    EXPECT_UI_DONE(driver);
    EXPECT_EQ(wanted, dir);
    EXPECT_TRUE(IsDirectory(wanted));
    EXPECT_EQ("Q:\\Tw", EditText(driver.StepWindow(4).info));
    EXPECT_EQ("Failed to create requested directory!\r\n", Log());
    EXPECT_STREQ("a", browseSelector);
}

TEST_F(Prompts, DestinationWithoutAPromptGivesUpAfterOneFailure)
{
    // With DLG_GETDIR missing the given directory is still created; a failure ends as on Cancel.
    UiDriver driver(UiScript()
                        .Expect("Install", "Q: failed")
                        .Press(IDOK)
                        .Expect("Install", "Q:\\x failed")
                        .Press(IDOK)
                        .Expect("Lumbrook")
                        .Press(IDOK));
    char dir[PROMPT_TEXT_SIZE] = "Q:\\x";
    EXPECT_EQ(0, AskDestination(NoDialogs(), NULL, dir));
    EXPECT_UI_DONE(driver);
}
