/*
 * layout.h: the main window's children, placing them, and the view
 * modes that tile the sessions.
 */
#ifndef KESTRUM_UI_SHELL_LAYOUT_H
#define KESTRUM_UI_SHELL_LAYOUT_H

#include <windows.h>

extern HWND FindBox;
extern HWND ServerTree;
extern HWND ListLabel;
extern HWND SessionListBox;
extern HWND TabControl;
/* The start page (StartPage is taken by the Windows printing API). */
extern HWND StartPageWindow;
/* Marlett at 9 points: the tabs' close marks. */
extern HFONT GlyphFont;
/* Main-window client coordinates; empty while their pane is hidden. */
extern RECT TreeSplitterRect;
extern RECT ListSplitterRect;

/* n pixels at 96 DPI, scaled to the screen's horizontal DPI. */
int ScaleForDpi(int n);

/* A child of the main window in the program's font. */
HWND CreateMainChild(HWND main, DWORD exStyle, const wchar_t *cls, const wchar_t *text, DWORD style);
/* Creates every child of the main window, in order, and its menu bar. */
void CreateMainChildren(HWND main);
/* Places the panes and tiles the sessions by Settings.ViewMode. */
void LayoutMainWindow(void);
/* Switches the view mode (0 to 3) and refits every session. */
void SetViewMode(int mode);

#endif
