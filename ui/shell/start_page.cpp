/*
 * start_page.cpp: the page shown while no session is open.
 */
#include "start_page.h"

LRESULT CALLBACK StartPageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ERASEBKGND) {
        RECT rc;
        GetClientRect(window, &rc);
        FillRect((HDC)wParam, &rc, GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}
