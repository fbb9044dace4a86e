// Payload extraction to the run's private working directory, and its cleanup.
#include "extract.h"

#include "../resources/resource.h"
#include "../shell/manifest.h"
#include "../shell/setup.h"
#include "../support/crc32.h"
#include "../support/messages.h"
#include "../support/strbuf.h"
#include "copy.h"
#include "../changes/filechange.h"
#include "../changes/copypaths.h"
#include "../changes/integrity.h"
#include "../changes/journal.h"
#include "../changes/payloadtable.h"
#include "../changes/workdir.h"
#include "progress.h"

// The resource is written to a working file beside its name and renamed only when every
// byte is there: the copy engine must never find a partly written payload file. Bytes that
// differ from the build's record are not written at all.
int ExtractResourceFile(HINSTANCE instance, HWND statusControl, const char *resourceName,
                        const char *directory, const char *fileName, const PayloadCheck *check)
{
    char text[MESSAGE_TEMPLATE_SIZE];
    HRSRC resource = FindResourceA(instance, resourceName, RT_PAYLOAD);
    if (!resource) {
        ComposeMessage(text, sizeof text, IDS_RESOURCE_FIND_FAILED, resourceName);
        WriteSetupLog(text);
        return 0;
    }
    DWORD size = SizeofResource(instance, resource);
    HGLOBAL block = LoadResource(instance, resource);
    const void *bytes = block ? LockResource(block) : NULL;
    if (!bytes) {
        ComposeMessage(text, sizeof text, IDS_RESOURCE_LOAD_FAILED, resourceName);
        WriteSetupLog(text);
        return 0;
    }
    if (!StoredBytesMatch(check, bytes, size)) {
        if (check)
            StrFormat(text, sizeof text,
                      "resource %s: %u bytes of CRC-32 %08X, recorded %u bytes of CRC-32 %08X",
                      resourceName, (unsigned)size, (unsigned)Crc32(0, bytes, size),
                      (unsigned)check->storedLength, (unsigned)check->storedCrc);
        else
            StrFormat(text, sizeof text, "resource %s: no record to check it against", resourceName);
        WriteSetupLog(text);
        FreeResource(block);
        return EXTRACT_DAMAGED;
    }

    char path[COPY_PATH_SIZE];
    int composed = ComposeSourcePath(path, sizeof path, directory, fileName);
    char shown[MESSAGE_TEMPLATE_SIZE];  // the path as the log names it, even when too long
    StrCopy(shown, sizeof shown, directory);
    StrAppend(shown, sizeof shown, fileName);

    ComposeMessage(text, sizeof text, IDS_EXTRACTING, shown, (unsigned)size);
    WriteSetupLog(text);
    if (statusControl) {
        SetWindowTextA(statusControl, text);
        RefreshProgressDialog();
    }

    int result = EXTRACT_FAILED;
    char tempPath[MAX_PATH];
    HANDLE file = composed ? CreateFileBeside(path, tempPath, sizeof tempPath)
                           : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        ComposeMessage(text, sizeof text, IDS_EXTRACT_CREATE_ERROR, shown);
        WriteSetupLog(text);
    } else {
        DWORD written = 0;
        BOOL wrote = WriteFile(file, bytes, size, &written, NULL);
        BOOL closed = CloseHandle(file);
        if (wrote && closed && written == size) {
            // Recorded, so that a run killed before it deletes its extracted files again
            // has them deleted at the next start.
            // Nothing else can be at that name in a directory this run made: no replacing.
            int recorded = JournalFileCreated(path);
            if (recorded && MoveFileA(tempPath, path)) {
                result = EXTRACT_DONE;
            } else {
                if (recorded)
                    JournalNotMade();
                ComposeMessage(text, sizeof text, IDS_EXTRACT_CREATE_ERROR, shown);
                WriteSetupLog(text);
                DeleteFileA(tempPath);
            }
        } else {
            ComposeMessage(text, sizeof text, IDS_EXTRACT_WRITE_ERROR, shown, (unsigned)written,
                           (unsigned)size);
            WriteSetupLog(text);
            DeleteFileA(tempPath);
            // An older file of that name would be installed as if this run had written it.
            DeleteFileA(path);
            result = EXTRACT_WRITE_FAILED;
        }
    }
    FreeResource(block);
    return result;
}

// The build's record for the row, into check and the row; 0 (logged) when there is none.
static int FindRecord(const unsigned char *table, size_t tableSize, FileEntry *row,
                      PayloadCheck *check)
{
    int found = FindPayloadCheck(table, tableSize, row->resourceName, check);
    if (found == PAYLOAD_CHECK_FOUND) {
        row->checked = 1;
        row->expandedLength = check->expandedLength;
        row->expandedCrc = check->expandedCrc;
        return 1;
    }
    char text[MESSAGE_TEMPLATE_SIZE];
    if (found == PAYLOAD_CHECK_NO_ENTRY)
        StrFormat(text, sizeof text, "resource %s: no record to check it against", row->resourceName);
    else if (!table)
        StrFormat(text, sizeof text, "resource %s is missing", PAYLOAD_TABLE_RESOURCE);
    else
        StrFormat(text, sizeof text, "resource %s: %u bytes are no table", PAYLOAD_TABLE_RESOURCE,
                  (unsigned)tableSize);
    WriteSetupLog(text);
    row->checked = -1;
    return 0;
}

// The run's working directory, with its trailing backslash; empty until it is made.
static char workingDir[COPY_PATH_SIZE];

const char *ExtractionDirectory(void)
{
    return workingDir;
}

int ExtractPayload(HINSTANCE instance, HWND owner)
{
    int count = 0;
    HWND statusControl = OpenProgressDialog(instance, owner);
    if (statusControl)
        RefreshProgressDialog();
    size_t tableSize = 0;
    const unsigned char *table = LoadPayloadTable(instance, &tableSize);
    const char *directory = workingDir;
    if (workingDir[0] || CreateWorkingDirectory(workingDir, sizeof workingDir)) {
        for (int i = 0; i < installManifest.fileCount; i++) {
            FileEntry *row = &installManifest.files[i];
            PayloadCheck check;
            if (!FindRecord(table, tableSize, row, &check))
                break;
            int result = ExtractResourceFile(instance, statusControl, row->resourceName,
                                             directory, row->sourceName, &check);
            if (result == EXTRACT_DAMAGED) {
                row->checked = -1;
                break;
            }
            if (result == EXTRACT_WRITE_FAILED) {
                count = 0;
                break;
            }
            if (result == EXTRACT_DONE) {
                count++;
                row->status |= FILE_EXTRACTED;
            }
        }
    }
    CloseProgressDialog(owner);
    return count;
}

const FileEntry *DamagedPayloadRow(void)
{
    for (int i = 0; i < installManifest.fileCount; i++) {
        if (installManifest.files[i].checked < 0)
            return &installManifest.files[i];
    }
    return NULL;
}

int DeleteExtractedFiles(void)
{
    const char *directory = workingDir;
    if (!directory[0])
        return 0;
    for (int i = 0; i < installManifest.fileCount; i++) {
        const FileEntry *row = &installManifest.files[i];
        if (!(row->status & FILE_EXTRACTED))
            continue;
        char text[MESSAGE_TEMPLATE_SIZE];
        ComposeMessage(text, sizeof text, IDS_REMOVING_TEMP_FILE, directory, row->sourceName);
        WriteSetupLog(text);
        char path[COPY_PATH_SIZE];
        if (ComposeSourcePath(path, sizeof path, directory, row->sourceName))
            DeleteFileA(path);
    }
    RemoveWorkingDirectory(workingDir);
    workingDir[0] = '\0';
    return 0;
}
