/*
 * hotkey_actions.h: the 30 hotkey actions and the rules of assigning
 * keys to them.
 *
 * The values and the rows' names and defaults are settings
 * (config/settings.h); row i registers as hotkey id 100 + i.
 */
#ifndef KESTRUM_UI_HOTKEYS_HOTKEY_ACTIONS_H
#define KESTRUM_UI_HOTKEYS_HOTKEY_ACTIONS_H

#include "../../config/settings.h"

enum { HOTKEY_ID_BASE = 100 };

struct HotkeyAction {
    const wchar_t *Label;
    int Command;
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
