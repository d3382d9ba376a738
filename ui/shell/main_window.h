/*
 * main_window.h: the main window, its procedure and what the other
 * modules ask of it.
 */
#ifndef KESTRUM_UI_SHELL_MAIN_WINDOW_H
#define KESTRUM_UI_SHELL_MAIN_WINDOW_H

#include <windows.h>

extern HWND MainWindow;
/* The font of every control: the system's message font. */
extern HFONT UiFont;

enum { MAIN_TIMER_ID = 1 };

/* Private messages of the main window, always posted. */
enum {
    WM_APP_RESTORE_FOCUS = WM_APP + 1,  /* wParam: 1 when the window was activated */
    WM_APP_COMMAND_FOR = WM_APP + 4,    /* wParam: command, lParam: Session.Id or 0 */
    WM_APP_MENU_DONE = WM_APP + 5,      /* after the menu bar's command, if any */
};

void CreateUiFont(void);
/* KestrumMain, KestrumStart, KestrumHost and KestrumClip. */
void RegisterWindowClasses(HINSTANCE instance);
/* The main window at its default size; null when it cannot be made. */
HWND CreateMainWindow(HINSTANCE instance);
/* The window's placement into Settings, when it can be read. */
void SaveWindowPlacement(void);
/* Makes the session holding the keyboard focus the active one. */
void FollowFocus(void);

LRESULT CALLBACK MainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
