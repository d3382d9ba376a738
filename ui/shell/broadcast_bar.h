/*
 * broadcast_bar.h: the broadcast bar across the top of the session area:
 * what is typed into it goes to every member of the broadcast group, key
 * by key (live) or line by line.
 */
#ifndef KESTRUM_UI_SHELL_BROADCAST_BAR_H
#define KESTRUM_UI_SHELL_BROADCAST_BAR_H

#include <windows.h>

#include "layout_rules.h"

struct Session;

extern HWND BroadcastLabel;
extern HWND BroadcastBox;
extern HWND BroadcastLineMode;      /* the check box "줄 단위로" */

void CreateBroadcastBar(HWND main);
/* Its height when shown. */
int BroadcastBarHeight(void);
/* Across r when shown, hidden otherwise. */
void PlaceBroadcastBar(const LayoutRect &r, bool shown);
/* Shows or hides the bar (Settings.ShowBroadcastBar); shown, it takes
 * the keys. */
void ToggleBroadcastBar(void);

/* Membership of one session or of all; the texts, the bar's count and a
 * view of the members only follow. */
void SetBroadcastMember(Session *s, bool member);
void SetEveryBroadcastMember(bool member);
/* The label's count; whether it changed. */
bool UpdateBroadcastLabel(void);
/* After the group or the sessions changed: the label's count, and the
 * tiles when they show the members alone. */
void BroadcastGroupChanged(void);

#endif
