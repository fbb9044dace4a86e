// The DDE client against the recording server: command strings, session states, refusals,
// time-outs and the group list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "progman/dde.h"
#include "progman/groupdlg.h"
#include "progmantest.h"
#include "shell/manifest.h"
#include "shell/setup.h"
#include "support/messages.h"

using Lines = std::vector<std::string>;

namespace {

class ProgmanTest : public testing::Test {
protected:
    void SetUp() override { LoadInstallManifest(moduleInstance, NULL, NULL); }
    void TearDown() override { ProgmanClose(); }
};

// The items of a sorted drop-down combo box filled by ProgmanListGroups.
Lines ListedGroups(char **result)
{
    HWND combo = CreateWindowA("COMBOBOX", "", WS_POPUP | CBS_DROPDOWN | CBS_SORT, 0, 0, 200, 200, NULL, NULL,
                               NULL, NULL);
    *result = ProgmanListGroups(combo);
    Lines items;
    int n = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        WCHAR wide[512] = L"";
        SendMessageW(combo, CB_GETLBTEXT, i, (LPARAM)wide);
        char text[512];
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, NULL, NULL);
        items.push_back(text);
    }
    DestroyWindow(combo);
    return items;
}

}  // namespace

TEST_F(ProgmanTest, NothingIsSentWhileTheSessionIsClosed)
{
    ProgmanRecorder recorder;
    ASSERT_TRUE(recorder.ready()) << recorder.why();
    EXPECT_EQ(0, ProgmanExecute(progmanSession.instanceId, "[ShowGroup(Main,1)]"));
    EXPECT_EQ(1, ProgmanDeleteItem("Tarnwell", "x"));
    EXPECT_EQ(1, ProgmanReplaceItem("Tarnwell", "C:\\", "x", "C:\\x.exe"));
    EXPECT_EQ(0, ProgmanShowGroup("Main"));
    EXPECT_EQ(1, ProgmanCloseDeletingGroup("Tarnwell"));
    EXPECT_EQ(1, ProgmanClose());
    EXPECT_TRUE(recorder.Commands().empty());

    EXPECT_EQ(1, ProgmanOpen());
    EXPECT_EQ(1, progmanSession.sessionLive);
    EXPECT_EQ(1, ProgmanExecute(progmanSession.instanceId, "[ShowGroup(Main,1)]"));
    EXPECT_EQ(1, ProgmanClose());
    EXPECT_EQ(0, progmanSession.sessionLive);
    // Sent with its terminating zero (the recorder marks one that came without).
    EXPECT_EQ(Lines{"[ShowGroup(Main,1)]"}, recorder.Commands());
}

TEST_F(ProgmanTest, ItemsAreReplacedAndNamedByTitleOrFile)
{
    ProgmanRecorder recorder;
    ASSERT_TRUE(recorder.ready()) << recorder.why();
    ASSERT_EQ(1, ProgmanCreateGroup("Net Tools"));
    EXPECT_EQ(1, progmanSession.groupAccepted);
    ProgmanReplaceItem("Tarnwell", "D:\\Data", "tarnwell.exe", "C:\\Program Files\\Tarnwell\\tarnwell.exe");
    ProgmanReplaceItem("", "D:\\Data", "mib.txt", "C:\\Tw\\mib.txt");
    // No working directory: the current one.
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    ProgmanReplaceItem("Notes", NULL, "n.txt", "C:\\Tw\\n.txt");
    // No command line: nothing to add, nothing replaced.
    ProgmanReplaceItem("Empty", "C:\\", "e.txt", "");
    ProgmanDeleteItem(NULL, "C:\\Tw\\gone.txt");
    ProgmanClose();
    // All on the one conversation of the session.
    std::vector<int> conversations = recorder.Conversations();
    ASSERT_EQ(8u, conversations.size());
    EXPECT_EQ(std::vector<int>(8, conversations[0]), conversations);
    EXPECT_EQ((Lines{"[CreateGroup(Net Tools)]", "[DeleteItem(\"Tarnwell\")]",
                     "[AddItem(\"C:\\Program Files\\Tarnwell\\tarnwell.exe\",\"Tarnwell\",,,,,D:\\Data)]",
                     "[DeleteItem(\"mib.txt\")]", "[AddItem(\"C:\\Tw\\mib.txt\",\"mib.txt\",,,,,D:\\Data)]",
                     "[DeleteItem(\"Notes\")]", std::string("[AddItem(\"C:\\Tw\\n.txt\",\"Notes\",,,,,") + cwd + ")]",
                     "[DeleteItem(\"C:\\Tw\\gone.txt\")]"}),
              recorder.Commands());
}

TEST_F(ProgmanTest, ValuesThatTheSyntaxWouldMisreadAreQuotedAndQuotesRefused)
{
    ProgmanRecorder recorder;
    ASSERT_TRUE(recorder.ready()) << recorder.why();
    ASSERT_EQ(1, ProgmanCreateGroup("Tools (Net)"));
    EXPECT_EQ(1, ProgmanShowGroup("Tools (Net)"));
    ProgmanReplaceItem("Tarnwell", "C:\\Program Files (x86)\\Tarnwell", "tarnwell.exe",
                       "C:\\Program Files (x86)\\Tarnwell\\tarnwell.exe");
    // Longer than any fixed command buffer: sent whole.
    std::string longDir = "C:\\" + std::string(600, 'd');
    ProgmanReplaceItem("Long", longDir.c_str(), "l.exe", (longDir + "\\l.exe").c_str());
    EXPECT_EQ(0, ProgmanShowGroup("My \"Best\""));
    ProgmanReplaceItem("Say \"hi\"", "C:\\", "t.exe", "C:\\t.exe");
    ProgmanClose();
    EXPECT_EQ((Lines{"[CreateGroup(\"Tools (Net)\")]", "[ShowGroup(\"Tools (Net)\",1)]", "[DeleteItem(\"Tarnwell\")]",
                     "[AddItem(\"C:\\Program Files (x86)\\Tarnwell\\tarnwell.exe\",\"Tarnwell\",,,,,"
                     "\"C:\\Program Files (x86)\\Tarnwell\")]",
                     "[DeleteItem(\"Long\")]", "[AddItem(\"" + longDir + "\\l.exe\",\"Long\",,,,," + longDir + ")]"}),
              recorder.Commands());
}

TEST_F(ProgmanTest, OnlyTheDefaultGroupIsDeletedInAnyLetterCase)
{
    ProgmanRecorder recorder;
    ASSERT_TRUE(recorder.ready()) << recorder.why();
    for (const char *group : {"tARNWELL", "Accessories", "Tarnwell Extra", "Tarnwell"}) {
        ProgmanOpen();
        EXPECT_EQ(1, ProgmanCloseDeletingGroup(group));
        EXPECT_EQ(0, progmanSession.sessionLive);
    }
    EXPECT_EQ((Lines{"[DeleteGroup(tARNWELL)]", "[DeleteGroup(Tarnwell)]"}), recorder.Commands());
}

TEST_F(ProgmanTest, ARefusingServerIsReportedButTheSessionStaysLive)
{
    ProgmanRecorder recorder("refuse");
    ASSERT_TRUE(recorder.ready()) << recorder.why();
    EXPECT_EQ(1, ProgmanCreateGroup("Tarnwell"));
    EXPECT_EQ(1, progmanSession.sessionLive);
    EXPECT_EQ(0, progmanSession.groupAccepted);  // the install makes shell links instead
    EXPECT_EQ(0, ProgmanExecute(progmanSession.instanceId, "[ShowGroup(Tarnwell,1)]"));
    EXPECT_EQ(0, ProgmanShowGroup("Tarnwell"));
    EXPECT_EQ(3u, recorder.Commands().size());
}

// Once the server's end of the session's conversation has reached this side.
static void AwaitEndedConversation()
{
    CONVINFO info{};
    info.cb = sizeof info;
    for (int i = 0; i < 250 && DdeQueryConvInfo(progmanSession.conversation, QID_SYNC, &info) &&
                    (info.wStatus & ST_CONNECTED);
         i++) {
        PumpMessages();
        Sleep(20);
    }
}

TEST_F(ProgmanTest, AConversationTheServerEndsIsMadeAgain)
{
    ProgmanRecorder recorder("drop");
    ASSERT_TRUE(recorder.ready()) << recorder.why();
    ASSERT_EQ(1, ProgmanCreateGroup("Net Tools"));
    EXPECT_EQ(1, progmanSession.groupAccepted);
    AwaitEndedConversation();
    EXPECT_EQ(1, ProgmanShowGroup("Net Tools"));
    AwaitEndedConversation();
    EXPECT_EQ(1, ProgmanShowGroup("Net Tools"));
    ProgmanClose();
    EXPECT_EQ((Lines{"[CreateGroup(Net Tools)]", "[ShowGroup(Net Tools,1)]", "[ShowGroup(Net Tools,1)]"}),
              recorder.Commands());
    std::vector<int> conversations = recorder.Conversations();
    ASSERT_EQ(3u, conversations.size());
    EXPECT_LT(conversations[0], conversations[1]);
    EXPECT_LT(conversations[1], conversations[2]);
}

TEST_F(ProgmanTest, ASilentServerTimesOut)
{
    ProgmanRecorder recorder("silent");
    ASSERT_TRUE(recorder.ready()) << recorder.why();
    ProgmanOpen();
    DWORD start = GetTickCount();
    EXPECT_EQ(0, ProgmanExecute(progmanSession.instanceId, "[ShowGroup(Tarnwell,1)]"));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_EQ(Lines{"[ShowGroup(Tarnwell,1)]"}, recorder.Commands());
}

TEST_F(ProgmanTest, GroupListIsSortedAndCutAtItsLastWholeLine)
{
    ProgmanRecorder recorder("accept", "Startup\r\n\r\nMain\r\nAccessories\r\n\r\n");
    ASSERT_TRUE(recorder.ready()) << recorder.why();
    char *result = nullptr;
    EXPECT_EQ((Lines{"Accessories", "Main", "Startup"}), ListedGroups(&result));
    EXPECT_EQ(groupListBuffer, result);
    EXPECT_STREQ("Startup\r\n\r\nMain\r\nAccessories\r\n\r\n", groupListBuffer);
    EXPECT_EQ(0, progmanSession.sessionLive);

    // 300 lines of 11 bytes: 3,300 bytes for a buffer of 2,096. The reply is cut after the
    // last whole line within 2,095 bytes: 190 lines (2,090 bytes).
    std::string reply;
    for (int i = 0; i < 300; i++) {
        char line[16];
        snprintf(line, sizeof line, "Group %03d\r\n", i);
        reply += line;
    }
    recorder.SetGroups(reply);
    Lines items = ListedGroups(&result);
    ASSERT_EQ(190u, items.size());
    EXPECT_EQ("Group 000", items.front());
    EXPECT_EQ("Group 189", items.back());
    EXPECT_EQ(reply.substr(0, 2090), groupListBuffer);

    recorder.SetGroups("");
    EXPECT_TRUE(ListedGroups(&result).empty());
    EXPECT_STREQ("", groupListBuffer);
    EXPECT_TRUE(recorder.Commands().empty());  // a request, no execute
}
