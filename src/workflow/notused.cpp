// The log line of a command-line value that an update does not use.
#include "notused.h"

#include "../resources/resource.h"
#include "../support/messages.h"
#include "../support/strbuf.h"

#define NOT_USED_SIZE 512

void LogValueNotUsed(const char *name, const char *given, const char *what, const char *recorded)
{
    char a[NOT_USED_SIZE], b[NOT_USED_SIZE];
    StrCopy(a, sizeof a, given);
    StrCopy(b, sizeof b, recorded);
    StripTrailingBackslash(a);
    StripTrailingBackslash(b);
    if (StrEqualNoCase(a, b))
        return;
    char text[MESSAGE_TEMPLATE_SIZE];
    ComposeMessage(text, sizeof text, IDS_OPTION_NOT_USED, name, given, what, recorded);
    WriteSetupLog(text);
}
