/*
 * main_window.h: the main window and what the other modules ask of it.
 */
#ifndef KESTRUM_UI_SHELL_MAIN_WINDOW_H
#define KESTRUM_UI_SHELL_MAIN_WINDOW_H

#include <windows.h>

extern HWND MainWindow;

#endif
