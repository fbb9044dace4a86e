// The setup action: the switches, and the DLG_INSTALL question answered as a user would.
#include <gtest/gtest.h>

#include <string>

#include "prompts/action.h"
#include "resources/resource.h"
#include "shell/manifest.h"
#include "shell/setup.h"
#include "support/strbuf.h"
#include "uidriver.h"

using uidriver::UiDriver;
using uidriver::UiScript;

namespace {

// A product name, and so a WIN.INI section, of the test's own: no real record is disturbed.
const char kProduct[] = "TarnwellActionTest";

class SetupAction : public testing::Test {
protected:
    InstallManifest savedManifest_ = installManifest;
    SetupModeFlags savedMode_ = setupMode;
    void SetUp() override
    {
        StrCopy(installManifest.productName, sizeof installManifest.productName, kProduct);
        WriteProfileStringA(kProduct, NULL, NULL);
        setupMode = SetupModeFlags();
    }
    void TearDown() override
    {
        WriteProfileStringA(kProduct, NULL, NULL);
        installManifest = savedManifest_;
        setupMode = savedMode_;
    }
};

uidriver::ControlInfo Control(const uidriver::WindowInfo &info, unsigned id)
{
    const uidriver::ControlInfo *c = info.Control(id);
    return c ? *c : uidriver::ControlInfo();
}

}  // namespace

TEST_F(SetupAction, WithoutARecordedDirectoryRemoveIsGreyedAndContinueInstalls)
{
    UiDriver driver(UiScript().Expect("Install").Press(IDOK).Expect("Install").Press(IDOK));
    EXPECT_EQ(SETUP_ACTION_INSTALL, ChooseSetupAction(NULL, moduleInstance));  // no DIR key
    WriteProfileStringA(kProduct, "DIR", "");
    EXPECT_EQ(SETUP_ACTION_INSTALL, ChooseSetupAction(NULL, moduleInstance));  // an empty DIR
    EXPECT_UI_DONE(driver);
    for (int step = 0; step < 2; step++) {
        uidriver::WindowInfo info = driver.StepWindow(step).info;
        EXPECT_EQ("Install or update TarnwellActionTest", Control(info, IDC_INSTALL_INSTALL).text);
        EXPECT_EQ("Remove prior installation of TarnwellActionTest", Control(info, IDC_INSTALL_REMOVE).text);
        EXPECT_EQ(BST_CHECKED, Control(info, IDC_INSTALL_INSTALL).checked);
        EXPECT_FALSE(Control(info, IDC_INSTALL_REMOVE).enabled) << info.Describe("  ");
    }
}

TEST_F(SetupAction, RecordedDirectoryOffersRemoval)
{
    WriteProfileStringA(kProduct, "DIR", "C:\\Program Files\\Tarnwell");
    UiDriver driver(UiScript()
                        .Expect("Install")
                        .Check(IDC_INSTALL_REMOVE)
                        .Press(IDOK)
                        .Expect("Install")
                        .Press(IDOK));
    EXPECT_EQ(SETUP_ACTION_REMOVE, ChooseSetupAction(NULL, moduleInstance));
    EXPECT_EQ(SETUP_ACTION_INSTALL, ChooseSetupAction(NULL, moduleInstance));
    EXPECT_UI_DONE(driver);
    EXPECT_TRUE(Control(driver.StepWindow(0).info, IDC_INSTALL_REMOVE).enabled);
}

TEST_F(SetupAction, ExitEscapeAndTheCloseBoxDoNothing)
{
    WriteProfileStringA(kProduct, "DIR", "C:\\Tw");
    UiDriver driver(UiScript()
                        .Expect("Install")
                        .Check(IDC_INSTALL_REMOVE)
                        .Press(IDCANCEL)
                        .Expect("Install")
                        .Escape()
                        .Expect("Install")
                        .Close());
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(SETUP_ACTION_EXIT, ChooseSetupAction(NULL, moduleInstance));
    EXPECT_UI_DONE(driver);
}

TEST_F(SetupAction, SwitchesAnswerWithoutADialog)
{
    UiDriver driver((UiScript()));  // any dialog fails the test
    setupMode.removeMode = 1;       // even with nothing recorded
    EXPECT_EQ(SETUP_ACTION_REMOVE, ChooseSetupAction(NULL, moduleInstance));
    setupMode.installMode = 1;
    EXPECT_EQ(SETUP_ACTION_INSTALL, ChooseSetupAction(NULL, moduleInstance));
    EXPECT_UI_DONE(driver);
}

TEST_F(SetupAction, MissingTemplateGivesThePlatformsFailureValue)
{
    EXPECT_EQ(-1, ChooseSetupAction(NULL, GetModuleHandleA("kernel32.dll")));
}
