/*
 * hotkey_text.h: a hotkey value as people read it, for the menus, the
 * start page and the hotkey dialog.
 */
#ifndef KESTRUM_UI_HOTKEYS_HOTKEY_TEXT_H
#define KESTRUM_UI_HOTKEYS_HOTKEY_TEXT_H

/* "Ctrl+Shift+Alt+" as set, then the key's name, cut to size characters
 * (callers use 64); "(없음)" for a value without a key. */
void HotkeyToText(int value, wchar_t *buf, int size);

#endif
