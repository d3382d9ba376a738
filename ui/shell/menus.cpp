/*
 * menus.cpp: the menu bar and the popup menus.
 */
#include "menus.h"

void CreateMenuBar(void)
{
}

void UpdateMenuStates(HMENU)
{
}

void ShowTabContextMenu(int, int)
{
}
