/*
 * tabs.cpp: the active session.
 */
#include "tabs.h"

#include "../../sessions/session.h"

static int StoredActiveIndex = -1;

int ActiveIndex(void)
{
    return StoredActiveIndex >= 0 && StoredActiveIndex < SessionCount ? StoredActiveIndex : -1;
}

Session *ActiveSession(void)
{
    int i = ActiveIndex();
    return i >= 0 ? SessionList[i] : NULL;
}

/* One session at a time: the active host window shows, the others hide. */
static void ShowActiveHost(void)
{
    for (int i = 0; i < SessionCount; i++)
        ShowWindow(SessionList[i]->HostWindow, i == StoredActiveIndex ? SW_SHOWNA : SW_HIDE);
}

void ActivateSession(int index, bool focus)
{
    if (index < 0 || index >= SessionCount)
        return;
    StoredActiveIndex = index;
    ShowActiveHost();
    if (focus) {
        Session *s = SessionList[index];
        SetFocus(s->PuttyWindow && IsWindow(s->PuttyWindow) ? s->PuttyWindow : s->HostWindow);
    }
}

void RebuildTabs(void)
{
    ShowActiveHost();
}

void RefreshSessionCaption(Session *s)
{
    InvalidateRect(s->HostWindow, NULL, FALSE);
}
