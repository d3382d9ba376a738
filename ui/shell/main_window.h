/*
 * main_window.h: the main window and what the other modules ask of it.
 */
#ifndef KESTRUM_UI_SHELL_MAIN_WINDOW_H
#define KESTRUM_UI_SHELL_MAIN_WINDOW_H

#include <windows.h>

extern HWND MainWindow;
/* The font of every control: the system's message font. */
extern HFONT UiFont;

/* Private messages of the main window. */
enum {
    WM_APP_RESTORE_FOCUS = WM_APP + 1,
    WM_APP_RECONNECT = WM_APP + 3,      /* wParam: Session.Id */
};

void CreateUiFont(void);

#endif
