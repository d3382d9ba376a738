/*
 * tree_view.cpp: the server tree control and the controls' notifications.
 */
#include "tree_view.h"

#include <windows.h>
#include <commctrl.h>

#include "../shell/layout.h"
#include "../shell/tabs.h"

static bool Dragging;
static HIMAGELIST DragImage;

bool HandleNotify(NMHDR *header, LRESULT *result)
{
    if (header->hwndFrom == TabControl && header->code == TCN_SELCHANGE) {
        ActivateSession((int)SendMessageW(TabControl, TCM_GETCURSEL, 0, 0), true);
        *result = 0;
        return true;
    }
    return false;
}

void RefillTree(ServerNode *)
{
}

ServerNode *SelectedNode(void)
{
    return NULL;
}

void FindNext(bool)
{
}

bool TreeDragging(void)
{
    return Dragging;
}

HIMAGELIST TreeDragImage(void)
{
    return DragImage;
}

void EndTreeDrag(int, int)
{
    Dragging = false;
}

void CancelTreeDrag(void)
{
    Dragging = false;
}
