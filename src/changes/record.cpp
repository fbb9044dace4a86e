// Reading and writing the installation record; none of it logs or reports.
#include "record.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "../progman/commands.h"
#include "../shell/manifest.h"
#include "../support/strbuf.h"
#include "profilecheck.h"

size_t ReadRecordValue(const char *key, const char *defaultValue, char *out, size_t outSize)
{
    char value[RECORD_VALUE_SIZE];
    GetProfileStringA(installManifest.productName, key, defaultValue ? defaultValue : "", value, sizeof value);
    StrCopy(out, outSize, value);
    return StrLength(out, outSize);
}

int RecordValueWhole(const char *key)
{
    char probe[4 * RECORD_VALUE_SIZE];
    DWORD n = GetProfileStringA(installManifest.productName, key, "", probe, sizeof probe);
    return n < RECORD_VALUE_SIZE;
}

void WriteSettingsKey(void)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, SETTINGS_KEY_PATH, &key) != ERROR_SUCCESS)
        return;
    DWORD zero = 0;
    RegSetValueExA(key, SETTINGS_APPLETS, 0, REG_DWORD, (const BYTE *)&zero, sizeof zero);
    // An existing RawSock of 2 to 4 bytes is kept: the test is on the size alone.
    DWORD rawSock = 0;
    DWORD type = 0;
    DWORD size = sizeof rawSock;
    LONG status = RegQueryValueExA(key, SETTINGS_RAWSOCK, NULL, &type, (BYTE *)&rawSock, &size);
    if (status != ERROR_SUCCESS || size < 2) {
        rawSock = 0;
        RegSetValueExA(key, SETTINGS_RAWSOCK, 0, REG_DWORD, (const BYTE *)&rawSock, sizeof rawSock);
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

// 0 once a value of the uninstall entry could not be written.
static int entryWritten;

static void SetText(HKEY key, const char *name, const char *text)
{
    if (RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1) != ERROR_SUCCESS)
        entryWritten = 0;
}

static void SetNumber(HKEY key, const char *name, DWORD value)
{
    if (RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value) != ERROR_SUCCESS)
        entryWritten = 0;
}

// The uninstall command, sized to its parts and never cut; false when it cannot be made.
static int SetUninstallCommand(HKEY key, const char *name, const char *switches, const char *programDir,
                               const char *dataDir, const char *groupName)
{
    const char *base = installManifest.uninstallerBase;
    size_t length = ComposeUninstallString(NULL, 0, programDir, base, switches, dataDir, groupName);
    char *command = (char *)malloc(length + 1);
    if (!command) {
        entryWritten = 0;
        return 0;
    }
    ComposeUninstallString(command, length + 1, programDir, base, switches, dataDir, groupName);
    SetText(key, name, command);
    free(command);
    return 1;
}

// Kilobytes of the product's files as installed, for the list of installed programs.
static DWORD InstalledKilobytes(const char *programDir, const char *dataDir)
{
    unsigned long long total = 0;
    for (int i = 0; i < installManifest.fileCount; i++) {
        const FileEntry *e = &installManifest.files[i];
        char path[2 * MANIFEST_TEXT_SIZE + 2];
        const char *dir = e->targetDirKind == TARGET_DATA_DIR ? dataDir : programDir;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (JoinPath(path, sizeof path, dir, e->targetName) &&
            GetFileAttributesExA(path, GetFileExInfoStandard, &data))
            total += ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
    }
    return (DWORD)((total + 1023) / 1024);
}

int WriteUninstallEntry(const char *programDir, const char *dataDir, const char *groupName)
{
    char path[2 * MANIFEST_TEXT_SIZE];
    if (!UninstallKeyPath(path, sizeof path))
        return 0;
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS)
        return 0;
    entryWritten = 1;
    char text[2 * MANIFEST_TEXT_SIZE + 2];
    if (StrFormat(text, sizeof text, "Ardenfel %s Uninstall", installManifest.productName))
        SetText(key, "DisplayName", text);
    SetUninstallCommand(key, "UninstallString", NULL, programDir, dataDir, groupName);
    // What the list of installed programs shows and how it removes the product unattended.
    SetUninstallCommand(key, "QuietUninstallString", "-s", programDir, dataDir, groupName);
    SetText(key, "DisplayVersion", PRODUCT_VERSION);
    SetText(key, "Publisher", "Ardenfel");
    SetText(key, "InstallLocation", programDir);
    if (JoinPath(text, sizeof text, programDir, installManifest.files[0].targetName))
        SetText(key, "DisplayIcon", text);
    SetNumber(key, "EstimatedSize", InstalledKilobytes(programDir, dataDir));
    SetNumber(key, "NoModify", 1);
    SetNumber(key, "NoRepair", 1);
    // The day of the install, local time, as the list of installed programs shows it.
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (StrFormat(text, sizeof text, "%04u%02u%02u", (unsigned)now.wYear, (unsigned)now.wMonth, (unsigned)now.wDay))
        SetText(key, "InstallDate", text);
    RegCloseKey(key);
    return entryWritten;
}

void DeleteUninstallEntry(void)
{
    char path[2 * MANIFEST_TEXT_SIZE];
    if (UninstallKeyPath(path, sizeof path))
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

// A WIN.INI larger than this is not read back to be checked.
#define PROFILE_CHECK_MAX (1u << 20)

// WIN.INI's bytes into a new buffer (*size of them); null when it cannot be read whole.
static char *ReadProfileFile(DWORD *size)
{
    char path[MAX_PATH];
    if (!ProfileFilePath(path, sizeof path))
        return NULL;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD length = file != INVALID_HANDLE_VALUE ? GetFileSize(file, NULL) : 0;
    char *text = file != INVALID_HANDLE_VALUE && length <= PROFILE_CHECK_MAX ? (char *)malloc(length + 1) : NULL;
    if (text && (!ReadFile(file, text, length, size, NULL) || *size != length)) {
        free(text);
        text = NULL;
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return text;
}

int ProfileFilePath(char *out, size_t cap)
{
    UINT n = GetWindowsDirectoryA(out, (UINT)cap);
    return n > 0 && n < cap && EnsureTrailingBackslash(out, cap) && StrAppend(out, cap, "win.ini");
}

// Writes count keys of the product's section, or with none deletes the section. The profile
// functions rewrite the whole file and may not say when a write of it failed: the file is read
// back and compared with what it held. 0 when it is not as it must be.
static int RewriteProfile(const char *const *keys, const char *const *values, int count)
{
    const char *section = installManifest.productName;
    DWORD beforeSize = 0, afterSize = 0;
    char *before = ReadProfileFile(&beforeSize);
    int written = count ? 1 : WriteProfileStringA(section, NULL, NULL) != 0;
    for (int i = 0; i < count; i++)
        written = WriteProfileStringA(section, keys[i], values[i]) && written;
    WriteProfileStringA(NULL, NULL, NULL);  // what a cache holds goes to the file now
    char *after = before ? ReadProfileFile(&afterSize) : NULL;
    if (before && (!after || !ProfileRewriteIntact(before, beforeSize, after, afterSize, section, keys, values, count)))
        written = 0;
    free(before);
    free(after);
    return written;
}

int WriteProfileRecord(const char *programDir, const char *dataDir, const char *groupName)
{
    char options[16];
    StrFormat(options, sizeof options, "%u", 1u);
    const char *const keys[] = {"DIR", "DEFDIR", "GROUP", "INSTOPTS"};
    const char *const values[] = {programDir, dataDir, groupName, options};
    return RewriteProfile(keys, values, 4);
}

int WriteRecordNumber(const char *key, int value)
{
    char text[16];
    if (value < 0)
        return 1;
    if (value > 99 || !StrFormat(text, sizeof text, "%d", value))
        return 0;
    const char *const keys[] = {key};
    const char *const values[] = {text};
    return RewriteProfile(keys, values, 1);
}

int ReadRecordNumber(const char *key)
{
    char text[16];
    GetProfileStringA(installManifest.productName, key, "", text, sizeof text);
    int value = 0;
    for (const char *p = text; *p; p++) {
        if (*p < '0' || *p > '9' || value > 9)
            return -1;
        value = value * 10 + (*p - '0');
    }
    return text[0] ? value : -1;
}

int DeleteProfileRecord(void)
{
    return RewriteProfile(NULL, NULL, 0);
}
