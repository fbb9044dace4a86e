// The install workflow: action, extraction, directories, copying, group and items, record.
#include "install.h"

#include <string.h>

#include "../prompts/action.h"
#include "../prompts/destination.h"
#include "../prompts/dirtree.h"
#include "../prompts/getdir.h"
#include "../prompts/source.h"
#include "../resources/resource.h"
#include "../shell/manifest.h"
#include "../shell/setup.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "../support/unattended.h"
#include "copy.h"
#include "extract.h"
#include "group.h"
#include "notused.h"
#include "../changes/journal.h"
#include "lzexpand.h"
#include "progress.h"
#include "../changes/record.h"
#include "remove.h"
#include "version.h"

#define DIR_SIZE 512

// Levels of the program and data directories that this run created, for the record.
static int programLevelsMade, dataLevelsMade;

// Logs message 10026 followed by the directory that could not be created.
static void LogCreationFailure(const char *dir, char *text, size_t cap)
{
    LoadMessage(IDS_DATA_DIR_FAILED, text, (int)cap);
    StrAppend(text, cap, "\r\n");
    StrAppend(text, cap, dir);
    WriteSetupLog(text);
}

// Ends a failed or cancelled install: what it changed so far is put back first. A silent run
// whose prompt nobody answered has failed, whatever the prompt's answer stands for.
static int Fail(int exitCode)
{
    JournalUndo();
    setupExitCode = promptUnanswered ? EXIT_SETUP_FAILED : exitCode;
    return 0;
}

static int ChooseDefaultProgramDir(HWND mainWindow, const char *caption, char *programDir)
{
    OSVERSIONINFOA vi;
    memset(&vi, 0, sizeof vi);
    vi.dwOSVersionInfoSize = sizeof vi;
    int known = GetVersionExA(&vi) != 0;
    VersionDecision d = DecideForVersion(known, vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion);
    const InstallManifest *m = &installManifest;
    const char *dir = d.programDir == PROGRAM_DIR_NT3 ? m->programDirNt3
                    : d.programDir == PROGRAM_DIR_OTHER ? m->programDirOther
                    : m->programDirModern;
    StrCopy(programDir, DIR_SIZE, dir);
    if (d.refused) {
        ReportMessage(mainWindow, caption, MB_ICONERROR, IDS_NT_TOO_OLD,
                      (unsigned)vi.dwMajorVersion, (unsigned)vi.dwMinorVersion);
        return 0;
    }
    return 1;
}

// Settles dataDir: the program directory unless the manifest asks for a data directory.
static int SettleDataDir(HWND mainWindow, const char *caption, const char *programDir, char *dataDir)
{
    const InstallManifest *m = &installManifest;
    char text[MESSAGE_TEMPLATE_SIZE];
    StrCopy(dataDir, DIR_SIZE, programDir);
    const char *given = setupCommand.dataDir;
    int ask = (m->options & OPTION_ASK_DATA_DIR) != 0;
    if (ask || given[0]) {
        const char *preset = m->dataDirPreset;
        if (ask && !StrEqualNoCase(preset, "program") && !StrEqualNoCase(preset, "none") && strlen(preset) > 2)
            StrCopy(dataDir, DIR_SIZE, preset);
        // -d replaces the default; the data directory of an installation stays where it is.
        if (given[0])
            StrCopy(dataDir, DIR_SIZE, given);
        char recorded[RECORD_VALUE_SIZE];
        if (ReadRecordValue("DEFDIR", "", recorded, sizeof recorded) && RecordValueWhole("DEFDIR")) {
            if (given[0])
                LogValueNotUsed("-d", given, "data directory", recorded);
            StrCopy(dataDir, DIR_SIZE, recorded);
        }
        if (setupMode.silent || !ask) {
            if (!JournalRoot(dataDir) || !CreateDirectoryTree(dataDir)) {
                LogCreationFailure(dataDir, text, sizeof text);
                return 0;
            }
        } else {
            LoadMessage(IDS_DATA_DIR_TITLE, promptTitle, sizeof promptTitle);
            StrCopy(browseSelector, sizeof browseSelector, "b");
            char answer[DIR_SIZE];
            while (PromptForDirectory(mainWindow, moduleInstance, "Please enter your preferred local data directory:",
                                      given[0] ? given : programDir, answer)) {
                StrCopy(dataDir, DIR_SIZE, answer);
                if (JournalRoot(dataDir) && CreateDirectoryTree(dataDir))
                    break;
                LogCreationFailure(dataDir, text, sizeof text);
                if (JournalFailed())
                    return 0;
                MessageBoxA(mainWindow, text, caption, MB_ICONERROR);
            }
        }
    }
    StripTrailingBackslash(dataDir);
    dataLevelsMade = ask || given[0] ? LevelsMade(dataDir) : 0;
    PumpMessages();
    return 1;
}

int RunInstall(HWND mainWindow)
{
    InstallManifest *m = &installManifest;
    char caption[256];
    char sourceDir[DIR_SIZE], programDir[DIR_SIZE], dataDir[DIR_SIZE], webDir[DIR_SIZE];
    char text[MESSAGE_TEMPLATE_SIZE];

    StrCopy(caption, sizeof caption, m->productTitle);
    SetWindowTextA(mainWindow, caption);

    int action = ChooseSetupAction(mainWindow, moduleInstance);
    if (action == 0)
        return Fail(EXIT_SETUP_CANCELLED);
    if (action == 2) {
        // Removal reports its own outcome; with nothing recorded there was nothing to do.
        char recorded[RECORD_VALUE_SIZE];
        int found = ReadRecordValue("DIR", "", recorded, sizeof recorded) > 0 && RecordValueWhole("DIR");
        int r = RemoveInstallation(mainWindow);
        setupExitCode = !found ? EXIT_SETUP_FAILED : removalNeedsRestart ? EXIT_SETUP_RESTART : EXIT_SETUP_OK;
        return r;
    }

    // Without LZ32 no file could be expanded: end before anything is changed.
    if (!LoadLzApi()) {
        ReportMessage(mainWindow, caption, MB_ICONERROR, IDS_LZ32_MISSING);
        setupExitCode = EXIT_SETUP_FAILED;
        return 0;
    }

    // From here every change to the machine is recorded, to be undone if the install fails.
    JournalBegin();
    int extracted = ExtractPayload(moduleInstance, mainWindow);
    // A payload file that is not what the build recorded is never installed: no prompt could
    // bring the right one, so the install ends here, before it touches the machine.
    const FileEntry *damaged = DamagedPayloadRow();
    if (damaged) {
        ReportMessage(mainWindow, caption, MB_ICONERROR, IDS_SETUP_DAMAGED, damaged->sourceName);
        return Fail(EXIT_SETUP_FAILED);
    }
    if (extracted == 0) {
        ReportMessage(mainWindow, "", MB_OK, IDS_EXTRACTION_FAILED);
        return Fail(EXIT_SETUP_FAILED);
    }

    StrCopy(sourceDir, sizeof sourceDir, ExtractionDirectory());
    PumpMessages();

    if (!ChooseDefaultProgramDir(mainWindow, caption, programDir))
        return Fail(EXIT_SETUP_FAILED);

    if (!LocateSource(moduleInstance, mainWindow, sourceDir, m->files[0].sourceName)) {
        ReportMessage(mainWindow, "Tarnwell.exe", MB_ICONERROR, IDS_NO_SOURCE);
        return Fail(EXIT_SETUP_CANCELLED);
    }

    PumpMessages();
    // -f replaces the default, in every mode (the prompt starts with it); the directory of an
    // installation stays where it is, so that an update replaces it there.
    const char *given = setupCommand.programDir;
    if (given[0])
        StrCopy(programDir, sizeof programDir, given);
    char recorded[RECORD_VALUE_SIZE];
    // A recorded directory too long to read whole is not offered cut: the default stays.
    int update = ReadRecordValue("DIR", "", recorded, sizeof recorded) && RecordValueWhole("DIR");
    if (update) {
        if (given[0])
            LogValueNotUsed("-f", given, "directory", recorded);
        StrCopy(programDir, sizeof programDir, recorded);
    }

    if (!setupMode.silent && !AskDestination(moduleInstance, mainWindow, programDir)) {
        ReportMessage(mainWindow, caption, MB_ICONERROR, IDS_NO_DESTINATION);
        return Fail(EXIT_SETUP_CANCELLED);
    }
    if (!JournalRoot(programDir) || !CreateDirectoryTree(programDir)) {
        LogCreationFailure(programDir, text, sizeof text);
        return Fail(EXIT_SETUP_FAILED);
    }
    StripTrailingBackslash(programDir);
    // The destination prompt may have made some of them already.
    programLevelsMade = LevelsMade(programDir);
    PumpMessages();

    if (!SettleDataDir(mainWindow, caption, programDir, dataDir))
        return Fail(EXIT_SETUP_FAILED);

    if (!JournalSettingsKeyBefore())
        return Fail(EXIT_SETUP_FAILED);
    WriteSettingsKey();
    PumpMessages();

    StrCopy(webDir, sizeof webDir, programDir);
    int result = CopyAllFiles(moduleInstance, mainWindow, sourceDir, programDir, dataDir, webDir);
    int cancelled = cancelRequested;
    PumpMessages();

    int groupCancelled = 0;
    if (result) {
        int made = CreateGroupAndItems(mainWindow, programDir, dataDir);
        groupCancelled = made == 0;
        result = made > 0;
    }

    PumpMessages();
    if (!result) {
        // The prior installation's record and uninstall entry were never touched: it stays
        // installed as it was once its files are back.
        JournalUndo();
        ReportMessage(mainWindow, caption, MB_ICONERROR, IDS_INSTALL_FAILED);
        return Fail(cancelled || groupCancelled ? EXIT_SETUP_CANCELLED : EXIT_SETUP_FAILED);
    }

    // The record as it was goes into the journal first: a run killed before its commit mark
    // takes its own record away again.
    if (!JournalRecordBefore()) {
        ReportMessage(mainWindow, caption, MB_ICONERROR, IDS_INSTALL_FAILED);
        return Fail(EXIT_SETUP_FAILED);
    }
    // A record that did not reach the registry or WIN.INI whole is undone with the rest: the
    // product would be installed but not known to its removal. What this run made goes with
    // it; an update that made nothing keeps what the record says.
    int entryWritten = WriteUninstallEntry(programDir, dataDir, m->groupName);
    if (!entryWritten || !WriteProfileRecord(programDir, dataDir, m->groupName) ||
        !WriteRecordNumber(RECORD_DIR_MADE, programLevelsMade ? programLevelsMade : update ? -1 : 0) ||
        !WriteRecordNumber(RECORD_DATA_MADE, dataLevelsMade ? dataLevelsMade : update ? -1 : 0) ||
        !WriteRecordNumber(RECORD_GROUP_MADE, groupMadeByRun)) {
        char where[MAX_PATH];
        char uninstallKey[2 * MANIFEST_TEXT_SIZE];
        if (entryWritten)
            ProfileFilePath(where, sizeof where);
        else
            StrFormat(where, sizeof where, "HKEY_LOCAL_MACHINE\\%s", UninstallKeyPath(uninstallKey, sizeof uninstallKey) ? uninstallKey : "");
        ComposeMessage(text, sizeof text, IDS_RECORD_WRITE_FAILED, where, (unsigned)ERROR_WRITE_FAULT);
        WriteSetupLog(text);
        ReportMessage(mainWindow, caption, MB_ICONERROR, IDS_INSTALL_FAILED);
        return Fail(EXIT_SETUP_FAILED);
    }
    int restart = JournalCommit();
    if (restart < 0) {
        ReportMessage(mainWindow, caption, MB_ICONERROR, IDS_INSTALL_FAILED);
        return Fail(EXIT_SETUP_FAILED);
    }

    char title[MESSAGE_TEMPLATE_SIZE];
    LoadMessage(IDS_INSTALL_SUCCESS, text, sizeof text);
    LoadMessage(IDS_CONGRATULATIONS, title, sizeof title);
    WriteSetupLog(text);
    if (restart) {
        // Files in use are finished only at the restart: the user has to know to make one.
        char note[MESSAGE_TEMPLATE_SIZE];
        LoadMessage(IDS_RESTART_COMPLETES_INSTALL, note, sizeof note);
        WriteSetupLog(note);
        StrAppend(text, sizeof text, "\n");
        StrAppend(text, sizeof text, note);
    }
    if (!setupMode.silent)
        MessageBoxA(mainWindow, text, title, MB_OK);
    setupExitCode = restart ? EXIT_SETUP_RESTART : EXIT_SETUP_OK;
    return 1;
}
