// The installation record: the product's WIN.INI section, settings key and uninstall entry.
#ifndef TW_RECORD_H
#define TW_RECORD_H

#include <stddef.h>

#define RECORD_VALUE_SIZE 256

// The product's key trees (under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE) and its settings key.
#define VENDOR_KEY_PATH "Software\\Ardenfel"
#define PRODUCT_KEY_PATH VENDOR_KEY_PATH "\\Tarnwell"
#define SETTINGS_KEY_PATH PRODUCT_KEY_PATH "\\Settings"
// The values the install writes there.
#define SETTINGS_APPLETS "Applets"
#define SETTINGS_RAWSOCK "RawSock"

// Reads key of the product's WIN.INI section through a 256-character buffer (a longer value
// comes back cut to 255) into out; the default is copied when the key is absent. Returns the
// length of what it yields: 0, not found, also for a key present with an empty value.
size_t ReadRecordValue(const char *key, const char *defaultValue, char *out, size_t outSize);

// 0 when key's stored value is too long for ReadRecordValue to yield whole; 1 otherwise, also
// when the key is absent. A directory read back cut names another directory and is not used.
int RecordValueWhole(const char *key);

// HKLM settings key: Applets set to DWORD 0; RawSock created as DWORD 0 unless a value of 2 to
// 4 bytes is there already, which is kept whatever its type and content.
void WriteSettingsKey(void);

// The uninstall entry of the product under HKLM: DisplayName, the uninstall commands and what
// the list of installed programs shows (version, publisher, location, icon, size, InstallDate).
// 0 when a value could not be written.
int WriteUninstallEntry(const char *programDir, const char *dataDir, const char *groupName);

// Deletes the uninstall entry (a key of values only); nothing happens when it has subkeys.
void DeleteUninstallEntry(void);

// The uninstall entry's key path for the current productName; 0 when it cannot be composed
// (an empty product name or one holding a backslash would name another key).
int UninstallKeyPath(char *out, size_t outSize);

// What the install made, beside DIR, DEFDIR and GROUP, for the removal to take away again: how
// many levels of DIR and of DEFDIR it created (DIR itself, its parent ...), and 1 when it
// created the group, 0 when the group was there. A record without them is one of an older
// version, which removes as that one did.
#define RECORD_DIR_MADE "DIRMADE"
#define RECORD_DATA_MADE "DEFDIRMADE"
#define RECORD_GROUP_MADE "GROUPMADE"
// Writes value (0 to 99) to key of the section, checked as WriteProfileRecord's; a negative
// value leaves the key as it is. 0 when the write failed.
int WriteRecordNumber(const char *key, int value);
// The number under key of the section (0 to 99); -1 when there is none.
int ReadRecordNumber(const char *key);

// DIR, DEFDIR, GROUP and INSTOPTS of the product's WIN.INI section, in that order. 0 when a
// write failed, or WIN.INI read back is not the file it was with the section written.
int WriteProfileRecord(const char *programDir, const char *dataDir, const char *groupName);
// WIN.INI's path in the Windows directory; 0 when it does not fit.
int ProfileFilePath(char *out, size_t cap);

// Deletes the product's WIN.INI section with all its keys; 0 when WIN.INI read back is not the
// file it was without the section.
int DeleteProfileRecord(void);

#endif
