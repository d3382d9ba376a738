/*
 * gui_objects.cpp: counting this process's GDI and USER objects.
 */
#include "gui_objects.h"

DWORD CountGdiObjects()
{
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n)
        return n;
    /* Wine takes a handle without its generation bits as any generation. */
    for (UINT_PTR h = 1; h < 0x10000; h++)
        if (GetObjectType((HGDIOBJ)h))
            n++;
    return n;
}

static bool OwnWindow(HWND w)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid == GetCurrentProcessId();
}

static BOOL CALLBACK CountChild(HWND w, LPARAM count)
{
    if (OwnWindow(w))
        ++*(DWORD *)count;
    return TRUE;
}

static BOOL CALLBACK CountTopLevel(HWND w, LPARAM count)
{
    if (OwnWindow(w)) {
        ++*(DWORD *)count;
        EnumChildWindows(w, CountChild, count);
    }
    return TRUE;
}

DWORD CountUserObjects()
{
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (n)
        return n;
    EnumWindows(CountTopLevel, (LPARAM)&n);
    for (UINT_PTR h = 0x20; h < 0x10000; h += 2)
        if (IsMenu((HMENU)h))
            n++;
    return n;
}
