/*
 * win_shot.cpp: window pictures as BMP files.
 */
#include "win_shot.h"

#include <stdlib.h>

#include <string>
#include <vector>

#include "test_util.h"

/* The pixels, and the header that describes them. */
static std::string Grab(HWND window, BITMAPINFOHEADER *bi)
{
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);

    *bi = BITMAPINFOHEADER();
    bi->biSize = sizeof *bi;
    bi->biWidth = w;
    bi->biHeight = h;
    bi->biPlanes = 1;
    bi->biBitCount = 24;
    DWORD stride = ((DWORD)w * 3 + 3) & ~3u;
    std::vector<char> pixels(stride * (DWORD)h);
    GetDIBits(mem, bmp, 0, (UINT)h, pixels.data(), (BITMAPINFO *)bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return std::string(pixels.data(), pixels.size());
}

std::string WindowPixels(HWND window)
{
    BITMAPINFOHEADER bi;
    return Grab(window, &bi);
}

void SaveWindowShot(HWND window, const char *name)
{
    const char *folder = getenv("KESTRUM_SHOTS");
    if (!folder || !*folder)
        return;
    UpdateWindow(window);
    BITMAPINFOHEADER bi;
    std::string pixels = Grab(window, &bi);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi;
    fh.bfSize = fh.bfOffBits + (DWORD)pixels.size();
    std::string bytes((const char *)&fh, sizeof fh);
    bytes.append((const char *)&bi, sizeof bi);
    bytes.append(pixels);
    WriteBytes(WText(std::string(folder) + "\\" + name + ".bmp"), bytes);
}
