/*
 * menus.h: the menu bar and the popup menus.
 */
#ifndef KESTRUM_UI_SHELL_MENUS_H
#define KESTRUM_UI_SHELL_MENUS_H

#include <windows.h>

/* Builds the menu bar; attached unless Settings.HideMenu is set. */
void CreateMenuBar(void);
/* Check and enable states of a popup about to open. */
void UpdateMenuStates(HMENU menu);
/* The tab context menu at a screen point, for the active session. */
void ShowTabContextMenu(int x, int y);

#endif
