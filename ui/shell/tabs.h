/*
 * tabs.h: which session is active, and the tab strip and session list
 * that show the sessions in SessionList order.
 */
#ifndef KESTRUM_UI_SHELL_TABS_H
#define KESTRUM_UI_SHELL_TABS_H

#include <windows.h>

struct Session;

/* The active index when it names an open session, else -1. */
int ActiveIndex(void);
Session *ActiveSession(void);
/* Makes the session at index the active one and shows it; with focus,
 * gives it the keyboard focus.  An index out of range is ignored. */
void ActivateSession(int index, bool focus);
/* After sessions were added, removed or reordered. */
void RebuildTabs(void);
/* After a session's caption, state or disconnect mark changed. */
void RefreshSessionCaption(Session *s);
/* "caption - Kestrum", or "Kestrum" without an active session. */
void UpdateMainTitle(void);
/* Asks before closing a running session (unless told not to), then
 * closes it with its PuTTY. */
void RequestCloseSession(Session *s);
/* A colour label's square, outlined: in the tree and the session list. */
void PaintColorMark(HDC dc, const RECT *r, int color);
/* The session list's lines: their height, and one drawn with its
 * session's colour mark (WM_DRAWITEM of the list). */
int SessionLineHeight(void);
void DrawSessionLine(const DRAWITEMSTRUCT *d);
/* Close marks, middle-click close, drag reordering, context menu, tips. */
void InstallTabSubclass(void);
/* The tip of the tab under the mouse (a tab strip's TTN_GETDISPINFOW);
 * false for another tooltip's. */
bool TabTipText(NMHDR *header);

#endif
