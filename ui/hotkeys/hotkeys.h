/*
 * hotkeys.h: global hotkeys, registered only while the main window is in
 * front and nothing modal is open.
 */
#ifndef KESTRUM_UI_HOTKEYS_HOTKEYS_H
#define KESTRUM_UI_HOTKEYS_HOTKEYS_H

/* Above zero while a dialog, message box or popup menu of ours is up. */
extern int ModalDepth;
/* Whether the hotkeys are registered now. */
extern bool HotkeysActive;

/* The bracket around every modal element: off at the first, on again
 * after the last when the main window is in front. */
void BeginModal(void);
void EndModal(void);

/* Registers (on) or unregisters every action's hotkey; on is refused,
 * and becomes off, while something modal is open or a tree drag runs. */
void SetHotkeysActive(bool on);

#endif
