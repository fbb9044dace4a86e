// LZ32's expansion functions, loaded from the system directory on first use.
#ifndef TW_LZEXPAND_H
#define TW_LZEXPAND_H

#include <windows.h>

struct LzApi {
    INT(WINAPI *init)(INT);
    INT(WINAPI *read)(INT, LPSTR, INT);
    void(WINAPI *close)(INT);
};

extern LzApi lzApi;

// Loads LZ32 and its three functions once; nonzero when all are there. The install asks
// before it changes anything, so that a system without LZ32 ends the install cleanly.
int LoadLzApi(void);

#endif
