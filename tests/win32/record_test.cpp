// The installation record in the real registry and WIN.INI: settings key, uninstall entry, section.
#include <gtest/gtest.h>

#include <string>

#include "progmantest.h"
#include "shell/manifest.h"
#include "shell/setup.h"
#include "changes/record.h"

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwell";

struct RegValue {
    bool present = false;
    DWORD type = 0;
    std::string data;
};

RegValue Query(const char *path, const char *name)
{
    RegValue v;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return v;
    char buf[4096];
    DWORD size = sizeof buf;
    if (RegQueryValueExA(key, name, NULL, &v.type, (BYTE *)buf, &size) == ERROR_SUCCESS) {
        v.present = true;
        v.data.assign(buf, size);
    }
    RegCloseKey(key);
    return v;
}

std::string Dword(DWORD d)
{
    return std::string((const char *)&d, 4);
}

void Set(const char *name, DWORD type, const std::string &data)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, &key));
    RegSetValueExA(key, name, 0, type, (const BYTE *)data.data(), (DWORD)data.size());
    RegCloseKey(key);
}

class RecordTest : public testing::Test {
protected:
    RegistryTreeGuard product{HKEY_LOCAL_MACHINE, PRODUCT_KEY_PATH};
    RegistryTreeGuard uninstall{HKEY_LOCAL_MACHINE, kUninstallKey};
    ProfileSectionGuard section{"Tarnwell"};
    void SetUp() override { LoadInstallManifest(moduleInstance, NULL, NULL); }
};

}  // namespace

TEST_F(RecordTest, RawSockIsKeptOrReplacedBySizeAloneAppletsAlwaysZero)
{
    struct Case {
        const char *what;
        bool present;
        DWORD type;
        std::string before;
        DWORD typeAfter;
        std::string after;
    } cases[] = {
        {"absent", false, 0, "", REG_DWORD, Dword(0)},
        {"DWORD 1", true, REG_DWORD, Dword(1), REG_DWORD, Dword(1)},
        {"DWORD 7", true, REG_DWORD, Dword(7), REG_DWORD, Dword(7)},
        {"1-byte binary", true, REG_BINARY, std::string("\x05", 1), REG_DWORD, Dword(0)},
        {"5-byte string", true, REG_SZ, std::string("1234\0", 5), REG_DWORD, Dword(0)},
        {"2-byte string", true, REG_SZ, std::string("1\0", 2), REG_SZ, std::string("1\0", 2)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, PRODUCT_KEY_PATH);
        Set("Applets", REG_DWORD, Dword(5));
        if (c.present)
            Set("RawSock", c.type, c.before);
        WriteSettingsKey();
        RegValue raw = Query(SETTINGS_KEY_PATH, "RawSock");
        EXPECT_TRUE(raw.present);
        EXPECT_EQ(c.typeAfter, raw.type);
        EXPECT_EQ(c.after, raw.data);
        RegValue applets = Query(SETTINGS_KEY_PATH, "Applets");
        EXPECT_EQ((DWORD)REG_DWORD, applets.type);
        EXPECT_EQ(Dword(0), applets.data);
    }
}

TEST_F(RecordTest, UninstallEntryQuotesTheProgramPathOnly)
{
    const char *dir = "C:\\Program Files\\My Tools";
    WriteUninstallEntry(dir, dir, "Net Tools");
    RegValue name = Query(kUninstallKey, "DisplayName");
    EXPECT_EQ((DWORD)REG_SZ, name.type);
    EXPECT_EQ(std::string("Ardenfel Tarnwell Uninstall\0", 28), name.data);  // the NUL counted
    RegValue cmd = Query(kUninstallKey, "UninstallString");
    EXPECT_EQ((DWORD)REG_SZ, cmd.type);
    std::string expected = "\"C:\\Program Files\\My Tools\\removetw.exe\" -f C:\\Program Files\\My Tools"
                           " -d C:\\Program Files\\My Tools -g Net Tools";
    EXPECT_EQ(expected + '\0', cmd.data);
    EXPECT_EQ("\"C:\\Program Files\\My Tools\\removetw.exe\" -s -f C:\\Program Files\\My Tools"
              " -d C:\\Program Files\\My Tools -g Net Tools" + std::string(1, '\0'),
              Query(kUninstallKey, "QuietUninstallString").data);
    EXPECT_EQ(std::string("Ardenfel\0", 9), Query(kUninstallKey, "Publisher").data);
    EXPECT_EQ(std::string(dir) + '\0', Query(kUninstallKey, "InstallLocation").data);
    EXPECT_EQ(std::string(dir) + "\\tarnwell.exe" + '\0', Query(kUninstallKey, "DisplayIcon").data);
    EXPECT_EQ(Dword(1), Query(kUninstallKey, "NoModify").data);
    EXPECT_EQ(Dword(1), Query(kUninstallKey, "NoRepair").data);
    EXPECT_EQ((DWORD)REG_DWORD, Query(kUninstallKey, "EstimatedSize").type);

    // The longest parts are stored whole.
    std::string longDir = "C:\\" + std::string(252, 'p'), longData = "D:\\" + std::string(252, 'd');
    std::string longGroup(255, 'g');
    WriteUninstallEntry(longDir.c_str(), longData.c_str(), longGroup.c_str());
    cmd = Query(kUninstallKey, "UninstallString");
    EXPECT_EQ("\"" + longDir + "\\removetw.exe\" -f " + longDir + " -d " + longData + " -g " + longGroup + '\0', cmd.data);
}

TEST_F(RecordTest, ProfileRecordIsWrittenInOrderReadByTheRuleAndDeletedWhole)
{
    WriteProfileRecord("C:\\Program Files\\Tarnwell", "D:\\Data", "Net Tools");
    char sectionText[1024] = "";
    DWORD n = GetProfileSectionA("Tarnwell", sectionText, sizeof sectionText);
    EXPECT_EQ(std::string("DIR=C:\\Program Files\\Tarnwell\0DEFDIR=D:\\Data\0GROUP=Net Tools\0INSTOPTS=1\0", 72),
              std::string(sectionText, n));

    char value[RECORD_VALUE_SIZE];
    EXPECT_EQ(9u, ReadRecordValue("GROUP", "Tarnwell", value, sizeof value));
    EXPECT_STREQ("Net Tools", value);
    // Present but empty: not found, whatever the default.
    WriteProfileStringA("Tarnwell", "GROUP", "");
    EXPECT_EQ(0u, ReadRecordValue("GROUP", "Tarnwell", value, sizeof value));
    EXPECT_STREQ("", value);
    // Absent: the default.
    WriteProfileStringA("Tarnwell", "GROUP", NULL);
    EXPECT_EQ(8u, ReadRecordValue("GROUP", "Tarnwell", value, sizeof value));
    EXPECT_STREQ("Tarnwell", value);
    // A long value comes back cut to 255 characters.
    std::string longDir = "C:\\" + std::string(300, 'x');
    WriteProfileStringA("Tarnwell", "DIR", longDir.c_str());
    EXPECT_EQ(255u, ReadRecordValue("DIR", "", value, sizeof value));
    EXPECT_EQ(longDir.substr(0, 255), value);
    // ... and is known to be cut; 255 characters, or no key at all, are whole.
    EXPECT_FALSE(RecordValueWhole("DIR"));
    WriteProfileStringA("Tarnwell", "DIR", longDir.substr(0, 255).c_str());
    EXPECT_TRUE(RecordValueWhole("DIR"));
    EXPECT_TRUE(RecordValueWhole("NOSUCHKEY"));

    DeleteProfileRecord();
    EXPECT_EQ(0u, GetProfileSectionA("Tarnwell", sectionText, sizeof sectionText));
    EXPECT_EQ(0u, ReadRecordValue("DIR", "", value, sizeof value));
}
