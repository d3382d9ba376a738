/*
 * layout.h: placing the main window's children and the sessions.
 */
#ifndef KESTRUM_UI_SHELL_LAYOUT_H
#define KESTRUM_UI_SHELL_LAYOUT_H

/* n pixels at 96 DPI, scaled to the screen's horizontal DPI. */
int ScaleForDpi(int n);

#endif
