// What the end-to-end scenarios look at: the prefix's files, WIN.INI, registry and Start Menu.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

// Everything a removal must put back, as comparable entries: files and directories of drives C
// and T (but logs, and the temporary directory unless withTemp; read-only, hidden and system
// files marked so), the lines of WIN.INI, and every key and value of HKLM\Software and
// HKCU\Software.
struct PrefixState {
    std::map<std::string, std::string> entries;
};
PrefixState TakePrefixState(bool withTemp = false);
// One line per entry added, removed or changed between before and after.
std::vector<std::string> PrefixDifferences(const PrefixState &before, const PrefixState &after);

std::string ProfileValue(const char *key, const char *absent = "<absent>");
bool ProfileSectionExists();
// A registry value as text: a REG_SZ as it is, a REG_DWORD in decimal; "<absent>" when missing.
std::string RegValue(HKEY root, const std::string &key, const char *name);
void RegDeleteTreeA2(HKEY root, const std::string &key);

std::string ProgramsFolder();        // the Start Menu Programs folder of the prefix's user
std::string CommonProgramsFolder();  // the all-users one
// True in a 64-bit prefix, where this 32-bit program sees the WOW64 registry view.
bool InWow64();
// A value as RegValue gives it, read from the 64-bit view of HKLM.
std::string RegValue64(const std::string &key, const char *name);
struct Link {
    bool ok = false;
    std::string target, workDir;
};
Link ReadLink(const std::string &path);
std::string TempDir();  // GetTempPathA, without the trailing backslash
void CloseFolderWindows();

}  // namespace e2e
