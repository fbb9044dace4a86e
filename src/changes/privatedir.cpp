// The private working directory's name and the descriptor it is created with.
#include "privatedir.h"

#include "../support/strbuf.h"

int ComposeWorkingDirName(char *out, size_t cap, const char *tempDir, const unsigned char *random)
{
    static const char digits[] = "0123456789abcdef";
    char name[4 + 2 * WORKING_DIR_RANDOM + 1];
    size_t n = 0;
    name[n++] = '~';
    name[n++] = 't';
    name[n++] = 'w';
    for (int i = 0; i < WORKING_DIR_RANDOM; i++) {
        name[n++] = digits[random[i] >> 4];
        name[n++] = digits[random[i] & 15];
    }
    name[n++] = '\\';
    name[n] = '\0';
    if (cap && StrCopy(out, cap, tempDir) && StrAppend(out, cap, name))
        return 1;
    if (cap)
        out[0] = '\0';
    return 0;
}

static unsigned char *PutWord(unsigned char *p, unsigned v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    return p + 2;
}

static unsigned char *PutLong(unsigned char *p, unsigned long v)
{
    return PutWord(PutWord(p, (unsigned)(v & 0xFFFF)), (unsigned)(v >> 16));
}

// An ACCESS_ALLOWED_ACE for the SID S-1-5-sub...: inherited by files and folders.
static unsigned char *PutAllowedAce(unsigned char *p, const unsigned long *sub, int subCount)
{
    unsigned size = 8 + 8 + 4 * (unsigned)subCount;
    *p++ = 0;     // ACCESS_ALLOWED_ACE_TYPE
    *p++ = 0x03;  // OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE
    p = PutWord(p, size);
    p = PutLong(p, 0x001F01FFul);  // FILE_ALL_ACCESS
    *p++ = 1;     // SID revision
    *p++ = (unsigned char)subCount;
    static const unsigned char ntAuthority[6] = {0, 0, 0, 0, 0, 5};
    for (int i = 0; i < 6; i++)
        *p++ = ntAuthority[i];
    for (int i = 0; i < subCount; i++)
        p = PutLong(p, sub[i]);
    return p;
}

size_t BuildAdminOnlyDescriptor(unsigned char *out, size_t cap, int protect)
{
    if (cap < ADMIN_ONLY_DESCRIPTOR_SIZE)
        return 0;
    static const unsigned long system[1] = {18}, administrators[2] = {32, 544};
    unsigned char *p = out;
    *p++ = 1;  // SECURITY_DESCRIPTOR_REVISION
    *p++ = 0;
    p = PutWord(p, 0x8000 | (protect ? 0x1000 : 0) | 0x0004);  // SE_SELF_RELATIVE, SE_DACL_PROTECTED, SE_DACL_PRESENT
    p = PutLong(p, 0);   // no owner: the creator's default
    p = PutLong(p, 0);   // no group
    p = PutLong(p, 0);   // no SACL
    p = PutLong(p, 20);  // the DACL follows the header
    *p++ = 2;  // ACL_REVISION
    *p++ = 0;
    p = PutWord(p, ADMIN_ONLY_DESCRIPTOR_SIZE - 20);
    p = PutWord(p, 2);
    p = PutWord(p, 0);
    p = PutAllowedAce(p, system, 1);
    p = PutAllowedAce(p, administrators, 2);
    return (size_t)(p - out);
}
