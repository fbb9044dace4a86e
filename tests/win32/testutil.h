// Helpers shared by the Win32 tests: scratch directories, file contents, host paths.
#ifndef TW_TESTUTIL_H
#define TW_TESTUTIL_H

#include <windows.h>

#include <string>
#include <vector>

// A Windows path for a path of the host's file system (Wine's Z: drive).
std::string HostToWinPath(const std::string &unixPath);
// A fresh, empty directory under the temporary directory; removed with its files on exit.
class ScratchDir {
public:
    explicit ScratchDir(const char *tag);
    ~ScratchDir();
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};
// Makes dir the current directory for the scope's lifetime.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::string &dir);
    ~ScopedCurrentDir();

private:
    char saved_[MAX_PATH];
};
bool ReadWholeFile(const std::string &path, std::string *content);
bool WriteWholeFile(const std::string &path, const std::string &content);
bool FileExists(const std::string &path);
// Names in dir matching pattern, sorted, without "." and "..".
std::vector<std::string> ListFiles(const std::string &dir, const char *pattern = "*");
bool KeyExists(HKEY root, const std::string &path);
// A visible top-level window of process pid with that class (or any, when null) and that
// title (or any, when null); null when there is none.
HWND FindProcessWindow(DWORD pid, const char *className, const char *title);
void RemoveTree(const std::string &path);

#endif
