// The main window: teal backdrop with banner and logo, and the driver of the workflow.
#include "../resources/resource.h"
#include "../workflow/extract.h"
#include "../workflow/install.h"
#include "setup.h"

static HBITMAP bannerBitmap;
static HBITMAP logoBitmap;

static void ReleaseBitmaps(void)
{
    if (bannerBitmap)
        DeleteObject(bannerBitmap);
    if (logoBitmap)
        DeleteObject(logoBitmap);
    bannerBitmap = NULL;
    logoBitmap = NULL;
}

// Draws bitmap at (10, 10), or 10 pixels in from the client's bottom-right corner when
// anchorRight is set.
static void DrawBitmap(HDC dc, HDC memory, HBITMAP bitmap, const RECT *client, int anchorRight)
{
    BITMAP bm;
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm))
        return;
    int x = 10, y = 10;
    if (anchorRight) {
        x = client->right - bm.bmWidth - 10;
        y = client->bottom - bm.bmHeight - 10;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
}

static void Paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc)
        return;
    RECT client;
    GetClientRect(window, &client);
    HDC memory = CreateCompatibleDC(dc);
    DrawBitmap(dc, memory, bannerBitmap, &client, 0);
    DrawBitmap(dc, memory, logoBitmap, &client, 1);
    DeleteDC(memory);
    EndPaint(window, &ps);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        logoBitmap = LoadBitmapA(moduleInstance, "ARDLOGO");
        bannerBitmap = LoadBitmapA(moduleInstance, "TW_BMP");
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_START) {
            RunInstall(window);
            DeleteExtractedFiles();
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_CLOSE:
        if (window == mainWindow)
            PostQuitMessage(0);
        else
            DestroyWindow(window);
        ReleaseBitmaps();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_DESTROY:
        ReleaseBitmaps();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
