// Helpers of the extraction and copy tests.
#include "copytestutil.h"

#include <algorithm>

#include "payload_paths.h"
#include "resources/resource.h"
#include "shell/setup.h"
#include "workflow/copy.h"

namespace {

bool GetEnv(const char *name, std::string *value)
{
    char buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return false;
    value->assign(buf, n);
    return true;
}

std::vector<std::string> statusLines;

LRESULT CALLBACK RecordSetText(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *msg = reinterpret_cast<const CWPSTRUCT *>(lParam);
    if (code == HC_ACTION && msg->message == WM_SETTEXT && msg->lParam &&
        GetDlgCtrlID(msg->hwnd) == IDC_COPY_STATUS && GetParent(msg->hwnd) == progressDialog)
        statusLines.push_back(reinterpret_cast<const char *>(msg->lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TempDirOverride::TempDirOverride()
{
    hadTmp_ = GetEnv("TMP", &savedTmp_);
    hadTemp_ = GetEnv("TEMP", &savedTemp_);
    SetEnvironmentVariableA("TMP", scratch_.path().c_str());
    SetEnvironmentVariableA("TEMP", scratch_.path().c_str());
}

TempDirOverride::~TempDirOverride()
{
    SetEnvironmentVariableA("TMP", hadTmp_ ? savedTmp_.c_str() : nullptr);
    SetEnvironmentVariableA("TEMP", hadTemp_ ? savedTemp_.c_str() : nullptr);
}

SetupState::SetupState()
    : mode_(setupMode), savedDisk_(lastCopiedDisk), savedMain_(mainWindow)
{
    LoadInstallManifest(moduleInstance, nullptr, "");
    files_ = installManifest.files;
    count_ = installManifest.fileCount;
    owner_ = CreateWindowExA(0, "STATIC", "Tarnwell Install", WS_OVERLAPPED, 0, 0, 200, 100,
                             nullptr, nullptr, nullptr, nullptr);
    mainWindow = owner_;
}

SetupState::~SetupState()
{
    installManifest.files = files_;
    installManifest.fileCount = count_;
    for (int i = 0; i < count_; i++)
        files_[i].status = 0;
    setupMode = mode_;
    lastCopiedDisk = savedDisk_;
    mainWindow = savedMain_;
    DestroyWindow(owner_);
}

void SetupState::UseTable(FileEntry *rows, int count)
{
    for (int i = 0; i < count; i++)
        rows[i].status = 0;
    installManifest.files = rows;
    installManifest.fileCount = count;
}

std::string OriginalPayload(const std::string &name)
{
    return HostToWinPath(std::string(TW_PAYLOAD_ORIGINAL_DIR) + "/" + name);
}

std::string PackedPayload(const std::string &name)
{
    return HostToWinPath(std::string(TW_PAYLOAD_PACKED_DIR) + "/" + name);
}

std::vector<std::string> PayloadNames()
{
    return {"tarnwell.exe", "tarnwell.hlp", "tarnwell.cnt", "tarnwell.txt", "removetw.exe", "mib.txt"};
}

std::string ReadFileOrEmpty(const std::string &path)
{
    std::string s;
    ReadWholeFile(path, &s);
    return s;
}

StatusRecorder::StatusRecorder()
{
    statusLines.clear();
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, RecordSetText, nullptr, GetCurrentThreadId());
}

StatusRecorder::~StatusRecorder()
{
    UnhookWindowsHookEx(hook_);
}

std::vector<std::string> StatusRecorder::Lines() const
{
    return statusLines;
}
