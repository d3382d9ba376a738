/*
 * find_box.cpp: the find box's keys.
 */
#include "find_box.h"

#include <windows.h>

#include "../tree/tree_view.h"
#include "layout.h"

static WNDPROC FindBoxPrevious;

/* Esc: the emptied box searches nothing, and the user is back in the
 * tree where the last match is selected. */
static void OnEscape(void)
{
    SetWindowTextW(FindBox, L"");
    SetFocus(ServerTree);
}

static LRESULT CALLBACK FindBoxProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN) {
        switch (wParam) {
        case VK_RETURN:
        case VK_F3:
            FindNext(false);
            return 0;
        case VK_ESCAPE:
            OnEscape();
            return 0;
        case VK_DOWN:
            SetFocus(ServerTree);
            return 0;
        }
    }
    /* the edit would beep at these */
    if (msg == WM_CHAR && (wParam == 13 || wParam == 27))
        return 0;
    return CallWindowProcW(FindBoxPrevious, window, msg, wParam, lParam);
}

void InstallFindBoxSubclass(void)
{
    FindBoxPrevious = (WNDPROC)SetWindowLongPtrW(FindBox, GWLP_WNDPROC, (LONG_PTR)FindBoxProc);
}
