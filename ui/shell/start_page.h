/*
 * start_page.h: the page shown while no session is open: the program's
 * name, what it is for, the current keys of a few hotkeys, and buttons
 * for the usual first steps, which run their commands in the main
 * window.
 */
#ifndef KESTRUM_UI_SHELL_START_PAGE_H
#define KESTRUM_UI_SHELL_START_PAGE_H

#include <windows.h>

/* The page's text size: the summary with three key texts of at most 63
 * characters fits. */
enum { START_SUMMARY_MAX = 512 };

/* Window procedure of the class KestrumStart. */
LRESULT CALLBACK StartPageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

/* The hotkey summary with the current bindings of next tab, the
 * tree/PuTTY focus switch and quick connect, as every paint draws it. */
void StartPageSummary(wchar_t out[START_SUMMARY_MAX]);

#endif
