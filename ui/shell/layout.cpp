/*
 * layout.cpp: placing the main window's children and the sessions.
 */
#include "layout.h"

#include <windows.h>

int ScaleForDpi(int n)
{
    static int dpi;
    if (!dpi) {
        HDC dc = GetDC(NULL);
        dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
        if (dc)
            ReleaseDC(NULL, dc);
        if (dpi <= 0)
            dpi = 96;
    }
    return MulDiv(n, dpi, 96);
}
