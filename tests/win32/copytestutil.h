// Helpers of the extraction and copy tests: a private temporary directory, the manifest, an
// owner window, the payload files of the build and a recorder of the progress line.
#ifndef TW_COPYTESTUTIL_H
#define TW_COPYTESTUTIL_H

#include <windows.h>

#include <string>
#include <vector>

#include "shell/manifest.h"
#include "shell/switches.h"
#include "testutil.h"

// Points TMP and TEMP, and so GetTempPathA, at a scratch directory of its own, so that tests
// running side by side never share the payload's file names.
class TempDirOverride {
public:
    TempDirOverride();
    ~TempDirOverride();
    const std::string &dir() const { return scratch_.path(); }  // without trailing backslash
    std::string withSlash() const { return scratch_.path() + "\\"; }

private:
    ScratchDir scratch_{"tmp"};
    std::string savedTmp_, savedTemp_;
    bool hadTmp_ = false, hadTemp_ = false;
};

// Fills the manifest, saves setupMode, lastCopiedDisk and mainWindow, and puts them back.
// UseTable replaces the FileTable for the scope; every status starts at 0.
class SetupState {
public:
    SetupState();
    ~SetupState();
    void UseTable(FileEntry *rows, int count);
    HWND owner() const { return owner_; }

private:
    SetupModeFlags mode_;
    int savedDisk_;
    HWND savedMain_;
    HWND owner_;
    FileEntry *files_;
    int count_;
};

// The payload files this build made: as installed, and packed in SZDD form.
std::string OriginalPayload(const std::string &name);
std::string PackedPayload(const std::string &name);
// The six FileTable names, in order.
std::vector<std::string> PayloadNames();

std::string ReadFileOrEmpty(const std::string &path);

// Records the texts given to the progress line (control 954 of DLG_COPY) on this thread.
class StatusRecorder {
public:
    StatusRecorder();
    ~StatusRecorder();
    std::vector<std::string> Lines() const;

private:
    HHOOK hook_;
};

#endif
