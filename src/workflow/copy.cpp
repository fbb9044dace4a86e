// The copy engine: expansion through LZ32 into a working file, prompts, and the copy loop.
#include "copy.h"

#include <lzexpand.h>

#include "../resources/resource.h"
#include "../shell/setup.h"
#include "../support/crc32.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "../support/unattended.h"
#include "../changes/copypaths.h"
#include "../changes/filechange.h"
#include "../changes/journal.h"
#include "lzexpand.h"
#include "progress.h"

int32_t lastCopiedDisk;

// The error of the last attempt's failing step, kept for the copy-failure message: the
// prompts and the message pumping after the failure leave other values in the last error.
static DWORD expandError;
// The result of the row's last attempt.
static int lastExpandCode;

static int ExpandFailed(int code, DWORD error)
{
    expandError = error ? error : ERROR_GEN_FAILURE;
    return code;
}

// An existing target must be a file; a missing one is made later. A read-only one has its
// attributes cleared when it is replaced. One that another program holds is found out when it
// is renamed, after the expansion, so that its new content can wait for a restart.
static int TargetWritable(const char *targetPath)
{
    DWORD attrs = GetFileAttributesA(targetPath);
    return attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

static HANDLE OpenSource(const char *path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

// The length the expansion must come to: the SZDD header's, or a plain file's own size.
// The file is left at its start. 0 when the file is SZDD of a mode LZ32 cannot expand.
static int ExpectedLength(HANDLE source, DWORD *length)
{
    unsigned char head[SZDD_HEADER_SIZE];
    DWORD got = 0;
    if (!ReadFile(source, head, sizeof head, &got, NULL))
        got = 0;
    SetFilePointer(source, 0, NULL, FILE_BEGIN);
    uint32_t stated = 0;
    int kind = ReadSzddHeader(head, got, &stated);
    if (kind < 0)
        return 0;
    *length = kind ? stated : GetFileSize(source, NULL);
    return 1;
}

// Asks before an existing ".ini" target is replaced; 1 when it may be.
static int MayOverwrite(const char *targetPath)
{
    if (!IsIniGuarded(targetPath) || GetFileAttributesA(targetPath) == INVALID_FILE_ATTRIBUTES)
        return 1;
    if (setupMode.silent)
        return 0;
    char text[MESSAGE_TEMPLATE_SIZE];
    char caption[MANIFEST_TEXT_SIZE];
    ComposeMessage(text, sizeof text, IDS_OVERWRITE_PROMPT, targetPath);
    LoadMessage(IDS_OVERWRITE_CAPTION, caption, sizeof caption);
    return MessageBoxA(mainWindow, text, caption, MB_YESNO | MB_ICONQUESTION) != IDNO;
}

// LZCopy writes in blocks of about 1 KB, a system call each: the expansion is read with LZRead
// into this buffer and written in blocks of its size (uninitialised data, no bytes in the file).
#define EXPAND_BLOCK (256 * 1024)
static unsigned char expandBuffer[EXPAND_BLOCK];

// Expands lz into target, at most limit bytes; the CRC of the bytes written goes to crc, taken
// as they are written so that the file need not be read back. The length written when LZ32
// has no more (a read error ends it early too: the length then tells); LZERROR_WRITE when a
// write failed (its error kept), LZERROR_READ when the expansion runs past limit.
static LONG ExpandInto(HFILE lz, HANDLE target, DWORD limit, uint32_t *crc)
{
    DWORD total = 0;
    *crc = 0;
    for (;;) {
        INT got = lzApi.read(lz, (LPSTR)expandBuffer, EXPAND_BLOCK);
        if (got <= 0)
            return (LONG)total;
        if ((DWORD)got > limit - total)
            return LZERROR_READ;
        DWORD written = 0;
        if (!WriteFile(target, expandBuffer, (DWORD)got, &written, NULL) || written != (DWORD)got)
            return LZERROR_WRITE;
        *crc = Crc32(*crc, expandBuffer, (size_t)got);
        total += (DWORD)got;
    }
}

// Puts the complete working file in place of the target. A target in use brings the Retry
// prompt; in silent mode nobody can answer it, so the new file waits for the next restart.
static int PlaceExpandedFile(const char *tempPath, const char *targetPath)
{
    int placed = ReplaceTarget(tempPath, targetPath);
    if (placed == REPLACE_DONE)
        return EXPAND_DONE;
    if (placed == REPLACE_IN_USE && setupMode.silent && JournalReplacementPending(targetPath, tempPath))
        return EXPAND_DONE;
    DWORD error = GetLastError();
    DeleteFileA(tempPath);
    return ExpandFailed(EXPAND_NO_TARGET, error);
}

// The files are opened with CreateFileA, not LZOpenFileA: that one fails on paths of 128
// characters or more and, when it cannot create a target, quietly writes the compressed name
// instead. The expansion goes to a working file beside the target, which replaces the target
// only when it came out complete, so a failure never leaves a truncated product file.
int ExpandFile(const char *sourcePath, const char *targetPath, const FileEntry *record)
{
    if (StrEqualNoCase(sourcePath, targetPath))
        return EXPAND_DONE;
    char compressedPath[COPY_PATH_SIZE];
    if (!ComposeCompressedPath(compressedPath, sizeof compressedPath, sourcePath))
        return ExpandFailed(EXPAND_NO_SOURCE, ERROR_FILENAME_EXCED_RANGE);
    if (!MayOverwrite(targetPath))
        return EXPAND_DONE;
    if (!LoadLzApi())
        return ExpandFailed(EXPAND_FAILED, GetLastError());

    HANDLE source = OpenSource(compressedPath);
    if (source == INVALID_HANDLE_VALUE)
        source = OpenSource(sourcePath);
    if (source == INVALID_HANDLE_VALUE)
        return ExpandFailed(EXPAND_NO_SOURCE, GetLastError());
    DWORD expected = 0;
    if (!ExpectedLength(source, &expected)) {
        CloseHandle(source);
        return ExpandFailed(EXPAND_FAILED, ERROR_BAD_FORMAT);
    }
    // LZ32 works on HFILE numbers; a 32-bit handle value is one.
    HFILE lz = lzApi.init((HFILE)(INT_PTR)source);
    if (lz < 0) {
        CloseHandle(source);
        return ExpandFailed(EXPAND_FAILED, ERROR_INVALID_DATA);
    }

    char tempPath[MAX_PATH];
    HANDLE target = INVALID_HANDLE_VALUE;
    SetLastError(ERROR_ACCESS_DENIED);  // a directory of the target's name
    if (TargetWritable(targetPath))
        target = CreateFileBeside(targetPath, tempPath, sizeof tempPath);
    if (target == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        lzApi.close(lz);
        return ExpandFailed(EXPAND_NO_TARGET, error);
    }
    SetLastError(0);
    uint32_t crc = 0;
    LONG n = ExpandInto(lz, target, expected, &crc);
    DWORD error = GetLastError();
    // The product file carries its source's time stamp, as LZCopy gives it; not after a
    // failed write, whose error stays for the report.
    FILETIME stamp;
    if (n > 0 && GetFileTime(source, NULL, NULL, &stamp))
        SetFileTime(target, NULL, NULL, &stamp);
    lzApi.close(lz);
    BOOL closed = CloseHandle(target);
    if (closed && n > 0)
        error = 0;
    else if (!closed)
        error = GetLastError();
    else if (n == LZERROR_WRITE && !error)
        error = ERROR_DISK_FULL;  // a write cut short without an error: the volume has no room left
    // LZ32 decodes to the end of the input, whatever the header says: a short or overlong
    // result is a damaged source. A write that failed (a full disk) is the target's fault:
    // no other disk would help.
    if (n <= 0 || (DWORD)n != expected || !closed) {
        DeleteFileA(tempPath);
        int targetFault = n == LZERROR_WRITE || !closed;
        return ExpandFailed(targetFault ? EXPAND_NO_TARGET : EXPAND_FAILED, error ? error : ERROR_INVALID_DATA);
    }
    // A source that expands whole but to other bytes than the build recorded (a wrong or
    // damaged disk, a fault on the way) never replaces the target either.
    if (record && record->checked > 0 && ((DWORD)n != record->expandedLength || crc != record->expandedCrc)) {
        DeleteFileA(tempPath);
        return ExpandFailed(EXPAND_FAILED, ERROR_CRC);
    }
    return PlaceExpandedFile(tempPath, targetPath);
}

int CopyOneFile(FileEntry *entry, const char *sourceDir, const char *targetDir, HWND owner,
                HWND statusControl)
{
    char sourcePath[COPY_PATH_SIZE];
    char targetPath[COPY_PATH_SIZE];
    int composed = ComposeTargetPath(targetPath, sizeof targetPath, targetDir, entry->targetName) &&
                   ComposeSourcePath(sourcePath, sizeof sourcePath, sourceDir, entry->sourceName);

    // A path too long for its buffer is refused as a copy the user could not complete.
    if (composed) {
        char line[MESSAGE_TEMPLATE_SIZE];
        ComposeMessage(line, sizeof line, IDS_COPYING, sourcePath, targetPath);
        WriteSetupLog(line);
        if (statusControl)
            SetWindowTextA(statusControl, line);
        PumpMessages();

        char diskCaption[MANIFEST_TEXT_SIZE];
        LoadMessage(IDS_CHANGE_DISK, diskCaption, sizeof diskCaption);
        for (;;) {
            int code = lastExpandCode = ExpandFile(sourcePath, targetPath, entry);
            if (code == EXPAND_DONE) {
                lastCopiedDisk = entry->diskNumber;
                entry->status |= FILE_COPIED;
                return 0;
            }
            // The disk prompt is shown in silent mode too: without the file nothing can go on;
            // nobody answering it within the time limit is a Cancel.
            // A target that cannot be written (a directory that turned read-only) nobody at an
            // unattended run can free: the row is given up at once instead of waiting for ever.
            char prompt[MESSAGE_TEMPLATE_SIZE];
            int answer;
            if (code == EXPAND_NO_TARGET) {
                if (setupMode.silent)
                    break;
                ComposeMessage(prompt, sizeof prompt, IDS_TARGET_OPEN_FAILED, entry->targetName);
                answer = PromptBox(owner, prompt, NULL, MB_RETRYCANCEL);
            } else {
                ComposeMessage(prompt, sizeof prompt, IDS_INSERT_DISK, (unsigned)entry->diskNumber,
                               entry->sourceName);
                UINT buttons = entry->diskNumber != lastCopiedDisk ? MB_OKCANCEL : MB_RETRYCANCEL;
                answer = PromptBox(owner, prompt, diskCaption, buttons);
            }
            if (answer != IDRETRY && answer != IDOK)
                break;
        }
    }

    PumpMessages();
    // An optional row may be left out when its source is missing, or when the user says so; a
    // target that an unattended run could not write (a full or failing disk) is no choice of
    // anybody's, and the product would be reported installed without it.
    int targetFailed = composed && setupMode.silent && lastExpandCode == EXPAND_NO_TARGET;
    if (!entry->required && !targetFailed)
        return 0;
    DWORD error = composed ? expandError : ERROR_FILENAME_EXCED_RANGE;
    char text[MESSAGE_TEMPLATE_SIZE];  // room for a long directory and the error code
    char caption[MANIFEST_TEXT_SIZE];
    ComposeMessage(text, sizeof text, IDS_COPY_FAILED, entry->sourceName, targetDir,
                   (unsigned)error);
    LoadMessage(IDS_INSTALL_CAPTION, caption, sizeof caption);
    ReportText(owner, caption, MB_ICONERROR, text);
    return 1;
}

int CopyAllFiles(HINSTANCE instance, HWND owner, const char *sourceDir, const char *programDir,
                 const char *dataDir, const char *webDir)
{
    int result = 0;
    cancelRequested = 0;
    HWND statusControl = OpenProgressDialog(instance, owner);

    char line[64];
    StrFormat(line, sizeof line, "installing %u files\n", (unsigned)installManifest.fileCount);
    WriteSetupLog(line);
    DeleteStaleWorkingFiles(programDir);
    if (dataDir && !StrEqualNoCase(dataDir, programDir))
        DeleteStaleWorkingFiles(dataDir);
    if (webDir && !StrEqualNoCase(webDir, programDir))
        DeleteStaleWorkingFiles(webDir);

    for (int i = 0; !cancelRequested && i < installManifest.fileCount; i++) {
        FileEntry *row = &installManifest.files[i];
        const char *targetDir = SelectTargetDir(row->targetDirKind, programDir, dataDir, webDir);
        if (CopyOneFile(row, sourceDir, targetDir, owner, statusControl)) {
            result = 0;
            break;
        }
        result = 1;
    }

    if (cancelRequested) {
        // A user who pressed Cancel has not got the product installed.
        result = 0;
    } else if (statusControl) {
        char text[512];
        LoadMessage(IDS_CREATING_ICONS, text, sizeof text);
        SetWindowTextA(statusControl, text);
    }
    CloseProgressDialog(owner);
    return result;
}
