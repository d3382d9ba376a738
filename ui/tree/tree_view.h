/*
 * tree_view.h: the server tree control and the notifications of the
 * main window's controls.
 */
#ifndef KESTRUM_UI_TREE_TREE_VIEW_H
#define KESTRUM_UI_TREE_TREE_VIEW_H

#include <windows.h>
#include <commctrl.h>

/* WM_NOTIFY of the tree, the tab control and the toolbar; true with
 * *result set when handled. */
bool HandleNotify(NMHDR *header, LRESULT *result);

/* Fills the tree from the server tree and PuTTY's saved sessions. */
void RefillTree(void);
/* Selects the first server whose name contains text (fromTop), or the
 * next one after the selection. */
void FindInTree(const wchar_t *text, bool fromTop);

/* Dragging nodes in the tree: the main window holds the capture. */
bool TreeDragging(void);
/* The drag image of the running drag, or null. */
HIMAGELIST TreeDragImage(void);
void EndTreeDrag(int x, int y);
void CancelTreeDrag(void);

#endif
