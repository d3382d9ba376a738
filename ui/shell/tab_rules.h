/*
 * tab_rules.h: the texts of tabs and session-list entries, the close
 * mark's place on a tab, the drag threshold and the reordering of the
 * session list, as pure functions.
 */
#ifndef KESTRUM_UI_SHELL_TAB_RULES_H
#define KESTRUM_UI_SHELL_TAB_RULES_H

#include "layout_rules.h"

enum { TAB_TEXT_MAX = 300 };

/* What a tab or list entry marks besides the state. */
enum {
    TAB_MARK_MEMBER = 1,        /* of the broadcast group: "● " */
    TAB_MARK_STOPPED = 2,       /* a script gave up at a wait: " (스크립트 멈춤)" */
    TAB_MARK_ASKS = 4,          /* PuTTY shows a box of its own: " (PuTTY 확인 필요)" */
};

/* The member mark, "[종료] ", "[재연결] " or "[끊김] " by state, the
 * caption, the other marks, and room for the close mark; at most 299
 * characters. */
void ComposeTabText(wchar_t *out, int state, bool disconnected, const wchar_t *caption, bool closeButtons,
                    int marks);
/* The member mark, the caption, " (연결 중)", " (끊김)", " (재연결 대기)"
 * or " (종료)", and the other marks. */
void ComposeListText(wchar_t *out, int state, bool disconnected, const wchar_t *caption, int marks);

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
