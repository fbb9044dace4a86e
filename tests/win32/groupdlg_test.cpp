// The group-name dialog DLG_GETGROUP, run for real and answered through the user driver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "progman/dde.h"
#include "progman/groupdlg.h"
#include "progmantest.h"
#include "resources/resource.h"
#include "shell/manifest.h"
#include "shell/setup.h"
#include "uidriver.h"

using uidriver::UiDriver;
using uidriver::UiScript;
using Lines = std::vector<std::string>;

namespace {

const char kCaption[] = "Program Manager Group";

class GroupDialog : public testing::Test {
protected:
    ProgmanRecorder recorder{"accept", "Startup\r\n\r\nMain\r\nAccessories\r\n\r\n"};
    void SetUp() override
    {
        ASSERT_TRUE(recorder.ready()) << recorder.why();
        LoadInstallManifest(moduleInstance, NULL, NULL);
    }
};

}  // namespace

TEST_F(GroupDialog, OffersTheSortedGroupsAndKeepsTheNameOnOk)
{
    UiDriver ui(UiScript().Expect(kCaption).Snapshot().Press(IDOK));
    EXPECT_EQ(1, AskGroupName(NULL, moduleInstance));
    ASSERT_UI_DONE(ui);
    uidriver::SeenWindow seen = ui.StepWindow(0);
    ASSERT_EQ(1u, seen.snapshots.size());
    const uidriver::ControlInfo *combo = seen.snapshots[0].Control(IDC_GETGROUP_COMBO);
    ASSERT_TRUE(combo);
    EXPECT_EQ((Lines{"Accessories", "Main", "Startup"}), combo->items);
    EXPECT_EQ("Tarnwell", combo->text);
    EXPECT_STREQ("Tarnwell", installManifest.groupName);
    EXPECT_EQ(0, progmanSession.sessionLive);
}

TEST_F(GroupDialog, APickedOrTypedNameReplacesTheGroupName)
{
    {
        UiDriver ui(UiScript().Expect(kCaption).Select(IDC_GETGROUP_COMBO, "Main").Press(IDOK));
        EXPECT_EQ(1, AskGroupName(NULL, moduleInstance));
        EXPECT_UI_DONE(ui);
        EXPECT_STREQ("Main", installManifest.groupName);
    }
    {
        UiDriver ui(UiScript().Expect(kCaption).Type(IDC_GETGROUP_COMBO, "").Press(IDOK));
        EXPECT_EQ(1, AskGroupName(NULL, moduleInstance));
        EXPECT_UI_DONE(ui);
        EXPECT_STREQ("", installManifest.groupName);  // the install then uses the default
    }
}

TEST_F(GroupDialog, CancelEscapeAndTheCloseBoxLeaveTheNameAlone)
{
    UiScript scripts[3];
    scripts[0].Expect(kCaption).Type(IDC_GETGROUP_COMBO, "Changed").Press(IDCANCEL);
    scripts[1].Expect(kCaption).Type(IDC_GETGROUP_COMBO, "Changed").Escape();
    scripts[2].Expect(kCaption).Type(IDC_GETGROUP_COMBO, "Changed").Close();
    for (const UiScript &script : scripts) {
        UiDriver ui(script);
        EXPECT_EQ(0, AskGroupName(NULL, moduleInstance));
        EXPECT_UI_DONE(ui);
        EXPECT_STREQ("Tarnwell", installManifest.groupName);
    }
}

TEST_F(GroupDialog, ANameWithADoubleQuoteIsRefusedWithAMessage)
{
    UiDriver ui(UiScript()
                    .Expect(kCaption)
                    .Type(IDC_GETGROUP_COMBO, "My \"Best\"")
                    .Press(IDOK)
                    .Expect(kCaption, "double quote")
                    .Press(IDOK)
                    .ExpectAgain(kCaption)
                    .Type(IDC_GETGROUP_COMBO, "My Best")
                    .Press(IDOK));
    EXPECT_EQ(1, AskGroupName(NULL, moduleInstance));
    EXPECT_UI_DONE(ui);
    EXPECT_STREQ("My Best", installManifest.groupName);
}

TEST_F(GroupDialog, AMissingTemplateGivesMinusOne)
{
    EXPECT_EQ(-1, AskGroupName(NULL, GetModuleHandleA("kernel32.dll")));
}
