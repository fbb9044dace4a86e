// The Tarnwell uninstaller: removes the installation its command line (or WIN.INI) names, with
// the setup's own removal, from a copy of itself so that its own directory can go too.
#include <windows.h>
#include <string.h>

#include "resources/resource.h"
#include "shell/manifest.h"
#include "shell/setup.h"
#include "support/logpath.h"
#include "support/messages.h"
#include "support/strbuf.h"
#include "support/syslib.h"
#include "support/widepath.h"
#include "changes/filechange.h"
#include "changes/record.h"
#include "changes/workdir.h"
#include "workflow/remove.h"
#include "removetw_res.h"
#include "uninstargs.h"

#define COMMAND_SIZE 2048

// Starts a copy of this program from a private working directory (see CreateWorkingDirectory),
// which waits for this process to end and then does the work. The copy is deleted when it
// ends, through a handle opened with FILE_FLAG_DELETE_ON_CLOSE that it inherits. Once it runs,
// nobody can change what it runs: the file is moved out beside the directory, so that the
// directory goes at once. What cannot be deleted so goes at the next restart. Returns 0 when
// no copy could be started.
static int StartRelocatedCopy(const char *tail, const char *programDir)
{
    char self[MAX_PATH], dir[MAX_PATH], copy[MAX_PATH], temp[MAX_PATH], cwd[MAX_PATH];
    if (!UsableModulePath(self, sizeof self) || !TempDirectory(temp, sizeof temp))
        return 0;
    if (!CreateWorkingDirectory(dir, sizeof dir))
        return 0;
    // A new file: the copy fails rather than open anything that is there.
    if (!StrFormat(copy, sizeof copy, "%sremovetw.exe", dir) || !CopyFileA(self, copy, TRUE)) {
        RemoveWorkingDirectory(dir);
        return 0;
    }

    // Filled in here: an initialised copy would cost the program a data section of its own.
    SECURITY_ATTRIBUTES inherit;
    inherit.nLength = sizeof inherit;
    inherit.lpSecurityDescriptor = NULL;
    inherit.bInheritHandle = TRUE;
    HANDLE deleteOnClose = CreateFileA(copy, DELETE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit,
                                       OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, NULL);
    if (deleteOnClose == INVALID_HANDLE_VALUE)
        MoveFileExA(copy, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    HANDLE original = NULL;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &original, SYNCHRONIZE, TRUE, 0);

    // The copy must not hold the program directory, nor its own, as its current directory.
    const char *childDir = NULL;
    if (!UsableCurrentDirectory(cwd, sizeof cwd) || (programDir[0] && PathIsWithin(cwd, programDir)))
        childDir = temp;

    char command[COMMAND_SIZE];
    int started = 0;
    if (original && ComposeRelocatedCommand(command, sizeof command, copy, (unsigned long)(ULONG_PTR)original, tail)) {
        STARTUPINFOA si;
        memset(&si, 0, sizeof si);
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        started = CreateProcessA(copy, command, NULL, NULL, TRUE, 0, NULL, childDir, &si, &pi);
        if (started) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    if (original)
        CloseHandle(original);
    int moved = started && deleteOnClose != INVALID_HANDLE_VALUE && MoveOutOfWorkingDirectory(deleteOnClose, dir);
    if (deleteOnClose != INVALID_HANDLE_VALUE)
        CloseHandle(deleteOnClose);
    else if (!started)
        DeleteFileA(copy);
    if (!started)
        RemoveWorkingDirectory(dir);
    else if (!moved)
        MoveFileExA(dir, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);  // empty once the copy is gone
    return started;
}

static int Uninstall(const CommandLine *args)
{
    char dir[COMMAND_DIR_SIZE];
    if (args->programDir[0])
        StrCopy(dir, sizeof dir, args->programDir);
    else if (!ReadRecordValue("DIR", "", dir, sizeof dir) || !RecordValueWhole("DIR"))
        dir[0] = '\0';     // a recorded directory read back cut names another one

    if (dir[0] && !setupMode.silent) {
        char caption[MESSAGE_TEMPLATE_SIZE], text[MESSAGE_TEMPLATE_SIZE];
        LoadMessage(IDS_REMOVE_CAPTION, caption, sizeof caption);
        ComposeMessage(text, sizeof text, IDS_UNINSTALL_CONFIRM, installManifest.productName, dir);
        if (MessageBoxA(NULL, text, caption, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return EXIT_SETUP_CANCELLED;
    }
    if (!dir[0]) {
        RemoveInstallation(NULL);   // reports that nothing is recorded
        return EXIT_SETUP_FAILED;
    }
    // The installation the command line names; without -g, the recorded group.
    char group[RECORD_VALUE_SIZE];
    if (args->groupName[0])
        StrCopy(group, sizeof group, args->groupName);
    else
        ReadRecordValue("GROUP", installManifest.groupName, group, sizeof group);
    RemoveInstallationAt(NULL, dir, group);
    return removalNeedsRestart ? EXIT_SETUP_RESTART : EXIT_SETUP_OK;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand)
{
    (void)previous;
    (void)showCommand;
    moduleInstance = instance;
    LoadCommonControls();
    const char *tail = commandLine ? commandLine : "";
    CommandLine args;
    int parsed = ParseCommandLine(tail, &args);
    setupMode.removeMode = 1;
    setupMode.silent = args.silent;
    setupMode.logging = args.logging;
    if (parsed && args.logFile[0] && !UseLogFile(args.logFile))
        parsed = 0;
    if (!LoadInstallManifest(instance, NULL, ""))
        return EXIT_SETUP_FAILED;
    // The record holds at most RECORD_VALUE_SIZE - 1 characters: a longer directory would be
    // read back cut, and the removal would work on another directory.
    if (parsed && strlen(args.programDir) >= RECORD_VALUE_SIZE)
        parsed = 0;
    if (!parsed) {
        char text[MESSAGE_TEMPLATE_SIZE];
        LoadMessage(IDS_UNINSTALL_BAD_COMMAND, text, sizeof text);
        ReportText(NULL, installManifest.productTitle, MB_ICONERROR, text);
        return EXIT_SETUP_FAILED;
    }

    if (args.relocated) {
        HANDLE original = (HANDLE)(ULONG_PTR)args.originalProcess;
        WaitForSingleObject(original, 30000);
        CloseHandle(original);
    }
    // One run at a time; a killed install is undone before anything is removed.
    if (!BeginRun())
        return EXIT_SETUP_BUSY;
    if (!args.relocated) {
        char dir[COMMAND_DIR_SIZE];
        if (args.programDir[0])
            StrCopy(dir, sizeof dir, args.programDir);
        else
            ReadRecordValue("DIR", "", dir, sizeof dir);
        // The copy waits for this process to end before it takes the lock.
        if (StartRelocatedCopy(tail, dir)) {
            EndRun();
            return EXIT_SETUP_OK;
        }
        // No copy: remove in place; this program and its directory then stay behind.
    }
    int result = Uninstall(&args);
    EndRun();
    return result;
}
