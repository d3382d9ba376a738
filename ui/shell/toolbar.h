/*
 * toolbar.h: the toolbar row: the quick-connect box and the text buttons.
 */
#ifndef KESTRUM_UI_SHELL_TOOLBAR_H
#define KESTRUM_UI_SHELL_TOOLBAR_H

#include <windows.h>

extern HWND Toolbar;
extern HWND QuickConnectBox;

/* Creates the toolbar and the quick-connect box on the main window. */
void CreateToolbar(HWND main);
/* Height of the toolbar row: the taller of a button and the box, plus 6
 * scaled. */
int ToolbarRowHeight(void);
/* Puts the box into the toolbar's first separator slot in a row of
 * height rowHeight. */
void PlaceQuickConnectBox(int rowHeight);
/* The tree's icons: closed folder, open folder, and the server icon
 * taken from the PuTTY executable. */
void BuildTreeImageList(void);
/* Reloads the box's list from Settings.Recents, keeping the typed text. */
void FillRecentsCombo(void);

#endif
