/*
 * broadcast_rules.h: what the broadcast bar does with the keys typed into
 * it, its label and its line history, as pure functions.
 */
#ifndef KESTRUM_UI_SHELL_BROADCAST_RULES_H
#define KESTRUM_UI_SHELL_BROADCAST_RULES_H

#include "../../sessions/key_script.h"

/* What a character typed into the bar does in live mode. */
enum {
    BAR_CHAR_BOX = 0,       /* the box's alone: Backspace's character (its key was sent), Ctrl+V's paste */
    BAR_CHAR_SEND,          /* sent, and shown in the box */
    BAR_CHAR_SEND_ONLY,     /* sent, not shown: Tab, Esc, Ctrl+letter */
    BAR_CHAR_SEND_CLEAR,    /* sent, and the box starts a new line: Enter */
};
int BarLiveChar(int ch, KeyEvent *event);
/* A key going down in live mode: true, with its event, for the keys
 * SpecialKeyTable sends by virtual key (Backspace, the arrows, Home,
 * End, Page Up and Down, Insert, Delete, F1-F12). */
bool BarLiveKey(int vk, KeyEvent *event);
/* Text given at once (pasted) as characters, each line break (CR LF, CR
 * or LF) one Enter; writes at most cap events and returns how many the
 * whole text makes. */
int BarTextEvents(const wchar_t *text, KeyEvent *out, int cap);

/* "동시 입력 (%d개 세션):", or "동시 입력 (묶인 세션 없음):" without members. */
void BarLabel(wchar_t *out, int cap, int members);

/* The lines sent in line mode during this run, oldest first, at most 50;
 * Up and Down walk them. */
enum { BAR_HISTORY_MAX = 50 };
struct BarHistory {
    wchar_t *Lines[BAR_HISTORY_MAX];
    int Count;
    int Walk;               /* the line shown by the walk; Count: none */
};
/* Adds a line that is not empty and not the newest again; the walk
 * starts over. */
void BarHistoryAdd(BarHistory *h, const wchar_t *line);
/* The line before the one shown (Up), or null at the oldest. */
const wchar_t *BarHistoryOlder(BarHistory *h);
/* The line after the one shown (Down); "" past the newest, null when
 * no walk is on. */
const wchar_t *BarHistoryNewer(BarHistory *h);
void BarHistoryFree(BarHistory *h);

#endif
