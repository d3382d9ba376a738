/*
 * menus.h: the menu bar, the special-key popup, the tab context menu and
 * the mirror of PuTTY's system menu.  Every item sends its command id to
 * the main window, a popup's with the session it was shown for; nothing
 * here runs a command.
 */
#ifndef KESTRUM_UI_SHELL_MENUS_H
#define KESTRUM_UI_SHELL_MENUS_H

#include <windows.h>

struct Session;

/* The current menu bar; kept while Settings.HideMenu takes it off the
 * main window. */
extern HMENU MenuBar;

/* The system commands behind the mirrored PuTTY menu most recently
 * built: item k (command 42000 + k) stands for SystemMenuMirror[k],
 * valid for k below SystemMenuMirrorCount. */
enum { SYSTEM_MENU_MIRROR_MAX = 64 };
extern int SystemMenuMirror[SYSTEM_MENU_MIRROR_MAX];
extern int SystemMenuMirrorCount;

/* A new menu bar with its six popups. */
HMENU BuildMenuBar(void);
/* Builds a new bar, attaches it unless Settings.HideMenu is set and
 * destroys the old one: after the hotkeys changed, so the labels follow. */
void RebuildMenuBar(void);
/* "label\tkey" when a hotkey is bound to the command, else the label. */
void AppendMenuItemWithHotkey(HMENU menu, int command, const wchar_t *label);
/* A new popup of the 37 special keys in three columns. */
HMENU BuildSpecialKeysMenu(void);
/* The colour-label popup: CMD_COLOR_FIRST + NODE_COLOR_*. */
HMENU BuildColorMenu(void);
/* A new popup copying the session's PuTTY system menu (empty without a
 * PuTTY window); refills SystemMenuMirror. */
HMENU BuildPuttySystemMenu(const Session *s);
/* The mirror of the active session's PuTTY menu over its host window. */
void ShowPuttySystemMenu(void);
/* The tab context menu at a screen point, for the active session. */
void ShowTabContextMenu(int x, int y);
/* Tracks a popup (then destroys it) and posts the chosen command for
 * the session sessionId (0: none) as WM_APP_COMMAND_FOR. */
void TrackMenuFor(HMENU menu, UINT flags, int x, int y, int sessionId);
/* Applies the check and enable rules to the items the menu holds. */
void UpdateMenuStates(HMENU menu);
/* Applies Settings.TabBottom to the tab strip, keeps the menu bar as
 * Settings.HideMenu says, and registers the hotkeys again. */
void ApplyTabPosition(void);
/* Shows or hides the menu bar (flips Settings.HideMenu). */
void ToggleMenuBar(void);

#endif
