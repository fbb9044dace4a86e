// The run's private working directory as the program asks Windows for it: its name and the
// security descriptor it is created with. No Windows calls, so both are tested natively.
#ifndef TW_PRIVATEDIR_H
#define TW_PRIVATEDIR_H

#include <stddef.h>

// Random bytes in a working directory's name: 16 hex digits.
#define WORKING_DIR_RANDOM 8
// The size of the descriptor BuildAdminOnlyDescriptor makes.
#define ADMIN_ONLY_DESCRIPTOR_SIZE 72

// tempDir (with its trailing backslash), "~tw", the random bytes as hex, and a backslash.
// 0 (out empty) when it does not fit.
int ComposeWorkingDirName(char *out, size_t cap, const char *tempDir, const unsigned char *random);

// A self-relative security descriptor with no owner or group and a protected DACL of two
// allowing ACEs, full file access inherited by files and folders: for SYSTEM (S-1-5-18) and
// the Administrators group (S-1-5-32-544). Protected (for Windows 2000 and later, which know
// the flag): nothing of the parent directory is inherited, so no other account can create,
// open or replace a name in the directory. Returns its size, or 0 when cap is too small.
size_t BuildAdminOnlyDescriptor(unsigned char *out, size_t cap, int protect = 1);

#endif
