/*
 * hotkey_actions.h: the 28 hotkey actions and the rules of assigning
 * keys to them.
 *
 * A hotkey value keeps the virtual key in bits 0-7 and the modifiers
 * HK_SHIFT, HK_CTRL and HK_ALT; 0 is "no hotkey".  Row i registers as
 * hotkey id 100 + i and is stored under its Name in the configuration.
 */
#ifndef KESTRUM_UI_HOTKEYS_HOTKEY_ACTIONS_H
#define KESTRUM_UI_HOTKEYS_HOTKEY_ACTIONS_H

enum { HOTKEY_COUNT = 28, HOTKEY_ID_BASE = 100 };
enum { HK_SHIFT = 0x2000, HK_CTRL = 0x4000, HK_ALT = 0x8000 };

struct HotkeyAction {
    const wchar_t *Name;
    const wchar_t *Label;
    int Command;
    int Default;
};

extern const HotkeyAction HotkeyActions[HOTKEY_COUNT];

/* MOD_SHIFT / MOD_CONTROL / MOD_ALT of a value, for RegisterHotKey. */
unsigned HotkeyModifiers(int value);
/* Between a value and the hotkey control's word (key in the low byte,
 * HOTKEYF_* in the high byte; the extended-key flag is dropped). */
int HotkeyFromControl(unsigned word);
unsigned HotkeyToControl(int value);
/* A key without Ctrl or Alt would take characters from PuTTY; only the
 * function keys and the Menu key may go alone. */
bool HotkeyRefused(int value);
/* Gives row the value; another row holding the same key loses it (a key
 * belongs to one action).  Returns that other row, or -1. */
int AssignHotkey(int values[HOTKEY_COUNT], int row, int value);

#endif
