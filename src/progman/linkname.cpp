// The mapping from user-given group and item names to safe file names.
#include "linkname.h"

#include <string.h>

static int LowerAscii(int c)
{
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

int IsDeviceName(const char *name)
{
    static const char *const devices[] = {"con", "prn", "aux", "nul", "clock$", "conin$", "conout$"};
    size_t n = strcspn(name, ".");
    while (n > 0 && name[n - 1] == ' ')
        n--;
    char base[8];
    if (n == 0 || n >= sizeof base)
        return 0;
    for (size_t i = 0; i < n; i++)
        base[i] = (char)LowerAscii((unsigned char)name[i]);
    base[n] = '\0';
    for (const char *d : devices)
        if (strcmp(base, d) == 0)
            return 1;
    // COM and LPT take a digit, or a superscript one, two or three (0xB9, 0xB2, 0xB3 in the
    // Western code page), which Windows also opens as the port.
    unsigned char last = (unsigned char)base[3];
    int port = (last >= '0' && last <= '9') || last == 0xB9 || last == 0xB2 || last == 0xB3;
    return n == 4 && (memcmp(base, "com", 3) == 0 || memcmp(base, "lpt", 3) == 0) && port;
}

int MakeLinkFileName(char *out, size_t cap, const char *name)
{
    if (cap == 0)
        return 0;
    out[0] = '\0';
    if (!name)
        return 0;
    size_t n = strlen(name);
    while (n > 0 && (name[n - 1] == '.' || name[n - 1] == ' '))
        n--;
    if (n == 0 || n >= cap)
        return 0;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)name[i];
        out[i] = (c < 32 || strchr("\\/:*?\"<>|", c)) ? '_' : (char)c;
    }
    out[n] = '\0';
    if (IsDeviceName(out)) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}
