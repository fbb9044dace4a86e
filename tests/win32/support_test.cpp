// Messages from the real string table, setup.log on disk, pumping and centring.
#include <gtest/gtest.h>

#include <string.h>

#include "shell/setup.h"
#include "support/logfile.h"
#include "support/messages.h"
#include "testutil.h"

TEST(LoadMessage, RealEntriesAndFallback)
{
    char buf[1024];
    EXPECT_EQ(1, LoadMessage(10003, buf, sizeof buf));
    EXPECT_STREQ("Creation of %1!s! failed. (%2!u!)", buf);
    EXPECT_EQ(1, LoadMessage(10086, buf, sizeof buf));
    EXPECT_EQ('\n', buf[0]);

    char small[16];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(0, LoadMessage(10500, small, 10));
    EXPECT_STREQ("10500 DEB", small);
    EXPECT_EQ('x', small[10]);  // nothing written past the size given

    memset(small, 'x', sizeof small);
    EXPECT_EQ(0, LoadMessage(10500, small, 0));
    EXPECT_EQ('x', small[0]);

    EXPECT_EQ(0, LoadMessage(10500, buf, sizeof buf));
    EXPECT_STREQ("10500 DEBUG - Unable to load string", buf);
}

TEST(ComposeMessage, ExpandsLoadedEntriesOnly)
{
    char text[1024];
    ComposeMessage(text, sizeof text, 10003, "C:\\Data", 5u);
    EXPECT_STREQ("Creation of C:\\Data failed. (5)", text);
    ComposeMessage(text, sizeof text, 10012, "C:\\Tw");
    EXPECT_STREQ("Removal process complete.\nCheck the directory C:\\Tw for excess files\n"
                 "that caused the removal process to not cleanup entirely.", text);
    ComposeMessage(text, sizeof text, 10501, "unused");
    EXPECT_STREQ("10501 DEBUG - Unable to load string", text);
    char cut[12];
    ComposeMessage(cut, sizeof cut, 10005, "tarnwell.exe", "C:\\Tw", 2u);
    EXPECT_STREQ("Copy of tar", cut);
}

class SetupLog : public testing::Test {
protected:
    ScratchDir dir{"log"};
    ScopedCurrentDir cwd{dir.path()};
    SetupModeFlags saved = setupMode;
    void TearDown() override { setupMode = saved; }
    std::string Log()
    {
        std::string s;
        ReadWholeFile(dir.file("setup.log"), &s);
        return s;
    }
};

TEST_F(SetupLog, AppendsLinesWithCrLf)
{
    setupMode.logging = 1;
    WriteSetupLog("first");
    WriteSetupLog("two\nlines");
    WriteSetupLog("\nleading");
    EXPECT_EQ("first\r\ntwo\r\nlines\r\n\r\nleading\r\n", Log());
    // A later run appends to what is there.
    WriteSetupLog("next run");
    EXPECT_EQ("first\r\ntwo\r\nlines\r\n\r\nleading\r\nnext run\r\n", Log());
    EXPECT_EQ(1, setupMode.logging);
}

TEST_F(SetupLog, NothingWhileLoggingIsOff)
{
    setupMode.logging = 0;
    WriteSetupLog("hidden");
    EXPECT_FALSE(FileExists(dir.file("setup.log")));
}

TEST_F(SetupLog, FailedOpenSilencesTheRestOfTheRun)
{
    // A directory of that name cannot be opened as a file, whoever runs the test.
    ASSERT_TRUE(CreateDirectoryA(dir.file("setup.log").c_str(), NULL));
    setupMode.logging = 1;
    WriteSetupLog("lost");
    EXPECT_EQ(0, setupMode.logging);
    RemoveDirectoryA(dir.file("setup.log").c_str());
    WriteSetupLog("also lost");
    EXPECT_FALSE(FileExists(dir.file("setup.log")));
}

// A setup.log that is a second name of another file is left as it is, and so is that file.
TEST_F(SetupLog, SecondHardLinkIsNeverWritten)
{
    ScratchDir elsewhere("other");
    std::string other = elsewhere.file("settings.ini");
    ASSERT_TRUE(WriteWholeFile(other, "[kept]\r\n"));
    ASSERT_TRUE(CreateHardLinkA(dir.file("setup.log").c_str(), other.c_str(), NULL));
    setupMode.logging = 1;
    WriteSetupLog("never here");
    EXPECT_EQ(0, setupMode.logging);
    std::string now;
    EXPECT_TRUE(ReadWholeFile(other, &now) && now == "[kept]\r\n") << now;
    DeleteFileA(dir.file("setup.log").c_str());

    // Another path asked for: its own directory, not the current one, is compared.
    std::string log = elsewhere.file("install.log");
    HANDLE h = OpenLogFile(log.c_str());
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    EXPECT_TRUE(FileExists(log));
    h = OpenLogFile(log.c_str());
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
}

TEST_F(SetupLog, SilentReportIsLoggedWithoutABox)
{
    setupMode.logging = 1;
    setupMode.silent = 1;
    EXPECT_EQ(0, ReportMessage(NULL, "caption", MB_OK, 10003, "C:\\x", 3u));
    EXPECT_EQ("Creation of C:\\x failed. (3)\r\n", Log());
}

TEST(PumpMessages, DrainsEverythingAndReturns)
{
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0);
    PostQuitMessage(7);
    EXPECT_EQ(1, PumpMessages());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
    EXPECT_EQ(1, PumpMessages());
}

TEST(CenterOnDesktop, MovesToTheMiddleKeepingTheSize)
{
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    int dw = desk.right - desk.left, dh = desk.bottom - desk.top;
    HWND w = CreateWindowExA(0, "STATIC", "centre me", WS_POPUP, 5, 5, 301, 101, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(w != NULL);
    CenterOnDesktop(w, 0);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(dw / 2 - 150, r.left);
    EXPECT_EQ(dh / 2 - 50, r.top);
    EXPECT_EQ(301, r.right - r.left);
    EXPECT_EQ(101, r.bottom - r.top);

    MoveWindow(w, 0, 0, dw + 200, dh + 100, FALSE);
    CenterOnDesktop(w, 0);
    GetWindowRect(w, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    DestroyWindow(w);
}
