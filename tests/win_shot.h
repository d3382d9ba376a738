/*
 * win_shot.h: pictures of the test's own windows, for a person to look
 * at.  Written only when KESTRUM_SHOTS names a folder.
 */
#ifndef KESTRUM_TESTS_WIN_SHOT_H
#define KESTRUM_TESTS_WIN_SHOT_H

#include <windows.h>

#include <string>

/* The window as the screen shows it, as KESTRUM_SHOTS\name.bmp. */
void SaveWindowShot(HWND window, const char *name);
/* The window's pixels as the screen shows them now (24-bit rows, bottom
 * up), for comparing two moments. */
std::string WindowPixels(HWND window);

#endif
