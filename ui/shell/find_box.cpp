/*
 * find_box.cpp: the find box's keys and the filter's pause.
 */
#include "find_box.h"

#include <windows.h>

#include "../tree/tree_view.h"
#include "layout.h"

enum { FILTER_TIMER = 1, FILTER_TEXT_MAX = 128 };

static WNDPROC FindBoxPrevious;
static bool FilterPending;

/* The tree filtered by the box's text now, the pause cut short. */
static void ApplyFilter(void)
{
    KillTimer(FindBox, FILTER_TIMER);
    FilterPending = false;
    wchar_t text[FILTER_TEXT_MAX];
    text[0] = 0;
    GetWindowTextW(FindBox, text, FILTER_TEXT_MAX);
    FilterTree(text);
}

void FindBoxChanged(void)
{
    FilterPending = true;
    SetTimer(FindBox, FILTER_TIMER, FILTER_PAUSE_MS, NULL);
}

/* Esc: the whole tree back as the user left it, and the user in it. */
static void OnEscape(void)
{
    SetWindowTextW(FindBox, L"");
    ApplyFilter();
    SetFocus(ServerTree);
}

static LRESULT CALLBACK FindBoxProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == FILTER_TIMER) {
        ApplyFilter();
        return 0;
    }
    if (msg == WM_KEYDOWN) {
        switch (wParam) {
        case VK_RETURN:
        case VK_F3:
            if (FilterPending)
                ApplyFilter();
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
