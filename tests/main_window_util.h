/*
 * main_window_util.h: the program's real main window inside a test
 * process, and waiting on it.
 */
#ifndef KESTRUM_TESTS_MAIN_WINDOW_UTIL_H
#define KESTRUM_TESTS_MAIN_WINDOW_UTIL_H

#include <windows.h>

#include <functional>

/* Dispatches this thread's waiting messages. */
void Pump();
/* Pumps and runs the main timer's session work until done() holds;
 * false after ms. */
bool Until(const std::function<bool()> &done, DWORD ms = 10000);
/* Creates and shows the main window once per process, with default
 * settings and the common controls registered. */
void OpenMainWindow();

/* Opens dialog template id as a modeless dialog of proc with param and
 * shows it.  EndDialog hides a modeless dialog, and that is how the
 * tests see it end; without a window manager Wine waits two seconds for
 * a top-level window to hide, so unless pictures are taken (KESTRUM_SHOTS)
 * the dialog lives as a child of a hidden window. */
HWND OpenTestDialog(int id, DLGPROC proc, LPARAM param);
/* The focus as the last opening left it, before any pending activation
 * of another window of this process could move it, and what its
 * WM_INITDIALOG returned. */
extern HWND FocusAfterOpening;
extern INT_PTR InitReturned;

#endif
