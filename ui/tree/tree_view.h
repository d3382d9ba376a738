/*
 * tree_view.h: the server tree control and the notifications of the
 * main window's controls.
 */
#ifndef KESTRUM_UI_TREE_TREE_VIEW_H
#define KESTRUM_UI_TREE_TREE_VIEW_H

#include <windows.h>
#include <commctrl.h>

struct ServerNode;

/* WM_NOTIFY of the tree, the tab control and the toolbar; true with
 * *result set when handled. */
bool HandleNotify(NMHDR *header, LRESULT *result);

/* Rebuilds the control from the model and selects node; with null, the
 * node selected before.  node is only compared, never read, so it may
 * already be freed. */
void RefillTree(ServerNode *node);
/* The node of the selected item, or null. */
ServerNode *SelectedNode(void);
/* Searches for the find box's text from the top or after the selection;
 * beeps when nothing matches.  While the tree is filtered, among the
 * servers shown. */
void FindNext(bool fromStart);
/* Shows only the servers that pass text and the folders leading to
 * them, expanded, and selects the first; an empty text brings back the
 * whole tree as the user left it, with the selection from before the
 * filter or the node chosen while it was on.  The folders' own expanded
 * state never changes meanwhile. */
void FilterTree(const wchar_t *text);
bool TreeFiltered(void);
/* Opens now the folders of the filtered tree that it still shows closed
 * below its first screen; they open by themselves while the program is
 * idle. */
void OpenFilteredFolders(void);
/* Expands the node's ancestors, selects it and scrolls it into view. */
void RevealNode(ServerNode *node);
/* The tree's context menu at a screen point. */
void ShowTreeContextMenu(int x, int y);
/* Gives the tree the focus and starts editing the node's label. */
void StartTreeRename(ServerNode *node);

/* Dragging nodes in the tree: the main window holds the capture. */
bool TreeDragging(void);
/* The drag image of the running drag, or null. */
HIMAGELIST TreeDragImage(void);
void EndTreeDrag(int x, int y);
void CancelTreeDrag(void);

#endif
