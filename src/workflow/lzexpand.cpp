// LZ32's expansion functions, loaded from the system directory on first use. LZ32 is not one
// of the libraries Windows always takes from the system directory, so a static import would
// load whatever lz32.dll lies beside setup.exe.
#include "lzexpand.h"

#include "../support/syslib.h"

LzApi lzApi;

int LoadLzApi(void)
{
    if (lzApi.init && lzApi.read && lzApi.close)
        return 1;
    HMODULE lz = LoadSystemLibrary("lz32.dll");
    if (!lz)
        return 0;
    typedef void (*AnyFn)(void);
    lzApi.init = (INT(WINAPI *)(INT))(AnyFn)GetProcAddress(lz, "LZInit");
    lzApi.read = (INT(WINAPI *)(INT, LPSTR, INT))(AnyFn)GetProcAddress(lz, "LZRead");
    lzApi.close = (void(WINAPI *)(INT))(AnyFn)GetProcAddress(lz, "LZClose");
    return lzApi.init && lzApi.read && lzApi.close;
}
