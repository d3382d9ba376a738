/*
 * start_page.h: the page shown while no session is open.
 */
#ifndef KESTRUM_UI_SHELL_START_PAGE_H
#define KESTRUM_UI_SHELL_START_PAGE_H

#include <windows.h>

LRESULT CALLBACK StartPageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
