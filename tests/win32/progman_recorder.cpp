// A stand-in Program Manager for the tests: answers service and topic PROGMAN, records every
// execute to a file (and beside it, in LOGFILE.conv, the number of the conversation it came on),
// answers Groups from a file, and can refuse or ignore every execute, or end the conversation
// after each.
// Usage: progman_recorder LOGFILE accept|refuse|silent|drop [GROUPSFILE]
// It runs until its thread gets WM_QUIT. A request for the item "TwRecorder" is answered with
// "ready", so that a test can tell that its conversations reach this server.
#include <windows.h>
#include <dde.h>
#include <ddeml.h>

#include <stdio.h>
#include <string.h>

#include <map>
#include <string>

namespace {

DWORD instance;
HSZ service, groupsItem, probeItem;
std::string logPath, groupsPath, mode;
std::map<HCONV, int> conversationNumbers;  // in the order they were made, from 1
int conversationsMade;
const UINT kEndConversation = WM_APP;        // thread message: lParam is the conversation

// Each execute is appended as its raw bytes (its terminating zero included, if it was sent)
// followed by a line feed, and the file is closed again so that the test can read it at once.
void Record(HDDEDATA data)
{
    DWORD size = DdeGetData(data, NULL, 0, 0);
    std::string bytes(size, '\0');
    if (size)
        DdeGetData(data, (LPBYTE)&bytes[0], size, 0);
    FILE *f = fopen(logPath.c_str(), "ab");
    if (!f)
        return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fputc('\n', f);
    fclose(f);
}

void RecordConversation(HCONV conversation)
{
    FILE *f = fopen((logPath + ".conv").c_str(), "ab");
    if (!f)
        return;
    fprintf(f, "%d\n", conversationNumbers[conversation]);
    fclose(f);
}

HDDEDATA Reply(const std::string &text, HSZ item)
{
    // The reply goes with a terminating zero, as Program Manager sends it.
    return DdeCreateDataHandle(instance, (LPBYTE)text.c_str(), (DWORD)text.size() + 1, 0, item, CF_TEXT, 0);
}

std::string ReadGroups()
{
    std::string text;
    FILE *f = groupsPath.empty() ? NULL : fopen(groupsPath.c_str(), "rb");
    if (!f)
        return text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    fclose(f);
    return text;
}

HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item, HDDEDATA data,
                           ULONG_PTR, ULONG_PTR)
{
    switch (type) {
    case XTYP_CONNECT:
        return (HDDEDATA)(UINT_PTR)(DdeCmpStringHandles(topic, service) == 0);
    case XTYP_CONNECT_CONFIRM:
        conversationNumbers[conversation] = ++conversationsMade;  // a handle may come again
        return NULL;
    case XTYP_REQUEST:
        if (format != CF_TEXT)
            return NULL;
        if (DdeCmpStringHandles(item, probeItem) == 0)
            return Reply("ready", item);
        if (DdeCmpStringHandles(item, groupsItem) == 0)
            return Reply(ReadGroups(), item);
        return NULL;
    case XTYP_EXECUTE:
        Record(data);
        RecordConversation(conversation);
        if (mode == "drop")
            PostThreadMessageA(GetCurrentThreadId(), kEndConversation, 0, (LPARAM)conversation);
        if (mode == "refuse")
            return (HDDEDATA)DDE_FNOTPROCESSED;
        if (mode == "silent") {
            // Answer only after the client has given up.
            Sleep(1500);
            return (HDDEDATA)DDE_FNOTPROCESSED;
        }
        return (HDDEDATA)DDE_FACK;
    }
    return NULL;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    logPath = argv[1];
    mode = argv[2];
    if (argc > 3)
        groupsPath = argv[3];
    if (DdeInitializeA(&instance, Callback, APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES, 0) != DMLERR_NO_ERROR)
        return 3;
    service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    groupsItem = DdeCreateStringHandleA(instance, "Groups", CP_WINANSI);
    probeItem = DdeCreateStringHandleA(instance, "TwRecorder", CP_WINANSI);
    if (!DdeNameService(instance, service, NULL, DNS_REGISTER))
        return 4;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (!msg.hwnd && msg.message == kEndConversation) {
            // Wine's DdeDisconnect cannot end a server's conversation: the protocol's own
            // message does, as a server outside the library would send it.
            CONVINFO info = {};
            info.cb = sizeof info;
            if (DdeQueryConvInfo((HCONV)msg.lParam, QID_SYNC, &info))
                PostMessageA(info.hwndPartner, WM_DDE_TERMINATE, (WPARAM)info.hwnd, 0);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DdeNameService(instance, NULL, NULL, DNS_UNREGISTER);
    DdeFreeStringHandle(instance, probeItem);
    DdeFreeStringHandle(instance, groupsItem);
    DdeFreeStringHandle(instance, service);
    DdeUninitialize(instance);
    return 0;
}
