// Reading and writing the installation record; none of it logs or reports.
#include "record.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "../progman/commands.h"
#include "../shell/manifest.h"
#include "../support/strbuf.h"

size_t ReadRecordValue(const char *key, const char *defaultValue, char *out, size_t outSize)
{
    char value[RECORD_VALUE_SIZE];
    GetProfileStringA(installManifest.productName, key, defaultValue ? defaultValue : "", value, sizeof value);
    StrCopy(out, outSize, value);
    return strnlen(out, outSize);
}

void WriteSettingsKey(void)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, &key) != ERROR_SUCCESS)
        return;
    DWORD zero = 0;
    RegSetValueExA(key, "Applets", 0, REG_DWORD, (const BYTE *)&zero, sizeof zero);
    // An existing RawSock of 2 to 4 bytes is kept: the test is on the size alone.
    DWORD rawSock = 0;
    DWORD type = 0;
    DWORD size = sizeof rawSock;
    LONG status = RegQueryValueExA(key, "RawSock", NULL, &type, (BYTE *)&rawSock, &size);
    if (status != ERROR_SUCCESS || size < 2) {
        rawSock = 0;
        RegSetValueExA(key, "RawSock", 0, REG_DWORD, (const BYTE *)&rawSock, sizeof rawSock);
    }
    RegCloseKey(key);
}

int UninstallKeyPath(char *out, size_t outSize)
{
    const char *product = installManifest.productName;
    if (!*product || strchr(product, '\\'))
        return 0;
    return StrFormat(out, outSize, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s", product);
}

static void SetText(HKEY key, const char *name, const char *text)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
}

void WriteUninstallEntry(const char *programDir, const char *dataDir, const char *groupName)
{
    char path[2 * MANIFEST_TEXT_SIZE];
    if (!UninstallKeyPath(path, sizeof path))
        return;
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS)
        return;
    char displayName[2 * MANIFEST_TEXT_SIZE];
    if (StrFormat(displayName, sizeof displayName, "Ardenfel %s Uninstall", installManifest.productName))
        SetText(key, "DisplayName", displayName);
    // The command is as long as its parts: sized to them, never cut.
    size_t length = ComposeUninstallString(NULL, 0, programDir, installManifest.uninstallerBase, dataDir, groupName);
    char *command = (char *)malloc(length + 1);
    if (command) {
        ComposeUninstallString(command, length + 1, programDir, installManifest.uninstallerBase, dataDir, groupName);
        SetText(key, "UninstallString", command);
        free(command);
    }
    RegCloseKey(key);
}

void DeleteUninstallEntry(void)
{
    char path[2 * MANIFEST_TEXT_SIZE];
    if (UninstallKeyPath(path, sizeof path))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

void WriteProfileRecord(const char *programDir, const char *dataDir, const char *groupName)
{
    const char *section = installManifest.productName;
    WriteProfileStringA(section, "DIR", programDir);
    WriteProfileStringA(section, "DEFDIR", dataDir);
    WriteProfileStringA(section, "GROUP", groupName);
    char options[16];
    StrFormat(options, sizeof options, "%u", 1u);
    WriteProfileStringA(section, "INSTOPTS", options);
}

void DeleteProfileRecord(void)
{
    WriteProfileStringA(installManifest.productName, NULL, NULL);
}
