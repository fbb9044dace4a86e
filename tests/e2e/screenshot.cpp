// Screenshot of setup.exe's main window for `make run` without a display: starts the setup,
// waits for its first dialog over the teal window, saves the screen as a BMP, then chooses Exit.
// Usage: e2e_screenshot SETUP.EXE OUT.BMP
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "uidriver.h"

static bool SaveScreen(const char *path)
{
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void *bits = NULL;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    bool ok = false;
    if (dib) {
        HGDIOBJ old = SelectObject(memory, dib);
        ok = BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY) != FALSE;
        SelectObject(memory, old);
        GdiFlush();
    }
    if (ok) {
        DWORD stride = ((DWORD)w * 3 + 3) & ~3u, size = stride * (DWORD)h;
        BITMAPFILEHEADER fh = {};
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
        fh.bfSize = fh.bfOffBits + size;
        FILE *f = fopen(path, "wb");
        ok = f && fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             fwrite(bits, 1, size, f) == size;
        if (f)
            ok = fclose(f) == 0 && ok;
    }
    if (dib)
        DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: e2e_screenshot SETUP.EXE OUT.BMP\n");
        return 2;
    }
    std::string cmd = std::string("\"") + argv[1] + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "e2e_screenshot: cannot start %s\n", argv[1]);
        return 1;
    }
    HWND dialog = NULL;
    for (int i = 0; i < 600 && !dialog; ++i) {
        for (HWND h : uidriver::FindDialogs(pi.dwProcessId))
            if (uidriver::ReadWindow(h).caption == "Install")
                dialog = h;
        if (!dialog && WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0)
            break;
    }
    bool saved = false;
    if (dialog) {
        Sleep(800);  // lets the main window paint its banner and logo
        saved = SaveScreen(argv[2]);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!saved)
        fprintf(stderr, "e2e_screenshot: %s\n", dialog ? "the screen could not be saved" : "no setup dialog appeared");
    return saved ? 0 : 1;
}
