/*
 * tab_rules.h: the texts of tabs and session-list entries, the close
 * mark's place on a tab, the drag threshold and the reordering of the
 * session list, as pure functions.
 */
#ifndef KESTRUM_UI_SHELL_TAB_RULES_H
#define KESTRUM_UI_SHELL_TAB_RULES_H

#include "layout_rules.h"

enum { TAB_TEXT_MAX = 300 };

/* "● " for a member of the broadcast group, "[종료] ", "[재연결] " or
 * "[끊김] " by state, the caption, " (PuTTY 확인 필요)" while PuTTY shows a
 * box of its own (puttyAsks), and room for the close mark; at most 299
 * characters. */
void ComposeTabText(wchar_t *out, int state, bool disconnected, const wchar_t *caption, bool closeButtons,
                    bool puttyAsks, bool member);
/* "● " for a member, the caption, " (연결 중)", " (끊김)", " (재연결 대기)"
 * or " (종료)", and " (PuTTY 확인 필요)" while PuTTY shows a box of its
 * own. */
void ComposeListText(wchar_t *out, int state, bool disconnected, const wchar_t *caption, bool puttyAsks,
                     bool member);

/* A tab's tip: the caption whole, and on a line of its own PuTTY's words
 * on how the connection ended, when there are any; at most cap - 1. */
void ComposeTabTip(wchar_t *out, int cap, const wchar_t *caption, const wchar_t *reason);

/* The close mark of a tab with item rectangle item: size s (12 scaled),
 * inset from the right edge (5 scaled). */
LayoutRect CloseMarkRect(LayoutRect item, int s, int inset);
/* The mark grown by 2 pixels on every side; right and bottom excluded. */
bool CloseMarkHit(LayoutRect item, int s, int inset, int x, int y);

/* A press turns into a drag once the mouse moved more than the system's
 * drag distance in either direction. */
bool DragStarted(int dx, int dy, int cxDrag, int cyDrag);

/* Moves items[source] to index target; those in between shift one place
 * towards the source.  Indexes outside 0..n-1 or equal ones do nothing. */
void MoveEntry(void **items, int n, int source, int target);

#endif
